#include "platform/forms/Form.h"

#include <algorithm>

#include "platform/automation/Error.h"
#include "platform/forms/Recording.h"
#include "platform/forms/UserAction.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms {

using platform::automation::Err;

namespace {

struct Registry {
    std::map<std::type_index, std::unique_ptr<Form>> defaults;
    std::vector<std::unique_ptr<Form>> unloaded; // discarded default instances, freed on request
    std::vector<Form*> loaded;
};

// Never destroyed: forms may still be alive (and unregister themselves) while statics go away.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

void Forget(std::vector<Form*>& list, Form* form) {
    list.erase(std::remove(list.begin(), list.end(), form), list.end());
}

// Moves a default instance out of the live set, keeping the object alive.
void RetireDefault(Form* form) {
    auto& defaults = TheRegistry().defaults;
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        if (it->second.get() != form) continue;
        TheRegistry().unloaded.push_back(std::move(it->second));
        defaults.erase(it);
        return;
    }
}

} // namespace

// What the program-wide functions below may do to any form.
struct FormAccess {
    static void Discard(Form& form) { form.Discard(); }
};

Form::Form(std::string name, std::string caption) : Caption(std::move(caption)), name_(std::move(name)) {}

Form::~Form() {
    Forget(TheRegistry().loaded, this);
}

void Form::Unregister(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (focused_ == control) focused_ = nullptr;
    lastShown_.erase(control);
}

Control* Form::FindControl(std::string_view name) const {
    for (Control* control : controls_)
        if (control->Name() == name) return control;
    return nullptr;
}

Control* Form::ActiveControl() const {
    return focused_;
}

CommandButton* Form::DefaultButton() const {
    for (Control* control : controls_)
        if (auto* button = dynamic_cast<CommandButton*>(control); button && button->Default) return button;
    return nullptr;
}

CommandButton* Form::CancelButton() const {
    for (Control* control : controls_)
        if (auto* button = dynamic_cast<CommandButton*>(control); button && button->Cancel) return button;
    return nullptr;
}

// --- lifecycle ----------------------------------------------------------------------------------------

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    visible_ = false;
    TheRegistry().loaded.push_back(this);
    detail::Record(TranscriptKind::Window, "load " + name_);
    Form_Load();
}

void Form::Show(int16_t modal) {
    if (modal != vbModeless && modal != vbModal) {
        Err().Raise(errors::InvalidProcedureCall);
        return;
    }
    if (!loaded_) {
        Load();
        if (!loaded_) return; // unloaded during Load
    }
    if (modal == vbModal && visible_) {
        Err().Raise(errors::FormAlreadyShown, "", "Form already displayed; can't show modally");
        return;
    }
    if (!visible_) {
        visible_ = true;
        lastShown_.clear();
        detail::Record(TranscriptKind::Window,
                       "show " + name_ + " " + Quote(Caption) + (modal == vbModal ? " modal" : " modeless"));
        Form_Activate();
        if (loaded_ && visible_ && !focused_) GiveInitialFocus();
    }
    if (modal == vbModal) RunModal();
}

void Form::SetVisible(bool visible) {
    if (visible)
        Show(vbModeless);
    else
        Hide();
}

void Form::Hide() {
    if (!loaded_) Load();
    if (!loaded_ || !visible_) return;
    visible_ = false;
    detail::Record(TranscriptKind::Window, "hide " + name_);
}

void Form::Unload() {
    UnloadWith(vbFormCode);
}

bool Form::UnloadWith(int16_t unloadMode) {
    if (!loaded_ || unloading_) return !loaded_; // an Unload from the unload handlers themselves
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(unloading_);
    int16_t cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel != 0 || !loaded_) return !loaded_;
    Form_Unload(cancel);
    if (cancel != 0 || !loaded_) return !loaded_;
    detail::Record(TranscriptKind::Window, "unload " + name_);
    Discard();
    return true;
}

void Form::Discard() {
    loaded_ = false;
    visible_ = false;
    focused_ = nullptr;
    lastShown_.clear();
    Forget(TheRegistry().loaded, this);
    RetireDefault(this);
}

void Form::RunModal() {
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(modalDepth_);

    while (loaded_ && visible_) {
        UserDriver* user = CurrentUser();
        if (!user) {
            Err().Raise(errors::NoUser, "", "There is no user to answer the form " + name_);
            Discard();
            return;
        }
        std::vector<std::string> lines = ChangedLines(false);
        std::string header = "form " + name_ + " " + Quote(Caption);
        for (const std::string& line : lines)
            header += "\n  " + line;
        detail::Record(TranscriptKind::Form, header);

        UserAction action = user->NextAction(*this);
        if (action.kind != UserAction::Kind::Abandon) {
            // In script syntax, so that the transcript's actions replay as a script.
            UserAction named = action;
            // What is typed into a masked box is recorded as the box shows it, never in clear.
            if (action.kind == UserAction::Kind::Type || action.kind == UserAction::Kind::Append)
                if (auto* box = dynamic_cast<TextBox*>(FindControl(action.control));
                    box && !box->PasswordChar.empty()) {
                    std::string masked;
                    for (unsigned char c : action.text)
                        if ((c & 0xC0) != 0x80) masked += box->PasswordChar;
                    named.text = masked;
                }
            named.control = name_ + (action.kind == UserAction::Kind::Close ? "" : "." + action.control);
            std::string step = named.Describe();
            if (action.kind == UserAction::Kind::Close) step += " " + name_;
            detail::Record(TranscriptKind::Action, "> " + step);
        }
        if (action.kind == UserAction::Kind::Abandon) {
            detail::Record(TranscriptKind::Window, "abandon " + name_);
            Discard();
            return;
        }
        std::string refusal = Perform(action);
        if (refusal.empty()) continue;
        detail::Record(TranscriptKind::Refusal, "! " + refusal);
        user->Refused(*this, action, refusal);
    }
}

// --- user actions -------------------------------------------------------------------------------------

namespace {

// Why the user cannot reach the control: its own flag or the first container that hides/disables it.
std::string Unreachable(const Control& control) {
    if (!control.IsVisual()) return control.Name() + " is not visible";
    if (!control.EffectiveVisible()) {
        for (const Control* c = &control; c; c = c->Container())
            if (!c->Visible)
                return control.Name() + " is not visible" +
                       (c == &control ? "" : " (its container " + c->Name() + " is hidden)");
        return control.Name() + " is not visible";
    }
    if (!control.EffectiveEnabled()) {
        for (const Control* c = &control; c; c = c->Container())
            if (!c->Enabled)
                return control.Name() + " is disabled" +
                       (c == &control ? "" : " (its container " + c->Name() + " is disabled)");
    }
    return "";
}

bool Usable(const CommandButton* button) {
    return button && button->EffectiveVisible() && button->EffectiveEnabled();
}

} // namespace

std::string Form::Perform(const UserAction& action) {
    using K = UserAction::Kind;
    if (action.kind == K::Close) {
        UnloadWith(vbFormControlMenu);
        return "";
    }
    Control* control = FindControl(action.control);
    if (!control) return name_ + " has no control named " + action.control;
    if (std::string why = Unreachable(*control); !why.empty()) return why;
    if (std::string why = control->CheckUser(action); !why.empty()) return why;

    if (control->CanFocus()) {
        if (!MoveFocus(*control)) {
            detail::Record(TranscriptKind::Note, "note the focus stays on " +
                                                     (focused_ ? focused_->Name() : std::string("nothing")));
            return "";
        }
        if (focused_ != control) {
            detail::Record(TranscriptKind::Note, "note the focus went on to " +
                                                     (focused_ ? focused_->Name() : std::string("nothing")));
            return "";
        }
    }
    // Enter and Escape go to the form's default and cancel buttons, unless a button has the focus.
    if (action.kind == K::Key && !dynamic_cast<CommandButton*>(control)) {
        CommandButton* button = action.keyAscii == vbKeyReturn   ? DefaultButton()
                                : action.keyAscii == vbKeyEscape ? CancelButton()
                                                                 : nullptr;
        if (Usable(button)) {
            if (button->Click) button->Click();
            return "";
        }
    }
    control->DoUser(action);
    return "";
}

// --- focus ----------------------------------------------------------------------------------------------

bool Form::MoveFocus(Control& to) {
    Control* from = focused_;
    // A control that became disabled or hidden has lost the focus without events.
    if (from && !(from->EffectiveEnabled() && from->EffectiveVisible())) from = focused_ = nullptr;
    if (from == &to) return true;

    auto* button = dynamic_cast<CommandButton*>(&to);
    bool validates = to.CausesValidation && !(button && button->Cancel);
    if (from && from->Validate && validates && !validating_) {
        bool cancel = false;
        validating_ = true;
        from->Validate(cancel);
        validating_ = false;
        if (cancel) return false;
    }
    unsigned move = ++focusMoves_;
    focused_ = nullptr;
    if (from && from->LostFocus) from->LostFocus();
    if (focusMoves_ != move) return true; // LostFocus sent the focus elsewhere
    focused_ = &to;
    if (to.GotFocus) to.GotFocus();
    return true;
}

void Form::GiveInitialFocus() {
    for (Control* control : controls_) {
        bool handlers = control->GotFocus || control->LostFocus || control->Validate;
        if (control->CanFocus() && control->TabStop && !handlers && control->EffectiveVisible() &&
            control->EffectiveEnabled()) {
            focused_ = control;
            return;
        }
    }
}

void Control::SetFocus() {
    if (!CanFocus() || !EffectiveEnabled() || !EffectiveVisible()) {
        Err().Raise(errors::InvalidProcedureCall);
        return;
    }
    form_.MoveFocus(*this);
}

// --- what the user sees ---------------------------------------------------------------------------------

std::vector<std::string> Form::ChangedLines(bool full) {
    std::vector<std::string> out;
    for (Control* control : controls_) {
        if (!control->IsVisual()) continue;
        std::vector<std::string> lines;
        if (control->EffectiveVisible())
            lines = detail::ControlLines(*control);
        else if (lastShown_.count(control))
            lines = {control->Name() + ": hidden"};
        std::string joined;
        for (const std::string& line : lines)
            joined += (joined.empty() ? "" : "\n  ") + line;
        auto known = lastShown_.find(control);
        bool changed = known == lastShown_.end() ? !joined.empty() : known->second != joined;
        if (!full && !changed) continue;
        if (joined.empty()) continue;
        out.push_back(joined);
        if (control->EffectiveVisible())
            lastShown_[control] = joined;
        else
            lastShown_.erase(control);
    }
    return out;
}

void Form::Refresh() {
    if (!loaded_ || !visible_) return;
    std::string line = "refresh " + name_;
    for (const std::string& changed : ChangedLines(false))
        line += "\n  " + changed;
    detail::Record(TranscriptKind::Refresh, line);
}

void Control::Refresh() {
    if (!EffectiveVisible()) return;
    std::vector<std::string> lines = detail::ControlLines(*this);
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "\n  ") + line;
    form_.lastShown_[this] = joined;
    if (UserDriver* user = CurrentUser())
        user->transcript().AddRepaint(form_.Name() + "." + Name(), DisplayText());
    detail::Record(TranscriptKind::Refresh, "refresh " + form_.Name() + "." + joined);
}

// --- default instances and the forms of the program -------------------------------------------------------

namespace detail {

Form* FindDefaultInstance(std::type_index type) {
    auto& defaults = TheRegistry().defaults;
    auto it = defaults.find(type);
    return it == defaults.end() ? nullptr : it->second.get();
}

Form& AdoptDefaultInstance(std::type_index type, std::unique_ptr<Form> form) {
    auto& slot = TheRegistry().defaults[type];
    if (slot) TheRegistry().unloaded.push_back(std::move(slot));
    slot = std::move(form);
    return *slot;
}

} // namespace detail

std::vector<Form*> LoadedForms() {
    return TheRegistry().loaded;
}

void UnloadAllForms() {
    std::vector<Form*> forms = TheRegistry().loaded;
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        auto& loaded = TheRegistry().loaded;
        if (std::find(loaded.begin(), loaded.end(), *it) != loaded.end()) (*it)->Unload();
    }
}

void ReleaseUnloadedForms() {
    // Freeing may run destructors that touch the registry; take the list out first.
    std::vector<std::unique_ptr<Form>> unloaded = std::move(TheRegistry().unloaded);
    TheRegistry().unloaded.clear();
}

void DiscardAllForms() {
    std::vector<Form*> forms = TheRegistry().loaded;
    for (Form* form : forms)
        FormAccess::Discard(*form);
    std::vector<std::unique_ptr<Form>> all = std::move(TheRegistry().unloaded);
    TheRegistry().unloaded.clear();
    for (auto& [type, form] : TheRegistry().defaults)
        all.push_back(std::move(form));
    TheRegistry().defaults.clear();
}

void End() {
    detail::Record(TranscriptKind::Window, "end");
    // The forms stay alive: their handlers are still on the stack that the throw unwinds.
    std::vector<Form*> forms = TheRegistry().loaded;
    for (Form* form : forms)
        FormAccess::Discard(*form);
    throw ProgramEnd{};
}

bool RunUntilEnd(const std::function<void()>& body) {
    try {
        body();
    } catch (const ProgramEnd&) {
        return true;
    }
    return false;
}

} // namespace platform::forms
