#include "integration/connect/frmConnectProject.h"
#include "integration/core/CommandFrame.h"

#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/frmChargeElement.h"
#include "integration/connect/ProjectDetails.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmIntegrationStatus.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

using namespace platform::forms;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::ErrObject;

std::function<void(frmConnectProject&)> frmConnectProject::ConnectRun;

namespace {

constexpr char kCRLF[] = "\r\n";
constexpr char kKova[] = "Kova";
constexpr char kMsP[] = "MsP";
constexpr char kCreateActivitiesCaption[] =
    "Create &Activitites based on Charge Breakdown Structure and Budget Lines";
constexpr char kCreateChBSCaption[] = "Create &ChBS in Kova based on activities";
constexpr char kNoMsPTasks[] = "There are no tasks in MsP representing";

constexpr const char* kResourceItems[13] = {"Equipment",
                                            "Trade Groups",
                                            "Employees",
                                            "Material",
                                            "Labor",
                                            "Subcontracting",
                                            "Sundry",
                                            "StandardChargeElements",
                                            "ProjectEquipment",
                                            "ProjectMaterial",
                                            "ProjectLabor",
                                            "ProjectSubcontracting",
                                            "ProjectSundry"};

// The failure's description in the log, then a clean error state.
void LogAndClearError() {
    PrintLog(FormatErrorForLog(Err().Description));
    Err().Clear();
}

void Warn(const std::string& text) {
    MsgBox(text, vbOKOnly + vbExclamation, kMessageTitle);
}

// A date as the dialog shows it: its text, or nothing for an empty text or the zero date.
std::string ShownDate(const platform::automation::Date& date) {
    std::string text = platform::automation::DateText(date);
    if (Trim(text).empty() || text == platform::automation::DateText(platform::automation::Date{})) return {};
    return text;
}

} // namespace

frmConnectProject::frmConnectProject() : Form("frmConnectProject", "Connect MS Project to Kova Project") {
    tsrConnect.Tabs().Add("&Connection", {}, "Connection Details");
    tsrConnect.Tabs().Add("&Resources", {}, "Resource Details");
    tsrConnect.Tabs().Add("&Budget", {}, "Budget Details");

    frmKovaProject.Caption = "Kova Project";
    lblCompanyNo.Caption = "Company";
    lblKovaProject.Caption = "Projects";
    lstKovaProject.ToolTipText = "Click to select a Kova Project for connection.";
    lblDescription.Caption = "Description";
    lblStartDate.Caption = "Start Date";
    lblFinishDate.Caption = "Finish Date";
    lblPlan.Caption = "Plan";
    lblConnectionNode.Caption = "Connection Node";
    cmdConnectionNode.Caption = "&Select Node";
    cmdConnectionNode.ToolTipText = "Use this button to select a Connection Node";
    Frame7.Caption = "Ownership ";
    Label8.Caption = "Ownership of ChBS and Budget Quantities in";
    cmbOwnership.AddItem(kKova);
    cmbOwnership.AddItem(kMsP);
    cmbOwnership.SetText(kKova);

    fraCalenders.Caption = "Resource Calendars";
    lblAvailabilityType.Caption = "Availability Type";
    fraResources.Caption = "Resources";
    chkResourcesToProject.Caption = "Transfer Resources/Cost Objects to Project";
    lstResources.MultiSelect = vbMultiSelectSimple;
    for (const char* item : kResourceItems)
        lstResources.AddItem(item);
    // Usable only while the transfer box is ticked.
    lstResources.Enabled = false;

    fraActivities.Caption = "Activities";
    chkSort.Caption = "Sort Activities based on Charge Element Code";
    chkSort.SetValue(vbChecked);
    chkCreateActivity.Caption = kCreateActivitiesCaption;
    chkCreateActivity.SetValue(vbChecked);
    fraTransferBL.Caption = "Transfer Budget Lines";
    Label1.Caption = "Resource Assignment";
    Label2.Caption = "Sub Task";
    Label3.Caption = "Equipment";
    Label4.Caption = "Material";
    Label5.Caption = "Labor";
    Label6.Caption = "Subcontracting";
    Label7.Caption = "Sundry";
    for (OptionButton* option :
         {&optEqpResAssgn, &optMatResAssgn, &optLabResAssgn, &optSubResAssgn, &optSunResAssgn})
        option->SetValue(true);

    cmdConnectProject.Caption = "&Connect Project";
    cmdConnectProject.ToolTipText = "Use this button to start the Connection Process";
    cmdCancel.Caption = "Cancel";
    // Leaving the dialog must not wait for a valid availability type.
    cmdCancel.Cancel = true;
    cmdHelp.Caption = "&Help";
    sbrConnectProject.Style = sbrSimple;

    tsrConnect.Click = [this] { tsrConnect_Click(); };
    lstKovaProject.Click = [this] { lstKovaProject_Click(); };
    lstKovaProject.KeyDown = [this](int16_t& KeyCode, int16_t Shift) {
        lstKovaProject_KeyDown(KeyCode, Shift);
    };
    lstKovaProject.KeyUp = [this](int16_t& KeyCode, int16_t Shift) { lstKovaProject_KeyUp(KeyCode, Shift); };
    lstKovaProject.MouseDown = [this](int16_t Button, int16_t Shift, float X, float Y) {
        lstKovaProject_MouseDown(Button, Shift, X, Y);
    };
    cboPlan.Click = [this] { cboPlan_Click(); };
    cmbOwnership.Click = [this] { cmbOwnership_Click(); };
    cmbOwnership.LostFocus = [this] { cmbOwnership_LostFocus(); };
    chkResourcesToProject.Click = [this] { chkResourcesToProject_Click(); };
    chkCreateActivity.Click = [this] { chkCreateActivity_Click(); };
    cboAvailabilityType.Validate = [this](bool& Cancel) { cboAvailabilityType_Validate(Cancel); };
    cmdHelp.Click = [this] { cmdHelp_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdConnectProject.Click = [this] { cmdConnectProject_Click(); };
    // The node chooser is a dialog of its own, not part of this one.
    cmdConnectionNode.Click = [this] { cmdConnectionNode_Click(); };
}

// --- loading ---------------------------------------------------------------------------------------

void frmConnectProject::Form_Load() {
    fraConnection.Visible = true;
    fraResource.Visible = false;
    fraBudget.Visible = false;
    blnFetchTopCE = true;

    DefaultInstance<frmIntegrationStatus>().Show(vbModeless);
    ShowProgress("Retrieving the Default Kova Company ...");
    int32_t company = 0;
    std::string hostName;
    FetchConnectorProperties(company, hostName);
    txtCompanyNo.SetText(std::to_string(company));

    ShowProgress("Building the Kova Project List...");
    ProjectDetailsforSelectedCompany();

    ShowProgress("Building the Kova Project Plan List.....");
    PrintLog("Building the Kova Project Plan List.....");
    LoadProjectPlans();

    ShowProgress("Retrieving the Details of Selected Project.....");
    UnloadForm<frmIntegrationStatus>();
}

void frmConnectProject::ProjectDetailsforSelectedCompany() {
    lstKovaProject.Clear();
    KovaDataList projects = FetchProjectList();
    if (Err().Number != 0) {
        PrintLog(FormatErrorForLog(Err().Description));
        MsgBox("Error While retrieving Project List ", vbOKOnly + vbCritical, kProgramTitle);
        Err().Clear();
        return;
    }
    if (!projects) {
        PrintLog("NO projects retrieved from company ");
    } else {
        for (const auto& project : *projects)
            lstKovaProject.AddItem(project->Code);
    }
    // The click this raises loads nothing: no project has been chosen yet.
    lstKovaProject.SetListIndex(0);
    if (CurrentProjectData) CurrentProjectData->ProjectCode = lstKovaProject.List(0);

    ShowProgress("Retrieving the Defaults from Kova Parameters..... ");
    std::shared_ptr<KovaDataObjects::PlanParam> parameters = FetchPlanningParameters();
    if (Err().Number != 0 || !parameters) {
        LogAndClearError();
    } else {
        auto select = [this](std::initializer_list<int> items) {
            for (int item : items)
                lstResources.SetSelected(item, true);
            chkResourcesToProject.SetValue(vbChecked);
            lstResources.Enabled = true;
        };
        if (parameters->EquipSelected()) select({0, 8});
        if (parameters->TrGpSelected()) select({1});
        if (parameters->EmpSelected()) select({2});
        lngDateTypeForSchedule = parameters->DateTypeForSchedule();
        strESPCurrency = parameters->ESPCurrency;
        strDefaultAvailabilityType = parameters->DefaultAvailabilityType();
        if (parameters->LaborSelected()) select({4, 10});
        if (parameters->SubcontractSelected()) select({5, 11});
        if (parameters->SundrySelected()) select({6, 12});
        if (parameters->MaterialSelected()) select({3, 9});
        lstResources.SetSelected(7, true);
    }

    cboAvailabilityType.Clear();
    ShowProgress("Building the Availability Type List...");
    KovaDataList types = FetchAvailabilityTypes();
    if (Err().Number != 0) {
        LogAndClearError();
        return;
    }
    if (!types) {
        PrintLog("No availability  type  retrieved ");
        return;
    }
    for (const auto& type : *types)
        cboAvailabilityType.AddItem(type->Code);
    cboAvailabilityType.SetText(strDefaultAvailabilityType);
}

void frmConnectProject::LoadProjectPlans() {
    cmdConnectProject.Enabled = false;
    cmdConnectionNode.Enabled = false;
    std::string project = lstKovaProject.Text();
    if (CurrentProjectData) CurrentProjectData->ProjectCode = project;
    cboPlan.Clear();
    txtConnectionNode.SetText("");

    ShowStatus("Building the Kova Project Plan List.....");
    KovaDataList plans = FetchProjectPlans();
    if (Err().Number != 0) {
        LogAndClearError();
        cmdConnectProject.Enabled = false;
    } else if (!plans) {
        PrintLog("No plans retrieved for project:" + project);
        Err().Clear();
    } else {
        for (const auto& plan : *plans)
            cboPlan.AddItem(plan->Code);
    }

    ShowStatus("Retrieving the Details of Selected Project.....");
    FetchProjectInfo();
    if (Err().Number != 0 || !CurrentProjectData) {
        LogAndClearError();
    } else {
        txtDescription.SetText(CurrentProjectData->Description);
        txtStartDate.SetText("");
        txtFinishDate.SetText("");
        txtStartDate.SetText(ShownDate(CurrentProjectData->StartDate));
        txtFinishDate.SetText(ShownDate(CurrentProjectData->FinishDate));
        cboPlan.SetText(CurrentProjectData->Plan);
        txtConnectionNode.SetText(CurrentProjectData->TopCE);
        if (!txtConnectionNode.Text().empty() && !cboPlan.Text().empty()) {
            cmdConnectProject.Enabled = true;
            cmdConnectionNode.Enabled = true;
        }
    }
    ShowStatus(" ");
}

// --- choosing a project ----------------------------------------------------------------------------

void frmConnectProject::lstKovaProject_KeyDown(int16_t& KeyCode, int16_t) {
    blnProjectChosen = KeyCode == 13;
    if (blnProjectChosen) lstKovaProject_Click();
}

void frmConnectProject::lstKovaProject_KeyUp(int16_t& KeyCode, int16_t) {
    blnProjectChosen = KeyCode == 13;
    if (blnProjectChosen) lstKovaProject_Click();
}

void frmConnectProject::lstKovaProject_MouseDown(int16_t, int16_t, float, float) {
    blnProjectChosen = true;
    lstKovaProject_Click();
}

void frmConnectProject::lstKovaProject_Click() {
    if (!blnProjectChosen) return;
    ShowStatus("Retrieving Kova Project Details.......");
    LoadProjectPlans();
    ShowStatus(" ");
}

// --- the plan check --------------------------------------------------------------------------------

void frmConnectProject::cboPlan_Click() {
    if (blnFetchTopCE) {
        ShowStatus("Retrieving Top Charge Element.......");
        PrintLog("Retrieving Top Charge Element.......");
        if (CurrentProjectData) CurrentProjectData->Plan = cboPlan.Text();
        txtConnectionNode.SetText(Trim(FetchTopCEForPlan()));
    }
    ShowStatus(" ");
    const std::string node = txtConnectionNode.Text();
    const bool ownedByKova = cmbOwnership.Text() == kKova;
    auto setButtons = [this](bool connect, bool chooseNode) {
        cmdConnectProject.Enabled = connect;
        cmdConnectionNode.Enabled = chooseNode;
    };

    if (Trim(node).empty()) {
        if (ownedByKova) {
            Warn("No plan selected or the Selected Plan has no Charge Elements defined");
            setButtons(false, false);
        } else if (cboPlan.Text().empty()) {
            Warn("No plan selected ");
        } else if (IsChargeStructureEmpty()) {
            Warn("The are no tasks in MsP representing a Kova Charge Element");
            setButtons(false, false);
        } else {
            cmdConnectProject.Enabled = true;
        }
        return;
    }
    if (ownedByKova) {
        setButtons(true, true);
        return;
    }
    if (IsChargeStructureEmpty()) {
        blnDefaultKovaStructure = false;
        int32_t answer = MsgBox(std::string(kNoMsPTasks) + "a valid Kova CE." + kCRLF +
                                    "Do you want the existing structure in Kova to be transferred as the "
                                    "default structure in MsP?",
                                vbYesNo + vbQuestion, kMessageTitle);
        if (answer == vbYes) {
            blnDefaultKovaStructure = true;
            setButtons(true, true);
        } else {
            Warn(std::string(kNoMsPTasks) + "a valid Kova CE. So ownership in MsP is not possible.");
            blnDefaultKovaStructure = false;
            setButtons(false, false);
        }
        return;
    }
    std::string topCode;
    if (MSProjectApplication) {
        if (SelectTaskRowById(*MSProjectApplication, GetTopChargeElementTaskId()))
            topCode = MSProjectApplication->ActiveCell().Task().Text1();
    }
    if (topCode == node) {
        setButtons(true, true);
    } else {
        Warn("The selected node and highest summary task in MsP differ");
        setButtons(false, true);
    }
    blnDefaultKovaStructure = false;
}

// The ownership is read from the combo's text everywhere (a typed text leaves the list index as it
// was): the plan check, the caption and the stored code all follow what the user sees.
void frmConnectProject::cmbOwnership_Click() {
    checkedOwnership_ = cmbOwnership.Text();
    chkCreateActivity.Caption = cmbOwnership.Text() == kMsP ? kCreateChBSCaption : kCreateActivitiesCaption;
    blnFetchTopCE = false;
    cboPlan_Click();
    blnFetchTopCE = true;
}

void frmConnectProject::cmbOwnership_LostFocus() {
    if (cmbOwnership.Text() != kMsP && cmbOwnership.Text() != kKova) cmbOwnership.SetText(kKova);
    // A typed ownership gets the plan check that a chosen one gets.
    if (cmbOwnership.Text() != checkedOwnership_) cmbOwnership_Click();
}

// --- the other handlers ----------------------------------------------------------------------------

void frmConnectProject::tsrConnect_Click() {
    int tab = tsrConnect.SelectedIndex();
    fraConnection.Visible = tab == 1;
    fraResource.Visible = tab == 2;
    fraBudget.Visible = tab == 3;
}

void frmConnectProject::chkResourcesToProject_Click() {
    if (chkResourcesToProject.Value() == vbChecked) {
        lstResources.Enabled = true;
        return;
    }
    lstResources.Enabled = false;
    for (int item : {0, 1, 2})
        lstResources.SetSelected(item, false);
}

void frmConnectProject::chkCreateActivity_Click() {
    fraTransferBL.Enabled = chkCreateActivity.Value() == vbChecked;
}

void frmConnectProject::cboAvailabilityType_Validate(bool& Cancel) {
    if (cboAvailabilityType.ListIndex() == -1) {
        int match = cboAvailabilityType.FindEntry(cboAvailabilityType.Text());
        if (match >= 0) cboAvailabilityType.SetListIndex(match);
    }
    if (!cboAvailabilityType.Text().empty() && cboAvailabilityType.ListIndex() == -1) {
        MsgBox("Select an existing Availability Type", vbOKOnly, kProgramTitle);
        Cancel = true;
    }
}

void frmConnectProject::cmdConnectionNode_Click() {
    frmChargeElement& chooser = DefaultInstance<frmChargeElement>();
    chooser.Load();
    chooser.ConnectionNodeChosen = [this](const std::string& code) { txtConnectionNode.SetText(code); };
    FillChargeElementTree(chooser.treChargeElements);
    chooser.Show(vbModal);
    if (CurrentProjectData) CurrentProjectData->TopCE = txtConnectionNode.Text();
    blnFetchTopCE = false;
    cboPlan_Click();
    blnFetchTopCE = true;
}

void frmConnectProject::cmdHelp_Click() {
    MsgBox(std::string("Please refer to the User and Installation Manual") + "(" + kUserManualNumber + ")" +
               kCRLF + "on the Documentation CD",
           vbOKOnly + vbInformation, kMessageTitle);
}

void frmConnectProject::cmdCancel_Click() {
    LeaveDialog();
}

void frmConnectProject::Form_QueryUnload(int16_t&, int16_t UnloadMode) {
    // The close box leaves the dialog as Cancel does, so that the plan is not left half set up.
    if (UnloadMode == vbFormControlMenu && !leaving_) {
        leaving_ = true;
        DeleteConnectionProperties();
        UnloadForm<frmIntegrationStatus>();
        Err().Clear();
    }
}

void frmConnectProject::LeaveDialog() {
    leaving_ = true;
    DeleteConnectionProperties();
    UnloadForm<frmChargeElement>();
    UnloadForm<frmIntegrationStatus>();
    Unload();
    // connectProject then finds no failure and, with the project property gone, a cancelled run.
    Err().Clear();
}

// --- confirmation ----------------------------------------------------------------------------------

ConnectChoices frmConnectProject::GatherChoices() {
    ConnectChoices c;
    c.node = txtConnectionNode.Text();
    c.ownershipText = cmbOwnership.Text();
    c.ownership = cmbOwnership.Text() == kMsP ? 2 : 1;
    if (CurrentProjectData) CurrentProjectData->Ownership = c.ownership;
    c.availabilityType = Trim(cboAvailabilityType.Text());
    if (chkResourcesToProject.Value() == vbChecked)
        for (int i = 0; i < 13; ++i)
            c.transfer[static_cast<size_t>(i)] = lstResources.Selected(i);
    c.matSubTask = optMatSubTask.Value();
    c.labSubTask = optLabSubTask.Value();
    c.eqpSubTask = optEqpSubTask.Value();
    c.subSubTask = optSubSubTask.Value();
    c.sunSubTask = optSunSubTask.Value();
    c.createStructure = chkCreateActivity.Value() == vbChecked;
    c.sort = chkSort.Value() != vbUnchecked;
    c.scheduleBase = lngDateTypeForSchedule;
    c.currency = strESPCurrency;
    c.defaultKovaStructure = blnDefaultKovaStructure;
    c.company = txtCompanyNo.Text();
    return c;
}

bool frmConnectProject::ConnectionNodeAccepted(const std::string& node) {
    // An empty node: the plan's own structure defines the connection.
    if (node.empty()) return true;
    if (!CurrentProjectData) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
    } else {
        CurrentProjectData->getChBSFromKova(BOIConnector, node);
    }
    if (Err().Number != 0 || !CurrentProjectData || !CurrentProjectData->ChargeElements) {
        MsgBox("A Connection can not be made to the Selected Charge Element: " + node + kCRLF +
                   " Charge BreakDown Structure Could not be retrieved !",
               vbOKOnly + vbCritical, kMessageTitle);
        return false;
    }
    for (const auto& element : *CurrentProjectData->ChargeElements)
        if (element->CECode == node && element->Connectable) return true;
    return false;
}

void frmConnectProject::cmdConnectProject_Click() {
    ConnectChoices choices = GatherChoices();
    if (!ConnectionNodeAccepted(choices.node)) return;
    if (ConnectRun) {
        ConnectRun(*this);
        return;
    }
    Hide();
    Unload();
}

// --- progress --------------------------------------------------------------------------------------

void frmConnectProject::ShowProgress(const std::string& text) {
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
}

void frmConnectProject::ShowStatus(const std::string& text) {
    sbrConnectProject.SimpleText = text;
    sbrConnectProject.Refresh();
}

} // namespace Grantry
