#include "platform/middleware/ObsManager.h"

#include <functional>
#include <map>
#include <set>

#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

ObsManager::ObsManager() : ManagerOf(progids::ObsManager) {}

const EntityKind& ObsManager::RecordKind() {
    static const EntityKind kind{"OrganizationBreakdownStructure.OrganizationBreakdownStructureElement",
                                 "obs_element",
                                 {
                                     {"ElementID",
                                      "element_id",
                                      FieldType::Text,
                                      {"organizationBreakdownStructureElementID"},
                                      {},
                                      true},
                                     {"Description",
                                      "description",
                                      FieldType::Text,
                                      {"organizationBreakdownStructureElementDescription"},
                                      {}},
                                     {"ParentID", "parent_id", FieldType::Text, {}, {}},
                                 }};
    return kind;
}

namespace {

const PagedListNames kObsPages{
    "OrganizationBreakdownStructure.OrganizationBreakdownStructureElementSet",
    "getOBSElementReference",
    "OrganizationBreakdownStructure.OrganizationBreakdownStructureElementList",
    "sizeOrganizationBreakdownStructureElement",
    "organizationBreakdownStructureElementAt",
};

std::vector<Object> Subtree(ObsManager& m, const std::string& project, const std::string& obs) {
    Database& db = m.Db();
    std::string root = TrimBlanks(obs);
    std::string projectId = TrimBlanks(project);
    if (!projectId.empty()) {
        Variant projectObs =
            db.Scalar("SELECT obs_id FROM project WHERE trim(project_id, ' ') = ?", {projectId});
        if (projectObs.IsEmpty())
            throw Failure(failures::NotFound, "The project " + projectId + " does not exist.");
        if (root.empty()) root = TrimBlanks(CStr(projectObs));
    }
    auto all = LoadEntities(db, ObsManager::RecordKind(), "", {}, "sort, element_id", m.progId());
    std::map<std::string, std::vector<EntityPtr>> children;
    for (const auto& e : all)
        children[TrimBlanks(e->Text("ParentID"))].push_back(e);
    std::vector<Object> out;
    std::set<std::string> seen; // a parent loop in the data must not hang the server
    std::function<void(const EntityPtr&)> walk = [&](const EntityPtr& e) {
        if (!seen.insert(TrimBlanks(e->Text("ElementID"))).second) return;
        out.emplace_back(e);
        for (const auto& child : children[TrimBlanks(e->Text("ElementID"))])
            walk(child);
    };
    for (const auto& e : all) {
        bool isRoot =
            root.empty() ? TrimBlanks(e->Text("ParentID")).empty() : TrimBlanks(e->Text("ElementID")) == root;
        if (isRoot) walk(e);
    }
    return out;
}

} // namespace

const MemberTable<ObsManager>& ObsManager::Members() {
    using M = ObsManager;
    static const MemberTable<M> table = {
        {"getOrganizationBreakdownStructureElements",
         [](M& m, CallArgs& a) -> Variant {
             std::string project = a.String(0), obs = a.String(1);
             return ServePage(
                 kObsPages, "getOrganizationBreakdownStructureElements", a,
                 [&] { return Subtree(m, project, obs); }, m.progId());
         }},
    };
    return table;
}

} // namespace platform::middleware
