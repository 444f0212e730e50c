#pragma once
// Inside the form layer only: the words of a script line, shared by ScriptedUser's script files and
// TerminalUser's input lines.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/UserAction.h"

namespace platform::forms::detail {

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into bare words and double-quoted texts (escapes \" \\ \r \n \t \b \xNN). A "#" that
// starts a word and is not followed by a digit starts a comment. False, with the reason, on a bad line.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error);

// Whether `verb` names a user action (type, append, pick, tick, untick, choose, click, dblclick, tab,
// node, key, focus, close).
bool IsActionVerb(std::string_view verb);

// Builds the action of `verb` on `control` from the words after the target. False, with the reason,
// when the words do not fit the verb.
bool ParseAction(std::string_view verb, const std::string& control, const std::vector<Token>& args,
                 UserAction& action, std::string& error);

// A key as the scripts write it: Enter, Escape, Backspace, Tab, Space, a quoted character, or a
// character code (1 to 255).
std::string KeyWord(int16_t keyCode, int16_t keyAscii);

std::string Lower(std::string_view text);

} // namespace platform::forms::detail
