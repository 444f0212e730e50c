#pragma once
// "Plan.PlanManager": the plans of a project. `List(project, from, to)` enumerates the project's plans
// whose ids lie in the range, in the ERP's order; `Show(project, plan)` gives one plan with its top
// charge element. Keys are found without the blanks they may be stored with.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class PlanManager : public ManagerOf<PlanManager> {
public:
    PlanManager();
    static const platform::automation::MemberTable<PlanManager>& Members();
    static const EntityKind& RecordKind();
};

// The stored keys of a plan (padding included), found by its trimmed keys; fails with NotFound.
struct PlanKey {
    std::string project;
    std::string plan;
};
PlanKey FindPlan(Database& db, const std::string& project, const std::string& plan);

} // namespace platform::middleware
