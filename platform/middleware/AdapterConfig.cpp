#include "platform/middleware/AdapterConfig.h"

#include "platform/middleware/Database.h"
#include "platform/os/KovaHome.h"
#include "platform/os/Registry.h"

namespace platform::middleware {

using namespace platform::os;

namespace {
std::string BackendKey(const std::string& name) {
    return std::string(kAdapterKey) + "\\Backends\\" + TrimBlanks(name);
}
} // namespace

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string DefaultBackendName() {
    std::string name;
    if (!RegistryGetString(HKEY_LOCAL_MACHINE, kAdapterKey, "DefaultBackend", name)) return {};
    return name;
}

namespace {

// A configuration that cannot be stored is an error of the caller's command, named after the registry.
void Stored(bool ok) {
    if (!ok) throw DatabaseError(RegistryLastProblem());
}

} // namespace

void SetDefaultBackendName(const std::string& rawName) {
    Stored(RegistrySetString(HKEY_LOCAL_MACHINE, kAdapterKey, "DefaultBackend", rawName));
}

std::optional<BackendConfig> FindBackend(const std::string& name) {
    std::string trimmed = TrimBlanks(name);
    if (trimmed.empty()) return std::nullopt;
    BackendConfig config;
    config.name = trimmed;
    // Read at one look at the registry: a manager is made for every call of the library.
    std::optional<uint32_t> maintained, started, company;
    if (!RegistryGetValues(HKEY_LOCAL_MACHINE, BackendKey(trimmed), {{"Database", &config.database}},
                           {{"Maintained", &maintained}, {"Started", &started}, {"CompanyNumber", &company}}))
        return std::nullopt;
    if (maintained) config.maintained = *maintained != 0;
    if (started) config.started = *started != 0;
    if (company) config.companyNumber = static_cast<int32_t>(*company);
    return config;
}

void SaveBackend(const BackendConfig& config) {
    std::string key = BackendKey(config.name);
    Stored(RegistrySetString(HKEY_LOCAL_MACHINE, key, "Database", config.database));
    Stored(RegistrySetDword(HKEY_LOCAL_MACHINE, key, "Maintained", config.maintained ? 1 : 0));
    Stored(RegistrySetDword(HKEY_LOCAL_MACHINE, key, "Started", config.started ? 1 : 0));
    Stored(RegistrySetDword(HKEY_LOCAL_MACHINE, key, "CompanyNumber", static_cast<uint32_t>(config.companyNumber)));
}

bool RemoveBackend(const std::string& name) {
    return RegistryDeleteTree(HKEY_LOCAL_MACHINE, BackendKey(name));
}

std::filesystem::path DatabasePath(const BackendConfig& config) {
    std::filesystem::path file = config.database.empty() ? config.name + ".db" : config.database;
    if (file.is_absolute()) return file;
    return KovaPath("erp", true) / file;
}

} // namespace platform::middleware
