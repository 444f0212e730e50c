#include "platform/middleware/ResourceManagers.h"

#include <map>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {

// How one kind of cost object answers: its list and element names and its getters.
struct CostObjectNames {
    std::string kind;   // "MAT"
    std::string noun;   // "Material": listMaterialCostObject, getMaterialCostObjectAt, ...
    std::string code;   // getItem
    std::string prefix; // getItem -> getItemDescription, getItemUnit
    std::string rate;   // getter of the cost price or rate ("" = none)
    std::string rateColumn;
};

const std::vector<CostObjectNames>& AllCostObjects() {
    static const std::vector<CostObjectNames> all = {
        {"MAT", "Material", "getItem", "getItem", "getItemCostPrice", "cost_price"},
        {"LAB", "Labor", "getLabor", "getLabor", "", ""},
        {"SUB", "Subcontracting", "getSubcontracting", "getSubcontracting", "getSubcontractingCostPrice",
         "cost_price"},
        {"SUN", "Sundry", "getSundryCost", "getSundryCost", "getSundryCostPrice", "cost_price"},
        {"EQP", "Equipment", "getEquipment", "getEquipment", "getEquipmentCostRate", "cost_rate"},
    };
    return all;
}

EntityKind MakeCostObjectKind(const CostObjectNames& n, bool projectSpecific) {
    EntityKind kind{std::string(projectSpecific ? "ProjectCostObject.Project" : "StandardCostObject.") +
                        n.noun + "CostObject",
                    "cost_object",
                    {
                        {"Kind", "kind", FieldType::Text, {}, {}, true},
                        {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {}, true},
                        {"Code", "code", FieldType::Text, {n.code}, {}, true},
                        {"Description", "description", FieldType::Text, {n.prefix + "Description"}, {}},
                        {"Unit", "unit", FieldType::Text, {n.prefix + "Unit"}, {}},
                    }};
    if (!n.rate.empty()) kind.fields.push_back({"Rate", n.rateColumn, FieldType::Single, {n.rate}, {}});
    if (n.kind == "EQP") {
        kind.fields.push_back({"Calendar", "calendar", FieldType::Text, {"getEquipmentCalendar"}, {}});
        kind.fields.push_back(
            {"AvailableUnits", "available_units", FieldType::Double, {"getNoOfAvailableUnits"}, {}});
    }
    return kind;
}

PagedListNames CostObjectPages(const CostObjectNames& n, bool projectSpecific) {
    std::string noun = (projectSpecific ? "Project" : "") + n.noun + "CostObject";
    std::string owner = projectSpecific ? "ProjectCostObject." : "StandardCostObject.";
    return {owner + noun + "Set", "get" + noun + "ListReference", owner + noun + "List", "size" + noun,
            "get" + noun + "At"};
}

std::vector<Object> CostObjects(Manager& m, const CostObjectNames& n, const std::string& project,
                                const std::string& from, const std::string& to) {
    bool projectSpecific = !project.empty();
    RangeFilter range = CodeRange("code", from, to);
    std::vector<Variant> values = {n.kind, project};
    values.insert(values.end(), range.values.begin(), range.values.end());
    auto found = LoadEntities(m.Db(), CostObjectKind(n.kind, projectSpecific),
                              "kind = ? AND trim(project_id, ' ') = ? AND " + range.condition, values,
                              "sort, code", m.progId());
    return AsObjects(found);
}

} // namespace

const EntityKind& CostObjectKind(const std::string& kind, bool projectSpecific) {
    static const std::map<std::pair<std::string, bool>, EntityKind> kinds = [] {
        std::map<std::pair<std::string, bool>, EntityKind> all;
        for (const auto& n : AllCostObjects()) {
            all.emplace(std::make_pair(n.kind, false), MakeCostObjectKind(n, false));
            all.emplace(std::make_pair(n.kind, true), MakeCostObjectKind(n, true));
        }
        return all;
    }();
    auto it = kinds.find({kind, projectSpecific});
    if (it == kinds.end()) throw Failure(failures::NotFound, "There is no cost-object kind " + kind + ".");
    return it->second;
}

StandardCostObjectManager::StandardCostObjectManager() : ManagerOf(progids::StandardCostObjectManager) {}
ProjectCostObjectManager::ProjectCostObjectManager() : ManagerOf(progids::ProjectCostObjectManager) {}
EmployeesManager::EmployeesManager() : ManagerOf(progids::EmployeesManager) {}
TradeGroupManager::TradeGroupManager() : ManagerOf(progids::TradeGroupManager) {}

namespace {

template <class M> Variant ServeStandard(M& m, CallArgs& a, const CostObjectNames& n) {
    std::string from = a.String(0), to = a.String(1);
    std::string member = "list" + n.noun + "CostObject";
    return ServePage(
        CostObjectPages(n, false), member, a, [&] { return CostObjects(m, n, "", from, to); }, m.progId());
}

template <class M> Variant ServeProject(M& m, CallArgs& a, const CostObjectNames& n) {
    std::string project = TrimBlanks(a.String(0)), from = a.String(1), to = a.String(2);
    std::string member = "listProject" + n.noun + "CostObject";
    return ServePage(
        CostObjectPages(n, true), member, a,
        [&] {
            if (m.Db().Scalar("SELECT 1 FROM project WHERE trim(project_id, ' ') = ?", {project}).IsEmpty())
                throw Failure(failures::NotFound, "The project " + project + " does not exist.");
            return CostObjects(m, n, project, from, to);
        },
        m.progId());
}

const CostObjectNames& Names(const char* kind) {
    for (const auto& n : AllCostObjects())
        if (n.kind == kind) return n;
    throw Failure(failures::NotFound, std::string("There is no cost-object kind ") + kind + ".");
}

// One page of the records whose codes lie between the first two arguments, in the manager's order.
template <class M>
Variant ServeCodeRange(M& m, const PagedListNames& pages, const char* member, CallArgs& a) {
    std::string from = a.String(0), to = a.String(1);
    return ServePage(
        pages, member, a,
        [&] {
            RangeFilter range = CodeRange("code", from, to);
            return AsObjects(LoadEntities(m.Db(), M::RecordKind(), range.condition, range.values,
                                          "sort, code", m.progId()));
        },
        m.progId());
}

} // namespace

const MemberTable<StandardCostObjectManager>& StandardCostObjectManager::Members() {
    using M = StandardCostObjectManager;
    static const MemberTable<M> table = {
        {"listMaterialCostObject", [](M& m, CallArgs& a) { return ServeStandard(m, a, Names("MAT")); }},
        {"listLaborCostObject", [](M& m, CallArgs& a) { return ServeStandard(m, a, Names("LAB")); }},
        {"listSubcontractingCostObject", [](M& m, CallArgs& a) { return ServeStandard(m, a, Names("SUB")); }},
        {"listSundryCostObject", [](M& m, CallArgs& a) { return ServeStandard(m, a, Names("SUN")); }},
        {"listEquipmentCostObject", [](M& m, CallArgs& a) { return ServeStandard(m, a, Names("EQP")); }},
    };
    return table;
}

const MemberTable<ProjectCostObjectManager>& ProjectCostObjectManager::Members() {
    using M = ProjectCostObjectManager;
    static const MemberTable<M> table = {
        {"listProjectMaterialCostObject", [](M& m, CallArgs& a) { return ServeProject(m, a, Names("MAT")); }},
        {"listProjectLaborCostObject", [](M& m, CallArgs& a) { return ServeProject(m, a, Names("LAB")); }},
        {"listProjectSubcontractingCostObject",
         [](M& m, CallArgs& a) { return ServeProject(m, a, Names("SUB")); }},
        {"listProjectSundryCostObject", [](M& m, CallArgs& a) { return ServeProject(m, a, Names("SUN")); }},
        {"listProjectEquipmentCostObject",
         [](M& m, CallArgs& a) { return ServeProject(m, a, Names("EQP")); }},
    };
    return table;
}

const EntityKind& EmployeesManager::RecordKind() {
    static const EntityKind kind{"Employees.Employee",
                                 "employee",
                                 {
                                     {"Code", "code", FieldType::Text, {"getEmployee"}, {}, true},
                                     {"Name", "name", FieldType::Text, {"getEmployeeName"}, {}},
                                     {"Department", "department", FieldType::Text, {"getDepartment"}, {}},
                                     {"Calendar", "calendar_code", FieldType::Text, {"getCalendarCode"}, {}},
                                     {"Email", "email", FieldType::Text, {"getEMail"}, {}},
                                 }};
    return kind;
}

const MemberTable<EmployeesManager>& EmployeesManager::Members() {
    using M = EmployeesManager;
    static const PagedListNames pages{"Employees.EmployeeSet", "getEmployeeWrapperObject",
                                      "Employees.EmployeeWrapper", "sizeEmployees", "getEmployeesAt"};
    static const MemberTable<M> table = {
        {"listForProjectScheduling",
         [](M& m, CallArgs& a) { return ServeCodeRange(m, pages, "listForProjectScheduling", a); }},
    };
    return table;
}

const EntityKind& TradeGroupManager::RecordKind() {
    static const EntityKind kind{
        "TradeGroup.TradeGroup",
        "trade_group",
        {
            {"Code", "code", FieldType::Text, {"getTradeGroupID"}, {}, true},
            {"Description", "description", FieldType::Text, {"getTradeGroupDescription"}, {}},
            {"Calendar", "calendar", FieldType::Text, {"getTradeGroupCalendar"}, {}},
            {"CostRate", "cost_rate", FieldType::Single, {"getCostRate"}, {}},
            {"Employees", "number_of_employees", FieldType::Double, {"getNumberOfEmployees"}, {}},
        }};
    return kind;
}

const MemberTable<TradeGroupManager>& TradeGroupManager::Members() {
    using M = TradeGroupManager;
    static const PagedListNames pages{"TradeGroup.TradeGroupSet", "getTradeGroupListReference",
                                      "TradeGroup.TradeGroupList", "sizeTradeGroup", "getTradeGroupAt"};
    static const MemberTable<M> table = {
        {"listTradeGroup", [](M& m, CallArgs& a) { return ServeCodeRange(m, pages, "listTradeGroup", a); }},
    };
    return table;
}

} // namespace platform::middleware
