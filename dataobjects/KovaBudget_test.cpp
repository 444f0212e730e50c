#include "dataobjects/KovaBudget.h"

#include <functional>

#include <gtest/gtest.h>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaProjectData.h"
#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kManager = "ActivityBudget.ActivityBudgetManager";
constexpr const char* kFile = "Bridge.mpp";

// Plan PL: TOP with A and B below it, OUT beside it. Sequence numbers count within a charge element:
// A 1 concrete, 2 own steel, 3 engineer E1, 4 crane, 5 permit linked to another plan file, 6 refused;
// B 1 engineer CARP, 2 engineer without employee or trade group, 3 painting, 4 own fee; OUT 1 permit.
constexpr const char* kSeed = R"({
  "company": {"number": 1},
  "costObjects": [
    {"kind": "MAT", "code": "CONCRETE", "description": " Concrete C30 ", "unit": "m3", "costPrice": 90},
    {"kind": "LAB", "code": "ENG", "description": "Engineer", "unit": "h"},
    {"kind": "EQP", "code": "CRANE", "description": "Crane", "unit": "d"},
    {"kind": "SUB", "code": "PAINT", "description": "Painting", "unit": "m2"},
    {"kind": "SUN", "code": "PERMIT", "description": "Permit", "unit": "pc"}],
  "employees": [{"code": "E1", "name": "Eva"}],
  "tradeGroups": [{"code": "CARP", "description": "Carpenters"}],
  "projects": [{"id": "P1", "description": "Bridge",
    "costObjects": [{"kind": "MAT", "code": "STEEL", "description": "Own steel", "unit": "t"},
                    {"kind": "SUN", "code": "FEE", "description": "Own fee", "unit": "pc"}],
    "plans": [{"id": "PL", "topChargeElement": "TOP",
      "chargeElements": [{"id": "TOP", "type": 1}, {"id": "A", "parent": "TOP", "type": 4},
                         {"id": "B", "parent": "TOP", "type": 4}, {"id": "OUT", "type": 1}],
      "budgetLines": [
        {"chargeElement": "A", "costType": 1, "costObject": "CONCRETE", "requiredQuantity": 12.5, "costAmount": 90,
         "start": "2026-03-02", "finish": "2026-03-06 17:30"},
        {"chargeElement": "A", "costType": 1, "costObject": "STEEL", "costObjectProject": "P1", "requiredQuantity": 2},
        {"chargeElement": "A", "costType": 2, "costObject": "ENG", "employee": "E1", "quantity": 40,
         "requiredQuantity": 32, "costAmount": 2400},
        {"chargeElement": "A", "costType": 3, "costObject": "CRANE", "duration": 5, "requiredDuration": 4,
         "costAmount": 2000},
        {"chargeElement": "A", "costType": 5, "costObject": "PERMIT", "scheduleLink": 3, "externalSchedule": "Other.mpp"},
        {"chargeElement": "A", "costType": 4, "costObject": "PAINT", "scheduleLink": 1, "refuseMessage": "Actuals booked"},
        {"chargeElement": "B", "costType": 2, "costObject": "ENG", "tradeGroup": "CARP", "quantity": 8,
         "requiredQuantity": 6},
        {"chargeElement": "B", "costType": 2, "costObject": "ENG"},
        {"chargeElement": "B", "costType": 4, "costObject": "PAINT", "unit": "m2", "requiredQuantity": 300,
         "costAmount": 4500},
        {"chargeElement": "B", "costType": 5, "costObject": "FEE", "costObjectProject": "P1", "requiredQuantity": 1,
         "costAmount": 50},
        {"chargeElement": "OUT", "costType": 5, "costObject": "PERMIT"}]}]}]
})";

struct Row {
    int32_t link;
    std::string file;
};

} // namespace

class KovaBudgetTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    std::string connector = "DEMO";
    KovaBudget budget;

    void SetUp() override {
        budget.Project = "P1";
        budget.Plan = "PL";
        budget.ConnectedCE = "TOP";
    }

    Row Stored(const std::string& ce, int32_t seq) {
        auto db = erp.Open();
        platform::middleware::Statement st =
            db->Prepare("SELECT schedule_link, external_schedule FROM budget_line WHERE ce_id = ? AND "
                        "seq_no = ?");
        st.BindAll({ce, seq});
        if (!st.Step()) return {0, "<gone>"};
        return {static_cast<int32_t>(st.Int(0)), st.Text(1)};
    }
    double Column(const std::string& column, const std::string& ce, int32_t seq) {
        auto db = erp.Open();
        return CDbl(
            db->Scalar("SELECT " + column + " FROM budget_line WHERE ce_id = ? AND seq_no = ?", {ce, seq}));
    }
    std::string Text(const std::string& column, const std::string& ce, int32_t seq) {
        auto db = erp.Open();
        return CStr(
            db->Scalar("SELECT " + column + " FROM budget_line WHERE ce_id = ? AND seq_no = ?", {ce, seq}));
    }
    size_t Lines() { return budget.KovaBudgetLines ? budget.KovaBudgetLines->size() : 0; }
    std::shared_ptr<KovaBudgetLine> Line(const std::string& ce, int32_t seq) {
        if (budget.KovaBudgetLines)
            for (const auto& l : *budget.KovaBudgetLines)
                if (l->ChargeElement == ce && l->BudgetLine == seq) return l;
        return nullptr;
    }
};

TEST_F(KovaBudgetTest, ReadsTheWaitingLinesOfAllCostTypesOverSeveralPagesAndLinksThem) {
    erp.Control().SetPageSizeCap(1);
    budget.getAllBudgetLines(connector, kFile);
    ASSERT_EQ(Err().Number, 0) << Err().Description;

    struct Expected {
        const char* ce;
        int32_t seq, costType;
        const char* costObject;
        const char* description;
        bool projectSpecific;
        const char* unit;
        double quantity, work, price;
        const char* empTrg;
    } expected[] = {
        {"A", 1, 1, "CONCRETE", "Concrete C30", false, "m3", 12.5, 0, 90, ""},
        {"A", 2, 1, "P1.STEEL", "Own steel", true, "t", 2, 0, 0, ""},
        {"A", 3, 2, "ENG", "Engineer", false, "h", 40, 32, 2400, "EMP.E1"},
        {"B", 1, 2, "ENG", "Engineer", false, "h", 8, 6, 0, "TRG.CARP"},
        {"B", 2, 2, "ENG", "Engineer", false, "h", 0, 0, 0, "TRG."},
        {"A", 4, 3, "CRANE", "Crane", false, "d", 5, 4, 2000, ""},
        {"B", 3, 4, "PAINT", "Painting", false, "m2", 300, 0, 4500, ""},
        {"B", 4, 5, "FEE", "Own fee", true, "pc", 1, 0, 50, ""},
    };
    ASSERT_EQ(Lines(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& e = expected[i];
        const auto& l = *(*budget.KovaBudgetLines)[i];
        SCOPED_TRACE(std::string(e.ce) + " " + std::to_string(e.seq));
        EXPECT_EQ(l.ChargeElement, e.ce);
        EXPECT_EQ(l.BudgetLine, e.seq);
        EXPECT_EQ(l.CostType, e.costType);
        EXPECT_EQ(l.CostObject, e.costObject);
        EXPECT_EQ(l.CostObjectDescription, e.description);
        EXPECT_EQ(l.ProjectSpecific, e.projectSpecific);
        EXPECT_EQ(l.PhysicalUnit, e.unit);
        EXPECT_DOUBLE_EQ(l.PhysicalQuantity, e.quantity);
        EXPECT_DOUBLE_EQ(l.Work, e.work);
        EXPECT_DOUBLE_EQ(l.CostPrice, e.price);
        EXPECT_EQ(l.EmpTrgCode, e.empTrg);
        EXPECT_EQ(l.ResourceType, "");
        // Each line offered is now linked to this plan file.
        EXPECT_EQ(Stored(e.ce, e.seq).link, 3);
        EXPECT_EQ(Stored(e.ce, e.seq).file, kFile);
    }
    // Midnight reads as one second past it.
    EXPECT_EQ(Line("A", 1)->StartDate, Date::FromParts(2026, 3, 2, 0, 0, 1));
    EXPECT_EQ(Line("A", 1)->FinishDate, Date::FromParts(2026, 3, 6, 17, 30, 0));
    EXPECT_EQ(Line("A", 2)->StartDate, NoDate);
    // Lines outside the node, linked to another file or with no link stay as they were.
    EXPECT_EQ(Stored("OUT", 1).link, 2);
    EXPECT_EQ(Stored("A", 5).file, "Other.mpp");
    EXPECT_EQ(Stored("A", 6).link, 1);

    // A second run offers nothing: no collection, no error.
    budget.getAllBudgetLines(connector, kFile);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(budget.KovaBudgetLines.has_value());
}

TEST_F(KovaBudgetTest, ReadingFailuresEndWithNumber100AndTheLatestText) {
    struct Case {
        const char* name;
        std::function<void(TestBackend&)> arrange;
        const char* description;
        size_t lines;
    } cases[] = {
        {"no manager", [](TestBackend& e) { e.Control().UnregisterProgId(kManager); },
         "ActivityBudgetManager Object could not be created", 0},
        {"labor list fails",
         [](TestBackend& e) {
             e.Control().ArmFault(Fault::Error(kManager, "listLaborBudgetLineForScheduling", 5));
         },
         "LaborBudgetLine List could not be retreived", 5},
        {"two pages fail: the later text wins",
         [](TestBackend& e) {
             e.Control().ArmFault(Fault::Error("*", "getLaborDescription", 5, 1, "first failure"));
             e.Control().ArmFault(Fault::Error("*", "getSubcontractingDescription", 5, 1, "second failure"));
         },
         "second failure", 8},
        {"linking fails",
         [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kManager, "synchronize", 7, 2)); },
         "Out of memory", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestBackend fresh{kSeed};
        c.arrange(fresh);
        KovaBudget b;
        b.Project = "P1";
        b.Plan = "PL";
        b.ConnectedCE = "TOP";
        b.getAllBudgetLines(connector, kFile);
        EXPECT_EQ(Err().Number, 100);
        EXPECT_EQ(Err().Source, "Kova Data Access Objects");
        EXPECT_EQ(Err().Description, c.description);
        EXPECT_EQ(b.KovaBudgetLines ? b.KovaBudgetLines->size() : 0, c.lines);
    }
}

TEST_F(KovaBudgetTest, OnlyAnExactCompletionFlagEndsTheList) {
    erp.Control().SetCompletionFlags(" Y ", "N");
    // The second request of each cost type fails: that request is only made when " Y " did not end it.
    for (const char* type : {"Material", "Labor", "Equipment", "Subcontracting", "Sundry"})
        erp.Control().ArmFault(
            Fault::Error(kManager, std::string("list") + type + "BudgetLineForScheduling", 5, 2));
    budget.getAllBudgetLines(connector, kFile);
    EXPECT_EQ(Err().Number, 100);
    EXPECT_EQ(Err().Description, "SundryBudgetLine List could not be retreived");
    EXPECT_EQ(Lines(), 8u);
}

TEST_F(KovaBudgetTest, ARefreshFillsWhatItsCostTypeGivesAndKeepsTheRest) {
    budget.getAllBudgetLines(connector, kFile);
    struct Case {
        const char* ce;
        int32_t costType, seq;
        double qty, cost;
        const char* unit;
        double required;
    } cases[] = {
        {"A", 1, 1, -1, 90, "m3", 12.5},  {"A", 2, 3, 32, -1, "h", 40}, {"A", 3, 4, 4, 2000, "d", 5},
        {"B", 4, 3, -1, 4500, "m2", 300}, {"B", 5, 4, -1, -1, "pc", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.costType);
        double qty = -1, cost = -1, required = -1;
        std::string unit = "?";
        budget.getUpdatedBudgetLineFromKova(connector, c.ce, c.costType, c.seq, qty, cost, unit, required);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_DOUBLE_EQ(qty, c.qty);
        EXPECT_DOUBLE_EQ(cost, c.cost);
        EXPECT_EQ(unit, c.unit);
        EXPECT_DOUBLE_EQ(required, c.required);
    }

    double qty = -1, cost = -1, required = -1;
    std::string unit = "?";
    budget.getUpdatedBudgetLineFromKova(connector, "B", 4, 99, qty, cost, unit, required);
    EXPECT_EQ(Err().Number, 100);
    EXPECT_EQ(Err().Description,
              "Subcontracting Budget Line for Project: P1 Plan: PL and Charge Element: B with "
              "Serial Number: 99 not found  in Kova");
    EXPECT_EQ(unit, "?");
    EXPECT_EQ(required, -1);
    // A line that is not linked to a plan is not found either.
    budget.getUpdatedBudgetLineFromKova(connector, "OUT", 5, 1, qty, cost, unit, required);
    EXPECT_EQ(
        Err().Description,
        "Sundry Cost Budget Line for Project: P1 Plan: PL and Charge Element: OUT with Serial Number: 1 not "
        "found in Kova");
}

TEST_F(KovaBudgetTest, ACorrectedLineIsOfferedAgain) {
    budget.getAllBudgetLines(connector, kFile);
    budget.correctScheduleLinks(connector, 2, "B", 1);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Stored("B", 1).link, 2);

    budget.getAllBudgetLines(connector, kFile);
    ASSERT_EQ(Lines(), 1u);
    EXPECT_EQ((*budget.KovaBudgetLines)[0]->ChargeElement, "B");
    EXPECT_EQ((*budget.KovaBudgetLines)[0]->EmpTrgCode, "TRG.CARP");

    // The show fails, and the link setter on the missing line after it (91) is what is reported.
    budget.correctScheduleLinks(connector, 1, "A", 99);
    EXPECT_EQ(Err().Number, 91 + 100);
    EXPECT_EQ(
        Err().Description,
        "External Schedule Link could not be corrected\r\nObject variable or With block variable not set");
    // A failing commit is reported with its own reduced text.
    erp.Control().ArmFault(
        Fault::Error(kManager, "synchronize", 1003, 1,
                     "Meridane adapter: <MessageDescription>Line is locked</MessageDescription>"));
    budget.correctScheduleLinks(connector, 2, "B", 1);
    EXPECT_EQ(Err().Number, 1103);
    EXPECT_EQ(Err().Description, "External Schedule Link could not be corrected\r\nLine is locked");
}

TEST_F(KovaBudgetTest, ACreatedLineIsLinkedAtOnceAndReadsBackItsQuantity) {
    int32_t sern = -1;
    budget.createBudgetLineinKova(connector, sern, 2, " A ", " ENG ", 16, "20260401080000", "20260403170000",
                                  kFile, "E1", "CARP");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(sern, 7); // A holds 1 to 6 over all cost types
    EXPECT_EQ(Stored("A", 7).link, 3);
    EXPECT_EQ(Text("employee", "A", 7), "E1");
    EXPECT_EQ(Text("trade_group", "A", 7), "");
    EXPECT_EQ(Text("start_ts", "A", 7), "20260401080000");

    // Not offered to the next read, but found by the refresh, with the work it was created with.
    budget.getAllBudgetLines(connector, kFile);
    EXPECT_EQ(Line("A", 7), nullptr);
    double qty = 0, cost = 0, required = 0;
    std::string unit;
    budget.getUpdatedBudgetLineFromKova(connector, "A", 2, sern, qty, cost, unit, required);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_DOUBLE_EQ(qty, 16);
    EXPECT_DOUBLE_EQ(required, 16);
    EXPECT_EQ(unit, "h");

    // A project's own material, named "project.item".
    int32_t steel = -1;
    budget.createBudgetLineinKova(connector, steel, 1, "B", "P1.STEEL", 3.5, "", "", kFile, "", "");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Text("cost_object_project", "B", steel), "P1");
    budget.getUpdatedBudgetLineFromKova(connector, "B", 1, steel, qty, cost, unit, required);
    EXPECT_DOUBLE_EQ(required, 3.5);
    EXPECT_EQ(unit, "t");
}

TEST_F(KovaBudgetTest, ARefusedCreateKeepsTheNumberAndSaysWhy) {
    int32_t sern = 42;
    budget.createBudgetLineinKova(connector, sern, 5, "B", " NOPE ", 1, "", "", kFile, "", "");
    EXPECT_EQ(Err().Number, 1003 + 100);
    EXPECT_EQ(
        Err().Description,
        "Sundry Budget Line linked to Kova CE B with Cost Object NOPE cannot be created. Errormessage;\r\n"
        "There is no SUN cost object NOPE.");
    EXPECT_EQ(sern, 42);

    auto db = erp.Open();
    auto count = [&] { return CLng(db->Scalar("SELECT count(*) FROM budget_line")); };
    int32_t before = count();
    budget.createBudgetLineinKova(connector, sern, 7, "B", "PERMIT", 1, "", "", kFile, "", "");
    EXPECT_GT(Err().Number, 100);
    EXPECT_EQ(Err().Description.find("Budget Line linked"), std::string::npos) << Err().Description;
    EXPECT_EQ(count(), before);
    EXPECT_EQ(sern, 42);
}

TEST_F(KovaBudgetTest, QuantitiesAreSentOnlyWhenThePlanOwnsThem) {
    for (int32_t ownership : {1, 2, 3, 4}) {
        SCOPED_TRACE(ownership);
        TestBackend fresh{kSeed};
        KovaBudget b;
        b.Project = "P1";
        b.Plan = "PL";
        b.ConnectedCE = "TOP";
        b.getAllBudgetLines(connector, kFile);
        ASSERT_TRUE(b.KovaBudgetLines);
        Collection<KovaBudgetLine> send = *b.KovaBudgetLines;
        for (auto& l : send) {
            l->PhysicalQuantity += 100;
            l->Work += 100;
            l->PhysicalUnit = "XX";
            if (l->CostType == 2) l->ResourceType = l->EmpTrgCode.rfind("EMP.", 0) == 0 ? "EMP" : "TRG";
            if (l->CostType == 2) l->EmpTrgCode = l->EmpTrgCode.substr(4);
        }
        Collection<KovaData> answer = b.updateBudgetLinesInKova(connector, ownership, send, 0, kFile);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_TRUE(answer.empty());
        bool owned = ownership == 2 || ownership == 4;
        auto db = fresh.Open();
        auto value = [&](const char* column, const char* ce, int seq) {
            return CDbl(db->Scalar("SELECT " + std::string(column) +
                                       " FROM budget_line WHERE ce_id = ? AND seq_no = ?",
                                   {std::string(ce), seq}));
        };
        EXPECT_DOUBLE_EQ(value("required_quantity", "A", 1), owned ? 112.5 : 12.5); // material
        EXPECT_DOUBLE_EQ(value("required_quantity", "A", 3), owned ? 132 : 32);     // labor work
        EXPECT_DOUBLE_EQ(value("required_duration", "A", 4), owned ? 104 : 4);      // equipment work
        EXPECT_DOUBLE_EQ(value("required_quantity", "B", 3), owned ? 400 : 300);    // subcontracting
        EXPECT_EQ(CStr(db->Scalar("SELECT unit FROM budget_line WHERE ce_id = 'B' AND seq_no = 3")),
                  owned ? "XX" : "m2");
        EXPECT_DOUBLE_EQ(value("required_quantity", "B", 4), owned ? 101 : 1); // sundry
        // Employee and trade group go whatever the ownership.
        EXPECT_EQ(CStr(db->Scalar("SELECT employee FROM budget_line WHERE ce_id = 'A' AND seq_no = 3")),
                  "E1");
        EXPECT_EQ(CStr(db->Scalar("SELECT trade_group FROM budget_line WHERE ce_id = 'B' AND seq_no = 1")),
                  "CARP");
    }
}

TEST_F(KovaBudgetTest, EveryCostTypeIsSentAndLinesTheErpDroppedComeBack) {
    budget.getAllBudgetLines(connector, kFile);
    erp.Control().StartCallLog();
    Collection<KovaBudgetLine> none;
    Collection<KovaData> answer = budget.updateBudgetLinesInKova(connector, 2, none, 0, kFile);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(answer.empty());
    for (const char* type : {"Material", "Labor", "Equipment", "Subcontracting", "Sundry"}) {
        auto calls = erp.Control().CallsTo(std::string("update") + type + "BudgetLineForScheduling");
        ASSERT_EQ(calls.size(), 1u) << type;
        EXPECT_TRUE(calls[0].args[0].byRef && calls[0].args[1].byRef);
    }
    EXPECT_EQ(erp.Control().CallsTo("setSequenceNumber").size(), 0u);
    EXPECT_EQ(erp.Control().CallsTo("setExternalSchedule").size(), 5u);
    // Nothing was sent, so the lines linked to the plan file were unlinked (DeleteBL 0).
    EXPECT_EQ(Stored("A", 1).link, 1);
    EXPECT_EQ(Stored("A", 1).file, "");
    EXPECT_EQ(Stored("A", 5).file, "Other.mpp"); // another plan's line is left alone

    // A sent line the ERP no longer links comes back with return value 1.
    auto gone = std::make_shared<KovaBudgetLine>();
    gone->CostType = 3;
    gone->ChargeElement = "A";
    gone->BudgetLine = 4;
    gone->CostObject = "CRANE";
    Collection<KovaBudgetLine> send{gone};
    answer = budget.updateBudgetLinesInKova(connector, 2, send, 0, kFile);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0]->Code, "A");
    EXPECT_EQ(answer[0]->Number, 4);
    EXPECT_EQ(answer[0]->Description, "3");
}

TEST_F(KovaBudgetTest, LinesNotSentAreDeletedWithDeleteBL1) {
    budget.getAllBudgetLines(connector, kFile);
    Collection<KovaBudgetLine> send{Line("A", 1)};
    budget.updateBudgetLinesInKova(connector, 2, send, 1, kFile);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Stored("A", 1).link, 3);
    EXPECT_EQ(Stored("A", 2).file, "<gone>");
    EXPECT_EQ(Stored("B", 4).file, "<gone>");
    EXPECT_EQ(Stored("OUT", 1).link, 2);
}

TEST_F(KovaBudgetTest, RefusalsAreJoinedOnceEachIntoError777) {
    // Line A 6 is refused by the ERP once it is linked.
    auto db = erp.Open();
    db->Run(
        "UPDATE budget_line SET schedule_link = 3, external_schedule = ? WHERE ce_id = 'A' AND seq_no = 6",
        {std::string(kFile)});
    auto refused = std::make_shared<KovaBudgetLine>();
    refused->CostType = 4;
    refused->ChargeElement = "A";
    refused->BudgetLine = 6;
    refused->CostObject = "PAINT";
    auto unknown = std::make_shared<KovaBudgetLine>(*refused);
    unknown->ChargeElement = "B";
    unknown->BudgetLine = 3;
    unknown->CostObject = "NOPE";
    db->Run(
        "UPDATE budget_line SET schedule_link = 3, external_schedule = ? WHERE ce_id = 'B' AND seq_no = 3",
        {std::string(kFile)});
    Collection<KovaBudgetLine> send{refused, unknown, refused};
    budget.updateBudgetLinesInKova(connector, 2, send, 0, kFile);
    EXPECT_EQ(Err().Number, 777);
    EXPECT_EQ(Err().Source, "KovaPlanIntegration");
    EXPECT_EQ(Err().Description, "P1PLA6Actuals booked\r\nP1PLB3There is no SUB cost object NOPE.");
    EXPECT_EQ(Column("required_quantity", "B", 3), 300); // a refused line keeps its values
}

TEST_F(KovaBudgetTest, AFailedUpdateCallKeepsTheRefusalsGatheredBefore) {
    auto db = erp.Open();
    db->Run(
        "UPDATE budget_line SET schedule_link = 3, external_schedule = ? WHERE ce_id = 'A' AND seq_no = 6",
        {std::string(kFile)});
    erp.Control().ArmFault(Fault::Error(kManager, "updateSundryBudgetLineForScheduling", 5, 0,
                                        "Meridane adapter: <MessageDescription>Sundry update failed"
                                        "</MessageDescription>"));
    auto refused = std::make_shared<KovaBudgetLine>();
    refused->CostType = 4;
    refused->ChargeElement = "A";
    refused->BudgetLine = 6;
    refused->CostObject = "PAINT";
    Collection<KovaBudgetLine> send{refused};
    Collection<KovaData> answer = budget.updateBudgetLinesInKova(connector, 2, send, 0, kFile);
    EXPECT_EQ(Err().Number, 777);
    EXPECT_EQ(Err().Description, "P1PLA6Actuals booked\r\nSundry update failed");
    EXPECT_TRUE(answer.empty());

    erp.Control().UnregisterProgId(kManager);
    answer = budget.updateBudgetLinesInKova(connector, 2, send, 0, kFile);
    EXPECT_EQ(Err().Number, 429 + 100);
    EXPECT_EQ(Err().Description, "ActivityBudgetManager Object could not be created");
    EXPECT_TRUE(answer.empty());
}

TEST_F(KovaBudgetTest, LaborWithAnOtherResourceTypeIsSentWithoutEmployeeAndTradeGroup) {
    budget.getAllBudgetLines(connector, kFile);
    erp.Control().StartCallLog();
    for (const char* type : {"emp", "", "TRG "}) {
        auto line = std::make_shared<KovaBudgetLine>(*Line("A", 3));
        line->ResourceType = type;
        line->EmpTrgCode = "CARP";
        Collection<KovaBudgetLine> send{line};
        budget.updateBudgetLinesInKova(connector, 1, send, 0, kFile);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
    }
    EXPECT_FALSE(erp.Control().WasCalled("setEmployee"));
    EXPECT_FALSE(erp.Control().WasCalled("setTradeGroup"));
    EXPECT_FALSE(erp.Control().WasCalled("setRequiredQuantity"));
    EXPECT_EQ(Text("employee", "A", 3), "E1");
}

TEST_F(KovaBudgetTest, TheProjectDataMakesTheBudgetObject) {
    Object data = MakeObject<KovaProjectData>();
    auto project = data.As<KovaProjectData>();
    project->ProjectCode = "P1";
    project->Plan = "PL";
    project->ConnectedCE = "TOP";
    bool transferred = false;
    erp.Control().StartCallLog();
    auto b = project->getKovaBudget(connector, transferred, kFile);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Project, "P1");
    EXPECT_EQ(b->Plan, "PL");
    EXPECT_EQ(b->ConnectedCE, "TOP");
    EXPECT_FALSE(b->KovaBudgetLines.has_value());
    EXPECT_TRUE(erp.Control().Calls().empty());

    // By name, the lines loaded and linked to the file given.
    Variant con = connector, yes = true;
    Object loaded =
        ObjectOf(Call(data, "getKovaBudget", {ByRef(con), ByRef(yes), ByVal(std::string(kFile))}));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    auto budgetObject = loaded.As<KovaBudget>();
    ASSERT_TRUE(budgetObject);
    ASSERT_TRUE(budgetObject->KovaBudgetLines.has_value());
    EXPECT_EQ(budgetObject->KovaBudgetLines->size(), 8u);
    EXPECT_EQ(Stored("B", 4).file, kFile);
}

TEST_F(KovaBudgetTest, AnswersByNameWithItsByReferenceArguments) {
    RegisterKovaDataObjects();
    Object object = CreateObject("KovaDataObjects.KovaBudget");
    ASSERT_FALSE(object.IsNothing());
    Let(object, "Project", std::string("P1"));
    Let(object, "Plan", std::string("PL"));
    Let(object, "ConnectedCE", std::string("TOP"));
    Variant con = connector, msp = std::string(kFile);
    Call(object, "getAllBudgetLines", {ByRef(con), ByVal(msp)});
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    Variant ce = std::string("A"), type = int32_t(3), sern = int32_t(4), qty = 0.0, cost = 0.0,
            unit = std::string(), required = 0.0;
    Call(object, "getUpdatedBudgetLineFromKova",
         {ByRef(con), ByVal(ce), ByVal(type), ByVal(sern), ByRef(qty), ByRef(cost), ByRef(unit),
          ByRef(required)});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CDbl(qty), 4);
    EXPECT_EQ(CDbl(cost), 2000);
    EXPECT_EQ(CStr(unit), "d");
    EXPECT_EQ(CDbl(required), 5);
    EXPECT_EQ(CStr(Get(object, "Project")), "P1");

    // A line put back to waiting by name.
    Variant labour = int32_t(2), b = std::string("B"), first = int32_t(1);
    Call(object, "correctScheduleLinks", {ByRef(con), ByVal(labour), ByVal(b), ByVal(first)});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Stored("B", 1).link, 2);
}

// A cost type from a plan's field may be anything: outside 1 to 5 it names no kind of line, and no
// line is read, created or put back.
TEST_F(KovaBudgetTest, ACostTypeOutsideOneToFiveNamesNoLine) {
    budget.getAllBudgetLines(connector, kFile);
    ASSERT_EQ(Stored("B", 1).link, 3);
    for (int32_t type : {0, 6, 7}) {
        SCOPED_TRACE(type);
        erp.Control().StartCallLog();
        double qty = -1, cost = -1, required = -1;
        std::string unit = "none";
        budget.getUpdatedBudgetLineFromKova(connector, "B", type, 1, qty, cost, unit, required);
        EXPECT_EQ(qty, -1);
        EXPECT_EQ(unit, "none");
        budget.correctScheduleLinks(connector, type, "B", 1);
        EXPECT_NE(Err().Number, 0);
        int32_t sern = -1;
        budget.createBudgetLineinKova(connector, sern, static_cast<int16_t>(type), "B", "ENG", 3, "20260401080000",
                                      "20260403170000", kFile, "", "");
        for (const auto& call : erp.Control().Calls())
            EXPECT_EQ(call.member.find("BudgetLine"), std::string::npos) << call.member;
        erp.Control().StopCallLog();
        EXPECT_EQ(Stored("B", 1).link, 3);
        EXPECT_EQ(Text("count(*)", "B", 5), "0");
    }
}

TEST_F(KovaBudgetTest, EachPageLinksEachOfItsChargeElementsOnce) {
    erp.Control().StartCallLog();
    budget.getAllBudgetLines(connector, kFile);
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    // Labor: A, B, B on one page gives A and B once each; with one line a page, B is passed on each page.
    auto labor = erp.Control().CallsTo("addListLaborBudgetLine");
    ASSERT_EQ(labor.size(), 2u);
    EXPECT_EQ(CStr(labor[0].args[2].value), "A");
    EXPECT_FALSE(labor[0].args[2].byRef);
    EXPECT_EQ(CStr(labor[1].args[2].value), "B");
    EXPECT_EQ(erp.Control().CallsTo("releaseAll").size(), 6u); // A; A, B; A; B; B

    TestBackend fresh{kSeed};
    fresh.Control().SetPageSizeCap(1);
    fresh.Control().StartCallLog();
    budget.getAllBudgetLines(connector, kFile);
    EXPECT_EQ(fresh.Control().CallsTo("addListLaborBudgetLine").size(), 3u);

    // A node without lines: empty pages, no link pass, no collection.
    fresh.Control().ClearCallLog();
    budget.ConnectedCE = "OUT";
    budget.getAllBudgetLines(connector, "Else.mpp");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_EQ(Lines(), 1u); // the permit of OUT
    budget.getAllBudgetLines(connector, "Else.mpp");
    EXPECT_FALSE(budget.KovaBudgetLines.has_value());
    EXPECT_EQ(fresh.Control().CallsTo("addListSundryBudgetLine").size(), 1u);
    EXPECT_EQ(fresh.Control().CallsTo("listSundryBudgetLineForScheduling").size(), 2u);
}

TEST_F(KovaBudgetTest, APageWhoseCallIdOrFlagCannotBeReadGoesOnWithTheMiddlewaresAnswers) {
    erp.Control().SetPageSizeCap(1);
    budget.getAllBudgetLines(connector, kFile);
    const size_t all = Lines();
    ASSERT_GT(all, 5u);
    for (const char* getter : {"getCallId", "getSetComplete"}) {
        SCOPED_TRACE(getter);
        TestBackend fresh{kSeed};
        fresh.Control().SetPageSizeCap(1);
        fresh.Control().ArmFault(Fault::Error("*", getter, 13));
        budget.getAllBudgetLines(connector, kFile);
        EXPECT_EQ(Lines(), all);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
    }
}

TEST_F(KovaBudgetTest, AListWhoseFlagNeverEndsItIsLeftWithAnError) {
    erp.Control().SetCompletionFlags("y", "N");
    erp.Control().StartCallLog();
    budget.getAllBudgetLines(connector, kFile);
    EXPECT_EQ(erp.Control().CallsTo("listSundryBudgetLineForScheduling").size(), 2u);
    EXPECT_EQ(Err().Number, 100);
    EXPECT_EQ(Err().Description, "SundryBudgetLine List could not be retreived");
}

// What the ERP sees of a read: the list calls' arguments, types, by-reference flags and batch size.
TEST_F(KovaBudgetTest, TheCallLogShowsWhatTheErpIsSent) {
    erp.Control().StartCallLog();
    budget.getAllBudgetLines(connector, kFile);
    std::vector<std::string> seen;
    for (const auto& call : erp.Control().Calls())
        if (call.member.rfind("list", 0) == 0 || call.member.rfind("addList", 0) == 0 ||
            call.member == "setScheduleLink")
            seen.push_back(call.Describe());
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  R"(ActivityBudget.ActivityBudgetManager.listMaterialBudgetLineForScheduling(ByRef "P1" String, ByRef "PL" String, ByRef "TOP" String, ByRef "Bridge.mpp" String, ByRef 1 Long, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ActivityBudget.ActivityBudgetManager.addListMaterialBudgetLine(ByRef "P1" String, ByRef "PL" String, "A" String, ByRef 1 Long))",
                  R"(ActivityBudget.MaterialBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.MaterialBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.ActivityBudgetManager.listLaborBudgetLineForScheduling(ByRef "P1" String, ByRef "PL" String, ByRef "TOP" String, ByRef "Bridge.mpp" String, ByRef 1 Long, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ActivityBudget.ActivityBudgetManager.addListLaborBudgetLine(ByRef "P1" String, ByRef "PL" String, "A" String, ByRef 1 Long))",
                  R"(ActivityBudget.LaborBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.ActivityBudgetManager.addListLaborBudgetLine(ByRef "P1" String, ByRef "PL" String, "B" String, ByRef 1 Long))",
                  R"(ActivityBudget.LaborBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.LaborBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.ActivityBudgetManager.listEquipmentBudgetLineForScheduling(ByRef "P1" String, ByRef "PL" String, ByRef "TOP" String, ByRef "Bridge.mpp" String, ByRef 1 Long, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ActivityBudget.ActivityBudgetManager.addListEquipmentBudgetLine(ByRef "P1" String, ByRef "PL" String, "A" String, ByRef 1 Long))",
                  R"(ActivityBudget.EquipmentBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.ActivityBudgetManager.listSubcontractingBudgetLineForScheduling(ByRef "P1" String, ByRef "PL" String, ByRef "TOP" String, ByRef "Bridge.mpp" String, ByRef 1 Long, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ActivityBudget.ActivityBudgetManager.addListSubcontractingBudgetLine(ByRef "P1" String, ByRef "PL" String, "B" String, ByRef 1 Long))",
                  R"(ActivityBudget.SubcontractingBudgetLine.setScheduleLink(3 Integer))",
                  R"(ActivityBudget.ActivityBudgetManager.listSundryBudgetLineForScheduling(ByRef "P1" String, ByRef "PL" String, ByRef "TOP" String, ByRef "Bridge.mpp" String, ByRef 1 Long, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ActivityBudget.ActivityBudgetManager.addListSundryBudgetLine(ByRef "P1" String, ByRef "PL" String, "B" String, ByRef 1 Long))",
                  R"(ActivityBudget.SundryBudgetLine.setScheduleLink(3 Integer))"}));
}
