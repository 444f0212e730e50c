#pragma once
// Program-wide values of the integration server, shared by every command of the process. A command
// fills the command objects at its start and empties them at its end, so nothing of one command
// survives into the next; what must last lives in the plan and in its side files.
#include <memory>
#include <string>

#include "platform/automation/Object.h"

namespace platform::msproject {
class Application;
}
namespace KovaDataObjects {
class KovaConnection;
class KovaProjectData;
} // namespace KovaDataObjects

namespace Grantry {

// The title of a message box that names none of its own.
inline constexpr char kProgramTitle[] = "KovaProject - MsProject Integration";
// The usual title of the program's boxes, and the one of the connection failures.
inline constexpr char kMessageTitle[] = "Kova Project - MsProject Integration";
inline constexpr char kConnectionTitle[] = "Kova Project - MS Project Integration";

// The running planning program, attached by the command for its length.
extern std::shared_ptr<platform::msproject::Application> MSProjectApplication;
// The command's project record.
extern std::shared_ptr<KovaDataObjects::KovaProjectData> CurrentProjectData;
// The command's ERP connection.
extern std::shared_ptr<KovaDataObjects::KovaConnection> CurrentConnection;
// The connector string passed first to every data call; "" after a failed check.
extern std::string BOIConnector;
// The path of the running command's plan log.
extern std::string LogFilePath;

// The program's folder as GetApplicationPath found it; looked up once, then kept for the process.
extern std::string ApplicationPathCache;

} // namespace Grantry
