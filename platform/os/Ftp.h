#pragma once
// The internet library stand-in: the few calls of the update check, shaped like their Win32 namesakes
// and carried out with libcurl. A session handle, an FTP connection handle below it (connecting logs in
// at once, so a wrong account fails there), and one download call.
//
// Like the Win32 calls they report through their result (0 / false) and a per-thread error code read
// with GetLastError(); they never touch Err() and never throw. FormatInternetError(code) gives the
// library's text for a code. Where the server refused (a failed login, a missing file) the code is
// ERROR_INTERNET_EXTENDED_ERROR and InternetGetLastResponseInfo() holds the server's reply.
//
// Codes set by these calls:
//   ERROR_INTERNET_EXTENDED_ERROR (12003)   the server answered with a 4xx/5xx reply
//   kInternetLibraryErrorBase + n (13000+n) any other failure of the transfer, n = libcurl's CURLcode
//                                           (13007 cannot connect, 13006 cannot resolve, 13003 bad
//                                           host text or port, 13023 the local file cannot be written)
//   ERROR_INVALID_HANDLE (6), ERROR_INVALID_PARAMETER (87), ERROR_FILE_EXISTS (80)
//
// The password lives only in the library's memory for the connection: no log, no file, no error text, and
// the library's verbose output stays off.
#include "platform/os/Registry.h" // ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER

#include <cstdint>
#include <functional>
#include <string>

namespace platform::os {

using HINTERNET = uint32_t; // 0 = no handle

inline constexpr uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr uint16_t INTERNET_DEFAULT_FTP_PORT = 21;
inline constexpr uint16_t INTERNET_INVALID_PORT_NUMBER = 0; // the service's default port
inline constexpr uint32_t INTERNET_SERVICE_FTP = 1;
inline constexpr uint32_t INTERNET_FLAG_PASSIVE = 0x08000000;
inline constexpr uint32_t FTP_TRANSFER_TYPE_ASCII = 1;
inline constexpr uint32_t FTP_TRANSFER_TYPE_BINARY = 2;
inline constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

inline constexpr int32_t ERROR_FILE_EXISTS = 80;
inline constexpr int32_t ERROR_INTERNET_EXTENDED_ERROR = 12003;
inline constexpr int32_t kInternetLibraryErrorBase = 13000;

// A session. Only direct access exists here (no proxy, whatever the environment says); any other
// access type fails with ERROR_INVALID_PARAMETER.
HINTERNET InternetOpen(const std::string& agent, uint32_t accessType, const std::string& proxy = {},
                       const std::string& proxyBypass = {}, uint32_t flags = 0);

// Connects to an FTP server and logs in. `serverName` may carry ":port" (or "[v6]:port"); a non-zero
// `serverPort` wins over it, and with neither the port is 21. The user name goes to the server exactly
// as given ("domain\user"). INTERNET_FLAG_PASSIVE asks for passive mode with plain PASV. After a
// successful login `onLoggedIn` runs, before the call returns.
HINTERNET InternetConnect(HINTERNET session, const std::string& serverName, uint16_t serverPort,
                          const std::string& userName, const std::string& password, uint32_t service,
                          uint32_t flags, uintptr_t context = 0,
                          const std::function<void()>& onLoggedIn = {});

// Downloads `remoteFile` ("/updates/K50_c/KovaMsP.ini": absolute on the server) to `localFile` (a
// host path). The data goes to a temporary file beside the target, renamed over it only when the
// transfer completed, so a failure never leaves a partial file nor harms an existing one. With
// FTP_TRANSFER_TYPE_ASCII the server's CRLF lines arrive with this system's line ends (LF).
bool FtpGetFile(HINTERNET connection, const std::string& remoteFile, const std::string& localFile,
                bool failIfExists, uint32_t flagsAndAttributes = FILE_ATTRIBUTE_NORMAL,
                uint32_t flags = FTP_TRANSFER_TYPE_BINARY, uintptr_t context = 0);

// Closes a handle; closing a session closes its connections too.
bool InternetCloseHandle(HINTERNET handle);

// The last reply line the server sent during this thread's last exchange ("530 Login incorrect."),
// empty when no server answered.
std::string InternetGetLastResponseInfo();

// The code of this thread's last failed call of this file; 0 after a successful one.
int32_t GetLastError();

// The library's text for a code (empty for 0 and unknown codes).
std::string FormatInternetError(int32_t code);

// Dial-up networking does not exist here: never an active connection, and the hang-up does nothing.
bool RASConnection();
bool InternetAutodialHangup(uint32_t reserved = 0);

// Whether the named library function is available: true for the calls this layer provides
// ("GetFileVersionInfoA" in "version.dll", "InternetOpenA" in "wininet.dll"); library names match
// without regard to case, function names exactly.
bool APIFunctionPresent(const std::string& function, const std::string& library);

} // namespace platform::os
