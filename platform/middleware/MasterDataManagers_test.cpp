// The cost-object, employee, trade-group and calendar managers, on what the data library's own tests
// do not reach: the project filter, unknown keys, and the calendar keys.
#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "costObjects": [{"kind": "LAB", "code": "L1", "description": "General"}],
  "calendars": [
    {"code": "STD", "actualLines": [{"start": "2024-01-01", "end": "2024-01-31", "startTime": 800, "endTime": 1700}]},
    {"code": "STD", "availabilityType": "T2"},
    {"code": "MID", "availabilityType": "T2", "parent": "STD"},
    {"code": "LEAF", "availabilityType": "T3", "parent": "MID"}],
  "projects": [{"id": "P1", "costObjects": [{"kind": "LAB", "code": "L9", "description": "Own"}]},
               {"id": "P2", "costObjects": [{"kind": "LAB", "code": "L8", "description": "Other"}]}]
})json";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

// One whole paged list as "getter value" texts of its elements.
std::vector<std::string> ReadList(const Object& manager, const std::string& list, std::vector<Variant> keys,
                                  const std::string& reference, const std::string& size,
                                  const std::string& at, const std::string& getter) {
    std::vector<std::string> out;
    Variant callId = int32_t(0), flag = std::string("N");
    for (int guard = 0; guard < 10 && CStr(flag) != "Y"; ++guard) {
        std::vector<Arg> args;
        for (auto& k : keys)
            args.push_back(ByRef(k));
        Variant batch = int16_t(500);
        args.push_back(ByVal(batch));
        args.push_back(ByRef(callId));
        args.push_back(ByRef(flag));
        Object set = ObjectOf(Invoke(manager, list, CallKind::Method, std::span<Arg>(args)));
        if (Err().Number != 0) break;
        Object page = ObjectOf(Call(set, reference));
        for (int32_t i = 0; i < CLng(Call(page, size)); ++i) {
            Variant index = i;
            out.push_back(CStr(Call(ObjectOf(Call(page, at, {ByRef(index)})), getter)));
        }
    }
    return out;
}

} // namespace

class MasterDataManagersTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
};

TEST_F(MasterDataManagersTest, ProjectCostObjectsOfThatProjectOnly) {
    Object manager = CreateObject(progids::ProjectCostObjectManager);
    auto read = [&](const char* project, const char* getter) {
        return ReadList(manager, "listProjectLaborCostObject",
                        {std::string(project), std::string(""), std::string("zzzz")},
                        "getProjectLaborCostObjectListReference", "sizeProjectLaborCostObject",
                        "getProjectLaborCostObjectAt", getter);
    };
    EXPECT_EQ(read(" P1 ", "getLabor"), (std::vector<std::string>{"L9"}));
    EXPECT_EQ(read("P1", "getProjectID"), (std::vector<std::string>{"P1"}));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(read("NOPE", "getLabor").empty());
    EXPECT_EQ(Err().Number, failures::NotFound);

    Err().Clear();
    Object standard = CreateObject(progids::StandardCostObjectManager);
    EXPECT_EQ(ReadList(standard, "listLaborCostObject", {std::string(""), std::string("zzzz")},
                       "getLaborCostObjectListReference", "sizeLaborCostObject", "getLaborCostObjectAt",
                       "getLabor"),
              (std::vector<std::string>{"L1"}));
}

TEST_F(MasterDataManagersTest, CalendarsKeyedByCodeAndAvailabilityType) {
    Object manager = CreateObject(progids::CalendarManager);
    // A parent is looked for under the calendar's own type first, then under any.
    auto path = [&](const char* code, const char* type) {
        Variant c = std::string(code), t = std::string(type);
        std::vector<std::string> parents;
        Object result = ObjectOf(Call(manager, "getDerivationPath", {ByRef(c), ByRef(t)}));
        if (Err().Number != 0) return parents;
        Object list = ObjectOf(Call(result, "getDerivationPathReference"));
        for (int32_t i = 0; i < CLng(Call(list, "sizeAvailabilityTypesByCalendar")); ++i) {
            Variant index = i;
            Object step = ObjectOf(Call(list, "getAvailabilityTypesByCalendarAt", {ByRef(index)}));
            parents.push_back(CStr(Call(step, "getParentCalendar")) + "/" +
                              CStr(Call(step, "getAvailabilityType")));
        }
        return parents;
    };
    EXPECT_EQ(path("LEAF", "T3"), (std::vector<std::string>{"STD/T2", "MID/T2"}));
    EXPECT_EQ(path("MID", "T2"), (std::vector<std::string>{"STD/T2"}));
    EXPECT_TRUE(path("STD", "").empty());
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(path("LEAF", "").empty());
    EXPECT_EQ(Err().Number, failures::NotFound);

    // The actual lines of the default availability answer under "" and under "AVAILABLE".
    for (const char* type : {"", "AVAILABLE"}) {
        Err().Clear();
        Object lines = ObjectOf(Call(manager, "showActualCalendarLine", {ByVal("STD"), ByVal(type)}));
        ASSERT_TRUE(CBool(Call(lines, "hasMoreElements"))) << type;
        EXPECT_EQ(CLng(Call(ObjectOf(Call(lines, "nextelement")), "getStartTime")), 800);
        EXPECT_FALSE(CBool(Call(lines, "hasMoreElements")));
    }
    Object none = ObjectOf(Call(manager, "showActualCalendarLine", {ByVal("STD"), ByVal("T2")}));
    EXPECT_FALSE(CBool(Call(none, "hasMoreElements")));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
}
