#include "platform/msproject/Task.h"

#include <algorithm>

#include "platform/msproject/Model.h"

namespace platform::msproject {
namespace detail {

void IndentTask(PlanData& plan, TaskData& t) {
    int slot = SlotOf(plan, &t);
    if (slot < 0) Fail(kAppError, "Indenting is not possible for this task.");
    int above = -1;
    for (int i = slot - 1; i >= 0; --i)
        if (plan.tasks[i]) {
            above = i;
            break;
        }
    // The task would skip a level: the row above must be at its level or deeper.
    if (above < 0 || plan.tasks[above]->level < t.level)
        Fail(kAppError, "Indenting is not possible for this task.");
    int end = SubtreeEnd(plan, slot);
    for (int i = slot; i < end; ++i)
        if (plan.tasks[i]) ++plan.tasks[i]->level;
    plan.tasks.Relevel(static_cast<size_t>(slot), static_cast<size_t>(end));
    plan.OutlineChanged();
    plan.Touch();
}

void OutdentTask(PlanData& plan, TaskData& t) {
    int slot = SlotOf(plan, &t);
    if (slot < 0 || t.level <= 1) Fail(kAppError, "Outdenting is not possible for this task.");
    int end = SubtreeEnd(plan, slot);
    for (int i = slot; i < end; ++i)
        if (plan.tasks[i]) --plan.tasks[i]->level;
    plan.tasks.Relevel(static_cast<size_t>(slot), static_cast<size_t>(end));
    plan.OutlineChanged();
    plan.Touch();
}

std::shared_ptr<TaskData> InsertTask(PlanData& plan, std::string name, std::optional<int32_t> before) {
    int count = static_cast<int>(plan.tasks.size());
    if (before && *before < 1) Fail(kAppError, "The argument value is not valid.");
    int slot = before && *before <= count ? *before - 1 : count;
    int level = 1;
    bool found = false;
    for (int i = slot; i < count && !found; ++i)
        if (plan.tasks[i]) {
            level = plan.tasks[i]->level;
            found = true;
        }
    for (int i = slot - 1; i >= 0 && !found; --i)
        if (plan.tasks[i]) {
            level = plan.tasks[i]->level;
            found = true;
        }
    auto t = NewTask(plan, std::move(name));
    t->level = level;
    plan.tasks.insert(static_cast<size_t>(slot), t);
    plan.TasksChanged(slot, 1);
    plan.Touch();
    return t;
}

std::vector<Link> LiveLinks(const PlanData& plan, const TaskData& t) {
    std::vector<Link> out;
    for (const auto& l : t.predecessors)
        if (plan.TaskByUid(l.predecessorUid)) out.push_back(l);
    return out;
}

} // namespace detail

using namespace detail;
using automation::Date;
using automation::Variant;

namespace {

template <class F> auto WithTask(const Task& h, F&& f) {
    return Guard([&] {
        auto& t = Live(h);
        return f(PlanOf(t.plan), t);
    });
}

Variant GetNamed(const Task& h, std::string_view name) {
    return WithTask(h, [&](PlanData& p, TaskData& t) {
        return GetTaskField(p, t, *LookupField(FieldRef::TaskField, name));
    });
}

void SetNamed(const Task& h, std::string_view name, const Variant& v) {
    WithTask(
        h, [&](PlanData& p, TaskData& t) { SetTaskField(p, t, *LookupField(FieldRef::TaskField, name), v); });
}

Task Wrap(const std::shared_ptr<TaskData>& t) {
    return t ? MakeHandle<Task>(t) : Task();
}

} // namespace

int32_t Task::Id() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return TaskId(p, t); });
}
int32_t Task::UniqueID() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.uid; });
}
std::string Task::Name() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return t.level == 0 ? p.Title() : t.name; });
}
void Task::SetName(const std::string& v) {
    SetNamed(*this, "Name", v);
}
std::string Task::Notes() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.notes; });
}
void Task::SetNotes(const std::string& v) {
    SetNamed(*this, "Notes", v);
}

Date Task::Start() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return TaskStart(p, t); });
}
void Task::SetStart(const Date& v) {
    SetNamed(*this, "Start", v);
}
Date Task::Finish() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return TaskFinish(p, t); });
}
void Task::SetFinish(const Date& v) {
    SetNamed(*this, "Finish", v);
}
double Task::Duration() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return TaskDuration(p, t); });
}
void Task::SetDuration(const Variant& v) {
    SetNamed(*this, "Duration", v);
}
Date Task::EarlyStart() const {
    const Date scheduled = Start();
    return WithTask(*this, [&](PlanData&, TaskData& t) { return t.earlyStart.value_or(scheduled); });
}
Date Task::EarlyFinish() const {
    const Date scheduled = Finish();
    return WithTask(*this, [&](PlanData&, TaskData& t) { return t.earlyFinish.value_or(scheduled); });
}
void Task::OverrideEarlyDates(const Date& start, const Date& finish) {
    WithTask(*this, [&](PlanData&, TaskData& t) {
        t.earlyStart = start;
        t.earlyFinish = finish;
    });
}
bool Task::Milestone() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.milestone; });
}
void Task::SetMilestone(bool v) {
    SetNamed(*this, "Milestone", v);
}
bool Task::Summary() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return HasChildren(p, t); });
}
int32_t Task::ConstraintType() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.constraintType; });
}
void Task::SetConstraintType(int32_t v) {
    SetNamed(*this, "ConstraintType", v);
}
Variant Task::ConstraintDate() const {
    return GetNamed(*this, "ConstraintDate");
}
void Task::SetConstraintDate(const Variant& v) {
    SetNamed(*this, "ConstraintDate", v);
}
int32_t Task::Type() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.type; });
}
void Task::SetType(int32_t v) {
    SetNamed(*this, "Type", v);
}
double Task::FixedCost() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.fixedCost; });
}
void Task::SetFixedCost(double v) {
    SetNamed(*this, "FixedCost", v);
}
double Task::Cost() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return TaskCost(p, t); });
}
double Task::Work() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.work; });
}
void Task::SetWork(const Variant& v) {
    SetNamed(*this, "Work", v);
}
double Task::ActualWork() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.actualWork; });
}
void Task::SetActualWork(const Variant& v) {
    SetNamed(*this, "ActualWork", v);
}
double Task::PercentComplete() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.percentComplete; });
}
void Task::SetPercentComplete(double v) {
    SetNamed(*this, "PercentComplete", v);
}
double Task::PercentWorkComplete() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.percentWorkComplete; });
}
void Task::SetPercentWorkComplete(double v) {
    SetNamed(*this, "PercentWorkComplete", v);
}
Variant Task::ActualStart() const {
    return GetNamed(*this, "ActualStart");
}
void Task::SetActualStart(const Variant& v) {
    SetNamed(*this, "ActualStart", v);
}
Variant Task::ActualFinish() const {
    return GetNamed(*this, "ActualFinish");
}
void Task::SetActualFinish(const Variant& v) {
    SetNamed(*this, "ActualFinish", v);
}

Variant Task::BaselineStart() const {
    return GetNamed(*this, "BaselineStart");
}
Variant Task::BaselineFinish() const {
    return GetNamed(*this, "BaselineFinish");
}
double Task::BaselineDuration() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.baselineDuration.value_or(0); });
}
double Task::BaselineWork() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.baselineWork.value_or(0); });
}
double Task::BaselineCost() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.baselineCost.value_or(0); });
}
Variant Task::StartN(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 10);
        return MaybeDateValue(t.startN[n - 1]);
    });
}
void Task::SetStartN(int n, const Variant& v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 10);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Start" + std::to_string(n)), v);
    });
}
Variant Task::FinishN(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 10);
        return MaybeDateValue(t.finishN[n - 1]);
    });
}
void Task::SetFinishN(int n, const Variant& v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 10);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Finish" + std::to_string(n)), v);
    });
}

std::string Task::Text(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 30);
        return t.f.text[n - 1];
    });
}
void Task::SetText(int n, const std::string& v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 30);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Text" + std::to_string(n)), Variant(v));
    });
}
bool Task::Flag(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 20);
        return t.f.flag[n - 1];
    });
}
void Task::SetFlag(int n, bool v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 20);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Flag" + std::to_string(n)), Variant(v));
    });
}
double Task::Number(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 20);
        return t.f.number[n - 1];
    });
}
void Task::SetNumber(int n, double v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 20);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Number" + std::to_string(n)), Variant(v));
    });
}
Variant Task::DateField(int n) const {
    return WithTask(*this, [&](PlanData&, TaskData& t) {
        CheckFieldIndex(n, 10);
        return MaybeDateValue(t.f.date[n - 1]);
    });
}
void Task::SetDateField(int n, const Variant& v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        CheckFieldIndex(n, 10);
        SetTaskField(p, t, *LookupField(FieldRef::TaskField, "Date" + std::to_string(n)), v);
    });
}

Variant Task::GetField(std::string_view name) const {
    return WithTask(*this, [&](PlanData& p, TaskData& t) {
        auto f = LookupField(FieldRef::TaskField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for tasks.");
        return GetTaskField(p, t, *f);
    });
}
void Task::SetField(std::string_view name, const Variant& v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        auto f = LookupField(FieldRef::TaskField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for tasks.");
        SetTaskField(p, t, *f, v);
    });
}

int32_t Task::OutlineLevel() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return static_cast<int32_t>(t.level); });
}
void Task::SetOutlineLevel(int32_t v) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        if (t.level == 0 || v < 1) Fail(kAppError, "The argument value is not valid.");
        while (t.level < v)
            IndentTask(p, t);
        while (t.level > v)
            OutdentTask(p, t);
    });
}
Task Task::OutlineParent() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) { return Wrap(ParentOf(p, t)); });
}
List<Task> Task::OutlineChildren() const {
    return WithTask(*this, [](PlanData& p, TaskData& t) {
        std::vector<Task> out;
        for (const auto& c : ChildrenOf(p, t))
            out.push_back(Wrap(c));
        return List<Task>(std::move(out));
    });
}
void Task::OutlineIndent() {
    WithTask(*this, [](PlanData& p, TaskData& t) { IndentTask(p, t); });
}
void Task::OutlineOutdent() {
    WithTask(*this, [](PlanData& p, TaskData& t) { OutdentTask(p, t); });
}
void Task::OutlineShowAllTasks() {
    WithTask(*this, [](PlanData& p, TaskData& t) {
        if (t.level == 0) return ExpandAll(p);
        int slot = ListedSlot(p, t);
        if (p.rowCache.valid && p.rowCache.taskView && p.rowCache.noneCollapsed) return;
        bool expanded = false;
        for (int i = slot, end = SubtreeEnd(p, slot); i < end; ++i)
            if (p.tasks[i] && p.tasks[i]->collapsed) {
                p.tasks[i]->collapsed = false;
                expanded = true;
            }
        if (expanded) p.RowsChanged();
    });
}
void Task::OutlineShowSubTasks() {
    WithTask(*this, [](PlanData& p, TaskData& t) {
        t.collapsed = false;
        p.RowsChanged();
    });
}
void Task::OutlineHideSubTasks() {
    WithTask(*this, [](PlanData& p, TaskData& t) {
        t.collapsed = true;
        p.RowsChanged();
    });
}

Assignments Task::Assignments() const {
    return Guard([&] {
        Live(*this);
        return MakeHandle<platform::msproject::Assignments>(Access::Data(*this));
    });
}
List<Resource> Task::Resources() const {
    return WithTask(*this, [](PlanData&, TaskData& t) {
        std::vector<Resource> out;
        for (const auto& a : t.assignments)
            if (a->resource) out.push_back(MakeHandle<Resource>(a->resource));
        return List<Resource>(std::move(out));
    });
}

void Task::LinkPredecessors(const Task& Tasks, int32_t Link, const Variant& Lag) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        auto& pred = Live(Tasks);
        if (&pred == &t || pred.plan.lock().get() != &p || pred.level == 0 || t.level == 0)
            Fail(kAppError, "The tasks cannot be linked.");
        if (Link < 0 || Link > 3) Fail(kAppError, "The argument value is not valid.");
        double lag = ToMinutes(p, Lag, p.defaultDurationUnits);
        auto it = std::find_if(t.predecessors.begin(), t.predecessors.end(),
                               [&](const detail::Link& l) { return l.predecessorUid == pred.uid; });
        if (it != t.predecessors.end())
            *it = detail::Link{pred.uid, Link, lag};
        else
            t.predecessors.push_back(detail::Link{pred.uid, Link, lag});
        p.Touch();
    });
}
void Task::UnlinkPredecessors(const Task& Tasks) {
    WithTask(*this, [&](PlanData& p, TaskData& t) {
        auto& pred = Live(Tasks);
        std::erase_if(t.predecessors, [&](const detail::Link& l) { return l.predecessorUid == pred.uid; });
        p.Touch();
    });
}
List<TaskDependency> Task::TaskDependencies() const {
    return WithTask(*this, [&](PlanData& p, TaskData& t) {
        std::vector<TaskDependency> out;
        for (const auto& l : LiveLinks(p, t))
            out.push_back(TaskDependency{Wrap(p.TaskByUid(l.predecessorUid)), *this, l.type, l.lag});
        return List<TaskDependency>(std::move(out));
    });
}
List<Task> Task::PredecessorTasks() const {
    return WithTask(*this, [&](PlanData& p, TaskData& t) {
        std::vector<Task> out;
        for (const auto& l : LiveLinks(p, t))
            out.push_back(Wrap(p.TaskByUid(l.predecessorUid)));
        return List<Task>(std::move(out));
    });
}

bool Task::FontItalic() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.fontItalic; });
}
bool Task::FontBold() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.fontBold; });
}
int32_t Task::FontColor() const {
    return WithTask(*this, [](PlanData&, TaskData& t) { return t.fontColor; });
}

void Task::Delete() {
    WithTask(*this, [](PlanData& p, TaskData& t) {
        if (t.level == 0) Fail(kAppError, "The project summary task cannot be deleted.");
        int slot = ListedSlot(p, t);
        DeleteTaskSlots(p, slot, SubtreeEnd(p, slot));
    });
}

// ---------------------------------------------------------------- Tasks

int32_t Tasks::Count() const {
    return Guard([&] { return static_cast<int32_t>(LivePlan(*this).tasks.size()); });
}
Task Tasks::Item(int32_t index) const {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (index < 1 || index > static_cast<int32_t>(p.tasks.size()))
            Fail(kAppError, "The argument value is not valid.");
        return Wrap(p.tasks[index - 1]);
    });
}
Task Tasks::UniqueID(int32_t uid) const {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (uid == 0) return Wrap(p.summary);
        auto t = p.TaskByUid(uid);
        if (!t) Fail(kAppError, "The argument value is not valid.");
        return Wrap(t);
    });
}
Task Tasks::Add(const std::string& Name, std::optional<int32_t> Before) {
    return Guard([&] { return Wrap(InsertTask(LivePlan(*this), Name, Before)); });
}
std::vector<Task> Tasks::Snapshot() const {
    return Guard([&] {
        std::vector<Task> out;
        for (const auto& t : LivePlan(*this).tasks)
            out.push_back(Wrap(t));
        return out;
    });
}

} // namespace platform::msproject
