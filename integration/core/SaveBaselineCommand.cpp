// The save-baseline command: a baseline of the plan and, optionally, of the ERP project, saved through
// the baseline dialog with the plan's log written and offered.
#include "integration/core/SaveBaselineCommand.h"

#include <memory>

#include "dataobjects/KovaProjectData.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"

namespace Grantry {

namespace automation = platform::automation;
using automation::Err;

std::function<void()> ShowSaveBaselineDialog;

void KovaMSP::SaveBaseline() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    // As for the connection details: without a plan the company check would refuse with its own
    // message, and the user would never learn that a plan is missing.
    if (!RequireOpenPlan() || !RequireSavablePlan()) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!OpenKovaConnection() || !CheckProjectCompany()) return ReleaseCommandObjects();
    LoadProjectDataFromProperties();
    Err().Clear();

    automation::Variant project;
    std::string projectCode;
    if (ReadDocumentProperty("KovaProject", project)) projectCode = automation::CStr(project);
    Err().Clear();
    OpenCommandLog(kSaveBaselineTitle + projectCode);
    Err().Clear();

    if (ShowSaveBaselineDialog) ShowSaveBaselineDialog();
    Err().Clear();

    // Whatever the dialog did, a cancel included.
    PrintLog(kSaveBaselineCompletedLine);
    CloseCommandLog();
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
