#pragma once
// The backend's tables: the whole ERP data model the data library reaches through the middleware.
// The version lives in the database's user_version; a backend made by an older stand-in is upgraded
// when it is opened, one made by a newer one is refused.
#include "platform/middleware/Database.h"

namespace platform::middleware {

inline constexpr int kSchemaVersion = 1;

// The release id a new backend reports.
inline constexpr const char* kDefaultReleaseId = "tt7.1_a";

int SchemaVersion(Database& db);
// Creates every table in an empty database and sets the version.
void CreateSchema(Database& db);
// Brings an opened backend to the current version; throws DatabaseError for an empty or newer one.
void EnsureSchema(Database& db);

} // namespace platform::middleware
