#include "platform/os/ServerRegistration.h"

#include <gtest/gtest.h>

#include "platform/automation/Object.h"
#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

using namespace platform;

namespace {
class Thing : public automation::Dispatchable<Thing> {
public:
    static const automation::MemberTable<Thing>& Members() {
        static const automation::MemberTable<Thing> t = {
            {"Hello", [](Thing&, automation::CallArgs&) -> automation::Variant { return "hi"; }}};
        return t;
    }
};
} // namespace

TEST(ServerRegistration, WritesTheClassKeysAndRemovesThemAgain) {
    os::TempKovaHome home;
    os::RegisterServerClass({"Test.Server", "{AAAAAAAA-0000-0000-0000-000000000001}",
                             "{AAAAAAAA-0000-0000-0000-000000000002}",
                             [] { return automation::MakeObject<Thing>(); }, "/opt/kova/Test.exe"},
                            false);
    std::string value;
    ASSERT_TRUE(os::RegistryGetString(os::HKEY_CLASSES_ROOT, "test.server\\CLSID", "", value));
    EXPECT_EQ(value, "{AAAAAAAA-0000-0000-0000-000000000001}");
    ASSERT_TRUE(os::RegistryGetString(os::HKEY_CLASSES_ROOT,
                                      "CLSID\\{aaaaaaaa-0000-0000-0000-000000000001}\\ProgID", "", value));
    EXPECT_EQ(value, "Test.Server");
    EXPECT_TRUE(
        os::RegistryKeyExists(os::HKEY_CLASSES_ROOT, "Interface\\{AAAAAAAA-0000-0000-0000-000000000002}"));
    EXPECT_EQ(os::RegisteredServerPath("Test.Server"), "/opt/kova/Test.exe");
    EXPECT_EQ(automation::Call(automation::CreateObject("Test.Server"), "hello"), automation::Variant("hi"));

    os::UnregisterServerClass("Test.Server");
    EXPECT_FALSE(os::RegistryKeyExists(os::HKEY_CLASSES_ROOT, "Test.Server"));
    EXPECT_FALSE(
        os::RegistryKeyExists(os::HKEY_CLASSES_ROOT, "CLSID\\{AAAAAAAA-0000-0000-0000-000000000001}"));
    EXPECT_FALSE(
        os::RegistryKeyExists(os::HKEY_CLASSES_ROOT, "Interface\\{AAAAAAAA-0000-0000-0000-000000000002}"));
    EXPECT_EQ(os::RegisteredServerPath("Test.Server"), "");
    automation::Err().Clear();
    EXPECT_TRUE(automation::CreateObject("Test.Server").IsNothing());
    EXPECT_EQ(automation::Err().Number, 429);
    automation::Err().Clear();
}
