#include "platform/middleware/ExternalScheduleLinkManager.h"

#include <map>
#include <set>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/PlanManager.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

ExternalScheduleLinkManager::ExternalScheduleLinkManager()
    : ManagerOf(progids::ExternalScheduleLinkManager) {}

const EntityKind& ExternalScheduleLinkManager::LinkKind() {
    static const EntityKind kind{
        "ChargeElement.ExternalScheduleLink",
        "external_schedule_link",
        {
            {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {"setProjectID"}, true},
            {"PlanID", "plan_id", FieldType::Text, {"planID", "getPlanID"}, {"setPlanID"}, true},
            {"ChargeElementID",
             "ce_id",
             FieldType::Text,
             {"getChargeElementID"},
             {"setChargeElementID"},
             true},
            {"Ownership", "ownership", FieldType::Long, {"getOwnership"}, {"setOwnership"}},
            {"ExternalSchedule",
             "external_schedule",
             FieldType::Text,
             {"getExternalSchedule"},
             {"setExternalSchedule"}},
        }};
    return kind;
}

void ExternalScheduleLinkManager::ApplyInsert(Database& db, Entity& link) {
    PlanKey key = FindPlan(db, link.Text("ProjectID"), link.Text("PlanID"));
    std::string node = TrimBlanks(link.Text("ChargeElementID"));
    // The element every element of the plan hangs below (a milestone below the one it is linked to).
    std::map<std::string, std::string> parentOf;
    {
        Statement st =
            db.Prepare("SELECT trim(ce_id, ' '), CASE WHEN ce_type = 5 AND trim(linked_ce_id, ' ') <> '' "
                       "THEN trim(linked_ce_id, ' ') ELSE trim(parent_ce_id, ' ') END "
                       "FROM charge_element WHERE project_id = ? AND plan_id = ?");
        st.BindAll({key.project, key.plan});
        while (st.Step())
            parentOf[st.Text(0)] = st.Text(1);
    }
    if (!node.empty() && !parentOf.count(node))
        throw Failure(failures::NotFound,
                      "The charge element " + node + " is not in the plan " + TrimBlanks(key.plan) + ".");
    auto ancestors = [&](std::string code) {
        std::set<std::string> up;
        while (!code.empty() && up.insert(code).second) {
            auto it = parentOf.find(code);
            code = it == parentOf.end() ? "" : it->second;
        }
        return up;
    };
    std::set<std::string> above = ancestors(node);
    Statement st = db.Prepare("SELECT trim(ce_id, ' '), external_schedule FROM external_schedule_link WHERE "
                              "project_id = ? AND plan_id = ?");
    st.BindAll({key.project, key.plan});
    while (st.Step()) {
        std::string other = st.Text(0);
        bool overlaps = other.empty() || node.empty() || above.count(other) || ancestors(other).count(node);
        if (overlaps)
            throw Failure(failures::Refused,
                          "An External Schedule link already exists for the plan " + TrimBlanks(key.plan) +
                              " of the project " + TrimBlanks(key.project) + " (" + TrimBlanks(st.Text(1)) +
                              " below " + (other.empty() ? "the whole plan" : other) + ").");
    }
    link.SetValue("ProjectID", key.project);
    link.SetValue("PlanID", key.plan);
    link.SetValue("ChargeElementID", node);
    InsertEntity(db, link);
}

const MemberTable<ExternalScheduleLinkManager>& ExternalScheduleLinkManager::Members() {
    using M = ExternalScheduleLinkManager;
    static const MemberTable<M> table = {
        {"showExternalScheduleLink",
         [](M& m, CallArgs& a) -> Variant {
             auto found = LoadEntities(
                 m.Db(), LinkKind(),
                 "trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ? AND trim(ce_id, ' ') = ?",
                 {TrimBlanks(a.String(0)), TrimBlanks(a.String(1)), TrimBlanks(a.String(2))}, "", m.progId());
             if (found.empty()) return Variant(Object());
             m.Track(found.front());
             return Variant(Object(found.front()));
         }},
    };
    return table;
}

Object MakeExternalScheduleLink() {
    return Object(
        std::make_shared<Entity>(ExternalScheduleLinkManager::LinkKind(), progids::ExternalScheduleLink));
}

} // namespace platform::middleware
