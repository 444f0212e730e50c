#include "integration/connect/ProjectDetails.h"
#include "integration/core/CommandFrame.h"

#include <array>

#include "dataobjects/KovaCalendarData.h"
#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::ErrObject;

namespace {

// The properties that connecting fills in and that cancelling takes out again. OBSCode,
// SendActualDates and DeleteMSPCETask are kept on purpose.
constexpr std::array<const char*, 36> kConnectionProperties = {
    "KovaCompany",
    "KovaProject",
    "KovaProjectDescription",
    "KovaProjectBudgetCombination",
    "KovaProjectStartDate",
    "KovaProjectFinishDate",
    "KovaProjectPlan",
    "KovaConnectionNode",
    "KovaTransferChargeStructure",
    "KovaScheduleBase",
    "KovaTransferEquipment",
    "KovaTransferEmployee",
    "KovaTransferTradegroup",
    "KovaTransferItem",
    "KovaTransferLabor",
    "KovaTransferSubContracting",
    "KovaTransferSundry",
    "KovaTransferStandardChargeElement",
    "OwnershipChBSAndBudgQty",
    "KovaMatBudgLnAsSubTask",
    "KovaLabBudgLnAsSubTask",
    "KovaEqpBudgLnAsSubTask",
    "KovaSubBudgLnAsSubTask",
    "KovaSunBudgLnAsSubTask",
    "KovaBaseline",
    "KovaAvailabilityType",
    "DeleteKovaBudgetLine",
    "DeleteKovaMSPTask",
    "SortTasksOnCECode",
    "MilestoneAsSubtask",
    "StandaloneMilestoneOnTop",
    "KovaTransferProjectEquipment",
    "KovaTransferProjectItem",
    "KovaTransferProjectLabor",
    "KovaTransferProjectSubContracting",
    "KovaTransferProjectSundry",
};

// The command's objects are set up by the command; a procedure called outside one fails as a call
// on an unset object would.
bool HaveConnection() {
    if (CurrentConnection) return true;
    Err().Raise(platform::automation::errors::ObjectNotSet);
    return false;
}
bool HaveProjectData() {
    if (CurrentProjectData) return true;
    Err().Raise(platform::automation::errors::ObjectNotSet);
    return false;
}
bool HaveApplication() {
    if (MSProjectApplication) return true;
    Err().Raise(platform::automation::errors::ObjectNotSet);
    return false;
}

} // namespace

void FetchConnectorProperties(int32_t& company, std::string& hostName) {
    Err().Clear();
    if (!HaveConnection()) return;
    CurrentConnection->getConnectorProperties(BOIConnector);
    company = CurrentConnection->CompanyNumber;
    hostName = CurrentConnection->Hostname();
}

KovaDataList FetchProjectList() {
    Err().Clear();
    if (!HaveConnection()) return std::nullopt;
    return CurrentConnection->getKovaProjectList(BOIConnector);
}

std::shared_ptr<KovaDataObjects::PlanParam> FetchPlanningParameters() {
    Err().Clear();
    auto parameters = std::make_shared<KovaDataObjects::PlanParam>();
    parameters->getPlanningParameters(BOIConnector);
    return parameters;
}

KovaDataList FetchAvailabilityTypes() {
    Err().Clear();
    auto calendarData = std::make_shared<KovaDataObjects::KovaCalendarData>();
    return calendarData->getAvailabilityType(BOIConnector);
}

KovaDataList FetchProjectPlans() {
    Err().Clear();
    if (!HaveProjectData()) return std::nullopt;
    return CurrentProjectData->getProjectPlans(BOIConnector);
}

void FetchProjectInfo() {
    Err().Clear();
    if (!HaveProjectData()) return;
    CurrentProjectData->getProjectInfo(BOIConnector);
}

std::string FetchTopCEForPlan() {
    Err().Clear();
    std::string top;
    if (HaveProjectData()) top = Trim(CurrentProjectData->getTopCEForPlan(BOIConnector));
    if (Err().Number == 0) return top;
    std::string line = FormatErrorForLog(Err().Description);
    Err().Clear();
    PrintLog(line);
    Err().Clear();
    return {};
}

KovaDataList FetchBaselines(int16_t baselineStatus) {
    Err().Clear();
    if (!HaveProjectData()) return std::nullopt;
    return CurrentProjectData->getKovaBaselines(BOIConnector, static_cast<int32_t>(baselineStatus));
}

bool FetchPlanIsLeading() {
    Err().Clear();
    if (!HaveProjectData()) return false;
    return CurrentProjectData->checkPlanIsLeading(BOIConnector);
}

void RecordConnectionInKova(std::string& connectionNode) {
    Err().Clear();
    if (!HaveProjectData() || !HaveApplication()) return;
    std::string project = CurrentProjectData->ProjectCode;
    std::string plan = CurrentProjectData->Plan;
    int32_t ownership = CurrentProjectData->Ownership;
    std::string planName = MSProjectApplication->ActiveProject().Name();
    CurrentProjectData->updateConnectionInfoInKova(BOIConnector, project, plan, connectionNode, ownership,
                                                   planName);
    if (!connectionNode.empty()) return;

    // The plan's own structure is the connection: its top task names the connected element. The
    // recording's failure stays the one the caller sees unless a later step fails.
    ErrObject recorded = Err();
    // A connection that fails after its link was made takes the link back: the link alone would
    // refuse every later connect of the plan.
    const bool linked = recorded.Number == 0;
    auto failed = [&] {
        if (!linked) return;
        ErrObject failure = Err();
        const std::string connected = CurrentProjectData->ConnectedCE;
        CurrentProjectData->ConnectedCE = connectionNode;
        CurrentProjectData->disconnectKovaProject(BOIConnector, planName);
        CurrentProjectData->ConnectedCE = connected;
        Err() = failure;
    };
    int32_t topId = GetTopChargeElementTaskId();
    if (Err().Number != 0) return failed();
    // A failed selection leaves another row active: its code must not become the connected element.
    if (!SelectTaskRowById(*MSProjectApplication, topId)) {
        Err().Raise(1004, "", "The top charge-element task could not be selected.");
        return failed();
    }
    msp::Task top = MSProjectApplication->ActiveCell().Task();
    std::string code = top.Text1();
    if (Err().Number != 0) return failed();
    CurrentProjectData->ConnectedCE = Trim(code);
    Err() = recorded;
}

void DeleteConnectionProperties() {
    Err().Clear();
    if (!HaveApplication()) return;
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (Err().Number != 0) return;
    msp::CustomDocumentProperties properties = plan.CustomDocumentProperties();
    for (const char* name : kConnectionProperties) {
        msp::DocumentProperty property = properties.Item(name);
        if (Err().Number == 0) property.Delete();
        Err().Clear();
    }
}

} // namespace Grantry
