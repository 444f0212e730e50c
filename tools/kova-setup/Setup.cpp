#include "tools/kova-setup/Setup.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"
#include "platform/msproject/Application.h"
#include "platform/os/KovaHome.h"
#include "platform/os/Registry.h"
#include "tools/winproj/Host.h"
#include "tools/winproj/MachineSettings.h"

namespace kova_setup {

namespace fs = std::filesystem;
namespace os = platform::os;
using platform::automation::Err;

namespace {

constexpr char kProgramFile[] = "WinProj.exe";
constexpr char kServerFile[] = "Grantry.exe";

// An App Paths entry as an installation writes it.
bool RegisterAppPath(const std::string& key, const fs::path& program) {
    return os::RegistrySetString(os::HKEY_LOCAL_MACHINE, key, "", program.string()) &&
           os::RegistrySetString(os::HKEY_LOCAL_MACHINE, key, "Path", program.parent_path().string());
}

} // namespace

bool ParseVersion(const std::string& text, os::FileVersion& version) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() > 4) return false;
    uint16_t numbers[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long value = std::stoul(part);
        if (value > 65535) return false;
        numbers[i] = static_cast<uint16_t>(value);
    }
    version = {numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

bool LayOutMachine(const SetupOptions& options, std::ostream& out, std::ostream& err) {
    const fs::path home = os::KovaHome();
    const fs::path programFolder = os::KovaPath("msproject", true);
    const fs::path serverFolder = os::KovaPath("kova", true);
    const fs::path program = programFolder / kProgramFile;
    const fs::path server = serverFolder / kServerFile;
    out << "kova-setup: machine folder " << home.string() << "\n";

    // What is not chosen stays as the machine has it.
    const winproj::MachineSettings recorded = winproj::ReadMachineSettings();
    os::FileVersion version;
    if (options.version) {
        version = *options.version;
    } else if (!os::ReadFileVersion(program, version) &&
               !os::ReadFileVersion(KOVA_WINPROJ_PROGRAM, version)) {
        version = {11, 0, 0, 0};
    }
    winproj::MachineSettings settings;
    settings.uiLanguage = options.uiLanguage.value_or(recorded.uiLanguage);
    settings.version = std::to_string(version.major) + "." + std::to_string(version.minor);

    Err().Clear();
    if (!os::StampFileVersion(KOVA_WINPROJ_PROGRAM, program, version.major, version.minor, version.build,
                              version.revision)) {
        err << "kova-setup: cannot place " << program.string() << ": " << Err().Description << "\n";
        return false;
    }
    out << "  msproject/" << kProgramFile << " " << version.Text() << "\n";
    if (!RegisterAppPath(winproj::kProgramAppPathKey, program) || !winproj::WriteMachineSettings(settings)) {
        err << "kova-setup: cannot write the registry " << (home / "registry.json").string() << "\n";
        return false;
    }

    // The planning program writes its global template when it first runs in that language.
    platform::msproject::ApplicationOptions app;
    app.uiLanguage = settings.uiLanguage;
    app.version = settings.version;
    auto running = platform::msproject::StartApplication(app);
    const std::string templatePath = running ? running->GlobalTemplatePath() : std::string();
    platform::msproject::QuitApplication();
    std::error_code ec;
    if (templatePath.empty() || !fs::is_regular_file(templatePath, ec)) {
        err << "kova-setup: the planning program did not write its global template: " << Err().Description
            << "\n";
        return false;
    }
    out << "  " << fs::relative(templatePath, home, ec).string() << " (user-interface language "
        << settings.uiLanguage << ", version " << settings.version << ")\n";

#ifdef KOVA_GRANTRY_PROGRAM
    fs::copy_file(KOVA_GRANTRY_PROGRAM, server, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        err << "kova-setup: cannot place " << server.string() << ": " << ec.message() << "\n";
        return false;
    }
    os::FileVersion serverVersion;
    out << "  kova/" << kServerFile << " "
        << (os::ReadFileVersion(server, serverVersion) ? serverVersion.Text() : std::string("(no version)"))
        << "\n";
#else
    out << "  kova/" << kServerFile << ": not built, not placed\n";
#endif
    // The integration's installer and uninstaller, and the template plan they copy from, ship beside it.
    const std::pair<const char*, const char*> shipped[] = {
#ifdef KOVA_TEMPLATE_PLAN
        {KOVA_TEMPLATE_PLAN, "KovaProject.mpp"},
#endif
#ifdef KOVA_TOLVANE_PROGRAM
        {KOVA_TOLVANE_PROGRAM, "Tolvane.exe"},
#endif
#ifdef KOVA_DREMICA_PROGRAM
        {KOVA_DREMICA_PROGRAM, "Dremica.exe"},
#endif
    };
    for (const auto& [from, name] : shipped) {
        fs::copy_file(from, serverFolder / name, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            err << "kova-setup: cannot place kova/" << name << ": " << ec.message() << "\n";
            return false;
        }
        out << "  kova/" << name << "\n";
    }
    if (!RegisterAppPath(Grantry::kApplicationPathKey, server)) {
        err << "kova-setup: cannot write the registry " << (home / "registry.json").string() << "\n";
        return false;
    }
    Err().Clear();
    Grantry::RegisterKovaMSP(server.string());
    if (Err().Number != 0) {
        err << "kova-setup: cannot register " << Grantry::kKovaMSPProgId << ": " << Err().Description << "\n";
        return false;
    }
    out << "  registered " << Grantry::kKovaMSPProgId << " for kova/" << kServerFile << "\n";
    return true;
}

int RunProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const char* usage =
        "usage: kova-setup [--home DIR] [--language LCID] [--version MAJOR.MINOR[.BUILD[.REVISION]]]\n";
    SetupOptions options;
    std::string home;
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            out << usage;
            return 0;
        }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 >= args.size() || (arg != "--home" && arg != "--language" && arg != "--version")) {
            err << "kova-setup: "
                << (i + 1 >= args.size() && arg.rfind("--", 0) == 0 ? arg + " needs a value"
                                                                    : "unknown argument " + arg)
                << "\n"
                << usage;
            return 2;
        }
        const std::string& value = args[++i];
        if (arg == "--home") {
            home = value;
        } else if (arg == "--language") {
            char* end = nullptr;
            const long lcid = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || lcid <= 0 || lcid > 0xFFFF) {
                err << "kova-setup: the language is an LCID such as 1033, not " << value << "\n";
                return 2;
            }
            options.uiLanguage = static_cast<int32_t>(lcid);
        } else {
            os::FileVersion version;
            if (!ParseVersion(value, version)) {
                err << "kova-setup: the version is MAJOR.MINOR[.BUILD[.REVISION]], not " << value << "\n";
                return 2;
            }
            options.version = version;
        }
    }
    if (!home.empty()) ::setenv("KOVA_HOME", winproj::FullPath(home).c_str(), 1);
    if (const std::string damage = os::RegistryDamage(); !damage.empty()) {
        err << "kova-setup: " << damage << "\n";
        return 1;
    }
    return LayOutMachine(options, out, err) ? 0 : 1;
}

} // namespace kova_setup
