#include "platform/middleware/Codes.h"

#include <stdexcept>

#include "platform/automation/Variant.h"

namespace platform::middleware {

using platform::automation::Variant;

std::string GenerateCode(Database& db, const std::string& prefix, size_t maxLength,
                         const std::function<bool(const std::string&)>& taken) {
    std::string clean;
    for (char c : prefix)
        if (c != '.' && c != '_' && c != ' ') clean += c;
    if (clean.empty()) clean = "CE";
    Variant stored = db.Scalar("SELECT next FROM code_counter WHERE prefix = ?", {clean});
    int64_t next = stored.IsEmpty() ? 1 : platform::automation::CLng(stored);
    for (;; ++next) {
        std::string number = std::to_string(next);
        if (number.size() >= maxLength) throw DatabaseError("no code left for the prefix " + clean);
        std::string code = clean.substr(0, maxLength - number.size()) + number;
        if (taken && taken(code)) continue;
        db.Run("INSERT INTO code_counter(prefix, next) VALUES (?, ?) "
               "ON CONFLICT(prefix) DO UPDATE SET next = excluded.next",
               {clean, Variant(static_cast<int32_t>(next + 1))});
        return code;
    }
}

} // namespace platform::middleware
