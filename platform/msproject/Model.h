#pragma once
// Inside the planning program: the data behind the handles. Not for callers outside this folder.
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/Handle.h"
#include "platform/msproject/RowList.h"

namespace platform::msproject {
struct ApplicationOptions;
class Application;
} // namespace platform::msproject

namespace platform::msproject::detail {

using automation::AutomationError;
using automation::Date;
using automation::Variant;

inline constexpr const char* kSource = "Microsoft Project";
inline constexpr int32_t kAppError = 1004;
inline constexpr int32_t kInvalidCall = 5;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kSubscript = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kDllLoad = 48;
inline constexpr int32_t kServerGone = 462;

[[noreturn]] void Fail(int32_t number, std::string description = {});

// ---------------------------------------------------------------- text helpers
// Letter case folded for ASCII and the Latin-1 letters of UTF-8 ("Größer" and "GRÖSSER" aside).
std::string Fold(std::string_view s);
void FoldInto(std::string_view s, std::string& out); // the same into a string kept by the caller
bool SameText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);

// ---------------------------------------------------------------- calendars
struct Shift {
    int from = 0; // minutes after midnight
    int to = 0;
    friend bool operator==(const Shift&, const Shift&) = default;
};
struct DayDef {
    bool working = false;
    std::vector<Shift> shifts;
    friend bool operator==(const DayDef&, const DayDef&) = default;
};
struct CalendarData {
    std::string name;
    std::array<DayDef, 7> week;           // index 0 = Sunday
    std::map<int64_t, DayDef> exceptions; // by day number (whole days of the automation date)
    bool deleted = false;
};
DayDef DefaultWorkingDay();
std::array<DayDef, 7> DefaultWeek();
const DayDef& DayOf(const CalendarData& cal, int64_t day);
double WorkingMinutes(const CalendarData& cal, Date from, Date to); // negative when to < from
Date AddWorkingMinutes(const CalendarData& cal, Date start, double minutes);
// "09:30 AM", "00:00 AM", "11:59 PM", "13:30": minutes after midnight; nullopt when empty.
std::optional<int> ParseTimeText(std::string_view text, const std::string& am, const std::string& pm);

// ---------------------------------------------------------------- organizer items
struct Criterion {
    std::string field, test, value; // test: an English word or "="
};
struct ViewDef {
    std::string name;
    bool task = true;
    std::string table, filter;
};
struct TableDef {
    std::string name;
    bool task = true;
    std::vector<std::string> fields;
};
struct FilterDef {
    std::string name;
    bool task = true;
    std::vector<Criterion> criteria; // all must hold; none: every non-blank row
};
struct CommandBarData;
struct ControlData {
    int32_t type = 1; // 1 button, 10 pop-up
    int32_t id = 1;
    std::string caption, onAction, tag, parameter;
    bool enabled = true, beginGroup = false, visible = true, builtIn = false;
    std::vector<std::shared_ptr<ControlData>> controls;
    std::weak_ptr<ControlData> parent; // the pop-up it is an item of
    std::weak_ptr<CommandBarData> bar; // the bar, for a control at the top of a bar
    bool deleted = false;
};
struct CommandBarData {
    std::string name;
    int32_t type = 0; // 0 toolbar, 1 menu bar, 2 pop-up
    bool visible = true, builtIn = false;
    std::vector<std::shared_ptr<ControlData>> controls;
    bool deleted = false;
};
struct ComponentData {
    std::string name;
    int32_t type = 1; // 1 standard module, 100 document module
    std::vector<std::string> lines;
    bool deleted = false;
};
struct ReferenceData {
    std::string name, fullPath, description;
    bool builtIn = false;
    bool deleted = false;
};
struct VBProjectData {
    std::string name;
    std::vector<std::shared_ptr<ComponentData>> components;
    std::vector<std::shared_ptr<ReferenceData>> references;
};
// Views, tables, filters, toolbars and the macro project, held by the global template and by plans.
struct ItemStore {
    std::vector<ViewDef> views;
    std::vector<TableDef> tables;
    std::vector<FilterDef> filters;
    std::vector<std::shared_ptr<CommandBarData>> commandBars;
    std::shared_ptr<VBProjectData> vbProject = std::make_shared<VBProjectData>();
};
ItemStore BuiltInGlobalItems();
void EnsureBuiltIns(ItemStore& store, bool global);
const ViewDef* FindView(const ItemStore& s, std::string_view name);
const FilterDef* FindFilter(const ItemStore& s, std::string_view name, std::optional<bool> task);

// ---------------------------------------------------------------- plans
struct PlanData;
struct TaskData;
struct ResourceData;

struct FieldSet {
    std::array<std::string, 30> text;
    std::array<bool, 20> flag{};
    std::array<double, 20> number{};
    std::array<std::optional<Date>, 10> date; // nullopt = "NA"
};

struct Link {
    int32_t predecessorUid = 0;
    int32_t type = 1; // 0 FF, 1 FS, 2 SF, 3 SS
    double lag = 0;   // minutes
};

struct AssignmentData {
    int32_t uid = 0;
    TaskData* task = nullptr;
    std::shared_ptr<ResourceData> resource;
    FieldSet f;
    double units = 1, work = 0, actualWork = 0, percentWorkComplete = 0, cost = 0;
    std::optional<Date> start, finish; // nullopt: the task's
    std::optional<Date> actualStart, actualFinish;
    std::string notes;
    bool deleted = false;
};

struct TaskData {
    std::weak_ptr<PlanData> plan;
    int32_t uid = 0;
    // The row number in the task list as of the plan's inserts before `idInserts` (see PlanData's
    // `pendingInserts`); read through TaskId or SlotOf.
    int32_t id = 0;
    size_t idInserts = 0;
    int level = 1;
    bool deleted = false;
    bool collapsed = false;
    std::string name, notes;
    FieldSet f;
    Date start;
    double duration = 480;
    bool milestone = false;
    int32_t constraintType = 0;
    std::optional<Date> constraintDate;
    int32_t type = 0;
    double fixedCost = 0, work = 0, actualWork = 0, percentComplete = 0, percentWorkComplete = 0;
    std::optional<Date> actualStart, actualFinish;
    std::optional<Date> baselineStart, baselineFinish;
    std::optional<Date> earlyStart, earlyFinish; // set by a fixture only; nullopt: the scheduled dates
    std::optional<double> baselineDuration, baselineWork, baselineCost;
    std::array<std::optional<Date>, 10> startN, finishN;
    std::vector<Link> predecessors;
    bool fontItalic = false, fontBold = false;
    int32_t fontColor = 0;
    std::vector<std::shared_ptr<AssignmentData>> assignments;
};

struct ResourceData {
    std::weak_ptr<PlanData> plan;
    int32_t uid = 0;
    int32_t id = 0;
    bool deleted = false;
    std::string name, emailAddress, baseCalendar, initials, group;
    FieldSet f;
    double maxUnits = 1, standardRate = 0, overtimeRate = 0, costPerUse = 0;
    int32_t accrueAt = 3, type = 0;
};

struct PropertyData {
    std::weak_ptr<PlanData> plan;
    std::string name;
    int32_t type = 4; // 1 Number, 2 Yes/No, 3 Date, 4 Text, 5 Float
    Variant value;
    bool deleted = false;
};

struct AppState;

// The rows of a view: slots of the task or resource list in row order (blank rows included unless a
// filter hides them). Without hidden rows every slot is a row and nothing is held but the count.
class ViewRows {
public:
    static ViewRows All(size_t count);
    static ViewRows Of(std::vector<int> slots, size_t slotCount);
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    bool AllSlots() const { return !rows_; }
    int operator[](size_t i) const { return rows_ ? (*rows_)[i] : static_cast<int>(i); }
    // The 1-based row of a slot; 0 when the slot is hidden or past the end.
    int32_t RowOf(int slot) const;
    std::vector<int> Slots() const;

private:
    size_t count_ = 0;
    std::shared_ptr<const std::vector<int>> rows_;      // null: every slot is a row
    std::shared_ptr<const std::vector<int32_t>> rowOf_; // by slot
};

// What the planning program keeps between calls to answer them fast, worked out again when the plan
// changes in a way that may make it wrong.
struct RowCache {
    bool valid = false;
    bool taskView = true;
    bool noneCollapsed = true; // no listed task was collapsed when the rows were worked out
    // The filter the rows were worked out under: its name as applied (empty: none), and whether it
    // hid the blank rows. Only a filter without criteria is kept: its rows do not depend on values.
    std::string filter;
    bool blanksHidden = false;
    ViewRows rows;
};
// Rows of a list by a text field's folded value ("equals") or by the three-byte pieces of it
// ("contains"). A row stands under every value its field had while it was indexed; the search tests
// each candidate as it is now, so entries left over from old values cost time, never a wrong answer.
struct FieldIndex {
    std::unordered_map<std::string, std::vector<std::weak_ptr<void>>> rows;
    size_t entries = 0, built = 0; // built: the entries when it was last built
};
struct FieldIndexKey {
    bool taskRows = true;
    int code = 0, index = 0;
    bool pieces = false; // "contains": keyed by three-byte pieces
    auto operator<=>(const FieldIndexKey&) const = default;
};

struct PlanData : std::enable_shared_from_this<PlanData> {
    AppState* app = nullptr;
    bool deleted = false;       // closed
    std::string name;           // file name as shown ("Plan.mpp", "Project1")
    std::string folder;         // as the caller named it; "<..." for a plan held on a server
    std::filesystem::path file; // where it is stored; empty until first saved
    bool saved = false;
    int32_t windowNumber = 0;

    Date start;
    std::string calendar = "Standard";
    std::string currencySymbol = "$", title, author, company;
    bool honorConstraints = true;
    int32_t defaultDurationUnits = 7, defaultWorkUnits = 5;
    double hoursPerDay = 8, hoursPerWeek = 40;
    int32_t nextTaskUid = 1, nextResourceUid = 1, nextAssignmentUid = 1;

    std::shared_ptr<TaskData> summary;
    RowList<TaskData> tasks; // nullptr = blank row
    std::vector<std::shared_ptr<ResourceData>> resources;
    std::vector<std::shared_ptr<CalendarData>> calendars;
    std::vector<std::shared_ptr<PropertyData>> properties;
    ItemStore items;

    // The plan's window: view, filter, active cell and selection.
    std::string currentView = "Gantt Chart";
    std::string filter; // empty: no filter
    int32_t activeRow = 1, activeColumn = 1;
    std::vector<int32_t> selection; // view rows, sorted; empty: the active row only
    bool sheetSelected = false;

    mutable RowCache rowCache;
    mutable std::map<FieldIndexKey, FieldIndex> fieldIndexes;
    // Tasks put into or taken out of the list since the tasks were last numbered, in order: an insert
    // moved the rows from its slot on down by its count, a removal took `removed` rows out at its slot
    // and moved those below up. A task's number is worked out from its `id` and the changes after it, so
    // a long run of inserts, cuts and pastes does not number the whole list after each one.
    struct Insert {
        size_t at, count;
        size_t removed = 0;
    };
    std::vector<Insert> pendingInserts;
    // Whether another instance (of any process) has the file open: the first to open a plan holds it
    // until it closes it, and the others open it read-only; a save of theirs goes to another file.
    // The hold ends with its process, so a killed instance leaves no stale one.
    bool readOnly = false;
    int holdFd = -1;
    bool Hold(); // false when another instance holds the file
    void Release();
    PlanData() = default;
    PlanData(const PlanData&) = delete;
    PlanData& operator=(const PlanData&) = delete;
    ~PlanData() { Release(); }

    void Touch() { saved = false; }
    // Numbers every task and resource afresh, and drops what is kept for the view and the search
    // (after the plan was read from its file, for example).
    void Renumber();
    // The task list changed from slot `from` on, `entered` tasks having been put in at `from` (or, with
    // `removed`, that many taken out there and nothing else changed): numbers the tasks from there and
    // keeps the view's rows and the search indexes in step.
    void TasksChanged(size_t from, size_t entered = 0, size_t removed = 0);
    // Numbers the tasks from `from` on, folding in the inserts not yet numbered.
    void NumberTasks(size_t from);
    void ResourcesChanged(size_t from, size_t entered = 0);
    // Levels or the order of tasks changed: hidden rows may move.
    void OutlineChanged();
    // A task was collapsed or expanded, or the view or filter changed: the rows are worked out again.
    void RowsChanged() const { rowCache.valid = false; }
    bool TaskView() const;
    const CalendarData* ProjectCalendar() const;
    std::shared_ptr<CalendarData> CalendarByName(std::string_view name) const;
    std::shared_ptr<ResourceData> ResourceByName(std::string_view name) const;
    std::shared_ptr<TaskData> TaskByUid(int32_t uid) const;
    // Each task as it was made, read or last found by TaskByUid: a hint, checked against the list at every
    // look-up. Not used once a task of another plan was pasted in, as its unique id may be one this plan
    // uses too (the look-up then answers the first in the list, as it always has).
    mutable std::unordered_map<int32_t, std::weak_ptr<TaskData>> uidHints;
    bool foreignTasks = false;
    std::string Title() const;
};

std::shared_ptr<PlanData> NewPlan(AppState* app);
std::shared_ptr<TaskData> NewTask(PlanData& plan, std::string name);

// The slot index of a task in its plan's list; -1 for the summary task or a task not in the list.
int SlotOf(const PlanData& plan, const TaskData* t);
// The same from the task's number alone, without looking through the list: -1 when that is not its slot.
int NumberedSlot(const PlanData& plan, const TaskData& t);
// The task's Id: its row in the task list; for one taken out of it (cut), the Id it had there.
int32_t TaskId(const PlanData& plan, const TaskData& t);
// The same for a task that must stand in the list (not the summary task, not a cut task): else 1004.
int ListedSlot(const PlanData& plan, const TaskData& t);
// First slot after the task's subtree (its descendants follow it with deeper levels; blank rows
// between them belong to the subtree, blank rows after the last descendant do not).
int SubtreeEnd(const PlanData& plan, int slot);
std::shared_ptr<TaskData> ParentOf(const PlanData& plan, const TaskData& t);
std::vector<std::shared_ptr<TaskData>> ChildrenOf(const PlanData& plan, const TaskData& t);
bool HasChildren(const PlanData& plan, const TaskData& t);
// Expands every collapsed task; the view's rows are worked out again only when one was collapsed.
void ExpandAll(PlanData& plan);
Date TaskStart(const PlanData& plan, const TaskData& t);
Date TaskFinish(const PlanData& plan, const TaskData& t);
double TaskDuration(const PlanData& plan, const TaskData& t);
double TaskCost(const PlanData& plan, const TaskData& t);
// Takes the slots [from, to) out of the list (a cut keeps the tasks elsewhere); DeleteTaskSlots also
// marks them and their assignments deleted.
void TakeOutTaskSlots(PlanData& plan, int from, int to);
void DeleteTaskSlots(PlanData& plan, int from, int to);
void IndentTask(PlanData& plan, TaskData& t);
void OutdentTask(PlanData& plan, TaskData& t);
// Inserts before the task list's row `before` (1-based; past the end or nullopt: at the end).
std::shared_ptr<TaskData> InsertTask(PlanData& plan, std::string name, std::optional<int32_t> before);
std::vector<Link> LiveLinks(const PlanData& plan, const TaskData& t);
inline void CheckFieldIndex(int n, int max) {
    if (n < 1 || n > max) Fail(kAppError, "The argument value is not valid.");
}

// Rows of the active view: slot indexes into tasks (task view) or resources (resource view),
// blank rows included as their slot unless a filter hides them.
ViewRows VisibleRows(const PlanData& plan);

// ---------------------------------------------------------------- fields by name
enum class FieldType { Text, YesNo, Number, Date, MaybeDate, Duration, Work, Integer };
struct FieldRef {
    enum Entity { TaskField, ResourceField, AssignmentField } entity = TaskField;
    int code = 0;  // which field
    int index = 0; // 0-based index of a numbered field
    FieldType type = FieldType::Text;
};
std::optional<FieldRef> LookupField(FieldRef::Entity entity, std::string_view name);
Variant GetTaskField(const PlanData& plan, const TaskData& t, const FieldRef& f);
void SetTaskField(PlanData& plan, TaskData& t, const FieldRef& f, const Variant& v);
Variant GetResourceField(const ResourceData& r, const FieldRef& f);
void SetResourceField(PlanData& plan, ResourceData& r, const FieldRef& f, const Variant& v);
Variant GetAssignmentField(const PlanData& plan, const AssignmentData& a, const FieldRef& f);
void SetAssignmentField(PlanData& plan, AssignmentData& a, const FieldRef& f, const Variant& v);

// Value conventions shared by the handles.
Variant MaybeDateValue(const std::optional<Date>& d); // Date or "NA"
std::optional<Date> ToMaybeDate(const Variant& v);    // "NA" and Empty give nullopt; 13 otherwise
double ToMinutes(const PlanData& plan, const Variant& v, int32_t unit); // text read in `unit`
double UnitMinutes(const PlanData& plan, int32_t unit);

// A compiled test of one field of a row (a slot of the task or resource list). `test` is a word of
// the language `lcid` (without regard to case) or "="; an unknown test, field or value fails.
using RowMatcher = std::function<bool(int slot)>;
RowMatcher MakeRowMatcher(const PlanData& plan, bool taskRows, const std::string& field,
                          const std::string& test, const Variant& value, bool matchCase, int32_t lcid);
// The number of a test word of the language `lcid` (1 "equals" .. 11 "contains exactly"; "=" is 1).
int TestIndex(const std::string& test, int32_t lcid);
// The text behind a text field of a row, or nullptr for a field that is not held as text.
bool HeldAsText(bool taskRows, const FieldRef& f);
const std::string* TextOf(const PlanData& plan, bool taskRows, int slot, const FieldRef& f);
// The slots of the rows that may pass such a test, from the field's index (built when first needed);
// nullopt when the test cannot be answered from an index (then every row is tried). The slots are
// listed rows, each tested as it is now; hidden ones are among them.
std::optional<std::vector<int>> CandidateSlots(const PlanData& plan, bool taskRows, const std::string& field,
                                               const std::string& test, const Variant& value, bool matchCase,
                                               int32_t lcid);
// A text field of a task or resource was written: its index, if there is one, learns the new value.
void FieldWritten(const PlanData& plan, const TaskData& t, const FieldRef& f);
void FieldWritten(const PlanData& plan, const ResourceData& r, const FieldRef& f);
// Rows put into a list learn every index of that list.
void RowsEntered(const PlanData& plan, bool taskRows, size_t from, size_t count);
// The words of the user interface language: index 1..11 the tests, 12 "Yes", 13 "No".
const std::array<std::string, 14>& LanguageWords(int32_t lcid);

// ---------------------------------------------------------------- the running instance
struct AppState {
    Application* self = nullptr;
    int32_t uiLanguage = 1033;
    std::string version = "11.0";
    std::string decimalSeparator = ".", am = "AM", pm = "PM";
    std::function<std::optional<std::string>(PlanData&)> saveAsPrompt;
    int32_t failedSaves = 0;
    std::string lastSaveFailure;
    std::function<bool(const std::string&)> alertPrompt;
    std::function<void(PlanData&)> projectActivated;
    int32_t alertsShown = 0;

    bool running = true;
    bool alerts = true, visible = true, macroVirusProtection = true, mainWindowVisible = true;
    int32_t showAssignmentUnitsAs = 0;
    int32_t newPlanCounter = 0, windowCounter = 0;
    std::vector<std::shared_ptr<PlanData>> plans; // in opening order
    std::shared_ptr<PlanData> active;
    ItemStore global;

    // The last Find, for FindNext.
    struct LastFind {
        std::string field, test;
        Variant value;
        bool next = true, matchCase = false, valid = false;
    } lastFind;
    // What EditCut or EditCopy left.
    std::vector<std::shared_ptr<TaskData>> clipboard;
    bool clipboardUsed = false, clipboardIsCut = false;

    std::filesystem::path programFolder; // fixed when the instance starts
    std::filesystem::path ProgramFolder() const;
    std::filesystem::path GlobalTemplateFile() const;
    // Writes the global template when this instance changed it.
    void SaveGlobal();
    void LoadGlobal();
    std::string globalRead;    // the template file as this instance last read or wrote it
    std::string globalWritten; // the global items as they stood then
    std::vector<std::string> notices; // what the program had to tell when it started
    bool Alert(const std::string& message); // true to go on
    PlanData& Active();
    void Activate(const std::shared_ptr<PlanData>& plan);
};

// ---------------------------------------------------------------- plan files
// The dates the program schedules with (1984-01-01 to 2149-12-31) and the dates it stores at all
// (100-01-01 to 9999-12-31): its reader refuses a plan holding others, so its object model refuses to
// set them.
bool IsScheduleDate(const Date& d);
bool IsStoredDate(const Date& d);
inline constexpr char kScheduleDatesText[] = "(1984-01-01 to 2149-12-31)";
// The longest duration, in minutes, of a task that starts at `start`: it must end by 2149-12-31.
double LatestDuration(const Date& start);
// A date as the program's errors show it: "2200-01-01 00:00:00", or the number when it is no date.
std::string ShownDate(const Date& d);
std::string SerializePlan(const PlanData& plan);
// Reads a plan; throws AutomationError naming `fileName`, the row and the field when the file is
// damaged, holds what the program could not have written, or is of a newer format.
void DeserializePlan(PlanData& plan, const std::string& text, const std::string& fileName = {});
std::string SerializeGlobal(const ItemStore& global);
ItemStore DeserializeGlobal(const std::string& text);
std::filesystem::path StoragePath(const std::string& folder, const std::string& name);

// ---------------------------------------------------------------- guarded calls
struct Access {
    template <class H> static auto& Data(const H& h) { return h.d_; }
    template <class H, class D> static H Make(std::shared_ptr<D> d) {
        H h;
        h.d_ = std::move(d);
        return h;
    }
    template <class H> static void Carry(H& h, int32_t number, const std::string& description) {
        h.error_ = std::make_shared<CarriedError>(CarriedError{number, description});
    }
    template <class H> static const std::shared_ptr<const CarriedError>& Carried(const H& h) {
        return h.error_;
    }
    template <class H> static auto& App(H& h) { return h.app_; }
    template <class H> static const auto& App(const H& h) { return h.app_; }
    template <class H> static auto& Bar(H& h) { return h.bar_; }
    template <class H> static const auto& Bar(const H& h) { return h.bar_; }
    template <class H> static auto& Popup(H& h) { return h.popup_; }
    template <class H> static const auto& Popup(const H& h) { return h.popup_; }
};

template <class H> struct IsHandle {
    template <class D> static std::true_type test(const Handle<D>*);
    static std::false_type test(...);
    static constexpr bool value = decltype(test(static_cast<H*>(nullptr)))::value;
};

void RecordError(int32_t number, const std::string& source, const std::string& description);

// Runs a member's body: a failure is recorded in Err() and a neutral value returned.
template <class F> auto Guard(F&& body) -> decltype(body()) {
    using R = decltype(body());
    int32_t number = 0;
    std::string description;
    try {
        return body();
    } catch (const AutomationError& e) {
        number = e.number;
        description = e.description;
        RecordError(number, e.source.empty() ? kSource : e.source, description);
    } catch (const std::exception& e) {
        number = kAppError;
        description = e.what();
        RecordError(number, kSource, description);
    }
    if constexpr (std::is_void_v<R>) {
        return;
    } else if constexpr (IsHandle<R>::value) {
        R r;
        Access::Carry(r, number, automation::Err().Description);
        return r;
    } else {
        return R{};
    }
}

// The live data behind a handle, or the failure of using it: the carried error of a failed call,
// 91 for Nothing or a deleted object.
template <class H> auto& Live(const H& h) {
    const auto& d = Access::Data(h);
    if (!d) {
        if (const auto& c = Access::Carried(h); c && c->number != 0) Fail(c->number, c->description);
        Fail(kObjectNotSet);
    }
    if constexpr (requires { d->deleted; }) {
        if (d->deleted) Fail(kObjectNotSet, "The object has been deleted.");
    }
    return *d;
}

// The plan of a task or resource, or 91 when the plan is closed (462 when the program has ended).
PlanData& PlanOf(const std::weak_ptr<PlanData>& plan);
template <class H> PlanData& LivePlan(const H& h) {
    return PlanOf(Live(h).weak_from_this());
}

template <class H, class D> H MakeHandle(std::shared_ptr<D> d) {
    return Access::Make<H>(std::move(d));
}

} // namespace platform::msproject::detail
