#pragma once
// Helpers that the budget-line code shares: the charge element above a budget-line subtask, work
// between the planning program's minutes and the plan's default work unit, and the bare ERP code of a
// resource or cost-object code of the plan. They read the planning program through the running
// command's MSProjectApplication and keep no state.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/msproject/Assignment.h"
#include "platform/msproject/Task.h"

namespace KovaDataObjects {
class KovaBudget;
}

namespace Grantry {

// The code (Text1) of the nearest ancestor of `task` that carries one; "" for a charge-element task
// itself, a task at outline level 1, or one with no coded ancestor below level 1. The task is not
// changed.
std::string GetParentChargeElement(const platform::msproject::Task& task);

// Work between minutes and the active plan's DefaultWorkUnits (minutes, hours, days by HoursPerDay,
// weeks by HoursPerWeek, both read at each call), in doubles without rounding. A unit the planning
// program does not name here is taken as minutes, the way the planning program reads work text in
// such a unit, so that both directions still give back what they were given. Without an active plan
// the value comes back unchanged and the failure stays in Err().
double MinutesToWorkUnits(double minutes);
double WorkUnitsToMinutes(double value);

// The text after its last "." (all of it when there is none). With `cutAtBlank` the text is first cut
// before its first blank ("EMP.D1.E100 Anna Berg" gives E100); a text without a blank is kept whole.
std::string StripCodePrefix(const std::string& text, bool cutAtBlank);

// ---- the budget and schedule run ----------------------------------------------------------------
//
// After the structure step the synchronisation dialog runs UpdateBudgetSchedule: new ERP budget lines
// into the plan, the plan's linked lines refreshed from the ERP (and those the ERP no longer has
// deleted or detached), the charge elements' schedule to the ERP, the plan's changed and new budget
// lines to the ERP, and the project's definition back into the plan. Each step is shown in the
// dialog's progress label and written to the command's log; a failing step is logged and the run goes
// on with the next.

// What the run reads from the plan at its start and what its steps share. DeleteKovaMSPTask (the
// plan's option of the same name) is the run's delete-task flag; the run puts it back to off at its end,
// as the connect run expects it.
struct BudgetScheduleRunState {
    std::string project;        // KovaProject
    std::string plan;           // KovaProjectPlan
    std::string connectionNode; // KovaConnectionNode
    int32_t scheduleBase = 0;   // 2: early dates are exchanged, else the scheduled dates
    bool deleteBudgetLine = false; // DeleteKovaBudgetLine, for the ERP's update
    bool asSubTask[5] = {};        // material .. sundry: new ERP lines become subtasks
    int32_t ownership = 0;         // 1, 3: the ERP owns the budget quantities; 2, 4: the plan does
    std::shared_ptr<KovaDataObjects::KovaBudget> budget; // the plan's ERP budget, for the run's length
};
BudgetScheduleRunState& BudgetScheduleState();
// Fills the state from the plan's properties (budget not touched).
void ReadBudgetScheduleState();
// The dates a task exchanges with the ERP: its early dates with schedule base 2, else its scheduled
// ones.
platform::automation::Date ExchangedStart(const platform::msproject::Task& task);
platform::automation::Date ExchangedFinish(const platform::msproject::Task& task);

// The literal "no actual start" date sent for every charge element when actual dates are not sent.
inline constexpr int kNoActualStartYear = 2037;

inline constexpr char kBudgetCombinationChangedLine[] =
    "   Project Budget Combination has been changed to Element/Activity for the Kova Project. Creation of "
    "Kova Project Budget lines, for the Budget line tasks newly added in MsProject might have failed.";
inline constexpr char kSynchronizationCompletedLine[] = "Synchronization completed with Kova Project ";
inline constexpr char kNewLinesNotCreatedLine[] =
    "   The budget lines Kova holds for this plan could not be read: the new budget lines are not created "
    "in Kova on this run, the next run creates them";

// The run, started by the synchronisation dialog.
void UpdateBudgetSchedule();
// The schedule of the plan's charge-element tasks that exist in the ERP (with net change only those
// that moved since the last send) to the ERP; on success every task is stamped with what was sent
// (Date9, Date10 and, with actual dates, Number20).
void SendScheduleInfoToKova();
// Reloads the project's header from the ERP into the plan's properties; a change of the budget
// combination to element/activity is logged.
void UpdateProjectDefinitionInMsP();

// Refresh of the plan's linked budget lines from the ERP (quantities written only when the ERP owns
// them), then the linked lines the ERP does not confirm are deleted or detached. A line whose refresh
// failed for any other reason than the ERP not having it is kept as it is: a failed call says nothing
// about what the ERP removed.
void UpdateBudgetLineTasksInMsP();
// "Budget line of task \"NAME\"" and, for an assignment line, its resource: how the log names a line.
std::string BudgetLineInLog(const platform::msproject::Task& task, const platform::msproject::Assignment& assignment);
// Logs each budget line the run leaves as it is because a field edited by hand holds no link state (Text8)
// or no cost type (Text2) the run knows, naming the task and the field.
void LogBudgetLinesWithUnknownFields();
void RefreshBudgetLineTasksFromKova();
void RemoveOrphanBudgetLineTasks();
// The lines the ERP confirmed in this refresh, by UniqueID.
void InitUniqueIdLists();
void RememberTaskUniqueId(const platform::msproject::Task& task);
void RememberAssignmentUniqueId(const platform::msproject::Assignment& assignment);
bool IsTaskIdListed(int32_t uniqueId);
bool IsAssignmentIdListed(int32_t uniqueId);
// Writes what the ERP holds for one line into the subtask (isTask) or the assignment.
void ApplyBudgetLineQuantities(platform::msproject::Task& task, platform::msproject::Assignment& assignment,
                               int32_t costType, bool isTask, double budgetQuantity, double budgetCost,
                               const std::string& budgetUnit, double requiredQuantity);

// The plan's linked budget lines to the ERP in one update (lines the ERP answers as gone are deleted
// or detached), then every line made in the plan (link state "2") created in the ERP, its new number
// written back.
void CreateUpdateBudgetLinesInKova();

// Makes the synchronisation dialog run UpdateBudgetSchedule. Called once at the program's start.
void InstallBudgetScheduleRun();

} // namespace Grantry
