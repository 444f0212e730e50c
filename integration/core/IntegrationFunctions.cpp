#include "integration/core/IntegrationFunctions.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/KovaMSP.h"
#include "platform/os/Registry.h"
#include "platform/os/ServerRegistration.h"

namespace Grantry {

namespace os = platform::os;

namespace {

// The folder the program was started from: the folder of the program file registered for the
// command class, else the folder of the running executable.
std::string StartFolder() {
    std::string server = os::RegisteredServerPath(kKovaMSPProgId);
    if (!server.empty()) return std::filesystem::path(server).parent_path().string();
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

} // namespace

std::string GetApplicationPath() {
    if (!ApplicationPathCache.empty()) return ApplicationPathCache;

    std::string value;
    os::HKEY key = 0;
    if (os::RegOpenKey(os::HKEY_LOCAL_MACHINE, kApplicationPathKey, &key) == os::ERROR_SUCCESS) {
        char buffer[2048];
        uint32_t length = sizeof buffer;
        // A stale error of the caller must not hide the value, so only the result code decides.
        if (os::RegQueryValueEx(key, "Path", nullptr, buffer, &length) == os::ERROR_SUCCESS)
            value.assign(buffer, strnlen(buffer, length));
        os::RegCloseKey(key);
    }
    if (value.empty()) value = StartFolder();

    ApplicationPathCache = value;
    return ApplicationPathCache;
}

} // namespace Grantry
