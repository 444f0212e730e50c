#pragma once
// The uninstaller's window, shown when the program was started by hand; its status bar shows the
// step under way.
#include "platform/forms/Form.h"

namespace Dremica {

class frmUnChgMsP : public platform::forms::Form {
public:
    frmUnChgMsP();

    platform::forms::Label lblInfo{*this, "lblInfo"};
    platform::forms::CommandButton cmdContinue{*this, "cmdContinue"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};
    platform::forms::StatusBar sbrUninstallStatus{*this, "sbrUninstallStatus"};

    // Shows the step and repaints the bar.
    void ShowStatus(const std::string& text);

private:
    void cmdContinue_Click();
    void cmdCancel_Click();
};

} // namespace Dremica
