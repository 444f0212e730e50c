#pragma once
// The connection-details dialog: shows how the open plan is connected to the ERP and lets the user
// change the plan's integration options afterwards. Everything shown is a document property of the
// plan; an ownership transfer chosen here is only recorded, the next structure synchronisation
// carries it out.
#include <cstdint>

#include "platform/forms/Form.h"

namespace Grantry {

class frmConnectionDetail : public platform::forms::Form {
public:
    frmConnectionDetail();

    // --- controls, in tab order -------------------------------------------------------------------
    platform::forms::TabStrip tsrConnectionDetails{*this, "tsrConnectionDetails"};

    platform::forms::Frame fraConnection{*this, "fraConnection"};
    platform::forms::Label lblCompanyNumber{*this, "lblCompanyNumber", &fraConnection};
    platform::forms::TextBox txtCompanyNumber{*this, "txtCompanyNumber", &fraConnection};
    platform::forms::Label lblKovaProject{*this, "lblKovaProject", &fraConnection};
    platform::forms::TextBox txtKovaProject{*this, "txtKovaProject", &fraConnection};
    platform::forms::Label lblBudgetCombination{*this, "lblBudgetCombination", &fraConnection};
    platform::forms::TextBox txtBudgetCombination{*this, "txtBudgetCombination", &fraConnection};
    platform::forms::Label lblDescription{*this, "lblDescription", &fraConnection};
    platform::forms::TextBox txtDescription{*this, "txtDescription", &fraConnection};
    platform::forms::Label lblStartDate{*this, "lblStartDate", &fraConnection};
    platform::forms::TextBox txtStartDate{*this, "txtStartDate", &fraConnection};
    platform::forms::Label lblFinishDate{*this, "lblFinishDate", &fraConnection};
    platform::forms::TextBox txtFinishDate{*this, "txtFinishDate", &fraConnection};
    platform::forms::Label lblPlan{*this, "lblPlan", &fraConnection};
    platform::forms::TextBox txtPlan{*this, "txtPlan", &fraConnection};
    platform::forms::Label lblConnectionNode{*this, "lblConnectionNode", &fraConnection};
    platform::forms::TextBox txtConnectionNode{*this, "txtConnectionNode", &fraConnection};
    platform::forms::Label lblKovaBaseline{*this, "lblKovaBaseline", &fraConnection};
    platform::forms::TextBox txtKovaBaseline{*this, "txtKovaBaseline", &fraConnection};
    platform::forms::Label lblOwnership{*this, "lblOwnership", &fraConnection};
    platform::forms::ComboBox cmbOwnership{*this, "cmbOwnership", &fraConnection};

    platform::forms::Frame fraResource{*this, "fraResource"};
    platform::forms::Label lblResourceType{*this, "lblResourceType", &fraResource};
    platform::forms::ListBox lstResourceType{*this, "lstResourceType", &fraResource};
    platform::forms::Frame fraCalendars{*this, "fraCalendars", &fraResource};
    platform::forms::Label lblAvailabilityType{*this, "lblAvailabilityType", &fraCalendars};
    platform::forms::ComboBox cboAvailabilityType{*this, "cboAvailabilityType", &fraCalendars};

    platform::forms::Frame fraBudgetSchedule{*this, "fraBudgetSchedule"};
    platform::forms::Label lblDateType{*this, "lblDateType", &fraBudgetSchedule};
    platform::forms::ComboBox cboDateType{*this, "cboDateType", &fraBudgetSchedule};
    platform::forms::Frame fraBudgetLines{*this, "fraBudgetLines", &fraBudgetSchedule};
    platform::forms::Label lblSubTask{*this, "lblSubTask", &fraBudgetLines};
    platform::forms::Label lblResAssgn{*this, "lblResAssgn", &fraBudgetLines};
    platform::forms::Frame fraMat{*this, "fraMat", &fraBudgetLines};
    platform::forms::Label lblMat{*this, "lblMat", &fraMat};
    platform::forms::OptionButton optMatSubTask{*this, "optMatSubTask", &fraMat};
    platform::forms::OptionButton optMatResAssgn{*this, "optMatResAssgn", &fraMat};
    platform::forms::Frame fraLab{*this, "fraLab", &fraBudgetLines};
    platform::forms::Label lblLab{*this, "lblLab", &fraLab};
    platform::forms::OptionButton optLabSubTask{*this, "optLabSubTask", &fraLab};
    platform::forms::OptionButton optLabResAssgn{*this, "optLabResAssgn", &fraLab};
    platform::forms::Frame fraEqp{*this, "fraEqp", &fraBudgetLines};
    platform::forms::Label lblEqp{*this, "lblEqp", &fraEqp};
    platform::forms::OptionButton optEqpSubTask{*this, "optEqpSubTask", &fraEqp};
    platform::forms::OptionButton optEqpResAssgn{*this, "optEqpResAssgn", &fraEqp};
    platform::forms::Frame fraSub{*this, "fraSub", &fraBudgetLines};
    platform::forms::Label lblSub{*this, "lblSub", &fraSub};
    platform::forms::OptionButton optSubSubTask{*this, "optSubSubTask", &fraSub};
    platform::forms::OptionButton optSubResAssgn{*this, "optSubResAssgn", &fraSub};
    platform::forms::Frame fraSun{*this, "fraSun", &fraBudgetLines};
    platform::forms::Label lblSun{*this, "lblSun", &fraSun};
    platform::forms::OptionButton optSunSubTask{*this, "optSunSubTask", &fraSun};
    platform::forms::OptionButton optSunResAssgn{*this, "optSunResAssgn", &fraSun};
    platform::forms::Frame fraProcessOptions{*this, "fraProcessOptions", &fraBudgetSchedule};
    platform::forms::CheckBox chkCreateTask{*this, "chkCreateTask", &fraProcessOptions};
    platform::forms::CheckBox chkDeleteBudgetLines{*this, "chkDeleteBudgetLines", &fraProcessOptions};
    platform::forms::CheckBox chkDeleteTask{*this, "chkDeleteTask", &fraProcessOptions};
    platform::forms::CheckBox ChkDeleteKovaCETask{*this, "ChkDeleteKovaCETask", &fraProcessOptions};
    platform::forms::CheckBox chkSort{*this, "chkSort", &fraProcessOptions};

    platform::forms::CommandButton cmdOK{*this, "cmdOK"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    void Form_Load() override;
    void tsrConnectionDetails_Click();
    void cmbOwnership_GotFocus();
    void cboAvailabilityType_Validate(bool& Cancel);
    void cmdOK_Click();
    void cmdCancel_Click();

    void FillFromProperties();
    void ShowFrameOfTab(int tab);

    int32_t rememberedOwnership_ = 0; // the ownership when the user entered its combo; 0 until then
};

} // namespace Grantry
