#include "tools/kova-setup/Setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "integration/core/KovaMSP.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileVersion.h"
#include "platform/os/Registry.h"
#include "platform/os/ServerRegistration.h"
#include "platform/os/TestSupport.h"
#include "tools/winproj/MachineSettings.h"

namespace kova_setup {
namespace {

namespace fs = std::filesystem;
namespace os = platform::os;
namespace msp = platform::msproject;
using platform::automation::Err;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string AppPath(const std::string& program, const std::string& value) {
    std::string text;
    os::RegistryGetString(os::HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + program, value, text);
    return text;
}

class SetupTest : public ::testing::Test {
protected:
    void TearDown() override { Grantry::UnregisterKovaMSP(); }

    bool LayOut(const SetupOptions& options = {}) {
        std::ostringstream out, err;
        bool done = LayOutMachine(options, out, err);
        EXPECT_EQ(err.str(), "");
        return done;
    }
    std::string Version(const fs::path& file) const {
        os::FileVersion version;
        return os::ReadFileVersion(file, version) ? version.Text() : "none";
    }
    fs::path Path(const std::string& relative) const { return home.path() / relative; }

    os::TempKovaHome home;
};

TEST_F(SetupTest, LaysOutTheMachineFolderAndAgainTheSame) {
    ASSERT_TRUE(LayOut());
    EXPECT_EQ(Version(Path("msproject/WinProj.exe")), "11.0.0.0");
    EXPECT_TRUE(fs::is_regular_file(Path("msproject/1033/GLOBAL.MPT")));
    EXPECT_EQ(AppPath("WINPROJ.EXE", ""), Path("msproject/WinProj.exe").string());
    EXPECT_EQ(AppPath("WINPROJ.EXE", "Path"), Path("msproject").string());
    EXPECT_EQ(AppPath("Grantry.exe", ""), Path("kova/Grantry.exe").string());
    EXPECT_EQ(AppPath("Grantry.exe", "Path"), Path("kova").string());
    EXPECT_EQ(os::RegisteredServerPath("Grantry.KovaMSP"), Path("kova/Grantry.exe").string());
    // The installer finds its template plan and the programs beside the integration's program.
    for (const char* shipped : {"kova/KovaProject.mpp", "kova/Tolvane.exe", "kova/Dremica.exe"})
        EXPECT_TRUE(fs::is_regular_file(Path(shipped))) << shipped;
    winproj::MachineSettings settings = winproj::ReadMachineSettings();
    EXPECT_EQ(settings.uiLanguage, 1033);
    EXPECT_EQ(settings.version, "11.0");
#ifdef KOVA_GRANTRY_PROGRAM
    EXPECT_EQ(Version(Path("kova/Grantry.exe")), Version(KOVA_GRANTRY_PROGRAM));
#endif

    // What was installed into the global template meanwhile stays.
    {
        auto app = msp::StartApplication();
        app->CommandBars("File").Controls().Add(msp::msoControlPopup, 5).SetCaption("&KovaProject");
        msp::QuitApplication();
    }
    const std::string registry = ReadFile(Path("registry.json"));
    const std::string globalTemplate = ReadFile(Path("msproject/1033/GLOBAL.MPT"));
    const std::string program = ReadFile(Path("msproject/WinProj.exe"));
    ASSERT_TRUE(LayOut());
    EXPECT_EQ(ReadFile(Path("registry.json")), registry);
    EXPECT_EQ(ReadFile(Path("msproject/1033/GLOBAL.MPT")), globalTemplate);
    EXPECT_EQ(ReadFile(Path("msproject/WinProj.exe")), program);
    auto app = msp::StartApplication();
    EXPECT_EQ(app->CommandBars("File").Controls().Item(5).Caption(), "&KovaProject");
    msp::QuitApplication();
}

// A machine folder named from the working folder is laid out under its whole path, so that programs
// started in other folders find the planning program and its language.
TEST_F(SetupTest, ARelativeMachineFolderIsStoredAsItsWholePath) {
    const fs::path started = fs::current_path();
    fs::current_path(home.path());
    {
        os::ScopedEnv relative("KOVA_HOME", "h/");
        const bool laidOut = LayOut();
        fs::current_path(started);
        ASSERT_TRUE(laidOut);
    }
    os::ScopedEnv whole("KOVA_HOME", Path("h").string());
    EXPECT_EQ(AppPath("WINPROJ.EXE", "Path"), Path("h/msproject").string());
    EXPECT_EQ(AppPath("WINPROJ.EXE", ""), Path("h/msproject/WinProj.exe").string());
    EXPECT_EQ(AppPath("Grantry.exe", "Path"), Path("h/kova").string());
    EXPECT_EQ(os::RegisteredServerPath("Grantry.KovaMSP"), Path("h/kova/Grantry.exe").string());
    Grantry::ResetLanguageState();
    EXPECT_EQ(Grantry::DetectProjectLanguage(), 1033);
    Grantry::ResetLanguageState();
}

// The chosen language and version are the machine's from then on, until others are chosen.
TEST_F(SetupTest, TheChosenLanguageAndVersionStay) {
    SetupOptions options;
    options.uiLanguage = 1031;
    options.version = os::FileVersion{12, 0, 4, 7};
    ASSERT_TRUE(LayOut(options));
    ASSERT_TRUE(LayOut());
    EXPECT_EQ(Version(Path("msproject/WinProj.exe")), "12.0.4.7");
    EXPECT_TRUE(fs::is_regular_file(Path("msproject/1031/GLOBAL.MPT")));
    EXPECT_FALSE(fs::exists(Path("msproject/1033")));
    winproj::MachineSettings settings = winproj::ReadMachineSettings();
    EXPECT_EQ(settings.uiLanguage, 1031);
    EXPECT_EQ(settings.version, "12.0");

    options.uiLanguage.reset();
    options.version = os::FileVersion{8, 0, 0, 0};
    ASSERT_TRUE(LayOut(options));
    EXPECT_EQ(Version(Path("msproject/WinProj.exe")), "8.0.0.0");
    EXPECT_EQ(winproj::ReadMachineSettings().version, "8.0");
    EXPECT_EQ(winproj::ReadMachineSettings().uiLanguage, 1031);
}

TEST(SetupCommandLine, VersionsAndWrongArguments) {
    os::TempKovaHome home;
    struct Case {
        std::string text;
        bool valid;
        std::string version;
    } versions[] = {
        {"12", true, "12.0.0.0"},
        {"11.0", true, "11.0.0.0"},
        {"11.0.8108.3", true, "11.0.8108.3"},
        {"11.0.0.0.1", false, ""},
        {"11..0", false, ""},
        {"11.x", false, ""},
        {"65536", false, ""},
        {"", false, ""},
    };
    for (const Case& c : versions) {
        os::FileVersion version;
        EXPECT_EQ(ParseVersion(c.text, version), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(version.Text(), c.version) << c.text;
        }
    }

    std::vector<std::string> wrong[] = {
        {"--version", "eleven"}, {"--language", "en"}, {"--language"}, {"--bogus", "1"}, {"extra"},
    };
    for (const auto& args : wrong) {
        std::ostringstream out, err;
        EXPECT_EQ(RunProgram(args, out, err), 2) << args[0];
        EXPECT_FALSE(err.str().empty()) << args[0];
    }
    EXPECT_FALSE(fs::exists(home.path() / "msproject"));
}

} // namespace
} // namespace kova_setup
