// The planning program's filter words in the language of its installation.
#include "integration/core/Language.h"

#include <gtest/gtest.h>

#include "integration/core/CoreTestSupport.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace fs = std::filesystem;
namespace os = platform::os;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;

constexpr char kNotRecognized[] =
    "Your Microsoft Project is using a language which is not recognized.\r\nPlease contact Kova Support.";

class LanguageTest : public test::PlanFixture {
protected:
    void SetUp() override {
        test::PlanFixture::SetUp();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        folder = home.path() / "Office";
        fs::create_directories(folder);
        ASSERT_TRUE(
            os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey, "Path", folder.string() + "/"));
    }
    msp::ApplicationOptions Options() override {
        msp::ApplicationOptions options;
        options.version = version;
        return options;
    }
    void Install(std::initializer_list<int> lcids) {
        for (int lcid : lcids)
            test::WriteFile(folder / std::to_string(lcid) / "GLOBAL.MPT", "template");
    }
    std::vector<std::string> Column() {
        std::vector<std::string> words;
        for (int16_t i = 0; i <= 13; ++i)
            words.push_back(GetFilterTestText(i));
        return words;
    }
    platform::os::TempKovaHome home;
    std::string version = "11.0";
    fs::path folder;
    ScriptedUser user;
    ScopedUser on{user};
};

const std::vector<std::string> kEnglish = {"",
                                           "equals",
                                           "does not equal",
                                           "is greater than",
                                           "is greater than or equal to",
                                           "is less than",
                                           "is less than or equal to",
                                           "is within",
                                           "is not within",
                                           "contains",
                                           "does not contain",
                                           "contains exactly",
                                           "Yes",
                                           ""};

TEST_F(LanguageTest, TheFirstLanguageFolderInProbeOrderDecides) {
    struct Case {
        std::initializer_list<int> folders;
        std::string equals, contains, yes;
    } cases[] = {
        {{1031, 1033}, "equals", "contains", "Yes"},       {{1031}, "Gleich", "Enthält", "Ja"},
        {{1040, 1031}, "Gleich", "Enthält", "Ja"},         {{3082}, "Igual a", "Contiene", "Sí"},
        {{1034, 3082}, "Igual a", "Contiene", "Sí"},       {{1040}, "uguale a", "contiene", "Sí"},
        {{1043, 1031, 1033}, "equals", "contains", "Yes"}, {{1043, 1031}, "is gelijk aan", "bevat", "Ja"},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        Install(c.folders);
        ResetLanguageState();
        EXPECT_EQ(GetFilterTestText(1), c.equals);
        EXPECT_EQ(GetFilterTestText(9), c.contains);
        EXPECT_EQ(GetFilterTestText(12), c.yes);
        EXPECT_EQ(GetFilterTestText(0), "");
        EXPECT_EQ(GetFilterTestText(13), "");
        EXPECT_EQ(Err().Number, 0);
        GetFilterTestText(14);
        EXPECT_EQ(Err().Number, automation::errors::SubscriptOutOfRange);
        Err().Clear();
    }
    EXPECT_TRUE(user.transcript().Boxes().empty());
}

TEST_F(LanguageTest, TheWholeGermanColumn) {
    Install({1031});
    EXPECT_EQ(Column(),
              (std::vector<std::string>{"", "Gleich", "Ungleich", "Größer", "Größer oder Gleich", "Kleiner",
                                        "Kleiner oder Gleich", "Innerhalb", "Nicht innerhalb", "Enthält",
                                        "Enthält nicht", "Enthält genau", "Ja", ""}));
}

class OldVersionTest : public LanguageTest {
protected:
    OldVersionTest() { version = "8.0"; }
};

TEST_F(OldVersionTest, AnOldVersionIsEnglishWithoutProbing) {
    Install({1031});
    os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey);
    EXPECT_EQ(Column(), kEnglish);
    // No probe asked where the program lives.
    EXPECT_FALSE(os::RegistryKeyExists(os::HKEY_CURRENT_USER, kWinprojOwnKey));
}

TEST_F(LanguageTest, NoLanguageFolderWarnsOncePerProcessAndProbesAgain) {
    user.Add(steps::Answer(vbOK, kNotRecognized));
    EXPECT_EQ(GetFilterTestText(1), "");
    EXPECT_EQ(GetFilterTestText(12), "");
    EXPECT_TRUE(user.Finish());
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Application Language not valid");
    EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbCritical);
    // Every later call probes again.
    Install({1040});
    EXPECT_EQ(GetFilterTestText(1), "uguale a");
    EXPECT_EQ(user.transcript().Boxes().size(), 1u);
}

// The registry values as the installer and this program store them.
class WinprojPathTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey);
    }
    void StoreRaw(os::HKEY hive, const char* key, const std::string& bytes) {
        os::HKEY handle = 0;
        ASSERT_EQ(os::RegCreateKey(hive, key, &handle), os::ERROR_SUCCESS);
        ASSERT_EQ(
            os::RegSetValueEx(handle, "Path", os::REG_SZ, bytes.data(), static_cast<uint32_t>(bytes.size())),
            os::ERROR_SUCCESS);
        os::RegCloseKey(handle);
    }
    std::string RawOwnValue() {
        os::HKEY handle = 0;
        if (os::RegOpenKey(os::HKEY_CURRENT_USER, kWinprojOwnKey, &handle) != os::ERROR_SUCCESS)
            return "<none>";
        char buffer[2048];
        uint32_t length = sizeof buffer;
        int32_t result = os::RegQueryValueEx(handle, "Path", nullptr, buffer, &length);
        os::RegCloseKey(handle);
        return result == os::ERROR_SUCCESS ? std::string(buffer, length) : "<none>";
    }
};

TEST_F(WinprojPathTest, TheReaderDropsTheLastByteAndEndsWithASeparator) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        os::HKEY hive;
        const char* key;
        std::string stored;
        std::string read;
    } cases[] = {
        {"registration with terminator", os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey, "/prog/office/\0"s,
         "/prog/office/"},
        {"registration without separator", os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey, "/prog/office\0"s,
         "/prog/office/"},
        {"own value without terminator", os::HKEY_CURRENT_USER, kWinprojOwnKey, "/prog/office/",
         "/prog/office/"},
        {"own value with terminator", os::HKEY_CURRENT_USER, kWinprojOwnKey, "/prog/office/\0"s,
         "/prog/office/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey);
        os::RegistryDeleteTree(os::HKEY_CURRENT_USER, kWinprojOwnKey);
        StoreRaw(c.hive, c.key, c.stored);
        EXPECT_EQ(GetWinprojPath(), c.read);
    }
}

TEST_F(WinprojPathTest, TheRegistrationComesBeforeTheOwnValue) {
    StoreRaw(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey, std::string("/registered/\0", 13));
    StoreRaw(os::HKEY_CURRENT_USER, kWinprojOwnKey, "/own/");
    EXPECT_EQ(GetWinprojPath(), "/registered/");
}

TEST_F(WinprojPathTest, WithoutEitherTheRunningProgramIsAskedAndItsFolderStored) {
    const std::string expected = app->Path() + "/";
    EXPECT_EQ(GetWinprojPath(), expected);
    EXPECT_EQ(RawOwnValue(), expected);    // no terminator stored
    EXPECT_EQ(GetWinprojPath(), expected); // and read back the same
    // The running program's own template folder is found that way.
    EXPECT_EQ(GetFilterTestText(1), "equals");
}

} // namespace
} // namespace Grantry
