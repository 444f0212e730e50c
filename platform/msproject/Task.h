#pragma once
// Tasks of a plan. A plan's task list is a sequence of rows, each a task or a blank row; a task's Id
// is its row number (renumbered by every insert, delete, move and sort), its UniqueID never changes.
// The outline follows from the order and the levels: a task's parent is the nearest task above it
// with a lower level, and the project summary task (Id 0, level 0) is the parent of level-1 tasks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/Assignment.h"
#include "platform/msproject/Fields.h"
#include "platform/msproject/Handle.h"
#include "platform/msproject/Resource.h"

namespace platform::msproject {

namespace detail {
struct TaskData;
struct PlanData;
} // namespace detail

// Link types of LinkPredecessors.
enum PjTaskLinkType : int32_t {
    pjFinishToFinish = 0,
    pjFinishToStart = 1,
    pjStartToFinish = 2,
    pjStartToStart = 3,
};

class TaskDependency;

class Task : public Handle<detail::TaskData> {
public:
    int32_t Id() const;
    int32_t UniqueID() const;
    std::string Name() const;
    void SetName(const std::string& value);
    std::string Notes() const;
    void SetNotes(const std::string& value);

    // Schedule. Finish = Start + Duration working minutes on the project calendar; writing Finish
    // sets Duration; a task with outline children shows the span of its children.
    platform::automation::Date Start() const;
    void SetStart(const platform::automation::Date& value);
    platform::automation::Date Finish() const;
    void SetFinish(const platform::automation::Date& value);
    double Duration() const;                                      // minutes
    void SetDuration(const platform::automation::Variant& value); // minutes, or text in the default unit
    platform::automation::Date EarlyStart() const;
    platform::automation::Date EarlyFinish() const;
    // The stand-in schedules no slack, so the early dates are the scheduled ones unless a fixture sets
    // them apart, as a plan with slack has them. Not saved with the plan.
    void OverrideEarlyDates(const platform::automation::Date& start, const platform::automation::Date& finish);
    bool Milestone() const;
    void SetMilestone(bool value);
    bool Summary() const;
    int32_t ConstraintType() const; // 0 as soon as possible, 4 start no earlier than ...
    void SetConstraintType(int32_t value);
    platform::automation::Variant ConstraintDate() const; // a date or "NA"
    void SetConstraintDate(const platform::automation::Variant& value);
    int32_t Type() const; // 0 fixed units, 1 fixed duration, 2 fixed work
    void SetType(int32_t value);
    double FixedCost() const;
    void SetFixedCost(double value);
    double Cost() const;                                      // fixed cost plus the assignments' cost
    double Work() const;                                      // minutes
    void SetWork(const platform::automation::Variant& value); // minutes, or text in the default work unit
    double ActualWork() const;
    void SetActualWork(const platform::automation::Variant& value);
    double PercentComplete() const;
    void SetPercentComplete(double value);
    double PercentWorkComplete() const;
    void SetPercentWorkComplete(double value);
    platform::automation::Variant ActualStart() const; // a date or "NA"
    void SetActualStart(const platform::automation::Variant& value);
    platform::automation::Variant ActualFinish() const;
    void SetActualFinish(const platform::automation::Variant& value);

    // Written by BaselineSave; "NA" (or 0 for the numbers) until then.
    platform::automation::Variant BaselineStart() const;
    platform::automation::Variant BaselineFinish() const;
    double BaselineDuration() const;
    double BaselineWork() const;
    double BaselineCost() const;
    platform::automation::Variant StartN(int n) const; // Start1..Start10
    void SetStartN(int n, const platform::automation::Variant& value);
    platform::automation::Variant FinishN(int n) const; // Finish1..Finish10
    void SetFinishN(int n, const platform::automation::Variant& value);

    std::string Text(int n) const;
    void SetText(int n, const std::string& value);
    bool Flag(int n) const;
    void SetFlag(int n, bool value);
    double Number(int n) const;
    void SetNumber(int n, double value);
    platform::automation::Variant DateField(int n) const; // a date or "NA"
    void SetDateField(int n, const platform::automation::Variant& value);
    KOVA_MSP_CUSTOM_FIELDS

    // Any field by its name, without regard to case ("Text1", "milestone", "Start3").
    platform::automation::Variant GetField(std::string_view name) const;
    void SetField(std::string_view name, const platform::automation::Variant& value);

    // Outline.
    int32_t OutlineLevel() const;
    void SetOutlineLevel(int32_t value); // by indent and outdent steps; an unreachable level fails
    Task OutlineParent() const;          // the summary task for level 1; Nothing for the summary task
    List<Task> OutlineChildren() const;
    void OutlineIndent();  // with its descendants; 1004 when the row above is not at its level or deeper
    void OutlineOutdent(); // with its descendants; 1004 at level 1
    void OutlineShowAllTasks();
    void OutlineShowSubTasks();
    void OutlineHideSubTasks();

    // Resources and links.
    platform::msproject::Assignments Assignments() const;
    List<platform::msproject::Resource> Resources() const;
    // Lag: minutes as a number, or text in the default duration unit ("2", "-1.5", "0").
    void LinkPredecessors(const Task& Tasks, int32_t Link = pjFinishToStart,
                          const platform::automation::Variant& Lag = 0.0);
    void UnlinkPredecessors(const Task& Tasks);
    List<TaskDependency> TaskDependencies() const; // links where this task is the successor
    List<Task> PredecessorTasks() const;

    // The row format set by Application::Font.
    bool FontItalic() const;
    bool FontBold() const;
    int32_t FontColor() const;

    // Deletes the task with its outline children and assignments; the Ids below move up.
    void Delete();
};

class TaskDependency {
public:
    Task From;
    Task To;
    int32_t Type = pjFinishToStart;
    double Lag = 0; // minutes
};

// The plan's task list by row: Count includes blank rows, Item(i) is Nothing for a blank row.
class Tasks : public Handle<detail::PlanData> {
public:
    int32_t Count() const;
    Task Item(int32_t index) const; // out of range: 1004
    Task UniqueID(int32_t uid) const;
    // Inserts before the row `Before` (the Ids from there move down), or at the end. The new task
    // takes the level of the task it is inserted before (at the end: the last task's level).
    Task Add(const std::string& Name = {}, std::optional<int32_t> Before = {});
    LiveIterator<Tasks, Task> begin() const { return {this, 1}; }
    LiveIterator<Tasks, Task> end() const { return {this, 0}; }
    std::vector<Task> Snapshot() const;
};

} // namespace platform::msproject
