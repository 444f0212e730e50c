#pragma once
// The charge-element dialog: the user enters a new charge element, or changes one, on the task of the
// active cell that the insert or modify command selected. Its Tag holds the mode ("NewChargeElement",
// "ModifyChargeElement"), read when the dialog is activated. It offers the company's standard charge
// elements from their file (fetched from the ERP on request), the project's OBS elements from the
// plan's ".obs" file and the stand-alone-milestone choice; OK validates and stores the entry, Cancel of
// a new one deletes its placeholder task.
#include <string>

#include "platform/forms/Form.h"

namespace Grantry {

inline constexpr char kStandAloneParentPrefix[] = "To be derived from : ";

class frmKovaChargeElements : public platform::forms::Form {
public:
    frmKovaChargeElements();

    // Fills the standard-element list from the file of the company in txtCompanyNumber; a missing
    // file can be fetched from the ERP first.
    void GetStandardChargeElementsFromFile();
    // Asks whether the user is on the network and, if so, whether the ERP client can be reached.
    bool CheckConnectionValid();
    // Fills the OBS list from the plan's ".obs" file.
    void GetOBSElementsfromFile();

    // --- controls, in tab order -------------------------------------------------------------------
    platform::forms::Frame fraChargeElement{*this, "fraChargeElement"};
    platform::forms::Label lblChargeElementID{*this, "lblChargeElementID", &fraChargeElement};
    platform::forms::TextBox txtChargeElementID{*this, "txtChargeElementID", &fraChargeElement};
    platform::forms::Label lblChargeElementDesc{*this, "lblChargeElementDesc", &fraChargeElement};
    platform::forms::TextBox txtChargeElementDesc{*this, "txtChargeElementDesc", &fraChargeElement};
    platform::forms::Label lblChargeElementType{*this, "lblChargeElementType", &fraChargeElement};
    platform::forms::ComboBox cmbChargeElementType{*this, "cmbChargeElementType", &fraChargeElement};
    platform::forms::Label lblParentChargeElement{*this, "lblParentChargeElement", &fraChargeElement};
    platform::forms::TextBox txtParentChargeElement{*this, "txtParentChargeElement", &fraChargeElement};
    platform::forms::Label lblOBSElement{*this, "lblOBSElement", &fraChargeElement};
    platform::forms::ComboBox cmbOBSElements{*this, "cmbOBSElements", &fraChargeElement};
    platform::forms::CheckBox chkDerive{*this, "chkDerive", &fraChargeElement};
    platform::forms::TextBox txtCompanyNumber{*this, "txtCompanyNumber", &fraChargeElement};
    platform::forms::ComboBox cmbStandardChargeElement{*this, "cmbStandardChargeElement", &fraChargeElement};
    platform::forms::CheckBox chkStandalone{*this, "chkStandalone", &fraChargeElement};
    platform::forms::CommandButton cmdOK{*this, "cmdOK"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};
    platform::forms::StatusBar sbrKovaChargeElements{*this, "sbrKovaChargeElements"};

private:
    void Form_Load() override;
    void Form_Activate() override;
    void chkDerive_Click();
    void cmbStandardChargeElement_GotFocus();
    void cmbStandardChargeElement_Click();
    void cmbStandardChargeElement_LostFocus();
    void chkStandalone_Click();
    void cmbChargeElementType_Click();
    void cmbChargeElementType_LostFocus();
    void cmdOK_Click();
    void cmdCancel_Click();

    void ShowParent();
    void SetStatus(const std::string& text);

    bool connectionValid_ = false; // the last answer of CheckConnectionValid
};

// Fills the insert and modify commands' seams: this dialog and the queries on the plan's structure.
void InstallChargeElementDialog();

} // namespace Grantry
