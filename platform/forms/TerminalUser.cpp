#include "platform/forms/TerminalUser.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "platform/forms/Form.h"
#include "platform/forms/ScriptSyntax.h"

namespace platform::forms {

namespace {

const char* const kHelp =
    "actions: type CONTROL \"text\" | append CONTROL \"text\" | pick CONTROL \"entry\"|#N |\n"
    "  tick CONTROL | untick CONTROL | choose CONTROL | click CONTROL | dblclick CONTROL |\n"
    "  tab CONTROL \"caption\"|#N | node CONTROL \"key\" | key CONTROL Enter|Escape|\"c\"|N |\n"
    "  focus CONTROL | close | show | help\n";

// The box's text as lines: CRLF, CR and LF all break.
std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

} // namespace

bool TerminalUser::ReadLine(std::string& line) {
    if (!std::getline(in_, line)) {
        out_ << "(end of input)\n";
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

UserAction TerminalUser::NextAction(Form& form) {
    OtherOutput();
    out_ << "\n[" << form.Name() << "] " << form.Caption << "\n";
    for (const std::string& line : DescribeForm(form))
        out_ << "  " << line << "\n";
    while (true) {
        out_ << "action> " << std::flush;
        std::string line;
        if (!ReadLine(line)) {
            UserAction gone;
            gone.kind = UserAction::Kind::Abandon;
            return gone;
        }
        std::vector<detail::Token> tokens;
        std::string error;
        if (!detail::Tokenize(line, tokens, error)) {
            out_ << "! " << error << "\n";
            continue;
        }
        if (tokens.empty()) continue;
        std::string verb = detail::Lower(tokens[0].text);
        if (verb == "help" || verb == "?") {
            out_ << kHelp;
            continue;
        }
        if (verb == "show") {
            for (const std::string& shown : DescribeForm(form))
                out_ << "  " << shown << "\n";
            continue;
        }
        if (tokens[0].quoted || !detail::IsActionVerb(verb)) {
            out_ << "! unknown action " << tokens[0].text << " (help lists them)\n";
            continue;
        }
        std::string control;
        size_t first = 1;
        if (verb != "close") {
            if (tokens.size() < 2) {
                out_ << "! " << verb << " needs a control\n";
                continue;
            }
            control = tokens[1].text;
            // "frmX.cmdOK" names the same control as "cmdOK" on frmX.
            std::string prefix = form.Name() + ".";
            if (control.rfind(prefix, 0) == 0) control.erase(0, prefix.size());
            first = 2;
        }
        std::vector<detail::Token> args(tokens.begin() + static_cast<long>(first), tokens.end());
        UserAction action;
        if (!detail::ParseAction(verb, control, args, action, error)) {
            out_ << "! " << error << "\n";
            continue;
        }
        return action;
    }
}

int32_t TerminalUser::AnswerBox(const MsgBoxSpec& box) {
    OtherOutput();
    std::string icon = IconName(box.Icon());
    out_ << "\n+-- " << box.title << (icon.empty() ? "" : " [" + icon + "]") << "\n";
    for (const std::string& line : TextLines(box.prompt))
        out_ << "| " << line << "\n";
    out_ << "+--";
    std::vector<int32_t> answers = box.Answers();
    for (int32_t answer : answers)
        out_ << " [" << AnswerName(answer) << "]";
    out_ << " (empty line: " << AnswerName(box.DefaultAnswer()) << ")\n";
    while (true) {
        out_ << "answer> " << std::flush;
        std::string line;
        if (!ReadLine(line)) return box.BackOutAnswer();
        std::vector<detail::Token> tokens;
        std::string error;
        detail::Tokenize(line, tokens, error);
        if (tokens.empty()) return box.DefaultAnswer();
        std::string word = detail::Lower(tokens[0].text);
        // A button's name, or its first letter when no other button shares it.
        int32_t byLetter = 0;
        int letters = 0;
        for (int32_t answer : answers) {
            std::string name = detail::Lower(AnswerName(answer));
            if (word == name) return answer;
            if (word.size() == 1 && name[0] == word[0]) {
                byLetter = answer;
                ++letters;
            }
        }
        if (letters == 1) return byLetter;
        out_ << "! answer with one of the buttons\n";
    }
}

std::optional<std::string> TerminalUser::AnswerPrompt(const std::string& prompt, const std::string& title) {
    OtherOutput();
    out_ << "\n"
         << (title.empty() ? "" : title + ": ") << prompt << " (an empty line cancels)\ntext> " << std::flush;
    std::string line;
    if (!ReadLine(line) || line.empty()) return std::nullopt;
    return line;
}

void TerminalUser::Refused(Form&, const UserAction&, const std::string& reason) {
    OtherOutput();
    out_ << "! " << reason << "\n";
}

void TerminalUser::Recorded(TranscriptKind kind, const std::string& line) {
    if (kind == TranscriptKind::Note) {
        OtherOutput();
        out_ << line << "\n";
    } else if (kind == TranscriptKind::Refresh) {
        // "refresh frmX.lblY: Label ..." repaints a control, "refresh frmX" (then its changes) a form.
        const std::string first = line.substr(0, line.find('\n'));
        std::string& shown = shownRepaints_[first.substr(0, first.find(": "))];
        if (shown == line) return;
        shown = line;
        out_ << line << "\n";
    }
}

} // namespace platform::forms
