#include "platform/os/FixedRecord.h"

#include "platform/automation/Error.h"
#include "platform/os/Windows1252.h"

namespace platform::os {

using platform::automation::Err;

bool FixedRecord::Fits(size_t offset, size_t width) const {
    if (offset <= bytes_.size() && width <= bytes_.size() - offset) return true;
    Err().Raise(platform::automation::errors::SubscriptOutOfRange);
    return false;
}

void FixedRecord::SetText(RecordField field, std::string_view utf8) {
    if (!Fits(field.offset, field.width)) return;
    std::string text = Utf8ToWindows1252(utf8);
    text.resize(field.width, ' ');
    bytes_.replace(field.offset, field.width, text);
}

std::string FixedRecord::Text(RecordField field) const {
    if (!Fits(field.offset, field.width)) return {};
    return Windows1252ToUtf8(std::string_view(bytes_).substr(field.offset, field.width));
}

void FixedRecord::SetInteger(RecordField field, int16_t value) {
    if (!Fits(field.offset, 2)) return;
    auto bits = static_cast<uint16_t>(value);
    bytes_[field.offset] = static_cast<char>(bits & 0xFF);
    bytes_[field.offset + 1] = static_cast<char>(bits >> 8);
}

int16_t FixedRecord::Integer(RecordField field) const {
    if (!Fits(field.offset, 2)) return 0;
    auto low = static_cast<unsigned char>(bytes_[field.offset]);
    auto high = static_cast<unsigned char>(bytes_[field.offset + 1]);
    return static_cast<int16_t>(static_cast<uint16_t>(high << 8 | low));
}

} // namespace platform::os
