#pragma once
// Codes the backend generates for new records: the same requests on the same backend give the same
// codes. A code is the prefix, without "." "_" and blanks and cut to leave room, followed by the next
// number of the prefix's counter; at most `maxLength` characters; never one that `taken` reports.
#include <cstddef>
#include <functional>
#include <string>

#include "platform/middleware/Database.h"

namespace platform::middleware {

std::string GenerateCode(Database& db, const std::string& prefix, size_t maxLength,
                         const std::function<bool(const std::string&)>& taken);

} // namespace platform::middleware
