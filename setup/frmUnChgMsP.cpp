#include "setup/frmUnChgMsP.h"

#include "platform/forms/MsgBox.h"
#include "setup/Dremica.h"

namespace Dremica {

namespace forms = platform::forms;

frmUnChgMsP::frmUnChgMsP() : Form("frmUnChgMsP", "Uninstall Changes to Microsoft Project Global Template") {
    lblInfo.Caption =
        "This application will remove the Kova Integration components from the Microsoft Project Global "
        "Template. To remove the integration application completely, please use \"Add/Remove Software\" from "
        "the Windows Control Panel. If you need to install the Kova Integration components into Microsoft "
        "Project again, then please run the file \"Tolvane.exe\" from the Application directory.";
    cmdContinue.Caption = "Continue...";
    cmdCancel.Caption = "Cancel";
    sbrUninstallStatus.Style = forms::sbrSimple;
    cmdContinue.Click = [this] { cmdContinue_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmUnChgMsP::ShowStatus(const std::string& text) {
    sbrUninstallStatus.SimpleText = text;
    sbrUninstallStatus.Refresh();
}

void frmUnChgMsP::cmdContinue_Click() {
    if (forms::MsgBox(kQuestion, forms::vbYesNo, kTitle) == forms::vbYes) RemoveFromGlobalTemplate(kWithForm);
    Unload();
}

void frmUnChgMsP::cmdCancel_Click() {
    forms::End();
}

} // namespace Dremica
