#pragma once
// How the planning program is installed on the machine: its user-interface language and its version.
// kova-setup records both in the planning program's own registry key; the host reads them when it
// starts the running instance, so that Application.Version and the language probe agree with the
// program file and the template folder that kova-setup laid out.
#include <cstdint>
#include <string>

namespace winproj {

// Under HKEY_LOCAL_MACHINE: "UILanguage" (REG_DWORD, an LCID) and "Version" (REG_SZ, "11.0").
inline constexpr char kSettingsKey[] = "SOFTWARE\\Microsoft\\Office\\MS Project\\Install";
// The planning program's App Paths entry: (default) = the program file, "Path" = its folder.
inline constexpr char kProgramAppPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WINPROJ.EXE";

struct MachineSettings {
    int32_t uiLanguage = 1033;
    std::string version = "11.0"; // major.minor, as Application.Version gives it
};

// What the machine folder records; each value that is missing or unreadable keeps its default.
MachineSettings ReadMachineSettings();
// False when the registry could not be written.
bool WriteMachineSettings(const MachineSettings& settings);
// Whether kova-setup laid out the machine folder: the planning program is registered there.
bool MachineIsLaidOut();

} // namespace winproj
