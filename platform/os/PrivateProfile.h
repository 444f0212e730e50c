#pragma once
// Reading settings files with the private-profile rules. The file is text in the ANSI code page
// (Windows-1252), with CRLF or LF line ends; what is returned is UTF-8.
#include <cstdint>
#include <string>

namespace platform::os {

// Looks `key` up in `[section]` of `file`: names match without regard to case, the first match wins,
// blanks around key and value are dropped and one pair of enclosing quotes is removed. A missing file,
// section or key gives `defaultValue` (less trailing blanks). At most `size - 1` bytes go into `buffer`
// (never part of a character), followed by a zero; returns the number of bytes copied.
uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, char* buffer, uint32_t size,
                                 const std::string& file);

// The same lookup without a length limit.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file);

} // namespace platform::os
