#include "platform/automation/Error.h"

namespace platform::automation {

ErrObject& Err() {
    thread_local ErrObject record;
    return record;
}

void ErrObject::Clear() {
    Number = 0;
    Source.clear();
    Description.clear();
}

void ErrObject::Raise(int32_t number, std::string source, std::string description) {
    Number = number;
    Source = std::move(source);
    Description = description.empty() && number != 0 ? StandardErrorText(number) : std::move(description);
}

std::string StandardErrorText(int32_t number) {
    switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 48: return "Error in loading DLL";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 63: return "Bad record number";
    case 70: return "Permission denied";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 424: return "Object required";
    case 429: return "ActiveX component can't create object";
    case 432: return "File name or class name not found during Automation operation";
    case 438: return "Object doesn't support this property or method";
    case 448: return "Named argument not found";
    case 449: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    default: return "Application-defined or object-defined error";
    }
}

AutomationError::AutomationError(int32_t number_, std::string description_, std::string source_)
    : std::runtime_error(description_.empty() ? StandardErrorText(number_) : description_), number(number_),
      description(description_.empty() ? StandardErrorText(number_) : std::move(description_)),
      source(std::move(source_)) {}

} // namespace platform::automation
