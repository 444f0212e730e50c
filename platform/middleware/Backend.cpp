#include "platform/middleware/Backend.h"

#include "platform/middleware/Errors.h"
#include "platform/middleware/Schema.h"

namespace platform::middleware {

std::optional<BackendConfig> MaintainedDefaultBackend() {
    auto config = FindBackend(DefaultBackendName());
    if (!config || !config->maintained) return std::nullopt;
    return config;
}

std::unique_ptr<Database> OpenBackendDatabase(const BackendConfig& config) {
    auto db = Database::Open(DatabasePath(config), false);
    EnsureSchema(*db);
    return db;
}

Session OpenDefaultBackend() {
    std::string name = TrimBlanks(DefaultBackendName());
    if (name.empty())
        throw Failure(failures::BackendNotAvailable,
                      "No default backend is maintained in the Meridane Adapter.");
    auto config = FindBackend(name);
    if (!config || !config->maintained)
        throw Failure(failures::BackendNotAvailable,
                      "The backend " + name + " is not maintained in the Meridane Adapter.");
    if (!config->started)
        throw Failure(failures::BackendNotAvailable,
                      "The business component " + name + " is not started in the backend server.");
    try {
        return Session{*config, OpenBackendDatabase(*config)};
    } catch (const DatabaseError& e) {
        throw Failure(failures::BackendNotAvailable,
                      "The database of the backend " + name + " cannot be opened: " + e.what());
    }
}

} // namespace platform::middleware
