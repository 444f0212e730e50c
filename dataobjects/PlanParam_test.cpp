#include "dataobjects/PlanParam.h"

#include <gtest/gtest.h>

#include "dataobjects/Main.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kPpp = "ProjectPlanningParameter.ProjectPlanningParameterManager";

// Equipment 1, trade groups 2, employees 0, labor absent, subcontracting 1, sundry 1, material 1.
constexpr const char* kSeed = R"({
  "company": {"number": 5},
  "planningParameters": {"transferEquipment": 1, "transferTradeGroups": 2, "transferEmployees": 0,
    "transferSubcontracting": 1, "transferSundry": 1, "transferMaterial": 1,
    "dateTypeForScheduling": 2, "currency": " EUR ", "defaultAvailabilityType": " STANDARD "}
})";

struct Flags {
    bool equip, trgp, emp, labor, sub, sundry, material;
    bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const PlanParam& p) {
    return {p.EquipSelected(),       p.TrGpSelected(),   p.EmpSelected(),     p.LaborSelected(),
            p.SubcontractSelected(), p.SundrySelected(), p.MaterialSelected()};
}

} // namespace

class PlanParamTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    PlanParam params;
    std::string connector = "DEMO";
};

TEST_F(PlanParamTest, OnlyTheValueOneSelects) {
    params.getPlanningParameters(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(FlagsOf(params), (Flags{true, false, false, false, true, true, true}));
    EXPECT_EQ(params.DateTypeForSchedule(), 2);
    EXPECT_EQ(params.ESPCurrency, "EUR");
    EXPECT_EQ(params.DefaultAvailabilityType(), "STANDARD");
    EXPECT_TRUE(CurrentManager.IsNothing());
    EXPECT_FALSE(erp.Control().WasCalled("releaseAll"));
}

TEST_F(PlanParamTest, ASecondCallOverwritesWhatItReads) {
    params.getPlanningParameters(connector);
    erp.Open()->Exec("UPDATE planning_parameters SET transfer_equipment = 2, transfer_labor = 1, "
                     "date_type_for_scheduling = 1, currency = 'CHF', default_availability_type = ''");
    params.getPlanningParameters(connector);
    EXPECT_EQ(FlagsOf(params), (Flags{false, false, false, true, true, true, true}));
    EXPECT_EQ(params.DateTypeForSchedule(), 1);
    EXPECT_EQ(params.ESPCurrency, "CHF");
    EXPECT_EQ(params.DefaultAvailabilityType(), "");
}

TEST_F(PlanParamTest, AFailingReadKeepsItsPropertyAndItsError) {
    params.getPlanningParameters(connector);
    erp.Open()->Exec("UPDATE planning_parameters SET currency = 'CHF', transfer_material = 0");
    erp.Control().ArmFault(platform::middleware::Fault::Error(
        "ProjectPlanningParameter.ProjectPlanningParameter", "getESPCurrency", 321));
    params.getPlanningParameters(connector);
    EXPECT_EQ(params.ESPCurrency, "EUR");
    EXPECT_FALSE(params.MaterialSelected()) << "the reads before it still happened";
    EXPECT_EQ(params.DefaultAvailabilityType(), "STANDARD") << "and the reads after it";
    EXPECT_EQ(Err().Number, 321) << "the last error stays; nothing is raised";
}

TEST_F(PlanParamTest, NoRecordKeepsEveryValueFromCreation) {
    erp.Config().started = false;
    erp.Save();
    params.ESPCurrency = "kept";
    params.getPlanningParameters(connector);
    EXPECT_NE(Err().Number, 0);
    EXPECT_EQ(FlagsOf(params), (Flags{false, false, false, false, false, false, false}));
    EXPECT_EQ(params.DateTypeForSchedule(), 0);
    EXPECT_EQ(params.ESPCurrency, "kept");

    erp.Control().UnregisterProgId(kPpp);
    params.getPlanningParameters(connector);
    EXPECT_NE(Err().Number, 0);
    EXPECT_EQ(params.DefaultAvailabilityType(), "");
}

TEST_F(PlanParamTest, CallersReadItByName) {
    Object byName = MakeObject<PlanParam>();
    Variant connectorArg = "DEMO";
    Call(byName, "getPlanningParameters", {ByRef(connectorArg)});
    EXPECT_EQ(Get(byName, "EquipSelected"), Variant(true));
    EXPECT_EQ(Get(byName, "TrGpSelected"), Variant(false));
    EXPECT_EQ(Get(byName, "DateTypeForSchedule"), Variant(int32_t(2)));
    EXPECT_EQ(CStr(Get(byName, "DefaultAvailabilityType")), "STANDARD");
    Let(byName, "DeleteBudgetLineInKova", true);
    EXPECT_EQ(Get(byName, "DeleteBudgetLineInKova"), Variant(true));
    EXPECT_EQ(Get(byName, "DeleteBudgetLineInMsP"), Variant(false));
    Let(byName, "ESPCurrency", "USD");
    EXPECT_EQ(CStr(Get(byName, "ESPCurrency")), "USD");
    EXPECT_EQ(Err().Number, 0);
    Let(byName, "EmpSelected", true);
    EXPECT_NE(Err().Number, 0) << "read only";
}
