#include "platform/os/Ftp.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <curl/curl.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform::os {
namespace {

thread_local int32_t tLastError = 0;
thread_local std::string tLastResponse;

int32_t LibraryCode(CURLcode rc) {
    return kInternetLibraryErrorBase + static_cast<int32_t>(rc);
}

struct Handle {
    bool isSession = true;
    HINTERNET parent = 0;
    std::string agent;
    // Connections only. `mutex` serialises the exchanges on one curl handle.
    std::mutex mutex;
    CURL* curl = nullptr;
    std::string baseUrl; // "ftp://host:port"

    ~Handle() {
        if (curl) {
            // Closing sends QUIT; its reply is of no interest to anyone.
            curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, nullptr);
            curl_easy_setopt(curl, CURLOPT_HEADERDATA, nullptr);
            curl_easy_cleanup(curl);
        }
    }
};

std::mutex gHandlesMutex;
std::map<HINTERNET, std::shared_ptr<Handle>> gHandles;
HINTERNET gNextHandle = 0x00CC0001;

HINTERNET AddHandle(std::shared_ptr<Handle> handle) {
    std::lock_guard lock(gHandlesMutex);
    HINTERNET id = gNextHandle++;
    gHandles[id] = std::move(handle);
    return id;
}

std::shared_ptr<Handle> FindHandle(HINTERNET id, bool session) {
    std::lock_guard lock(gHandlesMutex);
    auto it = gHandles.find(id);
    if (it == gHandles.end() || it->second->isSession != session) return nullptr;
    return it->second;
}

bool Fail(int32_t code) {
    tLastError = code;
    return false;
}

HINTERNET FailHandle(int32_t code) {
    tLastError = code;
    return 0;
}

// Keeps the last reply line of the server. FTP replies reach the header callback line by line, and
// unlike the debug callback it never sees what the client sends (the PASS line).
struct Exchange {
    std::string lastLine;
};

size_t OnReplyLine(char* data, size_t size, size_t count, void* user) {
    size_t n = size * count;
    if (user) {
        std::string line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty()) static_cast<Exchange*>(user)->lastLine = std::move(line);
    }
    return n;
}

// Runs one exchange on a connection and sets the thread's error and last response from it.
bool Perform(Handle& connection) {
    Exchange exchange;
    curl_easy_setopt(connection.curl, CURLOPT_HEADERDATA, &exchange);
    CURLcode rc = curl_easy_perform(connection.curl);
    curl_easy_setopt(connection.curl, CURLOPT_HEADERDATA, nullptr);
    tLastResponse = exchange.lastLine;
    if (rc == CURLE_OK) {
        tLastError = 0;
        return true;
    }
    const std::string& reply = exchange.lastLine;
    bool refused = reply.size() >= 3 && (reply[0] == '4' || reply[0] == '5') &&
                   std::isdigit(static_cast<unsigned char>(reply[1])) &&
                   std::isdigit(static_cast<unsigned char>(reply[2]));
    return Fail(refused ? ERROR_INTERNET_EXTENDED_ERROR : LibraryCode(rc));
}

// "host", "host:port", "[v6]:port" or a bare v6 address, to the URL's authority.
bool BuildAuthority(const std::string& text, uint16_t portArgument, std::string& authority) {
    std::string host, portText;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos) return false;
        host = text.substr(0, close + 1);
        std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') return false;
            portText = rest.substr(1);
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        size_t colon = text.find(':');
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    } else if (text.find(':') != std::string::npos) {
        host = "[" + text + "]";
    } else {
        host = text;
    }
    if (host.empty() || host == "[]") return false;
    for (unsigned char c : host)
        if (c <= ' ' || c >= 0x7F ||
            std::string_view("/\\@?#%").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    unsigned port = 0;
    if (!portText.empty()) {
        if (portText.size() > 5 ||
            !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        port = std::stoul(portText);
        if (port == 0 || port > 65535) return false;
    }
    if (portArgument != INTERNET_INVALID_PORT_NUMBER) port = portArgument;
    if (port == 0) port = INTERNET_DEFAULT_FTP_PORT;
    authority = host + ":" + std::to_string(port);
    return true;
}

// The URL path for a server path: every segment escaped; an absolute path keeps its leading "/"
// as "%2F", so that the server receives the path exactly as given.
std::string UrlPath(CURL* curl, const std::string& remote) {
    std::string path = "/";
    size_t start = 0;
    if (!remote.empty() && remote[0] == '/') {
        path += "%2F";
        start = 1;
    }
    for (;;) {
        size_t slash = remote.find('/', start);
        std::string segment =
            remote.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        char* escaped = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
        path += escaped ? escaped : "";
        curl_free(escaped);
        if (slash == std::string::npos) break;
        path += '/';
        start = slash + 1;
    }
    return path;
}

size_t OnData(char* data, size_t size, size_t count, void* user) {
    int fd = *static_cast<int*>(user);
    size_t total = size * count, done = 0;
    while (done < total) {
        ssize_t n = ::write(fd, data + done, total - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0; // the library reports a write error
        done += static_cast<size_t>(n);
    }
    return total;
}

// A new file beside `target` that nobody else uses.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target;
        temporary += ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

HINTERNET InternetOpen(const std::string& agent, uint32_t accessType, const std::string&, const std::string&,
                       uint32_t) {
    if (accessType != INTERNET_OPEN_TYPE_DIRECT) return FailHandle(ERROR_INVALID_PARAMETER);
    InitLibraryOnce();
    auto session = std::make_shared<Handle>();
    session->agent = agent;
    tLastError = 0;
    return AddHandle(std::move(session));
}

HINTERNET InternetConnect(HINTERNET sessionId, const std::string& serverName, uint16_t serverPort,
                          const std::string& userName, const std::string& password, uint32_t service,
                          uint32_t flags, uintptr_t, const std::function<void()>& onLoggedIn) {
    auto session = FindHandle(sessionId, true);
    if (!session) return FailHandle(ERROR_INVALID_HANDLE);
    if (service != INTERNET_SERVICE_FTP) return FailHandle(ERROR_INVALID_PARAMETER);
    tLastResponse.clear();
    std::string authority;
    if (!BuildAuthority(serverName, serverPort, authority))
        return FailHandle(LibraryCode(CURLE_URL_MALFORMAT));

    auto connection = std::make_shared<Handle>();
    connection->isSession = false;
    connection->parent = sessionId;
    connection->baseUrl = "ftp://" + authority;
    CURL* curl = connection->curl = curl_easy_init();
    if (!curl) return FailHandle(LibraryCode(CURLE_OUT_OF_MEMORY));

    curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_PROXY, ""); // direct, even when the environment names a proxy
    curl_easy_setopt(curl, CURLOPT_USERAGENT, session->agent.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, userName.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str()); // the library keeps its own copy
    curl_easy_setopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));
    if (flags & INTERNET_FLAG_PASSIVE) {
        curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    } else {
        curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
        curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
    }
    // One RETR with the whole path, as given.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnReplyLine);

    // Log in now, without a transfer; the download then reuses this control connection.
    std::string url = connection->baseUrl + "/";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (!Perform(*connection)) return 0;
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);

    HINTERNET id = AddHandle(connection);
    if (onLoggedIn) onLoggedIn();
    tLastError = 0;
    return id;
}

bool FtpGetFile(HINTERNET connectionId, const std::string& remoteFile, const std::string& localFile,
                bool failIfExists, uint32_t, uint32_t flags, uintptr_t) {
    auto connection = FindHandle(connectionId, false);
    if (!connection) return Fail(ERROR_INVALID_HANDLE);
    if (remoteFile.empty() || localFile.empty()) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(connection->mutex);
    tLastResponse.clear();

    std::filesystem::path target(localFile);
    std::error_code ec;
    if (failIfExists && std::filesystem::exists(target, ec)) return Fail(ERROR_FILE_EXISTS);
    std::filesystem::path temporary;
    int fd = CreateTemporaryBeside(target, temporary);
    if (fd < 0) return Fail(LibraryCode(CURLE_WRITE_ERROR));

    CURL* curl = connection->curl;
    std::string url = connection->baseUrl + UrlPath(curl, remoteFile);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, (flags & 3) == FTP_TRANSFER_TYPE_ASCII ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fd);
    bool ok = Perform(*connection);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);

    if (::close(fd) != 0 && ok) ok = Fail(LibraryCode(CURLE_WRITE_ERROR));
    if (ok) {
        std::filesystem::rename(temporary, target, ec);
        if (ec) ok = Fail(LibraryCode(CURLE_WRITE_ERROR));
    }
    if (!ok) std::filesystem::remove(temporary, ec);
    return ok;
}

bool InternetCloseHandle(HINTERNET id) {
    std::vector<std::shared_ptr<Handle>> closing; // destroyed outside the lock
    {
        std::lock_guard lock(gHandlesMutex);
        auto it = gHandles.find(id);
        if (it == gHandles.end()) return Fail(ERROR_INVALID_HANDLE);
        closing.push_back(std::move(it->second));
        gHandles.erase(it);
        if (closing.front()->isSession) {
            for (auto child = gHandles.begin(); child != gHandles.end();) {
                if (!child->second->isSession && child->second->parent == id) {
                    closing.push_back(std::move(child->second));
                    child = gHandles.erase(child);
                } else {
                    ++child;
                }
            }
        }
    }
    tLastError = 0;
    return true;
}

std::string InternetGetLastResponseInfo() {
    return tLastResponse;
}

int32_t GetLastError() {
    return tLastError;
}

std::string FormatInternetError(int32_t code) {
    switch (code) {
    case 0: return {};
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_FILE_EXISTS: return "The file exists.";
    case ERROR_INTERNET_EXTENDED_ERROR: return "The server refused the request.";
    }
    if (code > kInternetLibraryErrorBase && code < kInternetLibraryErrorBase + CURL_LAST)
        return curl_easy_strerror(static_cast<CURLcode>(code - kInternetLibraryErrorBase));
    return {};
}

bool RASConnection() {
    return false;
}

bool InternetAutodialHangup(uint32_t) {
    return true;
}

bool APIFunctionPresent(const std::string& function, const std::string& library) {
    auto lower = [](std::string s) {
        for (auto& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string lib = lower(library);
    return (function == "GetFileVersionInfoA" && lib == "version.dll") ||
           (function == "InternetOpenA" && lib == "wininet.dll");
}

} // namespace platform::os
