#pragma once
// The person at the screen. One driver is installed for the process; the form layer asks it for the
// next action whenever a modal form waits, for the answer of every message box and text prompt, and
// records everything the user was shown in the driver's transcript.
//
// Transcript lines (one event a line; texts quoted with \r \n \" \\ escapes):
//   load FORM / unload FORM / hide FORM / abandon FORM / end
//   show FORM "Caption" modal|modeless
//   form FORM "Caption"             a modal form waits for the user; below it, indented, the controls
//     NAME: KIND STATE [disabled] [focus]   whose display changed since the user last saw the form
//     NAME: hidden                  (all of them the first time), or that disappeared; tree nodes
//                                   follow their tree, indented by depth
//   > STEP                          what the user did, as a script step ("> click frmAbout.btnOK")
//   ! REASON                        an action the form refused
//   ! script failure: MESSAGE       a ScriptedUser failure
//   note TEXT                       remarks ("note the focus stays on txtA": Validate kept it)
//   box "Title" BUTTONS [ICON] [default2|default3] [foreground]: "Text"
//   -> ANSWER                       the answer of the box above (OK, Cancel, Yes, No, ...)
//   ask "Prompt" ["Title"] -> "text" | -> cancel
//   refresh FORM.NAME: KIND STATE   a control repainted on a shown form (the progress texts)
//   refresh FORM                    a form repainted; below it the controls whose display changed
// STATE by kind: Label/Frame/TextBox/StatusBar "text" (a password masked); CommandButton "caption"
// [default] [cancel]; CheckBox "caption" [x] / [ ] / [-]; OptionButton "caption" (o) / ( );
// ComboBox "text" ["a", *"b"] [list]; ListBox ["a", *"b"] [multi] (* marks the selection);
// TabStrip ["&Connection", *"&Resources"]; ProgressBar 35 of 0..100; TreeView N nodes[, selected "key"].
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/MsgBox.h"
#include "platform/forms/UserAction.h"

namespace platform::forms {

class Form;

enum class TranscriptKind { Window, Form, Action, Refusal, Note, Box, Prompt, Refresh };

class Transcript {
public:
    struct Box {
        MsgBoxSpec box;
        int32_t answer = 0;
    };
    struct Repaint {
        std::string control; // "frmIntegrationStatus.lblStatus"
        std::string state;   // as in the transcript line
    };

    const std::vector<std::string>& Lines() const { return lines_; }
    std::string Text() const; // the lines, each ended by "\n"
    bool Contains(std::string_view part) const;
    const std::vector<Box>& Boxes() const { return boxes_; }
    // The states shown by the Refresh calls of one control, in order ("frmX.lblStatus").
    std::vector<std::string> Progress(std::string_view control) const;
    // Writes Text() to a file; false, with the failure in Err(), when it cannot.
    bool WriteTo(const std::string& path) const;
    void Clear();

    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void AddBox(const MsgBoxSpec& box, int32_t answer) { boxes_.push_back({box, answer}); }
    void AddRepaint(std::string control, std::string state) {
        repaints_.push_back({std::move(control), std::move(state)});
    }

private:
    std::vector<std::string> lines_;
    std::vector<Box> boxes_;
    std::vector<Repaint> repaints_;
};

class UserDriver {
public:
    virtual ~UserDriver() = default;

    // `form` is the topmost modal form and waits for the user.
    virtual UserAction NextAction(Form& form) = 0;
    // One of box.Answers().
    virtual int32_t AnswerBox(const MsgBoxSpec& box) = 0;
    // The text typed, or std::nullopt for cancel.
    virtual std::optional<std::string> AnswerPrompt(const std::string& prompt, const std::string& title) = 0;
    // The form could not carry out the last action of NextAction; it asks again.
    virtual void Refused(Form& /*form*/, const UserAction& /*action*/, const std::string& /*reason*/) {}
    // Every transcript line as it is recorded.
    virtual void Recorded(TranscriptKind /*kind*/, const std::string& /*line*/) {}

    Transcript& transcript() { return transcript_; }
    const Transcript& transcript() const { return transcript_; }

private:
    Transcript transcript_;
};

// The installed driver, or nullptr.
UserDriver* CurrentUser();
// Installs a driver (nullptr: none) and returns the previous one.
UserDriver* SetCurrentUser(UserDriver* user);

// Installs a driver for its lifetime and puts the previous one back.
class ScopedUser {
public:
    explicit ScopedUser(UserDriver& user) : previous_(SetCurrentUser(&user)) {}
    ~ScopedUser() { SetCurrentUser(previous_); }
    ScopedUser(const ScopedUser&) = delete;
    ScopedUser& operator=(const ScopedUser&) = delete;

private:
    UserDriver* previous_;
};

// The form as the user sees it: its visible controls in tab order, one line each ("NAME: KIND STATE
// [disabled] [focus]", as in the transcript), tree nodes indented below their tree.
std::vector<std::string> DescribeForm(const Form& form);
// A text in double quotes with \r \n \t \" \\ escapes (and \xNN for other control characters).
std::string Quote(std::string_view text);

} // namespace platform::forms
