#include "platform/os/FileVersion.h"

#include "platform/automation/Error.h"
#include "platform/os/KovaHome.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace platform::os {

namespace errors = platform::automation::errors;
using platform::automation::Err;

namespace {

// The magic, kept scrambled so that the reader's own program file (and every program that links it)
// does not appear to carry a version block.
constexpr unsigned char kScrambledMagic[16] = {0x11, 0x35, 0x0C, 0x3B, 0x1C, 0x33, 0x16, 0x3F,
                                               0x0C, 0x3F, 0x08, 0x29, 0x13, 0x35, 0x14, 0x40};
volatile unsigned char gScrambleKey = 0x5A;

std::string Magic() {
    std::string magic(16, '\0');
    for (size_t i = 0; i < 16; ++i)
        magic[i] = static_cast<char>(kScrambledMagic[i] ^ gScrambleKey);
    return magic;
}

// Offset of the version numbers (just after the magic), or npos.
size_t FindBlock(const std::string& bytes) {
    const std::string magic = Magic();
    auto it = std::search(bytes.begin(), bytes.end(),
                          std::boyer_moore_horspool_searcher(magic.begin(), magic.end()));
    if (it == bytes.end() || bytes.end() - it < static_cast<std::ptrdiff_t>(kFileVersionBlockSize))
        return std::string::npos;
    return static_cast<size_t>(it - bytes.begin()) + magic.size();
}

uint16_t ReadU16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void WriteU16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

} // namespace

std::string FileVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) + "." +
           std::to_string(revision);
}

bool ReadFileVersion(const std::filesystem::path& path, FileVersion& version) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    size_t at = FindBlock(bytes);
    if (at == std::string::npos) return false;
    version = {ReadU16(bytes, at), ReadU16(bytes, at + 2), ReadU16(bytes, at + 4), ReadU16(bytes, at + 6)};
    return true;
}

bool StampFileVersion(const std::filesystem::path& source, const std::filesystem::path& destination,
                      uint16_t major, uint16_t minor, uint16_t build, uint16_t revision) {
    std::error_code ec;
    std::string bytes;
    if (!std::filesystem::is_regular_file(source, ec) || !ReadWholeFile(source, bytes)) {
        Err().Raise(errors::FileNotFound);
        return false;
    }
    size_t at = FindBlock(bytes);
    if (at == std::string::npos) {
        bytes += Magic();
        at = bytes.size();
        bytes.append(8, '\0');
    }
    WriteU16(bytes, at, major);
    WriteU16(bytes, at + 2, minor);
    WriteU16(bytes, at + 4, build);
    WriteU16(bytes, at + 6, revision);
    auto permissions = std::filesystem::status(source, ec).permissions();
    if (!WriteFileAtomically(destination, bytes)) {
        Err().Raise(errors::PathFileAccessError);
        return false;
    }
    std::filesystem::permissions(destination, permissions, ec);
    return true;
}

uint32_t GetFileVersionInfoSize(const std::string& path, uint32_t* handle) {
    if (handle) *handle = 0;
    FileVersion version;
    return ReadFileVersion(path, version) ? sizeof(VS_FIXEDFILEINFO) : 0;
}

bool GetFileVersionInfo(const std::string& path, uint32_t size, void* buffer) {
    FileVersion version;
    if (!buffer || size < sizeof(VS_FIXEDFILEINFO) || !ReadFileVersion(path, version)) return false;
    VS_FIXEDFILEINFO info{};
    info.dwSignature = 0xFEEF04BD;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = uint32_t(version.major) << 16 | version.minor;
    info.dwFileVersionLS = uint32_t(version.build) << 16 | version.revision;
    info.dwProductVersionMS = info.dwFileVersionMS;
    info.dwProductVersionLS = info.dwFileVersionLS;
    info.dwFileFlagsMask = 0x3F;
    info.dwFileOS = 0x00040004; // 32-bit Windows on NT
    info.dwFileType = 1;        // an application
    std::memcpy(buffer, &info, sizeof info);
    return true;
}

bool VerQueryValue(const void* block, const std::string& subBlock, void** buffer, uint32_t* length) {
    if (!block || !buffer || subBlock != "\\") return false;
    uint32_t signature;
    std::memcpy(&signature, block, sizeof signature);
    if (signature != 0xFEEF04BD) return false;
    *buffer = const_cast<void*>(block);
    if (length) *length = sizeof(VS_FIXEDFILEINFO);
    return true;
}

} // namespace platform::os
