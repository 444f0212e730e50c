#include "setup/frmTolvane.h"

#include "platform/forms/MsgBox.h"
#include "setup/Tolvane.h"
#include "setup/frmStatus.h"

namespace Tolvane {

namespace forms = platform::forms;

frmTolvane::frmTolvane() : Form("frmTolvane", "Install Changes to Microsoft Project Global Template") {
    lblInfo.Caption = "This application will add the Kova Integration components to the Microsoft Project "
                      "Global Template. Running the file \"Dremica.exe\" from the Application directory will "
                      "remove all changes caused by this application.";
    cmdContinue.Caption = "Continue...";
    cmdCancel.Caption = "Cancel";
    cmdContinue.Click = [this] { cmdContinue_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmTolvane::cmdContinue_Click() {
    Unload();
    forms::DefaultInstance<frmStatus>().Show(forms::vbModeless);
    bool installed = InstallIntoGlobalTemplate();
    forms::UnloadForm<frmStatus>();
    if (installed)
        forms::MsgBox(kInstalledMessage,
                      forms::vbOKOnly | forms::vbInformation | forms::vbMsgBoxSetForeground, kInstalledTitle);
}

void frmTolvane::cmdCancel_Click() {
    forms::End();
}

} // namespace Tolvane
