#pragma once
// The planning program's application object: one running instance per process, reached by the
// system's code through CreateObject("MSProject.Application").As<Application>(). It also answers a
// few members late-bound (Path, Version, Name, Visible, the file commands), for callers that hold it
// as an Object.
//
// Every member records a failure in platform::automation::Err() and returns a neutral value (0,
// false, "", Nothing); nothing throws.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Object.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/CommandBars.h"
#include "platform/msproject/Project.h"
#include "platform/msproject/VBE.h"

namespace platform::msproject {

inline constexpr const char* kApplicationProgID = "MSProject.Application";

enum PjSaveType : int32_t { pjDoNotSave = 0, pjSave = 1, pjPromptSave = 2 };
// Organizer item kinds.
enum PjOrganizer : int32_t { pjViews = 0, pjTables = 1, pjFilters = 2, pjModules = 3, pjToolbars = 6 };
// Units of DefaultDurationUnits and DefaultWorkUnits.
enum PjUnit : int32_t { pjMinute = 3, pjHour = 5, pjDay = 7, pjWeek = 9 };
// ResourceAssignment operations.
enum PjResAssignOperation : int32_t { pjAssign = 0, pjRemove = 1, pjReplace = 2 };

// How the running instance is set up (by the host program or a test).
struct ApplicationOptions {
    int32_t uiLanguage = 1033; // LCID of the user interface: Find's test words and its "Yes"
    std::string version = "11.0";
    bool alerts = true;
    // Empty: taken from the user's locale.
    std::string decimalSeparator, amDesignator, pmDesignator;
    // The answer of the Save As dialog for a plan that was never saved: a full path, or nullopt for
    // Cancel (the plan stays unsaved, without an error). Unset: Cancel.
    std::function<std::optional<std::string>(const Project&)> saveAsPrompt;
    // The answer to one of the program's own prompts while Alerts are on: true to go on. Unset: go on.
    std::function<bool(const std::string& message)> alertPrompt;
    // Called whenever a plan becomes the active one (open, new, window activation): the host runs the
    // global project's activation macro from here.
    std::function<void(const Project&)> projectActivated;
};

struct FontArgs {
    std::optional<std::string> Name{};
    std::optional<double> Size{};
    std::optional<bool> Bold{}, Italic{}, Underline{};
    platform::automation::Variant Color{}; // a number or its text ("1"); Empty: unchanged
};

struct SortArgs {
    std::string Key1{};
    bool Ascending1 = true;
    std::string Key2{};
    bool Ascending2 = true;
    std::string Key3{};
    bool Ascending3 = true;
    bool Renumber = false;
    bool Outline = true;
};

struct ProjectSummaryInfoArgs {
    std::optional<std::string> Title{}, Author{}, Company{}, Calendar{};
    std::optional<platform::automation::Date> Start{};
};

struct BaseCalendarEditDaysArgs {
    std::string Name{};
    std::optional<platform::automation::Date> StartDate{}, EndDate{};
    std::optional<int32_t> Weekday{}; // 1 = Sunday .. 7 = Saturday
    std::optional<bool> Working{};
    std::string From1{}, To1{}, From2{}, To2{}, From3{},
        To3{}; // "09:30 AM", "00:00 AM", "11:59 PM", or empty
    bool Default = false;
};

namespace detail {
struct AppState;
}

class Application : public platform::automation::Dispatch {
public:
    explicit Application(const ApplicationOptions& options);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // ---- plans and files
    platform::msproject::Projects Projects() const;
    Project ActiveProject() const; // no plan open: 1004
    void FileNew(bool SummaryInfo = true);
    void FileOpen(const std::string& Name, bool ReadOnly = false); // missing file: 1004
    void FileSave();
    void FileSaveAs(const std::string& Name, const std::string& FormatID = "MSProject.MPP");
    // How many saves (FileSave, FileSaveAs) have failed since the program started, and the reason of the
    // last: a caller that goes on after a failed save can still tell its user.
    int32_t FailedSaves() const;
    std::string LastSaveFailure() const;
    void FileClose(int32_t Save = pjPromptSave);
    void FileCloseAll(int32_t Save = pjPromptSave);
    // Ends the program: writes the global template whatever the argument, closes every plan.
    void Quit(int32_t SaveChanges = pjPromptSave);
    void WindowActivate(const std::string& WindowName);

    // ---- rows, selection, search
    Cell ActiveCell() const;
    // Absolute (RowRelative false): view row `Row` becomes the active row and the selection; relative:
    // the active row moves by `Row`. A row below 1 fails with 1004.
    void SelectRow(int32_t Row = 0, bool RowRelative = true, bool Extend = false, bool Add = false);
    void SelectCell(int32_t Row = 0, int32_t Column = 0, bool RowRelative = true);
    void SelectSheet();
    // Searches the visible rows of the active view from the row after the active one (before it when
    // Next is false), wrapping, the active row last. Test: a test word of the UI language or "=".
    bool Find(const std::string& Field, const std::string& Test, const platform::automation::Variant& Value,
              bool Next = true, bool MatchCase = false);
    bool FindNext();
    bool FindPrevious();

    // ---- editing and outline (on the selection)
    void EditCut();
    void EditCopy();
    void EditPaste();
    void EditDelete();
    void EditInsert(); // a blank row before the active row
    void OutlineShowAllTasks();
    void OutlineIndent();
    void OutlineOutdent();
    void OutlineShowSubTasks();
    void OutlineHideSubTasks();
    void Font(const FontArgs& args);
    void Sort(const SortArgs& args);

    // ---- views, tables, filters
    void ViewApply(const std::string& Name, bool SinglePane = false);
    void FilterApply(const std::string& Name);
    // Defines (or, Create false, changes) a view, table or filter in the active plan.
    void ViewEditSingle(const std::string& Name, bool Create, bool TaskView, const std::string& Table = {},
                        const std::string& Filter = {});
    void TableEdit(const std::string& Name, bool TaskTable, bool Create,
                   const std::vector<std::string>& Fields);
    void FilterEdit(const std::string& Name, bool TaskFilter, bool Create, const std::string& FieldName = {},
                    const std::string& Test = {}, const std::string& Value = {});

    // ---- scheduling, calendars, resources, baselines
    // Working minutes between the two moments on the named calendar (default: the project calendar).
    int32_t DateDifference(const platform::automation::Date& StartDate,
                           const platform::automation::Date& FinishDate,
                           const std::string& Calendar = {}) const;
    platform::automation::Date DateAdd(const platform::automation::Date& StartDate,
                                       const platform::automation::Variant& Duration,
                                       const std::string& Calendar = {}) const;
    void ProjectSummaryInfo(const ProjectSummaryInfoArgs& args);
    void BaseCalendarCreate(const std::string& Name, const std::string& FromName = {});
    void BaseCalendarEditDays(const BaseCalendarEditDaysArgs& args);
    void BaseCalendarDelete(const std::string& Name);
    void ResourceAssignment(const std::string& Resources, int32_t Operation, const std::string& With = {},
                            const platform::automation::Variant& Units = {});
    void BaselineSave(bool All = true, int32_t Copy = 0, int32_t Into = 0);

    // ---- options
    void Alerts(bool Show = true);
    bool DisplayAlerts() const;
    std::string Version() const;
    std::string Path() const; // the program folder, $KOVA_HOME/msproject
    std::string Name() const;
    bool Visible() const;
    void SetVisible(bool value);
    bool MacroVirusProtection() const;
    void SetMacroVirusProtection(bool value);
    int32_t ShowAssignmentUnitsAs() const;
    void SetShowAssignmentUnitsAs(int32_t value);

    // ---- global template
    platform::msproject::CommandBars CommandBars() const;
    CommandBar CommandBars(std::string_view name) const;
    // FileName / ToFileName: "GLOBAL.MPT" or an open plan's file name ("KovaProject.mpp").
    void OrganizerMoveItem(int32_t Type, const std::string& FileName, const std::string& ToFileName,
                           const std::string& Name, bool Task = true);
    void OrganizerDeleteItem(int32_t Type, const std::string& FileName, const std::string& Name,
                             bool Task = true);
    platform::msproject::VBE VBE() const;

    // ---- for the host program and tests
    int32_t UILanguage() const;
    std::string GlobalTemplatePath() const;
    int32_t AlertsShown() const; // prompts raised while Alerts were on
    bool Running() const;
    // What the program had to tell when it started (a damaged global template set aside), in order.
    std::vector<std::string> StartNotices() const;

    // Late binding.
    platform::automation::Variant Invoke(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) override;
    std::string TypeName() const override { return "Application"; }

private:
    friend struct detail::Access;
    std::shared_ptr<detail::AppState> state_;
};

// Starts the running instance of this process (a running one is quit first) and registers the
// ProgID, whose factory then gives this instance. The global template is read from disk, or laid
// out and written when there is none yet.
std::shared_ptr<Application> StartApplication(const ApplicationOptions& options = {});
// Quits the running instance, if any (as Quit 0): the global template is written.
void QuitApplication();
// The running instance, or nullptr.
std::shared_ptr<Application> RunningApplication();
// Registers "MSProject.Application" in the class registry (StartApplication does it too).
void RegisterApplicationClass();

} // namespace platform::msproject
