#pragma once
// The steps every command of the command class is built from: the checks of the active plan and its
// view, the plan log (file 9) with its header, saving the plan, and the offer to view the log. Each
// command strings them together in its own order; every step resumes after its own failures and
// reports only by message, log and result.
#include <functional>
#include <string>

namespace Grantry {

// The integration's task view; every command that works on tasks needs it.
inline constexpr char kKovaGanttView[] = "Kova Proj Gantt";

inline constexpr char kNoPlanMessage[] =
    "No active project found\r\n\r\nPlease open a new/existing project before selecting this button";
inline constexpr char kViewMissingMessage[] =
    "The \"Kova Proj Gantt\"-view is missing. Please reinstall the Orbel.";
inline constexpr char kViewMissingTitle[] = "View missing";
inline constexpr char kLogOfferMessage[] =
    "Messages have been added to the log file... Would you like to view it now?";

inline constexpr char kLogHeaderPrefix[] = "*** Process *** ";
inline constexpr char kPlanSavedLine[] = "The Microsoft Project file is saved";
inline constexpr char kPlanNotSavedLine[] = "The Microsoft Project file is not saved";

// connectProject's own texts.
inline constexpr char kConnectTitle[] = "Connect Microsoft Project to Kova Project";
inline constexpr char kSaveFirstMessage[] = "The Project must be saved first for this operation.";
inline constexpr char kConnectFailedLine[] = "Connection to Kova Project failed.........";
inline constexpr char kConnectCancelledLine[] = "Process Cancelled";
inline constexpr char kConnectEstablishedLine[] = "Connection Established with Kova Project : ";

// The connect dialog, shown modally by connectProject once the log is open. The dialog's module sets
// it; it runs the whole connection, prints its progress to file 9 and writes the plan's connection
// properties. Left empty, connectProject shows nothing and logs the run as cancelled.
extern std::function<void()> ShowConnectDialog;

// Whether the active plan offers the view "Kova Proj Gantt". No error handling of its own: when the
// plan or its views cannot be read the answer is false and the failure stays in Err().
bool HasKovaGanttView();

// False, after the no-plan message, when the planning program has no plan open.
bool RequireOpenPlan();
// False, after a message that says why, when the active plan cannot be saved where it is (it is open
// read-only, or its file cannot be written): a command that changes the ERP asks this before it sends
// anything, so that the ERP never holds what the plan cannot record.
bool RequireSavablePlan();
inline constexpr char kPlanNotSavableMessage[] = "This plan cannot be saved: ";
inline constexpr char kPlanNotSavableTail[] =
    ".\r\n\r\nNothing is sent to Kova, so that Kova holds nothing the plan could not record. Open the plan "
    "where it can be saved and run the command again.";
inline constexpr char kPlanReadOnlyReason[] = "it is open read-only, another program has it open";
inline constexpr char kPlanFileNotWritableReason[] = "its file cannot be written: ";

// False, after the view-missing message, when the plan lacks the integration's view; otherwise
// makes it the current view (single pane).
bool RequireKovaGanttView();

// Opens the active plan's log as file 9 (an existing log is truncated), keeps its path in LogFilePath
// and writes the header "*** Process *** " + `title`.
void OpenCommandLog(const std::string& title);
// One line to the command's log; a log that is not open is no reason to stop.
void PrintLog(const std::string& text);
// Saves the active plan and logs whether the planning program now calls it saved; true when it does.
bool SavePlanAndLog();
// Closes file 9 and offers the log at LogFilePath to the user; a `lead` text comes before the offer.
void CloseCommandLog(const std::string& lead = {});

// Asks whether the user wants to read the log at `logPath`; on Yes starts the log viewer with it and
// brings the viewer to the front without waiting for it. Failures are ignored. A `lead` text (what
// went wrong) comes first in the same message.
void OfferLogView(const std::string& logPath, const std::string& lead = {});

// A step of the running command that failed: the text is logged at once and the failure remembered,
// so that the command ends saying it failed instead of completed. The command resets it when it starts.
void LogStepFailure(const std::string& text);
bool StepFailed();
void ResetStepFailures();

} // namespace Grantry
