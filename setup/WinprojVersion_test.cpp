// Finding the planning program's file and its major version.
#include <optional>

#include "setup/SetupTestSupport.h"
#include "setup/Tolvane.h"
#include "setup/WinprojVersion.h"

namespace setup::test {
namespace {

class WinprojVersionTest : public MachineTest {};

TEST(WinprojWords, HalvesReadAsSigned16BitNumbers) {
    struct Case {
        uint32_t value;
        int32_t hi, lo;
    };
    const Case cases[] = {
        {0x000B0000u, 11, 0},         {0x00080001u, 8, 1},   {0x1FA10000u, 8097, 0},
        {0x7FFF8000u, 32767, -32768}, {0xFFFFFFFFu, -1, -1}, {0x80000001u, -32768, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tolvane::HiWord(static_cast<int32_t>(c.value)), c.hi) << std::hex << c.value;
        EXPECT_EQ(Tolvane::LoWord(static_cast<int32_t>(c.value)), c.lo) << std::hex << c.value;
    }
}

TEST_F(WinprojVersionTest, TheMajorNumberOfTheFileVersion) {
    struct Case {
        uint16_t major, minor, build, revision;
        int16_t expected;
    };
    const Case cases[] = {
        {11, 0, 0, 0, 11},       {11, 5, 8161, 40000, 11},  {8, 0, 0, 0, 8},
        {12, 0, 4518, 1014, 12}, {0x8000, 1, 1, 1, -32768},
    };
    for (const Case& c : cases) {
        WriteFile(home.path() / "blank-program", "a program");
        ASSERT_TRUE(os::StampFileVersion(home.path() / "blank-program", Msproject() / "WinProj.exe", c.major,
                                         c.minor, c.build, c.revision));
        EXPECT_EQ(Tolvane::GetWinprojVersion(), c.expected) << c.major << "." << c.minor;
    }
    WriteFile(Msproject() / "WinProj.exe", "a program without a version");
    EXPECT_EQ(Tolvane::GetWinprojVersion(), 0);
    fs::remove(Msproject() / "WinProj.exe");
    EXPECT_EQ(Tolvane::GetWinprojVersion(), 0);
    EXPECT_FALSE(Tolvane::IsSupportedProjectVersion());
}

TEST_F(WinprojVersionTest, ThePathFromTheRegistryGetsOneSeparator) {
    const std::string folder = Msproject().string();
    const std::string expected = folder + "/WinProj.exe";
    struct Case {
        const char* name;
        std::optional<std::string> appPaths, own;
    };
    const Case cases[] = {
        {"App Paths without separator", folder, std::nullopt},
        {"App Paths with separator", folder + "/", std::nullopt},
        {"App Paths before the own key", folder, "/elsewhere/"},
        {"own key only", std::nullopt, folder + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, Tolvane::kWinprojAppPathKey);
        os::RegistryDeleteTree(os::HKEY_CURRENT_USER, Tolvane::kWinprojOwnKey);
        if (c.appPaths) {
            ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, Tolvane::kWinprojAppPathKey, "Path",
                                              *c.appPaths));
        }
        if (c.own) {
            ASSERT_TRUE(
                os::RegistrySetString(os::HKEY_CURRENT_USER, Tolvane::kWinprojOwnKey, "Path", *c.own));
        }
        EXPECT_EQ(Tolvane::GetWinprojPathForInstall(), expected);
        EXPECT_FALSE(msp::RunningApplication()); // the program is asked only when the registry does not know
    }
}

// Neither entry: the program tells its folder, which is remembered under the own key with its length
// in bytes and no terminating zero, and the version read from there.
TEST_F(WinprojVersionTest, WithoutRegistryEntriesTheProgramIsAskedAndItsAnswerKept) {
    os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, Tolvane::kWinprojAppPathKey);
    EXPECT_EQ(Tolvane::GetWinprojVersion(), 11);
    ASSERT_TRUE(msp::RunningApplication());
    os::HKEY key = 0;
    ASSERT_EQ(os::RegOpenKey(os::HKEY_CURRENT_USER, Tolvane::kWinprojOwnKey, &key), os::ERROR_SUCCESS);
    char buffer[512] = {};
    uint32_t length = sizeof buffer;
    uint32_t type = 0;
    ASSERT_EQ(os::RegQueryValueEx(key, "Path", &type, buffer, &length), os::ERROR_SUCCESS);
    os::RegCloseKey(key);
    EXPECT_EQ(type, os::REG_SZ);
    EXPECT_EQ(std::string(buffer, length), Msproject().string() + "/");
    // The next lookup reads it back (less its last byte, which the separator makes good).
    msp::QuitApplication();
    EXPECT_EQ(Tolvane::GetWinprojPathForInstall(), Msproject().string() + "/WinProj.exe");
    EXPECT_FALSE(msp::RunningApplication());
}

TEST_F(WinprojVersionTest, WithoutRegistryEntriesOrProgramNothingIsRemembered) {
    os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, Tolvane::kWinprojAppPathKey);
    fs::remove(Msproject() / "WinProj.exe");
    EXPECT_EQ(Tolvane::GetWinprojVersion(), 0);
    EXPECT_FALSE(os::RegistryKeyExists(os::HKEY_CURRENT_USER, Tolvane::kWinprojOwnKey));
    EXPECT_EQ(Err().Number, 0);
}

} // namespace
} // namespace setup::test
