#pragma once
// The buffer of one fixed-length record of a random-access file. Text fields hold Windows-1252, one
// byte per character, blank-padded on the right and cut at their width; integer fields hold 16-bit
// signed little-endian numbers. The buffer is not cleared between writes: a field that is not set
// again keeps what the previous record left in it, which the side-file writers rely on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::os {

struct RecordField {
    size_t offset;
    size_t width;
};

class FixedRecord {
public:
    // A record of `length` zero bytes.
    explicit FixedRecord(size_t length) : bytes_(length, '\0') {}

    // Converts `utf8` to Windows-1252 first, then pads or cuts it to the field width, so a character is
    // never cut in two. A field outside the record records error 9 and changes nothing.
    void SetText(RecordField field, std::string_view utf8);
    // The field's text in UTF-8, padding included.
    std::string Text(RecordField field) const;
    // Integer fields are two bytes wide; the field's width is not consulted.
    void SetInteger(RecordField field, int16_t value);
    int16_t Integer(RecordField field) const;

    size_t Length() const { return bytes_.size(); }
    const std::string& Bytes() const { return bytes_; }
    std::string& Bytes() { return bytes_; }

private:
    bool Fits(size_t offset, size_t width) const;
    std::string bytes_;
};

} // namespace platform::os
