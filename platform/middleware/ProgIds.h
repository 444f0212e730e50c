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

} // namespace platform::middleware::progids
