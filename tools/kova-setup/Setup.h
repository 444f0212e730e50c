#pragma once
// Lays out a machine folder (KOVA_HOME) as a Windows machine has it after the planning program and
// the integration's files were installed:
//   msproject/WinProj.exe          a copy of the host program, stamped with the planning program's version
//   msproject/<LCID>/GLOBAL.MPT    the global template with the planning program's built-ins (an
//                                  existing template is kept, with whatever was installed into it)
//   kova/Grantry.exe               a copy of the integration's program, when it has been built
//   HKLM App Paths WINPROJ.EXE and Grantry.exe: (default) = the program file, "Path" = its folder
//   HKLM the planning program's settings (MachineSettings.h): its UI language and version
//   HKCR the registration of Grantry.exe's class KovaMSP
// Running it again lays out the same folder. The version and language not given keep what the
// machine has (the version of its WinProj.exe, its recorded language), else 11.0.0.0 and 1033.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/FileVersion.h"

namespace kova_setup {

struct SetupOptions {
    std::optional<int32_t> uiLanguage;
    std::optional<platform::os::FileVersion> version;
};

// "12", "12.0", "12.0.0.0": missing parts are 0. False on anything else.
bool ParseVersion(const std::string& text, platform::os::FileVersion& version);

// Lays out KovaHome(); false, after saying why on `err`, when a step failed.
bool LayOutMachine(const SetupOptions& options, std::ostream& out, std::ostream& err);

//   kova-setup [--home DIR] [--language LCID] [--version MAJOR.MINOR[.BUILD[.REVISION]]]
// 0 done, 1 a step failed, 2 a wrong command line.
int RunProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kova_setup
