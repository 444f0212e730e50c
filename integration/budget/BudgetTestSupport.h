#pragma once
// Test helpers of the budget-line units (header only): a seeded ERP, a saved plan with the
// integration's properties and an open log, and helpers that lay out charge-element tasks,
// resources and the labour cost-object file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/os/FixedRecord.h"
#include "platform/os/RandomFile.h"

namespace Grantry::test {

struct LaborRecord {
    std::string project, code, description, unit;
};

class BudgetFixture : public ConnectFixture {
protected:
    explicit BudgetFixture(const std::string& seed = "{}") : ConnectFixture(seed) {}
    void SetUp() override {
        ResetLanguageState();
        ConnectFixture::SetUp();
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Plan.mpp").string());
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        OpenLog();
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        ConnectFixture::TearDown();
        ResetLanguageState();
    }

    // Appends a task at `level`; a charge-element task when `code` is given.
    msp::Task AddTask(const std::string& name, int level, const std::string& code = "") {
        msp::Task t = Plan().Tasks().Add(name);
        t.SetOutlineLevel(level);
        if (!code.empty()) {
            t.SetText(1, code);
            t.SetFlag(3, true);
        }
        EXPECT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
        return t;
    }
    msp::Resource AddResource(const std::string& name, const std::string& code) {
        msp::Resource r = Plan().Resources().Add(name);
        r.SetText(2, code);
        return r;
    }
    // The plan's labour cost-object file with these records and the end record.
    void WriteLaborFile(const std::vector<LaborRecord>& records) {
        platform::os::RandomFile file;
        ASSERT_TRUE(file.Open(GetLcoFilePath(), LaborCostObjectRecord::kLength, platform::os::RandomAccess::Write));
        platform::os::FixedRecord record(LaborCostObjectRecord::kLength);
        for (const LaborRecord& r : records) {
            record.SetText(LaborCostObjectRecord::Project, r.project);
            record.SetText(LaborCostObjectRecord::Code, r.code);
            record.SetText(LaborCostObjectRecord::Description, r.description);
            record.SetText(LaborCostObjectRecord::Unit, r.unit);
            ASSERT_TRUE(file.Put(record));
        }
        record.SetText(LaborCostObjectRecord::Project, ".");
        record.SetText(LaborCostObjectRecord::Code, "");
        ASSERT_TRUE(file.Put(record));
    }
    // "Name:level" of every row, blank rows as "-".
    std::string Outline() const {
        std::string out;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!out.empty()) out += ' ';
            out += t ? t.Name() + ":" + std::to_string(t.OutlineLevel()) : "-";
        }
        return out;
    }
};

} // namespace Grantry::test

namespace Grantry::test {

// Project P1, plan MAIN: charge elements A100 to A400 below A, cost objects of every kind, two
// employees and a trade group, and waiting budget lines of all five cost types.
inline constexpr char kBudgetSeed[] = R"json({
  "release": "tt7.1_a",
  "company": {"number": 7},
  "costObjects": [
    {"kind": "MAT", "code": "CONCRETE", "description": "Ready-mix concrete", "unit": "m3", "costPrice": 145},
    {"kind": "LAB", "code": "W01", "description": "Site hour", "unit": "h", "costRate": 58},
    {"kind": "LAB", "code": "W02", "description": "Night hour", "unit": "h", "costRate": 70},
    {"kind": "EQP", "code": "CRANE", "description": "Mobile crane", "unit": "h", "costRate": 180},
    {"kind": "EQP", "code": "EXCAV", "description": "Excavator", "unit": "h", "costRate": 95},
    {"kind": "SUB", "code": "SURVEY", "description": "Land survey", "unit": "day", "costPrice": 850},
    {"kind": "SUN", "code": "PERMIT", "description": "Permit fees", "unit": "LS", "costPrice": 2500}],
  "employees": [{"code": "E100", "name": "Anna Berg"}, {"code": "E200", "name": "Jonas Keller"}],
  "tradeGroups": [{"code": "CARP", "description": "Carpenters", "costRate": 52, "numberOfEmployees": 6}],
  "projects": [
    {"id": "P1", "description": "Depot", "leadingPlan": "MAIN",
     "costObjects": [
       {"kind": "MAT", "code": "STEEL", "description": "Steel beams", "unit": "t", "costPrice": 1250},
       {"kind": "LAB", "code": "W01", "description": "Project site hour", "unit": "h", "costRate": 60},
       {"kind": "SUN", "code": "FEE", "description": "Connection fees", "unit": "LS", "costPrice": 4200}],
     "plans": [
       {"id": "MAIN", "topChargeElement": "A",
        "chargeElements": [
          {"id": "A", "description": "Depot", "type": 1},
          {"id": "A100", "description": "Foundations", "type": 4, "parent": "A"},
          {"id": "A200", "description": "Hall", "type": 4, "parent": "A"},
          {"id": "A300", "description": "Not in the plan", "type": 4, "parent": "A"}],
        "budgetLines": [
          {"chargeElement": "A100", "costType": 1, "costObject": "CONCRETE", "quantity": 420,
           "requiredQuantity": 420, "costAmount": 60900.5, "start": "2024-04-01 08:00", "finish": "2024-04-30 17:00"},
          {"chargeElement": "A100", "costType": 2, "costObject": "W01", "employee": "E100", "quantity": 40,
           "requiredQuantity": 320, "costAmount": 18560, "start": "2024-04-02 08:00", "finish": "2024-04-26 17:00"},
          {"chargeElement": "A100", "costType": 2, "costObject": "W01", "tradeGroup": "CARP", "quantity": 10,
           "requiredQuantity": 80, "costAmount": 4160, "start": "2024-04-03 08:00", "finish": "2024-04-26 17:00"},
          {"chargeElement": "A100", "costType": 2, "costObject": "W01", "costObjectProject": "P1", "quantity": 2,
           "requiredQuantity": 16, "costAmount": 960, "start": "2024-04-04 08:00", "finish": "2024-04-26 17:00"},
          {"chargeElement": "A100", "costType": 2, "costObject": "W01", "employee": "E200", "quantity": 3,
           "requiredQuantity": 24, "costAmount": 1392, "start": "2024-04-05 08:00", "finish": "2024-04-26 17:00"},
          {"chargeElement": "A100", "costType": 3, "costObject": "CRANE", "duration": 15, "requiredDuration": 120,
           "costAmount": 21600, "start": "2024-04-08 08:00", "finish": "2024-04-19 17:00"},
          {"chargeElement": "A100", "costType": 4, "costObject": "SURVEY", "quantity": 5, "requiredQuantity": 5,
           "costAmount": 4250},
          {"chargeElement": "A100", "costType": 5, "costObject": "FEE", "costObjectProject": "P1", "quantity": 1,
           "requiredQuantity": 1, "costAmount": 4200, "start": "2024-04-01 08:00", "finish": "2024-04-01 17:00"},
          {"chargeElement": "A100", "costType": 3, "costObject": "CRANE", "duration": 5, "requiredDuration": 40,
           "costAmount": 7200, "start": "2024-04-22 08:00", "finish": "2024-04-26 17:00"},
          {"chargeElement": "A200", "costType": 1, "costObject": "STEEL", "costObjectProject": "P1", "quantity": 85,
           "requiredQuantity": 85, "costAmount": 106250, "start": "2024-05-06 08:00", "finish": "2024-05-31 17:00"},
          {"chargeElement": "A200", "costType": 3, "costObject": "EXCAV", "duration": 2, "requiredDuration": 16,
           "costAmount": 1520, "start": "2024-05-06 08:00", "finish": "2024-05-07 17:00"},
          {"chargeElement": "A200", "costType": 2, "costObject": "W02", "quantity": 1, "requiredQuantity": 8,
           "costAmount": 560, "start": "2024-05-06 08:00", "finish": "2024-05-06 17:00"},
          {"chargeElement": "A200", "costType": 5, "costObject": "PERMIT", "quantity": 1, "requiredQuantity": 1,
           "costAmount": 2500, "scheduleLink": 1},
          {"chargeElement": "A300", "costType": 1, "costObject": "CONCRETE", "quantity": 10, "requiredQuantity": 10,
           "costAmount": 1450, "start": "2024-06-03 08:00", "finish": "2024-06-07 17:00"}]}]}]
})json";

// The seed's plan as the connect run leaves it before the budget lines come: the structure, the
// resources of the transfer (no employee E200, no excavator) and the labour cost-object file.
class BudgetLinesFixture : public BudgetFixture {
protected:
    BudgetLinesFixture() : BudgetFixture(kBudgetSeed) {}
    void SetUp() override {
        BudgetFixture::SetUp();
        Plan().SetStart(platform::automation::Date::FromParts(2024, 3, 4, 8));
        Plan().SetDefaultWorkUnits(msp::pjHour);
        top = AddTask("Depot", 1, "A");
        a100 = AddTask("Foundations", 2, "A100");
        AddTask("Piling", 3);
        a200 = AddTask("Hall", 2, "A200");
        for (const auto& [name, code] : std::vector<std::pair<std::string, std::string>>{
                 {"MAT.CONCRETE Ready-mix concrete", "MAT.CONCRETE"},
                 {"MAT.P1.STEEL Steel beams", "MAT.P1.STEEL"},
                 {"EQP.CRANE Mobile crane", "EQP.CRANE"},
                 {"SUB.SURVEY Land survey", "SUB.SURVEY"},
                 {"SUN.PERMIT Permit fees", "SUN.PERMIT"},
                 {"SUN.P1.FEE Connection fees", "SUN.P1.FEE"},
                 {"EMP.E100 Anna Berg", "EMP.E100"},
                 {"TRG.CARP Carpenters", "TRG.CARP"}})
            AddResource(name, code);
        WriteLaborFile({{"", "W01", "Site hour", "h"}, {"P1", "W01", "Project site hour", "h"}});
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "P1";
        CurrentProjectData->Plan = "MAIN";
        CurrentProjectData->ConnectedCE = "A";
        DeleteKovaMSPTask = false;
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        DeleteKovaMSPTask = false;
        BudgetFixture::TearDown();
    }
    // "CE_type_seq=link:schedule" of every ERP line, in key order.
    std::string ErpLinks() {
        return platform::automation::CStr(erp.Open()->Scalar(
            "SELECT group_concat(k, ' ') FROM (SELECT ce_id || '_' || cost_type || '_' || seq_no || '=' || "
            "schedule_link || ':' || external_schedule AS k FROM budget_line ORDER BY ce_id, cost_type, seq_no)"));
    }
    msp::Task top, a100, a200;
};

} // namespace Grantry::test
