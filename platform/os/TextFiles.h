#pragma once
// Sequential text files by file number, as the program's file statements use them. Files hold
// Windows-1252 text with CRLF line ends; the calls take and give UTF-8. Failures are recorded in
// Err() with the runtime's numbers (52 for a number that is not open, 53, 55, 62, 75, 76) and the call
// returns false.
#include <cstdint>
#include <string>

namespace platform::os {

enum class FileMode { Input, Output, Append };

// The system writes its log to this number.
inline constexpr int16_t LogFileNumber = 9;

// Output truncates or creates the file, Append adds to its end, Input needs the file to exist.
bool OpenFile(int16_t fileNumber, const std::string& path, FileMode mode);
// Writes `text` and CRLF.
bool PrintLine(int16_t fileNumber, const std::string& text);
// Reads up to the next CRLF, CR or LF (not included); error 62 when nothing is left.
bool LineInput(int16_t fileNumber, std::string& line);
// True when nothing more can be read (always for a file opened for writing).
bool Eof(int16_t fileNumber);
// Closing a number that is not open does nothing.
void CloseFile(int16_t fileNumber);
void CloseAllFiles();
// The lowest file number not in use (1 to 255), or 0 when all are.
int16_t FreeFile();

} // namespace platform::os
