#include "tools/winproj/PlanDump.h"

#include <cstdio>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/forms/UserDriver.h"
#include "platform/msproject/MSProject.h"

namespace winproj {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Date;
using automation::Variant;
using platform::forms::Quote;

namespace {

std::string Number(double value) {
    return automation::NumberText(value);
}

std::string DateValue(const Date& date) {
    return date.IsZero() ? "NA" : date.Iso();
}

// A field value: dates as yyyy-mm-dd hh:mm:ss, "NA" bare, texts quoted, numbers as CStr writes them.
std::string Value(const Variant& value) {
    if (const auto* date = value.Peek<Date>()) return DateValue(*date);
    if (const auto* text = value.Peek<std::string>()) return *text == "NA" ? "NA" : Quote(*text);
    if (const auto* flag = value.Peek<bool>()) return *flag ? "true" : "false";
    if (value.IsEmpty()) return "Empty";
    if (value.IsNull()) return "Null";
    if (value.IsObject()) return "Object";
    return Number(automation::CDbl(value));
}

bool IsNA(const Variant& value) {
    const auto* text = value.Peek<std::string>();
    if (text) return *text == "NA" || text->empty();
    const auto* date = value.Peek<Date>();
    return date && date->IsZero();
}

// Writes "  Name value" lines at one indentation.
class Fields {
public:
    Fields(std::ostream& out, std::string indent) : out_(out), indent_(std::move(indent)) {}

    void Put(const std::string& name, const std::string& value) {
        out_ << indent_ << name << " " << value << "\n";
    }
    void Text(const std::string& name, const std::string& value) { Put(name, Quote(value)); }
    void TextIfSet(const std::string& name, const std::string& value) {
        if (!value.empty()) Text(name, value);
    }
    void NumberIfSet(const std::string& name, double value) {
        if (value != 0) Put(name, Number(value));
    }
    void FlagIfSet(const std::string& name, bool value) {
        if (value) Put(name, "true");
    }
    void DateIfSet(const std::string& name, const Variant& value) {
        if (!IsNA(value)) Put(name, Value(value));
    }

private:
    std::ostream& out_;
    std::string indent_;
};

const char* const kLinkTypes[] = {"FF", "FS", "SF", "SS"};

std::string Links(const msp::Task& task) {
    std::string out;
    for (const msp::TaskDependency& link : task.TaskDependencies()) {
        if (!out.empty()) out += ", ";
        out += std::to_string(link.From.Id());
        out += link.Type >= 0 && link.Type <= 3 ? kLinkTypes[link.Type] : "?";
        if (link.Lag != 0) out += (link.Lag > 0 ? "+" : "") + Number(link.Lag);
    }
    return out;
}

void TaskFields(const msp::Task& task, Fields& f) {
    f.Put("Start", DateValue(task.Start()));
    f.Put("Finish", DateValue(task.Finish()));
    f.Put("Duration", Number(task.Duration()));
    f.FlagIfSet("Milestone", task.Milestone());
    f.FlagIfSet("Summary", task.Summary());
    if (task.ConstraintType() != 0) f.Put("ConstraintType", std::to_string(task.ConstraintType()));
    f.DateIfSet("ConstraintDate", task.ConstraintDate());
    if (task.Type() != 0) f.Put("Type", std::to_string(task.Type()));
    f.NumberIfSet("Work", task.Work());
    f.NumberIfSet("ActualWork", task.ActualWork());
    f.NumberIfSet("PercentComplete", task.PercentComplete());
    f.NumberIfSet("PercentWorkComplete", task.PercentWorkComplete());
    f.DateIfSet("ActualStart", task.ActualStart());
    f.DateIfSet("ActualFinish", task.ActualFinish());
    f.NumberIfSet("FixedCost", task.FixedCost());
    f.DateIfSet("BaselineStart", task.BaselineStart());
    f.DateIfSet("BaselineFinish", task.BaselineFinish());
    f.NumberIfSet("BaselineDuration", task.BaselineDuration());
    f.NumberIfSet("BaselineWork", task.BaselineWork());
    f.NumberIfSet("BaselineCost", task.BaselineCost());
    for (int n = 1; n <= 10; ++n) {
        f.DateIfSet("Start" + std::to_string(n), task.StartN(n));
        f.DateIfSet("Finish" + std::to_string(n), task.FinishN(n));
    }
    if (std::string links = Links(task); !links.empty()) f.Put("Predecessors", links);
    for (int n = 1; n <= 20; ++n)
        f.TextIfSet("Text" + std::to_string(n), task.Text(n));
    for (int n = 1; n <= 4; ++n)
        f.FlagIfSet("Flag" + std::to_string(n), task.Flag(n));
    f.DateIfSet("Date9", task.DateField(9));
    f.DateIfSet("Date10", task.DateField(10));
    f.NumberIfSet("Number20", task.Number(20));
    f.TextIfSet("Notes", task.Notes());
    if (task.FontItalic() || task.FontBold() || task.FontColor() != 0) {
        std::string format;
        if (task.FontItalic()) format += "italic ";
        if (task.FontBold()) format += "bold ";
        f.Put("Format", format + "color " + std::to_string(task.FontColor()));
    }
}

void ResourceFields(const msp::Resource& resource, Fields& f) {
    if (resource.Type() != 0) f.Put("Type", std::to_string(resource.Type()));
    f.Put("MaxUnits", Number(resource.MaxUnits()));
    f.Put("StandardRate", Number(resource.StandardRate()));
    f.NumberIfSet("CostPerUse", resource.CostPerUse());
    f.Put("AccrueAt", std::to_string(resource.AccrueAt()));
    f.Text("BaseCalendar", resource.BaseCalendar());
    f.TextIfSet("EMailAddress", resource.EMailAddress());
    for (int n = 1; n <= 20; ++n)
        f.TextIfSet("Text" + std::to_string(n), resource.Text(n));
    for (int n = 1; n <= 4; ++n)
        f.FlagIfSet("Flag" + std::to_string(n), resource.Flag(n));
}

void AssignmentFields(const msp::Assignment& a, Fields& f) {
    f.Put("Units", Number(a.Units()));
    f.Put("Work", Number(a.Work()));
    f.NumberIfSet("ActualWork", a.ActualWork());
    f.NumberIfSet("PercentWorkComplete", a.PercentWorkComplete());
    f.Put("Start", DateValue(a.Start()));
    f.Put("Finish", DateValue(a.Finish()));
    f.DateIfSet("ActualStart", a.ActualStart());
    f.DateIfSet("ActualFinish", a.ActualFinish());
    for (int n = 1; n <= 20; ++n)
        f.TextIfSet("Text" + std::to_string(n), a.Text(n));
    for (int n = 1; n <= 4; ++n)
        f.FlagIfSet("Flag" + std::to_string(n), a.Flag(n));
    f.TextIfSet("Notes", a.Notes());
}

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string DayText(const std::vector<std::pair<int32_t, int32_t>>& times) {
    if (times.empty()) return "nonworking";
    auto clock = [](int32_t minutes) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02d:%02d", minutes / 60, minutes % 60);
        return std::string(buffer);
    };
    std::string out;
    for (const auto& [from, to] : times) {
        if (!out.empty()) out += ' ';
        out += clock(from) + "-" + clock(to);
    }
    return out;
}

// The calendar has no list of its exceptions, so its days are read over a window around the plan's
// dates: each weekday's usual working times, then every run of days that differs from its weekday.
void CalendarLines(const msp::Calendar& calendar, const Date& from, const Date& to, std::ostream& out) {
    struct Day {
        Date date;
        std::string times;
    };
    std::vector<Day> days;
    std::map<std::string, int> counts[7];
    for (Date date = from; date <= to; date = date.AddDays(1)) {
        days.push_back({date, DayText(calendar.WorkingTimes(date))});
        ++counts[date.Weekday() - 1][days.back().times];
    }
    std::string usual[7];
    for (int w = 0; w < 7; ++w) {
        int best = 0;
        for (const auto& [times, count] : counts[w])
            if (count > best) {
                best = count;
                usual[w] = times;
            }
    }
    for (int w = 1; w <= 7; ++w) // Monday first, as a week is read
        out << "    " << kWeekdays[w % 7] << " " << usual[w % 7] << "\n";
    auto differs = [&](size_t i) { return days[i].times != usual[days[i].date.Weekday() - 1]; };
    for (size_t i = 0; i < days.size(); ++i) {
        if (!differs(i)) continue;
        size_t last = i;
        while (last + 1 < days.size() && differs(last + 1) && days[last + 1].times == days[i].times)
            ++last;
        std::string range = days[i].date.Iso().substr(0, 10);
        if (last > i) range += ".." + days[last].date.Iso().substr(0, 10);
        out << "    " << range << " " << days[i].times << "\n";
        i = last;
    }
}

const char* PropertyType(int32_t type) {
    switch (type) {
    case msp::msoPropertyTypeNumber: return "number";
    case msp::msoPropertyTypeBoolean: return "boolean";
    case msp::msoPropertyTypeDate: return "date";
    case msp::msoPropertyTypeString: return "string";
    case msp::msoPropertyTypeFloat: return "float";
    default: return "?";
    }
}

std::string UnitName(int32_t unit) {
    switch (unit) {
    case msp::pjMinute: return "minutes";
    case msp::pjHour: return "hours";
    case msp::pjDay: return "days";
    case msp::pjWeek: return "weeks";
    default: return std::to_string(unit);
    }
}

} // namespace

void PrintTask(const msp::Task& task, std::ostream& out) {
    out << "  " << task.Id() << " uid " << task.UniqueID() << " level " << task.OutlineLevel() << " "
        << Quote(task.Name()) << "\n";
    Fields f(out, "    ");
    TaskFields(task, f);
}

std::string FieldText(const Variant& value) {
    return Value(value);
}

void PrintOutline(const msp::Project& plan, std::ostream& out) {
    for (const msp::Task& task : plan.Tasks().Snapshot()) {
        if (!task) {
            out << "  -\n";
            continue;
        }
        out << "  " << task.Id() << "  "
            << std::string(static_cast<size_t>(2 * (task.OutlineLevel() - 1)), ' ') << task.Name() << "\n";
    }
    automation::Err().Clear();
}

void DumpPlan(const msp::Project& plan, std::ostream& out) {
    out << "plan " << Quote(plan.Name()) << "\n";
    Fields p(out, "  ");
    if (std::string folder = plan.Path(); !folder.empty() && folder.front() == '<') p.Text("Folder", folder);
    p.Put("Start", DateValue(plan.Start()));
    p.Put("Finish", DateValue(plan.Finish()));
    p.Text("Calendar", plan.Calendar().Name());
    p.TextIfSet("Title", plan.Title());
    p.TextIfSet("Author", plan.Author());
    p.TextIfSet("Company", plan.Company());
    p.Text("CurrencySymbol", plan.CurrencySymbol());
    p.Put("HonorConstraints", plan.HonorConstraints() ? "true" : "false");
    p.Put("DefaultDurationUnits", UnitName(plan.DefaultDurationUnits()));
    p.Put("DefaultWorkUnits", UnitName(plan.DefaultWorkUnits()));
    p.Put("HoursPerDay", Number(plan.HoursPerDay()));
    p.Put("HoursPerWeek", Number(plan.HoursPerWeek()));
    p.Text("View", plan.CurrentView());
    p.TextIfSet("Filter", plan.CurrentFilter());

    std::vector<msp::Task> tasks = plan.Tasks().Snapshot();
    out << "tasks " << tasks.size() << "\n";
    for (size_t row = 0; row < tasks.size(); ++row) {
        if (!tasks[row]) {
            out << "  " << row + 1 << " blank\n";
            continue;
        }
        PrintTask(tasks[row], out);
    }

    std::vector<msp::Resource> resources = plan.Resources().Snapshot();
    out << "resources " << resources.size() << "\n";
    for (size_t row = 0; row < resources.size(); ++row) {
        const msp::Resource& resource = resources[row];
        if (!resource) {
            out << "  " << row + 1 << " blank\n";
            continue;
        }
        out << "  " << resource.Id() << " uid " << resource.UniqueID() << " " << Quote(resource.Name())
            << "\n";
        Fields f(out, "    ");
        ResourceFields(resource, f);
    }

    std::vector<msp::Assignment> assignments;
    for (const msp::Task& task : tasks)
        if (task)
            for (const msp::Assignment& a : task.Assignments().Snapshot())
                assignments.push_back(a);
    out << "assignments " << assignments.size() << "\n";
    for (const msp::Assignment& a : assignments) {
        out << "  uid " << a.UniqueID() << " task " << a.TaskID() << " " << Quote(a.TaskName())
            << " resource " << a.ResourceID() << " " << Quote(a.ResourceName()) << "\n";
        Fields f(out, "    ");
        AssignmentFields(a, f);
    }

    // A year on either side of the plan's dates.
    Date first = plan.Start(), last = plan.Finish();
    for (const msp::Task& task : tasks)
        if (task) {
            if (task.Start() < first) first = task.Start();
            if (task.Finish() > last) last = task.Finish();
        }
    if (last < first) last = first;
    const Date from = Date::FromParts(first.Year() - 1, 1, 1);
    const Date to = Date::FromParts(last.Year() + 1, 12, 31);
    msp::Calendars calendars = plan.BaseCalendars();
    out << "calendars " << calendars.Count() << "\n";
    for (int32_t i = 1; i <= calendars.Count(); ++i) {
        msp::Calendar calendar = calendars.Item(i);
        out << "  " << Quote(calendar.Name()) << "\n";
        CalendarLines(calendar, from, to, out);
    }

    msp::CustomDocumentProperties properties = plan.CustomDocumentProperties();
    out << "properties " << properties.Count() << "\n";
    for (int32_t i = 1; i <= properties.Count(); ++i) {
        msp::DocumentProperty property = properties.Item(i);
        out << "  " << Quote(property.Name()) << " " << PropertyType(property.Type()) << " "
            << Value(property.Value()) << "\n";
    }
    // Reading an unset field is no failure of the caller's.
    automation::Err().Clear();
}

} // namespace winproj
