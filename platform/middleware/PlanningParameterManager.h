#pragma once
// "ProjectPlanningParameter.ProjectPlanningParameterManager": the planning parameters of the default
// backend's company. `Show()` fails when the backend is not started.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class PlanningParameterManager : public ManagerOf<PlanningParameterManager> {
public:
    PlanningParameterManager();
    static const platform::automation::MemberTable<PlanningParameterManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
