// Working time, calendars, resource assignment and baselines on the active plan.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;
using automation::Date;
using automation::Variant;

namespace {

const CalendarData& CalendarFor(const PlanData& p, const std::string& name) {
    if (name.empty()) return *p.ProjectCalendar();
    auto c = p.CalendarByName(name);
    if (!c)
        for (const auto& x : p.calendars)
            if (SameText(x->name, name)) c = x;
    if (!c) Fail(kAppError, "There is no base calendar \"" + name + "\".");
    return *c;
}

std::shared_ptr<CalendarData> CalendarNamed(const PlanData& p, const std::string& name) {
    if (auto c = p.CalendarByName(name)) return c;
    for (const auto& x : p.calendars)
        if (SameText(x->name, name)) return x;
    return nullptr;
}

std::vector<std::shared_ptr<TaskData>> SelectedTasks(const PlanData& p) {
    std::vector<std::shared_ptr<TaskData>> out;
    if (!p.TaskView()) return out;
    auto rows = VisibleRows(p);
    std::vector<int32_t> wanted;
    if (p.sheetSelected) {
        for (size_t i = 0; i < rows.size(); ++i)
            wanted.push_back(static_cast<int32_t>(i + 1));
    } else if (p.selection.empty()) {
        wanted.push_back(p.activeRow);
    } else {
        wanted = p.selection;
    }
    for (int32_t r : wanted)
        if (r >= 1 && r <= static_cast<int32_t>(rows.size()) && p.tasks[rows[r - 1]])
            out.push_back(p.tasks[rows[r - 1]]);
    return out;
}

} // namespace

int32_t Application::DateDifference(const Date& StartDate, const Date& FinishDate,
                                    const std::string& Calendar) const {
    return Guard([&] {
        auto& p = state_->Active();
        return static_cast<int32_t>(
            std::lround(WorkingMinutes(CalendarFor(p, Calendar), StartDate, FinishDate)));
    });
}

Date Application::DateAdd(const Date& StartDate, const Variant& Duration, const std::string& Calendar) const {
    return Guard([&] {
        auto& p = state_->Active();
        double minutes = ToMinutes(p, Duration, p.defaultDurationUnits);
        if (minutes < 0) Fail(kAppError, "The argument value is not valid.");
        return AddWorkingMinutes(CalendarFor(p, Calendar), StartDate, minutes);
    });
}

void Application::ProjectSummaryInfo(const ProjectSummaryInfoArgs& a) {
    Guard([&] {
        auto& p = state_->Active();
        // Nothing changes when the start is one the plan file could not hold.
        if (a.Start && !IsScheduleDate(*a.Start))
            Fail(kAppError, "The date " + ShownDate(*a.Start) + " is outside the dates the program schedules " +
                                kScheduleDatesText + ".");
        if (a.Calendar) {
            auto c = CalendarNamed(p, *a.Calendar);
            if (!c) Fail(kAppError, "There is no base calendar \"" + *a.Calendar + "\".");
            p.calendar = c->name;
        }
        if (a.Title) p.title = *a.Title;
        if (a.Author) p.author = *a.Author;
        if (a.Company) p.company = *a.Company;
        if (a.Start) p.start = *a.Start;
        p.Touch();
    });
}

void Application::BaseCalendarCreate(const std::string& Name, const std::string& FromName) {
    Guard([&] {
        auto& p = state_->Active();
        if (Trim(Name).empty()) Fail(kAppError, "The argument value is not valid.");
        if (CalendarNamed(p, Name)) Fail(kAppError, "A base calendar named \"" + Name + "\" exists already.");
        auto c = std::make_shared<CalendarData>();
        c->name = Name;
        if (!FromName.empty()) {
            auto from = CalendarNamed(p, FromName);
            if (!from) Fail(kAppError, "There is no base calendar \"" + FromName + "\".");
            c->week = from->week;
            c->exceptions = from->exceptions;
        } else {
            c->week = DefaultWeek();
        }
        p.calendars.push_back(c);
        p.Touch();
    });
}

void Application::BaseCalendarEditDays(const BaseCalendarEditDaysArgs& a) {
    Guard([&] {
        auto& s = *state_;
        auto& p = s.Active();
        auto cal = CalendarNamed(p, a.Name);
        if (!cal) Fail(kAppError, "There is no base calendar \"" + a.Name + "\".");
        if (a.Weekday && a.StartDate) Fail(kAppError, "The argument value is not valid.");
        if (!a.Weekday && !a.StartDate) Fail(kAppError, "The argument value is not valid.");

        // The given intervals, in order; a pair with an empty end is not set.
        std::vector<Shift> shifts;
        for (auto [from, to] :
             {std::pair{&a.From1, &a.To1}, std::pair{&a.From2, &a.To2}, std::pair{&a.From3, &a.To3}}) {
            auto f = ParseTimeText(*from, s.am, s.pm);
            auto t = ParseTimeText(*to, s.am, s.pm);
            if (!f || !t) continue;
            int end = *t == 0 ? 1440 : *t; // an end at midnight is the end of the day
            if (end <= *f) Fail(kAppError, "The working time " + *from + " - " + *to + " is not valid.");
            if (!shifts.empty() && *f < shifts.back().to)
                Fail(kAppError, "The working times must follow each other without overlapping.");
            shifts.push_back({*f, end});
        }
        auto apply = [&](const DayDef& current) -> DayDef {
            if (a.Working && !*a.Working) return DayDef{false, {}};
            if (!shifts.empty()) return DayDef{true, shifts};
            if (a.Working && *a.Working)
                return DayDef{true, current.shifts.empty() ? DefaultWorkingDay().shifts : current.shifts};
            return current;
        };
        if (a.Weekday) {
            if (*a.Weekday < 1 || *a.Weekday > 7) Fail(kAppError, "The argument value is not valid.");
            auto& day = cal->week[*a.Weekday - 1];
            day = a.Default ? DefaultWeek()[*a.Weekday - 1] : apply(day);
        } else {
            auto first = static_cast<int64_t>(std::floor(a.StartDate->Serial() + 1e-9));
            auto last = a.EndDate ? static_cast<int64_t>(std::floor(a.EndDate->Serial() + 1e-9)) : first;
            if (last < first) Fail(kAppError, "The end date is before the start date.");
            for (int64_t d = first; d <= last; ++d) {
                if (a.Default) {
                    cal->exceptions.erase(d);
                    continue;
                }
                DayDef next = apply(DayOf(*cal, d));
                cal->exceptions[d] = next;
            }
        }
        p.Touch();
    });
}

void Application::BaseCalendarDelete(const std::string& Name) {
    Guard([&] {
        auto& p = state_->Active();
        auto cal = CalendarNamed(p, Name);
        if (!cal) Fail(kAppError, "There is no base calendar \"" + Name + "\".");
        if (cal->name == p.calendar || p.calendars.size() == 1)
            Fail(kAppError, "The project calendar cannot be deleted.");
        std::erase(p.calendars, cal);
        cal->deleted = true;
        for (auto& r : p.resources)
            if (r && r->baseCalendar == cal->name) r->baseCalendar = p.calendar;
        p.Touch();
    });
}

void Application::ResourceAssignment(const std::string& Resources, int32_t Operation, const std::string& With,
                                     const Variant& Units) {
    Guard([&] {
        auto& p = state_->Active();
        auto tasks = SelectedTasks(p);
        if (tasks.empty()) Fail(kAppError, "No task is selected.");
        auto resource = p.ResourceByName(Trim(Resources));
        if (!resource) Fail(kAppError, "There is no resource \"" + Resources + "\".");
        auto find = [](TaskData& t, const std::shared_ptr<ResourceData>& r) {
            return std::find_if(t.assignments.begin(), t.assignments.end(),
                                [&](const std::shared_ptr<AssignmentData>& a) { return a->resource == r; });
        };
        for (auto& t : tasks) {
            switch (Operation) {
            case pjAssign: {
                if (find(*t, resource) != t->assignments.end())
                    Fail(kAppError, "The resource is already assigned to this task.");
                auto a = std::make_shared<AssignmentData>();
                a->uid = p.nextAssignmentUid++;
                a->task = t.get();
                a->resource = resource;
                if (!Units.IsEmpty()) a->units = automation::strict::ToDouble(Units);
                t->assignments.push_back(a);
                break;
            }
            case pjRemove: {
                auto it = find(*t, resource);
                if (it == t->assignments.end()) Fail(kAppError, "The resource is not assigned to this task.");
                (*it)->deleted = true;
                t->assignments.erase(it);
                break;
            }
            case pjReplace: {
                auto with = p.ResourceByName(Trim(With));
                if (!with) Fail(kAppError, "There is no resource \"" + With + "\".");
                auto it = find(*t, resource);
                if (it == t->assignments.end()) Fail(kAppError, "The resource is not assigned to this task.");
                if (with != resource && find(*t, with) != t->assignments.end())
                    Fail(kAppError, "The resource is already assigned to this task.");
                (*it)->resource = with;
                if (!Units.IsEmpty()) (*it)->units = automation::strict::ToDouble(Units);
                break;
            }
            default: Fail(kAppError, "The argument value is not valid.");
            }
        }
        p.Touch();
    });
}

namespace {

// A task's start, finish, duration and cost as TaskStart, TaskFinish, TaskDuration and TaskCost give
// them, each subtask's worked out once and kept in `done`.
struct Rollup {
    Date start, finish;
    double duration = 0, cost = 0;
};

const Rollup& RollupOf(const PlanData& plan, const TaskData& t, std::unordered_map<const TaskData*, Rollup>& done) {
    if (auto it = done.find(&t); it != done.end()) return it->second;
    Rollup r;
    r.cost = t.fixedCost;
    for (const auto& a : t.assignments)
        r.cost +=
            a->cost != 0
                ? a->cost
                : (a->resource ? a->work / 60.0 * a->resource->standardRate + a->resource->costPerUse : 0);
    if (!HasChildren(plan, t)) {
        r.start = TaskStart(plan, t);
        r.finish = TaskFinish(plan, t);
        r.duration = TaskDuration(plan, t);
    } else {
        bool any = false;
        for (const auto& c : ChildrenOf(plan, t)) {
            const Rollup& sub = RollupOf(plan, *c, done);
            if (!any || sub.start < r.start) r.start = sub.start;
            if (!any || sub.finish > r.finish) r.finish = sub.finish;
            r.cost += sub.cost;
            any = true;
        }
        r.duration = WorkingMinutes(*plan.ProjectCalendar(), r.start, r.finish);
    }
    return done.emplace(&t, r).first->second;
}

} // namespace

void Application::BaselineSave(bool All, int32_t Copy, int32_t Into) {
    Guard([&] {
        auto& p = state_->Active();
        if (Copy < 0 || Copy > 10 || Into < 0 || Into > 10)
            Fail(kAppError, "The argument value is not valid.");
        std::vector<std::shared_ptr<TaskData>> tasks;
        if (All) {
            for (const auto& t : p.tasks)
                if (t) tasks.push_back(t);
        } else {
            tasks = SelectedTasks(p);
        }
        // A summary's dates and cost roll up from its subtasks: each task's are worked out once.
        std::unordered_map<const TaskData*, Rollup> rollups;
        for (auto& t : tasks) {
            std::optional<Date> start, finish;
            if (Copy == 0) {
                const Rollup& r = RollupOf(p, *t, rollups);
                start = r.start;
                finish = r.finish;
            } else {
                start = t->startN[Copy - 1];
                finish = t->finishN[Copy - 1];
            }
            if (Into == 0) {
                t->baselineStart = start;
                t->baselineFinish = finish;
                const Rollup& r = RollupOf(p, *t, rollups);
                t->baselineDuration = r.duration;
                t->baselineWork = t->work;
                t->baselineCost = r.cost;
            } else {
                t->startN[Into - 1] = start;
                t->finishN[Into - 1] = finish;
            }
        }
        p.Touch();
    });
}

} // namespace platform::msproject
