#include "integration/core/AboutUpdate.h"

#include <gtest/gtest.h>

#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace os = platform::os;

TEST(UpdateVersionRule, OnlyAHigherRevisionOfTheSameReleaseLineIsAnUpdate) {
    using V = UpdateVerdict;
    struct Case {
        const char* latest;
        const char* current;
        UpdateVerdict verdict;
    } cases[] = {
        {"1.2.3.46", "1.2.3.45", V::Available},
        {"1.2.3.100", "1.2.3.45", V::Available},
        {"1.2.3.45", "1.2.3.45", V::Current},
        {"1.2.3.44", "1.2.3.45", V::Current},
        {"1.2.3.045", "1.2.3.45", V::Current},
        // Another release line, newer or older, is no update of this one.
        {"1.2.4.1", "1.2.3.45", V::Mismatch},
        {"1.3.0.1", "1.2.3.45", V::Mismatch},
        {"1.2.2.99", "1.2.3.45", V::Mismatch},
        {"2.2.3.45", "1.2.3.45", V::Mismatch},
        // Fields of any width compare by value, not by position in the text.
        {"1.2.10.6", "1.2.10.5", V::Available},
        {"1.2.3.1000", "1.2.3.450", V::Available},
        {"1.2.3.46", "1.2.3.450", V::Current},
        {"1.2.30.1", "1.2.3.45", V::Mismatch},
        {"10.2.3.46", "1.2.3.45", V::Mismatch},
        {"65535.65535.65535.65535", "65535.65535.65535.65534", V::Available},
        // Texts that are no version.
        {"", "1.2.3.45", V::Mismatch},
        {"1.2.3.46", "", V::Mismatch},
        {"1.2.3", "1.2.3.45", V::Mismatch},
        {"1.2.3.46.1", "1.2.3.45", V::Mismatch},
        {"1.2.3.4x", "1.2.3.45", V::Mismatch},
        {"1.2.3.-46", "1.2.3.45", V::Mismatch},
        {"1.2.3. 46", "1.2.3.45", V::Mismatch},
        {"1.2.3.1234567890", "1.2.3.45", V::Mismatch},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareWithLatestVersion(c.latest, c.current), c.verdict)
            << "latest \"" << c.latest << "\", current \"" << c.current << "\"";
}

TEST(UpdateServer, TheAddressIsConfigurationWithADefaultNobodyServes) {
    os::TempKovaHome home;
    EXPECT_EQ(UpdateServerAddress(), "updates.kova.invalid");
    struct Case {
        const char* stored;
        const char* address;
    } cases[] = {{"127.0.0.1:2121", "127.0.0.1:2121"},
                 {"  support.example:21 ", "support.example:21"},
                 {"", "updates.kova.invalid"},
                 {"   ", "updates.kova.invalid"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(os::RegistrySetString(os::HKEY_CURRENT_USER, "Software\\KOVA\\grantry", "updateserver",
                                          c.stored));
        EXPECT_EQ(UpdateServerAddress(), c.address) << '"' << c.stored << '"';
    }
}

TEST(UpdateAccount, ForgettingThePasswordLeavesTheRestOfTheAccount) {
    LoginUserName = "jdoe";
    LoginDomain = "KOVA";
    LoginPassword = "secret";
    LoginConfirmed = true;
    ForgetLoginPassword();
    EXPECT_EQ(LoginPassword, "");
    EXPECT_EQ(LoginUserName, "jdoe");
    EXPECT_EQ(LoginDomain, "KOVA");
    EXPECT_TRUE(LoginConfirmed);
}

} // namespace
} // namespace Grantry
