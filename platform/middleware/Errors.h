#pragma once
// The middleware's own failures: numbers and texts as the adapter reports them. Descriptions carry the
// reason between "<MessageDescription>" markers, so that callers which reduce middleware texts keep it.
#include <cstdint>
#include <string>

#include "platform/automation/Error.h"

namespace platform::middleware {

namespace failures {
// No usable default backend: none set, not maintained, not started, or its database cannot be opened.
inline constexpr int32_t BackendNotAvailable = 1001;
// A project, plan, record or other key that the backend does not hold.
inline constexpr int32_t NotFound = 1002;
// The backend refuses a change (validation, duplicate, rule).
inline constexpr int32_t Refused = 1003;
// A paged request with a call id that no open list has.
inline constexpr int32_t InvalidCallId = 1004;
// The backend database failed.
inline constexpr int32_t DatabaseFailure = 1005;
// nextelement past the end, an element index out of range.
inline constexpr int32_t NoSuchElement = 1006;
// A member that this object knows but does not offer in this form (Add on a read-only manager).
inline constexpr int32_t NotSupported = 1007;
} // namespace failures

// "Meridane adapter: <MessageDescription>text</MessageDescription>"
std::string MessageDescription(const std::string& text);

// The exception stand-in objects throw; the late-bound call records it in Err().
platform::automation::AutomationError Failure(int32_t number, const std::string& text);

} // namespace platform::middleware
