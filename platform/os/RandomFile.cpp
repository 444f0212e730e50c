#include "platform/os/RandomFile.h"

#include "platform/automation/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

namespace errors = platform::automation::errors;
using platform::automation::Err;

namespace {
constexpr int32_t kBadRecordLength = 59;
constexpr int32_t kBadRecordNumber = 63;
} // namespace

bool RandomFile::Open(const std::string& path, size_t recordLength, RandomAccess access) {
    if (IsOpen()) {
        Err().Raise(errors::FileAlreadyOpen);
        return false;
    }
    if (recordLength == 0) {
        Err().Raise(kBadRecordLength, {}, "Bad record length");
        return false;
    }
    int flags = access == RandomAccess::Read ? O_RDONLY : access == RandomAccess::Write ? O_WRONLY : O_RDWR;
    if (access != RandomAccess::Read) flags |= O_CREAT;
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        int error = errno;
        std::error_code ec;
        auto folder = std::filesystem::path(path).parent_path();
        bool folderExists = folder.empty() || std::filesystem::is_directory(folder, ec);
        Err().Raise(error == ENOENT && folderExists       ? errors::FileNotFound
                    : error == ENOENT || error == ENOTDIR ? errors::PathNotFound
                                                          : errors::PathFileAccessError);
        return false;
    }
    fd_ = fd;
    length_ = recordLength;
    next_ = 1;
    access_ = access;
    return true;
}

void RandomFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool RandomFile::Usable(bool forWriting) const {
    if (!IsOpen()) {
        Err().Raise(errors::BadFileNameOrNumber);
        return false;
    }
    if (access_ == (forWriting ? RandomAccess::Read : RandomAccess::Write)) {
        Err().Raise(errors::BadFileMode);
        return false;
    }
    return true;
}

bool RandomFile::Put(const FixedRecord& record) {
    return Put(static_cast<int32_t>(next_), record);
}

bool RandomFile::Put(int32_t recordNumber, const FixedRecord& record) {
    if (!Usable(true)) return false;
    if (recordNumber < 1) {
        Err().Raise(kBadRecordNumber, {}, "Bad record number");
        return false;
    }
    if (record.Length() > length_) {
        Err().Raise(kBadRecordLength, {}, "Bad record length");
        return false;
    }
    off_t at = static_cast<off_t>(recordNumber - 1) * static_cast<off_t>(length_);
    const std::string& bytes = record.Bytes();
    if (::pwrite(fd_, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size())) {
        Err().Raise(57); // Device I/O error
        return false;
    }
    next_ = int64_t(recordNumber) + 1;
    return true;
}

bool RandomFile::Get(FixedRecord& record) {
    return Get(static_cast<int32_t>(next_), record);
}

bool RandomFile::Get(int32_t recordNumber, FixedRecord& record) {
    if (!Usable(false)) return false;
    if (recordNumber < 1) {
        Err().Raise(kBadRecordNumber, {}, "Bad record number");
        return false;
    }
    if (record.Length() > length_) {
        Err().Raise(kBadRecordLength, {}, "Bad record length");
        return false;
    }
    next_ = int64_t(recordNumber) + 1;
    if (recordNumber > RecordCount()) return false;
    std::string bytes(record.Length(), '\0');
    off_t at = static_cast<off_t>(recordNumber - 1) * static_cast<off_t>(length_);
    if (::pread(fd_, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size())) return false;
    record.Bytes() = std::move(bytes);
    return true;
}

bool RandomFile::Eof() const {
    return !IsOpen() || next_ > RecordCount();
}

int64_t RandomFile::Lof() const {
    struct stat st;
    if (!IsOpen() || ::fstat(fd_, &st) != 0) return 0;
    return st.st_size;
}

int32_t RandomFile::RecordCount() const {
    return length_ ? static_cast<int32_t>(Lof() / static_cast<int64_t>(length_)) : 0;
}

} // namespace platform::os
