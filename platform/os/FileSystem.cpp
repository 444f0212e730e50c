#include "platform/os/FileSystem.h"

#include "platform/automation/Error.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

namespace errors = platform::automation::errors;
using platform::automation::Err;

namespace {

bool IsFile(const std::string& path, struct stat* st = nullptr) {
    struct stat local;
    if (!st) st = &local;
    return !path.empty() && ::stat(path.c_str(), st) == 0 && !S_ISDIR(st->st_mode);
}

bool Fail(int32_t number) {
    Err().Raise(number);
    return false;
}

} // namespace

bool Kill(const std::string& path) {
    if (!IsFile(path)) return Fail(errors::FileNotFound);
    if (::unlink(path.c_str()) != 0) return Fail(errors::PathFileAccessError);
    return true;
}

bool DeleteFile(const std::string& path) {
    return IsFile(path) && ::unlink(path.c_str()) == 0;
}

bool MkDir(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    return Fail(errno == ENOENT || errno == ENOTDIR ? errors::PathNotFound : errors::PathFileAccessError);
}

bool RmDir(const std::string& path) {
    if (::rmdir(path.c_str()) == 0) return true;
    return Fail(errno == ENOENT || errno == ENOTDIR ? errors::PathNotFound : errors::PathFileAccessError);
}

std::string Dir(const std::string& path) {
    if (!IsFile(path)) return {};
    return std::filesystem::path(path).filename().string();
}

bool FileExists(const std::string& path) {
    return IsFile(path);
}

int64_t FileLen(const std::string& path) {
    struct stat st;
    if (!IsFile(path, &st)) {
        Fail(errors::FileNotFound);
        return 0;
    }
    return st.st_size;
}

} // namespace platform::os
