// The refresh of the plan's linked budget lines from the ERP and the removal of those the ERP does not
// confirm (the budget and schedule run's fourth step).
#include <unordered_set>

#include "dataobjects/KovaBudget.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

// The UniqueIDs confirmed in one refresh. A budget of tens of thousands of lines asks for each of them
// once, so the membership test is a hash lookup, not a walk.
std::unordered_set<int32_t> TaskIds;
std::unordered_set<int32_t> AssignmentIds;

// The library's answer for a line the ERP does not hold (linked to this plan): its own error, with
// no failure of the middleware underneath. Every other failure leaves open whether the line exists.
bool ErpHasNoSuchLine() {
    return Err().Number == 100 && Err().Description.find("not found") != std::string::npos;
}

// One refresh call for a line; true when the line is to be remembered as confirmed: the ERP answered
// it, or the call failed for another reason than the ERP not holding it (then the line keeps what it
// has and the update step tells what the ERP makes of it).
bool RefreshLine(const std::string& chargeElement, int32_t costType, int32_t lineNumber, double& budgetQuantity,
                 double& budgetCost, std::string& budgetUnit, double& requiredQuantity, bool& answered) {
    BudgetScheduleRunState& s = BudgetScheduleState();
    answered = false;
    if (!s.budget) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
    } else {
        s.budget->getUpdatedBudgetLineFromKova(BOIConnector, chargeElement, costType, lineNumber, budgetQuantity,
                                               budgetCost, budgetUnit, requiredQuantity);
    }
    if (Err().Number == 0) {
        answered = true;
        return true;
    }
    const bool gone = ErpHasNoSuchLine();
    if (gone)
        PrintLog(FormatErrorForLog(Err().Description));
    else
        LogStepFailure(FormatErrorForLog(Err().Description));
    Err().Clear();
    return !gone;
}

bool ErpOwnsQuantities() {
    const int32_t ownership = BudgetScheduleState().ownership;
    return ownership == 1 || ownership == 3;
}

} // namespace

void InitUniqueIdLists() {
    TaskIds.clear();
    AssignmentIds.clear();
}

void RememberTaskUniqueId(const msp::Task& task) {
    TaskIds.insert(task.UniqueID());
}

void RememberAssignmentUniqueId(const msp::Assignment& assignment) {
    AssignmentIds.insert(assignment.UniqueID());
}

bool IsTaskIdListed(int32_t uniqueId) {
    return TaskIds.count(uniqueId) != 0;
}

bool IsAssignmentIdListed(int32_t uniqueId) {
    return AssignmentIds.count(uniqueId) != 0;
}

void ApplyBudgetLineQuantities(msp::Task& task, msp::Assignment& assignment, int32_t costType, bool isTask,
                               double budgetQuantity, double budgetCost, const std::string& budgetUnit,
                               double requiredQuantity) {
    // Written as the lines are created, so that a refresh of an unchanged line changes nothing.
    const std::string required = BudgetNumberText(requiredQuantity);
    switch (costType) {
    case 2:
    case 3:
        if (isTask) {
            if (budgetQuantity != 0) task.SetWork(Variant(BudgetNumberText(budgetQuantity)));
            task.SetText(6, required);
            if (!budgetUnit.empty()) task.SetText(7, budgetUnit);
            task.SetFixedCost(budgetCost);
        } else {
            if (budgetQuantity != 0) assignment.SetWork(Variant(BudgetNumberText(budgetQuantity)));
            assignment.SetText(6, required);
            if (!budgetUnit.empty()) assignment.SetText(7, budgetUnit);
        }
        break;
    case 1:
    case 4:
    case 5:
        if (isTask) {
            task.SetText(6, required);
            task.SetFixedCost(budgetCost);
            task.SetText(7, budgetUnit);
        } else {
            assignment.SetText(6, required);
            assignment.SetUnits(Variant(BudgetNumberText(requiredQuantity)));
            assignment.SetText(7, budgetUnit);
        }
        break;
    default:
        break;
    }
}

void RefreshBudgetLineTasksFromKova() {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    DecimalSeparatorScope separator;
    msp::Assignment noAssignment;
    msp::Task noTask;
    for (msp::Task task : MSProjectApplication->ActiveProject().Tasks().Snapshot()) {
        if (!task) continue;
        const std::string chargeElement = GetParentChargeElement(task);
        if (!chargeElement.empty()) {
            if (IntegerOfField(task.Text(8)) != 3) continue;
            // A number out of range names no line: the subtask is left as it is, and kept.
            if (!BudgetLineFieldOutOfRange(task.Text(2), task.Text(4)).empty()) {
                RememberTaskUniqueId(task);
                continue;
            }
            const int32_t lineNumber = IntegerOfField(task.Text(4));
            if (lineNumber == 0) continue;
            const int32_t costType = IntegerOfField(task.Text(2));
            // A figure the ERP does not give for this cost type leaves the subtask's own, never the
            // previous line's.
            double budgetQuantity = 0, budgetCost = task.FixedCost(), requiredQuantity = 0;
            std::string budgetUnit;
            Err().Clear();
            bool answered = false;
            if (RefreshLine(chargeElement, costType, lineNumber, budgetQuantity, budgetCost, budgetUnit,
                            requiredQuantity, answered)) {
                if (answered && ErpOwnsQuantities())
                    ApplyBudgetLineQuantities(task, noAssignment, costType, true, budgetQuantity, budgetCost,
                                              budgetUnit, requiredQuantity);
                RememberTaskUniqueId(task);
            }
            Err().Clear();
            continue;
        }
        const std::string ownCode = task.Text(1);
        // Assignments of a task without code name no charge element the ERP could look a line up in
        // (a task the structure step detached keeps them); the orphan pass does not look at them either.
        if (ownCode.empty()) continue;
        for (msp::Assignment assignment : task.Assignments().Snapshot()) {
            if (!assignment || IntegerOfField(assignment.Text(8)) != 3) continue;
            if (!BudgetLineFieldOutOfRange(assignment.Text(2), assignment.Text(4)).empty()) {
                RememberAssignmentUniqueId(assignment);
                continue;
            }
            const int32_t lineNumber = IntegerOfField(assignment.Text(4));
            if (lineNumber == 0) continue;
            const int32_t costType = IntegerOfField(assignment.Text(2));
            double budgetQuantity = 0, budgetCost = 0, requiredQuantity = 0;
            std::string budgetUnit;
            Err().Clear();
            bool answered = false;
            if (RefreshLine(ownCode, costType, lineNumber, budgetQuantity, budgetCost, budgetUnit, requiredQuantity,
                            answered)) {
                if (answered && ErpOwnsQuantities())
                    ApplyBudgetLineQuantities(noTask, assignment, costType, false, budgetQuantity, budgetCost,
                                              budgetUnit, requiredQuantity);
                RememberAssignmentUniqueId(assignment);
            }
            Err().Clear();
        }
    }
    Err().Clear();
}

namespace {

// The line of `task` (and `assignment`) is detached or deleted: says so, naming its number.
void LogOrphan(const msp::Task& task, const msp::Assignment& assignment) {
    PrintLog(BudgetLineInLog(task, assignment) + ": Text4 \"" + (assignment ? assignment.Text(4) : task.Text(4)) +
             "\" names no line Kova holds for it. The line is " + (DeleteKovaMSPTask ? "deleted." : "detached."));
}

void RemoveOrphan(msp::Task& task) {
    LogOrphan(task, {});
    if (DeleteKovaMSPTask) return task.Delete();
    task.SetText(8, kLinkStateNoLink);
    for (int n : {20, 1, 2, 3, 4, 5, 6, 7}) task.SetText(n, "");
    task.SetFlag(1, false);
    task.SetWork(Variant(0.0));
}

void RemoveOrphan(const msp::Task& task, msp::Assignment& assignment) {
    LogOrphan(task, assignment);
    if (DeleteKovaMSPTask) return assignment.Delete();
    assignment.SetText(8, kLinkStateNoLink);
    for (int n : {20, 1, 2, 3, 4, 5, 6, 7, 11}) assignment.SetText(n, "");
    assignment.SetFlag(1, false);
    assignment.SetWork(Variant(0.0));
}

} // namespace

void RemoveOrphanBudgetLineTasks() {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    for (msp::Task task : MSProjectApplication->ActiveProject().Tasks().Snapshot()) {
        Err().Clear();
        if (!task) continue;
        const std::string linkState = task.Text(8);
        // A row deleted with an orphan above it is gone.
        if (Err().Number != 0) continue;
        if (!linkState.empty()) {
            if (!IsTaskIdListed(task.UniqueID()) && IntegerOfField(linkState) == 3) RemoveOrphan(task);
        } else if (!task.Text(1).empty()) {
            for (msp::Assignment assignment : task.Assignments().Snapshot()) {
                if (!assignment) continue;
                if (!IsAssignmentIdListed(assignment.UniqueID()) && IntegerOfField(assignment.Text(8)) == 3)
                    RemoveOrphan(task, assignment);
                Err().Clear();
            }
        }
    }
    Err().Clear();
}

void UpdateBudgetLineTasksInMsP() {
    InitUniqueIdLists();
    RefreshBudgetLineTasksFromKova();
    RemoveOrphanBudgetLineTasks();
}

} // namespace Grantry
