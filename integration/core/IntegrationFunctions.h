#pragma once
// Shared routines of the integration server's commands.
#include <string>

namespace Grantry {

// Where the installation records the program's folder (local machine, value "Path").
inline constexpr char kApplicationPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Grantry.exe";

// The folder of the installed program, exactly as the registry or the start folder gives it (no
// separator added or removed; callers append "/" and a name). Looked up once per process.
std::string GetApplicationPath();

} // namespace Grantry
