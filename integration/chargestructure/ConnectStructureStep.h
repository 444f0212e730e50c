#pragma once
// The structure step at the end of the connect run, taken when the user asked for the structure to
// be created: by ownership it brings the ERP's structure into the plan (first removing the plan's
// tasks when the user agrees) or sends the plan's structure to the ERP.
#include <array>
#include <functional>
#include <string>

namespace Grantry {

// Budget lines as subtasks, per cost type: material, labour, equipment, subcontracting, sundry.
using BudgetLineSubTaskSwitches = std::array<bool, 5>;

struct ConnectStructureChoices {
    std::string ownershipText;         // "Kova" or "MsP", as the dialog's ownership list shows it
    bool defaultKovaStructure = false; // the plan check asked for the ERP's structure on "MsP"
    std::string node;                  // the connection node as shown
    BudgetLineSubTaskSwitches subTasks{};
};

// Steps that other units provide; an empty one is skipped.
struct ConnectStructureSteps {
    // The ERP's budget lines into the plan, after the ERP's structure came in.
    std::function<void(const BudgetLineSubTaskSwitches&)> createBudgetLineTasksFromKova;
    // The plan's structure to the ERP, for a plan that owns it; the result is not used.
    std::function<void(const std::string& node)> sendChargeStructureToKova;
};
ConnectStructureSteps& ConnectStructureHooks();

// Texts of the step, as the progress window and the log show them.
inline constexpr char kTasksPresentQuestion[] =
    "There are tasks present in Microsoft Project.\r\n\r\nDo you want to remove the same and insert the ChBS "
    "from Kova in MsP";

// The step. Ends at once, the failure left in Err(), when a task of the plan cannot be deleted.
void BuildChargeStructureOnConnect(const ConnectStructureChoices& choices);

} // namespace Grantry
