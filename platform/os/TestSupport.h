#pragma once
// Test helper: a fresh, private machine folder for the lifetime of the object.
#include <filesystem>
#include <string>

namespace platform::os {

class TempKovaHome {
public:
    TempKovaHome();
    ~TempKovaHome();
    TempKovaHome(const TempKovaHome&) = delete;
    TempKovaHome& operator=(const TempKovaHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace platform::os
