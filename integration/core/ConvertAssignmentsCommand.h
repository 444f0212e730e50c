#pragma once
// The command that turns the budget-line assignments of a charge-element subtree into subtasks; its
// dialog is plugged in by the module that owns it.
#include <functional>

namespace Grantry {

inline constexpr char kConvertInvalidTaskMessage[] =
    "An Invalid Task has been selected\r\n\r\nPlease Select a Charge Element Task to convert resource "
    "assignments to tasks\r\n";
inline constexpr char kConvertNoAssignmentsMessage[] =
    "No resource assignments are present for this subtree\r\nNo conversions possible";

// Shows the conversion dialog modally for the selected charge-element task; set by the dialog's
// module. Left empty, the command shows nothing once its checks passed.
extern std::function<void()> ShowConvertAssignmentsDialog;

} // namespace Grantry
