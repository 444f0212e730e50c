#include "platform/os/TestSupport.h"

#include <cstdlib>
#include <stdexcept>

namespace platform::os {

TempKovaHome::TempKovaHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kova-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
    if (const char* env = std::getenv("KOVA_HOME")) {
        previous_ = env;
        hadPrevious_ = true;
    }
    ::setenv("KOVA_HOME", path_.c_str(), 1);
}

TempKovaHome::~TempKovaHome() {
    if (hadPrevious_)
        ::setenv("KOVA_HOME", previous_.c_str(), 1);
    else
        ::unsetenv("KOVA_HOME");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace platform::os
