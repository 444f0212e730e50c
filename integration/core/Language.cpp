#include "integration/core/Language.h"

#include <array>
#include <string>

#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/Application.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace os = platform::os;
using automation::Err;

namespace {

// Indexes 1 to 12 of each language; index 0 and 13 stay empty.
struct LanguageColumn {
    int16_t lcid;
    std::array<const char*, 12> words;
};

constexpr LanguageColumn kEnglish{1033,
                                  {"equals", "does not equal", "is greater than",
                                   "is greater than or equal to", "is less than", "is less than or equal to",
                                   "is within", "is not within", "contains", "does not contain",
                                   "contains exactly", "Yes"}};
constexpr LanguageColumn kGerman{1031,
                                 {"Gleich", "Ungleich", "Größer", "Größer oder Gleich", "Kleiner",
                                  "Kleiner oder Gleich", "Innerhalb", "Nicht innerhalb", "Enthält",
                                  "Enthält nicht", "Enthält genau", "Ja"}};
constexpr LanguageColumn kSpanish{1034,
                                  {"Igual a", "Diferente de", "Mayor que", "Mayor o igual que", "Menor que",
                                   "Menor o igual que", "Está comprendido en", "No está comprendido en",
                                   "Contiene", "No contiene", "Contiene exactamente", "Sí"}};
constexpr LanguageColumn kItalian{1040,
                                  {"uguale a", "diverso da", "maggiore di", "maggiore di o uguale a",
                                   "minore di", "minore di o uguale a", "compreso tra", "non compreso tra",
                                   "contiene", "non contiene", "contiene esattamente", "Sí"}};
constexpr LanguageColumn kDutch{1043,
                                {"is gelijk aan", "is niet gelijk aan", "is groter dan",
                                 "is groter dan of gelijk aan", "is kleiner dan",
                                 "is kleiner dan of gelijk aan", "valt binnen", "valt niet binnen", "bevat",
                                 "bevat niet", "bevat exact", "Ja"}};

const LanguageColumn* ColumnOf(int16_t lcid) {
    switch (lcid) {
    case 1033: return &kEnglish;
    case 1031: return &kGerman;
    case 1034:
    case 3082: return &kSpanish;
    case 1040: return &kItalian;
    case 1043: return &kDutch;
    default: return nullptr;
    }
}

constexpr int16_t kProbeOrder[] = {1033, 1043, 1031, 1040, 1034, 3082};

struct LanguageState {
    int16_t detected = 0;
    std::array<std::string, 14> words;
    bool warningShown = false;
    std::string winprojFolder;
};

LanguageState& State() {
    static LanguageState state;
    return state;
}

// The command's planning program, or the running one when no command holds it.
std::shared_ptr<msp::Application> RunningProgram() {
    if (MSProjectApplication) return MSProjectApplication;
    return automation::CreateObject(msp::kApplicationProgID).As<msp::Application>();
}

// A "Path" value as the registry hands it over: the bytes less the last one (its terminator), by the
// length the query reports; "" when it cannot be read.
std::string ReadPathValue(os::HKEY hive, const char* key) {
    std::string text;
    os::HKEY handle = 0;
    if (os::RegOpenKey(hive, key, &handle) != os::ERROR_SUCCESS) return text;
    char buffer[2048];
    uint32_t length = sizeof buffer;
    if (os::RegQueryValueEx(handle, "Path", nullptr, buffer, &length) == os::ERROR_SUCCESS && length > 0)
        text.assign(buffer, length - 1);
    os::RegCloseKey(handle);
    return text;
}

void WarnOnce() {
    LanguageState& s = State();
    if (s.warningShown) return;
    platform::forms::MsgBox("Your Microsoft Project is using a language which is not recognized.\r\n"
                            "Please contact Kova Support.",
                            platform::forms::vbCritical | platform::forms::vbOKOnly,
                            "Application Language not valid");
    s.warningShown = true;
}

} // namespace

std::string GetFilterTestText(int16_t index) {
    LanguageState& s = State();
    if (s.detected == 0) {
        int major = -1;
        if (auto app = RunningProgram()) {
            Err().Clear();
            std::string version = app->Version();
            if (Err().Number == 0)
                major = static_cast<int>(automation::Val(version.substr(0, version.find('.'))));
        }
        Err().Clear();
        s.detected = major >= 0 && major < 9 ? int16_t(1033) : DetectProjectLanguage();
        s.words = {};
        if (const LanguageColumn* column = ColumnOf(s.detected))
            for (size_t i = 0; i < column->words.size(); ++i)
                s.words[i + 1] = column->words[i];
        if (!ColumnOf(s.detected)) WarnOnce();
    }
    if (index < 0 || index > 13) {
        Err().Raise(automation::errors::SubscriptOutOfRange);
        return {};
    }
    if (ColumnOf(s.detected)) return s.words[static_cast<size_t>(index)];
    WarnOnce();
    return {};
}

int16_t DetectProjectLanguage() {
    LanguageState& s = State();
    if (s.winprojFolder.empty()) s.winprojFolder = GetWinprojPath();
    for (int16_t lcid : kProbeOrder)
        if (os::FileExists(s.winprojFolder + std::to_string(lcid) + "/GLOBAL.MPT")) return lcid;
    return 0;
}

std::string GetWinprojPath() {
    std::string text = ReadPathValue(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey);
    if (text.empty()) text = ReadPathValue(os::HKEY_CURRENT_USER, kWinprojOwnKey);
    if (text.empty()) text = SaveWinprojPath();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

std::string SaveWinprojPath() {
    std::string path;
    if (auto app = RunningProgram()) path = app->Path();
    Err().Clear();
    if (path.empty() || path.back() != '/') path += '/';
    os::HKEY key = 0;
    if (os::RegCreateKey(os::HKEY_CURRENT_USER, kWinprojOwnKey, &key) == os::ERROR_SUCCESS) {
        // The byte count is the text's own length: no terminator is stored.
        os::RegSetValueEx(key, "Path", os::REG_SZ, path.data(), static_cast<uint32_t>(path.size()));
        os::RegFlushKey(key);
        os::RegCloseKey(key);
    }
    return path;
}

void ResetLanguageState() {
    State() = LanguageState{};
}

} // namespace Grantry
