#pragma once
// The resource and cost-object list managers. Every list is paged (Paging.h) and runs over the whole
// code range given ("" to "zzzz"):
//   "StandardCostObject.StandardCostObjectManager": listMaterialCostObject, listLaborCostObject,
//       listSubcontractingCostObject, listSundryCostObject, listEquipmentCostObject (from, to, batch,
//       callId&, flag&) - the general cost objects of a kind;
//   "ProjectCostObject.ProjectCostObjectManager": listProjectMaterialCostObject ... (project&, from, to,
//       batch, callId&, flag&) - a project's own cost objects (an unknown project fails with NotFound);
//   "Employees.EmployeesManager": listForProjectScheduling (from, to, batch, callId&, flag&);
//   "TradeGroup.TradeGroupManager": listTradeGroup (from, to, batch, callId&, flag&).
// Lists come in the ERP's order (the seed's order).
#include "platform/middleware/Manager.h"

namespace platform::middleware {

// "MAT", "LAB", "SUB", "SUN", "EQP": the record kind of a cost object, general or a project's own.
const EntityKind& CostObjectKind(const std::string& kind, bool projectSpecific);

class StandardCostObjectManager : public ManagerOf<StandardCostObjectManager> {
public:
    StandardCostObjectManager();
    static const platform::automation::MemberTable<StandardCostObjectManager>& Members();
};

class ProjectCostObjectManager : public ManagerOf<ProjectCostObjectManager> {
public:
    ProjectCostObjectManager();
    static const platform::automation::MemberTable<ProjectCostObjectManager>& Members();
};

class EmployeesManager : public ManagerOf<EmployeesManager> {
public:
    EmployeesManager();
    static const platform::automation::MemberTable<EmployeesManager>& Members();
    static const EntityKind& RecordKind();
};

class TradeGroupManager : public ManagerOf<TradeGroupManager> {
public:
    TradeGroupManager();
    static const platform::automation::MemberTable<TradeGroupManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
