#include "platform/middleware/TestControl.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

constexpr const char* kSeed = R"({
  "company": {"number": 7},
  "projects": [{"id": "P1", "description": "First"}, {"id": "P2", "description": "Second"}]
})";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

// The descriptions of the projects a List gives, "" for a failing getter.
std::vector<std::string> Descriptions(const Object& manager) {
    Object list = ObjectOf(Call(manager, "List", {ByVal(""), ByVal("zzzz")}));
    std::vector<std::string> out;
    while (CBool(Call(list, "hasMoreElements"))) {
        Object project = ObjectOf(Call(list, "nextelement"));
        Err().Clear();
        out.push_back(CStr(Call(project, "getProjectDescription")));
    }
    return out;
}

} // namespace

class TestControlTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    TestControl& control = TestControl::Instance();
};

TEST_F(TestControlTest, FaultFiresOnTheNthMatchingCallOnly) {
    control.ArmFault(
        Fault::Error("Project.Project", "getProjectDescription", 5001, 2, "second read fails", "ERP"));
    Object manager = CreateObject(progids::ProjectManager);
    EXPECT_EQ(Descriptions(manager), (std::vector<std::string>{"First", ""}));
    EXPECT_EQ(Err().Number, 5001);
    EXPECT_EQ(Err().Source, "ERP");
    EXPECT_EQ(Err().Description, "second read fails");
    Err().Clear();
    EXPECT_EQ(Descriptions(manager), (std::vector<std::string>{"First", "Second"}))
        << "the third call passes";
}

TEST_F(TestControlTest, FaultByOriginOnEveryCallAndReturnsNothing) {
    // Elements answer faults armed on the ProgID of the manager that made them.
    int id = control.ArmFault(Fault::Error(progids::ProjectManager, "GETPROJECTDESCRIPTION", 7));
    Object manager = CreateObject(progids::ProjectManager);
    EXPECT_EQ(Descriptions(manager), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Err().Number, 7);
    EXPECT_EQ(Err().Description, "Out of memory") << "no description gives the number's standard text";
    control.DisarmFault(id);
    Err().Clear();

    control.ArmFault(Fault::Nothing(progids::ProjectManager, "List", 1));
    Variant list = Call(manager, "List", {ByVal(""), ByVal("zzzz")});
    EXPECT_EQ(Err().Number, 0);
    ASSERT_TRUE(list.IsObject());
    EXPECT_TRUE(list.Peek<Object>()->IsNothing());
    EXPECT_EQ(Descriptions(manager).size(), 2u);
}

TEST_F(TestControlTest, CallLogKeepsArgumentTypesAndByReferenceFlags) {
    control.StartCallLog();
    Object manager = CreateObject(progids::ObsManager);
    Variant callId = int16_t(0), flag = "N";
    Call(manager, "getOrganizationBreakdownStructureElements",
         {ByVal(" P1 "), ByVal(""), ByVal(int16_t(500)), ByRef(callId), ByRef(flag)});
    Call(manager, "releaseAll");
    auto calls = control.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].creation);
    EXPECT_EQ(calls[0].className, progids::ObsManager);
    const auto& request = calls[1];
    ASSERT_EQ(request.args.size(), 5u);
    EXPECT_EQ(request.args[0].value, Variant(" P1 ")) << "values as passed, untrimmed";
    EXPECT_EQ(request.args[2].type, VarType::Integer);
    EXPECT_FALSE(request.args[2].byRef);
    EXPECT_EQ(request.args[3].type, VarType::Integer);
    EXPECT_TRUE(request.args[3].byRef);
    EXPECT_EQ(request.args[3].value, Variant(int16_t(0))) << "logged before the callee wrote it back";
    EXPECT_TRUE(request.args[4].byRef);
    EXPECT_TRUE(control.WasCalled("RELEASEALL"));
    EXPECT_NE(request.Describe().find("500 Integer"), std::string::npos) << request.Describe();
    control.StopCallLog();
    Call(manager, "releaseAll");
    EXPECT_EQ(control.CallsTo("releaseAll").size(), 1u);
}

TEST_F(TestControlTest, UnregisteredProgIdCannotBeCreatedUntilRestored) {
    control.UnregisterProgId(progids::ProjectManager);
    EXPECT_TRUE(CreateObject(progids::ProjectManager).IsNothing());
    EXPECT_EQ(Err().Number, platform::automation::errors::CantCreateObject);
    Err().Clear();
    control.Reset();
    EXPECT_FALSE(CreateObject(progids::ProjectManager).IsNothing());
}
