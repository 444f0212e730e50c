#pragma once
// "Synchronize ChBS/Budget/Schedule": prepares the connected plan (its view and filter, every outline
// level shown), makes sure that its top charge-element task is the connection node, and shows the
// synchronisation dialog inside the plan's log; the dialog runs the synchronisations.
#include <functional>

namespace Grantry {

inline constexpr char kTopTaskMismatchMessage[] =
    "The top summary task in MsP differs from the connection node or is invalid.";
inline constexpr char kSyncFreeStatusNote[] =
    "General note: For a project with \"Free\" status, the Charge Element Progress and Actual dates will not "
    "be updated";
inline constexpr char kAllKovaProjectTasksFilter[] = "AllKovaProjectTasks";
// The last line of a run in which a step failed or the plan could not be saved, and the first line of
// the message that then offers the log: followed by the project code and one of the reasons.
inline constexpr char kSynchronizationFailedLine[] = "Synchronization with Kova Project ";
inline constexpr char kStepsFailedReason[] = " failed: a step could not be completed (see the log)";
inline constexpr char kNotSavedReason[] =
    " failed: the Microsoft Project file is not saved, what the run wrote into it is lost";

// The synchronisation dialog, shown modally with the log open. The module that builds it sets it;
// left empty, the command shows nothing and saves the plan.
extern std::function<void()> ShowSyncOptionsDialog;

// The top-task check: the first parentless charge-element task that is no milestone must carry the
// connection node. Its row is selected; true when it passes (also when there is no such task).
bool TopTaskIsConnectionNode();

} // namespace Grantry
