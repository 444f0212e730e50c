#include "integration/chargestructure/frmChargeElement.h"
#include "integration/core/CommandFrame.h"

#include "dataobjects/KovaProjectData.h"
#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

using namespace platform::forms;
using platform::automation::Err;
using platform::automation::ErrObject;

namespace {

constexpr char kCRLF[] = "\r\n";
// The milestone refusal has always carried this spelling of the title.
constexpr char kMilestoneTitle[] = "Kova Project - MsProject integration";

} // namespace

frmChargeElement::frmChargeElement() : Form("frmChargeElement", "Connection Node") {
    treChargeElements.ToolTipText = "Click on a node and then press OK to set the Connection Node";
    // One image per charge-element type, in type order: a node's image is its type number.
    for (const char* type : {"WBS", "PCA", "PP", "WP", "Mil"})
        imgCE.Add(type);
    treChargeElements.Images = &imgCE;
    cmdOK.Caption = "&Ok";
    cmdCancel.Caption = "&Cancel";
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmChargeElement::cmdOK_Click() {
    Node* node = treChargeElements.SelectedItem();
    if (!node) {
        MsgBox("No Charge Element Selected", vbOKOnly + vbExclamation, kMessageTitle);
        return;
    }
    if (node->Tag.size() >= 2 && node->Tag[1] == '5') {
        MsgBox(std::string("The selection made is a Milestone") + kCRLF + kCRLF +
                   "Please select a Charge Element for the Connection Node",
               vbOKOnly + vbExclamation, kMilestoneTitle);
        return;
    }
    SetConnectionNode();
}

void frmChargeElement::SetConnectionNode() {
    Node* node = treChargeElements.SelectedItem();
    if (!node) return;
    const std::string code = node->Text.substr(0, node->Text.find('.'));
    if (!node->Tag.empty() && node->Tag[0] == '1') {
        if (MsgBox(std::string("Connect MsProject to Charge Element") + kCRLF + kCRLF + code,
                   vbOKCancel + vbQuestion, kMessageTitle) == vbOK) {
            if (ConnectionNodeChosen) ConnectionNodeChosen(code);
            Unload();
        }
        return;
    }
    MsgBox("A Connection cannot be made to the selected Charge Element : " + code + kCRLF + kCRLF +
               "Please check if any External Schedule links already exist for this project",
           vbOKOnly + vbCritical, kMessageTitle);
}

void frmChargeElement::cmdCancel_Click() {
    Unload();
}

Node* AddChargeElementNode(const std::string& code, const std::string& description, bool standAlone,
                           const std::string& parent, TreeView& tree) {
    NodeCollection& nodes = tree.Nodes();
    const std::string key = "E." + code + ".";
    const std::string text = code + "." + ":" + description;
    Node* node = nullptr;
    if (standAlone) {
        if (Node* first = nodes.Count() > 0 ? nodes.Item(1) : nullptr)
            node = nodes.Add(first, tvwLast, key, text);
    } else if (parent.empty()) {
        node = nodes.Add("", tvwFirst, key, text);
    } else {
        node = nodes.Add("E." + parent + ".", tvwChild, key, text);
    }
    // An element whose parent is not in the tree (or a duplicate) is left out quietly.
    if (!node) Err().Clear();
    return node;
}

void FillChargeElementTree(TreeView& tree) {
    if (tree.Nodes().Count() > 0) return;
    if (!CurrentProjectData) {
        PrintLog("NO CHBS not present for the Project: : Plan : ");
        return;
    }
    KovaDataObjects::KovaProjectData& data = *CurrentProjectData;
    data.getChBSFromKova(BOIConnector, "");
    if (Err().Number != 0) {
        PrintLog("NO CHBS not present for the Project: " + data.ProjectCode + ": Plan : " + data.Plan);
        Err().Clear();
        return;
    }
    if (!data.ChargeElements) return;
    for (bool standAlonePass : {false, true}) {
        for (const auto& element : *data.ChargeElements) {
            if (!element || element->StandAlone != standAlonePass) continue;
            Node* node = AddChargeElementNode(element->CECode, element->CEDescription, element->StandAlone,
                                              element->CEParent, tree);
            if (!node) continue;
            node->Image = element->CEType;
            node->Tag = std::string(element->Connectable ? "1" : "0") + std::to_string(element->CEType);
        }
    }
}

} // namespace Grantry
