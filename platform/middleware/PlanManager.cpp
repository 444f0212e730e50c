#include "platform/middleware/PlanManager.h"

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

PlanManager::PlanManager() : ManagerOf(progids::PlanManager) {}

const EntityKind& PlanManager::RecordKind() {
    static const EntityKind kind{
        "Plan.Plan",
        "plan",
        {
            {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {}, true},
            {"PlanID", "plan_id", FieldType::Text, {"getPlanID"}, {}, true},
            {"Description", "description", FieldType::Text, {"getPlanDescription"}, {}},
            {"TopChargeElementID", "top_ce_id", FieldType::Text, {"getTopChargeElementID"}, {}},
        }};
    return kind;
}

PlanKey FindPlan(Database& db, const std::string& project, const std::string& plan) {
    Statement st = db.Prepare("SELECT project_id, plan_id FROM plan WHERE trim(project_id, ' ') = ? AND "
                              "trim(plan_id, ' ') = ?");
    st.BindAll({TrimBlanks(project), TrimBlanks(plan)});
    if (!st.Step())
        throw Failure(failures::NotFound, "The plan " + TrimBlanks(plan) + " of the project " +
                                              TrimBlanks(project) + " does not exist.");
    return {st.Text(0), st.Text(1)};
}

const MemberTable<PlanManager>& PlanManager::Members() {
    using M = PlanManager;
    static const MemberTable<M> table = {
        {"List",
         [](M& m, CallArgs& a) -> Variant {
             RangeFilter range = CodeRange("plan_id", a.String(1), a.String(2));
             range.condition = "trim(project_id, ' ') = ? AND " + range.condition;
             range.values.insert(range.values.begin(), Variant(TrimBlanks(a.String(0))));
             auto found = LoadEntities(m.Db(), RecordKind(), range.condition, range.values, "sort, plan_id",
                                       m.progId());
             return Variant(MakeEnumeration("Plan.PlanEnumeration", m.progId(), AsObjects(found)));
         }},
        {"Show",
         [](M& m, CallArgs& a) -> Variant {
             PlanKey key = FindPlan(m.Db(), a.String(0), a.String(1));
             auto found = LoadEntities(m.Db(), RecordKind(), "project_id = ? AND plan_id = ?",
                                       {key.project, key.plan}, "", m.progId());
             m.Track(found.front());
             return Variant(Object(found.front()));
         }},
    };
    return table;
}

} // namespace platform::middleware
