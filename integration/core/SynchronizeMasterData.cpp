// The master-data command: the connected plan's calendars, resources, cost objects, standard charge
// elements and OBS elements brought again from the ERP, each kind behind the plan's own switch.
#include "integration/core/SynchronizeMasterData.h"

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/StandardCECommand.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
using automation::Err;
using namespace platform::forms;

std::function<void(const std::string&, bool)> TransferBaseCalendarsStep;
std::function<void(const std::string&, bool, bool, bool, bool, bool, bool, bool, bool, bool, bool)>
    TransferResourcesAndCostObjectsStep;
std::function<void(bool, bool)> WriteLaborCostObjectsFileStep;

namespace {

// The active plan's property, or an empty value when the plan lacks it (the error state cleared).
automation::Variant PlanValue(const char* name) {
    Err().Clear();
    automation::Variant value =
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item(name).Value();
    if (Err().Number != 0) value = automation::Variant();
    Err().Clear();
    return value;
}

std::string PlanText(const char* name) {
    std::string text = KovaDataObjects::Trim(automation::CStr(PlanValue(name)));
    Err().Clear();
    return text;
}

bool PlanSwitch(const char* name) {
    bool on = automation::CBool(PlanValue(name));
    Err().Clear();
    return on;
}

int32_t PlanNumber(const char* name) {
    int32_t number = automation::CLng(PlanValue(name));
    Err().Clear();
    return number;
}

void SetStatus(const std::string& text) {
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
    Err().Clear();
}

} // namespace

void KovaMSP::SynchronizeMasterData() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!OpenKovaConnection()) return ReleaseCommandObjects();
    if (!RequireOpenPlan()) return ReleaseCommandObjects();
    if (!CheckProjectCompany()) return ReleaseCommandObjects();
    LoadProjectDataFromProperties();
    Err().Clear();

    const int32_t company = PlanNumber("KovaCompany");
    const std::string project = PlanText("KovaProject");
    const std::string availabilityType = PlanText("KovaAvailabilityType");
    OpenCommandLog("Synchronize Master Data with Kova Project " + project + "...");
    Err().Clear();

    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.Show(vbModeless);
    Err().Clear();

    SetStatus("Transferring Base Calendars ...");
    if (TransferBaseCalendarsStep) TransferBaseCalendarsStep(availabilityType, true);
    Err().Clear();

    SetStatus("Transferring Cost Objects/Resources ...");
    if (TransferResourcesAndCostObjectsStep)
        TransferResourcesAndCostObjectsStep(
            availabilityType, PlanSwitch("KovaTransferEquipment"), PlanSwitch("KovaTransferTradegroup"),
            PlanSwitch("KovaTransferEmployee"), PlanSwitch("KovaTransferItem"),
            PlanSwitch("KovaTransferSubcontracting"), PlanSwitch("KovaTransferSundry"),
            PlanSwitch("KovaTransferProjectEquipment"), PlanSwitch("KovaTransferProjectItem"),
            PlanSwitch("KovaTransferProjectSubcontracting"), PlanSwitch("KovaTransferProjectSundry"));
    Err().Clear();

    // The labour file knows no availability type.
    SetStatus("Transferring Labor Cost Objects ...");
    if (WriteLaborCostObjectsFileStep)
        WriteLaborCostObjectsFileStep(PlanSwitch("KovaTransferLabor"),
                                      PlanSwitch("KovaTransferProjectLabor"));
    Err().Clear();

    SetStatus("Transferring Standard Charge Elements");
    PrintLog("Transferring Standard Charge Elements ...");
    if (PlanSwitch("KovaTransferStandardChargeElement") && TransferStandardCEFile)
        TransferStandardCEFile(std::to_string(company));
    Err().Clear();

    CurrentProjectData->getProjectInfo(BOIConnector);
    Err().Clear();
    if (!CurrentProjectData->OBSCode.empty()) {
        SetStatus("Transferring OBS Elements");
        PrintLog("Transferring OBS Elements ...");
        WriteObsElementsFile();
        Err().Clear();
        MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("OBSCode").SetValue(
            CurrentProjectData->OBSCode);
        Err().Clear();
    }

    SavePlanAndLog();
    Err().Clear();
    CloseCommandLog();
    Err().Clear();
    UnloadForm<frmIntegrationStatus>();
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
