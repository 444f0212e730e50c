#pragma once
// The installer's progress window. It has no code of its own: the install run sets the bar and
// repaints the window after each step.
#include "platform/forms/Form.h"

namespace Tolvane {

class frmStatus : public platform::forms::Form {
public:
    frmStatus();

    platform::forms::ProgressBar ProgressBar1{*this, "ProgressBar1"};
    platform::forms::Label Label1{*this, "Label1"};
};

} // namespace Tolvane
