#include "integration/budget/KovaUpdateBudgetSchedule.h"

#include "dataobjects/KovaBudget.h"
#include "dataobjects/KovaCE.h"
#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/budget/BudgetScheduleRun.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/connect/ProjectDetails.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/Form.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using platform::automation::Err;

std::string GetParentChargeElement(const msp::Task& task) {
    if (!task.Text(1).empty() || task.OutlineLevel() == 1) return "";
    msp::Task parent = task.OutlineParent();
    // Each step goes one level up, so the walk ends at level 1 at the latest.
    while (parent) {
        const std::string code = parent.Text(1);
        if (!code.empty()) return code;
        if (parent.OutlineLevel() <= 1) return "";
        parent = parent.OutlineParent();
    }
    return "";
}

namespace {

// Minutes in one of the plan's default work units; 0 when no plan is active.
double MinutesPerWorkUnit() {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return 0;
    }
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (Err().Number != 0) return 0;
    switch (plan.DefaultWorkUnits()) {
    case msp::pjHour: return 60;
    case msp::pjDay: return plan.HoursPerDay() * 60;
    case msp::pjWeek: return plan.HoursPerWeek() * 60;
    default: return 1;
    }
}

} // namespace

double MinutesToWorkUnits(double minutes) {
    const double factor = MinutesPerWorkUnit();
    return factor == 0 ? minutes : minutes / factor;
}

double WorkUnitsToMinutes(double value) {
    const double factor = MinutesPerWorkUnit();
    return factor == 0 ? value : value * factor;
}

std::string StripCodePrefix(const std::string& text, bool cutAtBlank) {
    std::string result = text;
    if (cutAtBlank) {
        const size_t blank = result.find(' ');
        if (blank != std::string::npos) result.resize(blank);
    }
    const size_t dot = result.rfind('.');
    return dot == std::string::npos ? result : result.substr(dot + 1);
}

// ---- the run ---------------------------------------------------------------------------------------

BudgetScheduleRunState& BudgetScheduleState() {
    static BudgetScheduleRunState state;
    return state;
}

void ReadBudgetScheduleState() {
    BudgetScheduleRunState& s = BudgetScheduleState();
    int32_t company = 0, budgetCombination = 0, baseline = 0;
    std::string description, availabilityType;
    Date startDate, finishDate;
    bool transferChargeStructure = false;
    ReadConnectionProperties(company, s.project, s.plan, description, budgetCombination, startDate, finishDate,
                             s.scheduleBase, s.connectionNode, s.deleteBudgetLine, DeleteKovaMSPTask,
                             s.asSubTask[0], s.asSubTask[1], s.asSubTask[2], s.asSubTask[3], s.asSubTask[4],
                             s.ownership, availabilityType, transferChargeStructure, baseline);
}

Date ExchangedStart(const msp::Task& task) {
    return BudgetScheduleState().scheduleBase == 2 ? task.EarlyStart() : task.Start();
}
Date ExchangedFinish(const msp::Task& task) {
    return BudgetScheduleState().scheduleBase == 2 ? task.EarlyFinish() : task.Finish();
}

namespace {

void LogAndShow(const std::string& text) {
    PrintLog(text);
    ShowSyncProgress(text);
}

// Whether a stamp field holds exactly this date; "NA" (never sent) holds none.
bool StampHolds(const platform::automation::Variant& stamp, const Date& date) {
    const Date* held = stamp.Peek<Date>();
    return held && *held == date;
}

// A charge-element task that exists in the ERP, is not marked for deletion and is no budget-line
// subtask.
bool SendsSchedule(const msp::Task& task) {
    return !task.Text(1).empty() && task.Text(2).empty() && task.Flag(3) && task.Flag(2) && !task.Flag(4);
}

} // namespace

void SendScheduleInfoToKova() {
    namespace ko = KovaDataObjects;
    const bool withActualDates = platform::forms::DefaultInstance<frmSyncOptions>().chkSendActDt.Value() ==
                                 platform::forms::vbChecked;
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    const std::vector<msp::Task> tasks = MSProjectApplication->ActiveProject().Tasks().Snapshot();
    ko::Collection<ko::KovaCE> elements;
    for (const msp::Task& task : tasks) {
        if (!task || !SendsSchedule(task)) continue;
        auto ce = std::make_shared<ko::KovaCE>();
        ce->CECode = task.Text(1);
        ce->CEDescription = task.Name();
        ce->StartDate = ExchangedStart(task);
        ce->FinishDate = ExchangedFinish(task);
        bool changed = false;
        if (NetChangeOption) {
            const platform::automation::Variant sentStart = task.DateField(9), sentFinish = task.DateField(10);
            changed = !StampHolds(sentStart, ce->StartDate) || !StampHolds(sentFinish, ce->FinishDate);
        }
        if (withActualDates) {
            const platform::automation::Variant actualStart = task.ActualStart();
            const platform::automation::Variant actualFinish = task.ActualFinish();
            if (const Date* d = actualStart.Peek<Date>()) ce->ActualStart = *d;
            if (const Date* d = actualFinish.Peek<Date>()) ce->ActualFinish = *d;
            ce->PercentComplete = task.PercentComplete();
            if (NetChangeOption && task.Number(20) != ce->PercentComplete) changed = true;
        } else {
            // A fixed date, not a text the locale reads one way or another.
            ce->ActualStart = Date::FromParts(kNoActualStartYear, 1, 1);
        }
        ce->CEType = GetChargeElementTypeCode(ko::Trim(task.Text(10)));
        if (!NetChangeOption || changed) elements.push_back(ce);
    }
    Err().Clear();
    if (elements.empty()) return;
    if (!CurrentProjectData) return Err().Raise(platform::automation::errors::ObjectNotSet);
    if (!CurrentProjectData->updateScheduleInfo(BOIConnector, elements)) {
        LogStepFailure(FormatErrorForLog(Err().Description));
        Err().Clear();
        return;
    }
    Err().Clear();
    for (const msp::Task& t : tasks) {
        if (!t) continue;
        msp::Task task = t;
        task.SetDateField(9, platform::automation::Variant(ExchangedStart(task)));
        task.SetDateField(10, platform::automation::Variant(ExchangedFinish(task)));
        if (withActualDates) task.SetNumber(20, task.PercentComplete());
        // A row the planning program refuses a stamp (the summary of a deleted row) keeps its old one.
        Err().Clear();
    }
}

void UpdateProjectDefinitionInMsP() {
    FetchProjectInfo();
    Err().Clear();
    if (!CurrentProjectData) return;
    using platform::automation::Variant;
    WriteDocumentProperty("KovaProjectDescription", Variant(CurrentProjectData->Description));
    WriteDocumentProperty("KovaProjectStartDate", Variant(CurrentProjectData->StartDate));
    WriteDocumentProperty("KovaProjectFinishDate", Variant(CurrentProjectData->FinishDate));
    int32_t oldCombination = 0;
    Variant old;
    if (ReadDocumentProperty("KovaProjectBudgetCombination", old)) {
        oldCombination = platform::automation::CLng(old);
        if (Err().Number != 0) oldCombination = 0;
    }
    Err().Clear();
    const int32_t newCombination = CurrentProjectData->BudgetCombination;
    WriteDocumentProperty("KovaProjectBudgetCombination", Variant(newCombination));
    Err().Clear();
    if (newCombination == 2 && oldCombination != 2) PrintLog(kBudgetCombinationChangedLine);
}

std::string BudgetLineInLog(const msp::Task& task, const msp::Assignment& assignment) {
    std::string text = "Budget line of task \"" + task.Name() + "\"";
    if (assignment) text += ", resource \"" + assignment.ResourceName() + "\"";
    return text;
}

void LogBudgetLinesWithUnknownFields() {
    if (!MSProjectApplication) return;
    auto check = [](const msp::Task& task, const msp::Assignment& assignment, const std::string& linkState,
                    const std::string& costType) {
        const int32_t state = IntegerOfField(linkState);
        std::string field;
        if (state < 1 || state > 3)
            field = "Text8 holds \"" + linkState + "\", which is no link state (1, 2 or 3)";
        else if (state != 1 && (IntegerOfField(costType) < 1 || IntegerOfField(costType) > 5))
            field = "Text2 holds \"" + costType + "\", which is no cost type (1 to 5)";
        if (!field.empty()) PrintLog(BudgetLineInLog(task, assignment) + ": " + field + ". The line is left as it is.");
    };
    for (const msp::Task& task : MSProjectApplication->ActiveProject().Tasks().Snapshot()) {
        if (!task) continue;
        if (IsBudgetLine(task)) check(task, {}, task.Text(8), task.Text(2));
        for (const msp::Assignment& a : task.Assignments().Snapshot())
            if (IsBudgetLine(a)) check(task, a, a.Text(8), a.Text(2));
    }
    Err().Clear();
}

void UpdateBudgetSchedule() {
    Err().Clear();
    ReadBudgetScheduleState();
    BudgetScheduleRunState& s = BudgetScheduleState();

    LogAndShow("Creating new Budget Line Tasks in MsProject from Kova...");
    CreateBudgetLineTasksFromKova(s.asSubTask[0], s.asSubTask[1], s.asSubTask[2], s.asSubTask[3], s.asSubTask[4]);
    Err().Clear();
    LogBudgetLinesWithUnknownFields();

    s.budget = std::make_shared<KovaDataObjects::KovaBudget>();
    s.budget->Project = s.project;
    s.budget->Plan = s.plan;
    s.budget->ConnectedCE = s.connectionNode;

    if (s.ownership == 1 || s.ownership == 3 || DeleteKovaMSPTask) {
        LogAndShow("Updating Budget Line Tasks in MsProject...");
        UpdateBudgetLineTasksInMsP();
        Err().Clear();
    }

    ShowSyncProgress("Updating Schedule Information in Kova...");
    PrintLog("Updating Scheduling Information for Budget Lines and Charge Elements in Kova...");
    SendScheduleInfoToKova();
    Err().Clear();

    PrintLog("Creating / Updating Budget Lines in Kova...");
    ShowSyncProgress("Creating/Updating Budget Lines in Kova...");
    CreateUpdateBudgetLinesInKova();
    Err().Clear();

    LogAndShow("Updating the Kova Project definition in MsProject...");
    UpdateProjectDefinitionInMsP();
    Err().Clear();

    // A run in which a step failed does not say it completed: the command ends it saying so.
    if (!StepFailed()) PrintLog(kSynchronizationCompletedLine + s.project);
    s.budget.reset();
    // The connect run, which may follow in the same process, never loads the option.
    DeleteKovaMSPTask = false;
}

void InstallBudgetScheduleRun() {
    BudgetScheduleRun() = [] { UpdateBudgetSchedule(); };
}

} // namespace Grantry
