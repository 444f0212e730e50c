// The disconnect command: the ERP forgets the plan's schedule link, the plan forgets its connection.
#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;

namespace {

constexpr char kDisconnectTitle[] = "Disconnect Microsoft Project from Kova Project...";

// The active plan's property as text, or "" (the error state cleared).
std::string PlanProperty(const char* name) {
    Err().Clear();
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item(name).Value();
    std::string text = Err().Number == 0 ? automation::CStr(value) : std::string();
    Err().Clear();
    return text;
}

std::string PlanFileName() {
    Err().Clear();
    std::string name = MSProjectApplication->ActiveProject().Name();
    Err().Clear();
    return name;
}

// Deletes what is left of the integration's properties, each one on its own. Removal in order stops
// at the first property the plan lacks (a plan of an older release, one edited by hand); after the
// ERP link is gone the plan must not stay connected because of that.
void DeleteRemainingProperties() {
    Err().Clear();
    msp::CustomDocumentProperties properties =
        MSProjectApplication->ActiveProject().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& definition : IntegrationDocumentProperties()) {
        Err().Clear();
        msp::DocumentProperty property = properties.Item(definition.name);
        if (Err().Number == 0) property.Delete();
    }
    Err().Clear();
}

// The company check of the disconnection. A connected plan that names no company (its property lost,
// empty, not a number or 0) is taken for one of the connection's company, as the standard charge
// elements command does, so that it can still be disconnected; a plan naming another company, or one
// never connected, is refused as before.
bool CheckDisconnectCompany() {
    if (KovaDataObjects::Trim(PlanProperty("KovaProject")).empty()) return CheckProjectCompany();
    Err().Clear();
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("KovaCompany").Value();
    automation::Variant number(KovaDataObjects::Trim(Err().Number == 0 ? automation::CStr(value) : ""));
    const bool namesCompany =
        Err().Number == 0 && number.IsNumeric() && automation::CDbl(number) != 0 && Err().Number == 0;
    Err().Clear();
    if (namesCompany) return CheckProjectCompany();
    if (!CheckKovaRelease()) return false;
    BOIConnector = KovaDataObjects::Trim(CurrentConnection->Connector);
    return true;
}

} // namespace

void KovaMSP::disconnectProject() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    if (!RequireOpenPlan() || !RequireSavablePlan()) return ReleaseCommandObjects();

    if (MsgBox("Disconnect the active MsP Project from Kova ?",
               vbYesNo + vbQuestion + vbDefaultButton2 + vbMsgBoxSetForeground, kMessageTitle) == vbYes &&
        OpenKovaConnection() && CheckDisconnectCompany()) {
        frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
        status.Show(vbModeless);
        Err().Clear();

        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        LoadProjectDataFromProperties();
        const std::string project = PlanProperty("KovaProject");

        status.lblStatus.Caption = "Disconnecting from Kova Project " + project + "...";
        status.lblStatus.Refresh();
        Err().Clear();

        OpenCommandLog(kDisconnectTitle);
        Err().Clear();
        CurrentProjectData->disconnectKovaProject(BOIConnector, PlanFileName());
        // The ERP call's own failure, kept before the message and the log touch the error state.
        const automation::ErrObject failure = Err();
        if (!CurrentProjectData->Valid_Project) {
            MsgBox("The Current Project is not linked to Kova. The connection is made with " +
                       CurrentProjectData->eprj,
                   vbOKOnly + vbCritical, kMessageTitle);
            PrintLog("Disconnect from KovaProject : " + project + " Aborted... ");
        } else if (failure.Number == 0) {
            PrintLog("Disconnected from KovaProject : " + project);
            RemoveCustomDocumentProperties();
            if (Err().Number != 0) DeleteRemainingProperties();
            Err().Clear();
            UpdateCommandBarState();
            SavePlanAndLog();
        } else {
            PrintLog(FormatErrorForLog(failure.Description));
        }
        Err().Clear();
        CloseCommandLog();
        UnloadForm<frmIntegrationStatus>();
        Err().Clear();
    }
    Err().Clear();

    if (IsServerProject()) DeleteProjectSideFiles();
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
