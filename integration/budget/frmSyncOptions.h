#pragma once
// The synchronisation options dialog of "Synchronize ChBS/Budget/Schedule": the user chooses the
// structure step, the budget and schedule run, or both, with net change and the sending of actual
// dates; the dialog runs them itself, shows their steps in its progress label and closes. The command
// has the log open and saves the plan afterwards.
#include "platform/forms/Form.h"

namespace Grantry {

inline constexpr char kNothingSynchronizedMessage[] = "Nothing is synchronized now";
inline constexpr char kStructureOptionOffLine[] =
    "The Charge Breakdown Structure is not synchronized: the plan does not transfer it";

class frmSyncOptions : public platform::forms::Form {
public:
    frmSyncOptions();

    platform::forms::Frame Frame1{*this, "Frame1"};
    platform::forms::CheckBox chkSynCHBS{*this, "chkSynCHBS", &Frame1};
    platform::forms::CheckBox chkSynBudgetSchedule{*this, "chkSynBudgetSchedule", &Frame1};
    platform::forms::CheckBox chkNetChange{*this, "chkNetChange", &Frame1};
    platform::forms::CheckBox chkSendActDt{*this, "chkSendActDt", &Frame1};
    platform::forms::Frame Frame2{*this, "Frame2"};
    platform::forms::Label lblProgress{*this, "lblProgress", &Frame2};
    platform::forms::CommandButton cmdSync{*this, "cmdSync"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // Sets the progress label and repaints it.
    void ShowProgress(const std::string& text);

private:
    void Form_Load() override;
    void chkNetChange_Click();
    void chkSendActDt_Click();
    void cmdSync_Click();
    void cmdCancel_Click();
};

// Makes SynchronizeBudgetSchedule show this dialog modally and the structure step report its progress
// in it. Called once at the program's start by every program that serves the integration's commands.
void InstallSyncOptionsDialog();

} // namespace Grantry
