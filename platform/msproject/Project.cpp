#include "platform/msproject/Project.h"

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;
using automation::Date;

namespace {

template <class F> auto WithPlan(const Project& h, F&& f) {
    return Guard([&] { return f(LivePlan(h)); });
}

template <class F> void Change(const Project& h, F&& f) {
    Guard([&] {
        auto& p = LivePlan(h);
        f(p);
        p.Touch();
    });
}

std::vector<std::string> Names(const PlanData& p, int kind, bool task) {
    // Items of the global template first, then those only the plan has.
    std::vector<std::string> out;
    auto add = [&](const ItemStore& s) {
        auto push = [&](const std::string& name) {
            for (const auto& n : out)
                if (SameText(n, name)) return;
            out.push_back(name);
        };
        if (kind == 0)
            for (const auto& v : s.views)
                push(v.name);
        if (kind == 1)
            for (const auto& t : s.tables)
                if (t.task == task) push(t.name);
        if (kind == 2)
            for (const auto& f : s.filters)
                if (f.task == task) push(f.name);
    };
    if (p.app) add(p.app->global);
    add(p.items);
    return out;
}

bool ValidUnit(int32_t u) {
    return u == 3 || u == 5 || u == 7 || u == 9;
}

} // namespace

std::string Project::Name() const {
    return WithPlan(*this, [](PlanData& p) { return p.name; });
}
std::string Project::Path() const {
    return WithPlan(*this, [](PlanData& p) { return p.folder; });
}
std::string Project::FullName() const {
    return WithPlan(*this, [](PlanData& p) {
        if (p.folder.empty()) return p.name;
        std::string sep = p.folder.back() == '/' || p.folder.back() == '\\' ? "" : "/";
        return p.folder + sep + p.name;
    });
}
bool Project::ReadOnly() const {
    return WithPlan(*this, [](PlanData& p) { return p.readOnly; });
}
bool Project::Saved() const {
    return WithPlan(*this, [](PlanData& p) { return p.saved; });
}
void Project::SetSaved(bool value) {
    WithPlan(*this, [&](PlanData& p) { p.saved = value; });
}
int32_t Project::Index() const {
    return WithPlan(*this, [](PlanData& p) {
        for (size_t i = 0; i < p.app->plans.size(); ++i)
            if (p.app->plans[i].get() == &p) return static_cast<int32_t>(i + 1);
        return 0;
    });
}

Tasks Project::Tasks() const {
    return WithPlan(*this,
                    [](PlanData& p) { return MakeHandle<platform::msproject::Tasks>(p.shared_from_this()); });
}
Resources Project::Resources() const {
    return WithPlan(
        *this, [](PlanData& p) { return MakeHandle<platform::msproject::Resources>(p.shared_from_this()); });
}
Task Project::ProjectSummaryTask() const {
    return WithPlan(*this, [](PlanData& p) { return MakeHandle<Task>(p.summary); });
}
Calendars Project::BaseCalendars() const {
    return WithPlan(*this, [](PlanData& p) { return MakeHandle<Calendars>(p.shared_from_this()); });
}
Calendar Project::Calendar() const {
    return WithPlan(*this, [](PlanData& p) {
        auto c = p.CalendarByName(p.calendar);
        if (!c) Fail(kAppError, "The project calendar is missing.");
        return MakeHandle<platform::msproject::Calendar>(c);
    });
}
CustomDocumentProperties Project::CustomDocumentProperties() const {
    return WithPlan(*this, [](PlanData& p) {
        return MakeHandle<platform::msproject::CustomDocumentProperties>(p.shared_from_this());
    });
}

std::string Project::CurrentView() const {
    return WithPlan(*this, [](PlanData& p) { return p.currentView; });
}
std::string Project::CurrentFilter() const {
    return WithPlan(*this, [](PlanData& p) {
        return p.filter.empty() ? std::string(p.TaskView() ? "All Tasks" : "All Resources") : p.filter;
    });
}
std::vector<std::string> Project::ViewList() const {
    return WithPlan(*this, [](PlanData& p) { return Names(p, 0, true); });
}
std::vector<std::string> Project::TaskTableList() const {
    return WithPlan(*this, [](PlanData& p) { return Names(p, 1, true); });
}
std::vector<std::string> Project::ResourceTableList() const {
    return WithPlan(*this, [](PlanData& p) { return Names(p, 1, false); });
}
std::vector<std::string> Project::TaskFilterList() const {
    return WithPlan(*this, [](PlanData& p) { return Names(p, 2, true); });
}
std::vector<std::string> Project::ResourceFilterList() const {
    return WithPlan(*this, [](PlanData& p) { return Names(p, 2, false); });
}

Date Project::Start() const {
    return WithPlan(*this, [](PlanData& p) { return p.start; });
}
void Project::SetStart(const Date& v) {
    Change(*this, [&](PlanData& p) {
        if (!IsScheduleDate(v))
            Fail(kAppError, "The date " + ShownDate(v) + " is outside the dates the program schedules " +
                                kScheduleDatesText + ".");
        p.start = v;
    });
}
Date Project::Finish() const {
    return WithPlan(*this, [](PlanData& p) { return TaskFinish(p, *p.summary); });
}
std::string Project::Title() const {
    return WithPlan(*this, [](PlanData& p) { return p.Title(); });
}
void Project::SetTitle(const std::string& v) {
    Change(*this, [&](PlanData& p) { p.title = v; });
}
std::string Project::Author() const {
    return WithPlan(*this, [](PlanData& p) { return p.author; });
}
void Project::SetAuthor(const std::string& v) {
    Change(*this, [&](PlanData& p) { p.author = v; });
}
std::string Project::Company() const {
    return WithPlan(*this, [](PlanData& p) { return p.company; });
}
void Project::SetCompany(const std::string& v) {
    Change(*this, [&](PlanData& p) { p.company = v; });
}
std::string Project::CurrencySymbol() const {
    return WithPlan(*this, [](PlanData& p) { return p.currencySymbol; });
}
void Project::SetCurrencySymbol(const std::string& v) {
    Change(*this, [&](PlanData& p) { p.currencySymbol = v; });
}
bool Project::HonorConstraints() const {
    return WithPlan(*this, [](PlanData& p) { return p.honorConstraints; });
}
void Project::SetHonorConstraints(bool v) {
    Change(*this, [&](PlanData& p) { p.honorConstraints = v; });
}
int32_t Project::DefaultDurationUnits() const {
    return WithPlan(*this, [](PlanData& p) { return p.defaultDurationUnits; });
}
void Project::SetDefaultDurationUnits(int32_t v) {
    Change(*this, [&](PlanData& p) {
        if (!ValidUnit(v)) Fail(kAppError, "The argument value is not valid.");
        p.defaultDurationUnits = v;
    });
}
int32_t Project::DefaultWorkUnits() const {
    return WithPlan(*this, [](PlanData& p) { return p.defaultWorkUnits; });
}
void Project::SetDefaultWorkUnits(int32_t v) {
    Change(*this, [&](PlanData& p) {
        if (!ValidUnit(v)) Fail(kAppError, "The argument value is not valid.");
        p.defaultWorkUnits = v;
    });
}
double Project::HoursPerDay() const {
    return WithPlan(*this, [](PlanData& p) { return p.hoursPerDay; });
}
void Project::SetHoursPerDay(double v) {
    Change(*this, [&](PlanData& p) {
        if (v <= 0 || v > 24) Fail(kAppError, "The argument value is not valid.");
        p.hoursPerDay = v;
    });
}
double Project::HoursPerWeek() const {
    return WithPlan(*this, [](PlanData& p) { return p.hoursPerWeek; });
}
void Project::SetHoursPerWeek(double v) {
    Change(*this, [&](PlanData& p) {
        if (v <= 0 || v > 168) Fail(kAppError, "The argument value is not valid.");
        p.hoursPerWeek = v;
    });
}

void Project::Activate() {
    WithPlan(*this, [](PlanData& p) { p.app->Activate(p.shared_from_this()); });
}
Application* Project::Application() const {
    return WithPlan(*this, [](PlanData& p) { return p.app->self; });
}

// ---------------------------------------------------------------- Projects

namespace {

AppState& LiveApp(const Projects& h) {
    auto& s = Live(h);
    if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    return s;
}

} // namespace

int32_t Projects::Count() const {
    return Guard([&] { return static_cast<int32_t>(LiveApp(*this).plans.size()); });
}
Project Projects::Item(int32_t index) const {
    return Guard([&] {
        auto& s = LiveApp(*this);
        if (index < 1 || index > static_cast<int32_t>(s.plans.size()))
            Fail(kAppError, "The argument value is not valid.");
        return MakeHandle<Project>(s.plans[index - 1]);
    });
}
Project Projects::Item(std::string_view name) const {
    return Guard([&] {
        auto& s = LiveApp(*this);
        for (const auto& p : s.plans) {
            std::string n = p->name;
            if (SameText(n, name) || SameText(p->Title(), name)) return MakeHandle<Project>(p);
        }
        Fail(kAppError, "The argument value is not valid.");
    });
}
Project Projects::Add(bool DisplayProjectInfo) {
    return Guard([&] {
        auto& s = LiveApp(*this);
        s.self->FileNew(DisplayProjectInfo);
        return MakeHandle<Project>(s.active);
    });
}

} // namespace platform::msproject
