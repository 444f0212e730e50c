#pragma once
// The ProgIDs and monikers the middleware stand-in answers to.
namespace platform::middleware::progids {

inline constexpr const char* PlanningParameterManager =
    "ProjectPlanningParameter.ProjectPlanningParameterManager";
inline constexpr const char* GetCompany = "GetCompany.GetCompany";
inline constexpr const char* ReleaseIdManager = "KovaReleaseId.KovaReleaseIdManager";
inline constexpr const char* StandardChargeElementManager =
    "StandardChargeElement.StandardChargeElementManager";
inline constexpr const char* ObsManager =
    "OrganizationBreakdownStructure.OrganizationBreakdownStructureManager";
inline constexpr const char* AvailabilityTypeManager = "AvailabilityType.AvailabilityTypeManager";
inline constexpr const char* ProjectManager = "Project.ProjectManager";
inline constexpr const char* KovaItem = "KovaItem.KovaItem";
// With "ActivityBudget.<X>BudgetLine" and "ActivityBudget.<X>BudgetLineSeq" for the five cost types.
inline constexpr const char* ActivityBudgetManager = "ActivityBudget.ActivityBudgetManager";
inline constexpr const char* StandardCostObjectManager = "StandardCostObject.StandardCostObjectManager";
inline constexpr const char* ProjectCostObjectManager = "ProjectCostObject.ProjectCostObjectManager";
inline constexpr const char* EmployeesManager = "Employees.EmployeesManager";
inline constexpr const char* TradeGroupManager = "TradeGroup.TradeGroupManager";
inline constexpr const char* CalendarManager = "Calendars.CalendarManager";
inline constexpr const char* PlanManager = "Plan.PlanManager";
inline constexpr const char* BaselineManager = "Baseline.BaselineManager";
inline constexpr const char* ChargeElementManager = "ChargeElement.ChargeElementManager";
inline constexpr const char* ChargeElementInput = "ChargeElement.ChargeElementInput";
inline constexpr const char* ChargeElement = "ChargeElement.ChargeElement";
inline constexpr const char* ExternalScheduleLinkManager = "ChargeElement.ExternalScheduleLinkManager";
inline constexpr const char* ExternalScheduleLink = "ChargeElement.ExternalScheduleLink";
// The ERP client's automation server, created only to probe whether the ERP can be reached.
inline constexpr const char* ClientApplication = "Kova.Application";

} // namespace platform::middleware::progids
