#include "platform/os/PrivateProfile.h"

#include "platform/os/KovaHome.h"
#include "platform/os/Windows1252.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform::os {

namespace {

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The raw (Windows-1252) value, or nothing when the file, section or key is missing.
std::optional<std::string> Lookup(const std::string& section, const std::string& key,
                                  const std::string& file) {
    std::string text;
    if (!ReadWholeFile(file, text)) return std::nullopt;
    const std::string wantedSection = Utf8ToWindows1252(section);
    const std::string wantedKey = Utf8ToWindows1252(key);
    bool inSection = false;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trim(line);
        if (!line.empty() && line.front() == '[') {
            size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            // A later section of the same name is never reached: the first one wins.
            if (inSection) return std::nullopt;
            inSection = SameText(Trim(line.substr(1, close - 1)), wantedSection);
            continue;
        }
        if (!inSection) continue;
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || !SameText(Trim(line.substr(0, equals)), wantedKey)) continue;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

std::string Resolve(const std::string& section, const std::string& key, const std::string& defaultValue,
                    const std::string& file) {
    if (auto found = Lookup(section, key, file)) return Windows1252ToUtf8(*found);
    std::string_view fallback(defaultValue);
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return std::string(fallback);
}

} // namespace

uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, char* buffer, uint32_t size,
                                 const std::string& file) {
    if (!buffer || size == 0) return 0;
    std::string value = Resolve(section, key, defaultValue, file);
    size_t count = std::min<size_t>(value.size(), size - 1);
    // Back up to the start of a character rather than cut one in two.
    if (count < value.size())
        while (count > 0 && (static_cast<unsigned char>(value[count]) & 0xC0) == 0x80)
            --count;
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file) {
    return Resolve(section, key, defaultValue, file);
}

} // namespace platform::os
