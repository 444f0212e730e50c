#include "platform/os/KovaHome.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <vector>
#include <sstream>
#include <unistd.h>

namespace platform::os {

std::filesystem::path KovaHome() {
    std::filesystem::path home;
    if (const char* env = std::getenv("KOVA_HOME"); env && *env) {
        home = env;
    } else {
        const char* user = std::getenv("HOME");
        home = std::filesystem::path(user && *user ? user : "/tmp") / ".kova";
    }
    std::error_code ec;
    // The folder's paths are stored (the program's App Paths among them) and read by programs started
    // elsewhere: a relative folder names it from the working folder of this process only.
    if (home.is_relative()) {
        const auto full = std::filesystem::absolute(home, ec);
        if (!ec) home = full;
    }
    home = home.lexically_normal();
    if (home.has_relative_path() && home.filename().empty()) home = home.parent_path(); // no trailing "/"
    std::filesystem::create_directories(home, ec);
    return home;
}

std::filesystem::path KovaPath(const std::string& relative, bool create) {
    auto path = KovaHome() / relative;
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
    }
    return path;
}

namespace {

// Temporary files of writes that were cut short (the writer was killed) are "NAME.tmp.PID" with a
// process that is gone.
void RemoveStaleTemporaries(const std::filesystem::path& path) {
    std::error_code ec;
    const std::string prefix = path.filename().string() + ".tmp.";
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(digits));
        if (pid != ::getpid() && (::kill(pid, 0) == 0 || errno != ESRCH)) continue; // still writing
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    // A file made read-only is not replaced, whoever runs the program.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    RemoveStaleTemporaries(path);
    auto temp = path;
    temp += ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // On disk before it replaces the old file: a crash leaves the old file or the whole new one.
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        std::filesystem::rename(temp, path, ec);
        ok = !ec;
        error = ec.value();
    }
    if (!ok) {
        std::filesystem::remove(temp, ec);
        errno = error;
        return false;
    }
    // The rename itself is made durable with the folder.
    int dir = ::open(path.has_parent_path() ? path.parent_path().c_str() : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Program files of a hundred megabytes are read too: in large pieces, into room made once.
    std::string data;
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec) data.reserve(size);
    std::vector<char> piece(1 << 20);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0)
        data.append(piece.data(), static_cast<size_t>(in.gcount()));
    if (in.bad()) return false;
    bytes = std::move(data);
    return true;
}

} // namespace platform::os
