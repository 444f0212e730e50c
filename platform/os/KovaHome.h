#pragma once
// The machine folder: every path of the stand-ins lives under it.
#include <filesystem>
#include <string>

namespace platform::os {

// $KOVA_HOME, else ~/.kova, as an absolute path (a relative $KOVA_HOME is taken from the working
// folder); created on first use.
std::filesystem::path KovaHome();

// A sub-path of the machine folder, created as a folder when `create` is set.
std::filesystem::path KovaPath(const std::string& relative, bool create = false);

// Writes a whole file atomically: a temporary file beside it, flushed to disk, then a rename; temporary
// files that writers killed midway left beside it go. A read-only file is not replaced. Returns false
// on failure, with errno set.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

} // namespace platform::os
