#pragma once
// Project master data from the ERP for the dialogs and runs of a command, and the recording of a
// connection there. Every procedure works on the command's objects (CurrentConnection,
// CurrentProjectData, BOIConnector), starts with a cleared error state, resumes after a failed call and
// leaves the failure in Err() for its caller, who tests it right after the call. Nothing here shows a
// message.
#include <cstdint>
#include <memory>
#include <string>

#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"
#include "dataobjects/PlanParam.h"

namespace Grantry {

using KovaDataList = KovaDataObjects::OptionalCollection<KovaDataObjects::KovaData>;

// The company number and host entry of the current backend. After a failure the two arguments still
// receive whatever the connection object holds.
void FetchConnectorProperties(int32_t& company, std::string& hostName);
// The company's projects (read Code), or nothing.
KovaDataList FetchProjectList();
// A new, filled planning-parameter object; the caller reads it and lets it go.
std::shared_ptr<KovaDataObjects::PlanParam> FetchPlanningParameters();
// The ERP's availability types (read Code), or nothing.
KovaDataList FetchAvailabilityTypes();
// The plans of the project in CurrentProjectData's ProjectCode, or nothing (also for a project
// without plans, which is no failure).
KovaDataList FetchProjectPlans();
// Fills the project's header, leading plan, its top element, OBS code and budget combination into
// CurrentProjectData.
void FetchProjectInfo();
// The top charge-element code of CurrentProjectData's Plan, trimmed. A refused plan gives "", one
// line in the log and a cleared error state.
std::string FetchTopCEForPlan();
// The project's baselines as the ERP lists them for that status, or nothing.
KovaDataList FetchBaselines(int16_t baselineStatus);
// True when CurrentProjectData's Plan is the project's leading plan.
bool FetchPlanIsLeading();
// Records the link of the active plan with the ERP project, plan and node (the ownership as
// CurrentProjectData holds it). For an empty node the plan's own top charge-element task becomes
// the connected element (its code into ConnectedCE); the node argument itself is not changed. The
// caller sees the failure of the recording, or of a later step.
void RecordConnectionInKova(std::string& connectionNode);
// Removes the connection's document properties from the active plan, each one independently; the
// structure's OBS code and the two options not set by connecting stay.
void DeleteConnectionProperties();

} // namespace Grantry
