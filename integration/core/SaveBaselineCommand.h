#pragma once
// The save-baseline command's dialog, plugged in by the module that owns it.
#include <functional>

namespace Grantry {

inline constexpr char kSaveBaselineTitle[] = "Save Baseline for Kova Project : ";
inline constexpr char kSaveBaselineCompletedLine[] = "Save Baseline completed";

// Shows the save-baseline dialog modally; set by the dialog's module. The command has attached the
// planning program, opened the connection, loaded CurrentProjectData from the plan's properties and
// opened the plan's log (file 9) before it calls this; the dialog saves the baselines and the plan.
// Left empty, the command shows nothing and still logs its end.
extern std::function<void()> ShowSaveBaselineDialog;

} // namespace Grantry
