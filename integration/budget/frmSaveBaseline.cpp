#include "integration/budget/frmSaveBaseline.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/connect/ProjectDetails.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/SaveBaselineCommand.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

using namespace platform::forms;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

constexpr char kCRLF[] = "\r\n";
// A baseline's status, as the ERP is asked for it and as its list items carry it.
constexpr int16_t kFree = 1;
constexpr int16_t kApproved = 2;
constexpr char kFreeStatus[] = "1";
constexpr char kApprovedStatus[] = "2";
// The ERP's baseline requests: the process and whether the new baseline derives from another.
constexpr int32_t kCreate = 1;
constexpr int32_t kUpdate = 2;
constexpr int32_t kDerived = 1;
constexpr int32_t kNotDerived = 2;
constexpr int kInterimPlans = 10;

constexpr char kNotLeadingMessage[] = "The current connected Plan is not the leading plan";
constexpr char kNotLeadingConsequence[] =
    "You will not be able to save a Baseline for the connected Kova Project from this Plan ";
constexpr char kNoApprovedMessage[] = " No Approved baselines in Kova for the Project : ";
constexpr char kNoApprovedTitle[] = "KovaProject - MS Project Integration";
constexpr char kRetrievingApprovedLine[] = "Retrieving approved Baselines from Kova ... ";
constexpr char kRetrievingFreeLine[] = "Retrieving Baselines from Kova... ";
constexpr char kNoBaselinesLine[] = "No BaseLines retrieved ";
constexpr char kEmptyDescriptionMessage[] = "Cannot leave the Baseline Description Empty";
constexpr char kNoApprovedChosenMessage[] =
    "Please select an Approved Baseline from which the new Baseline must be derived";
constexpr char kNoFreeChosenMessage[] = "Please select a Free Baseline which should be updated";
constexpr char kNoProcessChosenMessage[] = "Please choose to create a new Baseline or update an existing one.";
constexpr char kNotLinkedMessage[] = "The Current Project is not linked to Kova. The connection is made with ";
constexpr char kAbortedLine[] = "The Process of Saving the Baseline is aborted ....";
constexpr char kSynchronizeFirstMessage[] = "Budget/Schedule must be synchronized before saving a Baseline";
constexpr char kSynchronizeFirstChoice[] =
    "Choose OK, if the schedule is already synchronized, to continue with saving the baseline in Kova";
constexpr char kPlanNotSavedMessage[] = "The Microsoft Project file is not saved";
constexpr char kCancelledLine[] = "Process Cancelled ...";

// The characters of a text held as UTF-8.
int CharacterCount(const std::string& text) {
    int count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// The number that a list entry's text begins with (after blanks), 0 when it begins with none.
int32_t LeadingNumber(const std::string& text) {
    size_t at = text.find_first_not_of(' ');
    int64_t number = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && number < INT32_MAX; ++at)
        number = number * 10 + (text[at] - '0');
    return static_cast<int32_t>(std::min<int64_t>(number, INT32_MAX));
}

// The ERP's baselines of one status as list entries, number and description joined by `separator`.
// A failed or empty listing is logged; the error state is left clear.
void FillBaselineList(ComboBox& list, int16_t status, const char* code, const char* separator) {
    KovaDataList baselines = FetchBaselines(status);
    if (Err().Number != 0) {
        PrintLog(Err().Description);
        Err().Clear();
        return;
    }
    if (!baselines) {
        PrintLog(kNoBaselinesLine);
        return;
    }
    for (const auto& baseline : *baselines)
        if (baseline->Code == code)
            list.AddItem(std::to_string(baseline->Number) + separator + baseline->Description);
}

std::string ProjectCode() {
    return CurrentProjectData ? CurrentProjectData->ProjectCode : std::string();
}

} // namespace

frmSaveBaseline::frmSaveBaseline() : Form("frmSaveBaseline", "Save Baseline") {
    fraMSProjectBaseline.Caption = "MS Project Baseline";
    optSaveMSBaseline.Caption = "Save Baseline";
    optSaveInterimPlan.Caption = "Save Interim Plan";
    cboSavePlanInto.Style = ComboBox::vbComboDropdownList;
    for (int n = 1; n <= kInterimPlans; ++n)
        cboSavePlanInto.AddItem("Start" + std::to_string(n) + "/Finish" + std::to_string(n));
    cboSavePlanInto.ToolTipText = "Select the MS Project Interim plan into which the current plan must be saved";
    cboSavePlanInto.SetListIndex(0);
    cboSavePlanInto.Enabled = false;
    fraMSBaselineOptions.Caption = " ";
    lblEntireOrSelectedProject.Caption = "For";
    optEntireProject.Caption = "Entire Project";
    optSelectedTask.Caption = "Selected tasks";
    optSaveMSBaseline.SetValue(true);
    optEntireProject.SetValue(true);

    fraBaseline.Caption = "Kova Baseline";
    chkSaveKovaBaseline.Caption = "Save Baseline";
    chkSaveKovaBaseline.Enabled = false;
    optCreateKovaBaseline.Caption = "Create a new Baseline";
    optCreateKovaBaseline.Enabled = false;
    chkDerivedFrom.Caption = "Derived from Approved Baseline";
    chkDerivedFrom.Enabled = false;
    cboApproved.Style = ComboBox::vbComboDropdownList;
    cboApproved.Enabled = false;
    optUpdateKovaBaseline.Caption = "Update existing Baseline";
    optUpdateKovaBaseline.Enabled = false;
    cboBaseline.Style = ComboBox::vbComboDropdownList;
    cboBaseline.Enabled = false;

    cmdContinue.Caption = "C&ontinue..";
    cmdContinue.Default = true;
    cmdCancel.Caption = "&Cancel";
    cmdCancel.Cancel = true;

    chkSaveKovaBaseline.Click = [this] { chkSaveKovaBaseline_Click(); };
    optCreateKovaBaseline.Click = [this] { optCreateKovaBaseline_Click(); };
    chkDerivedFrom.Click = [this] { chkDerivedFrom_Click(); };
    optUpdateKovaBaseline.Click = [this] { optUpdateKovaBaseline_Click(); };
    optSaveMSBaseline.Click = [this] { optSaveMSBaseline_Click(); };
    optSaveInterimPlan.Click = [this] { optSaveInterimPlan_Click(); };
    txtBaselineDescription.KeyPress = [this](int16_t& KeyAscii) { txtBaselineDescription_KeyPress(KeyAscii); };
    cmdContinue.Click = [this] { cmdContinue_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmSaveBaseline::Form_Load() {
    bool leading = FetchPlanIsLeading();
    if (Err().Number != 0) {
        PrintLog(Err().Description);
        Err().Clear();
        return;
    }
    if (leading) {
        chkSaveKovaBaseline.Enabled = true;
        return;
    }
    MsgBox(std::string(kNotLeadingMessage) + kCRLF + kCRLF + kNotLeadingConsequence, vbOKOnly, kMessageTitle);
}

void frmSaveBaseline::optSaveInterimPlan_Click() {
    cboSavePlanInto.Enabled = true;
}

void frmSaveBaseline::optSaveMSBaseline_Click() {
    cboSavePlanInto.Enabled = false;
}

void frmSaveBaseline::chkSaveKovaBaseline_Click() {
    if (chkSaveKovaBaseline.Value() == vbChecked) {
        optCreateKovaBaseline.Enabled = true;
        if (optCreateKovaBaseline.Value()) {
            txtBaselineDescription.Enabled = true;
            chkDerivedFrom.Enabled = true;
            if (chkDerivedFrom.Value() == vbChecked) cboApproved.Enabled = true;
        }
        optUpdateKovaBaseline.Enabled = true;
        return;
    }
    optCreateKovaBaseline.Enabled = false;
    optUpdateKovaBaseline.Enabled = false;
    txtBaselineDescription.Enabled = false;
    chkDerivedFrom.Enabled = false;
    cboApproved.Enabled = false;
    cboBaseline.Enabled = false;
}

void frmSaveBaseline::optCreateKovaBaseline_Click() {
    if (!optCreateKovaBaseline.Value()) return;
    chkDerivedFrom.Enabled = true;
    cboBaseline.Enabled = false;
    if (cboApproved.ListCount() > 0 && chkDerivedFrom.Value() == vbChecked) cboApproved.Enabled = true;
    txtBaselineDescription.Enabled = true;
}

void frmSaveBaseline::chkDerivedFrom_Click() {
    if (chkDerivedFrom.Value() != vbChecked) return;
    if (cboApproved.ListCount() > 0) {
        cboApproved.Enabled = true;
        cboApproved.SetListIndex(0);
        return;
    }
    PrintLog(kRetrievingApprovedLine);
    FillBaselineList(cboApproved, kApproved, kApprovedStatus, ":");
    if (cboApproved.ListCount() > 0) {
        cboApproved.Enabled = true;
        cboApproved.SetListIndex(0);
        return;
    }
    MsgBox(kNoApprovedMessage + ProjectCode(), vbOKOnly, kNoApprovedTitle);
    chkDerivedFrom.SetValue(vbUnchecked);
}

void frmSaveBaseline::optUpdateKovaBaseline_Click() {
    chkDerivedFrom.Enabled = false;
    cboApproved.Enabled = false;
    if (!optUpdateKovaBaseline.Value()) return;
    if (cboBaseline.ListCount() > 0) {
        cboBaseline.Enabled = true;
        return;
    }
    PrintLog(kRetrievingFreeLine);
    FillBaselineList(cboBaseline, kFree, kFreeStatus, ": ");
    if (cboBaseline.ListCount() > 0) {
        cboBaseline.SetListIndex(0);
        cboBaseline.Enabled = true;
        chkDerivedFrom.Enabled = false;
        cboApproved.Enabled = false;
        txtBaselineDescription.Enabled = false;
        return;
    }
    optUpdateKovaBaseline.Enabled = false;
    cboBaseline.Enabled = false;
}

void frmSaveBaseline::txtBaselineDescription_KeyPress(int16_t& KeyAscii) {
    // Whatever the key, a backspace too: the box takes no more than it holds then.
    if (CharacterCount(txtBaselineDescription.Text()) == kDescriptionLength) KeyAscii = 0;
}

bool frmSaveBaseline::ValidateBaselineInput() {
    auto refuse = [](const char* message, Control& focus) {
        MsgBox(message, vbOKOnly + vbCritical, kMessageTitle);
        focus.SetFocus();
        Err().Clear();
        return false;
    };
    // The options count whether or not the ERP box is ticked.
    if (optCreateKovaBaseline.Value()) {
        if (KovaDataObjects::Trim(txtBaselineDescription.Text()).empty())
            return refuse(kEmptyDescriptionMessage, txtBaselineDescription);
        if (chkDerivedFrom.Value() == vbChecked && KovaDataObjects::Trim(cboApproved.Text()).empty())
            return refuse(kNoApprovedChosenMessage, cboApproved);
        return true;
    }
    if (optUpdateKovaBaseline.Value()) {
        if (KovaDataObjects::Trim(cboBaseline.Text()).empty())
            return refuse(kNoFreeChosenMessage, cboBaseline);
        return true;
    }
    if (chkSaveKovaBaseline.Value() == vbChecked) {
        MsgBox(kNoProcessChosenMessage, vbOKOnly + vbCritical, kMessageTitle);
        return false;
    }
    return true;
}

int32_t frmSaveBaseline::SaveTarget() const {
    if (optSaveMSBaseline.Value()) return 0;
    // With no entry chosen the list still shows its first one, and that is where the plan goes: 0
    // would overwrite the baseline the user did not ask for.
    const int index = cboSavePlanInto.ListIndex();
    return index >= 0 && index < kInterimPlans ? index + 1 : 1;
}

void frmSaveBaseline::cmdContinue_Click() {
    // Checked first, so that a refused press saves no baseline in the plan.
    if (!ValidateBaselineInput()) return;

    Err().Clear();
    MSProjectApplication->BaselineSave(optEntireProject.Value(), 0, SaveTarget());
    if (Err().Number != 0) {
        PrintLog(Err().Description);
        Err().Clear();
    }

    if (chkSaveKovaBaseline.Value() == vbChecked) {
        CurrentProjectData->ESProject = MSProjectApplication->ActiveProject().Name();
        Err().Clear();
        int32_t ownership = CurrentProjectData->determineCHBSOwnership(BOIConnector);
        Err().Clear();
        if (ownership == -1) {
            MsgBox(kNotLinkedMessage + CurrentProjectData->eprj, vbOKOnly + vbCritical, kMessageTitle);
            PrintLog(kAbortedLine);
            Unload();
            return;
        }
        if (MsgBox(std::string(kSynchronizeFirstMessage) + kCRLF + kCRLF + kSynchronizeFirstChoice,
                   vbOKCancel + vbExclamation, kMessageTitle) == vbOK)
            SaveKovaBaseline();
    }

    Err().Clear();
    MSProjectApplication->FileSave();
    Err().Clear();
    bool saved = MSProjectApplication->ActiveProject().Saved();
    Err().Clear();
    if (!saved) MsgBox(kPlanNotSavedMessage, vbOKOnly + vbExclamation, kMessageTitle);
    Unload();
}

void frmSaveBaseline::SaveKovaBaseline() {
    int32_t process = kUpdate, derive = kNotDerived, deriveFrom = 0, toBeUpdated = 0;
    std::string description;
    if (optCreateKovaBaseline.Value()) {
        process = kCreate;
        description = txtBaselineDescription.Text();
        if (chkDerivedFrom.Value() == vbChecked) {
            derive = kDerived;
            const std::string& entry = cboApproved.Text();
            deriveFrom = LeadingNumber(entry.substr(0, entry.find(':')));
        }
    } else {
        toBeUpdated = LeadingNumber(cboBaseline.Text());
    }
    int32_t number = 0;
    CurrentProjectData->saveKovaBaseline(BOIConnector, process, derive, deriveFrom, toBeUpdated, description,
                                         number);
    if (Err().Number != 0) {
        PrintLog(Err().Description);
        Err().Clear();
        return;
    }
    // Recorded for an interim plan too: the property names the ERP baseline saved last, whichever
    // fields of the plan took its dates.
    WriteDocumentProperty("KovaBaseline", Variant(number));
    Err().Clear();
}

void frmSaveBaseline::cmdCancel_Click() {
    Unload();
    PrintLog(kCancelledLine);
}

void InstallSaveBaselineDialog() {
    ShowSaveBaselineDialog = [] {
        DefaultInstance<frmSaveBaseline>().Show(vbModal);
        if (IsFormLoaded<frmSaveBaseline>()) UnloadForm<frmSaveBaseline>();
    };
}

} // namespace Grantry
