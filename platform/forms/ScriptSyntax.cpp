#include "platform/forms/ScriptSyntax.h"

#include <cctype>

#include "platform/forms/Constants.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms::detail {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '#' && !(i + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 1]))))
            break;
        if (c != '"') {
            size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])))
                ++end;
            tokens.push_back({std::string(line.substr(i, end - i)), false});
            i = end;
            continue;
        }
        std::string text;
        ++i;
        bool closed = false;
        while (i < line.size()) {
            char d = line[i++];
            if (d == '"') {
                closed = true;
                break;
            }
            if (d != '\\') {
                text += d;
                continue;
            }
            if (i >= line.size()) break;
            char e = line[i++];
            switch (e) {
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            case 'r': text += '\r'; break;
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case 'b': text += '\b'; break;
            case 'x': {
                if (i + 2 > line.size() || !std::isxdigit(static_cast<unsigned char>(line[i])) ||
                    !std::isxdigit(static_cast<unsigned char>(line[i + 1]))) {
                    error = "\\x needs two hexadecimal digits";
                    return false;
                }
                text += static_cast<char>(std::stoi(std::string(line.substr(i, 2)), nullptr, 16));
                i += 2;
                break;
            }
            default: error = std::string("unknown escape \\") + e; return false;
            }
        }
        if (!closed) {
            error = "a quoted text is not closed";
            return false;
        }
        tokens.push_back({std::move(text), true});
    }
    return true;
}

namespace {

bool Index(const Token& token, int& index) {
    if (token.quoted || token.text.size() < 2 || token.text[0] != '#') return false;
    for (size_t i = 1; i < token.text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(token.text[i]))) return false;
    index = std::stoi(token.text.substr(1));
    return true;
}

bool ParseKey(const Token& token, int16_t& keyCode, int16_t& keyAscii) {
    if (token.quoted) {
        if (token.text.size() != 1) return false;
        unsigned char c = static_cast<unsigned char>(token.text[0]);
        keyAscii = static_cast<int16_t>(c);
        keyCode = static_cast<int16_t>(std::isalpha(c) ? std::toupper(c) : c);
        return true;
    }
    static const struct {
        const char* word;
        int16_t key;
    } named[] = {{"enter", vbKeyReturn}, {"return", vbKeyReturn},  {"escape", vbKeyEscape},
                 {"esc", vbKeyEscape},   {"backspace", vbKeyBack}, {"tab", vbKeyTab},
                 {"space", vbKeySpace}};
    std::string word = Lower(token.text);
    for (const auto& entry : named)
        if (word == entry.word) {
            keyCode = keyAscii = entry.key;
            return true;
        }
    if (word.empty() || word.size() > 3) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    // A number is the character code of the key, as KeyPress sees it.
    int number = std::stoi(word);
    if (number < 1 || number > 255) return false;
    keyAscii = static_cast<int16_t>(number);
    keyCode = static_cast<int16_t>(number >= 'a' && number <= 'z' ? number - 32 : number);
    return true;
}

} // namespace

bool IsActionVerb(std::string_view verb) {
    static const char* verbs[] = {"type",     "append", "pick", "tick", "untick", "choose", "click",
                                  "dblclick", "tab",    "node", "key",  "focus",  "close"};
    std::string word = Lower(verb);
    for (const char* known : verbs)
        if (word == known) return true;
    return false;
}

bool ParseAction(std::string_view verbText, const std::string& control, const std::vector<Token>& args,
                 UserAction& action, std::string& error) {
    using K = UserAction::Kind;
    std::string verb = Lower(verbText);
    action = UserAction{};
    action.control = control;
    auto count = [&](size_t n) {
        if (args.size() == n) return true;
        error = verb + " takes " +
                (n == 0   ? "no words"
                 : n == 1 ? "one word"
                          : "two words") +
                " after " + (control.empty() ? "the form" : "the control");
        return false;
    };
    static const struct {
        const char* verb;
        K kind;
    } plain[] = {{"tick", K::Tick},         {"untick", K::Untick}, {"choose", K::Choose}, {"click", K::Click},
                 {"dblclick", K::DblClick}, {"focus", K::Focus},   {"close", K::Close}};
    for (const auto& entry : plain)
        if (verb == entry.verb) {
            action.kind = entry.kind;
            return count(0);
        }
    if (verb == "type" || verb == "append") {
        action.kind = verb == "type" ? K::Type : K::Append;
        if (!count(1)) return false;
        action.text = args[0].text;
        return true;
    }
    if (verb == "pick" || verb == "tab") {
        action.kind = verb == "pick" ? K::Pick : K::Tab;
        if (!count(1)) return false;
        if (!Index(args[0], action.index)) action.text = args[0].text;
        return true;
    }
    if (verb == "node") {
        action.kind = K::Node;
        if (!count(1)) return false;
        action.text = args[0].text;
        return true;
    }
    if (verb == "key") {
        action.kind = K::Key;
        if (!count(1)) return false;
        if (ParseKey(args[0], action.keyCode, action.keyAscii)) return true;
        error = "unknown key " + args[0].text +
                " (Enter, Escape, Backspace, Tab, Space, \"c\" or a character code)";
        return false;
    }
    error = "unknown step " + std::string(verbText);
    return false;
}

std::string KeyWord(int16_t keyCode, int16_t keyAscii) {
    switch (keyAscii) {
    case vbKeyReturn: return "Enter";
    case vbKeyEscape: return "Escape";
    case vbKeyBack: return "Backspace";
    case vbKeyTab: return "Tab";
    case vbKeySpace: return "Space";
    default: break;
    }
    if (keyAscii > 32 && keyAscii < 127) return Quote(std::string(1, static_cast<char>(keyAscii)));
    return std::to_string(keyAscii != 0 ? keyAscii : keyCode);
}

} // namespace platform::forms::detail
