#pragma once
// The charge-element cache file beside the plan (".bce"): the ERP's structure in a fixed layout,
// written after every read of the structure and read back before it is applied to the plan. Its
// record order is the order in which the elements are applied: stand-alone milestones first, then the
// others in the ERP's order, every element after its parent.
//
// Records of 126 bytes from record 1, no header, no end record; text in Windows-1252, blank-padded
// and cut at the field width; integers 16-bit signed little-endian (-1 true, 0 false).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dataobjects/KovaCE.h"
#include "platform/os/FixedRecord.h"

namespace Grantry {

struct ChargeElementRecord {
    static constexpr size_t kLength = 126;
    static constexpr platform::os::RecordField Code{0, 8};
    static constexpr platform::os::RecordField Description{8, 50};
    static constexpr platform::os::RecordField Connectable{58, 2};
    static constexpr platform::os::RecordField Milestone{60, 2};
    static constexpr platform::os::RecordField Parent{62, 8};
    static constexpr platform::os::RecordField OBSelement{70, 8};
    static constexpr platform::os::RecordField CEType{78, 1};
    static constexpr platform::os::RecordField Start{79, 14};     // "yyyymmddhhmmss"
    static constexpr platform::os::RecordField Finish{93, 14};    // same
    static constexpr platform::os::RecordField Duration{107, 19}; // whole days as text; never read back
};

// A record's code. Every code made, changed, moved or let go anywhere is counted, so that what was
// worked out from the codes of the records (the look-up of deleted codes) knows whether it still holds,
// however the records were changed since. It reads as the text it holds.
class RecordCode {
public:
    RecordCode() { ++changes_; }
    RecordCode(std::string text) : text_(std::move(text)) { ++changes_; }
    RecordCode(const char* text) : text_(text) { ++changes_; }
    RecordCode(const RecordCode& other) : text_(other.text_) { ++changes_; }
    RecordCode(RecordCode&& other) noexcept : text_(std::move(other.text_)) { ++changes_; }
    RecordCode& operator=(const RecordCode& other) {
        ++changes_;
        text_ = other.text_;
        return *this;
    }
    RecordCode& operator=(RecordCode&& other) noexcept {
        ++changes_;
        text_ = std::move(other.text_);
        return *this;
    }
    RecordCode& operator=(std::string text) {
        ++changes_;
        text_ = std::move(text);
        return *this;
    }
    RecordCode& operator=(const char* text) {
        ++changes_;
        text_ = text;
        return *this;
    }
    ~RecordCode() { ++changes_; }

    operator const std::string&() const { return text_; }
    bool empty() const { return text_.empty(); }
    friend bool operator==(const RecordCode& a, const char* b) { return a.text_ == b; }
    friend std::ostream& operator<<(std::ostream& out, const RecordCode& code) { return out << code.text_; }

    // How many codes were made, changed, moved or let go so far in this process.
    static uint64_t Changes() { return changes_; }

private:
    std::string text_;
    static inline uint64_t changes_ = 0;
};

// One record as read back, its texts as stored (padding included, except the trimmed code).
struct ChargeElementEntry {
    RecordCode code;
    std::string description;
    int16_t connectable = 0;
    int16_t milestone = 0;
    std::string parent;
    std::string obsElement;
    std::string ceType;
    std::string start;
    std::string finish;
};

// The structure of the current run: the record count set by the writer, and the records read back
// with one change flag each. records[i - 1] is record i; an unreadable or uncoded record stays empty.
// The count is held in 32 bits: a structure of more than 32,767 elements is in the plan whole, and
// a count cut to 16 bits would make the elements past it look deleted in the ERP.
struct ChargeElementTable {
    int32_t recordCount = 0;
    std::vector<std::optional<ChargeElementEntry>> records;
    std::vector<bool> changed;
    // Whether the last write put every record, and the last read found the file of that many records
    // and read each. A cache that fails either says nothing about what the ERP removed.
    bool written = false;
    bool loaded = false;
};
ChargeElementTable& ChargeElements();

// Rewrites the plan's cache file from CurrentProjectData's structure and sets the record count. The
// record buffer is cleared once at the start, so a field a record does not set keeps what the record
// before left there (zero bytes for the first ones). Failures are not reported; Err() is left clear.
void WriteChargeElementFile();
// Reads records 1 to the record count into the table and sizes the change flags (all false).
void LoadChargeElementFile();
// True when no record of the table carries `code` (both trimmed, letter case counting).
bool IsChargeElementDeletedInKova(const std::string& code);

// The record's fields from a `KovaCE` as the first transfer stores them: code, description,
// connectable, milestone (from the type), parent and type. The other fields are left as they are.
void FillChargeElementRecord(const KovaDataObjects::KovaCE& ce, platform::os::FixedRecord& record);

} // namespace Grantry
