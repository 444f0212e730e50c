#pragma once
// The connection-details command's dialog, plugged in by the module that owns it.
#include <functional>

namespace Grantry {

// Shows the connection-details dialog modally; set by the dialog's module. The command has attached
// the planning program, opened the connection and loaded CurrentProjectData from the plan's
// properties before it calls this. Left empty, the command shows nothing.
extern std::function<void()> ShowConnectionDetailsDialog;

} // namespace Grantry
