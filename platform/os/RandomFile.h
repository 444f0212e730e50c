#pragma once
// A random-access file of fixed-length records, numbered from 1, without a header. Failures are
// recorded in Err() with the runtime's numbers and the call returns false.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os/FixedRecord.h"

namespace platform::os {

enum class RandomAccess { ReadWrite, Read, Write };

class RandomFile {
public:
    RandomFile() = default;
    ~RandomFile() { Close(); }
    RandomFile(const RandomFile&) = delete;
    RandomFile& operator=(const RandomFile&) = delete;

    // ReadWrite and Write create a missing file; Read needs it to exist (53 otherwise).
    bool Open(const std::string& path, size_t recordLength, RandomAccess access = RandomAccess::ReadWrite);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Writes the record at the current position (the record after the one last read or written).
    bool Put(const FixedRecord& record);
    bool Put(int32_t recordNumber, const FixedRecord& record);
    // Reads the record at the current position. At the end of the file nothing is read, the buffer
    // keeps its bytes and the result is false (no error is recorded).
    bool Get(FixedRecord& record);
    bool Get(int32_t recordNumber, FixedRecord& record);

    // True when no whole record is left at the current position.
    bool Eof() const;
    // The file's length in bytes, and in whole records.
    int64_t Lof() const;
    int32_t RecordCount() const;

private:
    bool Usable(bool forWriting) const;
    int fd_ = -1;
    size_t length_ = 0;
    int64_t next_ = 1;
    RandomAccess access_ = RandomAccess::ReadWrite;
};

} // namespace platform::os
