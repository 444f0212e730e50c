#pragma once
// Backend administration: what the admin program and the tests use to make and fill backends.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Database.h"

namespace platform::middleware {

// Fills a new backend's database before it is registered (a seed); it may set the configuration's
// company number.
using FillBackend = std::function<void(BackendConfig& config, Database& db)>;

// Creates a backend: a new database file with the whole schema, filled by `fill`, (an existing file is
// replaced) and its entry in the adapter configuration; with `makeDefault` it becomes the default
// backend. When any of it fails nothing is changed: no file, no entry, the default as it was. Throws
// DatabaseError, or what `fill` throws.
BackendConfig CreateBackend(BackendConfig config, bool makeDefault, const FillBackend& fill = {});

// Loads a seed into a configured backend; when the backend has no company number yet it takes the
// seed's. Throws SeedError or DatabaseError.
BackendConfig SeedBackend(BackendConfig config, const nlohmann::json& seed);
BackendConfig SeedBackendFromFile(BackendConfig config, const std::filesystem::path& file);

// Rows per table, in table order.
std::vector<std::pair<std::string, int64_t>> TableCounts(Database& db);

} // namespace platform::middleware
