#include "integration/chargestructure/frmKovaChargeElements.h"

#include <vector>

#include "dataobjects/KovaConnection.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElementEditing.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/StandardChargeElements.h"
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/ObsElementRecord.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace os = platform::os;
using automation::Err;
using automation::Variant;
using KovaDataObjects::Trim;
using namespace platform::forms;

namespace {

constexpr char kCRLF[] = "\r\n";
// The ERP client's automation server: created only to learn whether the ERP can be reached.
constexpr char kKovaClientClass[] = "Kova.Application";
// The type change refusal has always carried this spelling of the title.
constexpr char kTypeChangeTitle[] = "KovaProject - MSProject Integration";

const std::string kOfflineMessage =
    std::string("Connection could not  be established ") + " with kova, However ChBS can be constructed offline ";
const std::string kNetworkQuestion = "Are you connected to your network?";
const std::string kVerifyingStatus = "Verifying the network connection...";
const std::string kNoNetworkMessage = std::string("A valid network connection was not found.") + kCRLF + kCRLF +
                                      "You can however  " + "continue to work off-line";
const std::string kTransferringStatus = "Transferring Standard Charge Elements...";
const std::string kNoStandardElementsMessage =
    std::string("The Standard Charge Elements for the selected  company were not found.") + kCRLF + kCRLF +
    "Please use the TransferSCE option when connected to the network for retrieving the same.";
const std::string kNoMilestoneChangeMessage =
    std::string("The Charge BreakDown structure is already present in Kova. ") + kCRLF +
    "Hence, Charge Element Type cannot be changed to Milestone.";
const std::string kCancelQuestion = "Are you sure you want to Cancel the operation?";

std::string MissingFileQuestion(const std::string& company) {
    return "Standard Charge Elements for Company " + company + " have not yet been transferred from Kova." +
           kCRLF + kCRLF + "Do you want to transfer them now?";
}

msp::Task ActiveTask() {
    msp::Task task = MSProjectApplication ? MSProjectApplication->ActiveCell().Task() : msp::Task();
    Err().Clear();
    return task;
}

msp::CustomDocumentProperties PlanProperties() {
    return MSProjectApplication->ActiveProject().CustomDocumentProperties();
}

// A property of the plan as text; false (the error state cleared) when it cannot be read.
bool PropertyText(const char* name, std::string& text) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    text = automation::CStr(value);
    const bool ok = Err().Number == 0;
    Err().Clear();
    return ok;
}

bool IsCostAccount(const std::string& typeText) {
    std::string trimmed = Trim(typeText);
    for (char& c : trimmed)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return trimmed == "project cost account";
}

// The OBS elements of the plan's file, "code: description", up to the first code holding ".". A record
// that is not text is left out; the first such record's number goes to `damaged`.
std::vector<std::pair<std::string, std::string>> ReadObsElements(int32_t* damaged = nullptr) {
    std::vector<std::pair<std::string, std::string>> elements;
    const std::string path = GetObsFilePath();
    Err().Clear();
    os::RandomFile file;
    if (path.empty() || !file.Open(path, ObsElementRecord::kLength, os::RandomAccess::Read)) {
        Err().Clear();
        return elements;
    }
    os::FixedRecord record(ObsElementRecord::kLength);
    for (int32_t number = 1; !file.Eof() && file.Get(record); ++number) {
        const std::string code = Trim(record.Text(ObsElementRecord::Code));
        if (code.find('.') != std::string::npos) break;
        if (!IsTextRecord(record.Bytes())) {
            if (damaged && *damaged == 0) *damaged = number;
            continue;
        }
        elements.emplace_back(code, Trim(record.Text(ObsElementRecord::Description)));
    }
    file.Close();
    Err().Clear();
    return elements;
}

// A milestone at level 1 without a parent code stands alone. One at level 1 with a parent code is the
// top element's milestone beside it, and keeps its parent.
bool IsStandAlonePlace(const msp::Task& task) {
    const bool standAlone = task.OutlineLevel() == 1 && Trim(task.Text15()).empty();
    Err().Clear();
    return standAlone;
}

} // namespace

frmKovaChargeElements::frmKovaChargeElements() : Form("frmKovaChargeElements", "Kova Charge Element Details") {
    fraChargeElement.Caption = "Charge Element";
    lblChargeElementID.Caption = "Charge Element ID";
    lblChargeElementDesc.Caption = "Charge Element Description";
    lblChargeElementType.Caption = "Charge Element Type";
    for (const ChargeElementType& type : ChargeElementTypes())
        cmbChargeElementType.AddItem(type.name);
    cmbChargeElementType.SetText(kWorkPackage);
    lblParentChargeElement.Caption = "Parent Charge Element ID";
    txtParentChargeElement.Enabled = false;
    lblOBSElement.Caption = "OBS Element";
    chkDerive.Caption = "Derive from Standard Charge Element of Company";
    txtCompanyNumber.Enabled = false;
    cmbStandardChargeElement.Enabled = false;
    chkStandalone.Caption = "Treat as Standalone Milestone";
    chkStandalone.Enabled = false;
    cmdOK.Caption = "&OK";
    cmdCancel.Caption = "&Cancel";
    sbrKovaChargeElements.Style = sbrSimple;

    chkDerive.Click = [this] { chkDerive_Click(); };
    cmbStandardChargeElement.GotFocus = [this] { cmbStandardChargeElement_GotFocus(); };
    cmbStandardChargeElement.Click = [this] { cmbStandardChargeElement_Click(); };
    cmbStandardChargeElement.LostFocus = [this] { cmbStandardChargeElement_LostFocus(); };
    chkStandalone.Click = [this] { chkStandalone_Click(); };
    cmbChargeElementType.Click = [this] { cmbChargeElementType_Click(); };
    cmbChargeElementType.LostFocus = [this] { cmbChargeElementType_LostFocus(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmKovaChargeElements::SetStatus(const std::string& text) {
    sbrKovaChargeElements.SimpleText = text;
    sbrKovaChargeElements.Refresh();
}

// The parent's code; for a parent element still waiting for its code, the standard element it is
// derived from.
void frmKovaChargeElements::ShowParent() {
    msp::Task task = ActiveTask();
    msp::Task parent = task ? task.OutlineParent() : msp::Task();
    Err().Clear();
    if (!parent) return;
    std::string text = parent.Text1();
    if (text.empty() && parent.Flag3()) text = kStandAloneParentPrefix + parent.Text9();
    Err().Clear();
    txtParentChargeElement.SetText(text);
}

void frmKovaChargeElements::Form_Load() {
    ShowParent();
    GetOBSElementsfromFile();
}

void frmKovaChargeElements::GetOBSElementsfromFile() {
    int32_t damaged = 0;
    for (const auto& [code, description] : ReadObsElements(&damaged))
        cmbOBSElements.AddItem(code + ": " + description);
    if (damaged != 0)
        MsgBox(DamagedSideFileText(GetObsFilePath(), damaged), vbOKOnly + vbExclamation, kMessageTitle);
}

void frmKovaChargeElements::Form_Activate() {
    if (!MSProjectApplication) return;
    Err().Clear();
    PlanProperties().Item("OBSCode");
    if (Err().Number != 0) {
        Err().Clear();
        PlanProperties().Add("OBSCode", false, kPropertyText, Variant(std::string()));
    }
    Err().Clear();

    msp::Task task = ActiveTask();
    if (!task) return;
    if (Tag == kModifyChargeElementTag) {
        txtParentChargeElement.SetText(task.Text15());
        chkDerive.SetValue(task.Text9().empty() ? vbUnchecked : vbChecked);
        Err().Clear();
        cmbStandardChargeElement.SetText(task.Text9());
        cmbChargeElementType.SetText(task.Text10());
        cmbOBSElements.Enabled = IsCostAccount(cmbChargeElementType.Text());
        std::string obs;
        const std::string obsCode = Trim(task.Text12());
        for (const auto& [code, description] : ReadObsElements())
            if (code == obsCode) {
                obs = code + ": " + description;
                break;
            }
        cmbOBSElements.SetText(obs);
        txtChargeElementID.SetText(task.Text1());
        txtChargeElementDesc.SetText(task.Name());
        Err().Clear();
    }

    if (cmbChargeElementType.Text() == kMilestone) {
        if (IsStandAlonePlace(task)) {
            // A stand-alone milestone stays one.
            cmbChargeElementType.Clear();
            cmbChargeElementType.AddItem(kMilestone);
            cmbChargeElementType.SetListIndex(0);
            chkStandalone.SetValue(vbChecked);
        } else {
            chkStandalone.Enabled = true;
            chkStandalone.SetValue(vbUnchecked);
        }
    }
    Err().Clear();

    if (task.Flag2()) {
        chkDerive.Enabled = false;
        cmbStandardChargeElement.Enabled = false;
        txtChargeElementID.Enabled = false;
    }
    Err().Clear();
}

void frmKovaChargeElements::chkDerive_Click() {
    if (chkDerive.Value() != vbChecked) {
        cmbStandardChargeElement.Clear();
        cmbStandardChargeElement.Enabled = false;
        txtCompanyNumber.SetText("");
        return;
    }
    Err().Clear();
    Variant company;
    int32_t number = 0;
    bool haveCompany = ReadDocumentProperty("KovaCompany", company);
    if (haveCompany) {
        number = automation::CLng(company);
        haveCompany = Err().Number == 0;
    }
    Err().Clear();
    if (haveCompany) {
        txtCompanyNumber.SetText(std::to_string(number));
    } else {
        connectionValid_ = CheckConnectionValid();
        if (connectionValid_) {
            if (Err().Number != 0) {
                MsgBox(kOfflineMessage, vbOKOnly + vbCritical, kMessageTitle);
                Err().Clear();
            } else {
                if (!CurrentConnection) {
                    if (!OpenKovaConnection()) return;
                    if (!CheckKovaRelease()) return;
                }
                Err().Clear();
                CurrentConnection->getConnectorProperties(BOIConnector);
                Err().Clear();
                txtCompanyNumber.SetText(std::to_string(CurrentConnection->CompanyNumber));
            }
        }
    }
    cmbStandardChargeElement.Enabled = true;
    msp::Task task = ActiveTask();
    if (task) cmbStandardChargeElement.SetText(task.Text9());
    Err().Clear();
}

bool frmKovaChargeElements::CheckConnectionValid() {
    if (MsgBox(kNetworkQuestion, vbYesNo + vbQuestion, kMessageTitle) == vbNo) return false;
    SetStatus(kVerifyingStatus);
    Err().Clear();
    automation::Object probe = automation::CreateObject(kKovaClientClass);
    const bool reached = Err().Number == 0 && !probe.IsNothing();
    probe.Release();
    SetStatus("");
    if (reached) return true;
    Err().Clear();
    MsgBox(kNoNetworkMessage, vbOKOnly + vbExclamation, kMessageTitle);
    return false;
}

void frmKovaChargeElements::GetStandardChargeElementsFromFile() {
    const std::string company = txtCompanyNumber.Text();
    const std::string path = GetStandardChargeElementsFilePath(company);
    Err().Clear();
    if (!os::FileExists(path)) {
        Err().Clear();
        if (MsgBox(MissingFileQuestion(company), vbYesNo + vbQuestion, kMessageTitle) == vbNo) return;
        SetStatus(kTransferringStatus);
        TransferStandardChargeElements(company);
        SetStatus("");
    }
    Err().Clear();
    cmbStandardChargeElement.Clear();
    for (const std::string& entry : ReadStandardChargeElementEntries(path))
        cmbStandardChargeElement.AddItem(entry);
    if (cmbStandardChargeElement.ListCount() == 0) {
        MsgBox(kNoStandardElementsMessage, vbOKOnly + vbExclamation, kMessageTitle);
        cmbChargeElementType.SetFocus();
    }
    Err().Clear();
}

void frmKovaChargeElements::cmbStandardChargeElement_GotFocus() {
    if (txtCompanyNumber.Text().empty()) {
        cmbChargeElementType.SetFocus();
        Err().Clear();
        return;
    }
    GetStandardChargeElementsFromFile();
}

void frmKovaChargeElements::cmbStandardChargeElement_Click() {
    if (cmbStandardChargeElement.ListIndex() < 0) return;
    const std::string entry = cmbStandardChargeElement.Text();
    const size_t first = entry.find('.');
    const std::string abbreviation = entry.substr(0, first);
    const size_t second = first == std::string::npos ? std::string::npos : entry.find('.', first + 1);
    const std::string description = second == std::string::npos ? std::string() : Trim(entry.substr(second + 1));
    if (cmbChargeElementType.ListCount() == 1) {
        cmbChargeElementType.SetListIndex(0);
    } else {
        for (const ChargeElementType& type : ChargeElementTypes())
            if (abbreviation == type.abbreviation) cmbChargeElementType.SetListIndex(type.code - 1);
    }
    txtChargeElementDesc.SetText(description);
    Err().Clear();
}

void frmKovaChargeElements::cmbStandardChargeElement_LostFocus() {
    if (cmbStandardChargeElement.ListIndex() < 0) cmbStandardChargeElement.SetText("");
    if (Trim(cmbStandardChargeElement.Text()).size() >= 2) return;
    msp::Task task = ActiveTask();
    const std::string reference = task && Tag == kModifyChargeElementTag ? task.Text9() : std::string();
    Err().Clear();
    if (!reference.empty()) {
        chkDerive.SetValue(vbChecked);
        cmbStandardChargeElement.SetText(reference);
    } else {
        chkDerive.SetValue(vbUnchecked);
        cmbStandardChargeElement.Enabled = false;
        txtCompanyNumber.SetText("");
    }
    cmbChargeElementType.SetFocus();
    Err().Clear();
}

void frmKovaChargeElements::chkStandalone_Click() {
    if (chkStandalone.Value() == vbChecked)
        txtParentChargeElement.SetText("");
    else
        ShowParent();
}

void frmKovaChargeElements::cmbChargeElementType_Click() {
    std::string project;
    const bool knownToKova =
        Tag == kModifyChargeElementTag && PropertyText("KovaProject", project) && !project.empty();
    msp::Task task = ActiveTask();
    if (cmbChargeElementType.Text() != kMilestone) {
        chkStandalone.SetValue(vbUnchecked);
        chkStandalone.Enabled = false;
        return;
    }
    if (knownToKova) {
        const std::string current = task ? Trim(task.Text10()) : std::string();
        Err().Clear();
        if (Trim(cmbChargeElementType.Text()) != current) {
            MsgBox(kNoMilestoneChangeMessage, vbOKOnly + vbCritical, kTypeChangeTitle);
            cmbChargeElementType.SetText(task ? task.Text10() : std::string());
        }
    } else if (Tag == kNewChargeElementTag) {
        if (IsChargeStructureEmpty()) {
            chkStandalone.SetValue(vbChecked);
            chkStandalone.Enabled = false;
        } else {
            chkStandalone.Enabled = true;
            chkStandalone.SetFocus();
        }
    } else if (Tag == kModifyChargeElementTag) {
        if (task && IsStandAlonePlace(task)) {
            chkStandalone.SetValue(vbChecked);
            chkStandalone.Enabled = false;
        } else {
            chkStandalone.Enabled = true;
            chkStandalone.SetFocus();
        }
    }
    Err().Clear();
}

void frmKovaChargeElements::cmbChargeElementType_LostFocus() {
    std::string obsCode;
    if (IsCostAccount(cmbChargeElementType.Text()) && PropertyText("OBSCode", obsCode) && !obsCode.empty()) {
        cmbOBSElements.Enabled = true;
        return;
    }
    cmbOBSElements.Enabled = false;
    cmbOBSElements.SetText("");
}

void frmKovaChargeElements::cmdOK_Click() {
    const std::string standard = cmbStandardChargeElement.Text();
    const std::string type = cmbChargeElementType.Text();
    const std::string code = txtChargeElementID.Text();
    const std::string description = txtChargeElementDesc.Text();
    bool standAlone = chkStandalone.Value() != vbUnchecked;
    const bool valid = ValidateChargeElement(standard, type, code, description, standAlone, Tag);
    Err().Clear();

    if (valid) {
        bool standAloneNote = false;
        if (chkStandalone.Value() == vbChecked && type == kMilestone) {
            msp::Task task = ActiveTask();
            ModifyChargeElementTask(Tag, task);
            standAloneNote = true;
        }
        const std::string parentCode = Trim(txtParentChargeElement.Text());
        const std::string obsText = cmbOBSElements.Text();
        const size_t colon = obsText.find(':');
        const std::string obsCode = colon == std::string::npos || colon == 0 ? std::string() : obsText.substr(0, colon);
        InsertChargeElementTask(description, code, standard, type, parentCode, standAloneNote, obsCode);
        Err().Clear();
    } else if (Tag == kModifyChargeElementTag) {
        msp::Task task = ActiveTask();
        if (task) {
            chkDerive.SetValue(task.Text9().empty() ? vbUnchecked : vbChecked);
            if (task.Text9().empty()) cmbStandardChargeElement.Enabled = false;
            cmbStandardChargeElement.SetText(task.Text9());
            cmbChargeElementType.SetText(task.Text10());
            cmbOBSElements.SetText(task.Text12());
            txtChargeElementID.SetText(task.Text1());
            txtChargeElementDesc.SetText(task.Name());
            if (task.Text10() != kMilestone) {
                chkStandalone.SetValue(vbUnchecked);
                chkStandalone.Enabled = false;
            }
        }
        Err().Clear();
    }

    // An element derived from a standard one needs to know the company whose catalogue it came from.
    msp::Task task = ActiveTask();
    if (task && !task.Text9().empty() && MSProjectApplication) {
        PlanProperties().Item("KovaCompany");
        const bool present = Err().Number == 0;
        Err().Clear();
        int32_t company = 0;
        if (!present && CurrentConnection) {
            CurrentConnection->getConnectorProperties(BOIConnector);
            company = Err().Number == 0 ? CurrentConnection->CompanyNumber : 0;
        }
        Err().Clear();
        if (!present) PlanProperties().Add("KovaCompany", false, kPropertyNumber, Variant(company));
    }
    Err().Clear();
    if (valid) Unload();
}

void frmKovaChargeElements::cmdCancel_Click() {
    if (MsgBox(kCancelQuestion, vbYesNo + vbQuestion, kMessageTitle) != vbYes) return;
    if (Tag == kNewChargeElementTag) {
        msp::Task placeholder = ActiveTask();
        if (placeholder) placeholder.Delete();
        Err().Clear();
    }
    Unload();
}

void InstallChargeElementDialog() {
    ChargeElementEditingHooks& hooks = ChargeElementEditing();
    hooks.isChargeStructureEmpty = IsChargeStructureEmpty;
    hooks.isChargeStructurePresent = IsChargeStructurePresent;
    hooks.showDialog = [](const std::string& tag) {
        frmKovaChargeElements& dialog = DefaultInstance<frmKovaChargeElements>();
        // A new element's mode is known before the form loads; a change's is set once it loaded.
        if (tag == kNewChargeElementTag) dialog.Tag = tag;
        dialog.Load();
        dialog.Tag = tag;
        dialog.Show(vbModal);
        if (IsFormLoaded<frmKovaChargeElements>()) UnloadForm<frmKovaChargeElements>();
    };
}

} // namespace Grantry
