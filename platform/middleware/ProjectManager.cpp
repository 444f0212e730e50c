#include "platform/middleware/ProjectManager.h"

#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

ProjectManager::ProjectManager() : ManagerOf(progids::ProjectManager) {}

const EntityKind& ProjectManager::RecordKind() {
    static const EntityKind kind{
        "Project.Project",
        "project",
        {
            {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {}, true},
            {"CompanyNumber", "company_number", FieldType::Long, {}, {}},
            {"Description", "description", FieldType::Text, {"getProjectDescription"}, {}},
            {"StartTime", "start_ts", FieldType::Stamp, {"getStartTime"}, {}},
            {"FinishTime", "finish_ts", FieldType::Stamp, {"getFinishTime"}, {}},
            {"LeadingPlanID", "leading_plan_id", FieldType::Text, {"getLeadingPlanID"}, {}},
            {"OBSID", "obs_id", FieldType::Text, {"projectOBSID"}, {}},
            {"BudgetTypePB", "budget_type_pb", FieldType::Long, {"getBudgetTypeForProjectBudget"}, {}},
            {"BudgetTypePC", "budget_type_pc", FieldType::Long, {"getBudgetTypeForProjectControl"}, {}},
        }};
    return kind;
}

const MemberTable<ProjectManager>& ProjectManager::Members() {
    using M = ProjectManager;
    static const MemberTable<M> table = {
        {"List",
         [](M& m, CallArgs& a) -> Variant {
             RangeFilter range = CodeRange("project_id", a.String(0), a.String(1));
             range.condition += " AND company_number = ?";
             range.values.emplace_back(m.Backend().companyNumber);
             auto found = LoadEntities(m.Db(), RecordKind(), range.condition, range.values,
                                       "sort, project_id", m.progId());
             return Variant(MakeEnumeration("Project.ProjectEnumeration", m.progId(), AsObjects(found)));
         }},
        {"Show",
         [](M& m, CallArgs& a) -> Variant {
             std::string id = TrimBlanks(a.String(0));
             // Keys may be stored padded; the ERP finds them without the blanks.
             auto found =
                 LoadEntities(m.Db(), RecordKind(), "trim(project_id, ' ') = ? AND company_number = ?",
                              {id, m.Backend().companyNumber}, "", m.progId());
             if (found.empty()) throw Failure(failures::NotFound, "The project " + id + " does not exist.");
             m.Track(found.front());
             return Variant(Object(found.front()));
         }},
    };
    return table;
}

} // namespace platform::middleware
