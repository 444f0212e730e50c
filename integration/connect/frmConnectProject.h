#pragma once
// The connect dialog: the user picks the ERP project and plan of the current backend's company, the
// connection node, who owns the charge structure and budget quantities, the availability type, the
// resources and cost objects to bring over and how budget lines become tasks. It reads the ERP
// through ProjectDetails and the command's project record; the connect run itself is not part of the
// dialog but plugged in through ConnectRun (below).
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/forms/Form.h"

namespace Grantry {

class frmConnectProject;

// What the dialog hands to the connect run when the button is pressed.
struct ConnectChoices {
    std::string node;             // the connection node as shown (not trimmed)
    int32_t ownership = 1;        // 1 "Kova", 2 "MsP"
    std::string ownershipText;    // the ownership combo's text
    std::string availabilityType; // trimmed
    // The 13 transfer switches in list order; all false unless the transfer box is ticked.
    std::array<bool, 13> transfer{};
    // Budget lines as subtasks, per cost type.
    bool matSubTask = false, labSubTask = false, eqpSubTask = false, subSubTask = false, sunSubTask = false;
    bool createStructure = false;
    bool sort = false;
    int32_t scheduleBase = 0;
    std::string currency;
    bool defaultKovaStructure = false;
    std::string company; // the company number as shown
};

class frmConnectProject : public platform::forms::Form {
public:
    frmConnectProject();

    // The connect run, set by whoever provides it. It is called when the button is pressed and the
    // chosen node passed its check, with the dialog still shown; it hides and unloads the dialog
    // itself. Without one, the dialog just closes (hidden, then unloaded).
    static std::function<void(frmConnectProject&)> ConnectRun;

    // Fills the project list, the planning defaults and the availability types for the company of
    // the current backend.
    void ProjectDetailsforSelectedCompany();
    // The inputs of the connect run as the dialog shows them now; stores the ownership in the
    // command's project record, as the run expects.
    ConnectChoices GatherChoices();

    // --- controls, in tab order -------------------------------------------------------------------
    platform::forms::TabStrip tsrConnect{*this, "tsrConnect"};

    platform::forms::Frame fraConnection{*this, "fraConnection"};
    platform::forms::Frame frmKovaProject{*this, "frmKovaProject", &fraConnection};
    platform::forms::Label lblCompanyNo{*this, "lblCompanyNo", &frmKovaProject};
    platform::forms::TextBox txtCompanyNo{*this, "txtCompanyNo", &frmKovaProject};
    platform::forms::Label lblKovaProject{*this, "lblKovaProject", &frmKovaProject};
    platform::forms::ListBox lstKovaProject{*this, "lstKovaProject", &frmKovaProject};
    platform::forms::Label lblDescription{*this, "lblDescription", &frmKovaProject};
    platform::forms::TextBox txtDescription{*this, "txtDescription", &frmKovaProject};
    platform::forms::Label lblStartDate{*this, "lblStartDate", &frmKovaProject};
    platform::forms::TextBox txtStartDate{*this, "txtStartDate", &frmKovaProject};
    platform::forms::Label lblFinishDate{*this, "lblFinishDate", &frmKovaProject};
    platform::forms::TextBox txtFinishDate{*this, "txtFinishDate", &frmKovaProject};
    platform::forms::Label lblPlan{*this, "lblPlan", &frmKovaProject};
    platform::forms::ComboBox cboPlan{*this, "cboPlan", &frmKovaProject};
    platform::forms::Label lblConnectionNode{*this, "lblConnectionNode", &frmKovaProject};
    platform::forms::TextBox txtConnectionNode{*this, "txtConnectionNode", &frmKovaProject};
    platform::forms::CommandButton cmdConnectionNode{*this, "cmdConnectionNode", &frmKovaProject};
    platform::forms::Frame Frame7{*this, "Frame7", &fraConnection};
    platform::forms::Label Label8{*this, "Label8", &Frame7};
    platform::forms::ComboBox cmbOwnership{*this, "cmbOwnership", &Frame7};

    platform::forms::Frame fraResource{*this, "fraResource"};
    platform::forms::Frame fraCalenders{*this, "fraCalenders", &fraResource};
    platform::forms::Label lblAvailabilityType{*this, "lblAvailabilityType", &fraCalenders};
    platform::forms::ComboBox cboAvailabilityType{*this, "cboAvailabilityType", &fraCalenders};
    platform::forms::Frame fraResources{*this, "fraResources", &fraResource};
    platform::forms::CheckBox chkResourcesToProject{*this, "chkResourcesToProject", &fraResources};
    platform::forms::ListBox lstResources{*this, "lstResources", &fraResources};

    platform::forms::Frame fraBudget{*this, "fraBudget"};
    platform::forms::Frame fraActivities{*this, "fraActivities", &fraBudget};
    platform::forms::CheckBox chkSort{*this, "chkSort", &fraActivities};
    platform::forms::CheckBox chkCreateActivity{*this, "chkCreateActivity", &fraActivities};
    platform::forms::Frame fraTransferBL{*this, "fraTransferBL", &fraBudget};
    platform::forms::Label Label1{*this, "Label1", &fraTransferBL};
    platform::forms::Label Label2{*this, "Label2", &fraTransferBL};
    platform::forms::Frame Frame2{*this, "Frame2", &fraTransferBL};
    platform::forms::Label Label3{*this, "Label3", &Frame2};
    platform::forms::OptionButton optEqpResAssgn{*this, "optEqpResAssgn", &Frame2};
    platform::forms::OptionButton optEqpSubTask{*this, "optEqpSubTask", &Frame2};
    platform::forms::Frame Frame3{*this, "Frame3", &fraTransferBL};
    platform::forms::Label Label4{*this, "Label4", &Frame3};
    platform::forms::OptionButton optMatResAssgn{*this, "optMatResAssgn", &Frame3};
    platform::forms::OptionButton optMatSubTask{*this, "optMatSubTask", &Frame3};
    platform::forms::Frame Frame4{*this, "Frame4", &fraTransferBL};
    platform::forms::Label Label5{*this, "Label5", &Frame4};
    platform::forms::OptionButton optLabResAssgn{*this, "optLabResAssgn", &Frame4};
    platform::forms::OptionButton optLabSubTask{*this, "optLabSubTask", &Frame4};
    platform::forms::Frame Frame5{*this, "Frame5", &fraTransferBL};
    platform::forms::Label Label6{*this, "Label6", &Frame5};
    platform::forms::OptionButton optSubResAssgn{*this, "optSubResAssgn", &Frame5};
    platform::forms::OptionButton optSubSubTask{*this, "optSubSubTask", &Frame5};
    platform::forms::Frame Frame6{*this, "Frame6", &fraTransferBL};
    platform::forms::Label Label7{*this, "Label7", &Frame6};
    platform::forms::OptionButton optSunResAssgn{*this, "optSunResAssgn", &Frame6};
    platform::forms::OptionButton optSunSubTask{*this, "optSunSubTask", &Frame6};

    platform::forms::CommandButton cmdConnectProject{*this, "cmdConnectProject"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};
    platform::forms::CommandButton cmdHelp{*this, "cmdHelp"};
    platform::forms::StatusBar sbrConnectProject{*this, "sbrConnectProject"};

    // --- state for the dialog's lifetime, read by the connect run -----------------------------------
    bool blnFetchTopCE = true;            // a plan click fetches the plan's top charge element
    std::string checkedOwnership_ = "Kova"; // the ownership text the last plan check ran with
    bool blnProjectChosen = false;        // a project-list click loads that project
    bool blnDefaultKovaStructure = false; // "MsP" without structure: take the ERP's into the plan
    int32_t lngDateTypeForSchedule = 0;
    std::string strESPCurrency;
    std::string strDefaultAvailabilityType;

    // The plan check: fetches the top element when asked, then settles both buttons.
    void cboPlan_Click();

private:
    void Form_Load() override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;

    void LoadProjectPlans();
    void tsrConnect_Click();
    void lstKovaProject_Click();
    void lstKovaProject_KeyDown(int16_t& KeyCode, int16_t Shift);
    void lstKovaProject_KeyUp(int16_t& KeyCode, int16_t Shift);
    void lstKovaProject_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void cmbOwnership_Click();
    void cmbOwnership_LostFocus();
    void chkResourcesToProject_Click();
    void chkCreateActivity_Click();
    void cboAvailabilityType_Validate(bool& Cancel);
    void cmdConnectionNode_Click();
    void cmdHelp_Click();
    void cmdCancel_Click();
    void cmdConnectProject_Click();

    // The chosen node against the ERP structure; false keeps the dialog open.
    bool ConnectionNodeAccepted(const std::string& node);
    void ShowProgress(const std::string& text); // the progress window's label, repainted
    void ShowStatus(const std::string& text);   // the status bar, repainted
    void LeaveDialog();                         // what cancelling does, for the button and the close box

    bool leaving_ = false;
};

// The number of the user and installation manual, shown by the help button.
inline constexpr char kUserManualNumber[] = "KPI-UIM-0102";

} // namespace Grantry
