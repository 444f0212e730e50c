#include "integration/core/GlobalDeclarations.h"

#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "platform/msproject/Application.h"

namespace Grantry {

std::shared_ptr<platform::msproject::Application> MSProjectApplication;
std::shared_ptr<KovaDataObjects::KovaProjectData> CurrentProjectData;
std::shared_ptr<KovaDataObjects::KovaConnection> CurrentConnection;
std::string BOIConnector;
std::string LogFilePath;

std::string ApplicationPathCache;

} // namespace Grantry
