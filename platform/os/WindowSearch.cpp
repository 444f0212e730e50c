#include "platform/os/WindowSearch.h"

#include "platform/os/KovaHome.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace platform::os {

namespace {

std::atomic<unsigned> gNextWindow{1};

// A process that ended but was not reaped yet still answers kill(); its state in /proc tells.
bool ProcessAlive(pid_t pid) {
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

} // namespace

PublishedWindow::PublishedWindow(const std::string& title)
    : entry_(KovaPath("windows", true) / (std::to_string(::getpid()) + "-" + std::to_string(gNextWindow++))) {
    SetTitle(title);
}

PublishedWindow::~PublishedWindow() {
    std::error_code ec;
    if (!entry_.empty()) std::filesystem::remove(entry_, ec);
}

PublishedWindow::PublishedWindow(PublishedWindow&& other) noexcept : entry_(std::move(other.entry_)) {
    other.entry_.clear();
}

PublishedWindow& PublishedWindow::operator=(PublishedWindow&& other) noexcept {
    if (this != &other) {
        std::error_code ec;
        if (!entry_.empty()) std::filesystem::remove(entry_, ec);
        entry_ = std::move(other.entry_);
        other.entry_.clear();
    }
    return *this;
}

void PublishedWindow::SetTitle(const std::string& title) {
    if (!entry_.empty()) WriteFileAtomically(entry_, title);
}

bool FindWindow(const std::string& title) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(KovaPath("windows"), ec)) {
        const std::string name = entry.path().filename().string();
        size_t dash = name.find('-');
        if (dash == std::string::npos || name.find(".tmp.") != std::string::npos) continue;
        pid_t pid = static_cast<pid_t>(std::atol(name.substr(0, dash).c_str()));
        if (!ProcessAlive(pid)) continue;
        std::string published;
        if (ReadWholeFile(entry.path(), published) && published == title) return true;
    }
    return false;
}

} // namespace platform::os
