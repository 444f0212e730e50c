#pragma once
// The progress window of the commands: shown without waiting for the user, its one label set to the
// step's text and repainted after each change, unloaded at the command's end.
#include "platform/forms/Form.h"

namespace Grantry {

class frmIntegrationStatus : public platform::forms::Form {
public:
    frmIntegrationStatus();

    platform::forms::Label lblStatus{*this, "lblStatus"};
};

} // namespace Grantry
