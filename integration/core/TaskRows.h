#pragma once
// Selecting a task's row in the active view. A row number is not a task's Id once the view hides
// rows (a filter hides blank rows, a collapsed summary its subtasks) or the tasks are sorted without
// renumbering, so every command that acts on "the task with this Id" through the selection (a cut, a
// paste, a resource assignment, a read of the active cell) selects through here.
#include <cstdint>

#include "platform/msproject/Application.h"
#include "platform/msproject/Task.h"

namespace Grantry {

// Shows the task's row (its collapsed summaries are expanded) and makes it the active row. True when
// the active cell's task is then that task; otherwise a line in the log names the task, the active
// row is left where it was, and the result is false. Err() is clear on return.
bool SelectTaskRow(platform::msproject::Application& app, const platform::msproject::Task& task);

// The same for the task with that Id (Nothing and blank rows fail the same way).
bool SelectTaskRowById(platform::msproject::Application& app, int32_t id);

// The row just below the task and all its subtasks, as the active row: the place a paste puts a
// task right after that subtree. Below the plan's last row when the subtree ends the plan.
bool SelectRowBelowSubtree(platform::msproject::Application& app, const platform::msproject::Task& task);

// Cuts the task with its subtasks and pastes it right below the subtree of `parent`, by the selection.
// The moved task (the same task) is returned. Nothing is returned when the parent lies inside the
// task's subtree (nothing moves) or a row cannot be reached (logged by SelectTaskRow); the task is
// then not lost: it stays where it was, or, cut already, is pasted at the end of the plan.
platform::msproject::Task MoveTaskBelowSubtree(platform::msproject::Application& app,
                                               const platform::msproject::Task& task,
                                               const platform::msproject::Task& parent);

} // namespace Grantry
