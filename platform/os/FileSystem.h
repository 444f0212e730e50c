#pragma once
// The program's file statements on Linux paths ("/" separators). Failures are recorded in Err() with
// the runtime's numbers: 53 "File not found", 75 "Path/File access error", 76 "Path not found".
#include <cstdint>
#include <string>

namespace platform::os {

// Deletes a file; 53 when there is no such file.
bool Kill(const std::string& path);
// Deletes a file the way the operating system's own call does: false for a missing file, no error.
bool DeleteFile(const std::string& path);
// Creates one folder; 75 when it exists or cannot be made, 76 when its parent is missing.
bool MkDir(const std::string& path);
// Removes an empty folder; 75 when it is not empty, 76 when it is missing.
bool RmDir(const std::string& path);
// The name part of `path` when it names an existing file (not a folder), else "".
std::string Dir(const std::string& path);
bool FileExists(const std::string& path);
// The file's length in bytes; 53 and 0 when it is missing.
int64_t FileLen(const std::string& path);

} // namespace platform::os
