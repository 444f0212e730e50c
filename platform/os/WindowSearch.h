#pragma once
// Finding a window by its title across the programs of the machine. Each program publishes the
// titles of its open windows as files under KOVA_HOME/windows/ ("<pid>-<n>", holding the title);
// an entry goes when its window closes, and entries of processes that have ended are ignored.
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform::os {

// A window title, published for as long as the object lives.
class PublishedWindow {
public:
    explicit PublishedWindow(const std::string& title);
    ~PublishedWindow();
    PublishedWindow(PublishedWindow&& other) noexcept;
    PublishedWindow& operator=(PublishedWindow&& other) noexcept;
    PublishedWindow(const PublishedWindow&) = delete;
    PublishedWindow& operator=(const PublishedWindow&) = delete;

    // A window whose caption changes keeps one entry.
    void SetTitle(const std::string& title);

private:
    std::filesystem::path entry_;
};

// True when a running program has a window with exactly this title.
bool FindWindow(const std::string& title);

} // namespace platform::os
