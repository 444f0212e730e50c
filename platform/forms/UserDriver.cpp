#include "platform/forms/UserDriver.h"

#include <cstdio>
#include <fstream>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/Recording.h"
#include "platform/forms/ScriptSyntax.h"

namespace platform::forms {

using platform::automation::Err;

namespace {

UserDriver*& Installed() {
    static UserDriver* user = nullptr;
    return user;
}

} // namespace

UserDriver* CurrentUser() {
    return Installed();
}

UserDriver* SetCurrentUser(UserDriver* user) {
    UserDriver* previous = Installed();
    Installed() = user;
    return previous;
}

namespace detail {

void Record(TranscriptKind kind, std::string line) {
    UserDriver* user = CurrentUser();
    if (!user) return;
    size_t start = 0;
    while (true) {
        size_t end = line.find('\n', start);
        user->transcript().Add(
            line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    user->Recorded(kind, line);
}

std::vector<std::string> ControlLines(const Control& control) {
    std::string line = control.Name() + ": " + control.KindName() + " " + control.State();
    if (!control.EffectiveEnabled()) line += " disabled";
    if (control.Parent().ActiveControl() == &control) line += " focus";
    std::vector<std::string> lines{line};
    for (const std::string& detail : control.Details())
        lines.push_back("  " + detail);
    return lines;
}

} // namespace detail

std::vector<std::string> DescribeForm(const Form& form) {
    std::vector<std::string> out;
    for (const Control* control : form.Controls())
        if (control->EffectiveVisible())
            for (std::string& line : detail::ControlLines(*control))
                out.push_back(std::move(line));
    return out;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 32) {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02X",
                              static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// --- transcript ---------------------------------------------------------------------------------------

std::string Transcript::Text() const {
    std::string out;
    for (const std::string& line : lines_)
        out += line + "\n";
    return out;
}

bool Transcript::Contains(std::string_view part) const {
    for (const std::string& line : lines_)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

std::vector<std::string> Transcript::Progress(std::string_view control) const {
    std::vector<std::string> out;
    for (const Repaint& repaint : repaints_)
        if (repaint.control == control) out.push_back(repaint.state);
    return out;
}

bool Transcript::WriteTo(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file << Text();
    if (!file) {
        Err().Raise(platform::automation::errors::PathFileAccessError, "",
                    "Cannot write the transcript " + path);
        return false;
    }
    return true;
}

void Transcript::Clear() {
    lines_.clear();
    boxes_.clear();
    repaints_.clear();
}

// --- actions ----------------------------------------------------------------------------------------

std::string UserAction::Describe() const {
    using K = Kind;
    auto entry = [&](bool byIndex) { return byIndex ? "#" + std::to_string(index) : Quote(text); };
    switch (kind) {
    case K::Type: return "type " + control + " " + Quote(text);
    case K::Append: return "append " + control + " " + Quote(text);
    case K::Pick: return "pick " + control + " " + entry(index >= 0);
    case K::Tick: return "tick " + control;
    case K::Untick: return "untick " + control;
    case K::Choose: return "choose " + control;
    case K::Click: return "click " + control;
    case K::DblClick: return "dblclick " + control;
    case K::Tab: return "tab " + control + " " + entry(index >= 0);
    case K::Node: return "node " + control + " " + Quote(text);
    case K::Key: return "key " + control + " " + detail::KeyWord(keyCode, keyAscii);
    case K::Focus: return "focus " + control;
    case K::Close: return "close";
    case K::Abandon: return "abandon";
    }
    return "";
}

} // namespace platform::forms
