// The budget-line manager: what a created line reads back, and which lines a plan is offered.
#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

constexpr const char* kSeed = R"({
  "company": {"number": 1},
  "costObjects": [{"kind": "MAT", "code": "SAND", "unit": "t"}, {"kind": "LAB", "code": "ENG", "unit": "h"},
                  {"kind": "EQP", "code": "CRANE", "unit": "d"}, {"kind": "SUB", "code": "PAINT", "unit": "m2"},
                  {"kind": "SUN", "code": "PERMIT", "unit": "pc"}],
  "tradeGroups": [{"code": "CARP"}],
  "projects": [{"id": "P1", "plans": [{"id": "PL",
    "chargeElements": [{"id": "TOP", "type": 1}, {"id": "A", "parent": "TOP", "type": 1},
                       {"id": "A1", "parent": "A", "type": 4}, {"id": "OUT", "type": 4}],
    "budgetLines": [
      {"chargeElement": "A1", "costType": 5, "costObject": "PERMIT"},
      {"chargeElement": "A", "costType": 5, "costObject": "PERMIT", "externalSchedule": "Mine.mpp"},
      {"chargeElement": "A", "costType": 5, "costObject": "PERMIT", "externalSchedule": "Other.mpp"},
      {"chargeElement": "A", "costType": 5, "costObject": "PERMIT", "scheduleLink": 3},
      {"chargeElement": "OUT", "costType": 5, "costObject": "PERMIT"}]}]}]
})";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

} // namespace

class ActivityBudgetManagerTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    Object manager = CreateObject(progids::ActivityBudgetManager);

    Object Linked(const std::string& type, const std::string& ce, int32_t seq) {
        Variant project = std::string("P1"), plan = std::string("PL"), element = ce, number = seq;
        Object result = ObjectOf(Call(manager, "show" + type + "BudgetLineForScheduling",
                                      {ByRef(project), ByRef(plan), ByRef(element), ByRef(number)}));
        Object reference = ObjectOf(Call(result, "get" + type + "BudgetLineReference"));
        return ObjectOf(Call(reference, "get" + type + "BudgetLine"));
    }
};

TEST_F(ActivityBudgetManagerTest, ACreatedLineReadsBackTheQuantityItWasCreatedWith) {
    struct Case {
        const char* type;
        const char* costObject;
        const char* quantitySetter;
        std::vector<const char*> getters; // each answers the created quantity
        const char* unitGetter;
        const char* unit;
    } cases[] = {
        {"Material", "SAND", "setNetQuantity", {"getRequiredQuantity"}, "getRequiredUnit", "t"},
        {"Labor", "ENG", "setQuantity", {"getQuantity", "getRequiredQuantity"}, "getUnit", "h"},
        {"Equipment", "CRANE", "setDuration", {"getDuration", "getRequiredDuration"}, "getTimeUnit", "d"},
        {"Subcontracting", "PAINT", "setQuantity", {"getRequiredQuantity"}, "getRequiredUnit", "m2"},
        {"Sundry", "PERMIT", "setQuantity", {"getRequiredQuantity"}, "getRequiredUnit", "pc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Object line = CreateObject(std::string("ActivityBudget.") + c.type + "BudgetLine");
        const std::string setter = std::string(c.type) == "Material" ? "setItem"
                                   : std::string(c.type) == "Sundry" ? "setSundryCost"
                                                                     : std::string("set") + c.type;
        Call(line, setter, {ByVal(std::string(c.costObject))});
        Call(line, c.quantitySetter, {ByVal(7.5)});
        if (std::string(c.type) == "Labor") Call(line, "setTradeGroup", {ByVal(std::string("CARP"))});
        Call(line, "setProjectID", {ByVal(std::string("P1"))});
        Call(line, "setPlanID", {ByVal(std::string("PL"))});
        Call(line, "setChargeElementID", {ByVal(std::string("OUT"))});
        Call(line, "setScheduleLink", {ByVal(int16_t(3))});
        Call(line, "setExternalSchedule", {ByVal(std::string("Mine.mpp"))});
        Variant ref(line);
        Call(manager, "Add", {ByRef(ref)});
        Call(manager, "synchronize");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        int32_t seq = CLng(Call(line, "getSequenceNumber"));
        Object read = Linked(c.type, "OUT", seq);
        ASSERT_FALSE(read.IsNothing());
        for (const char* getter : c.getters)
            EXPECT_EQ(CDbl(Call(read, getter)), 7.5) << getter;
        EXPECT_EQ(CStr(Call(read, c.unitGetter)), c.unit);
    }
}

TEST_F(ActivityBudgetManagerTest, APlanIsOfferedTheWaitingLinesOfItsSubtreeAndFile) {
    Variant project = std::string("P1"), plan = std::string("PL"), node = std::string("A"),
            file = std::string("Mine.mpp"), one = int32_t(1), callId = int32_t(0), flag = std::string("N");
    Object set = ObjectOf(Call(manager, "listSundryBudgetLineForScheduling",
                               {ByRef(project), ByRef(plan), ByRef(node), ByRef(file), ByRef(one),
                                ByVal(int16_t(500)), ByRef(callId), ByRef(flag)}));
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CStr(flag), "Y");
    Object page = ObjectOf(Call(set, "getSundryBudgetLineListReference"));
    ASSERT_EQ(CLng(Call(page, "sizeSundryBudgetline")), 2);
    // The node's own waiting line of this file, then its child's line without a file; not the line of
    // another file, not the linked one, not the one outside the node.
    std::vector<std::string> offered;
    for (int32_t i = 0; i < 2; ++i) {
        Variant index = i;
        Object line = ObjectOf(Call(page, "getSundryBudgetLineAt", {ByRef(index)}));
        offered.push_back(CStr(Call(line, "getChargeElementID")) + "/" +
                          CStr(Call(line, "getSequenceNumber")));
    }
    EXPECT_EQ(offered, (std::vector<std::string>{"A/1", "A1/1"}));

    // A line not linked to a plan is not found for a refresh, and that is no error.
    EXPECT_TRUE(Linked("Sundry", "A", 1).IsNothing());
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(Linked("Sundry", "A", 3).IsNothing());
}
