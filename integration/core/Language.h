#pragma once
// The planning program's own words in the language of its user interface: the comparison word that
// Find expects (indexes 1 to 11) and, at index 12, the word for "Yes". The language is found once per
// process from the language folders of the program's installation.
#include <cstdint>
#include <string>

namespace Grantry {

// The installation's own registration, and this program's copy of the program folder.
inline constexpr char kWinprojAppPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WINPROJ.EXE";
inline constexpr char kWinprojOwnKey[] = "SOFTWARE\\Kova\\Grantry\\WINPROJ.EXE";

// The word at `index` (0 to 13; 0 and 13 are empty) in the detected language, "" when the language is
// not recognised (the user is told once per process). An index outside 0 to 13 records error 9.
std::string GetFilterTestText(int16_t index);
// The LCID whose language folder holds GLOBAL.MPT (1033, 1043, 1031, 1040, 1034, 3082 probed in that
// order), or 0.
int16_t DetectProjectLanguage();
// The planning program's folder, ending with "/": from its registration, else from this program's
// copy, else asked of the running program (and stored).
std::string GetWinprojPath();
// Asks the running planning program for its folder, stores it in this program's copy and returns it.
std::string SaveWinprojPath();

// Forgets what the process has learnt (language, words, warning, folder), as a new process would.
void ResetLanguageState();

} // namespace Grantry
