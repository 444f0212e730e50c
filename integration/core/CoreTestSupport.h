#pragma once
// Test helpers of the integration core (header only: no test code goes into the library).
//   ApplicationFolder  a private machine folder whose kova/ holds a Grantry.exe of a chosen version,
//                      registered under App Paths as an installation does
//   LoopbackFtpServer  a real FTP server on 127.0.0.1 (Debian's pyftpdlib under /usr/bin/python3)
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/os/FileVersion.h"
#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

namespace Grantry::test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class ApplicationFolder {
public:
    ApplicationFolder() : folder_(home_.path() / "kova") {
        fs::create_directories(folder_);
        ApplicationPathCache.clear(); // each test is a fresh process as far as the program knows
    }
    ~ApplicationFolder() { ApplicationPathCache.clear(); }

    const fs::path& home() const { return home_.path(); }
    const fs::path& folder() const { return folder_; }
    fs::path program() const { return folder_ / "Grantry.exe"; }

    // Places a copy of a program file stamped with the version as kova/Grantry.exe.
    void InstallProgram(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision) {
        ASSERT_TRUE(platform::os::StampFileVersion(KOVA_STAMP_VERSION_COMMAND, program(), major, minor, build,
                                                   revision))
            << platform::automation::Err().Description;
    }
    // Writes the App Paths entry of the program with `path` as its "Path" value.
    void RegisterAppPath(const std::string& path) {
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_LOCAL_MACHINE, kApplicationPathKey, "",
                                                    program().string()));
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_LOCAL_MACHINE, kApplicationPathKey,
                                                    "Path", path));
    }
    void RegisterAppPath() { RegisterAppPath(folder_.string()); }

private:
    platform::os::TempKovaHome home_;
    fs::path folder_;
};

// One account per user name; the server's log (commands, the password masked) is kept for the test.
class LoopbackFtpServer {
public:
    LoopbackFtpServer() {
        std::string pattern = (fs::temp_directory_path() / "kova-ftpd-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        dir_ = pattern;
        fs::create_directories(root());
    }
    ~LoopbackFtpServer() {
        Stop();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    LoopbackFtpServer(const LoopbackFtpServer&) = delete;
    LoopbackFtpServer& operator=(const LoopbackFtpServer&) = delete;

    fs::path root() const { return dir_ / "root"; }
    void AddAccount(const std::string& user, const std::string& password) { accounts_[user] = password; }
    void Serve(const std::string& remotePath, const std::string& bytes) {
        WriteFile(root() / fs::path(remotePath).relative_path(), bytes);
    }

    // Starts the server; the test fails when it does not come up.
    void Start() {
        std::string script = R"PY(
import logging, sys
try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    sys.stderr.write("python3-pyftpdlib is not installed\n")
    sys.exit(3)
root, log = sys.argv[1:3]
logging.basicConfig(filename=log, level=logging.DEBUG)
accounts = DummyAuthorizer()
pairs = sys.argv[3:]
for i in range(0, len(pairs), 2):
    accounts.add_user(pairs[i], pairs[i + 1], root, perm="elr")
class Handler(FTPHandler):
    authorizer = accounts
    auth_failed_timeout = 0
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
server.serve_forever()
)PY";
        std::vector<std::string> args = {"python3", "-c", script, root().string(), log().string()};
        for (const auto& [user, password] : accounts_) {
            args.push_back(user);
            args.push_back(password);
        }
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string errors = (dir_ / "server.err").string();
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            ::execv("/usr/bin/python3", argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        pollfd wait{out[0], POLLIN, 0};
        char c;
        while (line.find('\n') == std::string::npos && ::poll(&wait, 1, 15000) > 0 &&
               ::read(out[0], &c, 1) == 1)
            line += c;
        ::close(out[0]);
        port_ = static_cast<uint16_t>(std::atoi(line.c_str()));
        ASSERT_NE(port_, 0) << "the loopback FTP server did not start. The tests need Debian's "
                               "python3-pyftpdlib for /usr/bin/python3 (apt-get install python3-pyftpdlib). "
                               "Server said: "
                            << ReadFile(errors);
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // "127.0.0.1:port", the address to configure.
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    fs::path log() const { return dir_ / "server.log"; }
    std::string Log() const { return ReadFile(log()); }

private:
    fs::path dir_;
    std::map<std::string, std::string> accounts_;
    pid_t pid_ = -1;
    uint16_t port_ = 0;
};

} // namespace Grantry::test
