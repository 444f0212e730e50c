#pragma once
// Which planning program the installer works with: where its program file lies and the major number
// of the file's version.
#include <cstdint>
#include <string>

namespace Tolvane {

// Registry places of the program folder: the App Paths entry of the program file, and the
// integration's own key that remembers the folder once the program has told it.
inline constexpr char kWinprojAppPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WINPROJ.EXE";
inline constexpr char kWinprojOwnKey[] = "SOFTWARE\\Kova\\Grantry\\WINPROJ.EXE";

// The major version of the program file; 0 when the file is missing or carries no version.
int16_t GetWinprojVersion();
// Full path of the program file: its folder from the registry (or from the program itself) and
// "WinProj.exe".
std::string GetWinprojPathForInstall();
// The program folder as the running program reports it, with a final "/"; also remembered under the
// integration's own key.
std::string GetWinprojPathFromApplication();
// The upper and lower 16 bits of the value, read as signed 16-bit numbers.
int32_t HiWord(int32_t dwValue);
int32_t LoWord(int32_t dwValue);

} // namespace Tolvane
