#include "platform/forms/MsgBox.h"

#include <cctype>

#include "platform/automation/Error.h"
#include "platform/forms/Recording.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms {

using platform::automation::Err;

namespace {

std::string& TitleStore() {
    static std::string title;
    return title;
}

const std::vector<int32_t>& AnswersOf(int32_t buttons) {
    static const std::vector<int32_t> table[] = {
        {vbOK},        {vbOK, vbCancel},    {vbAbort, vbRetry, vbIgnore}, {vbYes, vbNo, vbCancel},
        {vbYes, vbNo}, {vbRetry, vbCancel},
    };
    static const std::vector<int32_t> none;
    return buttons >= 0 && buttons <= vbRetryCancel ? table[buttons] : none;
}

std::string BoxLine(const MsgBoxSpec& box) {
    std::string line = "box " + Quote(box.title) + " " + ButtonsName(box.Buttons());
    if (box.Icon() != 0) line += " " + IconName(box.Icon());
    if (box.DefaultButton() > 1) line += " default" + std::to_string(box.DefaultButton());
    if (box.Foreground()) line += " foreground";
    return line + ": " + Quote(box.prompt);
}

} // namespace

std::vector<int32_t> MsgBoxSpec::Answers() const {
    return AnswersOf(Buttons());
}

int32_t MsgBoxSpec::DefaultAnswer() const {
    const auto& answers = AnswersOf(Buttons());
    if (answers.empty()) return 0;
    size_t position = static_cast<size_t>(DefaultButton() - 1);
    return position < answers.size() ? answers[position] : answers.front();
}

int32_t MsgBoxSpec::BackOutAnswer() const {
    const auto& answers = AnswersOf(Buttons());
    for (int32_t preferred : {vbCancel, vbNo})
        for (int32_t answer : answers)
            if (answer == preferred) return answer;
    return answers.empty() ? 0 : answers.back();
}

int32_t MsgBox(std::string_view prompt, int32_t buttons, std::string_view title) {
    MsgBoxSpec box{std::string(prompt), title.empty() ? ProgramTitle() : std::string(title), buttons};
    if (box.Answers().empty() || (buttons & 0x70) > vbInformation) {
        Err().Raise(errors::InvalidProcedureCall);
        return 0;
    }
    detail::Record(TranscriptKind::Box, BoxLine(box));
    UserDriver* user = CurrentUser();
    if (!user) {
        Err().Raise(errors::NoUser, "", "There is no user to answer the message box " + Quote(box.prompt));
        return 0;
    }
    int32_t answer = user->AnswerBox(box);
    bool valid = false;
    for (int32_t candidate : box.Answers())
        valid = valid || candidate == answer;
    // A driver that answers with a button the box does not have gets the default button.
    if (!valid) answer = box.DefaultAnswer();
    user->transcript().AddBox(box, answer);
    detail::Record(TranscriptKind::Box, "-> " + AnswerName(answer));
    return answer;
}

std::optional<std::string> AskText(std::string_view prompt, std::string_view title) {
    std::string shownTitle = title.empty() ? ProgramTitle() : std::string(title);
    UserDriver* user = CurrentUser();
    if (!user) {
        Err().Raise(errors::NoUser, "", "There is no user to answer the prompt " + Quote(prompt));
        return std::nullopt;
    }
    std::optional<std::string> answer = user->AnswerPrompt(std::string(prompt), shownTitle);
    std::string line = "ask " + Quote(prompt);
    if (!title.empty()) line += " " + Quote(title);
    detail::Record(TranscriptKind::Prompt, line + " -> " + (answer ? Quote(*answer) : std::string("cancel")));
    return answer;
}

std::string SetProgramTitle(std::string title) {
    std::string previous = std::move(TitleStore());
    TitleStore() = std::move(title);
    return previous;
}

const std::string& ProgramTitle() {
    return TitleStore();
}

std::string AnswerName(int32_t answer) {
    switch (answer) {
    case vbOK: return "OK";
    case vbCancel: return "Cancel";
    case vbAbort: return "Abort";
    case vbRetry: return "Retry";
    case vbIgnore: return "Ignore";
    case vbYes: return "Yes";
    case vbNo: return "No";
    default: return std::to_string(answer);
    }
}

int32_t AnswerFromName(std::string_view name) {
    for (int32_t answer : {vbOK, vbCancel, vbAbort, vbRetry, vbIgnore, vbYes, vbNo}) {
        std::string known = AnswerName(answer);
        if (known.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size(); ++i)
            same = same && std::tolower(static_cast<unsigned char>(name[i])) ==
                               std::tolower(static_cast<unsigned char>(known[i]));
        if (same) return answer;
    }
    return 0;
}

std::string IconName(int32_t icon) {
    switch (icon & 0x70) {
    case vbCritical: return "Critical";
    case vbQuestion: return "Question";
    case vbExclamation: return "Exclamation";
    case vbInformation: return "Information";
    default: return "";
    }
}

std::string ButtonsName(int32_t buttons) {
    switch (buttons & 7) {
    case vbOKOnly: return "OKOnly";
    case vbOKCancel: return "OKCancel";
    case vbAbortRetryIgnore: return "AbortRetryIgnore";
    case vbYesNoCancel: return "YesNoCancel";
    case vbYesNo: return "YesNo";
    case vbRetryCancel: return "RetryCancel";
    default: return std::to_string(buttons & 7);
    }
}

} // namespace platform::forms
