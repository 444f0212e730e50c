#pragma once
// Starting other programs. Arguments travel as a list straight to the program, never through a
// shell, so blanks and shell characters in them (a log path, say) arrive unchanged. The caller does
// not wait; a started program is reaped when it ends, so none is left behind as a zombie.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::os {

// Starts argv[0] (looked up in PATH) with the arguments; returns its task id (the process id), or 0
// with error 53 "File not found" recorded when it cannot be started.
int32_t StartProgram(const std::vector<std::string>& argv);

// Opens `path` in the configured viewer: $KOVA_LOG_VIEWER, else $VISUAL, else $EDITOR (a program
// name, optionally followed by blank-separated options of its own; the path is always one argument).
// Returns 0 with error 53 recorded when none is configured or it cannot be started.
int32_t StartLogViewer(const std::string& path);

// Brings the program of the task to the front. Windows of other programs are not ours to raise, so
// this only tells whether the task is still running.
bool AppActivate(int32_t taskId);

} // namespace platform::os
