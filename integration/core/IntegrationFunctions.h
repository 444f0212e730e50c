#pragma once
// Shared routines of the integration server's commands: the program's start, reaching the planning
// program, the ERP connection checks, the plan's document properties, the log's error texts, the side
// files, the menu and toolbar state, and the plan lookups and time stamps.
//
// Unless a routine says otherwise it resumes after every failure of its own calls: it tests Err()
// where it must and never reports to its caller through anything but its result.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/Task.h"

namespace Grantry {

using platform::automation::Date;

// ---- the program's start -------------------------------------------------------------------------

// The flag with which the operating system starts the program to serve an object to a client.
inline constexpr char kAutomationStartFlag[] = "-Embedding";
bool IsAutomationStart(const std::vector<std::string>& arguments);

inline constexpr char kStandAloneMessage[] =
    "This Application cannot be run in the Stand Alone mode\r\n\r\n Please refer to the Application "
    "Documentation for information on how to use this Application";

// The program's start routine: started to serve objects it returns at once; started by hand it tells
// the user that it is no program of its own, and returns so that the process ends.
void Main(const std::vector<std::string>& arguments);

// ---- the planning program ------------------------------------------------------------------------

// Attaches the running planning program into MSProjectApplication; false (the failure in Err()) when
// none runs.
bool AttachMSProject();
// Empties the command objects at a command's end.
void ReleaseCommandObjects();

// ---- ERP connection checks -----------------------------------------------------------------------

// Where the installation records the program's folder (local machine, value "Path").
inline constexpr char kApplicationPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Grantry.exe";
// The ERP release this program works with.
inline constexpr char kSupportedKovaRelease[] = "tt7.1_a";

// Creates CurrentConnection and takes its connector; on failure tells the user why and leaves the
// connector empty.
bool OpenKovaConnection();
// True when the ERP reports the supported release; otherwise tells the user.
bool CheckKovaRelease();
// True when the release is supported and the active plan belongs to the connection's company. A plan
// whose company property is missing or holds no number is refused like one of another company.
bool CheckProjectCompany();

// The folder of the installed program, exactly as the registry or the start folder gives it (no
// separator added or removed; callers append "/" and a name). Looked up once per process.
std::string GetApplicationPath();

// ---- the plan's document properties --------------------------------------------------------------

// Office property types.
inline constexpr int32_t kPropertyNumber = 1;
inline constexpr int32_t kPropertyYesNo = 2;
inline constexpr int32_t kPropertyDate = 3;
inline constexpr int32_t kPropertyText = 4;

struct DocumentPropertyDefinition {
    const char* name; // as the property is created; every lookup ignores letter case
    int32_t type;
    platform::automation::Variant initial;
};
// The integration's properties of a plan, in the order of creation (and of removal).
const std::array<DocumentPropertyDefinition, 39>& IntegrationDocumentProperties();

// Sets each argument from its property; a property that cannot be read leaves its argument as it was.
void ReadConnectionProperties(int32_t& company, std::string& project, std::string& plan,
                              std::string& description, int32_t& budgetCombination, Date& startDate,
                              Date& finishDate, int32_t& scheduleBase, std::string& connectionNode,
                              bool& deleteBudgetLine, bool& deleteTask, bool& materialAsSubTask,
                              bool& laborAsSubTask, bool& equipmentAsSubTask, bool& subcontractingAsSubTask,
                              bool& sundryAsSubTask, int32_t& ownership, std::string& availabilityType,
                              bool& transferChargeStructure, int32_t& baseline);
// One property of the active plan: false (the error state cleared) when it cannot be read; a write
// to a property the plan lacks, or of a value it cannot take, is skipped. Neither creates one.
bool ReadDocumentProperty(const std::string& name, platform::automation::Variant& value);
void WriteDocumentProperty(const std::string& name, const platform::automation::Variant& value);
// Copies the project's header from the plan's properties into CurrentProjectData.
void LoadProjectDataFromProperties();
// Writes the connection (CurrentConnection, CurrentProjectData and the options given) into the
// plan's existing properties; it creates none. The three unused arguments are accepted as the
// connection dialog passes them.
void WriteConnectionProperties(bool& transferEquipment, bool& transferTradegroup, bool& transferEmployee,
                               bool& transferItem, bool& transferLabor, bool& transferSubContracting,
                               bool& transferSundry, bool& materialAsSubTask, bool& laborAsSubTask,
                               bool& equipmentAsSubTask, bool& subcontractingAsSubTask, bool& sundryAsSubTask,
                               int32_t& scheduleBase, std::string& availabilityType,
                               bool& transferChargeStructure, bool& transferStandardChargeElement,
                               platform::automation::Variant& unused1, platform::automation::Variant& unused2,
                               platform::automation::Variant& unused3, bool& sortTasksOnCECode,
                               bool& transferProjectEquipment, bool& transferProjectItem,
                               bool& transferProjectLabor, bool& transferProjectSubContracting,
                               bool& transferProjectSundry);
// The structure options; a plan that lacks one gains it with its default.
bool GetSortTasksOnCECode();
bool GetMilestoneAsSubtask();
bool GetStandaloneMilestoneOnTop();

// ---- the log and its error texts -----------------------------------------------------------------

// The log form of an error description: three blanks and what follows its first "|".
std::string FormatErrorForLog(const std::string& text);
// Writes a refused structure update to the log (file 9): the charge elements that the description
// lists between its markers, or the description itself.
void LogChBSUpdateErrors(const std::string& text);

// ---- side files and folders ----------------------------------------------------------------------

// The path functions fail (the failure in Err(), the result "") only when no plan is active.
bool IsServerProject();
std::string GetServerProjectFolder();
std::string GetLogFilePath();
std::string GetLcoFilePath();
std::string GetBceFilePath();
std::string GetObsFilePath();
// Creates the side-file folder of a server plan; fails (in Err()) when it exists.
void CreateServerProjectFolder();
// Asks, then deletes a server plan's side files and its folder; a folder that cannot be removed is
// left in Err() for the caller.
void DeleteProjectSideFiles();
// Whether a record read from a side file (".lco", ".obs") is text as its writer left it. Control bytes
// (zeros included) and the bytes Windows-1252 leaves undefined mean the file was damaged.
bool IsTextRecord(const std::string& bytes);
// What a reader says of a side file whose record `number` is not text; its damaged records are left out.
std::string DamagedSideFileText(const std::string& path, int32_t number);
// Rewrites the ".obs" file from the ERP for the project and OBS code of CurrentProjectData.
void WriteObsElementsFile();

// ---- menu and toolbar state ----------------------------------------------------------------------

// Enables the integration's menu items and toolbar buttons for the active plan.
void UpdateCommandBarState();

// ---- plan lookups and time stamps ----------------------------------------------------------------

// "yyyymmddhhmmss" (fewer year digits below the year 1000).
std::string DateToTimeStamp(Date& value);
// The stamp's fields with carry-over; the zero date when they make no date.
Date TimeStampToDate(std::string stamp);
// Sets `code` to the code of the first resource whose name contains `resourceText`; unchanged when
// there is none. The Gantt view is active again afterwards.
void LocateResource(std::string& resourceText, std::string& code);
// Adds the coded tasks at every depth below `task`.
void CountCodedDescendants(platform::msproject::Task& task, int32_t& count);
// Stores the coded children (and their coded descendants) from position count + 1 on; an uncoded
// child is skipped with everything below it.
void CollectCodedDescendants(platform::msproject::Task& task, std::vector<platform::msproject::Task>& tasks,
                             int32_t& count);
// Whether a task at positions 0 to `highest` has an assignment. No error handling: a failure ends it
// and stays in Err().
bool AnyTaskHasAssignments(std::vector<platform::msproject::Task>& tasks, int32_t& highest);

} // namespace Grantry
