#include "platform/os/Process.h"

#include "platform/automation/Error.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform::os {

using platform::automation::Err;

namespace {

std::vector<std::string> SplitBlanks(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string ConfiguredViewer() {
    for (const char* name : {"KOVA_LOG_VIEWER", "VISUAL", "EDITOR"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return {};
}

} // namespace

int32_t StartProgram(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty()) {
        Err().Raise(platform::automation::errors::FileNotFound);
        return 0;
    }
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        Err().Raise(platform::automation::errors::FileNotFound);
        return 0;
    }
    // One small waiter per child instead of a SIGCHLD handler, which would take the exit status away
    // from any other code of the process that waits for its own children.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return static_cast<int32_t>(pid);
}

int32_t StartLogViewer(const std::string& path) {
    std::vector<std::string> argv = SplitBlanks(ConfiguredViewer());
    if (argv.empty()) {
        Err().Raise(platform::automation::errors::FileNotFound);
        return 0;
    }
    argv.push_back(path);
    return StartProgram(argv);
}

bool AppActivate(int32_t taskId) {
    return taskId > 0 && (::kill(taskId, 0) == 0 || errno == EPERM);
}

} // namespace platform::os
