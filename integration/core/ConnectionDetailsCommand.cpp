// The connection-details command: the plan's integration options in a dialog, no log written and the
// plan not saved.
#include "integration/core/ConnectionDetailsCommand.h"

#include <memory>

#include "dataobjects/KovaProjectData.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"

namespace Grantry {

std::function<void()> ShowConnectionDetailsDialog;

void KovaMSP::ConnectionDetails() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    // The open plan is asked for first: without one the company check would refuse with its own
    // message and the user would never learn that a plan is missing.
    if (!RequireOpenPlan() || !RequireSavablePlan()) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!OpenKovaConnection() || !CheckProjectCompany()) return ReleaseCommandObjects();
    LoadProjectDataFromProperties();
    platform::automation::Err().Clear();
    if (ShowConnectionDetailsDialog) ShowConnectionDetailsDialog();
    ReleaseCommandObjects();
}

} // namespace Grantry
