#pragma once
// Test helpers: an environment variable set for the lifetime of the object, and a fresh, private
// machine folder for the lifetime of the object.
#include <filesystem>
#include <optional>
#include <string>

namespace platform::os {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv(); // the variable as it was
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

class TempKovaHome {
public:
    TempKovaHome();
    ~TempKovaHome();
    TempKovaHome(const TempKovaHome&) = delete;
    TempKovaHome& operator=(const TempKovaHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::optional<ScopedEnv> home_;
};

} // namespace platform::os
