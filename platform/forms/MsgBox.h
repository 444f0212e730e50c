#pragma once
// Message boxes and text prompts. Both are answered by the installed user driver (UserDriver.h) and
// recorded in its transcript; a box is always modal.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/Constants.h"

namespace platform::forms {

// A box as the user sees it.
struct MsgBoxSpec {
    std::string prompt;
    std::string title; // the program title when the caller gave none
    int32_t flags = vbOKOnly;

    int32_t Buttons() const { return flags & 7; }
    int32_t Icon() const { return flags & 0x70; }
    int DefaultButton() const { return ((flags >> 8) & 3) + 1; } // 1-based position
    bool Foreground() const { return (flags & vbMsgBoxSetForeground) != 0; }
    // The answers of the buttons, left to right ({vbYes, vbNo} for vbYesNo).
    std::vector<int32_t> Answers() const;
    int32_t DefaultAnswer() const;
    // The answer that backs out: Cancel, else No, else the last button (OK of an OK box).
    int32_t BackOutAnswer() const;
};

// Shows a box and returns the answer (vbOK, vbCancel, vbYes, vbNo, ...). An empty title shows the
// program title. Invalid button flags record error 5 and return 0; so does a box that no user can
// answer (error errors::NoUser) because no driver is installed.
int32_t MsgBox(std::string_view prompt, int32_t buttons = vbOKOnly, std::string_view title = {});

// Asks the user for a line of text; std::nullopt when the user cancels (or no driver is installed,
// which records errors::NoUser). The host answers the planning program's own prompts through it.
std::optional<std::string> AskText(std::string_view prompt, std::string_view title = {});

// The prompt text of the planning program's Save As dialog for a plan that was never saved; a script's
// "saveas" step answers exactly this prompt.
inline constexpr std::string_view SaveAsPrompt = "Save As";

// The title shown by boxes that give none; each program sets its own. Returns the previous title.
std::string SetProgramTitle(std::string title);
const std::string& ProgramTitle();

// Names used in transcripts and scripts: "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No".
std::string AnswerName(int32_t answer);
// Case-insensitive inverse of AnswerName; 0 for an unknown word.
int32_t AnswerFromName(std::string_view name);
// "Critical", "Question", "Exclamation", "Information", or "" for no icon.
std::string IconName(int32_t icon);
// "OKOnly", "OKCancel", "AbortRetryIgnore", "YesNoCancel", "YesNo", "RetryCancel".
std::string ButtonsName(int32_t buttons);

} // namespace platform::forms
