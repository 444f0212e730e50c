// The delete command of the toolbar: works on the plan only. A charge element the ERP does not know
// goes at once with its subtasks; one the ERP knows is marked (Flag4, italic in colour 1) for the next
// synchronisation to delete it there; a marked one can be restored.
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
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
// Ends a walk that finds more than a plan can hold, whatever the planning program's search does.
constexpr int kMaxSearchSteps = 1000000;

const std::string kNoTaskMessage = "An invalid Task has been selected";
const std::string kNotChargeElementMessage = "The selected task is not a valid KovaCE";
const std::string kConnectedTopMessage = std::string("The Selected Task is the Connected ChargeElement in Kova.") +
                                         kCRLF + " Deletion of the Summary Task is not possible.";
const std::string kRestoreQuestion = "Do you want to restore the charge element and its children, if any?";
const std::string kNotInKova = std::string(" is not present") + " in Kova. It will be removed immediately," +
                               "along with its children, if any.";
const std::string kRemoveQuestion =
    std::string("This charge element is not present") + " in Kova. It will be removed immediately," +
    "along with its children, if any." + kCRLF + kCRLF + "Do you want to proceed with deletion?";
const std::string kMarkQuestion = std::string("This charge element is present ") +
                                  "in Kova. It will be removed, at the next" +
                                  " synchronization, along with its children," + "if any." + kCRLF + kCRLF +
                                  "Do you want to mark it for deletion?";

// The Id of the task of the active cell; 0 when there is none.
int32_t ActiveTaskId(msp::Application& app) {
    msp::Task task = app.ActiveCell().Task();
    int32_t id = task ? task.Id() : 0;
    if (Err().Number != 0) id = 0;
    Err().Clear();
    return id;
}

void FormatSelection(msp::Application& app, bool italic, const Variant& color) {
    msp::FontArgs font;
    font.Italic = italic;
    font.Color = color;
    app.Font(font);
    Err().Clear();
}

bool IsConnected() {
    Variant project;
    if (!ReadDocumentProperty("KovaProject", project)) return false;
    std::string code = automation::CStr(project);
    bool connected = Err().Number == 0 && !code.empty();
    Err().Clear();
    return connected;
}

void DeleteSelection(msp::Application& app) {
    app.EditDelete();
    Err().Clear();
}

void ShowAlerts(msp::Application& app, bool show) {
    app.Alerts(show);
    Err().Clear();
}

} // namespace

void KovaMSP::DeleteChargeElement() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    msp::Application& app = *MSProjectApplication;
    Err().Clear();
    const int32_t returnId = ActiveTaskId(app);
    const msp::Task selected = app.ActiveCell().Task();
    Err().Clear();

    const bool connected = IsConnected();
    const bool milestoneAsSubtask = GetMilestoneAsSubtask();
    Err().Clear();

    if (!RequireOpenPlan()) return ReleaseCommandObjects();

    if (selected) {
        app.ViewApply(kKovaGanttView, true);
        Err().Clear();
        app.FilterApply(kAllKovaProjectTasksFilter);
        Err().Clear();
        app.OutlineShowAllTasks();
        Err().Clear();
        SelectTaskRow(selected);
    }

    msp::Task task = app.ActiveCell().Task();
    Err().Clear();
    if (!task) {
        MsgBox(kNoTaskMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (!task.Flag3()) {
        MsgBox(kNotChargeElementMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (task.Flag1() && connected) {
        MsgBox(kConnectedTopMessage, vbOKOnly + vbCritical, kMessageTitle);
        return ReleaseCommandObjects();
    } else if (task.Flag4()) {
        if (MsgBox(kRestoreQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbYes) {
            task.SetFlag4(false);
            SelectTaskRow(task);
            FormatSelection(app, false, Variant(int32_t(0)));
            MarkChildrenForDeletion(task, false);
            SelectTaskRow(task);
            if (!milestoneAsSubtask) MarkMilestonesForDeletion(task, false);
        }
    } else if (!task.Flag2()) {
        if (MsgBox(kRemoveQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbYes) {
            ShowAlerts(app, false);
            if (!milestoneAsSubtask) RemoveMilestones(task);
            SelectTaskRow(task);
            DeleteSelection(app);
            ShowAlerts(app, true);
        }
    } else if (MsgBox(kMarkQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbYes) {
        task.SetFlag4(true);
        SelectTaskRow(task);
        FormatSelection(app, true, Variant(int32_t(1)));
        MarkChildrenForDeletion(task, true);
        SelectTaskRow(task);
        if (!milestoneAsSubtask) MarkMilestonesForDeletion(task, true);
    }
    Err().Clear();

    app.FilterApply(kAllKovaProjectTasksFilter);
    Err().Clear();
    // The row of the task that now holds the Id remembered at the start.
    msp::Task back = returnId > 0 ? app.ActiveProject().Tasks().Item(returnId) : msp::Task();
    Err().Clear();
    if (back)
        SelectTaskRow(back);
    else
        app.SelectRow(returnId - 1);
    Err().Clear();
    ReleaseCommandObjects();
}

void KovaMSP::MarkChildrenForDeletion(msp::Task& task, bool mark) {
    msp::Application& app = *MSProjectApplication;
    // The children as they were at the start: removing one must not let the next one slip by.
    const msp::List<msp::Task> children = task.OutlineChildren();
    Err().Clear();
    for (msp::Task child : children.Snapshot()) {
        if (!child) continue;
        child.Id(); // a child already removed with an earlier one's milestones is gone
        if (Err().Number != 0) {
            Err().Clear();
            continue;
        }
        child.SetFlag4(mark);
        SelectTaskRow(child);
        // Only charge-element subtasks are elements of their own. A budget-line subtask belongs to
        // its element: it is marked and restored with it and goes only when the element goes.
        // A restore keeps what the ERP does not know yet: it was never marked, only the marked
        // parent is given back.
        if (!child.Flag3()) {
            FormatSelection(app, mark, Variant(std::string(mark ? "1" : "0")));
            Err().Clear();
            continue;
        }
        if (child.Flag2() || !mark) {
            FormatSelection(app, mark, Variant(std::string(mark ? "1" : "0")));
            if (child.OutlineChildren().Count() > 0) MarkChildrenForDeletion(child, mark);
            Err().Clear();
            continue;
        }
        Err().Clear();
        MsgBox("Charge element " + child.Text1() + kNotInKova + kCRLF + kCRLF + "Proceeding with deletion!",
               vbOKOnly + vbExclamation, kMessageTitle);
        ShowAlerts(app, false);
        RemoveMilestones(child);
        SelectTaskRow(child);
        DeleteSelection(app);
        ShowAlerts(app, true);
    }
    Err().Clear();
}

void KovaMSP::MarkMilestonesForDeletion(msp::Task& task, bool mark) {
    msp::Application& app = *MSProjectApplication;
    const std::string code = task.Text1();
    Err().Clear();
    // An element still without a code (derived from a standard one) names no milestone: an empty
    // search would find every milestone without a parent.
    if (code.find_first_not_of(' ') == std::string::npos) return;
    SelectTaskRow(task);
    int32_t previous = ActiveTaskId(app);
    app.Find("Text15", GetFilterTestText(1), Variant(code), true, true);
    Err().Clear();
    int32_t current = ActiveTaskId(app);
    // The search wraps to the top at the end; a found row above the last one ends the walk.
    for (int step = 0; previous < current && step < kMaxSearchSteps; ++step) {
        msp::Task found = app.ActiveCell().Task();
        Err().Clear();
        if (found && found.Milestone()) {
            // The search left the milestone's row selected.
            found.SetFlag4(mark);
            FormatSelection(app, false, Variant(std::string(mark ? "1" : "0")));
        }
        Err().Clear();
        app.FindNext();
        Err().Clear();
        previous = current;
        current = ActiveTaskId(app);
    }
    SelectTaskRow(task);
}

void KovaMSP::RemoveMilestones(msp::Task& task) {
    msp::Application& app = *MSProjectApplication;
    const std::string code = task.Text1();
    Err().Clear();
    // As in the marking: no milestone names an element without a code.
    if (code.find_first_not_of(' ') == std::string::npos) return;
    SelectTaskRow(task);
    int32_t previous = ActiveTaskId(app);
    app.Find("Text15", GetFilterTestText(1), Variant(code), true, true);
    Err().Clear();
    int32_t current = ActiveTaskId(app);
    for (int step = 0; previous < current && step < kMaxSearchSteps; ++step) {
        msp::Task found = app.ActiveCell().Task();
        Err().Clear();
        if (found && found.Milestone()) {
            DeleteSelection(app);
            // The next task moved up into the deleted row: the search goes on from the row above it,
            // so that a milestone right after the deleted one is not passed over.
            app.SelectRow(-1);
            Err().Clear();
            current = ActiveTaskId(app);
        }
        app.FindNext();
        Err().Clear();
        previous = current;
        current = ActiveTaskId(app);
    }
    SelectTaskRow(task);
}

} // namespace Grantry
