#pragma once
// The account dialog of the update check: user name, password and domain for the support server.
#include <cstdint>

#include "platform/forms/Form.h"

namespace Grantry {

class frmLoginDetails : public platform::forms::Form {
public:
    frmLoginDetails();

    platform::forms::Label lblExplain{*this, "lblExplain"};
    platform::forms::Label lblLoginName{*this, "lblLoginName"};
    platform::forms::TextBox txtLoginName{*this, "txtLoginName"};
    platform::forms::Label lblLoginPW{*this, "lblLoginPW"};
    platform::forms::TextBox txtLoginPW{*this, "txtLoginPW"};
    platform::forms::Label lblLoginDomain{*this, "lblLoginDomain"};
    platform::forms::TextBox txtLoginDomain{*this, "txtLoginDomain"};
    platform::forms::CommandButton cmdOK{*this, "cmdOK"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    void Form_Load() override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;
    void Form_Unload(int16_t& Cancel) override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void txtLoginDomain_KeyPress(int16_t& KeyAscii);
};

} // namespace Grantry
