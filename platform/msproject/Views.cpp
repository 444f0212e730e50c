// The active view of the active plan: rows, selection, Find, editing, outline, formatting, sorting,
// views and filters.
#include <algorithm>
#include <set>

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;
using automation::Variant;

namespace {

void SelectOnly(PlanData& p, int32_t row) {
    p.activeRow = row;
    p.selection.clear();
    p.sheetSelected = false;
}

// Slots of the selected rows, ascending (rows past the last are left out).
std::vector<int> SelectedSlots(const PlanData& p, const ViewRows& rows) {
    std::vector<int> out;
    auto add = [&](int32_t row) {
        if (row >= 1 && row <= static_cast<int32_t>(rows.size())) out.push_back(rows[row - 1]);
    };
    if (p.sheetSelected) {
        out = rows.Slots();
    } else if (p.selection.empty()) {
        add(p.activeRow);
    } else {
        for (int32_t r : p.selection)
            add(r);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// The selected tasks, leaving out those inside the subtree of another selected task.
std::vector<std::shared_ptr<TaskData>> SelectedHeads(const PlanData& p) {
    std::vector<std::shared_ptr<TaskData>> out;
    int coveredUntil = -1;
    for (int slot : SelectedSlots(p, VisibleRows(p))) {
        if (slot < coveredUntil || !p.tasks[slot]) continue;
        out.push_back(p.tasks[slot]);
        coveredUntil = SubtreeEnd(p, slot);
    }
    return out;
}

void RequireTaskView(const PlanData& p) {
    if (!p.TaskView()) Fail(kAppError, "This command is not available in a resource view.");
}

void DropClipboard(AppState& s) {
    // Cut tasks that were never pasted are gone for good.
    if (s.clipboardIsCut && !s.clipboardUsed)
        for (auto& t : s.clipboard)
            if (t) {
                t->deleted = true;
                for (auto& a : t->assignments)
                    a->deleted = true;
            }
    s.clipboard.clear();
    s.clipboardUsed = false;
    s.clipboardIsCut = false;
}

std::shared_ptr<TaskData> CloneTask(PlanData& p, const TaskData& from) {
    auto t = std::make_shared<TaskData>(from);
    t->plan = p.weak_from_this();
    t->uid = p.nextTaskUid++;
    p.uidHints[t->uid] = t;
    t->deleted = false;
    t->assignments.clear();
    if (from.plan.lock().get() != &p) return t; // resources of another plan do not come along
    for (const auto& a : from.assignments) {
        auto copy = std::make_shared<AssignmentData>(*a);
        copy->uid = p.nextAssignmentUid++;
        copy->task = t.get();
        copy->deleted = false;
        t->assignments.push_back(copy);
    }
    return t;
}

bool RunFind(AppState& s, bool forward) {
    auto& p = s.Active();
    const auto& f = s.lastFind;
    bool taskView = p.TaskView();
    RowMatcher match = MakeRowMatcher(p, taskView, f.field, f.test, f.value, f.matchCase, s.uiLanguage);
    const ViewRows rows = VisibleRows(p);
    const int n = static_cast<int>(rows.size());
    if (n == 0) return false;
    int active = p.activeRow;
    bool inside = active >= 1 && active <= n;
    // Where the index knows the candidates, the one that comes first in the search order wins: the
    // order of the row-by-row search below (after the active row, wrapping, the active row last).
    if (auto candidates =
            CandidateSlots(p, taskView, f.field, f.test, f.value, f.matchCase, s.uiLanguage)) {
        auto place = [&](int row) {
            if (inside) return forward ? (row - 1 - active + n) % n : (active - 1 - row + n) % n;
            return forward ? row - 1 : n - row;
        };
        int32_t best = 0;
        int bestPlace = n;
        for (int slot : *candidates) {
            int32_t row = rows.RowOf(slot);
            if (row == 0) continue;
            int at = place(row);
            if (at < bestPlace && match(slot)) {
                best = row;
                bestPlace = at;
            }
        }
        if (best == 0) return false;
        SelectOnly(p, best);
        return true;
    }
    for (int k = 0; k < n; ++k) {
        int row; // 1-based; the active row itself comes last
        if (inside)
            row = forward ? (active - 1 + k + 1) % n + 1 : ((active - 1 - k - 1) % n + n) % n + 1;
        else
            row = forward ? k + 1 : n - k;
        int slot = rows[row - 1];
        bool blank = taskView ? !p.tasks[slot] : !p.resources[slot];
        if (blank) continue;
        if (match(slot)) {
            SelectOnly(p, row);
            return true;
        }
    }
    return false;
}

int CompareValues(const Variant& a, const Variant& b) {
    if (const auto* sa = a.Peek<std::string>()) {
        std::string x = Fold(*sa), y = Fold(automation::strict::ToString(b));
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (const auto* da = a.Peek<automation::Date>()) {
        double x = da->Serial(), y = automation::strict::ToDate(b).Serial();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    double x = automation::strict::ToDouble(a), y = automation::strict::ToDouble(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

struct SortKey {
    FieldRef field;
    bool ascending;
};

// Sorts a run of slots whose top entries are siblings: each sibling moves with its subtree, and the
// subtrees are sorted inside in the same way. Blank rows at this level go to the end of the run.
std::vector<std::shared_ptr<TaskData>> SortRun(const PlanData& p, std::vector<std::shared_ptr<TaskData>> run,
                                               const std::vector<SortKey>& keys) {
    struct Unit {
        std::shared_ptr<TaskData> head;
        std::vector<std::shared_ptr<TaskData>> rest;
        std::vector<Variant> key;
    };
    std::vector<Unit> units;
    std::vector<std::shared_ptr<TaskData>> blanks;
    int top = INT32_MAX;
    for (const auto& t : run)
        if (t) top = std::min(top, t->level);
    for (const auto& t : run) {
        if (!t) {
            if (units.empty())
                blanks.push_back(t);
            else
                units.back().rest.push_back(t);
        } else if (t->level == top || units.empty()) {
            units.push_back({t, {}, {}});
        } else {
            units.back().rest.push_back(t);
        }
    }
    for (auto& u : units) {
        // Blank rows after the last descendant belong to this level, not to the subtree.
        while (!u.rest.empty() && !u.rest.back()) {
            blanks.push_back(nullptr);
            u.rest.pop_back();
        }
        for (const auto& k : keys)
            u.key.push_back(GetTaskField(p, *u.head, k.field));
    }
    std::stable_sort(units.begin(), units.end(), [&](const Unit& a, const Unit& b) {
        for (size_t i = 0; i < keys.size(); ++i) {
            int c = CompareValues(a.key[i], b.key[i]);
            if (c != 0) return keys[i].ascending ? c < 0 : c > 0;
        }
        return false;
    });
    std::vector<std::shared_ptr<TaskData>> out;
    out.reserve(run.size());
    for (auto& u : units) {
        out.push_back(u.head);
        if (!u.rest.empty())
            for (auto& t : SortRun(p, std::move(u.rest), keys))
                out.push_back(t);
    }
    for (auto& b : blanks)
        out.push_back(b);
    return out;
}

const FilterDef* LookupFilter(const PlanData& p, std::string_view name, bool task) {
    const FilterDef* f = FindFilter(p.items, name, task);
    if (!f && p.app) f = FindFilter(p.app->global, name, task);
    return f;
}

} // namespace

// ---------------------------------------------------------------- selection

Cell Application::ActiveCell() const {
    return Guard([&] {
        auto& p = state_->Active();
        Cell c;
        c.app_ = const_cast<Application*>(this);
        auto rows = VisibleRows(p);
        if (p.activeRow >= 1 && p.activeRow <= static_cast<int32_t>(rows.size())) {
            int slot = rows[p.activeRow - 1];
            if (p.TaskView()) {
                if (p.tasks[slot]) c.task_ = MakeHandle<Task>(p.tasks[slot]);
            } else if (p.resources[slot]) {
                c.resource_ = MakeHandle<Resource>(p.resources[slot]);
            }
        }
        c.fieldName_ = p.activeColumn == 1 ? "Name" : "";
        return c;
    });
}

void Application::SelectRow(int32_t Row, bool RowRelative, bool Extend, bool Add) {
    Guard([&] {
        auto& p = state_->Active();
        int32_t target = RowRelative ? p.activeRow + Row : Row;
        if (target < 1) Fail(kAppError, "The argument value is not valid.");
        if (Extend) {
            int32_t from = std::min(p.activeRow, target), to = std::max(p.activeRow, target);
            std::vector<int32_t> sel;
            for (int32_t r = std::max(from, 1); r <= to; ++r)
                sel.push_back(r);
            p.selection = sel;
            p.activeRow = target;
            p.sheetSelected = false;
        } else if (Add) {
            if (p.selection.empty()) p.selection.push_back(p.activeRow);
            p.selection.push_back(target);
            std::sort(p.selection.begin(), p.selection.end());
            p.selection.erase(std::unique(p.selection.begin(), p.selection.end()), p.selection.end());
            p.activeRow = target;
        } else {
            SelectOnly(p, target);
        }
    });
}

void Application::SelectCell(int32_t Row, int32_t Column, bool RowRelative) {
    Guard([&] {
        auto& p = state_->Active();
        int32_t target = RowRelative ? p.activeRow + Row : Row;
        int32_t column = RowRelative ? p.activeColumn + Column : Column;
        if (target < 1 || column < 1) Fail(kAppError, "The argument value is not valid.");
        SelectOnly(p, target);
        p.activeColumn = column;
    });
}

void Application::SelectSheet() {
    Guard([&] {
        auto& p = state_->Active();
        p.sheetSelected = true;
        p.selection.clear();
    });
}

bool Application::Find(const std::string& Field, const std::string& Test, const Variant& Value, bool Next,
                       bool MatchCase) {
    return Guard([&] {
        auto& s = *state_;
        s.Active();
        s.lastFind = AppState::LastFind{Field, Test, Value, Next, MatchCase, true};
        return RunFind(s, Next);
    });
}

bool Application::FindNext() {
    return Guard([&] {
        if (!state_->lastFind.valid) Fail(kAppError, "There is no search to repeat.");
        return RunFind(*state_, state_->lastFind.next);
    });
}

bool Application::FindPrevious() {
    return Guard([&] {
        if (!state_->lastFind.valid) Fail(kAppError, "There is no search to repeat.");
        return RunFind(*state_, !state_->lastFind.next);
    });
}

// ---------------------------------------------------------------- editing

void Application::EditCut() {
    Guard([&] {
        auto& s = *state_;
        auto& p = s.Active();
        RequireTaskView(p);
        auto slots = SelectedSlots(p, VisibleRows(p));
        if (slots.empty()) return;
        std::vector<std::pair<int, int>> ranges;
        for (int slot : slots) {
            if (!ranges.empty() && slot < ranges.back().second) continue;
            ranges.emplace_back(slot, p.tasks[slot] ? SubtreeEnd(p, slot) : slot + 1);
        }
        DropClipboard(s);
        for (const auto& [from, to] : ranges)
            for (int i = from; i < to; ++i)
                s.clipboard.push_back(p.tasks[i]);
        for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
            TakeOutTaskSlots(p, it->first, it->second);
        s.clipboardIsCut = true;
        p.Touch();
        SelectOnly(p, p.activeRow);
    });
}

void Application::EditCopy() {
    Guard([&] {
        auto& s = *state_;
        auto& p = s.Active();
        RequireTaskView(p);
        auto slots = SelectedSlots(p, VisibleRows(p));
        if (slots.empty()) return;
        DropClipboard(s);
        int coveredUntil = -1;
        for (int slot : slots) {
            if (slot < coveredUntil) continue;
            int end = p.tasks[slot] ? SubtreeEnd(p, slot) : slot + 1;
            for (int i = slot; i < end; ++i)
                s.clipboard.push_back(p.tasks[i] ? std::make_shared<TaskData>(*p.tasks[i]) : nullptr);
            coveredUntil = end;
        }
        s.clipboardUsed = true; // every paste makes new tasks
    });
}

void Application::EditPaste() {
    Guard([&] {
        auto& s = *state_;
        auto& p = s.Active();
        RequireTaskView(p);
        if (s.clipboard.empty()) Fail(kAppError, "There is nothing to paste.");
        std::vector<std::shared_ptr<TaskData>> block;
        bool moveOriginals = s.clipboardIsCut && !s.clipboardUsed;
        for (const auto& t : s.clipboard)
            block.push_back(!t ? nullptr : moveOriginals ? t : CloneTask(p, *t));
        for (auto& t : block) {
            if (!t) continue;
            if (t->plan.lock().get() != &p) {
                p.foreignTasks = true;
                for (auto& a : t->assignments)
                    a->deleted = true;
                t->assignments.clear();
            }
            t->plan = p.weak_from_this();
        }

        auto rows = VisibleRows(p);
        int slot = p.activeRow >= 1 && p.activeRow <= static_cast<int32_t>(rows.size())
                       ? rows[p.activeRow - 1]
                       : static_cast<int>(p.tasks.size());
        // The block's first task takes the level of the task it is pasted before (at the end: its own
        // level, at most one below the last task); the levels inside the block keep their steps.
        int head = -1;
        for (const auto& t : block)
            if (t) {
                head = t->level;
                break;
            }
        if (head > 0) {
            int target = -1;
            for (int i = slot; i < static_cast<int>(p.tasks.size()); ++i)
                if (p.tasks[i]) {
                    target = p.tasks[i]->level;
                    break;
                }
            if (target < 0) {
                int last = 0;
                for (int i = slot - 1; i >= 0; --i)
                    if (p.tasks[i]) {
                        last = p.tasks[i]->level;
                        break;
                    }
                target = std::clamp(head, 1, last + 1);
            }
            int delta = target - head;
            for (auto& t : block)
                if (t) t->level = std::max(1, t->level + delta);
        }
        p.tasks.insert(static_cast<size_t>(slot), block.begin(), block.end());
        s.clipboardUsed = true;
        p.TasksChanged(slot, block.size());
        p.Touch();
        int32_t row = VisibleRows(p).RowOf(slot);
        SelectOnly(p, row > 0 ? row : p.activeRow);
    });
}

void Application::EditDelete() {
    Guard([&] {
        auto& s = *state_;
        auto& p = s.Active();
        auto rows = VisibleRows(p);
        auto slots = SelectedSlots(p, rows);
        if (slots.empty()) return;
        if (!p.TaskView()) {
            for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
                auto r = p.resources[*it];
                if (r) {
                    for (const auto& t : p.tasks)
                        if (t)
                            std::erase_if(t->assignments, [&](const std::shared_ptr<AssignmentData>& a) {
                                if (a->resource != r) return false;
                                a->deleted = true;
                                return true;
                            });
                    r->deleted = true;
                }
                p.resources.erase(p.resources.begin() + *it);
            }
            p.ResourcesChanged(slots.front());
            p.Touch();
            SelectOnly(p, p.activeRow);
            return;
        }
        std::vector<std::pair<int, int>> ranges;
        for (int slot : slots) {
            if (!ranges.empty() && slot < ranges.back().second) continue;
            const auto& t = p.tasks[slot];
            if (t && HasChildren(p, *t) &&
                !s.Alert("'" + t->name +
                         "' is a summary task. Deleting it will delete all its subtasks as well."))
                continue;
            ranges.emplace_back(slot, t ? SubtreeEnd(p, slot) : slot + 1);
        }
        for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
            DeleteTaskSlots(p, it->first, it->second);
        SelectOnly(p, p.activeRow);
    });
}

void Application::EditInsert() {
    Guard([&] {
        auto& p = state_->Active();
        auto rows = VisibleRows(p);
        bool inside = p.activeRow >= 1 && p.activeRow <= static_cast<int32_t>(rows.size());
        if (p.TaskView()) {
            int slot = inside ? rows[p.activeRow - 1] : static_cast<int>(p.tasks.size());
            p.tasks.insert(static_cast<size_t>(slot), nullptr);
            p.TasksChanged(slot, 1);
        } else {
            int slot = inside ? rows[p.activeRow - 1] : static_cast<int>(p.resources.size());
            p.resources.insert(p.resources.begin() + slot, nullptr);
            p.ResourcesChanged(slot, 1);
        }
        p.Touch();
        SelectOnly(p, p.activeRow);
    });
}

// ---------------------------------------------------------------- outline

void Application::OutlineShowAllTasks() {
    Guard([&] {
        auto& p = state_->Active();
        ExpandAll(p);
    });
}

void Application::OutlineIndent() {
    Guard([&] {
        auto& p = state_->Active();
        RequireTaskView(p);
        for (const auto& t : SelectedHeads(p))
            IndentTask(p, *t);
    });
}

void Application::OutlineOutdent() {
    Guard([&] {
        auto& p = state_->Active();
        RequireTaskView(p);
        for (const auto& t : SelectedHeads(p))
            OutdentTask(p, *t);
    });
}

void Application::OutlineShowSubTasks() {
    Guard([&] {
        auto& p = state_->Active();
        RequireTaskView(p);
        for (const auto& t : SelectedHeads(p))
            t->collapsed = false;
        p.RowsChanged();
    });
}

void Application::OutlineHideSubTasks() {
    Guard([&] {
        auto& p = state_->Active();
        RequireTaskView(p);
        for (const auto& t : SelectedHeads(p))
            t->collapsed = true;
        p.RowsChanged();
    });
}

void Application::Font(const FontArgs& args) {
    Guard([&] {
        auto& p = state_->Active();
        std::optional<int32_t> color;
        if (!args.Color.IsEmpty()) color = automation::strict::ToLong(args.Color);
        if (!p.TaskView()) return;
        for (int slot : SelectedSlots(p, VisibleRows(p))) {
            auto& t = p.tasks[slot];
            if (!t) continue;
            if (args.Italic) t->fontItalic = *args.Italic;
            if (args.Bold) t->fontBold = *args.Bold;
            if (color) t->fontColor = *color;
        }
        p.Touch();
    });
}

void Application::Sort(const SortArgs& args) {
    Guard([&] {
        auto& p = state_->Active();
        bool taskView = p.TaskView();
        std::vector<SortKey> keys;
        for (auto [name, asc] :
             {std::pair{&args.Key1, args.Ascending1}, std::pair{&args.Key2, args.Ascending2},
              std::pair{&args.Key3, args.Ascending3}}) {
            if (name->empty()) continue;
            auto f = LookupField(taskView ? FieldRef::TaskField : FieldRef::ResourceField, *name);
            if (!f) Fail(kAppError, "The field \"" + *name + "\" cannot be sorted on.");
            keys.push_back({*f, asc});
        }
        if (keys.empty()) Fail(kAppError, "The argument value is not valid.");
        if (taskView) {
            p.tasks = SortRun(p, p.tasks.Rows(), keys);
            p.TasksChanged(0);
            p.OutlineChanged();
        } else {
            std::vector<std::shared_ptr<ResourceData>> named, blanks;
            for (auto& r : p.resources)
                (r ? named : blanks).push_back(r);
            std::stable_sort(named.begin(), named.end(), [&](const auto& a, const auto& b) {
                for (const auto& k : keys) {
                    int c = CompareValues(GetResourceField(*a, k.field), GetResourceField(*b, k.field));
                    if (c != 0) return k.ascending ? c < 0 : c > 0;
                }
                return false;
            });
            named.insert(named.end(), blanks.begin(), blanks.end());
            p.resources = named;
            p.ResourcesChanged(0);
        }
        p.Touch();
    });
}

// ---------------------------------------------------------------- views and filters

void Application::ViewApply(const std::string& Name, bool) {
    Guard([&] {
        auto& p = state_->Active();
        const ViewDef* v = FindView(p.items, Name);
        if (!v) v = FindView(state_->global, Name);
        if (!v) Fail(kAppError, "There is no view named \"" + Name + "\".");
        p.currentView = v->name;
        p.filter.clear();
        p.RowsChanged();
        if (!v->filter.empty()) {
            const FilterDef* f = LookupFilter(p, v->filter, v->task);
            if (f && !SameText(f->name, v->task ? "All Tasks" : "All Resources")) p.filter = f->name;
        }
        SelectOnly(p, 1);
        p.activeColumn = 1;
    });
}

void Application::FilterApply(const std::string& Name) {
    Guard([&] {
        auto& p = state_->Active();
        bool task = p.TaskView();
        const FilterDef* f = LookupFilter(p, Name, task);
        if (!f)
            Fail(kAppError, "There is no " + std::string(task ? "task" : "resource") + " filter named \"" +
                                Name + "\".");
        p.filter = SameText(f->name, task ? "All Tasks" : "All Resources") ? std::string() : f->name;
        p.RowsChanged();
        SelectOnly(p, 1);
    });
}

void Application::ViewEditSingle(const std::string& Name, bool Create, bool TaskView,
                                 const std::string& Table, const std::string& Filter) {
    Guard([&] {
        auto& p = state_->Active();
        if (Name.empty()) Fail(kAppError, "The argument value is not valid.");
        auto it = std::find_if(p.items.views.begin(), p.items.views.end(),
                               [&](const ViewDef& v) { return SameText(v.name, Name); });
        if (it == p.items.views.end()) {
            const ViewDef* global = FindView(state_->global, Name);
            if (!Create && !global) Fail(kAppError, "There is no view named \"" + Name + "\".");
            p.items.views.push_back(global && !Create ? *global : ViewDef{Name, TaskView, "", ""});
            it = p.items.views.end() - 1;
        }
        it->task = TaskView;
        p.RowsChanged();
        if (!Table.empty()) it->table = Table;
        if (!Filter.empty()) it->filter = Filter;
        p.Touch();
    });
}

void Application::TableEdit(const std::string& Name, bool TaskTable, bool Create,
                            const std::vector<std::string>& Fields) {
    Guard([&] {
        auto& p = state_->Active();
        if (Name.empty()) Fail(kAppError, "The argument value is not valid.");
        for (const auto& f : Fields)
            if (!LookupField(TaskTable ? FieldRef::TaskField : FieldRef::ResourceField, f))
                Fail(kAppError, "The field \"" + f + "\" is not valid in this table.");
        auto it = std::find_if(p.items.tables.begin(), p.items.tables.end(), [&](const TableDef& t) {
            return SameText(t.name, Name) && t.task == TaskTable;
        });
        if (it == p.items.tables.end()) {
            if (!Create) Fail(kAppError, "There is no table named \"" + Name + "\".");
            p.items.tables.push_back({Name, TaskTable, Fields});
        } else {
            it->fields = Fields;
        }
        p.Touch();
    });
}

void Application::FilterEdit(const std::string& Name, bool TaskFilter, bool Create,
                             const std::string& FieldName, const std::string& Test,
                             const std::string& Value) {
    Guard([&] {
        auto& p = state_->Active();
        if (Name.empty()) Fail(kAppError, "The argument value is not valid.");
        std::optional<Criterion> criterion;
        if (!FieldName.empty()) {
            if (!LookupField(TaskFilter ? FieldRef::TaskField : FieldRef::ResourceField, FieldName))
                Fail(kAppError, "The field \"" + FieldName + "\" is not valid in this filter.");
            // Kept with the English word, whatever the language it was given in.
            std::string test = Trim(Test);
            int index = 0;
            if (test == "=") index = 1;
            const auto& words = LanguageWords(state_->uiLanguage);
            for (int i = 1; i <= 11 && index == 0; ++i)
                if (SameText(words[i], test)) index = i;
            if (index == 0) Fail(kAppError, "The argument value is not valid.");
            criterion = Criterion{FieldName, LanguageWords(1033)[index], Value};
        }
        auto it = std::find_if(p.items.filters.begin(), p.items.filters.end(), [&](const FilterDef& f) {
            return SameText(f.name, Name) && f.task == TaskFilter;
        });
        if (it == p.items.filters.end()) {
            if (!Create) Fail(kAppError, "There is no filter named \"" + Name + "\".");
            p.items.filters.push_back({Name, TaskFilter, {}});
            it = p.items.filters.end() - 1;
        } else if (Create) {
            it->criteria.clear();
        }
        if (criterion) it->criteria.push_back(*criterion);
        p.Touch();
    });
}

} // namespace platform::msproject
