#pragma once
// The toolbar's charge-element commands of the command class: inserting a charge-element task (the
// plan's top element, or a child placed after its parent's subtree, one level below it) and changing
// one, both through the charge-element dialog; deleting, marking and restoring one in the plan only.
//
// The dialog and the queries on the plan's structure belong to the charge-structure module, which
// fills the seams below when it is installed.
#include <functional>
#include <string>

#include "platform/msproject/Task.h"

namespace Grantry {

// The modes of the charge-element dialog, carried by its Tag.
inline constexpr char kNewChargeElementTag[] = "NewChargeElement";
inline constexpr char kModifyChargeElementTag[] = "ModifyChargeElement";

// The placeholder names of a new charge-element task.
inline constexpr char kTopChargeElementName[] = "Top Charge Element";
inline constexpr char kNewChargeElementName[] = "New Charge Element";

inline constexpr char kAllKovaProjectTasksFilter[] = "AllKovaProjectTasks";

struct ChargeElementEditingHooks {
    // Shows the charge-element dialog modally on the task of the active cell in the mode `tag`. For a
    // new element the Tag is set before the form loads; for a change, after it loaded.
    std::function<void(const std::string& tag)> showDialog;
    // No charge-element task but milestones in the active plan.
    std::function<bool()> isChargeStructureEmpty;
    // Some charge-element task in the active plan.
    std::function<bool()> isChargeStructurePresent;
};
// Left empty, the commands show no dialog, and a plan counts as holding no structure.
ChargeElementEditingHooks& ChargeElementEditing();

// Makes the row of `task` in the active view the selection and the active cell. Row numbers and Ids
// differ once a filter hides blank rows or a collapsed summary hides its subtasks, so the row is
// found by the task's unique id; when that search fails the row numbered as the task's Id is taken.
void SelectTaskRow(const platform::msproject::Task& task);

} // namespace Grantry
