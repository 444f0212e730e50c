#pragma once
// The procedures behind the charge-element dialog, on the task of the active cell, which the insert and
// modify commands selected before the dialog opened (for a new element, a placeholder task they
// inserted): checking the entered values against the rules between charge-element types, moving a
// stand-alone milestone to the top of the plan, and writing the entered values into the task.
#include <string>

#include "platform/msproject/Task.h"

namespace Grantry {

inline constexpr char kStandAloneMilestoneName[] = "Stand Alone Milestone";

// True when the values may be stored; otherwise one warning for the first rule broken. `mode` is the
// dialog's Tag: for "ModifyChargeElement" the task's children must suit the entered type too. The
// description takes no part.
bool ValidateChargeElement(const std::string& standardChargeElement, const std::string& typeName,
                           const std::string& code, const std::string& description, bool& standAlone,
                           const std::string& mode);

// For a stand-alone milestone: the element's task goes to row 1 of the plan, at level 1 (a new one as
// a fresh task there, its placeholder deleted; an existing one cut and pasted). `task` becomes the
// task that stands for the element afterwards.
void ModifyChargeElementTask(const std::string& mode, platform::msproject::Task& task);

// Writes the entered values into the task of the active cell and schedules it: a milestone beside its
// parent is linked to the parent's finish, a stand-alone one (or any, when milestones are subtasks)
// is only made a milestone. A task at level 1 that is no milestone becomes the plan's top element.
void InsertChargeElementTask(const std::string& description, const std::string& code,
                             const std::string& standardChargeElement, const std::string& typeName,
                             const std::string& parentCode, bool standAlone, const std::string& obsCode);

} // namespace Grantry
