#include "integration/budget/frmSyncOptions.h"

#include "integration/budget/BudgetScheduleRun.h"
#include "integration/chargestructure/ChargeStructureOwnership.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/SynchronizeBudgetSchedule.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

using namespace platform::forms;
using platform::automation::Err;
using platform::automation::ErrObject;
using platform::automation::Variant;

namespace {

constexpr char kSendActualDates[] = "SendActualDates";

bool PlanFlag(const char* name, bool& present) {
    Variant value;
    present = ReadDocumentProperty(name, value);
    if (!present) return false;
    bool on = platform::automation::CBool(value);
    if (Err().Number != 0) on = false;
    Err().Clear();
    return on;
}

} // namespace

std::function<void()>& BudgetScheduleRun() {
    static std::function<void()> run;
    return run;
}

frmSyncOptions::frmSyncOptions() : Form("frmSyncOptions", "Synchronize ChBS / Budget / Schedule") {
    Frame1.Caption = "Synchronization Options";
    chkSynCHBS.Caption = "Synchronize Charge Breakdown Structure";
    chkSynCHBS.SetValue(vbChecked);
    chkSynBudgetSchedule.Caption = "Synchronize Budget Quantity and Schedule";
    chkSynBudgetSchedule.SetValue(vbChecked);
    chkNetChange.Caption = "Net Change";
    chkNetChange.ToolTipText = "Handle Changed Dates and Structure";
    chkSendActDt.Caption = "Send Actual Dates to Kova";
    Frame2.Caption = "Progress";
    cmdSync.Caption = "&Synchronize";
    cmdCancel.Caption = "&Cancel";

    chkNetChange.Click = [this] { chkNetChange_Click(); };
    chkSendActDt.Click = [this] { chkSendActDt_Click(); };
    cmdSync.Click = [this] { cmdSync_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmSyncOptions::ShowProgress(const std::string& text) {
    lblProgress.Caption = text;
    lblProgress.Refresh();
}

void frmSyncOptions::Form_Load() {
    chkNetChange_Click();
    bool present = false;
    const bool send = PlanFlag(kSendActualDates, present);
    chkSendActDt.SetValue(vbUnchecked);
    if (!present) {
        if (MSProjectApplication)
            MSProjectApplication->ActiveProject().CustomDocumentProperties().Add(kSendActualDates, false,
                                                                                 kPropertyYesNo, Variant(false));
        Err().Clear();
    } else if (send) {
        chkSendActDt.SetValue(vbChecked);
    }
}

void frmSyncOptions::chkNetChange_Click() {
    NetChangeOption = chkNetChange.Value() == vbChecked;
}

void frmSyncOptions::chkSendActDt_Click() {
    WriteDocumentProperty(kSendActualDates, Variant(chkSendActDt.Value() == vbChecked));
    Err().Clear();
}

void frmSyncOptions::cmdSync_Click() {
    if (chkSynCHBS.Value() != vbChecked && chkSynBudgetSchedule.Value() != vbChecked) {
        MsgBox(kNothingSynchronizedMessage, vbOKOnly);
        return;
    }
    ShowProgress("Synchronization started...");
    const bool structure = chkSynCHBS.Value() == vbChecked;
    const bool budget = chkSynBudgetSchedule.Value() == vbChecked;
    bool ok = structure ? false : DetermineChargeStructureOwnership();
    Err().Clear();
    if (structure) {
        bool present = false;
        if (PlanFlag("KovaTransferChargeStructure", present)) {
            SynchronizeChargeStructure(ok);
        } else {
            // The budget step must not be skipped without a word: it still runs once the ownership is
            // settled, as when only the budget box is ticked.
            PrintLog(kStructureOptionOffLine);
            if (budget) ok = DetermineChargeStructureOwnership();
        }
        Err().Clear();
    }
    if (budget && ok) {
        if (BudgetScheduleRun()) BudgetScheduleRun()();
        Err().Clear();
    }
    Unload();
}

void frmSyncOptions::cmdCancel_Click() {
    Unload();
}

void InstallSyncOptionsDialog() {
    SyncProgressLabel() = [](const std::string& text) {
        if (IsFormLoaded<frmSyncOptions>()) DefaultInstance<frmSyncOptions>().ShowProgress(text);
    };
    ShowSyncOptionsDialog = [] {
        DefaultInstance<frmSyncOptions>().Show(vbModal);
        ErrObject before = Err();
        if (IsFormLoaded<frmSyncOptions>()) UnloadForm<frmSyncOptions>();
        Err() = before;
    };
}

} // namespace Grantry
