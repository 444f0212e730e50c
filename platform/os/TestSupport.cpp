#include "platform/os/TestSupport.h"

#include <cstdlib>
#include <stdexcept>

namespace platform::os {

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* env = std::getenv(name)) previous_ = env;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (previous_)
        ::setenv(name_.c_str(), previous_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

TempKovaHome::TempKovaHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kova-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
    home_.emplace("KOVA_HOME", path_.string());
}

TempKovaHome::~TempKovaHome() {
    home_.reset();
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace platform::os
