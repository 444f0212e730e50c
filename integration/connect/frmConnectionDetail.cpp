#include "integration/connect/frmConnectionDetail.h"

#include <array>
#include <string>

#include "dataobjects/KovaProjectData.h"
#include "integration/connect/ProjectDetails.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

using namespace platform::forms;
using platform::automation::Err;
using platform::automation::ErrObject;
using platform::automation::Variant;

namespace {

constexpr char kCRLF[] = "\r\n";
constexpr char kKova[] = "Kova";
constexpr char kMsP[] = "MsP";
constexpr char kTransferToKova[] = "Transfer to Kova";
constexpr char kTransferToMsP[] = "Transfer to MsP";

struct ResourceEntry {
    const char* caption;
    const char* property;
};
constexpr std::array<ResourceEntry, 13> kResourceEntries{{
    {"Equipment", "KovaTransferEquipment"},
    {"Trade Groups", "KovaTransferTradegroup"},
    {"Employees", "KovaTransferEmployee"},
    {"Material", "KovaTransferItem"},
    {"Labor", "KovaTransferLabor"},
    {"Subcontracting", "KovaTransferSubContracting"},
    {"Sundry", "KovaTransferSundry"},
    {"Standard Charge Elements", "KovaTransferStandardChargeElement"},
    {"ProjectEquipment", "KovaTransferProjectEquipment"},
    {"ProjectMaterial", "KovaTransferProjectItem"},
    {"ProjectLabor", "KovaTransferProjectLabor"},
    {"ProjectSubcontracting", "KovaTransferProjectSubContracting"},
    {"ProjectSundry", "KovaTransferProjectSundry"},
}};

constexpr char kOwnershipNotInList[] = "Please choose the Ownership from the list";

// The ownership code of a combo text; 0 for any other text.
int32_t OwnershipCode(const std::string& text) {
    if (text == kKova) return 1;
    if (text == kMsP) return 2;
    if (text == kTransferToKova) return 3;
    if (text == kTransferToMsP) return 4;
    return 0;
}

// The property converted as asked; false (the error state cleared) when it is missing or does not
// convert, so that the control keeps what it shows.
bool ReadText(const char* name, std::string& out) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    std::string text = platform::automation::CStr(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = std::move(text);
    return true;
}
bool ReadLong(const char* name, int32_t& out) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    int32_t number = platform::automation::CLng(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = number;
    return true;
}
bool ReadFlag(const char* name, bool& out) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    bool flag = platform::automation::CBool(value);
    if (Err().Number != 0) return Err().Clear(), false;
    out = flag;
    return true;
}

void ShowText(TextBox& box, const char* name) {
    std::string text;
    if (ReadText(name, text)) box.SetText(text);
}

// Emptied first; a date property that is empty or the zero date shows nothing.
void ShowDate(TextBox& box, const char* name) {
    box.SetText({});
    Variant value;
    if (!ReadDocumentProperty(name, value) || value.IsEmpty()) return;
    platform::automation::Date date = platform::automation::CDate(value);
    if (Err().Number != 0) return Err().Clear();
    if (date == platform::automation::Date{}) return;
    box.SetText(platform::automation::DateText(date));
}

void ShowCheck(CheckBox& box, const char* name) {
    bool flag = false;
    if (ReadFlag(name, flag)) box.SetValue(flag ? vbChecked : vbUnchecked);
}

void ShowSubTask(OptionButton& subTask, OptionButton& resourceAssignment, const char* name) {
    bool flag = false;
    if (!ReadFlag(name, flag)) return;
    (flag ? subTask : resourceAssignment).SetValue(true);
}

void SaveFlag(const char* name, bool flag) {
    WriteDocumentProperty(name, Variant(flag));
}

} // namespace

frmConnectionDetail::frmConnectionDetail() : Form("frmConnectionDetail", "Kova Connection Details") {
    tsrConnectionDetails.Tabs().Add("&Connection");
    tsrConnectionDetails.Tabs().Add("&Resources");
    tsrConnectionDetails.Tabs().Add("&Budget/Schedule");

    lblCompanyNumber.Caption = "Company";
    lblKovaProject.Caption = "Kova Project";
    lblBudgetCombination.Caption = "Budget Combination";
    lblDescription.Caption = "Description";
    lblStartDate.Caption = "Start Date";
    lblFinishDate.Caption = "Finish Date";
    lblPlan.Caption = "Plan";
    lblConnectionNode.Caption = "Connection Node";
    lblKovaBaseline.Caption = "Kova Baseline";
    lblOwnership.Caption = "Ownership of ChBS and Budget Quantities in";

    lblResourceType.Caption = "Transfer Resources / Cost Objects to Project";
    lstResourceType.MultiSelect = vbMultiSelectSimple;
    for (const ResourceEntry& entry : kResourceEntries)
        lstResourceType.AddItem(entry.caption);
    fraCalendars.Caption = "Resource Calendars";
    lblAvailabilityType.Caption = "Availability Type";

    lblDateType.Caption = "Schedule based on";
    cboDateType.AddItem("Scheduled Dates");
    cboDateType.AddItem("Early Dates");
    fraBudgetLines.Caption = "Create Budget Lines as";
    lblSubTask.Caption = "Sub Task";
    lblResAssgn.Caption = "Resource Assignment";
    lblMat.Caption = "Material";
    lblLab.Caption = "Labor";
    lblEqp.Caption = "Equipment";
    lblSub.Caption = "Subcontracting";
    lblSun.Caption = "Sundry";
    fraProcessOptions.Caption = "Process Options";
    chkCreateTask.Caption = "Create tasks from Charge Breakdown Structure and Budget Lines";
    chkDeleteBudgetLines.Caption = "Delete Budget Line when Task is deleted in MS Project";
    chkDeleteTask.Caption = "Delete Task when Budget Line is deleted in Kova ";
    ChkDeleteKovaCETask.Caption = "Delete Task when ChargeElement is  deleted in Kova";
    chkSort.Caption = "Sort Activities based on Charge Element Code";

    cmdOK.Caption = "&Save";
    cmdCancel.Caption = "Cancel";
    // Leaving the dialog must not wait for a valid availability type.
    cmdCancel.Cancel = true;

    tsrConnectionDetails.Click = [this] { tsrConnectionDetails_Click(); };
    cmbOwnership.GotFocus = [this] { cmbOwnership_GotFocus(); };
    cboAvailabilityType.Validate = [this](bool& Cancel) { cboAvailabilityType_Validate(Cancel); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmConnectionDetail::Form_Load() {
    ShowFrameOfTab(1);
    rememberedOwnership_ = 0;

    Err().Clear();
    if (CurrentProjectData && MSProjectApplication) {
        CurrentProjectData->ESProject = MSProjectApplication->ActiveProject().Name();
        Err().Clear();
        int32_t ownership = CurrentProjectData->determineCHBSOwnership(BOIConnector);
        Err().Clear();
        if (ownership == -1) {
            MsgBox("The Current Project is not linked to Kova. The connection is made with " +
                       CurrentProjectData->eprj,
                   vbOKOnly + vbCritical, kMessageTitle);
            Unload();
            return;
        }
    }

    KovaDataList types = FetchAvailabilityTypes();
    if (Err().Number != 0) {
        // The command opens no log: without one the line is dropped.
        ErrObject failure = Err();
        platform::os::PrintLine(platform::os::LogFileNumber, failure.Description);
        Err().Clear();
    } else if (types) {
        for (const auto& type : *types)
            cboAvailabilityType.AddItem(type->Code);
    }

    FillFromProperties();
    Err().Clear();
}

void frmConnectionDetail::FillFromProperties() {
    ShowText(txtCompanyNumber, "KovaCompany");
    ShowText(txtKovaProject, "KovaProject");
    int32_t combination = 0;
    if (ReadLong("KovaProjectBudgetCombination", combination)) {
        static constexpr const char* kCombinations[] = {"Element / Element", "Element / Activity",
                                                        "Activity / Activity"};
        if (combination >= 1 && combination <= 3)
            txtBudgetCombination.SetText(kCombinations[combination - 1]);
    }
    for (size_t i = 0; i < kResourceEntries.size(); ++i) {
        bool flag = false;
        if (ReadFlag(kResourceEntries[i].property, flag))
            lstResourceType.SetSelected(static_cast<int>(i), flag);
    }
    int32_t scheduleBase = 0;
    if (ReadLong("KovaScheduleBase", scheduleBase)) {
        cboDateType.SetListIndex(scheduleBase - 1);
        Err().Clear();
    }
    std::string availabilityType;
    if (ReadText("KovaAvailabilityType", availabilityType)) cboAvailabilityType.SetText(availabilityType);
    ShowSubTask(optMatSubTask, optMatResAssgn, "KovaMatBudgLnAsSubTask");
    ShowSubTask(optLabSubTask, optLabResAssgn, "KovaLabBudgLnAsSubTask");
    ShowSubTask(optEqpSubTask, optEqpResAssgn, "KovaEqpBudgLnAsSubTask");
    ShowSubTask(optSubSubTask, optSubResAssgn, "KovaSubBudgLnAsSubTask");
    ShowSubTask(optSunSubTask, optSunResAssgn, "KovaSunBudgLnAsSubTask");
    ShowCheck(chkCreateTask, "KovaTransferChargeStructure");
    ShowCheck(chkDeleteBudgetLines, "DeleteKovaBudgetLine");
    ShowCheck(chkDeleteTask, "DeleteKovaMSPTask");
    ShowCheck(ChkDeleteKovaCETask, "DeleteMSPCETask");
    chkSort.SetValue(GetSortTasksOnCECode() ? vbChecked : vbUnchecked);
    Err().Clear();

    int32_t ownership = 0;
    if (ReadLong("OwnershipChBSAndBudgQty", ownership)) {
        cmbOwnership.Clear();
        if (ownership == 1 || ownership == 4) {
            cmbOwnership.AddItem(kKova);
            cmbOwnership.AddItem(kTransferToMsP);
            cmbOwnership.SetListIndex(ownership == 1 ? 0 : 1);
        } else if (ownership == 2 || ownership == 3) {
            cmbOwnership.AddItem(kMsP);
            cmbOwnership.AddItem(kTransferToKova);
            cmbOwnership.SetListIndex(ownership == 2 ? 0 : 1);
        }
    }
    ShowText(txtDescription, "KovaProjectDescription");
    ShowDate(txtStartDate, "KovaProjectStartDate");
    ShowDate(txtFinishDate, "KovaProjectFinishDate");
    ShowText(txtPlan, "KovaProjectPlan");
    ShowText(txtConnectionNode, "KovaConnectionNode");
    ShowText(txtKovaBaseline, "KovaBaseline");
}

void frmConnectionDetail::ShowFrameOfTab(int tab) {
    if (tab != 2 && tab != 3) tab = 1;
    fraConnection.Visible = tab == 1;
    fraResource.Visible = tab == 2;
    fraBudgetSchedule.Visible = tab == 3;
}

void frmConnectionDetail::tsrConnectionDetails_Click() {
    ShowFrameOfTab(tsrConnectionDetails.SelectedIndex());
}

void frmConnectionDetail::cmbOwnership_GotFocus() {
    if (int32_t code = OwnershipCode(cmbOwnership.Text())) rememberedOwnership_ = code;
}

void frmConnectionDetail::cboAvailabilityType_Validate(bool& Cancel) {
    if (cboAvailabilityType.ListIndex() == -1) {
        int match = cboAvailabilityType.FindEntry(cboAvailabilityType.Text());
        if (match >= 0) cboAvailabilityType.SetListIndex(match);
    }
    if (cboAvailabilityType.ListIndex() == -1 && !cboAvailabilityType.Text().empty()) {
        MsgBox("Select an existing Availability Type", vbOKOnly, kProgramTitle);
        Cancel = true;
    }
}

void frmConnectionDetail::cmdOK_Click() {
    // The ownership is read from the text alone; a typed text that names none is refused rather than
    // taken for the ERP's, which would record a transfer nobody was asked about.
    const int32_t chosen = OwnershipCode(cmbOwnership.Text());
    if (chosen == 0) {
        MsgBox(kOwnershipNotInList, vbOKOnly + vbExclamation, kMessageTitle);
        return;
    }

    const int32_t from = rememberedOwnership_;
    std::string question;
    if ((from == 1 && chosen == 4) || (from == 3 && chosen == 2)) {
        question = std::string("Changes to ChBS and Budget Line quantities in Kova ") +
                   "will be lost upon synchronization since the ownership is being " + "transferred to MsP " +
                   kCRLF + kCRLF + "This action will cause buttons for insertion and modification of " +
                   "ChBS to be enabled " + kCRLF + kCRLF + "Continue with Save ?";
    } else if ((from == 2 && chosen == 3) || (from == 4 && chosen == 1)) {
        question = std::string("Changes to ChBS and Budget Line quantities in MsP ") +
                   "will be lost upon synchronization since the ownership is being " +
                   "transferred to Kova " + kCRLF + kCRLF +
                   "This action will cause buttons for insertion and modification of " +
                   "ChBS to be disabled " + kCRLF + kCRLF + "Continue with Save ?";
    }
    if (!question.empty() && MsgBox(question, vbOKCancel, kMessageTitle) == vbCancel) return;

    for (size_t i = 0; i < kResourceEntries.size(); ++i) {
        SaveFlag(kResourceEntries[i].property, lstResourceType.Selected(static_cast<int>(i)));
        Err().Clear();
    }
    WriteDocumentProperty("KovaScheduleBase", Variant(static_cast<int32_t>(cboDateType.ListIndex() + 1)));
    WriteDocumentProperty("KovaAvailabilityType", Variant(cboAvailabilityType.Text()));
    SaveFlag("KovaMatBudgLnAsSubTask", optMatSubTask.Value());
    SaveFlag("KovaLabBudgLnAsSubTask", optLabSubTask.Value());
    SaveFlag("KovaEqpBudgLnAsSubTask", optEqpSubTask.Value());
    SaveFlag("KovaSubBudgLnAsSubTask", optSubSubTask.Value());
    SaveFlag("KovaSunBudgLnAsSubTask", optSunSubTask.Value());
    SaveFlag("KovaTransferChargeStructure", chkCreateTask.Value() == vbChecked);
    SaveFlag("DeleteKovaBudgetLine", chkDeleteBudgetLines.Value() == vbChecked);
    SaveFlag("DeleteKovaMSPTask", chkDeleteTask.Value() == vbChecked);
    SaveFlag("DeleteMSPCETask", ChkDeleteKovaCETask.Value() == vbChecked);
    SaveFlag("SortTasksOnCECode", chkSort.Value() == vbChecked);
    if (int32_t code = OwnershipCode(cmbOwnership.Text()))
        WriteDocumentProperty("OwnershipChBSAndBudgQty", Variant(code));

    UpdateCommandBarState();
    Err().Clear();
    Unload();
}

void frmConnectionDetail::cmdCancel_Click() {
    Unload();
}

} // namespace Grantry
