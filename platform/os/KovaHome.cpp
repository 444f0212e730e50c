#include "platform/os/KovaHome.h"

#include <cstdlib>
#include <fstream>
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

bool WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    auto temp = path;
    temp += ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return true;
}

} // namespace platform::os
