#include "setup/frmStatus.h"

namespace Tolvane {

frmStatus::frmStatus() : Form("frmStatus", "Installing...") {
    ProgressBar1.Min = 0;
    ProgressBar1.Max = 100;
    Label1.Caption = "Please wait while Installshield is making changes to the Microsoft Project template...";
}

} // namespace Tolvane
