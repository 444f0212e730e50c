#pragma once
// Test helpers for code that talks FTP:
//   TempFolder     a private temporary folder, removed with its contents
//   TestFtpServer  a real FTP server on 127.0.0.1 (Debian's pyftpdlib under /usr/bin/python3)
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>

namespace platform::os {

class TempFolder {
public:
    TempFolder(); // under the system's temporary folder; throws when it cannot be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Serves root() read-only to the accounts added before Start(). Its log (the commands, the password
// masked) is kept for the test to read.
class TestFtpServer {
public:
    TestFtpServer();
    ~TestFtpServer(); // stops the server
    TestFtpServer(const TestFtpServer&) = delete;
    TestFtpServer& operator=(const TestFtpServer&) = delete;

    // The served folder; its parent is the server's own private folder (log included).
    std::filesystem::path root() const { return folder_.path() / "root"; }
    // One account per user name: adding a user again replaces its password.
    void AddAccount(const std::string& user, const std::string& password) { accounts_[user] = password; }
    // Places `bytes` at `remotePath` below root(); may be called while the server runs.
    void Serve(const std::string& remotePath, const std::string& bytes) const;

    // Starts the server on a free port; the current test fails (fatally) when it does not come up,
    // with a message that names the missing package.
    void Start();
    void Stop();

    uint16_t port() const { return port_; }
    // "127.0.0.1:port", the address to configure.
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::filesystem::path log() const { return folder_.path() / "server.log"; }
    std::string Log() const;

private:
    TempFolder folder_;
    std::map<std::string, std::string> accounts_;
    pid_t pid_ = -1;
    uint16_t port_ = 0;
};

} // namespace platform::os
