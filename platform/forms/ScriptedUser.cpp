#include "platform/forms/ScriptedUser.h"

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptSyntax.h"

namespace platform::forms {

using platform::automation::Err;

namespace {

std::string Where(const Step& step) {
    return step.line > 0 ? " (script line " + std::to_string(step.line) + ")" : "";
}

std::string Named(const Step& step) {
    return "`" + step.Describe() + "`" + Where(step);
}

std::string BoxText(const MsgBoxSpec& box) {
    std::string answers;
    for (int32_t answer : box.Answers())
        answers += (answers.empty() ? "" : "/") + AnswerName(answer);
    return Quote(box.title) + " " + Quote(box.prompt) + " [" + answers + "]";
}

Step Act(std::string_view target, UserAction::Kind kind) {
    Step step;
    size_t dot = target.find('.');
    step.form = std::string(target.substr(0, dot));
    step.action.kind = kind;
    if (dot != std::string_view::npos) step.action.control = std::string(target.substr(dot + 1));
    return step;
}

} // namespace

std::string Step::Describe() const {
    switch (kind) {
    case Kind::Act: {
        if (action.kind == UserAction::Kind::Close) return "close " + form;
        UserAction named = action;
        named.control = form + "." + action.control;
        return named.Describe();
    }
    case Kind::Box:
        return "box " + AnswerName(answer) + (shown ? (partial ? " contains " : " ") + Quote(*shown) : "");
    case Kind::Text:
        return (shown && *shown == SaveAsPrompt ? "saveas " : "text ") + (reply ? Quote(*reply) : "cancel");
    }
    return "";
}

namespace steps {
Step Type(std::string_view target, std::string text) {
    Step step = Act(target, UserAction::Kind::Type);
    step.action.text = std::move(text);
    return step;
}
Step Append(std::string_view target, std::string text) {
    Step step = Act(target, UserAction::Kind::Append);
    step.action.text = std::move(text);
    return step;
}
Step Pick(std::string_view target, std::string entry) {
    Step step = Act(target, UserAction::Kind::Pick);
    step.action.text = std::move(entry);
    return step;
}
Step Pick(std::string_view target, int index) {
    Step step = Act(target, UserAction::Kind::Pick);
    step.action.index = index;
    return step;
}
Step Tick(std::string_view target) {
    return Act(target, UserAction::Kind::Tick);
}
Step Untick(std::string_view target) {
    return Act(target, UserAction::Kind::Untick);
}
Step Choose(std::string_view target) {
    return Act(target, UserAction::Kind::Choose);
}
Step Click(std::string_view target) {
    return Act(target, UserAction::Kind::Click);
}
Step DblClick(std::string_view target) {
    return Act(target, UserAction::Kind::DblClick);
}
Step PickTab(std::string_view target, std::string caption) {
    Step step = Act(target, UserAction::Kind::Tab);
    step.action.text = std::move(caption);
    return step;
}
Step PickTab(std::string_view target, int index) {
    Step step = Act(target, UserAction::Kind::Tab);
    step.action.index = index;
    return step;
}
Step PickNode(std::string_view target, std::string key) {
    Step step = Act(target, UserAction::Kind::Node);
    step.action.text = std::move(key);
    return step;
}
Step PressKey(std::string_view target, int16_t keyAscii) {
    Step step = Act(target, UserAction::Kind::Key);
    step.action.keyAscii = keyAscii;
    step.action.keyCode = keyAscii >= 'a' && keyAscii <= 'z' ? static_cast<int16_t>(keyAscii - 32) : keyAscii;
    return step;
}
Step Focus(std::string_view target) {
    return Act(target, UserAction::Kind::Focus);
}
Step CloseForm(std::string form) {
    Step step;
    step.form = std::move(form);
    step.action.kind = UserAction::Kind::Close;
    return step;
}
Step Answer(int32_t answer) {
    Step step;
    step.kind = Step::Kind::Box;
    step.answer = answer;
    return step;
}
Step Answer(int32_t answer, std::string text) {
    Step step = Answer(answer);
    step.shown = std::move(text);
    return step;
}
Step AnswerContaining(int32_t answer, std::string part) {
    Step step = Answer(answer, std::move(part));
    step.partial = true;
    return step;
}
Step Reply(std::string text) {
    Step step;
    step.kind = Step::Kind::Text;
    step.reply = std::move(text);
    return step;
}
Step CancelReply() {
    Step step;
    step.kind = Step::Kind::Text;
    return step;
}
Step SaveAs(std::string path) {
    Step step = Reply(std::move(path));
    step.shown = std::string(SaveAsPrompt);
    return step;
}
Step CancelSaveAs() {
    Step step = CancelReply();
    step.shown = std::string(SaveAsPrompt);
    return step;
}
} // namespace steps

namespace {

// One script line to a step; false with the reason.
bool ParseLine(const std::vector<detail::Token>& tokens, Step& step, std::string& error) {
    std::string verb = detail::Lower(tokens[0].text);
    if (tokens[0].quoted) {
        error = "a step starts with its verb";
        return false;
    }
    if (detail::IsActionVerb(verb)) {
        if (tokens.size() < 2 || tokens[1].quoted) {
            error = verb + " needs " + (verb == "close" ? "FORM" : "FORM.CONTROL");
            return false;
        }
        const std::string& target = tokens[1].text;
        size_t dot = target.find('.');
        std::string control;
        if (verb == "close") {
            step.form = target;
        } else if (dot == std::string::npos || dot == 0 || dot + 1 == target.size()) {
            error = verb + " needs FORM.CONTROL, not " + target;
            return false;
        } else {
            step.form = target.substr(0, dot);
            control = target.substr(dot + 1);
        }
        std::vector<detail::Token> args(tokens.begin() + 2, tokens.end());
        step.kind = Step::Kind::Act;
        return detail::ParseAction(verb, control, args, step.action, error);
    }
    if (verb == "box") {
        step.kind = Step::Kind::Box;
        step.answer = tokens.size() >= 2 && !tokens[1].quoted ? AnswerFromName(tokens[1].text) : 0;
        if (step.answer == 0) {
            error = "box needs an answer: OK, Cancel, Yes, No, Abort, Retry or Ignore";
            return false;
        }
        if (tokens.size() == 2) return true;
        if (tokens.size() == 3 && tokens[2].quoted) {
            step.shown = tokens[2].text;
            return true;
        }
        if (tokens.size() == 4 && !tokens[2].quoted && detail::Lower(tokens[2].text) == "contains") {
            step.shown = tokens[3].text;
            step.partial = true;
            return true;
        }
        error = "box takes an answer, then \"text\" or contains \"part\"";
        return false;
    }
    if (verb == "text" || verb == "saveas") {
        step.kind = Step::Kind::Text;
        if (verb == "saveas") step.shown = std::string(SaveAsPrompt);
        if (tokens.size() != 2) {
            error = verb + " takes one word: the reply, or cancel";
            return false;
        }
        if (tokens[1].quoted || detail::Lower(tokens[1].text) != "cancel") step.reply = tokens[1].text;
        return true;
    }
    error = "unknown step " + tokens[0].text;
    return false;
}

// The steps of a script text; false with "line N: reason" at the first bad line.
bool ParseInto(std::string_view text, std::vector<Step>& out, std::string& error) {
    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        std::vector<detail::Token> tokens;
        Step step;
        if (!detail::Tokenize(line, tokens, error) || (!tokens.empty() && !ParseLine(tokens, step, error))) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
        if (!tokens.empty()) {
            step.line = number;
            out.push_back(std::move(step));
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return true;
}

} // namespace

std::vector<Step> ParseScript(std::string_view text) {
    std::vector<Step> out;
    std::string error;
    if (ParseInto(text, out, error)) return out;
    Err().Raise(errors::InvalidProcedureCall, "ScriptedUser", error);
    return {};
}

ScriptedUser::ScriptedUser(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {}

ScriptedUser::~ScriptedUser() {
    if (!finished_) Finish();
}

bool ScriptedUser::AddScript(std::string_view text) {
    std::vector<Step> parsed;
    std::string error;
    if (!ParseInto(text, parsed, error)) {
        Err().Raise(errors::InvalidProcedureCall, "ScriptedUser", error);
        return false;
    }
    for (Step& step : parsed)
        steps_.push_back(std::move(step));
    return true;
}

void ScriptedUser::Fail(std::string message) {
    failures_.push_back(message);
    transcript().Add("! script failure: " + message);
    if (onFailure_) onFailure_(message);
}

std::string ScriptedUser::Next() const {
    return steps_.empty() ? "nothing more" : Named(steps_.front());
}

bool ScriptedUser::Finish() {
    if (finished_) return !Failed();
    finished_ = true;
    if (!Failed() && !steps_.empty()) {
        std::string left;
        for (const Step& step : steps_)
            left += (left.empty() ? "" : ", ") + Named(step);
        Fail(std::to_string(steps_.size()) + " step(s) left over: " + left);
    }
    return !Failed();
}

UserAction ScriptedUser::NextAction(Form& form) {
    UserAction abandon;
    abandon.kind = UserAction::Kind::Abandon;
    if (Failed()) return abandon;
    if (steps_.empty()) {
        Fail(form.Name() + " " + Quote(form.Caption) +
             " waits for the user, but the script has no steps left");
        return abandon;
    }
    const Step& next = steps_.front();
    if (next.kind != Step::Kind::Act) {
        Fail(form.Name() + " " + Quote(form.Caption) + " waits for the user, but the script expects " +
             Next());
        return abandon;
    }
    if (next.form != form.Name()) {
        Fail("the script expects " + Next() + ", but " + form.Name() + " " + Quote(form.Caption) +
             " waits for the user");
        return abandon;
    }
    current_ = next;
    steps_.pop_front();
    return current_->action;
}

void ScriptedUser::Refused(Form&, const UserAction&, const std::string& reason) {
    Fail((current_ ? Named(*current_) : std::string("the action")) + ": " + reason);
}

int32_t ScriptedUser::AnswerBox(const MsgBoxSpec& box) {
    if (Failed()) return box.BackOutAnswer();
    if (steps_.empty() || steps_.front().kind != Step::Kind::Box) {
        Fail("unexpected message box " + BoxText(box) + "; the script expects " + Next());
        return box.BackOutAnswer();
    }
    const Step& step = steps_.front();
    if (step.shown) {
        bool matches =
            step.partial ? box.prompt.find(*step.shown) != std::string::npos : box.prompt == *step.shown;
        if (!matches) {
            Fail(Named(step) + ": the message box shows " + BoxText(box));
            return box.BackOutAnswer();
        }
    }
    bool offered = false;
    for (int32_t answer : box.Answers())
        offered = offered || answer == step.answer;
    if (!offered) {
        Fail(Named(step) + ": " + AnswerName(step.answer) + " is not a button of the message box " +
             BoxText(box));
        return box.BackOutAnswer();
    }
    int32_t answer = step.answer;
    steps_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUser::AnswerPrompt(const std::string& prompt, const std::string&) {
    if (Failed()) return std::nullopt;
    if (steps_.empty() || steps_.front().kind != Step::Kind::Text) {
        Fail("unexpected prompt " + Quote(prompt) + "; the script expects " + Next());
        return std::nullopt;
    }
    const Step& step = steps_.front();
    if (step.shown && *step.shown != prompt) {
        Fail(Named(step) + ": the prompt is " + Quote(prompt));
        return std::nullopt;
    }
    std::optional<std::string> reply = step.reply;
    steps_.pop_front();
    return reply;
}

} // namespace platform::forms
