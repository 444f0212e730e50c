#pragma once
// A user who follows a script: the driver of tests and of scripted runs of the host program.
//
// Script text: one step a line; blank lines and "#" comments (a "#" not followed by a digit, to the end
// of the line) are skipped. Words are bare or in double quotes (escapes \" \\ \r \n \t \b \xNN; a box's
// line breaks are "\r\n"). FORM.CONTROL names a control of the modal form FORM, case-exact; the step
// fails unless FORM is the form that waits for the user.
//
//   type FORM.CONTROL "text"      replace the text of a text box or typable combo, key by key: every
//                                 character goes through KeyPress (0 drops it), then Change
//   append FORM.CONTROL "text"    the same, typed after the existing text
//   pick FORM.CONTROL "entry"     choose a list or combo entry by its text, or by index: pick F.C #0;
//                                 on a multi-select list it toggles the entry's mark
//   tick FORM.CONTROL             tick a check box (fails when it is ticked already)
//   untick FORM.CONTROL           clear a check box (fails when it is clear)
//   choose FORM.CONTROL           select an option button
//   click FORM.CONTROL            click a command button
//   dblclick FORM.CONTROL         double-click a control
//   tab FORM.CONTROL "caption"    choose a tab by caption ("&" marks may be left out), or #1 for the first
//   node FORM.CONTROL "key"       click a tree node by key, or by text when no key matches
//   key FORM.CONTROL KEY          press a key: Enter, Escape, Backspace, Tab, Space, "c", or a character
//                                 code (KeyDown, KeyPress, KeyUp);
//                                 Enter and Escape click the form's default and cancel buttons
//   focus FORM.CONTROL            move the focus there only (Validate, LostFocus, GotFocus)
//   close FORM                    the form's close box (QueryUnload, Unload)
//   box ANSWER                    answer the next message box: OK, Cancel, Yes, No, Abort, Retry, Ignore
//   box ANSWER "text"             ... which must show exactly this text
//   box ANSWER contains "part"    ... whose text must contain this part
//   text "reply" | text cancel    answer the next text prompt
//   saveas "path" | saveas cancel answer the planning program's Save As prompt (SaveAsPrompt)
//
// Strictness: an action on a control that is missing, disabled or invisible (itself or through its
// frame) or that does not fit the control, a step for another form than the one that waits, a box or
// prompt while an action is due (or the reverse), a box text or prompt that differs, an answer that
// is not one of the box's buttons, a form that waits when the script is used up, and steps left over
// at Finish() are failures. A failure is recorded (Failures()), passed to the failure callback, and
// ends the script: from then on every form is abandoned (closed without its handlers), every box gets
// its backing-out answer (Cancel, else No, else OK) and every prompt is cancelled, so that the run
// comes to an end without hanging and without exceptions through the system's code.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/UserAction.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms {

struct Step {
    enum class Kind { Act, Box, Text };
    Kind kind = Kind::Act;
    std::string form;                 // Act: the form that must be waiting
    UserAction action;                // Act
    int32_t answer = 0;               // Box
    std::optional<std::string> shown; // Box: the expected text; Text: the expected prompt
    bool partial = false;             // Box: `shown` need only be part of the text
    std::optional<std::string> reply; // Text: the reply; nullopt cancels
    int line = 0;                     // the script line, 0 for steps built in code

    // The step in script syntax.
    std::string Describe() const;
};

// Steps in code; TARGET is "FORM.CONTROL".
namespace steps {
Step Type(std::string_view target, std::string text);
Step Append(std::string_view target, std::string text);
Step Pick(std::string_view target, std::string entry);
Step Pick(std::string_view target, int index);
Step Tick(std::string_view target);
Step Untick(std::string_view target);
Step Choose(std::string_view target);
Step Click(std::string_view target);
Step DblClick(std::string_view target);
Step PickTab(std::string_view target, std::string caption);
Step PickTab(std::string_view target, int index);
Step PickNode(std::string_view target, std::string key);
Step PressKey(std::string_view target, int16_t keyAscii);
Step Focus(std::string_view target);
Step CloseForm(std::string form);
Step Answer(int32_t answer);
Step Answer(int32_t answer, std::string text);
Step AnswerContaining(int32_t answer, std::string part);
Step Reply(std::string text);
Step CancelReply();
Step SaveAs(std::string path);
Step CancelSaveAs();
} // namespace steps

// Parses script text. A bad line records error 5 in Err() with "line N: ..." and returns no steps.
std::vector<Step> ParseScript(std::string_view text);

class ScriptedUser : public UserDriver {
public:
    ScriptedUser() = default;
    explicit ScriptedUser(std::vector<Step> steps);
    // Reports steps left over unless Finish() ran.
    ~ScriptedUser() override;
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    void Add(Step step) { steps_.push_back(std::move(step)); }
    // Adds the steps of a script text; false (error in Err(), nothing added) on a bad line.
    bool AddScript(std::string_view text);
    size_t Remaining() const { return steps_.size(); }

    // Called with each failure's message as it happens (tests: ADD_FAILURE()).
    void OnFailure(std::function<void(const std::string&)> callback) { onFailure_ = std::move(callback); }
    const std::vector<std::string>& Failures() const { return failures_; }
    bool Failed() const { return !failures_.empty(); }
    // Ends the script: steps left over are a failure. True when the whole run had no failure.
    bool Finish();

    UserAction NextAction(Form& form) override;
    int32_t AnswerBox(const MsgBoxSpec& box) override;
    std::optional<std::string> AnswerPrompt(const std::string& prompt, const std::string& title) override;
    void Refused(Form& form, const UserAction& action, const std::string& reason) override;

private:
    void Fail(std::string message);
    std::string Next() const; // the next step, for messages
    std::deque<Step> steps_;
    std::optional<Step> current_; // the action step being carried out
    std::vector<std::string> failures_;
    std::function<void(const std::string&)> onFailure_;
    bool finished_ = false;
};

} // namespace platform::forms
