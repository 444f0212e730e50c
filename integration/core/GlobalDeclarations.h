#pragma once
// Program-wide values of the integration server, shared by every command of the process.
#include <string>

namespace Grantry {

// The title of a message box that names none of its own.
inline constexpr char kProgramTitle[] = "KovaProject - MsProject Integration";

// The program's folder as GetApplicationPath found it; looked up once, then kept for the process.
extern std::string ApplicationPathCache;

} // namespace Grantry
