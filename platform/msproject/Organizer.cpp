// The organizer: copying and deleting views, tables, filters, macro modules and toolbars between the
// global template and open plans.
#include <algorithm>

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;

namespace {

struct Store {
    ItemStore* items;
    PlanData* plan; // nullptr for the global template
};

Store StoreNamed(AppState& s, const std::string& fileName) {
    if (!s.running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    if (SameText(Trim(fileName), "GLOBAL.MPT")) return {&s.global, nullptr};
    for (const auto& p : s.plans)
        if (SameText(p->name, fileName) || SameText(p->Title(), fileName)) return {&p->items, p.get()};
    Fail(kAppError, "The file \"" + fileName + "\" is not open.");
}

std::shared_ptr<ControlData> CloneControl(const ControlData& c, const std::shared_ptr<ControlData>& parent) {
    auto out = std::make_shared<ControlData>(c);
    out->parent = parent;
    out->bar.reset();
    out->controls.clear();
    for (const auto& x : c.controls)
        out->controls.push_back(CloneControl(*x, out));
    return out;
}

std::shared_ptr<CommandBarData> CloneBar(const CommandBarData& b) {
    auto out = std::make_shared<CommandBarData>(b);
    out->controls.clear();
    for (const auto& c : b.controls) {
        out->controls.push_back(CloneControl(*c, nullptr));
        out->controls.back()->bar = out;
    }
    return out;
}

[[noreturn]] void Missing(const std::string& name) {
    Fail(kAppError, "The item \"" + name + "\" was not found.");
}

template <class T, class P> void Replace(std::vector<T>& list, const T& item, P same) {
    auto it = std::find_if(list.begin(), list.end(), same);
    if (it != list.end())
        *it = item;
    else
        list.push_back(item);
}

bool IsModule(const ComponentData& c) {
    return c.type != 100;
}

} // namespace

void Application::OrganizerMoveItem(int32_t Type, const std::string& FileName, const std::string& ToFileName,
                                    const std::string& Name, bool Task) {
    Guard([&] {
        auto& s = *state_;
        Store from = StoreNamed(s, FileName), to = StoreNamed(s, ToFileName);
        if (from.items == to.items) Fail(kAppError, "The source and the destination are the same.");
        auto& src = *from.items;
        auto& dst = *to.items;
        switch (Type) {
        case pjViews: {
            // Views are found by name alone: a resource view may be named with either kind.
            const ViewDef* v = FindView(src, Name);
            if (!v) Missing(Name);
            ViewDef copy = *v;
            Replace(dst.views, copy, [&](const ViewDef& x) { return SameText(x.name, Name); });
            break;
        }
        case pjTables: {
            auto it = std::find_if(src.tables.begin(), src.tables.end(), [&](const TableDef& t) {
                return SameText(t.name, Name) && t.task == Task;
            });
            if (it == src.tables.end()) Missing(Name);
            TableDef copy = *it;
            Replace(dst.tables, copy,
                    [&](const TableDef& t) { return SameText(t.name, Name) && t.task == Task; });
            break;
        }
        case pjFilters: {
            const FilterDef* f = FindFilter(src, Name, Task);
            if (!f) Missing(Name);
            FilterDef copy = *f;
            Replace(dst.filters, copy,
                    [&](const FilterDef& x) { return SameText(x.name, Name) && x.task == Task; });
            break;
        }
        case pjModules: {
            auto& comps = src.vbProject->components;
            auto it = std::find_if(comps.begin(), comps.end(),
                                   [&](const auto& c) { return IsModule(*c) && SameText(c->name, Name); });
            if (it == comps.end()) Missing(Name);
            auto copy = std::make_shared<ComponentData>(**it);
            auto& target = dst.vbProject->components;
            auto at = std::find_if(target.begin(), target.end(),
                                   [&](const auto& c) { return IsModule(*c) && SameText(c->name, Name); });
            if (at != target.end()) {
                (*at)->deleted = true;
                *at = copy;
            } else {
                target.push_back(copy);
            }
            break;
        }
        case pjToolbars: {
            auto it = std::find_if(src.commandBars.begin(), src.commandBars.end(),
                                   [&](const auto& b) { return !b->deleted && SameText(b->name, Name); });
            if (it == src.commandBars.end()) Missing(Name);
            if ((*it)->builtIn) Fail(kAppError, "A built-in toolbar cannot be copied.");
            auto copy = CloneBar(**it);
            auto& target = dst.commandBars;
            auto at = std::find_if(target.begin(), target.end(),
                                   [&](const auto& b) { return !b->deleted && SameText(b->name, Name); });
            if (at != target.end()) {
                (*at)->deleted = true;
                *at = copy;
            } else {
                target.push_back(copy);
            }
            break;
        }
        default: Fail(kAppError, "The argument value is not valid.");
        }
        if (to.plan) to.plan->Touch();
    });
}

void Application::OrganizerDeleteItem(int32_t Type, const std::string& FileName, const std::string& Name,
                                      bool Task) {
    Guard([&] {
        auto& s = *state_;
        Store store = StoreNamed(s, FileName);
        auto& items = *store.items;
        bool removed = false;
        switch (Type) {
        case pjViews:
            removed =
                std::erase_if(items.views, [&](const ViewDef& v) { return SameText(v.name, Name); }) > 0;
            break;
        case pjTables:
            removed = std::erase_if(items.tables, [&](const TableDef& t) {
                          return SameText(t.name, Name) && t.task == Task;
                      }) > 0;
            break;
        case pjFilters:
            removed = std::erase_if(items.filters, [&](const FilterDef& f) {
                          return SameText(f.name, Name) && f.task == Task;
                      }) > 0;
            break;
        case pjModules:
            removed = std::erase_if(items.vbProject->components, [&](const auto& c) {
                          if (!IsModule(*c) || !SameText(c->name, Name)) return false;
                          c->deleted = true;
                          return true;
                      }) > 0;
            break;
        case pjToolbars:
            removed = std::erase_if(items.commandBars, [&](const auto& b) {
                          if (b->deleted || b->builtIn || !SameText(b->name, Name)) return false;
                          b->deleted = true;
                          return true;
                      }) > 0;
            break;
        default: Fail(kAppError, "The argument value is not valid.");
        }
        if (!removed) Missing(Name);
        if (store.plan) store.plan->Touch();
    });
}

} // namespace platform::msproject
