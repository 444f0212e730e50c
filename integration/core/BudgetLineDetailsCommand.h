#pragma once
// The budget-line details command and the two dialogs it opens, plugged in by the modules that own
// them.
#include <functional>
#include <string>

namespace Grantry {

// The integration's budget view, in which the command opens the browser over a charge element's lines.
inline constexpr char kKovaBudgetView[] = "Kova Proj Budget";
// The tag that the command gives the single-line dialog when it opens it on a charge-element task.
inline constexpr char kNewBudgetLineTaskTag[] = "NewBudgetLineTask";

// Shows the single-line dialog modally for the active cell's task, with the given tag ("" when the
// command sets none); set by the dialog's module. Left empty, nothing is shown.
extern std::function<void(const std::string& tag)> ShowBudgetLineDialog;
// Shows the browser over all budget lines of the active cell's charge element modally; set by the
// browser's module. The command opens it in the budget view, and the single-line dialog's "&More..."
// replaces itself by it. Left empty, nothing is shown.
extern std::function<void()> ShowBudgetLineBrowser;

} // namespace Grantry
