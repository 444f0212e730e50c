#pragma once
// A headless form. A form of the system is a class derived from Form with its controls as members
// (Controls.h) and its handlers named after the events:
//
//     class frmLoginDetails : public platform::forms::Form {
//     public:
//         frmLoginDetails() : Form("frmLoginDetails", "Account Details") {
//             cmdOK.Caption = "OK";
//             cmdOK.Click = [this] { cmdOK_Click(); };
//         }
//         TextBox txtLoginName{*this, "txtLoginName"};
//         CommandButton cmdOK{*this, "cmdOK"};
//     private:
//         void Form_Load() override { ... }
//         void cmdOK_Click() { ...; Unload(); }
//     };
//
//     DefaultInstance<frmLoginDetails>().Show(vbModal);
//
// Lifecycle: Load runs Form_Load once (Visible is false during it; the form may unload itself there,
// and the Show that loaded it then returns at once). Show makes the form visible, runs Form_Activate
// and, when modal, asks the installed user driver for one action after another until the form is
// hidden or unloaded; the running handler always finishes first. Modal forms nest; modeless forms
// stay beside a modal one (they are never asked for actions; their Refresh is what the user sees).
// Unload runs Form_QueryUnload and Form_Unload (either may cancel) and discards the form: the next
// DefaultInstance<F>() is a fresh object. Touching a control of a form that is not loaded does not load
// it; call Load() first where the dialog fills itself before showing.
//
// Focus: one control per form has it. Moving it (by the user, or SetFocus) raises Validate(Cancel) on
// the old control (Cancel keeps the focus there and the user's action does not happen), then LostFocus
// on it, then GotFocus on the new one. Moving to a button with Cancel set, or to a control with
// CausesValidation false, skips Validate. A user's action on a focusable control first moves the focus
// to it. At Show the first focusable control in tab order without focus handlers gets the focus,
// without events. Focus events come only from moves inside a form, never from a box or another form
// appearing.
//
// Keys: typed text goes character by character through KeyPress (KeyAscii 0 drops the key, Backspace
// 8 deletes); a pressed key raises KeyDown, KeyPress, KeyUp. Enter and Escape click the form's Default
// and Cancel buttons when it has them (the focused control then sees no key), unless a button has the
// focus, which Enter or Space clicks.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "platform/forms/Constants.h"
#include "platform/forms/Controls.h"

namespace platform::forms {

struct UserAction;

class Form {
public:
    explicit Form(std::string name, std::string caption = {});
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The form's name in scripts and transcripts ("frmConnectProject").
    const std::string& Name() const { return name_; }
    std::string Caption;
    std::string Tag;

    bool IsLoaded() const { return loaded_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible); // Show modeless / Hide
    bool IsShownModal() const { return modalDepth_ > 0; }

    void Load();
    // vbModeless or vbModal. Loads the form when needed; error 400 when a visible form is shown modal.
    void Show(int16_t modal = vbModeless);
    void Hide(); // loads the form when it is not loaded, as the runtime does
    void Unload();
    void Refresh(); // records the controls whose display changed since the user last saw the form

    Control* ActiveControl() const;
    Control* FindControl(std::string_view name) const; // case-exact
    const std::vector<Control*>& Controls() const { return controls_; }
    CommandButton* DefaultButton() const;
    CommandButton* CancelButton() const;

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_QueryUnload(int16_t& /*Cancel*/, int16_t /*UnloadMode*/) {}
    virtual void Form_Unload(int16_t& /*Cancel*/) {}

private:
    friend class Control;
    friend struct FormAccess;
    void Register(Control* control) { controls_.push_back(control); }
    void Unregister(Control* control);
    bool UnloadWith(int16_t unloadMode);
    void Discard(); // unloaded and hidden without handlers; a default instance is retired
    void RunModal();
    // Carries out a user action; returns why it cannot be done ("" when done).
    std::string Perform(const UserAction& action);
    // False only when Validate kept the focus; a handler may have sent it elsewhere meanwhile.
    bool MoveFocus(Control& to);
    void GiveInitialFocus();
    // The lines of the controls whose display changed since last recorded (all when `full`).
    std::vector<std::string> ChangedLines(bool full);

    std::string name_;
    std::vector<Control*> controls_;
    bool loaded_ = false;
    bool visible_ = false;
    int modalDepth_ = 0;
    Control* focused_ = nullptr;
    unsigned focusMoves_ = 0;
    bool validating_ = false;
    bool unloading_ = false;
    std::map<const Control*, std::string> lastShown_;
};

// --- default instances: one per form class ----------------------------------------------------------

namespace detail {
Form* FindDefaultInstance(std::type_index type);
Form& AdoptDefaultInstance(std::type_index type, std::unique_ptr<Form> form);
} // namespace detail

// The form's default instance: the live one, or a fresh one (not yet loaded) when there is none or the
// last one was unloaded.
template <class F> F& DefaultInstance() {
    if (Form* form = detail::FindDefaultInstance(typeid(F))) return static_cast<F&>(*form);
    return static_cast<F&>(detail::AdoptDefaultInstance(typeid(F), std::make_unique<F>()));
}
// Whether the default instance exists and is loaded (a free function of its own name, as a form's
// handlers see their own IsLoaded()).
template <class F> bool IsFormLoaded() {
    Form* form = detail::FindDefaultInstance(typeid(F));
    return form && form->IsLoaded();
}
// Unloads the default instance when it is loaded; nothing happens otherwise.
template <class F> void UnloadForm() {
    if (Form* form = detail::FindDefaultInstance(typeid(F))) form->Unload();
}

// Every loaded form, default instances or not, in the order of loading.
std::vector<Form*> LoadedForms();
// Unloads every loaded form with its handlers (the end of a command).
void UnloadAllForms();
// Frees the default instances that were unloaded. An unloaded form stays alive until then, so a
// handler may go on after `Unload()` of its own form; call this when no handler runs (host: after each
// command; tests: in their teardown).
void ReleaseUnloadedForms();
// Unloads every form without handlers and frees every default instance (test teardown, program end).
void DiscardAllForms();

// The program's End statement: closes every form without handlers and ends the program at once, by
// throwing ProgramEnd (not a std::exception, so no error handler turns it into an error). A program's
// main, or a test, runs its body through RunUntilEnd.
struct ProgramEnd {};
[[noreturn]] void End();
// Runs `body`; true when it ended through End().
bool RunUntilEnd(const std::function<void()>& body);

} // namespace platform::forms
