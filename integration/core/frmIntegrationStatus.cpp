#include "integration/core/frmIntegrationStatus.h"

#include "integration/core/GlobalDeclarations.h"

namespace Grantry {

frmIntegrationStatus::frmIntegrationStatus() : Form("frmIntegrationStatus", kMessageTitle) {}

} // namespace Grantry
