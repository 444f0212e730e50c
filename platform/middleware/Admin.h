#pragma once
// Backend administration: what the admin program and the tests use to make and fill backends.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Database.h"

namespace platform::middleware {

// Creates a backend: a new database file with the whole schema (an existing file is replaced) and its
// entry in the adapter configuration; with `makeDefault` it becomes the default backend. Throws
// DatabaseError.
BackendConfig CreateBackend(BackendConfig config, bool makeDefault);

// Loads a seed into a configured backend; when the backend has no company number yet it takes the
// seed's. Throws SeedError or DatabaseError.
BackendConfig SeedBackend(BackendConfig config, const nlohmann::json& seed);
BackendConfig SeedBackendFromFile(BackendConfig config, const std::filesystem::path& file);

// Rows per table, in table order.
std::vector<std::pair<std::string, int64_t>> TableCounts(Database& db);

} // namespace platform::middleware
