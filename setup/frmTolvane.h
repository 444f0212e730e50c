#pragma once
// The installer's confirmation window, shown when the program was started by hand.
#include "platform/forms/Form.h"

namespace Tolvane {

class frmTolvane : public platform::forms::Form {
public:
    frmTolvane();

    platform::forms::Label lblInfo{*this, "lblInfo"};
    platform::forms::CommandButton cmdContinue{*this, "cmdContinue"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    void cmdContinue_Click();
    void cmdCancel_Click();
};

} // namespace Tolvane
