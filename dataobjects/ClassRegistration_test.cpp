#include "dataobjects/ClassRegistration.h"

#include <gtest/gtest.h>

#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestBackend.h"
#include "platform/os/Registry.h"

using namespace platform::automation;
using namespace platform::os;
using namespace KovaDataObjects;
using platform::middleware::TestBackend;

namespace {
std::string Hkcr(const std::string& key) {
    std::string value;
    RegistryGetString(HKEY_CLASSES_ROOT, key, "", value);
    return value;
}
} // namespace

TEST(ClassRegistration, ThirteenClassesWithTheirIds) {
    TestBackend erp;
    RegisterKovaDataObjects();
    EXPECT_EQ(PublicClasses().size(), 13u);
    EXPECT_EQ(Hkcr("TypeLib\\{89A5208F-4C74-46B6-9002-A10702C6157F}\\1.0"),
              "KovaProject Data Access Objects");
    for (const auto& c : PublicClasses()) {
        auto info = FindClass(ProgIdOf(c.name));
        ASSERT_TRUE(info) << c.name;
        EXPECT_EQ(info->classId, c.classId);
        EXPECT_EQ(info->interfaceId, c.interfaceId);
        EXPECT_EQ(Hkcr("CLSID\\" + c.classId + "\\ProgID"), ProgIdOf(c.name));
        EXPECT_EQ(Hkcr("CLSID\\" + c.classId + "\\InprocServer32"), "Quessel.dll");
        EXPECT_EQ(Hkcr("Interface\\" + c.interfaceId), "_" + c.name);
    }
    auto ce = FindClass("KovaDataObjects.KovaCE");
    EXPECT_EQ(ce->classId, "{66189E7C-03A7-4BAF-B921-D92ECF7208E2}");
    EXPECT_EQ(ce->interfaceId, "{097DAB96-4443-4125-BBD6-6815F6800AB0}");
    EXPECT_EQ(Hkcr("CLSID\\{BDF9F64F-1A26-4156-A97E-44C7AEC055F7}\\ProgID"),
              "KovaDataObjects.KovaBudgetLine");
}

TEST(ClassRegistration, BuiltClassesCanBeCreated) {
    TestBackend erp(R"({"company": {"number": 1}, "planningParameters": {}})");
    RegisterKovaDataObjects();
    for (const auto& c : PublicClasses()) {
        Object made = CreateObject(ProgIdOf(c.name));
        EXPECT_EQ(made.IsNothing(), !c.creatable) << c.name;
        if (!c.creatable) {
            EXPECT_EQ(Err().Number, platform::automation::errors::CantCreateObject);
        }
        Err().Clear();
    }
    Object sce = CreateObject("KovaDataObjects.KovaSCE");
    Let(sce, "Code", "WP");
    EXPECT_EQ(CStr(Get(sce, "code")), "WP");
    Object connection = CreateObject("KovaDataObjects.KovaConnection");
    EXPECT_EQ(CStr(Get(connection, "Connector")), "DEMO") << "creation runs the start-up";
}

TEST(Main, StandAloneStartTellsTheUserAndComStartIsSilent) {
    platform::forms::ScriptedUser user;
    platform::forms::ScopedUser scoped(user);
    Main(true);
    EXPECT_TRUE(user.transcript().Boxes().empty());

    user.Add(platform::forms::steps::Answer(platform::forms::vbOK));
    Main(false);
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    const auto& box = user.transcript().Boxes()[0].box;
    EXPECT_EQ(box.title, "KovaProject Data Access Objects");
    EXPECT_EQ(box.Icon(), platform::forms::vbCritical);
    EXPECT_EQ(box.prompt,
              "This Application cannot be run in the Stand Alone mode\r\n\r\n Please refer to the "
              "Application Documentation for information on how to use this Application");
    EXPECT_TRUE(user.Finish());
}
