#pragma once
// The process's pool of backend connections: a manager's session takes one when it starts and gives it
// back when the manager goes, so that thousands of manager calls do not each open the database and
// read its schema, as the middleware's pooled objects do not.
#include <filesystem>
#include <memory>

#include "platform/middleware/Database.h"

namespace platform::middleware {

// An idle connection to the database file, if one was given back since the file was last replaced or
// changed outside the connections' log; else null.
std::unique_ptr<Database> TakePooledConnection(const std::filesystem::path& path);
// Keeps the connection for the next session (any open transaction rolled back), a few per file.
void GiveBackConnection(std::unique_ptr<Database> db);

} // namespace platform::middleware
