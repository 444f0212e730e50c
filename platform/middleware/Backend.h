#pragma once
// Opening the default backend as the adapter configuration gives it, with the middleware's own failures
// when it cannot be used.
#include <memory>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Database.h"

namespace platform::middleware {

struct Session {
    BackendConfig config;
    std::unique_ptr<Database> db;
};

// The default backend, checked and opened. Throws the middleware failure (failures::BackendNotAvailable)
// when none is set, it is not maintained or not started, or its database cannot be opened.
Session OpenDefaultBackend();

// The default backend's configuration when one is set and maintained (started or not).
std::optional<BackendConfig> MaintainedDefaultBackend();

// Opens a backend's database for the admin side (no started check); throws DatabaseError.
std::unique_ptr<Database> OpenBackendDatabase(const BackendConfig& config);

} // namespace platform::middleware
