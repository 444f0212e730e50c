// The stored forms of a plan (".mpp") and of the global template ("GLOBAL.MPT"): JSON documents of
// our own format. Dates are automation date numbers; a missing date is "NA"; fields at their default
// value are left out so that large plans stay small.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "platform/msproject/Model.h"
#include "platform/os/KovaHome.h"

namespace platform::msproject::detail {

using nlohmann::json;

namespace {

constexpr const char* kPlanFormat = "kova-msproject-plan";
constexpr const char* kGlobalFormat = "kova-msproject-global";
constexpr int kFormatVersion = 1;

std::optional<Date> GetDate(const json& j, const char* key) {
    auto it = j.find(key);
    if (it == j.end() || it->is_null()) return std::nullopt;
    return Date(it->get<double>());
}
template <class T> void Get(const json& j, const char* key, T& out) {
    auto it = j.find(key);
    if (it != j.end() && !it->is_null()) out = it->get<T>();
}

template <class A> void ReadNumbered(const json& j, const char* key, A& out, auto convert) {
    auto it = j.find(key);
    if (it == j.end()) return;
    for (auto& [k, v] : it->items()) {
        size_t i = std::stoul(k);
        if (i >= 1 && i <= out.size()) out[i - 1] = convert(v);
    }
}

void FieldsFromJson(const json& j, FieldSet& f) {
    ReadNumbered(j, "text", f.text, [](const json& v) { return v.get<std::string>(); });
    ReadNumbered(j, "flag", f.flag, [](const json& v) { return v.get<bool>(); });
    ReadNumbered(j, "number", f.number, [](const json& v) { return v.get<double>(); });
    ReadNumbered(j, "date", f.date, [](const json& v) { return std::optional<Date>(Date(v.get<double>())); });
}

json DayToJson(const DayDef& d) {
    json shifts = json::array();
    for (const auto& s : d.shifts)
        shifts.push_back({s.from, s.to});
    return {{"working", d.working}, {"shifts", shifts}};
}
DayDef DayFromJson(const json& j) {
    DayDef d;
    d.working = j.at("working").get<bool>();
    for (const auto& s : j.at("shifts"))
        d.shifts.push_back({s.at(0).get<int>(), s.at(1).get<int>()});
    return d;
}

json ControlToJson(const ControlData& c) {
    json j = {{"type", c.type},       {"id", c.id},
              {"caption", c.caption}, {"onAction", c.onAction},
              {"tag", c.tag},         {"parameter", c.parameter},
              {"enabled", c.enabled}, {"beginGroup", c.beginGroup},
              {"visible", c.visible}, {"builtIn", c.builtIn}};
    if (!c.controls.empty()) {
        json children = json::array();
        for (const auto& x : c.controls)
            children.push_back(ControlToJson(*x));
        j["controls"] = children;
    }
    return j;
}
std::shared_ptr<ControlData> ControlFromJson(const json& j, const std::shared_ptr<ControlData>& parent) {
    auto c = std::make_shared<ControlData>();
    Get(j, "type", c->type);
    Get(j, "id", c->id);
    Get(j, "caption", c->caption);
    Get(j, "onAction", c->onAction);
    Get(j, "tag", c->tag);
    Get(j, "parameter", c->parameter);
    Get(j, "enabled", c->enabled);
    Get(j, "beginGroup", c->beginGroup);
    Get(j, "visible", c->visible);
    Get(j, "builtIn", c->builtIn);
    c->parent = parent;
    if (auto it = j.find("controls"); it != j.end())
        for (const auto& x : *it)
            c->controls.push_back(ControlFromJson(x, c));
    return c;
}

json ItemsToJson(const ItemStore& s) {
    json views = json::array(), tables = json::array(), filters = json::array(), bars = json::array();
    for (const auto& v : s.views)
        views.push_back({{"name", v.name}, {"task", v.task}, {"table", v.table}, {"filter", v.filter}});
    for (const auto& t : s.tables)
        tables.push_back({{"name", t.name}, {"task", t.task}, {"fields", t.fields}});
    for (const auto& f : s.filters) {
        json criteria = json::array();
        for (const auto& c : f.criteria)
            criteria.push_back({{"field", c.field}, {"test", c.test}, {"value", c.value}});
        filters.push_back({{"name", f.name}, {"task", f.task}, {"criteria", criteria}});
    }
    for (const auto& b : s.commandBars) {
        if (b->deleted) continue;
        json controls = json::array();
        for (const auto& c : b->controls)
            controls.push_back(ControlToJson(*c));
        bars.push_back({{"name", b->name},
                        {"type", b->type},
                        {"visible", b->visible},
                        {"builtIn", b->builtIn},
                        {"controls", controls}});
    }
    json components = json::array(), references = json::array();
    for (const auto& c : s.vbProject->components)
        components.push_back({{"name", c->name}, {"type", c->type}, {"lines", c->lines}});
    for (const auto& r : s.vbProject->references)
        references.push_back({{"name", r->name},
                              {"fullPath", r->fullPath},
                              {"description", r->description},
                              {"builtIn", r->builtIn}});
    return {
        {"views", views},
        {"tables", tables},
        {"filters", filters},
        {"commandBars", bars},
        {"vbProject", {{"name", s.vbProject->name}, {"components", components}, {"references", references}}}};
}

ItemStore ItemsFromJson(const json& j) {
    ItemStore s;
    for (const auto& v : j.value("views", json::array()))
        s.views.push_back({v.at("name").get<std::string>(), v.value("task", true), v.value("table", ""),
                           v.value("filter", "")});
    for (const auto& t : j.value("tables", json::array()))
        s.tables.push_back({t.at("name").get<std::string>(), t.value("task", true),
                            t.value("fields", std::vector<std::string>{})});
    for (const auto& f : j.value("filters", json::array())) {
        FilterDef d{f.at("name").get<std::string>(), f.value("task", true), {}};
        for (const auto& c : f.value("criteria", json::array()))
            d.criteria.push_back({c.value("field", ""), c.value("test", ""), c.value("value", "")});
        s.filters.push_back(d);
    }
    for (const auto& b : j.value("commandBars", json::array())) {
        auto bar = std::make_shared<CommandBarData>();
        bar->name = b.at("name").get<std::string>();
        Get(b, "type", bar->type);
        Get(b, "visible", bar->visible);
        Get(b, "builtIn", bar->builtIn);
        for (const auto& c : b.value("controls", json::array())) {
            bar->controls.push_back(ControlFromJson(c, nullptr));
            bar->controls.back()->bar = bar;
        }
        s.commandBars.push_back(bar);
    }
    if (auto it = j.find("vbProject"); it != j.end()) {
        s.vbProject->name = it->value("name", "");
        for (const auto& c : it->value("components", json::array())) {
            auto comp = std::make_shared<ComponentData>();
            comp->name = c.value("name", "");
            comp->type = c.value("type", 1);
            comp->lines = c.value("lines", std::vector<std::string>{});
            s.vbProject->components.push_back(comp);
        }
        for (const auto& r : it->value("references", json::array())) {
            auto ref = std::make_shared<ReferenceData>();
            ref->name = r.value("name", "");
            ref->fullPath = r.value("fullPath", "");
            ref->description = r.value("description", "");
            ref->builtIn = r.value("builtIn", false);
            s.vbProject->references.push_back(ref);
        }
    }
    return s;
}

json PropertyValue(const PropertyData& p) {
    using namespace automation;
    switch (p.type) {
    case 1: return CLng(p.value);
    case 2: return CBool(p.value);
    case 3: return CDate(p.value).Serial();
    case 5: return CDbl(p.value);
    default: return CStr(p.value);
    }
}

Variant PropertyFromJson(int32_t type, const json& v) {
    switch (type) {
    case 1: return Variant(v.get<int32_t>());
    case 2: return Variant(v.get<bool>());
    case 3: return Variant(Date(v.get<double>()));
    case 5: return Variant(v.get<double>());
    default: return Variant(v.get<std::string>());
    }
}

// What the program refuses to read: a reason naming the row and the field.
struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool ScheduleDate(const Date& d) {
    return IsScheduleDate(d);
}
bool StoredDate(const Date& d) {
    return IsStoredDate(d);
}

std::string Shown(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

void CheckScheduleDate(const std::string& where, const char* field, const std::optional<Date>& d) {
    if (d && !ScheduleDate(*d))
        throw Invalid(where + ": " + field + " " + ShownDate(*d) + " is outside the dates the program schedules " +
                      kScheduleDatesText);
}
void CheckStoredDate(const std::string& where, const std::string& field, const std::optional<Date>& d) {
    if (d && !d->IsZero() && !StoredDate(*d))
        throw Invalid(where + ": " + field + " " + ShownDate(*d) + " is not a valid date");
}
void CheckFieldDates(const std::string& where, const FieldSet& f) {
    for (size_t i = 0; i < f.date.size(); ++i)
        CheckStoredDate(where, "Date" + std::to_string(i + 1), f.date[i]);
    for (size_t i = 0; i < f.number.size(); ++i)
        if (!std::isfinite(f.number[i]))
            throw Invalid(where + ": Number" + std::to_string(i + 1) + " is not a number");
}

void CheckDay(const std::string& where, const DayDef& d) {
    int end = 0;
    for (const auto& s : d.shifts) {
        if (s.from < 0 || s.to > 24 * 60 || s.to <= s.from || s.from < end)
            throw Invalid(where + ": the shift " + std::to_string(s.from) + " to " + std::to_string(s.to) +
                          " must lie within the day, end after it starts and after the shift before it");
        end = s.to;
    }
}

std::string TaskName(size_t row, const TaskData& t) {
    return "task " + std::to_string(row) + " (\"" + t.name + "\", unique id " + std::to_string(t.uid) + ")";
}

// Refuses a plan that the program could not have written: scheduling or saving it would hang,
// overflow or hand out an id twice.
void Validate(const PlanData& p) {
    CheckScheduleDate("the project", "Start", p.start);
    if (!(p.hoursPerDay > 0 && p.hoursPerDay <= 24))
        throw Invalid("the project: Hours per Day " + Shown(p.hoursPerDay) + " must be above 0 and at most 24");
    if (!(p.hoursPerWeek > 0 && p.hoursPerWeek <= 168))
        throw Invalid("the project: Hours per Week " + Shown(p.hoursPerWeek) +
                      " must be above 0 and at most 168");
    for (const auto& c : p.calendars) {
        const std::string where = "calendar \"" + c->name + "\"";
        for (const auto& d : c->week)
            CheckDay(where, d);
        for (const auto& [day, d] : c->exceptions) {
            CheckStoredDate(where, "exception day", Date(static_cast<double>(day)));
            CheckDay(where, d);
        }
    }
    auto checkNext = [](const char* what, int32_t next, int32_t highest) {
        if (next < 1 || next <= highest)
            throw Invalid(std::string("the project: the next ") + what + " unique id " + std::to_string(next) +
                          " must be above every one in use (" + std::to_string(highest) + ")");
    };
    std::set<int32_t> uids;
    int32_t highest = 0;
    for (size_t i = 0; i < p.resources.size(); ++i) {
        const auto& r = p.resources[i];
        if (!r) continue;
        const std::string where = "resource " + std::to_string(i + 1) + " (\"" + r->name + "\", unique id " +
                                  std::to_string(r->uid) + ")";
        if (r->uid < 1) throw Invalid(where + ": the unique id must be 1 or more");
        if (!uids.insert(r->uid).second) throw Invalid(where + ": the unique id is used by another resource");
        highest = std::max(highest, r->uid);
        CheckFieldDates(where, r->f);
    }
    checkNext("resource", p.nextResourceUid, highest);

    uids.clear();
    highest = 0;
    std::set<int32_t> assignmentUids;
    int32_t highestAssignment = 0;
    int above = 0; // outline level of the row above, 0 for the first
    for (size_t i = 0; i < p.tasks.size(); ++i) {
        const auto& t = p.tasks[i];
        if (!t) continue;
        const std::string where = TaskName(i + 1, *t);
        if (t->uid < 1) throw Invalid(where + ": the unique id must be 1 or more");
        if (!uids.insert(t->uid).second) throw Invalid(where + ": the unique id is used by another task");
        highest = std::max(highest, t->uid);
        if (t->level < 1 || t->level > above + 1)
            throw Invalid(where + ": Outline Level " + std::to_string(t->level) + " must be from 1 to " +
                          std::to_string(above + 1));
        above = t->level;
        CheckScheduleDate(where, "Start", t->start);
        if (!(t->duration >= 0 && t->duration <= LatestDuration(t->start)))
            throw Invalid(where + ": Duration " + Shown(t->duration) + " minutes is negative or ends after 2149");
        CheckScheduleDate(where, "Constraint Date", t->constraintDate);
        CheckScheduleDate(where, "Actual Start", t->actualStart);
        CheckScheduleDate(where, "Actual Finish", t->actualFinish);
        CheckStoredDate(where, "Baseline Start", t->baselineStart);
        CheckStoredDate(where, "Baseline Finish", t->baselineFinish);
        for (size_t n = 0; n < t->startN.size(); ++n) {
            CheckStoredDate(where, "Start" + std::to_string(n + 1), t->startN[n]);
            CheckStoredDate(where, "Finish" + std::to_string(n + 1), t->finishN[n]);
        }
        CheckFieldDates(where, t->f);
        for (const auto& a : t->assignments) {
            const std::string at = where + ", assignment " + std::to_string(a->uid);
            if (a->uid < 1) throw Invalid(at + ": the unique id must be 1 or more");
            if (!assignmentUids.insert(a->uid).second)
                throw Invalid(at + ": the unique id is used by another assignment");
            highestAssignment = std::max(highestAssignment, a->uid);
            CheckStoredDate(at, "Start", a->start);
            CheckStoredDate(at, "Finish", a->finish);
            CheckStoredDate(at, "Actual Start", a->actualStart);
            CheckStoredDate(at, "Actual Finish", a->actualFinish);
            CheckFieldDates(at, a->f);
        }
    }
    checkNext("task", p.nextTaskUid, highest);
    checkNext("assignment", p.nextAssignmentUid, highestAssignment);
}

// nlohmann's "[json.exception.type_error.302] type must be ..." without its bracketed prefix.
std::string Reason(const std::exception& e) {
    std::string what = e.what();
    if (!what.empty() && what.front() == '[') {
        size_t close = what.find("] ");
        if (close != std::string::npos) what.erase(0, close + 2);
    }
    return what;
}

} // namespace

// Other dates (custom fields, baselines) may be any the automation date holds, or none.
bool IsScheduleDate(const Date& d) {
    static const double first = Date::FromParts(1984, 1, 1).Serial();
    static const double last = Date::FromParts(2149, 12, 31, 23, 59, 0).Serial();
    return std::isfinite(d.Serial()) && d.Serial() >= first && d.Serial() <= last;
}
bool IsStoredDate(const Date& d) {
    static const double first = Date::FromParts(100, 1, 1).Serial();
    static const double last = Date::FromParts(9999, 12, 31, 23, 59, 59).Serial();
    return std::isfinite(d.Serial()) && d.Serial() >= first && d.Serial() <= last;
}
// At most every minute of every day up to the last date the program schedules.
double LatestDuration(const Date& start) {
    return (Date::FromParts(2149, 12, 31).Serial() - start.Serial()) * 24 * 60;
}
std::string ShownDate(const Date& d) {
    if (!IsStoredDate(d)) return Shown(d.Serial());
    return d.Iso();
}

namespace {

// The resource and task lists written as json::dump(1) writes them (keys in byte order, one blank of
// indent a level, numbers as the library writes them), without building the tree of a plan that may
// hold many thousands of rows.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    // An object ('{') or array ('['), one level in from the one open; Key and Next start its members.
    void Open(char bracket) {
        out_ += bracket;
        first_.push_back(true);
    }
    void Close(char bracket) {
        if (!first_.back()) {
            out_ += '\n';
            out_.append(first_.size() - 1 + base_, ' ');
        }
        out_ += bracket;
        first_.pop_back();
    }
    void Next() {
        out_ += first_.back() ? "\n" : ",\n";
        first_.back() = false;
        out_.append(first_.size() + base_, ' ');
    }
    void Key(std::string_view key) {
        Next();
        out_ += '"';
        out_ += key;
        out_ += "\": ";
    }
    void Base(size_t level) { base_ = level; }

    void Null() { out_ += "null"; }
    void Bool(bool b) { out_ += b ? "true" : "false"; }
    void Int(int64_t n) {
        char buf[24];
        out_.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
    }
    void Double(double x) {
        if (!std::isfinite(x)) return Null();
        char buf[64];
        out_.append(buf, nlohmann::detail::to_chars(buf, buf + sizeof buf, x));
    }
    void String(const std::string& s) {
        // Text that needs no escape is written as it is; the rest as the library escapes it (and refuses
        // it when it is not UTF-8).
        if (std::all_of(s.begin(), s.end(),
                        [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; })) {
            out_ += '"';
            out_ += s;
            out_ += '"';
        } else {
            out_ += json(s).dump();
        }
    }

    template <class T> void PutIf(std::string_view key, const T& value, const T& def) {
        if (value == def) return;
        Key(key);
        Put(value);
    }
    void PutSome(std::string_view key, const std::optional<double>& x) {
        if (!x) return;
        Key(key);
        Double(*x);
    }
    void PutDate(std::string_view key, const std::optional<Date>& d) {
        if (!d) return;
        Key(key);
        Double(d->Serial());
    }
    // A list under `key`, left out when empty; each element written by `write`.
    template <class List, class Write> void PutList(std::string_view key, const List& list, Write write) {
        if (list.empty()) return;
        Key(key);
        Open('[');
        for (const auto& element : list) {
            Next();
            write(element);
        }
        Close(']');
    }
    void Put(int32_t n) { Int(n); }
    void Put(bool b) { Bool(b); }
    void Put(double x) { Double(x); }
    void Put(const std::string& s) { String(s); }

private:
    std::string& out_;
    std::vector<bool> first_;
    size_t base_ = 0;
};

// The slots 0..n-1 in the order of their keys "1".."n" as text ("1", "10", "11", ..., "2", ...).
template <size_t N> const std::array<size_t, N>& KeyOrder() {
    static const std::array<size_t, N> order = [] {
        std::array<size_t, N> o{};
        for (size_t i = 0; i < N; ++i)
            o[i] = i;
        std::sort(o.begin(), o.end(),
                  [](size_t a, size_t b) { return std::to_string(a + 1) < std::to_string(b + 1); });
        return o;
    }();
    return order;
}

template <size_t N, class T, class Present, class Write>
void PutNumbered(Writer& w, std::string_view key, const std::array<T, N>& values, Present present,
                 Write write) {
    bool any = false;
    for (size_t i : KeyOrder<N>()) {
        if (!present(values[i])) continue;
        if (!any) {
            w.Key(key);
            w.Open('{');
            any = true;
        }
        w.Key(std::to_string(i + 1));
        write(values[i]);
    }
    if (any) w.Close('}');
}

template <size_t N>
void PutDates(Writer& w, std::string_view key, const std::array<std::optional<Date>, N>& dates) {
    PutNumbered(
        w, key, dates, [](const std::optional<Date>& d) { return d.has_value(); },
        [&](const std::optional<Date>& d) { w.Double(d->Serial()); });
}

void PutFieldDates(Writer& w, const FieldSet& f) {
    PutDates(w, "date", f.date);
}
void PutFieldFlags(Writer& w, const FieldSet& f) {
    PutNumbered(
        w, "flag", f.flag, [](bool b) { return b; }, [&](bool) { w.Bool(true); });
}
void PutFieldNumbers(Writer& w, const FieldSet& f) {
    PutNumbered(
        w, "number", f.number, [](double x) { return x != 0; }, [&](double x) { w.Double(x); });
}
void PutFieldTexts(Writer& w, const FieldSet& f) {
    PutNumbered(
        w, "text", f.text, [](const std::string& s) { return !s.empty(); },
        [&](const std::string& s) { w.String(s); });
}

void WriteAssignment(Writer& w, const AssignmentData& a) {
    w.Open('{');
    w.PutDate("actualFinish", a.actualFinish);
    w.PutDate("actualStart", a.actualStart);
    w.PutIf("actualWork", a.actualWork, 0.0);
    w.PutIf("cost", a.cost, 0.0);
    PutFieldDates(w, a.f);
    w.PutDate("finish", a.finish);
    PutFieldFlags(w, a.f);
    w.PutIf("notes", a.notes, std::string());
    PutFieldNumbers(w, a.f);
    w.PutIf("percentWorkComplete", a.percentWorkComplete, 0.0);
    w.Key("resource");
    w.Int(a.resource ? a.resource->uid : 0);
    w.PutDate("start", a.start);
    PutFieldTexts(w, a.f);
    w.Key("uid");
    w.Int(a.uid);
    w.Key("units");
    w.Double(a.units);
    w.PutIf("work", a.work, 0.0);
    w.Close('}');
}

void WriteTask(Writer& w, const TaskData& t) {
    w.Open('{');
    w.PutDate("actualFinish", t.actualFinish);
    w.PutDate("actualStart", t.actualStart);
    w.PutIf("actualWork", t.actualWork, 0.0);
    w.PutList("assignments", t.assignments, [&](const auto& a) { WriteAssignment(w, *a); });
    w.PutSome("baselineCost", t.baselineCost);
    w.PutSome("baselineDuration", t.baselineDuration);
    w.PutDate("baselineFinish", t.baselineFinish);
    w.PutDate("baselineStart", t.baselineStart);
    w.PutSome("baselineWork", t.baselineWork);
    w.PutIf("collapsed", t.collapsed, false);
    w.PutDate("constraintDate", t.constraintDate);
    w.PutIf("constraintType", t.constraintType, 0);
    PutFieldDates(w, t.f);
    w.Key("duration");
    w.Double(t.duration);
    PutDates(w, "finishN", t.finishN);
    w.PutIf("fixedCost", t.fixedCost, 0.0);
    PutFieldFlags(w, t.f);
    w.PutIf("fontBold", t.fontBold, false);
    w.PutIf("fontColor", t.fontColor, 0);
    w.PutIf("fontItalic", t.fontItalic, false);
    w.Key("level");
    w.Int(t.level);
    w.PutList("links", t.predecessors, [&](const auto& l) {
        w.Open('{');
        w.Key("lag");
        w.Double(l.lag);
        w.Key("type");
        w.Int(l.type);
        w.Key("uid");
        w.Int(l.predecessorUid);
        w.Close('}');
    });
    w.PutIf("milestone", t.milestone, false);
    w.Key("name");
    w.String(t.name);
    w.PutIf("notes", t.notes, std::string());
    PutFieldNumbers(w, t.f);
    w.PutIf("percentComplete", t.percentComplete, 0.0);
    w.PutIf("percentWorkComplete", t.percentWorkComplete, 0.0);
    w.Key("start");
    w.Double(t.start.Serial());
    PutDates(w, "startN", t.startN);
    PutFieldTexts(w, t.f);
    w.PutIf("type", t.type, 0);
    w.Key("uid");
    w.Int(t.uid);
    w.PutIf("work", t.work, 0.0);
    w.Close('}');
}

void WriteResource(Writer& w, const ResourceData& r) {
    w.Open('{');
    w.PutIf("accrueAt", r.accrueAt, 3);
    w.PutIf("baseCalendar", r.baseCalendar, std::string());
    w.PutIf("costPerUse", r.costPerUse, 0.0);
    PutFieldDates(w, r.f);
    w.PutIf("emailAddress", r.emailAddress, std::string());
    PutFieldFlags(w, r.f);
    w.PutIf("group", r.group, std::string());
    w.PutIf("initials", r.initials, std::string());
    w.PutIf("maxUnits", r.maxUnits, 1.0);
    w.Key("name");
    w.String(r.name);
    PutFieldNumbers(w, r.f);
    w.PutIf("overtimeRate", r.overtimeRate, 0.0);
    w.PutIf("standardRate", r.standardRate, 0.0);
    PutFieldTexts(w, r.f);
    w.PutIf("type", r.type, 0);
    w.Key("uid");
    w.Int(r.uid);
    w.Close('}');
}

// A list of rows (blank ones as null) as the value of one of the document's keys (one level in).
template <class Rows, class Write> void WriteRows(std::string& out, const Rows& rows, Write write) {
    Writer w(out);
    w.Base(1);
    w.Open('[');
    for (const auto& row : rows) {
        w.Next();
        if (row)
            write(w, *row);
        else
            w.Null();
    }
    w.Close(']');
}

} // namespace

std::string SerializePlan(const PlanData& p) {
    json calendars = json::array();
    for (const auto& c : p.calendars) {
        json week = json::array(), exceptions = json::array();
        for (const auto& d : c->week)
            week.push_back(DayToJson(d));
        for (const auto& [day, def] : c->exceptions) {
            json e = DayToJson(def);
            e["day"] = day;
            exceptions.push_back(e);
        }
        calendars.push_back({{"name", c->name}, {"week", week}, {"exceptions", exceptions}});
    }
    json properties = json::array();
    for (const auto& d : p.properties)
        properties.push_back({{"name", d->name}, {"type", d->type}, {"value", PropertyValue(*d)}});

    json doc = {{"format", kPlanFormat},
                {"formatVersion", kFormatVersion},
                {"project",
                 {{"start", p.start.Serial()},
                  {"calendar", p.calendar},
                  {"title", p.title},
                  {"author", p.author},
                  {"company", p.company},
                  {"currencySymbol", p.currencySymbol},
                  {"honorConstraints", p.honorConstraints},
                  {"defaultDurationUnits", p.defaultDurationUnits},
                  {"defaultWorkUnits", p.defaultWorkUnits},
                  {"hoursPerDay", p.hoursPerDay},
                  {"hoursPerWeek", p.hoursPerWeek},
                  {"nextTaskUid", p.nextTaskUid},
                  {"nextResourceUid", p.nextResourceUid},
                  {"nextAssignmentUid", p.nextAssignmentUid},
                  {"currentView", p.currentView}}},
                {"calendars", calendars},
                {"properties", properties},
                {"items", ItemsToJson(p.items)}};
    // The resources and tasks, most of a large plan, are written straight after the rest: in byte order
    // "resources" and "tasks" are the last keys.
    std::string text = doc.dump(1);
    text.resize(text.size() - 2); // "\n}"
    text += ",\n \"resources\": ";
    WriteRows(text, p.resources, WriteResource);
    text += ",\n \"tasks\": ";
    WriteRows(text, p.tasks, WriteTask);
    text += "\n}";
    return text;
}

void DeserializePlan(PlanData& p, const std::string& text, const std::string& fileName) {
    const std::string file = fileName.empty() ? "The file" : "The file \"" + fileName + "\"";
    std::string where = "the project"; // what is being read, for the message when it cannot be
    try {
        json doc = json::parse(text);
        if (!doc.is_object() || doc.value("format", "") != kPlanFormat)
            throw Invalid("it is not a plan of this program");
        if (auto v = doc.find("formatVersion"); v != doc.end()) {
            if (!v->is_number_integer() || v->get<int64_t>() < 1) throw Invalid("its format version is not valid");
            if (v->get<int64_t>() > kFormatVersion)
                Fail(kAppError, file + " was saved in a newer file format (version " +
                                    std::to_string(v->get<int64_t>()) + ") than this program reads (version " +
                                    std::to_string(kFormatVersion) + "). It was not opened and is left as it is.");
        }
        const json& pj = doc.at("project");
        p.start = Date(pj.at("start").get<double>());
        Get(pj, "calendar", p.calendar);
        Get(pj, "title", p.title);
        Get(pj, "author", p.author);
        Get(pj, "company", p.company);
        Get(pj, "currencySymbol", p.currencySymbol);
        Get(pj, "honorConstraints", p.honorConstraints);
        Get(pj, "defaultDurationUnits", p.defaultDurationUnits);
        Get(pj, "defaultWorkUnits", p.defaultWorkUnits);
        Get(pj, "hoursPerDay", p.hoursPerDay);
        Get(pj, "hoursPerWeek", p.hoursPerWeek);
        Get(pj, "nextTaskUid", p.nextTaskUid);
        Get(pj, "nextResourceUid", p.nextResourceUid);
        Get(pj, "nextAssignmentUid", p.nextAssignmentUid);
        Get(pj, "currentView", p.currentView);

        p.calendars.clear();
        for (const auto& c : doc.value("calendars", json::array())) {
            where = "calendar " + std::to_string(p.calendars.size() + 1);
            auto cal = std::make_shared<CalendarData>();
            cal->name = c.at("name").get<std::string>();
            const json& week = c.at("week");
            for (size_t i = 0; i < 7; ++i)
                cal->week[i] = DayFromJson(week.at(i));
            for (const auto& e : c.value("exceptions", json::array()))
                cal->exceptions[e.at("day").get<int64_t>()] = DayFromJson(e);
            p.calendars.push_back(cal);
        }
        std::map<int32_t, std::shared_ptr<ResourceData>> byUid;
        p.resources.clear();
        for (const auto& r : doc.value("resources", json::array())) {
            if (r.is_null()) {
                p.resources.push_back(nullptr);
                continue;
            }
            where = "resource " + std::to_string(p.resources.size() + 1);
            auto res = std::make_shared<ResourceData>();
            res->plan = p.weak_from_this();
            res->uid = r.at("uid").get<int32_t>();
            Get(r, "name", res->name);
            Get(r, "initials", res->initials);
            Get(r, "group", res->group);
            Get(r, "emailAddress", res->emailAddress);
            Get(r, "baseCalendar", res->baseCalendar);
            Get(r, "maxUnits", res->maxUnits);
            Get(r, "standardRate", res->standardRate);
            Get(r, "overtimeRate", res->overtimeRate);
            Get(r, "costPerUse", res->costPerUse);
            Get(r, "accrueAt", res->accrueAt);
            Get(r, "type", res->type);
            FieldsFromJson(r, res->f);
            byUid[res->uid] = res;
            p.resources.push_back(res);
        }
        p.tasks.clear();
        for (const auto& t : doc.value("tasks", json::array())) {
            if (t.is_null()) {
                p.tasks.push_back(nullptr);
                continue;
            }
            where = "task " + std::to_string(p.tasks.size() + 1);
            auto task = std::make_shared<TaskData>();
            task->plan = p.weak_from_this();
            task->uid = t.at("uid").get<int32_t>();
            task->level = t.at("level").get<int>();
            Get(t, "name", task->name);
            task->start = Date(t.at("start").get<double>());
            Get(t, "duration", task->duration);
            Get(t, "notes", task->notes);
            Get(t, "collapsed", task->collapsed);
            Get(t, "milestone", task->milestone);
            Get(t, "constraintType", task->constraintType);
            task->constraintDate = GetDate(t, "constraintDate");
            Get(t, "type", task->type);
            Get(t, "fixedCost", task->fixedCost);
            Get(t, "work", task->work);
            Get(t, "actualWork", task->actualWork);
            Get(t, "percentComplete", task->percentComplete);
            Get(t, "percentWorkComplete", task->percentWorkComplete);
            task->actualStart = GetDate(t, "actualStart");
            task->actualFinish = GetDate(t, "actualFinish");
            task->baselineStart = GetDate(t, "baselineStart");
            task->baselineFinish = GetDate(t, "baselineFinish");
            if (t.contains("baselineDuration")) task->baselineDuration = t["baselineDuration"].get<double>();
            if (t.contains("baselineWork")) task->baselineWork = t["baselineWork"].get<double>();
            if (t.contains("baselineCost")) task->baselineCost = t["baselineCost"].get<double>();
            ReadNumbered(t, "startN", task->startN,
                         [](const json& v) { return std::optional<Date>(Date(v.get<double>())); });
            ReadNumbered(t, "finishN", task->finishN,
                         [](const json& v) { return std::optional<Date>(Date(v.get<double>())); });
            Get(t, "fontItalic", task->fontItalic);
            Get(t, "fontBold", task->fontBold);
            Get(t, "fontColor", task->fontColor);
            FieldsFromJson(t, task->f);
            for (const auto& l : t.value("links", json::array()))
                task->predecessors.push_back(
                    {l.at("uid").get<int32_t>(), l.value("type", 1), l.value("lag", 0.0)});
            for (const auto& aj : t.value("assignments", json::array())) {
                auto a = std::make_shared<AssignmentData>();
                a->uid = aj.at("uid").get<int32_t>();
                a->task = task.get();
                // The program never holds an assignment without its resource: one the plan lacks is damage,
                // and saving it would write resource 0.
                const int32_t resource = aj.value("resource", 0);
                auto it = byUid.find(resource);
                if (it == byUid.end())
                    throw Invalid(TaskName(p.tasks.size() + 1, *task) + ", assignment " + std::to_string(a->uid) +
                                  ": resource unique id " + std::to_string(resource) + " is not in the plan");
                a->resource = it->second;
                Get(aj, "units", a->units);
                Get(aj, "work", a->work);
                Get(aj, "actualWork", a->actualWork);
                Get(aj, "percentWorkComplete", a->percentWorkComplete);
                Get(aj, "cost", a->cost);
                a->start = GetDate(aj, "start");
                a->finish = GetDate(aj, "finish");
                a->actualStart = GetDate(aj, "actualStart");
                a->actualFinish = GetDate(aj, "actualFinish");
                Get(aj, "notes", a->notes);
                FieldsFromJson(aj, a->f);
                task->assignments.push_back(a);
            }
            p.tasks.push_back(task);
        }
        p.properties.clear();
        where = "the document properties";
        for (const auto& d : doc.value("properties", json::array())) {
            auto prop = std::make_shared<PropertyData>();
            prop->plan = p.weak_from_this();
            prop->name = d.at("name").get<std::string>();
            prop->type = d.at("type").get<int32_t>();
            prop->value = PropertyFromJson(prop->type, d.at("value"));
            p.properties.push_back(prop);
        }
        where = "the views, tables and filters";
        p.items = ItemsFromJson(doc.value("items", json::object()));
        Validate(p);
        EnsureBuiltIns(p.items, false);
        p.Renumber();
    } catch (const AutomationError&) {
        throw;
    } catch (const Invalid& e) {
        Fail(kAppError, file + " is not a valid project file: " + e.what() + ".");
    } catch (const json::parse_error& e) {
        Fail(kAppError, file + " is not a valid project file: it is damaged or cut short (" + Reason(e) + ").");
    } catch (const std::exception& e) {
        Fail(kAppError, file + " is not a valid project file: " + where + " cannot be read (" + Reason(e) + ").");
    }
}

std::string SerializeGlobal(const ItemStore& global) {
    json doc = {{"format", kGlobalFormat}, {"formatVersion", kFormatVersion}, {"items", ItemsToJson(global)}};
    return doc.dump(1);
}

ItemStore DeserializeGlobal(const std::string& text) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::parse_error& e) {
        throw std::runtime_error("it is cut short or damaged: " + Reason(e));
    }
    if (!doc.is_object() || doc.value("format", "") != kGlobalFormat)
        throw std::runtime_error("it is not a global template");
    if (doc.value("formatVersion", 0) > kFormatVersion)
        throw std::runtime_error("it is of a newer file format (version " + std::to_string(doc.value("formatVersion", 0)) + ")");
    try {
        return ItemsFromJson(doc.at("items"));
    } catch (const std::exception& e) {
        throw std::runtime_error(Reason(e));
    }
}

std::filesystem::path StoragePath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.front() == '<') {
        // A plan held on a server: kept under the machine folder, one sub-folder per server piece.
        std::filesystem::path path = os::KovaPath("server", true);
        std::string piece;
        auto flush = [&] {
            if (!piece.empty() && piece != "." && piece != "..") path /= piece;
            piece.clear();
        };
        for (char c : folder) {
            if (c == '<' || c == '>') continue;
            if (c == '/' || c == '\\')
                flush();
            else
                piece += c;
        }
        flush();
        return path / name;
    }
    return std::filesystem::path(folder) / name;
}

} // namespace platform::msproject::detail
