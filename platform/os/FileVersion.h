#pragma once
// File versions of the project's programs. A program carries its four-part version in a small block
// of its own file (a magic prefix and four 16-bit little-endian numbers), placed there by
// KOVA_DEFINE_FILE_VERSION; the readers find it by scanning the file's bytes, so a copy of a program
// keeps its version, and StampFileVersion can give any file one.
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform::os {

inline constexpr size_t kFileVersionBlockSize = 24; // 16 bytes of magic, then major, minor, build, revision

// Put in exactly one source file of a program, at namespace scope.
#define KOVA_DEFINE_FILE_VERSION(major, minor, build, revision)                                              \
    extern "C" __attribute__((used))                                                                         \
    const unsigned char kova_file_version_block[24] = {'K',                                                  \
                                                       'o',                                                  \
                                                       'V',                                                  \
                                                       'a',                                                  \
                                                       'F',                                                  \
                                                       'i',                                                  \
                                                       'L',                                                  \
                                                       'e',                                                  \
                                                       'V',                                                  \
                                                       'e',                                                  \
                                                       'R',                                                  \
                                                       's',                                                  \
                                                       'I',                                                  \
                                                       'o',                                                  \
                                                       'N',                                                  \
                                                       0x1A,                                                 \
                                                       (major)&0xFF,                                         \
                                                       ((major) >> 8) & 0xFF,                                \
                                                       (minor)&0xFF,                                         \
                                                       ((minor) >> 8) & 0xFF,                                \
                                                       (build)&0xFF,                                         \
                                                       ((build) >> 8) & 0xFF,                                \
                                                       (revision)&0xFF,                                      \
                                                       ((revision) >> 8) & 0xFF}

struct FileVersion {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
    // "1.2.3.45": decimal, no leading zeros.
    std::string Text() const;
};

// The version the file carries; false when it carries none or cannot be read.
bool ReadFileVersion(const std::filesystem::path& path, FileVersion& version);

// Copies `source` to `destination` (keeping its permissions) with the given version: the copy's
// block is rewritten, or one is appended when the source has none. Errors go to Err() (53, 75).
bool StampFileVersion(const std::filesystem::path& source, const std::filesystem::path& destination,
                      uint16_t major, uint16_t minor, uint16_t build, uint16_t revision);

// The fixed file-information record of the version-information calls.
struct VS_FIXEDFILEINFO {
    uint32_t dwSignature; // 0xFEEF04BD
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS; // major << 16 | minor
    uint32_t dwFileVersionLS; // build << 16 | revision
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// Shaped like the version-information calls: the size of the information block (0 when the file
// carries no version), the block itself, and the record at sub-block "\" inside it.
uint32_t GetFileVersionInfoSize(const std::string& path, uint32_t* handle = nullptr);
bool GetFileVersionInfo(const std::string& path, uint32_t size, void* buffer);
bool VerQueryValue(const void* block, const std::string& subBlock, void** buffer, uint32_t* length);

} // namespace platform::os
