#include "platform/middleware/Errors.h"

namespace platform::middleware {

std::string MessageDescription(const std::string& text) {
    return "Meridane adapter: <MessageDescription>" + text + "</MessageDescription>";
}

platform::automation::AutomationError Failure(int32_t number, const std::string& text) {
    return platform::automation::AutomationError(number, MessageDescription(text));
}

} // namespace platform::middleware
