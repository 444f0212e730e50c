// The ERP's waiting budget lines into the plan, through the real ERP stand-in and planning program.
#include <gmock/gmock.h>

#include "dataobjects/KovaBudget.h"
#include "integration/budget/BudgetTestSupport.h"
#include "integration/core/PlanLayoutTestSupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;
using platform::middleware::Fault;
using ::testing::HasSubstr;
using ::testing::Not;

class BudgetLinesTest : public test::BudgetLinesFixture {
protected:
    msp::Task Holder(const std::string& key) {
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t && t.Text(20) == key) return t;
        return {};
    }
    // Every task and assignment of the plan that holds `key`.
    int HoldersOf(const std::string& key) {
        int n = 0;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!t) continue;
            if (t.Text(20) == key) ++n;
            for (const msp::Assignment& a : t.Assignments().Snapshot())
                if (a.Text(20) == key) ++n;
        }
        return n;
    }
    static std::string Resources(const msp::Task& t) {
        std::string out;
        for (const msp::Assignment& a : t.Assignments().Snapshot())
            out += (out.empty() ? "" : ",") + a.ResourceName();
        return out;
    }
};

constexpr char kPlaced[] = "3:Plan.mpp";

TEST_F(BudgetLinesTest, AsSubtasksEveryLineGoesBelowItsChargeElement) {
    app->Alerts(true);
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(app->DisplayAlerts()); // the searches put them back

    struct Expected {
        std::string key, name, code, quantity, unit;
        int32_t type;
        double fixedCost, workMinutes;
        std::string resources;
        Date start; // zero: as the planning program scheduled it
    } expected[] = {
        {"A100_1_1", "Ready-mix concrete", "MAT.CONCRETE", "420", "m3", 1, 60900.5, 0, "", Date::FromParts(2024, 4, 1, 8)},
        {"A200_1_1", "Steel beams", "MAT.P1.STEEL", "85", "t", 1, 106250, 0, "", Date::FromParts(2024, 5, 6, 8)},
        {"A100_2_2", "Site hour", "LAB.W01", "40", "h", 2, 0, 320 * 60, "EMP.E100 Anna Berg", Date::FromParts(2024, 4, 2, 8)},
        {"A100_2_3", "Site hour", "LAB.W01", "10", "h", 2, 0, 80 * 60, "TRG.CARP Carpenters", Date::FromParts(2024, 4, 3, 8)},
        {"A100_2_4", "Project site hour", "LAB.P1.W01", "2", "h", 2, 0, 16 * 60, "", Date::FromParts(2024, 4, 4, 8)},
        {"A100_2_5", "Site hour", "LAB.W01", "3", "h", 2, 0, 24 * 60, "", Date::FromParts(2024, 4, 5, 8)},
        {"A100_3_6", "Mobile crane", "EQP.CRANE", "15", "h", 2, 0, 120 * 60, "EQP.CRANE Mobile crane", Date::FromParts(2024, 4, 8, 8)},
        {"A100_3_9", "Mobile crane", "EQP.CRANE", "5", "h", 2, 0, 40 * 60, "EQP.CRANE Mobile crane", Date::FromParts(2024, 4, 22, 8)},
        {"A100_4_7", "Land survey", "SUB.SURVEY", "5", "day", 1, 4250, 0, "", Date()},
        {"A100_5_8", "Connection fees", "SUN.P1.FEE", "1", "LS", 1, 4200, 0, "", Date::FromParts(2024, 4, 1, 8)},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        msp::Task t = Holder(e.key);
        ASSERT_TRUE(t);
        EXPECT_EQ(t.Name(), e.name);
        EXPECT_EQ(t.Text(2), e.key.substr(5, 1));
        EXPECT_EQ(t.Text(3), e.code);
        EXPECT_EQ(t.Text(4), e.key.substr(7));
        EXPECT_EQ(t.Text(6), e.quantity);
        EXPECT_EQ(t.Text(7), e.unit);
        EXPECT_EQ(t.Text(8), "3");
        EXPECT_EQ(t.Type(), e.type);
        EXPECT_DOUBLE_EQ(t.FixedCost(), e.fixedCost);
        EXPECT_DOUBLE_EQ(t.Work(), e.workMinutes);
        EXPECT_EQ(t.ConstraintType(), 4);
        EXPECT_EQ(Resources(t), e.resources);
        EXPECT_EQ(t.OutlineParent().Text(1), e.key.substr(0, 4));
        if (!e.start.IsZero()) EXPECT_EQ(t.Start(), e.start);
        EXPECT_FALSE(t.Start().IsZero());
    }
    // Each subtask follows the last task of its CE task's subtree; a CE task without children takes
    // its first one directly below.
    EXPECT_EQ(Outline(), "Depot:1 Foundations:2 Piling:3 Ready-mix concrete:3 Site hour:3 Site hour:3 "
                         "Project site hour:3 Site hour:3 Mobile crane:3 Mobile crane:3 Land survey:3 "
                         "Connection fees:3 Hall:2 Steel beams:3");

    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr(" The ChargeElement A300 is not present inMS Project. Cannot create  Budget line1 in "
                               "MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Cost Object: EQP.EXCAV not present in MsProject. Cannot create  Budget line2 linked "
                               "to the ChargeElement &A200 in MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Cost Object: LAB.W02 not present in MsProject. Cannot create  Budget line3 linked to "
                               "the ChargeElement &A200 in MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Employee/Trade Group:EMP.E200 linked to Cost Object LAB.W01, not present in "
                               "MsProject\r\n"));
    EXPECT_THAT(log, HasSubstr("Employee/Trade Group:TRG. linked to Cost Object LAB.P1.W01, not present in "
                               "MsProject\r\n"));
    // Placed lines stay linked to the plan; the others wait for the next run, and a line without a
    // schedule link was never offered.
    EXPECT_EQ(ErpLinks(), "A100_1_1=3:Plan.mpp A100_2_2=3:Plan.mpp A100_2_3=3:Plan.mpp A100_2_4=3:Plan.mpp "
                          "A100_2_5=3:Plan.mpp A100_3_6=3:Plan.mpp A100_3_9=3:Plan.mpp A100_4_7=3:Plan.mpp "
                          "A100_5_8=3:Plan.mpp A200_1_1=3:Plan.mpp A200_2_3=2:Plan.mpp A200_3_2=2:Plan.mpp A200_5_4=1: "
                          "A300_1_1=2:Plan.mpp");
}

TEST_F(BudgetLinesTest, AsAssignmentsLinesGoOnTheirChargeElementTask) {
    CreateBudgetLineTasksFromKova(false, false, false, false, false);
    EXPECT_EQ(Err().Number, 0) << Err().Description;

    struct Expected {
        msp::Task* ce;
        std::string key, resource, code, quantity, description;
        double units, workMinutes;
        Date start, finish;
    } expected[] = {
        {&a100, "A100_1_1", "MAT.CONCRETE Ready-mix concrete", "MAT.CONCRETE", "420", "Ready-mix concrete", 420, 0,
         Date::FromParts(2024, 4, 1, 8), Date::FromParts(2024, 4, 30, 17)},
        {&a200, "A200_1_1", "MAT.P1.STEEL Steel beams", "MAT.P1.STEEL", "85", "Steel beams", 85, 0,
         Date::FromParts(2024, 5, 6, 8), Date::FromParts(2024, 5, 31, 17)},
        {&a100, "A100_2_2", "EMP.E100 Anna Berg", "LAB.W01", "40", "Site hour", 0, 320 * 60,
         Date::FromParts(2024, 4, 2, 8), Date::FromParts(2024, 4, 26, 17)},
        {&a100, "A100_2_3", "TRG.CARP Carpenters", "LAB.W01", "10", "Site hour", 0, 80 * 60,
         Date::FromParts(2024, 4, 3, 8), Date::FromParts(2024, 4, 26, 17)},
        {&a100, "A100_3_6", "EQP.CRANE Mobile crane", "EQP.CRANE", "15", "Mobile crane", 0, 120 * 60,
         Date::FromParts(2024, 4, 8, 8), Date::FromParts(2024, 4, 19, 17)},
        // No dates in the ERP: the CE task's own.
        {&a100, "A100_4_7", "SUB.SURVEY Land survey", "SUB.SURVEY", "5", "Land survey", 5, 0, a100.Start(),
         a100.Finish()},
        {&a100, "A100_5_8", "SUN.P1.FEE Connection fees", "SUN.P1.FEE", "1", "Connection fees", 1, 0,
         Date::FromParts(2024, 4, 1, 8), Date::FromParts(2024, 4, 1, 17)},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        msp::Assignment a = FindBudgetLineAssignment(*e.ce, e.key);
        ASSERT_TRUE(a);
        EXPECT_EQ(a.ResourceName(), e.resource);
        EXPECT_EQ(a.Text(2), e.key.substr(5, 1));
        EXPECT_EQ(a.Text(3), e.code);
        EXPECT_EQ(a.Text(4), e.key.substr(7));
        EXPECT_EQ(a.Text(6), e.quantity);
        EXPECT_EQ(a.Text(8), "3");
        EXPECT_EQ(a.Text(11), e.description);
        EXPECT_DOUBLE_EQ(a.Units(), e.units);
        EXPECT_DOUBLE_EQ(a.Work(), e.workMinutes);
        EXPECT_EQ(a.Start(), e.start);
        EXPECT_EQ(a.Finish(), e.finish);
    }
    // The second crane line cannot take the crane again on the same task: it becomes a subtask with its
    // own dates that keeps the crane.
    msp::Task second = Holder("A100_3_9");
    ASSERT_TRUE(second);
    EXPECT_EQ(second.Text(8), "3");
    EXPECT_EQ(second.Start(), Date::FromParts(2024, 4, 22, 8));
    EXPECT_DOUBLE_EQ(second.Work(), 40 * 60);
    EXPECT_EQ(Resources(second), "EQP.CRANE Mobile crane");
    EXPECT_EQ(second.OutlineParent(), a100);
    EXPECT_EQ(a100.Assignments().Count(), 6);
    EXPECT_EQ(a100.ConstraintType(), 4);
    EXPECT_NE(a100.Type(), 2); // it has subtasks
    EXPECT_EQ(a200.Type(), 2); // without children it becomes fixed work

    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr(" The ChargeElement A300 is not present inMS Project. Cannot create  Budget line1 in "
                               "MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Resource : EMP.E200 not present in MS Project. Cannot create Budget line5 linked to "
                               "the ChargeElement &A100 in MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Resource : TRG. not present in MS Project. Cannot create Budget line4 linked to the "
                               "ChargeElement &A100 in MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Cost Object: EQP.EXCAV not present in MS Project. Cannot create  Budget line2 linked "
                               "to the ChargeElement &A200 in MS Project.\r\n"));
    EXPECT_EQ(ErpLinks(), "A100_1_1=3:Plan.mpp A100_2_2=3:Plan.mpp A100_2_3=3:Plan.mpp A100_2_4=2:Plan.mpp "
                          "A100_2_5=2:Plan.mpp A100_3_6=3:Plan.mpp A100_3_9=3:Plan.mpp A100_4_7=3:Plan.mpp "
                          "A100_5_8=3:Plan.mpp A200_1_1=3:Plan.mpp A200_2_3=2:Plan.mpp A200_3_2=2:Plan.mpp "
                          "A200_5_4=1: A300_1_1=2:Plan.mpp");
}

TEST_F(BudgetLinesTest, AKeyAlreadyHeldIsDetachedOrRewrittenInPlace) {
    for (bool deleteTask : {false, true}) {
        SCOPED_TRACE(deleteTask ? "DeleteKovaMSPTask on" : "DeleteKovaMSPTask off");
        msp::Task old = Plan().Tasks().Add("Old concrete", a200.Id());
        old.SetOutlineLevel(3);
        old.SetText(8, "3");
        old.SetText(20, "A100_1_1");
        erp.Open()->Run("UPDATE budget_line SET schedule_link = 2, external_schedule = ''");
        DeleteKovaMSPTask = deleteTask;
        CreateBudgetLineTasksFromKova(true, true, true, true, true);
        msp::Task holder = Holder("A100_1_1");
        ASSERT_TRUE(holder);
        EXPECT_EQ(holder.Text(3), "MAT.CONCRETE");
        EXPECT_EQ(holder.OutlineParent(), a100);
        if (deleteTask) {
            EXPECT_EQ(holder, old);
            EXPECT_EQ(holder.Name(), "Old concrete");
        } else {
            EXPECT_NE(holder, old);
            EXPECT_EQ(old.Text(8), "1");
            EXPECT_EQ(old.Text(20), "");
        }
        for (msp::Task t : Plan().Tasks().Snapshot())
            if (t && t.OutlineLevel() == 3 && t.Name() != "Piling") t.Delete();
    }
}

TEST_F(BudgetLinesTest, ALineSkippedForAPendingFailureWaitsForTheNextRun) {
    // The material list fails: the reading ends with that failure pending, and the first line read
    // after it (the first labour line) is skipped.
    erp.Control().ArmFault(Fault::Error("ActivityBudget.ActivityBudgetManager", "listMaterialBudgetLineForScheduling", 5));
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(Holder("A100_2_2"));
    EXPECT_TRUE(Holder("A100_2_3"));
    EXPECT_FALSE(Holder("A100_1_1"));
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("MaterialBudgetLine List could not be retreived\r\n"));
    // The material lines were never read: they still wait, as the skipped labour line does again.
    EXPECT_EQ(ErpLinks(), "A100_1_1=2: A100_2_2=2:Plan.mpp A100_2_3=3:Plan.mpp A100_2_4=3:Plan.mpp "
                          "A100_2_5=3:Plan.mpp A100_3_6=3:Plan.mpp A100_3_9=3:Plan.mpp A100_4_7=3:Plan.mpp "
                          "A100_5_8=3:Plan.mpp A200_1_1=2: A200_2_3=2:Plan.mpp A200_3_2=2:Plan.mpp A200_5_4=1: "
                          "A300_1_1=2:");

    // The next run places what waited.
    erp.Control().ClearFaults();
    OpenLog();
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    EXPECT_TRUE(Holder("A100_2_2"));
    EXPECT_TRUE(Holder("A100_1_1"));
    EXPECT_TRUE(Holder("A200_1_1"));
}

TEST_F(BudgetLinesTest, ALineDatedOutsideThePlansDatesIsLoggedAndWaits) {
    // A material subtask and a crane assignment, each with a start or a finish the plan cannot hold.
    struct Case {
        int costType, seq;
        const char *column, *value, *logged;
    };
    const Case cases[] = {
        {1, 1, "start_ts", "19700101080000", "Budget line 1 linked to the ChargeElement &A100 is not created in "
                                               "MS Project: its start 1970-01-01 08:00:00 is outside the dates"},
        {3, 6, "finish_ts", "22000101170000", "Budget line 6 linked to the ChargeElement &A100 is not created in "
                                                "MS Project: its finish 2200-01-01 17:00:00 is outside the dates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        erp.Open()->Exec(std::string("UPDATE budget_line SET ") + c.column + " = '" + c.value +
                         "' WHERE ce_id = 'A100' AND seq_no = " + std::to_string(c.seq));
    }
    CreateBudgetLineTasksFromKova(true, true, false, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    const std::string log = LogText();
    for (const Case& c : cases) EXPECT_THAT(log, HasSubstr(c.logged));
    EXPECT_FALSE(Holder("A100_1_1"));
    for (const msp::Assignment& a : a100.Assignments().Snapshot()) EXPECT_NE(a.Text(20), "A100_3_6");
    // Both wait for the next run; the others are placed.
    EXPECT_TRUE(Holder("A100_2_2"));
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_1_1=2:"));
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_3_6=2:"));
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_3_9=" + std::string(kPlaced)));
}

TEST_F(BudgetLinesTest, WithoutTheLabourFileEveryLabourLineLacksItsCostObject) {
    std::filesystem::remove(GetLcoFilePath());
    CreateBudgetLineTasksFromKova(true, false, true, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    for (const char* key : {"A100_2_2", "A100_2_3", "A100_2_4", "A100_2_5"}) {
        EXPECT_FALSE(Holder(key)) << key;
        EXPECT_FALSE(FindBudgetLineAssignment(a100, key)) << key;
    }
    EXPECT_TRUE(Holder("A100_1_1"));
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Cost Object: LAB.W01 not present in MS Project. Cannot create  Budget line2 linked "
                               "to the ChargeElement &A100 in MS Project.\r\n"));
    EXPECT_THAT(log, HasSubstr("Cost Object: LAB.P1.W01 not present in MS Project. Cannot create  Budget line4"));
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_2_2=2:Plan.mpp A100_2_3=2:Plan.mpp A100_2_4=2:Plan.mpp A100_2_5=2:Plan.mpp"));
}

TEST_F(BudgetLinesTest, ALabourAssignmentWithoutPersonNeedsAResourceOfItsCostObject) {
    // A line that names neither employee nor trade group at all (the library writes "TRG." for it) is
    // assigned to a resource named as the labour cost object, when the user made one.
    KovaDataObjects::KovaBudget budget;
    budget.Project = "P1";
    budget.Plan = "MAIN";
    const Date none;
    AddBudgetLineAsAssignment(budget, "A200", "3", "2", "W01", "Site hour", "8", "", "P1", "MAIN", "h", "1", "0",
                              none, none);
    EXPECT_FALSE(FindBudgetLineAssignment(a200, "A200_2_3"));
    EXPECT_THAT(LogText(), HasSubstr("Cost Object: LAB.W01 not present in MS Project. Cannot create  Budget line3"));

    OpenLog();
    AddResource("LAB.W01 Site hour", "LAB.W01");
    AddBudgetLineAsAssignment(budget, "A200", "3", "2", "W01", "Site hour", "8", "", "P1", "MAIN", "h", "1", "0",
                              none, none);
    msp::Assignment a = FindBudgetLineAssignment(a200, "A200_2_3");
    ASSERT_TRUE(a);
    EXPECT_EQ(a.ResourceName(), "LAB.W01 Site hour");
    EXPECT_DOUBLE_EQ(a.Work(), 8 * 60);
}

class BudgetLinesLayoutTest : public BudgetLinesTest, public ::testing::WithParamInterface<test::PlanLayout> {};

TEST_P(BudgetLinesLayoutTest, AnEquipmentSubtaskTakesItsResourceAndNoOtherTaskDoes) {
    test::ApplyPlanLayout(*app, GetParam(), "Hall", {"Depot", "Foundations"});
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    for (const char* key : {"A100_3_6", "A100_3_9"}) {
        SCOPED_TRACE(key);
        msp::Task t = Holder(key);
        ASSERT_TRUE(t);
        EXPECT_EQ(Resources(t), "EQP.CRANE Mobile crane");
        EXPECT_EQ(t.OutlineParent().Text(1), "A100");
    }
    for (const char* name : {"Depot", "Foundations", "Piling", "Hall", "Steel beams", "Ready-mix concrete"})
        EXPECT_EQ(Resources(test::TaskNamed(*app, name)), "") << name;
    EXPECT_THAT(LogText(), Not(HasSubstr("FAILURE")));
}

INSTANTIATE_TEST_SUITE_P(Layouts, BudgetLinesLayoutTest, ::testing::ValuesIn(test::kPlanLayouts),
                         test::PlanLayoutName);

TEST_F(BudgetLinesTest, ALineThePlanRefusesIsLoggedWithItsNumberAndTheNextLineStillComes) {
    // The planning program takes no negative units: the subcontracting line cannot be an assignment.
    erp.Open()->Run("UPDATE budget_line SET quantity = -2, required_quantity = -2 WHERE ce_id = 'A100' AND seq_no = 7");
    CreateBudgetLineTasksFromKova(false, false, false, false, false);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(HoldersOf("A100_4_7"), 0);
    for (const msp::Assignment& a : a100.Assignments().Snapshot())
        EXPECT_NE(a.ResourceName(), "SUB.SURVEY Land survey"); // no half-made assignment stays
    msp::Assignment next = FindBudgetLineAssignment(a100, "A100_5_8");
    ASSERT_TRUE(next);
    EXPECT_EQ(next.Text(8), "3");
    EXPECT_DOUBLE_EQ(next.Units(), 1);
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Cannot create  Budget line7 linked to the ChargeElement &A100 in MS Project."));
    EXPECT_THAT(log, HasSubstr("The argument value is not valid."));
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_4_7=2:Plan.mpp A100_5_8=3:Plan.mpp"));
}

TEST_F(BudgetLinesTest, ASubtaskRewrittenInPlaceKeepsItsResourceOnce) {
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    const msp::Task crane = Holder("A100_3_6");
    const msp::Task person = Holder("A100_2_2");
    ASSERT_TRUE(crane);
    ASSERT_TRUE(person);
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 2 WHERE schedule_link = 3");
    LogText();
    OpenLog();
    DeleteKovaMSPTask = true;
    CreateBudgetLineTasksFromKova(true, true, true, true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Holder("A100_3_6"), crane);
    EXPECT_EQ(Resources(crane), "EQP.CRANE Mobile crane");
    EXPECT_EQ(Holder("A100_2_2"), person);
    EXPECT_EQ(Resources(person), "EMP.E100 Anna Berg");
    const std::string log = LogText();
    EXPECT_THAT(log, Not(HasSubstr("already assigned")));
    EXPECT_THAT(log, Not(HasSubstr("&A100 in MS Project.")));
    // The lines after them are placed again as well, none put back to waiting.
    EXPECT_THAT(ErpLinks(), HasSubstr("A100_2_2=3:Plan.mpp A100_2_3=3:Plan.mpp A100_2_4=3:Plan.mpp "
                                      "A100_2_5=3:Plan.mpp A100_3_6=3:Plan.mpp A100_3_9=3:Plan.mpp "
                                      "A100_4_7=3:Plan.mpp"));
}

TEST_F(BudgetLinesTest, AnAssignmentWhoseSubtaskFailsStillHoldsItsLine) {
    // The planning program cannot assign a resource by a name that ends in a blank, so the second
    // line of the barge cannot become a subtask that keeps it.
    AddResource("EQP.BARGE Pontoon barge ", "EQP.BARGE");
    KovaDataObjects::KovaBudget budget;
    budget.Project = "P1";
    budget.Plan = "MAIN";
    const Date none;
    AddBudgetLineAsAssignment(budget, "A200", "7", "3", "BARGE", "Pontoon barge", "16", "", "P1", "MAIN", "h", "2",
                              "0", none, none);
    msp::Assignment held = FindBudgetLineAssignment(a200, "A200_3_7");
    ASSERT_TRUE(held);
    held.SetActualWork(Variant(4.0 * 60));
    held.SetNotes("Barge booked for May");
    for (bool deleteTask : {false, true}) {
        SCOPED_TRACE(deleteTask ? "DeleteKovaMSPTask on" : "DeleteKovaMSPTask off");
        DeleteKovaMSPTask = deleteTask;
        LogText();
        OpenLog();
        AddBudgetLineAsAssignment(budget, "A200", "7", "3", "BARGE", "Pontoon barge", "24", "", "P1", "MAIN", "h",
                                  "3", "0", none, none);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        msp::Assignment kept = FindBudgetLineAssignment(a200, "A200_3_7");
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept.Text(8), "3");
        EXPECT_DOUBLE_EQ(kept.ActualWork(), 4.0 * 60);
        EXPECT_EQ(kept.Notes(), "Barge booked for May");
        EXPECT_EQ(HoldersOf("A200_3_7"), 1);
        EXPECT_THAT(LogText(), HasSubstr("Cannot create  Budget line7 linked to the ChargeElement &A200 in MS Project."));
    }
}

// A cost type's form changed between two runs: the line comes again in the other form.
class BudgetLinesFormChangeTest : public BudgetLinesTest,
                                  public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(BudgetLinesFormChangeTest, ALineBroughtInAgainInTheOtherFormIsHeldOnce) {
    const auto [firstAsSubtasks, deleteTask] = GetParam();
    CreateBudgetLineTasksFromKova(firstAsSubtasks, firstAsSubtasks, firstAsSubtasks, firstAsSubtasks, firstAsSubtasks);
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 2 WHERE schedule_link = 3");
    DeleteKovaMSPTask = deleteTask;
    const bool again = !firstAsSubtasks;
    CreateBudgetLineTasksFromKova(again, again, again, again, again);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    for (const char* key : {"A100_1_1", "A100_2_2", "A100_2_3", "A100_3_6", "A100_3_9", "A100_4_7", "A100_5_8",
                            "A200_1_1"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(HoldersOf(key), 1);
        const msp::Task& ce = std::string(key).rfind("A100", 0) == 0 ? a100 : a200;
        // The second crane line is a subtask in both forms: the crane is assigned to the element once.
        if (again || std::string(key) == "A100_3_9") {
            EXPECT_TRUE(Holder(key));
        } else {
            EXPECT_TRUE(FindBudgetLineAssignment(ce, key));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothWays, BudgetLinesFormChangeTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

} // namespace
} // namespace Grantry
