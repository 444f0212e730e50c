#pragma once
// The ERP's resources and cost objects as resources of the active plan: equipment, trade groups,
// employees, and material, subcontracting and sundry cost objects, each kind the company's standard
// objects and, where asked, the project's own. A resource is found again by its code, so a repeated
// transfer rewrites names and fields instead of adding duplicates. Labour cost objects are no
// resources; they go to the labour cost-object file.
//
// Resource fields, which the budget-line units read back: Name = the ERP's resource name (its first
// three characters are the kind's prefix), Text1 = the unit, Text2 = the resource code (the key),
// Text3 = the description; MaxUnits, StandardRate, CostPerUse, AccrueAt, EMailAddress and the base
// calendar as the kind has them. Nothing else of a resource is touched.
//
// Runs inside a command that attached the planning program, opened the ERP connection, the log and
// the progress window. Every step resumes after a failure; a kind the ERP cannot list is logged with
// the failure's description and skipped; nothing is shown.
#include <string>

namespace Grantry {

void TransferResourcesAndCostObjects(const std::string& availabilityType, bool transferEquipment,
                                     bool transferTradegroup, bool transferEmployee, bool transferItem,
                                     bool transferSubContracting, bool transferSundry,
                                     bool transferProjectEquipment, bool transferProjectItem,
                                     bool transferProjectSubContracting, bool transferProjectSundry);

// The user's list separator ("" when the locale cannot tell).
std::string GetListSeparator();

// Plugs the transfer into the connect run.
void InstallResourcesAndCostObjectsStep();

} // namespace Grantry
