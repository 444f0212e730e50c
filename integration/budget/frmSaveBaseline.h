#pragma once
// The save-baseline dialog: in one confirmation it saves a baseline or an interim plan of the plan
// and, when the plan is the project's leading plan and the user asks for it, a baseline of the ERP
// project (a new one, optionally derived from an approved one, or an update of a free one). The ERP
// baseline's number goes into the plan's property "KovaBaseline" and the plan is saved. Shown by the
// save-baseline command with the project data loaded and the log (file 9) open.
#include <cstdint>

#include "platform/forms/Form.h"

namespace Grantry {

class frmSaveBaseline : public platform::forms::Form {
public:
    frmSaveBaseline();

    // --- controls, in tab order -------------------------------------------------------------------
    platform::forms::Frame fraMSProjectBaseline{*this, "fraMSProjectBaseline"};
    platform::forms::OptionButton optSaveMSBaseline{*this, "optSaveMSBaseline", &fraMSProjectBaseline};
    platform::forms::OptionButton optSaveInterimPlan{*this, "optSaveInterimPlan", &fraMSProjectBaseline};
    platform::forms::ComboBox cboSavePlanInto{*this, "cboSavePlanInto", &fraMSProjectBaseline};
    platform::forms::Frame fraMSBaselineOptions{*this, "fraMSBaselineOptions", &fraMSProjectBaseline};
    platform::forms::Label lblEntireOrSelectedProject{*this, "lblEntireOrSelectedProject",
                                                      &fraMSBaselineOptions};
    platform::forms::OptionButton optEntireProject{*this, "optEntireProject", &fraMSBaselineOptions};
    platform::forms::OptionButton optSelectedTask{*this, "optSelectedTask", &fraMSBaselineOptions};

    platform::forms::Frame fraBaseline{*this, "fraBaseline"};
    platform::forms::CheckBox chkSaveKovaBaseline{*this, "chkSaveKovaBaseline", &fraBaseline};
    platform::forms::OptionButton optCreateKovaBaseline{*this, "optCreateKovaBaseline", &fraBaseline};
    platform::forms::TextBox txtBaselineDescription{*this, "txtBaselineDescription", &fraBaseline};
    platform::forms::CheckBox chkDerivedFrom{*this, "chkDerivedFrom", &fraBaseline};
    platform::forms::ComboBox cboApproved{*this, "cboApproved", &fraBaseline};
    platform::forms::OptionButton optUpdateKovaBaseline{*this, "optUpdateKovaBaseline", &fraBaseline};
    platform::forms::ComboBox cboBaseline{*this, "cboBaseline", &fraBaseline};

    platform::forms::CommandButton cmdContinue{*this, "cmdContinue"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // The most characters the description takes.
    static constexpr int kDescriptionLength = 30;

private:
    void Form_Load() override;
    void chkSaveKovaBaseline_Click();
    void optCreateKovaBaseline_Click();
    void chkDerivedFrom_Click();
    void optUpdateKovaBaseline_Click();
    void optSaveMSBaseline_Click();
    void optSaveInterimPlan_Click();
    void txtBaselineDescription_KeyPress(int16_t& KeyAscii);
    void cmdContinue_Click();
    void cmdCancel_Click();
    bool ValidateBaselineInput();

    // Where the planning program saves: 0 the baseline, 1 to 10 the interim plan of that position.
    int32_t SaveTarget() const;
    void SaveKovaBaseline();
};

// Makes the save-baseline command show this dialog. Called once at the program's start, by every
// program that serves the integration's commands.
void InstallSaveBaselineDialog();

} // namespace Grantry
