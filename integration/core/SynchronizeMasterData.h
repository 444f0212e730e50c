#pragma once
// The master-data command's transfers. The connection module sets them when it installs its dialog;
// one left empty is skipped. The standard charge elements go through TransferStandardCEFile
// (StandardCECommand.h).
#include <functional>
#include <string>

namespace Grantry {

// The base calendars of the availability type, refreshed when they exist.
extern std::function<void(const std::string& availabilityType, bool refresh)> TransferBaseCalendarsStep;
// The resource sheet: company-wide equipment, trade groups, employees, material, subcontracting and
// sundry, then the project's equipment, material, subcontracting and sundry.
extern std::function<void(const std::string& availabilityType, bool, bool, bool, bool, bool, bool, bool, bool,
                          bool, bool)>
    TransferResourcesAndCostObjectsStep;
// The labour cost-object file: company-wide and project-specific labour.
extern std::function<void(bool transferLabor, bool transferProjectLabor)> WriteLaborCostObjectsFileStep;

} // namespace Grantry
