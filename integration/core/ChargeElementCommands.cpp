#include "integration/core/ChargeElementCommands.h"

#include <memory>

#include "dataobjects/KovaProjectData.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/TaskRows.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using automation::Variant;
using namespace platform::forms;

namespace {

constexpr char kCRLF[] = "\r\n";
// Outline steps are bounded: a step the planning program refuses must not loop for ever.
constexpr int kMaxOutlineSteps = 100;
constexpr char kMilestoneType[] = "Milestone";

const std::string kMilestoneParentMessage = "A milestone cannot be used as a parent charge element.";
const std::string kInsertQuestion = std::string("Insert a new Charge Element?") + kCRLF + kCRLF +
                                    "This action will also expand all the Outline levels in the Plan";
const std::string kOwnershipQuestion =
    std::string("Ownership of ChBS and Quantity is presently with Kova or is being transferred to Kova at "
                "next synchronization.") +
    kCRLF + kCRLF +
    "This will cause any modifications of ChBS and Quantity in MsP to be lost when synchronization "
    "occurs. Proceed anyway?";
const std::string kTopQuestion = "Insert a Top Charge Element?";
const std::string kSelectParentHint =
    "Please Select an existing Charge Element Task as parent for the new Charge Element";
const std::string kNoParentMessage = std::string("An invalid Task has been selected") + kCRLF + kCRLF +
                                     kSelectParentHint;
const std::string kBudgetLineParentMessage =
    std::string("A budget line/invalid task Task has been selected") + kCRLF + kCRLF + kSelectParentHint;
const std::string kMarkedParentMessage = std::string("The selected Charge Element is marked for deletion.") +
                                        kCRLF + kCRLF +
                                        "Please restore it before inserting a Charge Element below it";

const std::string kModifyNoPlanMessage = std::string("No active project found") + kCRLF + kCRLF +
                                         "Please open a new/existing project before " + " selecting this button";
const std::string kNothingEnteredMessage = std::string("No Charge Element has been entered yet") + kCRLF +
                                           kCRLF + "Please enter a Charge Element first" +
                                           "using the Insert Button";
const std::string kModifyNoTaskMessage = std::string("An invalid Task has been selected") + kCRLF + kCRLF +
                                         "Please select a Charge Element to View / Modify ";
const std::string kNotChargeElementMessage = "An invalid Charge Element has been selected";
const std::string kModifyBudgetLineMessage = std::string("A budget line/invalid task Task has been selected") +
                                             kCRLF + kCRLF + "Please Select a Charge Element to View / Modify";

bool StructureEmpty() {
    const auto& query = ChargeElementEditing().isChargeStructureEmpty;
    bool empty = query ? query() : true;
    Err().Clear();
    return empty;
}

bool StructurePresent() {
    const auto& query = ChargeElementEditing().isChargeStructurePresent;
    bool present = query ? query() : false;
    Err().Clear();
    return present;
}

void ShowDialog(const std::string& tag) {
    if (ChargeElementEditing().showDialog) ChargeElementEditing().showDialog(tag);
    Err().Clear();
}

// The task of the active cell, Nothing when no task is selected.
msp::Task ActiveTask(msp::Application& app) {
    msp::Task task = app.ActiveCell().Task();
    Err().Clear();
    return task;
}

// The Integration view and filter, with the task's row selected again in it.
void ShowInKovaView(msp::Application& app, const msp::Task& task) {
    app.ViewApply(kKovaGanttView, true);
    Err().Clear();
    app.FilterApply(kAllKovaProjectTasksFilter);
    Err().Clear();
    SelectTaskRow(task);
}

// The closing step of the charge-element commands: the filter again, and the selection back on the
// row of the task that now holds the Id remembered at the start.
void ReturnToRow(msp::Application& app, int32_t returnId) {
    app.FilterApply(kAllKovaProjectTasksFilter);
    Err().Clear();
    if (returnId > 0) {
        msp::Task task = app.ActiveProject().Tasks().Item(returnId);
        Err().Clear();
        if (task) return SelectTaskRow(task);
    }
    // No such task: a move from the filter's first row, as far as the planning program allows.
    app.SelectRow(returnId - 1);
    Err().Clear();
}

// The last task of the subtree below `parent` (the parent itself when it has no children).
msp::Task LastDescendant(const msp::Task& parent) {
    msp::Task last = parent;
    for (msp::List<msp::Task> children = last.OutlineChildren(); children.Count() > 0;
         children = last.OutlineChildren())
        last = children.Item(children.Count());
    Err().Clear();
    return last;
}

} // namespace

ChargeElementEditingHooks& ChargeElementEditing() {
    static ChargeElementEditingHooks hooks;
    return hooks;
}

void SelectTaskRow(const msp::Task& task) {
    msp::Application* app = MSProjectApplication.get();
    if (!app || !task) return Err().Clear();
    SelectTaskRow(*app, task);
}

void KovaMSP::InsertChargeElement() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    msp::Application& app = *MSProjectApplication;
    Err().Clear();

    // Reading the Id of no task is what the original fails on; that failure later skips the
    // ownership question.
    const msp::Task selected = ActiveTask(app);
    const int32_t returnId = selected ? selected.Id() : 0;
    bool earlierFailure = !selected;
    Err().Clear();

    if (!RequireOpenPlan()) return ReleaseCommandObjects();

    if (selected && selected.Text10() == kMilestoneType) {
        MsgBox(kMilestoneParentMessage, vbOKOnly + vbExclamation, kMessageTitle);
        app.FilterApply(kAllKovaProjectTasksFilter);
        Err().Clear();
        return ReleaseCommandObjects();
    }
    Err().Clear();

    if (MsgBox(kInsertQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbNo) return ReleaseCommandObjects();

    app.OutlineShowAllTasks();
    Err().Clear();
    if (selected) ShowInKovaView(app, selected);

    LoadProjectDataFromProperties();
    if (Err().Number != 0) earlierFailure = true;
    Err().Clear();

    if (!earlierFailure) {
        Variant value;
        int32_t ownership = 0;
        if (ReadDocumentProperty("OwnershipChBSAndBudgQty", value)) {
            ownership = automation::CLng(value);
            if (Err().Number != 0) ownership = 0;
        }
        Err().Clear();
        if ((ownership == 1 || ownership == 3) &&
            MsgBox(kOwnershipQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbNo)
            return ReleaseCommandObjects();
    }
    Err().Clear();

    if (StructureEmpty()) {
        if (MsgBox(kTopQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbYes) {
            msp::Task top = app.ActiveProject().Tasks().Add(kTopChargeElementName);
            Err().Clear();
            SelectTaskRow(top);
            ShowDialog(kNewChargeElementTag);
        }
    } else {
        msp::Task parent = ActiveTask(app);
        if (!parent) {
            MsgBox(kNoParentMessage, vbOKOnly + vbExclamation, kMessageTitle);
        } else if (parent.Text1().empty() && parent.Text9().empty()) {
            MsgBox(kBudgetLineParentMessage, vbOKOnly + vbExclamation, kMessageTitle);
        } else if (parent.Flag4()) {
            // The next synchronisation removes the marked branch from the plan without sending it:
            // a child entered below it would be lost without the ERP ever seeing it.
            MsgBox(kMarkedParentMessage, vbOKOnly + vbExclamation, kMessageTitle);
        } else {
            parent.OutlineShowAllTasks();
            Err().Clear();
            // A 32-bit position: plans of more than 32,767 rows take children too.
            const int32_t position = LastDescendant(parent).Id() + 1;
            Err().Clear();
            msp::Task child = app.ActiveProject().Tasks().Add(kNewChargeElementName, position);
            Err().Clear();
            SelectTaskRow(child);
            const int32_t wanted = parent.OutlineLevel() + 1;
            for (int step = 0; child && step < kMaxOutlineSteps && child.OutlineLevel() != wanted; ++step) {
                const int32_t level = child.OutlineLevel();
                if (level <= parent.OutlineLevel())
                    child.OutlineIndent();
                else
                    child.OutlineOutdent();
                Err().Clear();
                if (child.OutlineLevel() == level) break;
            }
            Err().Clear();
            ShowDialog(kNewChargeElementTag);
        }
    }
    Err().Clear();

    ReturnToRow(app, returnId);
    ReleaseCommandObjects();
}

void KovaMSP::ModifyChargeElementDetails() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    msp::Application& app = *MSProjectApplication;
    Err().Clear();

    int32_t open = app.Projects().Count();
    if (Err().Number != 0) open = 0;
    Err().Clear();
    if (open == 0) {
        MsgBox(kModifyNoPlanMessage, vbOKOnly + vbExclamation, kMessageTitle);
        return ReleaseCommandObjects();
    }

    const msp::Task selected = ActiveTask(app);
    const int32_t returnId = selected ? selected.Id() : 0;
    Err().Clear();
    if (selected) ShowInKovaView(app, selected);

    msp::Task task = ActiveTask(app);
    if (!StructurePresent()) {
        MsgBox(kNothingEnteredMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (!task) {
        MsgBox(kModifyNoTaskMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (!task.Flag3()) {
        MsgBox(kNotChargeElementMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (task.Text1().empty() && task.Text9().empty()) {
        MsgBox(kModifyBudgetLineMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else {
        Err().Clear();
        ShowDialog(kModifyChargeElementTag);
    }
    Err().Clear();

    ReturnToRow(app, returnId);
    ReleaseCommandObjects();
}

} // namespace Grantry
