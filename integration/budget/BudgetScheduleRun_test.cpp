// The budget and schedule run through the real ERP stand-in and planning program: the schedule to the
// ERP, the refresh of linked lines, the lines to the ERP, the project definition, and the run's order.
#include <map>
#include <random>
#include <set>
#include <sstream>

#include <gmock/gmock.h>

#include "dataobjects/KovaBudget.h"
#include "integration/budget/BudgetTestSupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/core/CommandFrame.h"
#include "platform/forms/Form.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::CStr;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;
using platform::middleware::Fault;
using ::testing::HasSubstr;
using ::testing::Not;

class BudgetScheduleRunTest : public test::BudgetLinesFixture {
protected:
    void SetUp() override {
        BudgetLinesFixture::SetUp();
        SetProperty("KovaProject", Variant("P1"));
        SetProperty("KovaProjectPlan", Variant("MAIN"));
        SetProperty("KovaConnectionNode", Variant("A"));
        SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(1)));
        SetProperty("KovaScheduleBase", Variant(int32_t(1)));
        for (msp::Task* t : {&top, &a100, &a200}) t->SetFlag(2, true);
        a100.SetText(10, "Activity");
        NetChangeOption = false;
        ActualDates(false);
    }
    void TearDown() override {
        NetChangeOption = false;
        BudgetScheduleState() = {};
        platform::forms::DiscardAllForms();
        BudgetLinesFixture::TearDown();
    }
    void SetProperty(const std::string& name, const Variant& value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(value);
        ASSERT_EQ(Err().Number, 0) << name << ": " << Err().Description;
    }
    void ActualDates(bool on) {
        DefaultInstance().chkSendActDt.SetValue(on ? platform::forms::vbChecked : platform::forms::vbUnchecked);
    }
    static frmSyncOptions& DefaultInstance() { return platform::forms::DefaultInstance<frmSyncOptions>(); }
    // The run's state as its first step reads it, with the plan's budget object: what the single steps
    // need when they are called on their own.
    void Prepare() {
        ReadBudgetScheduleState();
        auto budget = std::make_shared<KovaDataObjects::KovaBudget>();
        budget->Project = "P1";
        budget->Plan = "MAIN";
        budget->ConnectedCE = "A";
        BudgetScheduleState().budget = budget;
    }
    // The ERP lines as subtasks (or all as assignments) of the plan, as the connect run leaves them.
    void PlaceLines(bool asSubtasks = true) {
        CreateBudgetLineTasksFromKova(asSubtasks, asSubtasks, asSubtasks, asSubtasks, asSubtasks);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        Err().Clear();
    }
    msp::Task Holder(const std::string& key) {
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t && t.Text(20) == key) return t;
        return {};
    }
    std::string Erp(const std::string& sql) {
        Variant v = erp.Open()->Scalar(sql);
        return v.IsEmpty() || v.IsNull() ? "<null>" : CStr(v);
    }
    std::string ErpLine(const std::string& ce, int seq, const std::string& column) {
        return Erp("SELECT " + column + " FROM budget_line WHERE ce_id = '" + ce + "' AND seq_no = " +
                   std::to_string(seq));
    }
    std::string ErpElement(const std::string& ce, const std::string& column) {
        return Erp("SELECT " + column + " FROM charge_element WHERE ce_id = '" + ce + "'");
    }
    // The arguments, as text, of every logged call to `member`.
    std::vector<std::string> Sent(const std::string& member) {
        std::vector<std::string> out;
        for (const auto& call : erp.Control().CallsTo(member)) {
            if (call.args.empty()) continue;
            const Variant& v = call.args[0].value;
            if (const auto* object = v.Peek<platform::automation::Object>())
                out.push_back(platform::middleware::JavaDateStamp(*object));
            else
                out.push_back(v.IsEmpty() ? "" : CStr(v));
        }
        return out;
    }
    // A line made in the plan, waiting to be created in the ERP: a subtask after the last task of `ce`.
    msp::Task NewLine(const std::string& name, const msp::Task& ce, const std::string& costType,
                      const std::string& code, const std::string& unit) {
        msp::Task line = Plan().Tasks().Add(name, BudgetLineSubtaskPosition(ce));
        line.SetOutlineLevel(ce.OutlineLevel() + 1);
        line.SetText(2, costType);
        line.SetText(3, code);
        line.SetText(7, unit);
        line.SetText(8, "2");
        return line;
    }
    // A whole run, as the command starts it, with a fresh log.
    void RunWithNewLog() {
        LogText();
        OpenLog();
        UpdateBudgetSchedule();
        Err().Clear();
    }
    int Count(const std::string& member) { return static_cast<int>(erp.Control().CallsTo(member).size()); }
    int TaskCount() {
        int n = 0;
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t) ++n;
        return n;
    }
};

std::string Stamp(const Date& d) {
    return platform::middleware::StampOf(d);
}

// ---- the schedule to the ERP ---------------------------------------------------------------------

TEST_F(BudgetScheduleRunTest, TheScheduleOfTheChargeElementsGoesToTheErpAndIsStamped) {
    // Marked for deletion, and not yet in the ERP: neither is sent (the ERP would refuse the whole
    // update for an element it does not know).
    msp::Task marked = AddTask("Marked", 2, "A400");
    marked.SetFlag(2, true);
    marked.SetFlag(4, true);
    AddTask("Not yet in Kova", 2, "A500");
    a100.SetActualStart(Variant(Date::FromParts(2024, 3, 4, 8)));
    a100.SetPercentComplete(40);
    a200.OverrideEarlyDates(Date::FromParts(2024, 3, 1, 8), Date::FromParts(2024, 3, 2, 17));

    struct Case {
        int scheduleBase;
        bool actualDates;
    } cases[] = {{1, false}, {2, false}, {1, true}, {2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "base " << c.scheduleBase << " actual " << c.actualDates);
        SetProperty("KovaScheduleBase", Variant(int32_t(c.scheduleBase)));
        ActualDates(c.actualDates);
        for (msp::Task* t : {&top, &a100, &a200}) t->SetNumber(20, 7);
        Prepare();
        erp.Control().ClearCallLog();
        erp.Control().StartCallLog();
        SendScheduleInfoToKova();
        erp.Control().StopCallLog();
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(Sent("setChargeElementID"), (std::vector<std::string>{"A", "A100", "A200"}));

        const Date start = c.scheduleBase == 2 ? a200.EarlyStart() : a200.Start();
        const Date finish = c.scheduleBase == 2 ? a200.EarlyFinish() : a200.Finish();
        EXPECT_NE(a200.EarlyStart(), a200.Start());
        EXPECT_EQ(ErpElement("A200", "sched_start_ts"), Stamp(start));
        EXPECT_EQ(ErpElement("A200", "sched_finish_ts"), Stamp(finish));
        EXPECT_EQ(CStr(a200.DateField(9)), CStr(Variant(start)));
        EXPECT_EQ(CStr(a200.DateField(10)), CStr(Variant(finish)));
        // The marked and the new task are stamped too: every row is.
        EXPECT_EQ(CStr(marked.DateField(9)), CStr(Variant(marked.Start())));

        const std::vector<std::string> actualStarts = Sent("setActualStartDate");
        ASSERT_EQ(actualStarts.size(), 3u);
        if (c.actualDates) {
            EXPECT_EQ(actualStarts[1], "20240304080000");
            EXPECT_EQ(actualStarts[2], ""); // no actual start: left unset for that element only
            EXPECT_EQ(ErpElement("A100", "actual_start_ts"), "20240304080000");
            EXPECT_EQ(Sent("setPercentageComplete"), (std::vector<std::string>{"0", "40", "0"}));
            EXPECT_DOUBLE_EQ(a100.Number(20), 40);
        } else {
            // The fixed "no actual start" date, whatever the locale; no finish, no percent.
            EXPECT_EQ(actualStarts, std::vector<std::string>(3, "20370101000000"));
            EXPECT_EQ(Sent("setActualFinishDate"), std::vector<std::string>(3, ""));
            EXPECT_EQ(Sent("setPercentageComplete"), std::vector<std::string>(3, "0"));
            EXPECT_DOUBLE_EQ(a100.Number(20), 7); // not stamped
        }
    }
    EXPECT_EQ(ErpElement("A400", "ce_id"), "<null>");
}

TEST_F(BudgetScheduleRunTest, WithNetChangeOnlyMovedOrNeverSentElementsGo) {
    Prepare();
    SendScheduleInfoToKova();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    NetChangeOption = true;
    const std::string stamped = CStr(a200.DateField(9));

    erp.Control().StartCallLog();
    SendScheduleInfoToKova();
    EXPECT_FALSE(erp.Control().WasCalled("updateSchedule")); // nothing moved: nothing sent
    EXPECT_EQ(CStr(a200.DateField(9)), stamped);

    a200.SetStart(Date::FromParts(2024, 6, 3, 8));
    a100.SetDateField(9, Variant("NA")); // as if never sent
    erp.Control().ClearCallLog();
    SendScheduleInfoToKova();
    // The top element's finish moved with the hall.
    EXPECT_EQ(Sent("setChargeElementID"), (std::vector<std::string>{"A", "A100", "A200"}));
    EXPECT_EQ(ErpElement("A200", "sched_start_ts"), "20240603080000");

    // With actual dates a changed percent complete counts as a move.
    ActualDates(true);
    SendScheduleInfoToKova(); // stamps Number20
    a100.SetPercentComplete(25);
    erp.Control().ClearCallLog();
    SendScheduleInfoToKova();
    EXPECT_EQ(Sent("setChargeElementID"), (std::vector<std::string>{"A100"}));
}

TEST_F(BudgetScheduleRunTest, ARefusedScheduleIsLoggedAndNothingIsStamped) {
    Prepare();
    erp.Control().ArmFault(Fault::Error("*", "updateSchedule", 5, 0, "|The schedule is locked"));
    SendScheduleInfoToKova();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(CStr(a100.DateField(9)), "NA");
    EXPECT_THAT(LogText(), HasSubstr("   The schedule is locked"));
}

// ---- the project definition ----------------------------------------------------------------------

TEST_F(BudgetScheduleRunTest, TheProjectDefinitionComesBackAndACombinationChangeIsWarnedOnce) {
    struct Case {
        int before, pb, pc;
        bool warned;
    } cases[] = {{1, 1, 2, true}, {2, 2, 1, false}, {2, 2, 2, false}, {3, 1, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " -> " << c.pb << "/" << c.pc);
        SetProperty("KovaProjectBudgetCombination", Variant(int32_t(c.before)));
        erp.Open()->Run("UPDATE project SET budget_type_pb = ?, budget_type_pc = ?, description = 'Depot II', "
                        "start_ts = '20240401080000', finish_ts = '20250630170000'",
                        {Variant(c.pb), Variant(c.pc)});
        LogText(); // closes the log of the case before
        OpenLog();
        UpdateProjectDefinitionInMsP();
        const std::string log = LogText();
        EXPECT_EQ(log.find(kBudgetCombinationChangedLine) != std::string::npos, c.warned) << log;
        Variant combination, description;
        ASSERT_TRUE(ReadDocumentProperty("KovaProjectBudgetCombination", combination));
        ASSERT_TRUE(ReadDocumentProperty("KovaProjectDescription", description));
        EXPECT_EQ(CStr(combination), c.pb == c.pc ? (c.pb == 1 ? "1" : "3") : "2");
        EXPECT_EQ(CStr(description), "Depot II");
        Variant start, finish;
        ASSERT_TRUE(ReadDocumentProperty("KovaProjectStartDate", start));
        ASSERT_TRUE(ReadDocumentProperty("KovaProjectFinishDate", finish));
        EXPECT_EQ(platform::automation::CDate(start), Date::FromParts(2024, 4, 1, 8));
        EXPECT_EQ(platform::automation::CDate(finish), Date::FromParts(2025, 6, 30, 17));
    }
}

// ---- the refresh of linked lines -----------------------------------------------------------------

TEST_F(BudgetScheduleRunTest, WhenTheErpOwnsQuantitiesTheRefreshWritesThem) {
    PlaceLines();
    erp.Open()->Run("UPDATE budget_line SET required_quantity = 12.5, cost_amount = 999 WHERE ce_id = 'A100' "
                    "AND seq_no = 1");
    erp.Open()->Run("UPDATE budget_line SET required_quantity = -3 WHERE ce_id = 'A100' AND seq_no = 8");
    erp.Open()->Run("UPDATE budget_line SET quantity = 50, required_quantity = 0 WHERE ce_id = 'A100' AND "
                    "seq_no = 2");
    msp::Task labour = Holder("A100_2_2");
    const double labourWork = labour.Work();
    labour.SetFixedCost(11);
    Prepare();
    UpdateBudgetLineTasksInMsP();
    EXPECT_EQ(Err().Number, 0) << Err().Description;

    msp::Task material = Holder("A100_1_1");
    EXPECT_EQ(material.Text(6), "12.5");
    EXPECT_DOUBLE_EQ(material.FixedCost(), 999);
    EXPECT_EQ(Holder("A100_5_8").Text(6), "-3");
    // Budget quantity 0: the work stays, the quantity and unit are written; the ERP gives no labour
    // cost, so the subtask keeps its own.
    EXPECT_DOUBLE_EQ(labour.Work(), labourWork);
    EXPECT_EQ(labour.Text(6), "50");
    EXPECT_EQ(labour.Text(7), "h");
    EXPECT_DOUBLE_EQ(labour.FixedCost(), 11);
    EXPECT_EQ(TaskCount(), 14);
}

class BudgetScheduleDeleteTest : public BudgetScheduleRunTest, public testing::WithParamInterface<bool> {};

TEST_P(BudgetScheduleDeleteTest, LinesTheErpNoLongerHasAreDeletedOrDetached) {
    const bool deleteTask = GetParam();
    PlaceLines();
    SetProperty("DeleteKovaMSPTask", Variant(deleteTask));
    // Ownership with the plan: every line is still looked up, nothing overwritten.
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(2)));
    erp.Open()->Run("DELETE FROM budget_line WHERE ce_id = 'A100' AND seq_no = 7");
    erp.Open()->Run("UPDATE budget_line SET required_quantity = 77 WHERE ce_id = 'A100' AND seq_no = 1");
    msp::Task gone = Holder("A100_4_7");
    msp::Task zero = Holder("A100_5_8");
    zero.SetText(4, ""); // a linked line without number is no line the ERP can confirm
    for (msp::Task* t : {&gone, &zero}) {
        t->SetText(5, "x");
        t->SetFlag(1, true);
    }
    msp::Task ordinary = AddTask("Ordinary", 3);
    ordinary.SetText(2, "1");
    ordinary.SetText(4, "1");
    // A linked line moved to the first level: no charge element above it any more.
    msp::Task moved = AddTask("Moved", 1);
    moved.SetText(2, "3");
    moved.SetText(4, "6");
    moved.SetText(8, "3");
    moved.SetWork(600);
    const int before = TaskCount();
    Prepare();
    erp.Control().StartCallLog();
    UpdateBudgetLineTasksInMsP();
    erp.Control().StopCallLog();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Count("showSubcontractingBudgetLineForScheduling"), 1);
    EXPECT_EQ(Count("showSundryBudgetLineForScheduling"), 0);
    EXPECT_EQ(Count("showEquipmentBudgetLineForScheduling"), 2);
    EXPECT_EQ(Holder("A100_1_1").Text(6), "420");
    if (deleteTask) {
        EXPECT_EQ(TaskCount(), before - 3);
    } else {
        EXPECT_EQ(TaskCount(), before);
        for (msp::Task* t : {&gone, &zero, &moved}) {
            SCOPED_TRACE(t->Name());
            EXPECT_EQ(t->Text(8), "1");
            for (int n : {1, 2, 3, 4, 5, 6, 7, 20}) EXPECT_EQ(t->Text(n), "") << n;
            EXPECT_FALSE(t->Flag(1));
            EXPECT_DOUBLE_EQ(t->Work(), 0);
        }
    }
    EXPECT_EQ(ordinary.Text(2), "1"); // no budget line: never touched
}

INSTANTIATE_TEST_SUITE_P(DeleteTask, BudgetScheduleDeleteTest, testing::Bool());

TEST_F(BudgetScheduleRunTest, AFailedRefreshDoesNotMakeTheLineAnOrphan) {
    PlaceLines();
    SetProperty("DeleteKovaMSPTask", Variant(true));
    erp.Open()->Run("DELETE FROM budget_line WHERE ce_id = 'A100' AND seq_no = 7");
    const int before = TaskCount();
    Prepare();
    // A transient failure of the ERP for the material line, and one for the crane line's manager.
    erp.Control().ArmFault(Fault::Error("*", "showMaterialBudgetLineForScheduling", 7, 1, "|Server busy"));
    erp.Control().ArmFault(Fault::Error("*", "showEquipmentBudgetLineForScheduling", 7, 2, "|Server busy"));
    UpdateBudgetLineTasksInMsP();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(Holder("A100_1_1"));
    EXPECT_TRUE(Holder("A100_3_9"));
    EXPECT_FALSE(Holder("A100_4_7")); // the ERP said it has none
    EXPECT_EQ(TaskCount(), before - 1);
    const std::string log = LogText();
    // The library tells every failure in the words of a missing line; only a plain "not found" is one.
    EXPECT_THAT(log, HasSubstr("Material Budget Line for Project: P1 Plan: MAIN and Charge Element: A100 with "
                               "Serial Number: 1 not found in Kova"));
    EXPECT_THAT(log, HasSubstr("Serial Number: 7 not found  in Kova"));
}

// A field of a line edited by hand into something the run does not know: each line the run detaches
// or leaves as it is because of it is logged, naming its task (and resource) and the field.
struct HandEdit {
    const char* key;
    int field;
    const char* value;
    const char* says; // after the line's name
    const char* linkStateAfter;
};
const HandEdit kHandEdits[] = {
    {"A100_1_1", 4, "99", ": Text4 \"99\" names no line Kova holds for it. The line is detached.", "1"},
    {"A100_1_1", 8, "9", ": Text8 holds \"9\", which is no link state (1, 2 or 3). The line is left as it is.", "9"},
    {"A100_1_1", 2, "abc", ": Text2 holds \"abc\", which is no cost type (1 to 5). The line is left as it is.", "3"},
    {"A100_3_6", 8, "9", ": Text8 holds \"9\", which is no link state (1, 2 or 3). The line is left as it is.", "9"},
    {"A100_3_6", 2, "0", ": Text2 holds \"0\", which is no cost type (1 to 5). The line is left as it is.", "3"},
};
class HandEditTest : public BudgetScheduleRunTest, public testing::WithParamInterface<HandEdit> {};

TEST_P(HandEditTest, IsLoggedNamingTheTaskAndTheField) {
    const HandEdit& c = GetParam();
    PlaceLines();
    msp::Task task = Holder(c.key);
    msp::Assignment assignment = task ? msp::Assignment() : FindBudgetLineAssignment(a100, c.key);
    ASSERT_TRUE(task || assignment);
    if (!task) task = a100;
    const std::string name = "Budget line of task \"" + task.Name() + "\"" +
                             (assignment ? ", resource \"" + assignment.ResourceName() + "\"" : "");
    if (assignment)
        assignment.SetText(c.field, c.value);
    else
        task.SetText(c.field, c.value);
    RunWithNewLog();
    EXPECT_THAT(LogText(), HasSubstr(name + c.says));
    EXPECT_EQ(assignment ? assignment.Text(8) : task.Text(8), c.linkStateAfter);
}

INSTANTIATE_TEST_SUITE_P(Fields, HandEditTest, testing::ValuesIn(kHandEdits));

TEST_F(BudgetScheduleRunTest, AssignmentLinesAreRefreshedAndTheirOrphansDetached) {
    PlaceLines(false);
    msp::Task plain = AddTask("Site work", 2, "A600");
    plain.Assignments().Add(Plan().Resources().Item(1).Id(), Variant(1.0));
    erp.Open()->Run("UPDATE budget_line SET required_quantity = 430 WHERE ce_id = 'A100' AND seq_no = 1");
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 1 WHERE ce_id = 'A100' AND seq_no = 7");
    for (msp::Assignment a : a100.Assignments().Snapshot()) {
        a.SetFlag(1, true);
        a.SetText(1, "x");
    }
    Prepare();
    UpdateBudgetLineTasksInMsP();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    msp::Assignment concrete = FindBudgetLineAssignment(a100, "A100_1_1");
    ASSERT_TRUE(concrete);
    EXPECT_EQ(concrete.Text(6), "430");
    EXPECT_DOUBLE_EQ(concrete.Units(), 430);
    msp::Assignment survey;
    for (const msp::Assignment& a : a100.Assignments().Snapshot())
        if (a.ResourceName() == "SUB.SURVEY Land survey") survey = a;
    ASSERT_TRUE(survey);
    EXPECT_EQ(survey.Text(8), "1");
    for (int n : {1, 2, 3, 4, 5, 6, 7, 11, 20}) EXPECT_EQ(survey.Text(n), "") << n;
    EXPECT_FALSE(survey.Flag(1));
    EXPECT_TRUE(concrete.Flag(1)); // a confirmed line keeps it
    EXPECT_EQ(survey.Text(3), "");
    EXPECT_DOUBLE_EQ(survey.Work(), 0);
    EXPECT_EQ(plain.Assignments().Count(), 1);
}

TEST_F(BudgetScheduleRunTest, EachRefreshStartsFromNothingConfirmed) {
    PlaceLines();
    SetProperty("DeleteKovaMSPTask", Variant(true));
    Prepare();
    UpdateBudgetLineTasksInMsP();
    ASSERT_TRUE(Holder("A100_4_7"));
    // Confirmed by the first refresh, gone from the ERP before the second: an orphan now.
    erp.Open()->Run("DELETE FROM budget_line WHERE ce_id = 'A100' AND seq_no = 7");
    UpdateBudgetLineTasksInMsP();
    EXPECT_FALSE(Holder("A100_4_7"));
}

TEST_F(BudgetScheduleRunTest, TheConfirmedListsHoldEveryIdRemembered) {
    std::vector<msp::Task> tasks;
    for (int i = 0; i < 150; ++i) tasks.push_back(AddTask("Line " + std::to_string(i), 1));
    InitUniqueIdLists();
    for (const msp::Task& t : tasks) RememberTaskUniqueId(t);
    for (const msp::Task& t : tasks) EXPECT_TRUE(IsTaskIdListed(t.UniqueID()));
    EXPECT_FALSE(IsTaskIdListed(a100.UniqueID()));
    EXPECT_FALSE(IsAssignmentIdListed(tasks[0].UniqueID()));
    InitUniqueIdLists();
    EXPECT_FALSE(IsTaskIdListed(tasks[0].UniqueID()));
}

// ---- the lines to the ERP ------------------------------------------------------------------------

TEST_F(BudgetScheduleRunTest, WhenThePlanOwnsQuantitiesTheErpTakesThem) {
    PlaceLines();
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(4)));
    Holder("A100_1_1").SetText(6, "430.5 m3");
    Holder("A100_2_2").SetWork(Variant(300.0 * 60));
    Holder("A100_3_6").SetWork(Variant(100.0 * 60 + 1)); // 100.0166.. hours, sent as 100.02
    msp::Task survey = Holder("A100_4_7");
    survey.SetText(6, "6");
    survey.SetText(7, "wk");
    Prepare();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(ErpLine("A100", 1, "required_quantity"), "430.5");
    EXPECT_EQ(ErpLine("A100", 2, "required_quantity"), "300");
    EXPECT_EQ(ErpLine("A100", 6, "required_duration"), "100.02");
    EXPECT_EQ(ErpLine("A100", 7, "required_quantity"), "6");
    EXPECT_EQ(ErpLine("A100", 7, "unit"), "wk");
    EXPECT_EQ(ErpLine("A100", 2, "employee"), "E100");
    EXPECT_EQ(ErpLine("A100", 3, "trade_group"), "CARP");
    EXPECT_EQ(Holder("A100_1_1").Text(8), "3");
}

TEST_F(BudgetScheduleRunTest, WhenTheErpOwnsQuantitiesOnlyCodesNumbersAndDatesGo) {
    PlaceLines();
    for (int ownership : {1, 3}) {
        SCOPED_TRACE(ownership);
        SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(ownership)));
        Holder("A100_1_1").SetText(6, "999");
        Prepare();
        erp.Control().ClearCallLog();
        erp.Control().StartCallLog();
        CreateUpdateBudgetLinesInKova();
        erp.Control().StopCallLog();
        for (const char* setter : {"setRequiredQuantity", "setRequiredDuration", "setRequiredUnit"})
            EXPECT_EQ(Count(setter), 0) << setter;
        EXPECT_EQ(Count("setSequenceNumber"), 10);
        EXPECT_EQ(Count("setRelatedStartDate"), 10);
        EXPECT_EQ(ErpLine("A100", 1, "required_quantity"), "420");
    }
}

TEST_F(BudgetScheduleRunTest, WithoutLinkedLinesTheUpdateStillGoes) {
    Prepare();
    erp.Control().StartCallLog();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    for (const char* word : {"Material", "Labor", "Equipment", "Subcontracting", "Sundry"})
        EXPECT_EQ(Count(std::string("update") + word + "BudgetLineForScheduling"), 1) << word;
    EXPECT_EQ(Count("setSequenceNumber"), 0);
}

TEST_F(BudgetScheduleRunTest, CostObjectsAndPeopleGoAsBareCodes) {
    // The ERP's lines 1 (concrete), 2 (labour, employee E100), 5 (labour, E200 taken away here), 6
    // (crane) of A100 and 1 (the project's steel) of A200, linked to the plan; the plan holds them by hand.
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 3, external_schedule = 'Plan.mpp' WHERE "
                    "(ce_id = 'A100' AND seq_no IN (1, 2, 5, 6)) OR (ce_id = 'A200' AND seq_no = 1)");
    erp.Open()->Run("UPDATE budget_line SET employee = '' WHERE ce_id = 'A100' AND seq_no = 5");
    auto line = [&](const std::string& name, const msp::Task& before, const std::string& costType,
                    const std::string& code, const std::string& number) {
        msp::Task t = Plan().Tasks().Add(name, before.Id());
        t.SetOutlineLevel(3);
        t.SetText(2, costType);
        t.SetText(3, code);
        t.SetText(4, number);
        t.SetText(8, "3");
        return t;
    };
    // A labour subtask whose first person is a trade group, the second an employee.
    msp::Task labour = line("Site hour", a200, "2", "LAB.W01", "2");
    app->SelectRow(labour.Id(), false, false, false);
    app->ResourceAssignment("TRG.CARP Carpenters", msp::pjAssign);
    app->ResourceAssignment("EMP.E100 Anna Berg", msp::pjAssign);
    ASSERT_EQ(labour.Resources().Count(), 2);
    line("Mobile crane", a200, "3", "EQP.P1.CRANE", "6");
    line("Ready-mix concrete", a200, "1", "MAT.CONCRETE", "1");
    // An assignment line on a resource whose name holds a department between prefix and code.
    AddResource("EMP.D1.E200 Jonas Keller", "EMP.D1.E200");
    msp::Assignment person = a100.Assignments().Add(Plan().Resources().Count(), Variant(0.0));
    person.SetText(2, "2");
    person.SetText(3, "LAB.W01");
    person.SetText(4, "5");
    person.SetText(8, "3");
    msp::Task steel = AddTask("Steel beams", 3);
    steel.SetText(2, "1");
    steel.SetText(3, "MAT.P1.STEEL"); // a project's material: its code carries the project
    steel.SetText(4, "1");
    steel.SetText(8, "3");
    Prepare();
    erp.Control().StartCallLog();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Sent("setTradeGroup"), std::vector<std::string>{"CARP"});
    EXPECT_EQ(Sent("setEmployee"), std::vector<std::string>{"E200"});
    EXPECT_EQ(Sent("setEquipment"), std::vector<std::string>{"CRANE"});
    EXPECT_EQ(ErpLine("A100", 2, "trade_group") + "/" + ErpLine("A100", 2, "employee"), "CARP/");
    EXPECT_EQ(ErpLine("A100", 5, "employee"), "E200");
    EXPECT_EQ(ErpLine("A100", 6, "cost_object"), "CRANE");
    EXPECT_EQ(ErpLine("A200", 1, "cost_object") + "/" + ErpLine("A200", 1, "cost_object_project"), "STEEL/P1");
    EXPECT_EQ(ErpLine("A100", 1, "cost_object"), "CONCRETE");
    EXPECT_EQ(Sent("setItem").size(), 2u);
    EXPECT_THAT(LogText(), Not(HasSubstr("There is no")));
    EXPECT_EQ(labour.Text(8), "3");
}

TEST_F(BudgetScheduleRunTest, ALineMadeInThePlanIsCreatedAndItsNumberWrittenBack) {
    PlaceLines();
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(2)));
    msp::Task fresh = AddTask("Ready-mix concrete", 3);
    fresh.SetText(2, "1");
    fresh.SetText(3, "MAT.CONCRETE");
    fresh.SetText(6, "12");
    fresh.SetText(8, "2");
    // A labour assignment made by the dialog for an employee.
    msp::Assignment person = a200.Assignments().Add(Plan().Resources().Item(7).Id(), Variant(0.0));
    ASSERT_EQ(person.ResourceName(), "EMP.E100 Anna Berg");
    person.SetText(2, "2");
    person.SetText(3, "LAB.W01");
    person.SetText(8, "2");
    person.SetText(13, "EMP.E100");
    person.SetWork(Variant(8.125 * 60)); // rounded to two decimals, the half to the even neighbour
    // One the ERP refuses: a cost object it does not have.
    msp::Task refused = AddTask("Gravel", 3);
    refused.SetText(2, "1");
    refused.SetText(3, "MAT.GRAVEL");
    refused.SetText(8, "2");
    Prepare();
    erp.Control().StartCallLog();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Count("setSequenceNumber"), 10); // the new lines are not in this run's update

    // Numbers run over the charge element's lines of every cost type; material is created first.
    EXPECT_EQ(fresh.Text(4), "5");
    EXPECT_EQ(fresh.Text(8), "3");
    EXPECT_EQ(fresh.Text(20), "A200_1_5"); // the charge element above it
    EXPECT_EQ(ErpLine("A200", 5, "required_quantity"), "12");
    EXPECT_EQ(ErpLine("A200", 5, "schedule_link"), "3");
    EXPECT_EQ(ErpLine("A200", 5, "external_schedule"), "Plan.mpp");
    EXPECT_EQ(person.Text(4), "6");
    EXPECT_EQ(person.Text(8), "3");
    EXPECT_EQ(person.Text(20), "A200_2_6");
    EXPECT_EQ(ErpLine("A200", 6, "employee"), "E100");
    EXPECT_EQ(ErpLine("A200", 6, "quantity"), "8.12");
    EXPECT_EQ(refused.Text(8), "2");
    EXPECT_EQ(refused.Text(4), "");
    EXPECT_THAT(LogText(), HasSubstr("GRAVEL"));
}

TEST_F(BudgetScheduleRunTest, NewAssignmentLinesSendWorkOrUnitsByTheirCostType) {
    PlaceLines();
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(2)));
    auto add = [&](const char* resource, const char* costType, const char* code) {
        msp::Assignment a = a200.Assignments().Add(Plan().Resources().Item(resource).Id(), Variant(0.0));
        a.SetText(2, costType);
        a.SetText(3, code);
        a.SetText(8, "2");
        return a;
    };
    msp::Assignment crane = add("EQP.CRANE Mobile crane", "3", "EQP.CRANE");
    crane.SetWork(Variant(16.0 * 60));
    crane.SetUnits(Variant(2.0));
    msp::Assignment survey = add("SUB.SURVEY Land survey", "4", "SUB.SURVEY");
    survey.SetUnits(Variant(3.0));
    survey.SetWork(Variant(40.0 * 60));
    Prepare();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_EQ(crane.Text(8), "3");
    ASSERT_EQ(survey.Text(8), "3");
    const int craneLine = std::stoi(crane.Text(4));
    const int surveyLine = std::stoi(survey.Text(4));
    EXPECT_EQ(ErpLine("A200", craneLine, "duration"), "16");
    EXPECT_EQ(ErpLine("A200", surveyLine, "quantity"), "3");
}

TEST_P(BudgetScheduleDeleteTest, ALineTheErpUnlinkedIsDetachedByItsLinkOnlyOrDeleted) {
    const bool deleteTask = GetParam();
    PlaceLines();
    SetProperty("DeleteKovaMSPTask", Variant(deleteTask));
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 1, external_schedule = '' WHERE ce_id = 'A100' "
                    "AND seq_no = 9");
    msp::Task crane = Holder("A100_3_9");
    const int before = TaskCount();
    Prepare();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    if (deleteTask) {
        EXPECT_EQ(TaskCount(), before - 1);
        EXPECT_FALSE(Holder("A100_3_9"));
    } else {
        EXPECT_EQ(TaskCount(), before);
        EXPECT_EQ(crane.Text(8), "1");
        EXPECT_EQ(crane.Text(20), "");
        EXPECT_EQ(crane.Text(3), "EQP.CRANE");
        EXPECT_EQ(crane.Text(4), "9");
        EXPECT_EQ(crane.Text(2), "3");
    }
    EXPECT_EQ(Holder("A100_3_6").Text(8), "3");
}

// A line number or cost type edited by hand beyond what such a number can be names no line: in every step of a
// run the line is left as it is, as subtask or assignment, deleting or not, whoever owns the
// quantities; the ERP's line its key names keeps its link and its values.
std::string PlanLines(const msp::Project& plan);

class NumberOutOfRangeTest : public BudgetScheduleRunTest,
                             public testing::WithParamInterface<std::tuple<bool, bool, int, int>> {};

TEST_P(NumberOutOfRangeTest, TheLineIsLeftAsItIsAndTheErpLineKeepsItsLink) {
    const auto [deleteTask, asSubtasks, ownership, field] = GetParam();
    SetProperty("DeleteKovaMSPTask", Variant(deleteTask));
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(ownership)));
    PlaceLines(asSubtasks);
    msp::Task task;
    msp::Assignment assignment;
    for (const msp::Task& t : Plan().Tasks().Snapshot()) {
        if (!t) continue;
        if (asSubtasks && t.Text(20) == "A100_4_7") task = t;
        for (const msp::Assignment& a : t.Assignments().Snapshot())
            if (!asSubtasks && a && a.Text(20) == "A100_4_7") task = t, assignment = a;
    }
    ASSERT_TRUE(task);
    ASSERT_EQ(!asSubtasks, static_cast<bool>(assignment));
    if (asSubtasks)
        task.SetText(field, "99999999999");
    else
        assignment.SetText(field, "99999999999");
    const auto erpLineNow = [&] {
        return Erp("SELECT quantity || '/' || required_quantity || '/' || unit || '/' || cost_object || '/' || "
                   "schedule_link || '/' || external_schedule FROM budget_line WHERE ce_id = 'A100' AND seq_no = 7");
    };
    const std::string erpLine = erpLineNow();
    ASSERT_NE(erpLine, "<null>");
    // Other lines may take the ERP's values in the run; this one's row must not change.
    const auto lineRow = [&] {
        const std::string lines = PlanLines(Plan());
        const size_t at = lines.find("A100_4_7|");
        if (at == std::string::npos) return std::string("<gone>");
        const size_t from = lines.rfind('\n', at);
        return lines.substr(from == std::string::npos ? 0 : from + 1, lines.find('\n', at) - (from + 1));
    };
    const std::string planBefore = lineRow();
    const int before = TaskCount();
    ResetStepFailures();
    RunWithNewLog();
    const std::string log = LogText();
    EXPECT_EQ(TaskCount(), before);
    EXPECT_EQ(lineRow(), planBefore);
    EXPECT_EQ(erpLineNow(), erpLine);
    EXPECT_EQ(ErpLine("A100", 7, "schedule_link"), "3");
    EXPECT_THAT(log, HasSubstr("Budget line of task " + task.Name()));
    EXPECT_THAT(log, HasSubstr("Text" + std::to_string(field) + " holds 99999999999, a number out of range"));
    EXPECT_TRUE(StepFailed()) << "a line left out of the run is no run completed";
}

INSTANTIATE_TEST_SUITE_P(DeleteHolderOwnership, NumberOutOfRangeTest,
                         testing::Combine(testing::Bool(), testing::Bool(), testing::Values(1, 2), testing::Values(2, 4)));

// The update's result names one line; of a charge element's assignments only that one is detached,
// not another of the same cost type before it.
TEST_F(BudgetScheduleRunTest, TheResultDetachesTheAssignmentItNamesOnly) {
    PlaceLines(false);
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 1, external_schedule = '' WHERE ce_id = 'A100' "
                    "AND seq_no = 3");
    Prepare();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    // Line number -> link state of A100's assignments: the trade group's labour line 3 comes after
    // the employee's line 2.
    std::map<std::string, std::string> links;
    for (const msp::Assignment& a : a100.Assignments().Snapshot())
        if (a) links[a.Text(4)] = a.Text(8);
    ASSERT_EQ(links.count("3"), 1u);
    EXPECT_EQ(links["3"], "1");
    ASSERT_GE(links.size(), 3u);
    for (const auto& [line, link] : links)
        if (line != "3") EXPECT_EQ(link, "3") << "line " << line;
}

// ---- a run whose plan was not saved ----------------------------------------------------------------

// The ERP made the plan's new lines and gave them numbers, then the plan was not saved (the run was
// killed, or the file could not be written): the plan as its file holds it still has the lines as new.
// The next run must find the lines the ERP holds for this plan instead of making them again.
class UnsavedRunTest : public BudgetScheduleRunTest {
protected:
    void SetUp() override {
        BudgetScheduleRunTest::SetUp();
        PlaceLines();
        SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(2)));
        concrete = AddTask("Ready-mix concrete", 3);
        concrete.SetText(2, "1");
        concrete.SetText(3, "MAT.CONCRETE");
        concrete.SetText(6, "7");
        concrete.SetText(8, "2");
        crane = a200.Assignments().Add(Plan().Resources().Item(3).Id(), Variant(0.0));
        crane.SetText(2, "3");
        crane.SetText(3, "EQP.CRANE");
        crane.SetText(8, "2");
        crane.SetWork(Variant(16.0 * 60));
    }
    // What a plan reopened from its last saved file holds of the two lines.
    void LoseTheSave() {
        concrete.SetText(4, "");
        concrete.SetText(8, "2");
        concrete.SetText(20, "");
        crane.SetText(4, "");
        crane.SetText(8, "2");
        crane.SetText(20, "");
    }
    int ErpCount(const std::string& where) {
        return std::stoi(Erp("SELECT count(*) FROM budget_line WHERE " + where));
    }
    int PlanHolders(const std::string& key) {
        int n = 0;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!t) continue;
            if (t.Text(20) == key) ++n;
            for (const msp::Assignment& a : t.Assignments().Snapshot())
                if (a && a.Text(20) == key) ++n;
        }
        return n;
    }
    msp::Task concrete;
    msp::Assignment crane;
};

TEST_F(UnsavedRunTest, TheNextRunTakesBackTheLinesTheErpMadeInsteadOfMakingThemTwice) {
    UpdateBudgetSchedule();
    ASSERT_EQ(concrete.Text(4), "5") << LogText();
    ASSERT_EQ(crane.Text(4), "6");
    LoseTheSave();

    UpdateBudgetSchedule();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    // Every line once in the ERP, linked to the plan, and once in the plan.
    EXPECT_EQ(ErpCount("ce_id = 'A200' AND cost_type = 1 AND cost_object = 'CONCRETE'"), 1);
    EXPECT_EQ(ErpCount("ce_id = 'A200' AND cost_type = 3 AND cost_object = 'CRANE'"), 1);
    EXPECT_EQ(ErpCount("ce_id = 'A200'"), 6) << ErpLinks(); // the seed's four and the two new
    EXPECT_EQ(ErpLine("A200", 5, "schedule_link"), "3");
    EXPECT_EQ(ErpLine("A200", 6, "schedule_link"), "3");
    EXPECT_EQ(PlanHolders("A200_1_5"), 1);
    EXPECT_EQ(PlanHolders("A200_3_6"), 1);
    EXPECT_EQ(concrete.Text(8), "3");
    EXPECT_EQ(crane.Text(8), "3");
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Budget line 5 of Charge Element A200 (cost object CONCRETE) was created in Kova"));
    EXPECT_THAT(log, HasSubstr("Budget line 6 of Charge Element A200 (cost object CRANE)"));
    EXPECT_TRUE(log.ends_with("Synchronization completed with Kova Project P1\r\n")) << log;
}

TEST_F(UnsavedRunTest, ALineTheErpHoldsForThePlanIsTakenBackOnceAnotherLikeItIsMade) {
    UpdateBudgetSchedule();
    LoseTheSave();
    // A second new line of the same element, cost type and cost object: one takes line 5 back, the
    // other is made.
    msp::Task more = AddTask("More concrete", 3);
    more.SetText(2, "1");
    more.SetText(3, "MAT.CONCRETE");
    more.SetText(6, "3");
    more.SetText(8, "2");
    UpdateBudgetSchedule();
    EXPECT_EQ(ErpCount("ce_id = 'A200' AND cost_type = 1 AND cost_object = 'CONCRETE'"), 2) << ErpLinks();
    EXPECT_EQ(concrete.Text(4), "5");
    EXPECT_EQ(more.Text(4), "7");
    EXPECT_EQ(ErpLine("A200", 7, "required_quantity"), "3");
    EXPECT_EQ(ErpLine("A200", 5, "schedule_link"), "3");
}

// The reopened plan's line now names another cost object: it is not the ERP's line, which stays as
// the lost run made it, and a line of its own is made.
TEST_F(UnsavedRunTest, ALineOfAnotherCostObjectIsNotTakenBack) {
    UpdateBudgetSchedule();
    LoseTheSave();
    concrete.SetText(3, "MAT.P1.STEEL");
    UpdateBudgetSchedule();
    EXPECT_EQ(concrete.Text(4), "7") << ErpLinks();
    EXPECT_EQ(ErpLine("A200", 7, "cost_object"), "STEEL");
    EXPECT_EQ(crane.Text(4), "6");
}

// A line the plan dropped is numbered below one the plan still holds: it is no line of a lost run, and
// a new line like it is made and the dropped one unlinked, as before.
TEST_F(UnsavedRunTest, ALineThePlanDroppedIsNotTakenBack) {
    msp::Task concreteA100 = Holder("A100_1_1");
    ASSERT_TRUE(concreteA100);
    ASSERT_TRUE(Holder("A100_3_9"));
    concreteA100.Delete();
    msp::Assignment again = a100.Assignments().Add(Plan().Resources().Item(1).Id(), Variant(5.0));
    ASSERT_EQ(again.ResourceName(), "MAT.CONCRETE Ready-mix concrete");
    again.SetText(2, "1");
    again.SetText(3, "MAT.CONCRETE");
    again.SetText(8, "2");
    UpdateBudgetSchedule();
    EXPECT_EQ(ErpLine("A100", 1, "schedule_link"), "1") << ErpLinks();
    EXPECT_EQ(again.Text(4), "10");
    EXPECT_EQ(ErpLine("A100", 10, "required_quantity"), "5");
    EXPECT_THAT(LogText(), Not(HasSubstr("not created twice")));
}

TEST_F(UnsavedRunTest, WhenTheErpCannotSayWhatItHoldsNoNewLineIsMade) {
    erp.Control().ArmFault(Fault::Error("*", "listLinkedMaterialBudgetLine", 7, 0, "Server busy"));
    UpdateBudgetSchedule();
    erp.Control().ClearFaults();
    EXPECT_EQ(concrete.Text(8), "2");
    EXPECT_EQ(concrete.Text(4), "");
    EXPECT_EQ(ErpCount("ce_id = 'A200'"), 4);
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Server busy"));
    EXPECT_THAT(log, HasSubstr(kNewLinesNotCreatedLine));
    EXPECT_THAT(log, Not(HasSubstr("Synchronization completed")));
    EXPECT_TRUE(StepFailed());
    // The next run makes them.
    UpdateBudgetSchedule();
    EXPECT_EQ(concrete.Text(4), "5");
    EXPECT_EQ(ErpCount("ce_id = 'A200'"), 6);
}

// A refusal of one line, a line the ERP removed and a new line of the same kind in one run: the ERP
// gives the new line the removed one's number, and the plan holds that key once.
TEST_P(BudgetScheduleDeleteTest, ARefusedUpdateStillLetsGoOfTheLinesTheErpNoLongerHas) {
    const bool deleteTask = GetParam();
    PlaceLines();
    SetProperty("DeleteKovaMSPTask", Variant(deleteTask));
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(2)));
    erp.Open()->Run("UPDATE budget_line SET refuse_message = 'Cost object CONCRETE is blocked' "
                    "WHERE ce_id = 'A100' AND seq_no = 1");
    erp.Open()->Run("DELETE FROM budget_line WHERE ce_id = 'A100' AND seq_no = 9");
    msp::Task removed = Holder("A100_3_9");
    ASSERT_TRUE(removed);
    msp::Task fresh = NewLine("Second crane", a100, "3", "EQP.CRANE", "h");
    fresh.SetWork(Variant(30.0 * 60));
    Prepare();
    CreateUpdateBudgetLinesInKova();
    Err().Clear();
    EXPECT_THAT(LogText(), HasSubstr("Cost object CONCRETE is blocked"));
    EXPECT_EQ(fresh.Text(20), "A100_3_9");
    int holders = 0;
    for (const msp::Task& t : Plan().Tasks().Snapshot())
        if (t && t.Text(20) == "A100_3_9") ++holders;
    EXPECT_EQ(holders, 1);
    if (!deleteTask) {
        EXPECT_EQ(removed.Text(8), "1");
        EXPECT_EQ(removed.Text(20), "");
    }
    EXPECT_EQ(ErpLine("A100", 9, "required_duration"), "30");
    EXPECT_EQ(Holder("A100_1_1").Text(8), "3"); // the refused line keeps its link
}

// A budget-line subtask grouped below a summary task without code was sent under the charge element
// above the group; the ERP's answer for it comes under that code.
TEST_F(BudgetScheduleRunTest, TheResultFindsASubtaskBelowASummaryWithoutCode) {
    PlaceLines();
    msp::Task line = Holder("A100_4_7");
    ASSERT_TRUE(line);
    msp::Task group = Plan().Tasks().Add("Surveys", line.Id());
    group.SetOutlineLevel(3);
    line.SetOutlineLevel(4);
    ASSERT_EQ(line.OutlineParent(), group);
    erp.Open()->Run("UPDATE budget_line SET schedule_link = 1, external_schedule = '' WHERE ce_id = 'A100' "
                    "AND seq_no = 7");
    Prepare();
    CreateUpdateBudgetLinesInKova();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(line.Text(8), "1");
    EXPECT_EQ(line.Text(20), "");
    EXPECT_EQ(Holder("A100_5_8").Text(8), "3");
}

// ---- the run -------------------------------------------------------------------------------------

TEST_F(BudgetScheduleRunTest, TheRunGoesStepByStepAndEndsWithTheProjectCode) {
    std::vector<std::string> labels;
    SyncProgressLabel() = [&](const std::string& text) { labels.push_back(text); };
    SetProperty("KovaMatBudgLnAsSubTask", Variant(true));
    SetProperty("KovaLabBudgLnAsSubTask", Variant(true));
    SetProperty("DeleteKovaMSPTask", Variant(true));
    // The ERP owns the quantities: the refresh writes them again after the lines came in, as plain
    // text the way the creation writes it.
    erp.Open()->Run("UPDATE budget_line SET required_quantity = 12.5 WHERE ce_id = 'A100' AND seq_no = 1");
    app->Alerts(true);
    UpdateBudgetSchedule();
    SyncProgressLabel() = nullptr;
    EXPECT_TRUE(app->DisplayAlerts()); // the run's searches put them back
    EXPECT_FALSE(DeleteKovaMSPTask); // back to off for a connect run that may follow
    EXPECT_TRUE(Holder("A100_1_1")); // a material subtask
    EXPECT_EQ(Holder("A100_1_1").Text(6), "12.5");
    EXPECT_TRUE(Holder("A100_2_2"));  // a labour subtask
    EXPECT_FALSE(Holder("A100_3_6")); // an equipment assignment
    EXPECT_TRUE(FindBudgetLineAssignment(a100, "A100_3_6"));
    EXPECT_EQ(ErpElement("A100", "sched_start_ts"), Stamp(a100.Start()));
    EXPECT_EQ(labels, (std::vector<std::string>{
                          "Creating new Budget Line Tasks in MsProject from Kova...",
                          "Updating Budget Line Tasks in MsProject...",
                          "Updating Schedule Information in Kova...",
                          "Creating/Updating Budget Lines in Kova...",
                          "Updating the Kova Project definition in MsProject...",
                      }));
    const std::string log = LogText();
    size_t at = 0;
    for (const char* step : {"Creating new Budget Line Tasks in MsProject from Kova...\r\n",
                             "Updating Budget Line Tasks in MsProject...\r\n",
                             "Updating Scheduling Information for Budget Lines and Charge Elements in Kova...\r\n",
                             "Creating / Updating Budget Lines in Kova...\r\n",
                             "Updating the Kova Project definition in MsProject...\r\n"}) {
        const size_t found = log.find(step, at);
        EXPECT_NE(found, std::string::npos) << step;
        if (found != std::string::npos) at = found;
    }
    EXPECT_TRUE(log.ends_with("Synchronization completed with Kova Project P1\r\n")) << log;
}

class PlanOwnedRunTest : public BudgetScheduleRunTest, public testing::WithParamInterface<int> {};

// Everything a run may write: the budget-line fields of the plan's tasks and assignments, and the
// ERP's budget lines.
std::string PlanLines(const msp::Project& plan) {
    std::string out;
    auto fields = [](auto& item) {
        std::string f;
        for (int n : {2, 3, 4, 6, 7, 8, 11, 13, 20}) f += item.Text(n) + "|";
        return f + platform::automation::NumberText(item.Work());
    };
    for (const msp::Task& t : plan.Tasks().Snapshot()) {
        if (!t) continue;
        out += t.Name() + ":" + fields(t) + "|" + platform::automation::NumberText(t.FixedCost()) + "\n";
        for (msp::Assignment a : t.Assignments().Snapshot())
            out += "  " + a.ResourceName() + ":" + fields(a) + "|" + platform::automation::NumberText(a.Units()) + "\n";
    }
    return out;
}

// A second run with nothing changed on either side changes nothing: the lines the first run created
// and the quantities it sent or wrote are read and written the same way the next time.
class SecondRunTest : public BudgetScheduleRunTest, public testing::WithParamInterface<int> {};

TEST_P(SecondRunTest, ASecondRunWithNothingChangedChangesNothing) {
    SetProperty("KovaMatBudgLnAsSubTask", Variant(true));
    SetProperty("KovaLabBudgLnAsSubTask", Variant(true));
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(GetParam())));
    PlaceLines();
    // New lines of the plan: a material quantity and a labour work with more than two decimals.
    msp::Task material = NewLine("Ready-mix concrete", a100, "1", "MAT.CONCRETE", "m3");
    material.SetText(6, "6.227");
    msp::Task labour = NewLine("Site hour", a100, "2", "LAB.W01", "h");
    labour.SetWork(Variant(6.227 * 60));
    const auto erpLines = [&] {
        return Erp("SELECT group_concat(l, ' ') FROM (SELECT ce_id || '_' || cost_type || '_' || seq_no || '=' || "
                   "quantity || '/' || required_quantity || '/' || duration || '/' || required_duration || '/' || "
                   "unit || '/' || cost_object || '/' || schedule_link AS l FROM budget_line "
                   "ORDER BY ce_id, cost_type, seq_no)");
    };
    UpdateBudgetSchedule();
    Err().Clear();
    const std::string planAfterFirst = PlanLines(Plan());
    const std::string erpAfterFirst = erpLines();
    ASSERT_NE(material.Text(4), "");
    ASSERT_NE(labour.Text(4), "");
    RunWithNewLog();
    EXPECT_EQ(PlanLines(Plan()), planAfterFirst);
    EXPECT_EQ(erpLines(), erpAfterFirst);
}

INSTANTIATE_TEST_SUITE_P(Ownership, SecondRunTest, testing::Values(1, 2));



TEST_P(PlanOwnedRunTest, WithoutDeletingTheRefreshIsSkipped) {
    PlaceLines();
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(GetParam())));
    erp.Open()->Run("DELETE FROM budget_line WHERE ce_id = 'A100' AND seq_no = 7");
    msp::Task survey = Holder("A100_4_7");
    erp.Control().StartCallLog();
    UpdateBudgetSchedule();
    erp.Control().StopCallLog();
    for (const char* word : {"Material", "Labor", "Equipment", "Subcontracting", "Sundry"})
        EXPECT_EQ(Count(std::string("show") + word + "BudgetLineForScheduling"), 0) << word;
    EXPECT_THAT(LogText(), Not(HasSubstr("Updating Budget Line Tasks in MsProject...")));
    // Not refreshed away: the update step detaches it by its link, as the ERP answered.
    EXPECT_EQ(survey.Text(8), "1");
    EXPECT_EQ(survey.Text(3), "SUB.SURVEY");
}

INSTANTIATE_TEST_SUITE_P(Ownership, PlanOwnedRunTest, testing::Values(2, 4));

// ---- random edits on both sides ------------------------------------------------------------------

// Rounds of random edits in the plan and in the ERP, each followed by a run and a second run with
// nothing changed, under either ownership of the quantities.
class RandomEditsTest : public BudgetScheduleRunTest, public testing::WithParamInterface<std::tuple<int, int>> {
protected:
    struct Holding {
        msp::Task task;
        msp::Assignment assignment; // Nothing for a subtask
        std::string key;
        int costType = 0;
    };
    // Every linked line of the plan.
    std::vector<Holding> Linked() {
        std::vector<Holding> out;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!t) continue;
            if (t.Text(8) == "3") out.push_back({t, {}, t.Text(20), IntegerOfField(t.Text(2))});
            for (const msp::Assignment& a : t.Assignments().Snapshot())
                if (a.Text(8) == "3") out.push_back({t, a, a.Text(20), IntegerOfField(a.Text(2))});
        }
        return out;
    }
    std::string ErpLines() {
        return Erp("SELECT group_concat(l, ' ') FROM (SELECT ce_id || '_' || cost_type || '_' || seq_no || '=' || "
                   "required_quantity || '/' || required_duration || '/' || unit || '/' || cost_object || '/' || "
                   "schedule_link || '/' || external_schedule AS l FROM budget_line ORDER BY ce_id, cost_type, seq_no)");
    }
    // The ERP lines linked to this plan, by key, with whether the ERP refuses updates of them.
    std::map<std::string, bool> ErpLinked() {
        std::map<std::string, bool> out;
        const std::string rows = Erp("SELECT group_concat(ce_id || '_' || cost_type || '_' || seq_no || '=' || "
                                     "(refuse_message <> ''), ' ') FROM budget_line WHERE schedule_link = 3 AND "
                                     "external_schedule = 'Plan.mpp'");
        std::istringstream in(rows == "<null>" ? "" : rows);
        for (std::string item; in >> item;) out[item.substr(0, item.size() - 2)] = item.back() == '1';
        return out;
    }
    double ErpNumber(const std::string& key, const char* column) {
        const size_t a = key.find('_'), b = key.rfind('_');
        return std::stod(Erp(std::string("SELECT ") + column + " FROM budget_line WHERE ce_id = '" + key.substr(0, a) +
                             "' AND cost_type = " + key.substr(a + 1, b - a - 1) + " AND seq_no = " +
                             key.substr(b + 1)));
    }
    void RandomEdits(std::mt19937& random, int round) {
        auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; };
        auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
        auto quantity = [&] { return std::uniform_int_distribution<int>(1, 50000)(random) / 100.0; };
        std::vector<Holding> linked = Linked();
        // The plan: quantities and work of linked lines, a new line now and then.
        for (int edits = 0; edits < 3 && !linked.empty(); ++edits) {
            Holding& h = linked[pick(linked.size())];
            if (h.costType == 2 || h.costType == 3) {
                const double hours = std::uniform_int_distribution<int>(1, 40000)(random) / 1000.0;
                if (h.assignment)
                    h.assignment.SetWork(Variant(hours * 60));
                else
                    h.task.SetWork(Variant(hours * 60));
            } else {
                const double q = quantity();
                if (h.assignment) {
                    h.assignment.SetUnits(Variant(q));
                    h.assignment.SetText(6, BudgetNumberText(q));
                } else {
                    h.task.SetText(6, BudgetNumberText(q));
                }
            }
        }
        if (chance(60)) {
            const msp::Task& ce = chance(50) ? a100 : a200;
            const std::string name = "New " + std::to_string(round);
            if (chance(50)) {
                NewLine(name, ce, "1", "MAT.CONCRETE", "m3").SetText(6, BudgetNumberText(quantity()));
            } else {
                NewLine(name, ce, "3", "EQP.CRANE", "h")
                    .SetWork(Variant(std::uniform_int_distribution<int>(1, 9000)(random) / 10.0 * 60));
            }
        }
        // The ERP: quantities, a removed line, one refused line now and then.
        std::map<std::string, bool> erpLinked = ErpLinked();
        std::vector<std::string> keys;
        for (const auto& [key, refused] : erpLinked) keys.push_back(key);
        auto where = [](const std::string& key) {
            const size_t a = key.find('_'), b = key.rfind('_');
            return " WHERE ce_id = '" + key.substr(0, a) + "' AND seq_no = " + key.substr(b + 1);
        };
        for (int edits = 0; edits < 2 && !keys.empty(); ++edits) {
            const std::string& key = keys[pick(keys.size())];
            erp.Open()->Run("UPDATE budget_line SET required_quantity = " + platform::automation::NumberText(quantity()) +
                            ", required_duration = required_duration + 1" + where(key));
        }
        if (!keys.empty() && chance(30)) erp.Open()->Run("DELETE FROM budget_line" + where(keys[pick(keys.size())]));
        erp.Open()->Run("UPDATE budget_line SET refuse_message = ''");
        if (!keys.empty() && chance(30))
            erp.Open()->Run("UPDATE budget_line SET refuse_message = 'Line is locked'" + where(keys[pick(keys.size())]));
    }
    void CheckHeldOnceAndAgreeing(bool planOwns) {
        std::map<std::string, int> held;
        for (const Holding& h : Linked()) ++held[h.key];
        const std::map<std::string, bool> erpLinked = ErpLinked();
        for (const auto& [key, count] : held) {
            EXPECT_EQ(count, 1) << key << " held twice in the plan";
            EXPECT_TRUE(erpLinked.count(key)) << key << " linked in the plan only";
        }
        for (const auto& [key, refused] : erpLinked) EXPECT_TRUE(held.count(key)) << key << " linked in the ERP only";
        for (const Holding& h : Linked()) {
            if (!erpLinked.count(h.key) || (planOwns && erpLinked.at(h.key))) continue;
            SCOPED_TRACE(h.key);
            if (h.costType == 1 || h.costType == 4 || h.costType == 5) {
                const double planQuantity = h.assignment ? h.assignment.Units() : BudgetNumberOfText(h.task.Text(6));
                EXPECT_NEAR(planQuantity, ErpNumber(h.key, "required_quantity"), 1e-9);
                if (h.assignment) {
                    EXPECT_NEAR(BudgetNumberOfText(h.assignment.Text(6)), h.assignment.Units(), 1e-9);
                }
            } else if (planOwns) {
                const double work = RoundBudgetWork(MinutesToWorkUnits(h.assignment ? h.assignment.Work() : h.task.Work()));
                EXPECT_NEAR(work, ErpNumber(h.key, h.costType == 3 ? "required_duration" : "required_quantity"), 1e-9);
            }
        }
    }
};

TEST_P(RandomEditsTest, EveryLineIsHeldOnceAndASecondRunChangesNothing) {
    const auto [ownership, seed] = GetParam();
    const bool planOwns = ownership == 2;
    std::mt19937 random(static_cast<uint32_t>(seed));
    SetProperty("KovaMatBudgLnAsSubTask", Variant(seed % 2 == 0));
    SetProperty("KovaEqpBudgLnAsSubTask", Variant(seed % 2 == 1));
    SetProperty("KovaLabBudgLnAsSubTask", Variant(true));
    SetProperty("KovaSubBudgLnAsSubTask", Variant(false));
    SetProperty("KovaSunBudgLnAsSubTask", Variant(true));
    SetProperty("DeleteKovaMSPTask", Variant(seed % 3 == 0));
    SetProperty("OwnershipChBSAndBudgQty", Variant(int32_t(ownership)));
    UpdateBudgetSchedule();
    Err().Clear();
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RandomEdits(random, round);
        RunWithNewLog();
        const std::string plan = PlanLines(Plan());
        const std::string lines = ErpLines();
        RunWithNewLog();
        EXPECT_EQ(PlanLines(Plan()), plan);
        EXPECT_EQ(ErpLines(), lines);
        CheckHeldOnceAndAgreeing(planOwns);
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(OwnershipAndSeed, RandomEditsTest,
                         testing::Combine(testing::Values(1, 2), testing::Values(11, 12, 13)));

} // namespace
} // namespace Grantry
