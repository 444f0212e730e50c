#pragma once
// Which side owns the charge structure and the budget quantities: the plan's property
// OwnershipChBSAndBudgQty and the ERP's schedule link of the connection must agree before anything is
// synchronised. A pending transfer (3: to the ERP, 4: to the plan) is carried out once the user
// confirms it; a disagreement, or a link that belongs to another plan file, stops the run.
#include <cstdint>
#include <string>

namespace Grantry {

inline constexpr int32_t kOwnedByKova = 1;
inline constexpr int32_t kOwnedByProject = 2;
inline constexpr int32_t kTransferToKovaPending = 3;
inline constexpr int32_t kTransferToProjectPending = 4;

inline constexpr char kNotLinkedMessage[] =
    "The Current Project is not linked to Kova. The connection is made with ";
inline constexpr char kOwnershipErrorMessage[] = "Error synchronizing the ownnership in Kova.";
inline constexpr char kOwnershipUndeterminedMessage[] =
    "Ownership of Charge BreakdownStructure could not be determined";

// True when the synchronisation may go on (the ownership settled, a confirmed transfer carried out
// or refused by the ERP), false when it must be abandoned. Needs the command's objects.
bool DetermineChargeStructureOwnership();
// Writes `ownership` to the ERP and, once the ERP took it, to the plan; a refusal only leaves a log line.
void SetChargeStructureOwnership(int32_t ownership);

std::string ConfirmOwnershipToKova();
std::string ConfirmOwnershipToProject();

} // namespace Grantry
