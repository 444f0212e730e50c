#include "integration/core/frmLoginDetails.h"

#include "integration/core/AboutUpdate.h"

namespace Grantry {

using namespace platform::forms;

frmLoginDetails::frmLoginDetails() : Form("frmLoginDetails", "Account Details") {
    lblLoginName.Caption = "User Name";
    lblLoginPW.Caption = "Password";
    txtLoginPW.PasswordChar = "*";
    lblLoginDomain.Caption = "Domain";
    cmdOK.Caption = "OK";
    cmdCancel.Caption = "Cancel";

    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    txtLoginDomain.KeyPress = [this](int16_t& KeyAscii) { txtLoginDomain_KeyPress(KeyAscii); };
}

void frmLoginDetails::Form_Load() {
    lblExplain.Caption =
        "To connect to " + UpdateServerAddress() +
        " your account information is needed. Please enter your user name, Password and Domain";
}

void frmLoginDetails::cmdOK_Click() {
    LoginConfirmed = true;
    LoginUserName = txtLoginName.Text();
    LoginPassword = txtLoginPW.Text();
    LoginDomain = txtLoginDomain.Text();
    Hide();
    Unload();
}

void frmLoginDetails::cmdCancel_Click() {
    LoginConfirmed = false;
    Hide();
    Unload();
}

// Closing the window is a Cancel: otherwise the confirmation of an earlier check would still stand
// and the check would run with that earlier account.
void frmLoginDetails::Form_QueryUnload(int16_t&, int16_t UnloadMode) {
    if (UnloadMode == vbFormControlMenu) LoginConfirmed = false;
}

// The typed password does not stay in the discarded dialog.
void frmLoginDetails::Form_Unload(int16_t&) {
    txtLoginPW.SetText({});
}

void frmLoginDetails::txtLoginDomain_KeyPress(int16_t& KeyAscii) {
    if (KeyAscii != vbKeyReturn) return;
    KeyAscii = 0;
    cmdOK_Click();
}

} // namespace Grantry
