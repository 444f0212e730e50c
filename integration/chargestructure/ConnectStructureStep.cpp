#include "integration/chargestructure/ConnectStructureStep.h"
#include "integration/core/CommandFrame.h"

#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using namespace platform::forms;
using platform::automation::Err;
using platform::automation::ErrObject;

namespace {

// The progress window's label, repainted, and the same text in the log, as the rest of the run does.
void Progress(const std::string& text) {
    ErrObject before = Err();
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
    Err() = before;
    PrintLog(text);
}

void SetHonorConstraints(msp::Application& app, bool value) {
    app.ActiveProject().SetHonorConstraints(value);
}

void BringKovaStructure(const ConnectStructureChoices& choices) {
    TransferChargeStructureToProject();
    Progress("Transferring Budget Line Tasks...");
    PrintLog("Transferring Budget Line Tasks from Kova...");
    // The budget-line tasks of the ERP come in here, by the subtask switch of each cost type.
    if (ConnectStructureHooks().createBudgetLineTasksFromKova)
        ConnectStructureHooks().createBudgetLineTasksFromKova(choices.subTasks);
}

// Deletes every task (and blank row) of the plan; false, the failure logged and left in Err(), when
// one cannot be deleted.
bool RemoveAllTasks(msp::Application& app) {
    Err().Clear();
    msp::Tasks tasks = app.ActiveProject().Tasks();
    while (tasks.Count() > 0) {
        msp::Task task = tasks.Item(1);
        if (task) {
            task.Delete();
        } else {
            app.SelectRow(1, false);
            app.EditDelete();
        }
        if (Err().Number != 0) {
            PrintLog("Error deleting tasks. Error " + std::to_string(Err().Number) + " : " +
                     Err().Description);
            return false;
        }
    }
    return true;
}

} // namespace

ConnectStructureSteps& ConnectStructureHooks() {
    static ConnectStructureSteps steps;
    return steps;
}

void BuildChargeStructureOnConnect(const ConnectStructureChoices& choices) {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;
    app.SetShowAssignmentUnitsAs(1);

    if (choices.ownershipText == "Kova") {
        if (app.ActiveProject().Tasks().Count() != 0) {
            if (MsgBox(kTasksPresentQuestion, vbOKCancel + vbExclamation, kMessageTitle) != vbOK) {
                PrintLog(
                    "Transfer of Charge Breakdown Structure aborteddue to presence of tasks on MsP side.");
                return;
            }
            SetHonorConstraints(app, false);
            if (!RemoveAllTasks(app)) return;
        }
        SetHonorConstraints(app, false);
        Progress("Transferring Charge Breakdown Structure to Microsoft Project ...");
        return BringKovaStructure(choices);
    }

    if (choices.defaultKovaStructure) {
        Progress("Defaulting Charge Breakdown Structure from Kova...");
        SetHonorConstraints(app, false);
        return BringKovaStructure(choices);
    }

    Progress("Transferring Charge Breakdown Structure to Kova...");
    // The plan's own structure goes to the ERP here.
    if (ConnectStructureHooks().sendChargeStructureToKova)
        ConnectStructureHooks().sendChargeStructureToKova(choices.node);
    Progress("Transferring Budget Line Tasks...");
    PrintLog("Transferring Budget Line Tasks from Kova ...");
}

} // namespace Grantry
