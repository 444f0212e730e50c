#pragma once
// The system's ANSI code page. Text is UTF-8 inside the program and Windows-1252 in every file the
// system writes or reads byte by byte (log, side files, update file).
#include <string>
#include <string_view>

namespace platform::os {

// UTF-8 to Windows-1252, one byte per character; characters the code page lacks, and bytes that are
// not valid UTF-8, become "?".
std::string Utf8ToWindows1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined map to the control characters
// of the same number, so every byte survives a round trip.
std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace platform::os
