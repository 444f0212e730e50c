// Rules of the plan, baseline, charge-element and external-schedule-link managers that only show on the
// stand-in's side.
#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

constexpr const char* kSeed = R"({
  "company": {"number": 7},
  "projects": [{"id": "P", "plans": [
    {"id": "MAIN", "chargeElements": [
      {"id": "TOP", "type": 1}, {"id": "A", "type": 4, "parent": "TOP"}, {"id": "B", "type": 4, "parent": "TOP"},
      {"id": "A1", "type": 4, "parent": "A"}, {"id": "MSA", "type": 5, "parent": "TOP", "linked": "A"}],
     "links": [{"node": "A", "ownership": 1, "externalSchedule": "A.mpp"}]},
    {"id": "ALT"}]}]
})";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

} // namespace

class ProjectStructureManagersTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    Variant Scalar(const std::string& sql) { return erp.Open()->Scalar(sql); }
};

TEST_F(ProjectStructureManagersTest, LinksMayNotOverlapAnotherLinkOfThePlan) {
    struct Case {
        const char* plan;
        const char* node;
        int32_t number; // 0 = accepted
    } cases[] = {
        {"MAIN", "A", failures::Refused},   // the same key
        {"MAIN", "TOP", failures::Refused}, // above the linked element
        {"MAIN", "A1", failures::Refused},  // below it
        {"MAIN", "MSA", failures::Refused}, // a milestone linked to it
        {"MAIN", "", failures::Refused},    // the whole plan
        {"MAIN", "NOPE", failures::NotFound},
        {"NOPE", "", failures::NotFound},
        {"MAIN", "B", 0},
        {"ALT", "", 0},
    };
    for (const auto& c : cases) {
        Object manager = CreateObject(progids::ExternalScheduleLinkManager);
        Object link = CreateObject(progids::ExternalScheduleLink);
        Call(link, "setProjectID", {ByVal("P")});
        Call(link, "setPlanID", {ByVal(c.plan)});
        Call(link, "setChargeElementID", {ByVal(c.node)});
        Call(link, "setExternalSchedule", {ByVal("Other.mpp")});
        Call(manager, "Add", {ByVal(Variant(link))});
        Err().Clear();
        Call(manager, "synchronize");
        EXPECT_EQ(Err().Number, c.number) << c.plan << "/" << c.node << ": " << Err().Description;
        Err().Clear();
    }
    EXPECT_EQ(Scalar("SELECT count(*) FROM external_schedule_link"), Variant(int32_t(3)));
}

TEST_F(ProjectStructureManagersTest, RefusedStructuresChangeNothing) {
    struct Case {
        const char* name;
        const char* code;
        const char* parent;
    } cases[] = {{"code too long", "TOOLONG99", ""},
                 {"code with a dot", "A.B", ""},
                 {"unknown parent", "NEW", "77"},
                 {"own parent", "NEW", "NEW"}};
    for (const auto& c : cases) {
        Object manager = CreateObject(progids::ChargeElementManager);
        Object input = CreateObject(progids::ChargeElementInput);
        Object element = CreateObject(progids::ChargeElement);
        Call(element, "setSequenceNumber", {ByVal(Variant(int32_t(9)))});
        Call(element, "setChargeElementID", {ByVal(c.code)});
        Call(element, "setChargeElementType", {ByVal(Variant(int32_t(4)))});
        Call(element, "setParentChargeElement", {ByVal(c.parent)});
        Variant e = element, in = input, project = "P", plan = "MAIN", node = "B";
        Call(input, "addChargeElement", {ByRef(e)});
        Variant callId = int32_t(0), flag = "N";
        Err().Clear();
        Call(manager, "updateChargeBreakdownStructure",
             {ByRef(project), ByRef(plan), ByRef(node), ByRef(in), ByVal(int16_t(1000)), ByRef(callId),
              ByRef(flag)});
        EXPECT_EQ(Err().Number, failures::Refused) << c.name << ": " << Err().Description;
        Err().Clear();
    }
    EXPECT_EQ(Scalar("SELECT count(*) FROM charge_element"), Variant(int32_t(5)));
    EXPECT_EQ(Scalar("SELECT count(*) FROM code_counter"), Variant(int32_t(0)));
}

TEST_F(ProjectStructureManagersTest, ScheduleTreatsTheFarActualStartAsNotStartedAndRefusesUnknownElements) {
    auto send = [&](const char* code, const char* actualStart) {
        Object manager = CreateObject(progids::ChargeElementManager);
        Object input = CreateObject(progids::ChargeElementInput);
        Object element = CreateObject(progids::ChargeElement);
        Call(element, "setChargeElementID", {ByVal(code)});
        Call(element, "setActualStartDate", {ByVal(Variant(MakeJavaDate(actualStart)))});
        Call(element, "setPercentageComplete", {ByVal(25.0)});
        Variant e = element, in = input, project = "P", plan = "MAIN", node = "TOP";
        Call(input, "addChargeElement", {ByRef(e)});
        Object answer =
            ObjectOf(Call(manager, "updateSchedule", {ByRef(project), ByRef(plan), ByRef(node), ByRef(in)}));
        return CLng(Call(answer, "getReturnValueofMethod"));
    };
    EXPECT_EQ(send("A", "20370101000000"), 0);
    EXPECT_TRUE(Scalar("SELECT actual_start_ts FROM charge_element WHERE ce_id = 'A'").IsEmpty());
    EXPECT_EQ(send("B", "20240301080000"), 0);
    EXPECT_EQ(CStr(Scalar("SELECT actual_start_ts FROM charge_element WHERE ce_id = 'B'")), "20240301080000");
    EXPECT_EQ(send("NOPE", "20240301080000"), 1);
    EXPECT_EQ(Err().Number, 0);
}
