#include "platform/msproject/CommandBars.h"

#include <algorithm>

#include "platform/msproject/Application.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;

namespace {

[[noreturn]] void Invalid() {
    Fail(kInvalidCall, "Invalid procedure call or argument");
}

template <class F> auto WithControl(const CommandBarControl& h, F&& f) {
    return Guard([&] { return f(Live(h)); });
}

std::vector<std::shared_ptr<ControlData>>& SiblingsOf(ControlData& c) {
    if (auto p = c.parent.lock()) return p->controls;
    if (auto b = c.bar.lock()) return b->controls;
    Fail(kObjectNotSet, "The object has been deleted.");
}

void MarkDeleted(ControlData& c) {
    c.deleted = true;
    for (auto& x : c.controls)
        MarkDeleted(*x);
}

ItemStore& GlobalOf(const std::shared_ptr<AppState>& app) {
    if (!app) Fail(kObjectNotSet);
    if (!app->running) Fail(kServerGone, "The remote server machine does not exist or is unavailable");
    return app->global;
}

} // namespace

int32_t CommandBarControl::Type() const {
    return WithControl(*this, [](ControlData& c) { return c.type; });
}
int32_t CommandBarControl::Id() const {
    return WithControl(*this, [](ControlData& c) { return c.id; });
}
int32_t CommandBarControl::Index() const {
    return WithControl(*this, [](ControlData& c) {
        auto& list = SiblingsOf(c);
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == &c) return static_cast<int32_t>(i + 1);
        return 0;
    });
}
std::string CommandBarControl::Caption() const {
    return WithControl(*this, [](ControlData& c) { return c.caption; });
}
void CommandBarControl::SetCaption(const std::string& v) {
    WithControl(*this, [&](ControlData& c) { c.caption = v; });
}
bool CommandBarControl::Enabled() const {
    return WithControl(*this, [](ControlData& c) { return c.enabled; });
}
void CommandBarControl::SetEnabled(bool v) {
    WithControl(*this, [&](ControlData& c) { c.enabled = v; });
}
bool CommandBarControl::BeginGroup() const {
    return WithControl(*this, [](ControlData& c) { return c.beginGroup; });
}
void CommandBarControl::SetBeginGroup(bool v) {
    WithControl(*this, [&](ControlData& c) { c.beginGroup = v; });
}
bool CommandBarControl::Visible() const {
    return WithControl(*this, [](ControlData& c) { return c.visible; });
}
void CommandBarControl::SetVisible(bool v) {
    WithControl(*this, [&](ControlData& c) { c.visible = v; });
}
std::string CommandBarControl::OnAction() const {
    return WithControl(*this, [](ControlData& c) { return c.onAction; });
}
void CommandBarControl::SetOnAction(const std::string& v) {
    WithControl(*this, [&](ControlData& c) { c.onAction = v; });
}
std::string CommandBarControl::Tag() const {
    return WithControl(*this, [](ControlData& c) { return c.tag; });
}
void CommandBarControl::SetTag(const std::string& v) {
    WithControl(*this, [&](ControlData& c) { c.tag = v; });
}
std::string CommandBarControl::Parameter() const {
    return WithControl(*this, [](ControlData& c) { return c.parameter; });
}
void CommandBarControl::SetParameter(const std::string& v) {
    WithControl(*this, [&](ControlData& c) { c.parameter = v; });
}
bool CommandBarControl::BuiltIn() const {
    return WithControl(*this, [](ControlData& c) { return c.builtIn; });
}
CommandBarControls CommandBarControl::Controls() const {
    return Guard([&] {
        auto& c = Live(*this);
        CommandBarControls out;
        if (c.type == msoControlPopup) Access::Popup(out) = Access::Data(*this);
        (void)c;
        return out;
    });
}
void CommandBarControl::Delete() {
    WithControl(*this, [](ControlData& c) {
        auto& list = SiblingsOf(c);
        std::erase_if(list, [&](const std::shared_ptr<ControlData>& x) { return x.get() == &c; });
        MarkDeleted(c);
    });
}

// ---------------------------------------------------------------- controls

std::vector<std::shared_ptr<ControlData>>* CommandBarControls::List() const {
    if (popup_) {
        if (popup_->deleted) Fail(kObjectNotSet, "The object has been deleted.");
        return &popup_->controls;
    }
    if (bar_) {
        if (bar_->deleted) Fail(kObjectNotSet, "The object has been deleted.");
        return &bar_->controls;
    }
    Fail(kObjectNotSet);
}

int32_t CommandBarControls::Count() const {
    return Guard([&] { return static_cast<int32_t>(List()->size()); });
}
CommandBarControl CommandBarControls::Item(int32_t index) const {
    return Guard([&] {
        auto* list = List();
        if (index < 1 || index > static_cast<int32_t>(list->size())) Invalid();
        return MakeHandle<CommandBarControl>((*list)[index - 1]);
    });
}
CommandBarControl CommandBarControls::Item(std::string_view caption) const {
    return Guard([&] {
        for (const auto& c : *List())
            if (c->caption == caption) return MakeHandle<CommandBarControl>(c);
        Invalid();
    });
}
CommandBarControl CommandBarControls::Add(int32_t Type, std::optional<int32_t> Before) {
    return Guard([&] {
        auto* list = List();
        if (Type < 1 || (Type > 4 && Type != msoControlPopup)) Invalid();
        if (Before && (*Before < 1 || *Before > static_cast<int32_t>(list->size()) + 1)) Invalid();
        auto c = std::make_shared<ControlData>();
        c->type = Type;
        c->id = 1; // a custom control
        if (popup_)
            c->parent = popup_;
        else
            c->bar = bar_;
        size_t at = Before ? static_cast<size_t>(*Before - 1) : list->size();
        list->insert(list->begin() + static_cast<long>(at), c);
        return MakeHandle<CommandBarControl>(c);
    });
}

// ---------------------------------------------------------------- bars

std::string CommandBar::Name() const {
    return Guard([&] { return Live(*this).name; });
}
int32_t CommandBar::Type() const {
    return Guard([&] { return Live(*this).type; });
}
bool CommandBar::Visible() const {
    return Guard([&] { return Live(*this).visible; });
}
void CommandBar::SetVisible(bool v) {
    Guard([&] { Live(*this).visible = v; });
}
bool CommandBar::BuiltIn() const {
    return Guard([&] { return Live(*this).builtIn; });
}
CommandBarControls CommandBar::Controls() const {
    return Guard([&] {
        Live(*this);
        CommandBarControls out;
        Access::Bar(out) = Access::Data(*this);
        return out;
    });
}
void CommandBar::Delete() {
    Guard([&] {
        auto& b = Live(*this);
        if (b.builtIn) Invalid();
        b.deleted = true;
        for (auto& c : b.controls)
            MarkDeleted(*c);
    });
}

int32_t CommandBars::Count() const {
    return Guard([&] {
        auto& g = GlobalOf(app_);
        return static_cast<int32_t>(std::count_if(g.commandBars.begin(), g.commandBars.end(),
                                                  [](const auto& b) { return !b->deleted; }));
    });
}
CommandBar CommandBars::Item(int32_t index) const {
    return Guard([&] {
        auto& g = GlobalOf(app_);
        std::erase_if(g.commandBars, [](const auto& b) { return b->deleted; });
        if (index < 1 || index > static_cast<int32_t>(g.commandBars.size())) Invalid();
        return MakeHandle<CommandBar>(g.commandBars[index - 1]);
    });
}
CommandBar CommandBars::Item(std::string_view name) const {
    return Guard([&] {
        for (const auto& b : GlobalOf(app_).commandBars)
            if (!b->deleted && SameText(b->name, name)) return MakeHandle<CommandBar>(b);
        Invalid();
    });
}
CommandBar CommandBars::Add(const std::string& Name, bool MenuBar) {
    return Guard([&] {
        auto& g = GlobalOf(app_);
        std::erase_if(g.commandBars, [](const auto& b) { return b->deleted; });
        if (Trim(Name).empty()) Invalid();
        for (const auto& b : g.commandBars)
            if (SameText(b->name, Name)) Invalid();
        auto b = std::make_shared<CommandBarData>();
        b->name = Name;
        b->type = MenuBar ? 1 : 0;
        g.commandBars.push_back(b);
        return MakeHandle<CommandBar>(b);
    });
}

CommandBars Application::CommandBars() const {
    platform::msproject::CommandBars out;
    Access::App(out) = state_;
    return out;
}

CommandBar Application::CommandBars(std::string_view name) const {
    return CommandBars().Item(name);
}

} // namespace platform::msproject
