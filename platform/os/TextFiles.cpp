#include "platform/os/TextFiles.h"

#include "platform/automation/Error.h"
#include "platform/os/Windows1252.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>

namespace platform::os {

namespace errors = platform::automation::errors;
using platform::automation::Err;

namespace {

struct OpenText {
    std::FILE* file;
    FileMode mode;
};

std::mutex gMutex;
std::map<int16_t, OpenText> gFiles;

int32_t OpenErrorNumber(int error, FileMode mode) {
    switch (error) {
    case ENOENT: return mode == FileMode::Input ? errors::FileNotFound : errors::PathNotFound;
    case ENOTDIR: return errors::PathNotFound;
    default: return errors::PathFileAccessError;
    }
}

// The open file of `number`, or null with error 52 recorded. Call with gMutex held.
OpenText* Find(int16_t number) {
    auto it = gFiles.find(number);
    if (it != gFiles.end()) return &it->second;
    Err().Raise(errors::BadFileNameOrNumber);
    return nullptr;
}

} // namespace

bool OpenFile(int16_t fileNumber, const std::string& path, FileMode mode) {
    std::lock_guard guard(gMutex);
    if (fileNumber < 1 || fileNumber > 511) {
        Err().Raise(errors::BadFileNameOrNumber);
        return false;
    }
    if (gFiles.count(fileNumber)) {
        Err().Raise(errors::FileAlreadyOpen);
        return false;
    }
    const char* how = mode == FileMode::Input ? "rbe" : mode == FileMode::Output ? "wbe" : "abe";
    std::FILE* file = std::fopen(path.c_str(), how);
    if (!file) {
        Err().Raise(OpenErrorNumber(errno, mode));
        return false;
    }
    gFiles[fileNumber] = OpenText{file, mode};
    return true;
}

bool PrintLine(int16_t fileNumber, const std::string& text) {
    std::lock_guard guard(gMutex);
    OpenText* open = Find(fileNumber);
    if (!open) return false;
    if (open->mode == FileMode::Input) {
        Err().Raise(errors::BadFileMode);
        return false;
    }
    std::string bytes = Utf8ToWindows1252(text) + "\r\n";
    // Flushed at once so that a log can be read while the system still writes to it.
    if (std::fwrite(bytes.data(), 1, bytes.size(), open->file) != bytes.size() ||
        std::fflush(open->file) != 0) {
        Err().Raise(57); // Device I/O error
        return false;
    }
    return true;
}

bool LineInput(int16_t fileNumber, std::string& line) {
    std::lock_guard guard(gMutex);
    OpenText* open = Find(fileNumber);
    if (!open) return false;
    if (open->mode != FileMode::Input) {
        Err().Raise(errors::BadFileMode);
        return false;
    }
    int c = std::getc(open->file);
    if (c == EOF) {
        Err().Raise(errors::InputPastEndOfFile);
        return false;
    }
    std::string bytes;
    while (c != EOF && c != '\n' && c != '\r') {
        bytes += static_cast<char>(c);
        c = std::getc(open->file);
    }
    if (c == '\r') {
        int next = std::getc(open->file);
        if (next != '\n' && next != EOF) std::ungetc(next, open->file);
    }
    line = Windows1252ToUtf8(bytes);
    return true;
}

bool Eof(int16_t fileNumber) {
    std::lock_guard guard(gMutex);
    OpenText* open = Find(fileNumber);
    if (!open) return true;
    if (open->mode != FileMode::Input) return true;
    int c = std::getc(open->file);
    if (c == EOF) return true;
    std::ungetc(c, open->file);
    return false;
}

void CloseFile(int16_t fileNumber) {
    std::lock_guard guard(gMutex);
    auto it = gFiles.find(fileNumber);
    if (it == gFiles.end()) return;
    std::fclose(it->second.file);
    gFiles.erase(it);
}

void CloseAllFiles() {
    std::lock_guard guard(gMutex);
    for (auto& [number, open] : gFiles)
        std::fclose(open.file);
    gFiles.clear();
}

int16_t FreeFile() {
    std::lock_guard guard(gMutex);
    for (int16_t n = 1; n <= 255; ++n)
        if (!gFiles.count(n)) return n;
    Err().Raise(67, {}, "Too many files");
    return 0;
}

} // namespace platform::os
