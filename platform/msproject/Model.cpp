#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include "platform/msproject/Model.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>

#include "platform/msproject/Application.h"
#include "platform/os/KovaHome.h"

namespace platform::msproject {

void RecordSubscriptError() {
    automation::Err().Raise(detail::kSubscript, detail::kSource);
}

namespace detail {

void Fail(int32_t number, std::string description) {
    throw AutomationError(number, std::move(description), kSource);
}

void RecordError(int32_t number, const std::string& source, const std::string& description) {
    automation::Err().Raise(number, source, description);
}

// ---------------------------------------------------------------- text

std::string Fold(std::string_view s) {
    std::string out;
    FoldInto(s, out);
    return out;
}

void FoldInto(std::string_view s, std::string& out) {
    out.assign(s);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            unsigned char d = static_cast<unsigned char>(out[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Folded byte by byte as Fold does, without copies: a lead byte 0xC3 folds the byte after it.
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == 0xC3 || y == 0xC3) {
            if (x != y) return false;
            if (++i == a.size()) return true;
            x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 && x <= 0x9E && x != 0x97) x += 0x20;
            if (y >= 0x80 && y <= 0x9E && y != 0x97) y += 0x20;
        } else {
            if (x >= 'A' && x <= 'Z') x += 32;
            if (y >= 'A' && y <= 'Z') y += 32;
        }
        if (x != y) return false;
    }
    return true;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return std::string(s.substr(b, e - b));
}

// ---------------------------------------------------------------- organizer items

namespace {

std::shared_ptr<ControlData> Button(const std::string& caption, int32_t id) {
    auto c = std::make_shared<ControlData>();
    c->type = 1;
    c->id = id;
    c->caption = caption;
    c->builtIn = true;
    return c;
}

std::shared_ptr<ReferenceData> BuiltInReference(const std::string& name, const std::string& description) {
    auto r = std::make_shared<ReferenceData>();
    r->name = name;
    r->description = description;
    r->builtIn = true;
    return r;
}

template <class T> bool HasNamed(const std::vector<T>& items, std::string_view name, bool task) {
    for (const auto& i : items)
        if (SameText(i.name, name) && i.task == task) return true;
    return false;
}

} // namespace

void EnsureBuiltIns(ItemStore& s, bool global) {
    if (!HasNamed(s.views, "Gantt Chart", true)) s.views.push_back({"Gantt Chart", true, "Entry", ""});
    if (!HasNamed(s.views, "Task Sheet", true)) s.views.push_back({"Task Sheet", true, "Entry", ""});
    if (!HasNamed(s.views, "Resource Sheet", false))
        s.views.push_back({"Resource Sheet", false, "Entry", ""});
    if (!HasNamed(s.tables, "Entry", true))
        s.tables.push_back({"Entry", true, {"ID", "Name", "Duration", "Start", "Finish"}});
    if (!HasNamed(s.tables, "Entry", false))
        s.tables.push_back({"Entry", false, {"ID", "Name", "MaxUnits", "StandardRate"}});
    if (!HasNamed(s.filters, "All Tasks", true)) s.filters.push_back({"All Tasks", true, {}});
    if (!HasNamed(s.filters, "All Resources", false)) s.filters.push_back({"All Resources", false, {}});
    if (!s.vbProject) s.vbProject = std::make_shared<VBProjectData>();
    auto& vb = *s.vbProject;
    if (vb.name.empty()) vb.name = global ? "ProjectGlobal" : "VBAProject";
    if (vb.components.empty() || vb.components.front()->type != 100) {
        auto c = std::make_shared<ComponentData>();
        c->name = "ThisProject";
        c->type = 100;
        vb.components.insert(vb.components.begin(), c);
    }
    if (vb.references.empty()) {
        vb.references.push_back(BuiltInReference("VBA", "Visual Basic For Applications"));
        vb.references.push_back(BuiltInReference("MSProject", "Microsoft Project Object Library"));
        vb.references.push_back(BuiltInReference("stdole", "OLE Automation"));
        vb.references.push_back(BuiltInReference("Office", "Microsoft Office Object Library"));
    }
    if (!global) return;
    bool hasFile = false, hasStandard = false;
    for (const auto& b : s.commandBars) {
        if (SameText(b->name, "File")) hasFile = true;
        if (SameText(b->name, "Standard")) hasStandard = true;
    }
    if (!hasFile) {
        auto file = std::make_shared<CommandBarData>();
        file->name = "File";
        file->type = 2;
        file->builtIn = true;
        int32_t id = 18;
        for (const char* caption :
             {"&New...", "&Open...", "&Close", "&Save", "Save &As...", "Save as Web Pa&ge...",
              "Page Set&up...", "Print Pre&view", "&Print...", "Propert&ies", "E&xit"}) {
            file->controls.push_back(Button(caption, id++));
            file->controls.back()->bar = file;
        }
        s.commandBars.insert(s.commandBars.begin(), file);
    }
    if (!hasStandard) {
        auto bar = std::make_shared<CommandBarData>();
        bar->name = "Standard";
        bar->type = 0;
        bar->builtIn = true;
        int32_t id = 2520;
        for (const char* caption : {"&New", "&Open", "&Save", "&Print", "Cu&t", "&Copy", "&Paste"}) {
            bar->controls.push_back(Button(caption, id++));
            bar->controls.back()->bar = bar;
        }
        s.commandBars.push_back(bar);
    }
}

ItemStore BuiltInGlobalItems() {
    ItemStore s;
    EnsureBuiltIns(s, true);
    return s;
}

const ViewDef* FindView(const ItemStore& s, std::string_view name) {
    for (const auto& v : s.views)
        if (SameText(v.name, name)) return &v;
    return nullptr;
}

const FilterDef* FindFilter(const ItemStore& s, std::string_view name, std::optional<bool> task) {
    for (const auto& f : s.filters)
        if (SameText(f.name, name) && (!task || f.task == *task)) return &f;
    return nullptr;
}

// ---------------------------------------------------------------- plans

PlanData& PlanOf(const std::weak_ptr<PlanData>& plan) {
    auto p = plan.lock();
    if (!p || p->deleted) Fail(kObjectNotSet, "The project is no longer open.");
    if (p->app && !p->app->running)
        Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    return *p;
}

void PlanData::Renumber() {
    NumberTasks(0);
    uidHints.clear();
    for (const auto& t : tasks)
        if (t) uidHints.emplace(t->uid, t);
    for (size_t i = 0; i < resources.size(); ++i)
        if (resources[i]) resources[i]->id = static_cast<int32_t>(i + 1);
    RowsChanged();
    fieldIndexes.clear();
}

void PlanData::NumberTasks(size_t from) {
    for (const Insert& insert : pendingInserts)
        from = std::min(from, insert.at);
    pendingInserts.clear();
    for (size_t i = from; i < tasks.size(); ++i)
        if (tasks[i]) {
            tasks[i]->id = static_cast<int32_t>(i + 1);
            tasks[i]->idInserts = 0;
        }
}

void PlanData::TasksChanged(size_t from, size_t entered, size_t removed) {
    // Inserts and removals are kept aside up to a bound; any other change numbers the tasks at once.
    constexpr size_t kPendingInserts = 64;
    if (removed > 0 && entered == 0 && pendingInserts.size() < kPendingInserts) {
        pendingInserts.push_back({from, 0, removed});
    } else if (entered > 0 && removed == 0 && pendingInserts.size() < kPendingInserts) {
        pendingInserts.push_back({from, entered});
        for (size_t i = from; i < from + entered && i < tasks.size(); ++i)
            if (tasks[i]) {
                tasks[i]->id = static_cast<int32_t>(i + 1);
                tasks[i]->idInserts = pendingInserts.size();
            }
    } else {
        NumberTasks(from);
    }
    // Without a collapsed task (and, under a filter, without a blank row) every task is a row,
    // whatever the list holds.
    if (rowCache.valid && rowCache.taskView) {
        bool stillAll = rowCache.noneCollapsed && rowCache.rows.AllSlots();
        for (size_t i = from; stillAll && i < from + entered && i < tasks.size(); ++i)
            if (tasks[i] ? tasks[i]->collapsed : rowCache.blanksHidden) stillAll = false;
        if (!stillAll) RowsChanged();
    }
    if (entered > 0) RowsEntered(*this, true, from, entered);
}

void PlanData::ResourcesChanged(size_t from, size_t entered) {
    for (size_t i = from; i < resources.size(); ++i)
        if (resources[i]) resources[i]->id = static_cast<int32_t>(i + 1);
    if (rowCache.valid && !rowCache.taskView) {
        bool stillAll = rowCache.rows.AllSlots();
        for (size_t i = from; stillAll && i < from + entered && i < resources.size(); ++i)
            if (!resources[i] && rowCache.blanksHidden) stillAll = false;
        if (!stillAll) RowsChanged();
    }
    if (entered > 0) RowsEntered(*this, false, from, entered);
}

void PlanData::OutlineChanged() {
    if (rowCache.valid && rowCache.taskView && !rowCache.noneCollapsed) RowsChanged();
}

void ExpandAll(PlanData& plan) {
    // The task view's rows, when kept, know whether a task is collapsed: every collapse drops them.
    const RowCache& cache = plan.rowCache;
    if (cache.valid && cache.taskView && cache.noneCollapsed) return;
    bool expanded = false;
    for (auto& t : plan.tasks)
        if (t && t->collapsed) {
            t->collapsed = false;
            expanded = true;
        }
    if (expanded) plan.RowsChanged();
}

bool PlanData::TaskView() const {
    const ViewDef* v = FindView(items, currentView);
    if (!v && app) v = FindView(app->global, currentView);
    return v ? v->task : true;
}

std::shared_ptr<CalendarData> PlanData::CalendarByName(std::string_view n) const {
    for (const auto& c : calendars)
        if (c->name == n) return c;
    return nullptr;
}

const CalendarData* PlanData::ProjectCalendar() const {
    if (auto c = CalendarByName(calendar)) return c.get();
    if (!calendars.empty()) return calendars.front().get();
    static const CalendarData fallback = [] {
        CalendarData c;
        c.name = "Standard";
        c.week = DefaultWeek();
        return c;
    }();
    return &fallback;
}

std::shared_ptr<ResourceData> PlanData::ResourceByName(std::string_view n) const {
    for (const auto& r : resources)
        if (r && SameText(r->name, n)) return r;
    return nullptr;
}

std::shared_ptr<TaskData> PlanData::TaskByUid(int32_t uid) const {
    if (!foreignTasks)
        if (auto hint = uidHints.find(uid); hint != uidHints.end())
            if (auto t = hint->second.lock(); t && t->uid == uid && NumberedSlot(*this, *t) >= 0) return t;
    for (const auto& t : tasks)
        if (t && t->uid == uid) {
            if (!foreignTasks) uidHints[uid] = t;
            return t;
        }
    return nullptr;
}

std::string PlanData::Title() const {
    if (!title.empty()) return title;
    std::string n = name;
    if (n.size() > 4 && SameText(n.substr(n.size() - 4), ".mpp")) n.resize(n.size() - 4);
    return n;
}

bool PlanData::Hold() {
    Release();
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true; // nothing on disk to share yet
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    holdFd = fd;
    return true;
}

void PlanData::Release() {
    // Closing, never unlocking: a child process that shares the descriptor must not end the hold.
    if (holdFd >= 0) ::close(holdFd);
    holdFd = -1;
}

std::shared_ptr<PlanData> NewPlan(AppState* app) {
    auto p = std::make_shared<PlanData>();
    p->app = app;
    p->start = Date(std::floor(Date::Today().Serial()) + 8.0 / 24.0);
    auto standard = std::make_shared<CalendarData>();
    standard->name = "Standard";
    standard->week = DefaultWeek();
    p->calendars.push_back(standard);
    p->summary = std::make_shared<TaskData>();
    p->summary->plan = p;
    p->summary->uid = 0;
    p->summary->id = 0;
    p->summary->level = 0;
    EnsureBuiltIns(p->items, false);
    return p;
}

std::shared_ptr<TaskData> NewTask(PlanData& plan, std::string name) {
    auto t = std::make_shared<TaskData>();
    t->plan = plan.weak_from_this();
    t->uid = plan.nextTaskUid++;
    t->name = std::move(name);
    t->start = plan.start;
    t->duration = plan.hoursPerDay * 60;
    plan.uidHints[t->uid] = t;
    return t;
}

int NumberedSlot(const PlanData& plan, const TaskData& t) {
    int64_t slot = t.id - 1;
    for (size_t k = t.idInserts; k < plan.pendingInserts.size(); ++k) {
        const PlanData::Insert& change = plan.pendingInserts[k];
        const auto at = static_cast<int64_t>(change.at);
        if (change.removed == 0) {
            if (slot >= at) slot += static_cast<int64_t>(change.count);
        } else if (slot >= at + static_cast<int64_t>(change.removed)) {
            slot -= static_cast<int64_t>(change.removed);
        } else if (slot >= at) {
            return -1; // taken out of the list
        }
    }
    if (t.deleted || slot < 0 || slot >= static_cast<int64_t>(plan.tasks.size()) || plan.tasks[slot].get() != &t)
        return -1;
    return static_cast<int>(slot);
}

int SlotOf(const PlanData& plan, const TaskData* t) {
    if (!t || t->level == 0) return -1;
    if (int slot = NumberedSlot(plan, *t); slot >= 0) return slot;
    for (size_t i = 0; i < plan.tasks.size(); ++i)
        if (plan.tasks[i].get() == t) return static_cast<int>(i);
    return -1;
}

int32_t TaskId(const PlanData& plan, const TaskData& t) {
    if (t.level == 0) return t.id;
    const int slot = SlotOf(plan, &t);
    return slot >= 0 ? slot + 1 : t.id;
}

int ListedSlot(const PlanData& plan, const TaskData& t) {
    int slot = SlotOf(plan, &t);
    if (slot < 0) Fail(kAppError, "The task is not in the task list.");
    return slot;
}

int SubtreeEnd(const PlanData& plan, int slot) {
    int level = plan.tasks[slot]->level;
    int end = slot + 1;
    for (int i = slot + 1; i < static_cast<int>(plan.tasks.size()); ++i) {
        const auto& t = plan.tasks[i];
        if (!t) continue;
        if (t->level <= level) break;
        end = i + 1;
    }
    return end;
}

std::shared_ptr<TaskData> ParentOf(const PlanData& plan, const TaskData& t) {
    if (t.level == 0) return nullptr;
    const int slot = SlotOf(plan, &t);
    // The levels kept beside the rows: a task far down a long plan would pass many rows on its way up.
    const size_t above =
        slot > 0 ? plan.tasks.LastBelow(static_cast<size_t>(slot), t.level) : plan.tasks.npos;
    return above != plan.tasks.npos ? plan.tasks[above] : plan.summary;
}

std::vector<std::shared_ptr<TaskData>> ChildrenOf(const PlanData& plan, const TaskData& t) {
    std::vector<std::shared_ptr<TaskData>> out;
    int from = 0, to = static_cast<int>(plan.tasks.size());
    if (t.level > 0) {
        int slot = SlotOf(plan, &t);
        if (slot < 0) return out;
        from = slot + 1;
        to = SubtreeEnd(plan, slot);
    }
    for (int i = from; i < to; ++i)
        if (plan.tasks[i] && plan.tasks[i]->level == t.level + 1) out.push_back(plan.tasks[i]);
    return out;
}

bool HasChildren(const PlanData& plan, const TaskData& t) {
    if (t.level == 0) {
        for (const auto& x : plan.tasks)
            if (x) return true;
        return false;
    }
    int slot = SlotOf(plan, &t);
    if (slot < 0) return false;
    for (size_t i = slot + 1; i < plan.tasks.size(); ++i)
        if (plan.tasks[i]) return plan.tasks[i]->level > t.level;
    return false;
}

Date TaskStart(const PlanData& plan, const TaskData& t) {
    if (!HasChildren(plan, t)) return t.level == 0 ? plan.start : t.start;
    bool any = false;
    Date best;
    for (const auto& c : ChildrenOf(plan, t)) {
        Date s = TaskStart(plan, *c);
        if (!any || s < best) best = s;
        any = true;
    }
    return best;
}

Date TaskFinish(const PlanData& plan, const TaskData& t) {
    if (!HasChildren(plan, t)) {
        if (t.level == 0) return plan.start;
        if (t.duration <= 0) return t.start;
        return AddWorkingMinutes(*plan.ProjectCalendar(), t.start, t.duration);
    }
    bool any = false;
    Date best;
    for (const auto& c : ChildrenOf(plan, t)) {
        Date f = TaskFinish(plan, *c);
        if (!any || f > best) best = f;
        any = true;
    }
    return best;
}

double TaskDuration(const PlanData& plan, const TaskData& t) {
    if (!HasChildren(plan, t)) return t.level == 0 ? 0 : t.duration;
    return WorkingMinutes(*plan.ProjectCalendar(), TaskStart(plan, t), TaskFinish(plan, t));
}

double TaskCost(const PlanData& plan, const TaskData& t) {
    double cost = t.fixedCost;
    for (const auto& a : t.assignments)
        cost +=
            a->cost != 0
                ? a->cost
                : (a->resource ? a->work / 60.0 * a->resource->standardRate + a->resource->costPerUse : 0);
    if (HasChildren(plan, t))
        for (const auto& c : ChildrenOf(plan, t))
            cost += TaskCost(plan, *c);
    return cost;
}

void TakeOutTaskSlots(PlanData& plan, int from, int to) {
    // A task taken out keeps the Id of the row it stood in, inserts above it not yet numbered counted.
    for (int i = from; i < to; ++i)
        if (auto& t = plan.tasks[i]) {
            t->id = i + 1;
            t->idInserts = plan.pendingInserts.size();
        }
    plan.tasks.erase(static_cast<size_t>(from), static_cast<size_t>(to));
    plan.TasksChanged(from, 0, static_cast<size_t>(to - from));
}

void DeleteTaskSlots(PlanData& plan, int from, int to) {
    for (int i = from; i < to; ++i) {
        auto& t = plan.tasks[i];
        if (!t) continue;
        t->deleted = true;
        for (auto& a : t->assignments)
            a->deleted = true;
    }
    TakeOutTaskSlots(plan, from, to);
    plan.Touch();
}

ViewRows ViewRows::All(size_t count) {
    ViewRows v;
    v.count_ = count;
    return v;
}

ViewRows ViewRows::Of(std::vector<int> slots, size_t slotCount) {
    ViewRows v;
    v.count_ = slots.size();
    auto rowOf = std::make_shared<std::vector<int32_t>>(slotCount, 0);
    for (size_t i = 0; i < slots.size(); ++i)
        (*rowOf)[slots[i]] = static_cast<int32_t>(i + 1);
    v.rows_ = std::make_shared<const std::vector<int>>(std::move(slots));
    v.rowOf_ = std::move(rowOf);
    return v;
}

int32_t ViewRows::RowOf(int slot) const {
    if (slot < 0) return 0;
    if (!rows_) return static_cast<size_t>(slot) < count_ ? slot + 1 : 0;
    return static_cast<size_t>(slot) < rowOf_->size() ? (*rowOf_)[slot] : 0;
}

std::vector<int> ViewRows::Slots() const {
    if (rows_) return *rows_;
    std::vector<int> out(count_);
    for (size_t i = 0; i < count_; ++i)
        out[i] = static_cast<int>(i);
    return out;
}

ViewRows VisibleRows(const PlanData& plan) {
    bool taskView = plan.TaskView();
    RowCache& cache = plan.rowCache;
    const size_t slotCount = taskView ? plan.tasks.size() : plan.resources.size();
    const FilterDef* filter = nullptr;
    if (!plan.filter.empty()) {
        filter = FindFilter(plan.items, plan.filter, taskView);
        if (!filter && plan.app) filter = FindFilter(plan.app->global, plan.filter, taskView);
    }
    // A filter with criteria picks rows by the fields' values: its rows are worked out at every call.
    // Without criteria (or without a filter) the rows follow from the lists and the outline alone.
    const bool keepable = !filter || filter->criteria.empty();
    if (keepable && cache.valid && cache.taskView == taskView && cache.filter == plan.filter &&
        cache.blanksHidden == (filter != nullptr)) {
        // Every slot a row: the count is the list's as it is now.
        if (cache.rows.AllSlots()) return ViewRows::All(slotCount);
        return cache.rows;
    }
    std::vector<int> rows;
    bool noneCollapsed = true;
    std::vector<RowMatcher> matchers;
    if (filter)
        for (const auto& c : filter->criteria)
            matchers.push_back(MakeRowMatcher(plan, taskView, c.field, c.test, c.value, false, 1033));
    auto passes = [&](int slot) {
        for (const auto& m : matchers)
            if (!m(slot)) return false;
        return true;
    };
    if (taskView) {
        rows.reserve(plan.tasks.size());
        int hideBelow = INT_MAX;
        for (int slot = 0; slot < static_cast<int>(plan.tasks.size()); ++slot) {
            const auto& t = plan.tasks[slot];
            if (!t) {
                if (hideBelow != INT_MAX || filter) continue;
                rows.push_back(slot);
                continue;
            }
            if (t->level <= hideBelow)
                hideBelow = INT_MAX;
            else
                continue;
            if (t->collapsed) noneCollapsed = false;
            if (t->collapsed && HasChildren(plan, *t)) hideBelow = t->level;
            if (filter && !passes(slot)) continue;
            rows.push_back(slot);
        }
    } else {
        for (int slot = 0; slot < static_cast<int>(plan.resources.size()); ++slot) {
            if (!plan.resources[slot]) {
                if (!filter) rows.push_back(slot);
                continue;
            }
            if (filter && !passes(slot)) continue;
            rows.push_back(slot);
        }
    }
    ViewRows view = rows.size() == slotCount ? ViewRows::All(slotCount) : ViewRows::Of(std::move(rows), slotCount);
    if (keepable) cache = RowCache{true, taskView, noneCollapsed, plan.filter, filter != nullptr, view};
    return view;
}

// ---------------------------------------------------------------- values

Variant MaybeDateValue(const std::optional<Date>& d) {
    if (!d) return Variant(std::string("NA"));
    return Variant(*d);
}

std::optional<Date> ToMaybeDate(const Variant& v) {
    if (v.IsEmpty() || v.IsNull()) return std::nullopt;
    if (const auto* s = v.Peek<std::string>())
        if (SameText(Trim(*s), "NA") || Trim(*s).empty()) return std::nullopt;
    return automation::strict::ToDate(v);
}

double UnitMinutes(const PlanData& plan, int32_t unit) {
    switch (unit) {
    case 3: return 1;
    case 5: return 60;
    case 7: return plan.hoursPerDay * 60;
    case 9: return plan.hoursPerWeek * 60;
    default: return 1;
    }
}

double ToMinutes(const PlanData& plan, const Variant& v, int32_t unit) {
    const auto* s = v.Peek<std::string>();
    if (!s) return automation::strict::ToDouble(v);
    std::string text = Trim(*s);
    if (text.empty()) return 0;
    // An optional unit after the number: m, h, d, w (and their long forms).
    size_t end = text.size();
    while (end > 0 && std::isalpha(static_cast<unsigned char>(text[end - 1])))
        --end;
    std::string suffix = Fold(Trim(text.substr(end)));
    std::string number = Trim(text.substr(0, end));
    const std::string& sep = plan.app ? plan.app->decimalSeparator : std::string(".");
    if (sep != ".") {
        for (char& c : number)
            if (c == '.') c = '\x01';
        size_t at;
        while ((at = number.find(sep)) != std::string::npos)
            number.replace(at, sep.size(), ".");
        number.erase(std::remove(number.begin(), number.end(), '\x01'), number.end());
    }
    if (number.empty()) Fail(kTypeMismatch, "The value is not a valid duration.");
    char* stop = nullptr;
    double value = std::strtod(number.c_str(), &stop);
    if (!stop || *stop != '\0') Fail(kTypeMismatch, "The value is not a valid duration.");
    if (!suffix.empty()) {
        if (suffix == "m" || suffix == "min" || suffix == "mins" || suffix == "minutes")
            unit = 3;
        else if (suffix == "h" || suffix == "hr" || suffix == "hrs" || suffix == "hours")
            unit = 5;
        else if (suffix == "d" || suffix == "day" || suffix == "days")
            unit = 7;
        else if (suffix == "w" || suffix == "wk" || suffix == "wks" || suffix == "weeks")
            unit = 9;
        else
            Fail(kTypeMismatch, "The value is not a valid duration.");
    }
    return value * UnitMinutes(plan, unit);
}

// ---------------------------------------------------------------- the running instance

std::filesystem::path AppState::ProgramFolder() const {
    std::error_code ec;
    std::filesystem::create_directories(programFolder, ec);
    return programFolder;
}

std::filesystem::path AppState::GlobalTemplateFile() const {
    return ProgramFolder() / std::to_string(uiLanguage) / "GLOBAL.MPT";
}

void AppState::SaveGlobal() {
    std::string text = SerializeGlobal(global);
    if (text == globalWritten) return; // unchanged since read or written
    auto file = GlobalTemplateFile();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    // Another program (an install or a removal) replaced the template while this instance ran: its
    // version stays, and this instance goes on with it instead of writing back the one it started with.
    std::string onDisk;
    if (!globalRead.empty() && os::ReadWholeFile(file, onDisk) && onDisk != globalRead) {
        try {
            global = DeserializeGlobal(onDisk);
            EnsureBuiltIns(global, true);
            globalRead = onDisk;
            globalWritten = SerializeGlobal(global);
            return;
        } catch (const std::exception&) {
            // Not readable: written over as below, as a damaged template would be replaced.
        }
    }
    if (!os::WriteFileAtomically(file, text)) {
        const int error = errno;
        Fail(kAppError, "The global template \"" + file.string() + "\" could not be written (" +
                            std::strerror(error) + ").");
    }
    globalRead = globalWritten = text;
}

void AppState::LoadGlobal() {
    auto file = GlobalTemplateFile();
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        std::string text;
        if (!os::ReadWholeFile(file, text))
            Fail(kAppError, "The global template \"" + file.string() + "\" cannot be read.");
        try {
            global = DeserializeGlobal(text);
            EnsureBuiltIns(global, true);
            globalRead = text;
            globalWritten = SerializeGlobal(global);
            return;
        } catch (const std::exception& e) {
            // A damaged template is set aside, not lost: what the integration added may be taken back
            // from it by hand.
            auto kept = file;
            kept += ".damaged";
            for (int n = 2; std::filesystem::exists(kept, ec); ++n) {
                kept = file;
                kept += ".damaged" + std::to_string(n);
            }
            std::filesystem::rename(file, kept, ec);
            if (ec)
                Fail(kAppError, "The global template \"" + file.string() + "\" could not be read (" + e.what() +
                                    ") and could not be set aside (" + ec.message() + ").");
            notices.push_back("The global template \"" + file.string() + "\" could not be read (" + e.what() +
                              "). It was kept as \"" + kept.string() + "\" and a new one was made.");
        }
    }
    global = BuiltInGlobalItems();
    SaveGlobal();
}

bool AppState::Alert(const std::string& message) {
    if (!alerts) return true;
    ++alertsShown;
    return alertPrompt ? alertPrompt(message) : true;
}

PlanData& AppState::Active() {
    if (!running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    if (!active) Fail(kAppError, "No project is open.");
    return *active;
}

void AppState::Activate(const std::shared_ptr<PlanData>& plan) {
    active = plan;
    if (plan && projectActivated) projectActivated(*plan);
}

} // namespace detail
} // namespace platform::msproject
