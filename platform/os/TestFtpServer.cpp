#include "platform/os/TestFtpServer.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform::os {
namespace {

namespace fs = std::filesystem;

// Binds a free port and prints it once it accepts connections; exits 3 without pyftpdlib.
// Arguments: root, log, then user and password pairs.
constexpr const char* kServerScript = R"PY(
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

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kova-ftp-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

TestFtpServer::TestFtpServer() {
    fs::create_directories(root());
}

TestFtpServer::~TestFtpServer() {
    Stop();
}

void TestFtpServer::Serve(const std::string& remotePath, const std::string& bytes) const {
    const fs::path file = root() / fs::path(remotePath).relative_path();
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

void TestFtpServer::Start() {
    // The interpreter finds its installation from argv[0] and PATH: name it by its full path, and keep
    // PYTHON* settings of whoever runs the tests out, so that Debian's pyftpdlib is what it imports.
    std::vector<std::string> args = {"/usr/bin/python3", "-I", "-c", kServerScript, root().string(), log().string()};
    for (const auto& [user, password] : accounts_) {
        args.push_back(user);
        args.push_back(password);
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string errors = (folder_.path() / "server.err").string();
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
    while (line.find('\n') == std::string::npos && ::poll(&wait, 1, 15000) > 0 && ::read(out[0], &c, 1) == 1)
        line += c;
    ::close(out[0]);
    port_ = static_cast<uint16_t>(std::atoi(line.c_str()));
    ASSERT_NE(port_, 0) << "the loopback FTP server did not start. The tests need Debian's python3-pyftpdlib "
                           "for /usr/bin/python3 (apt-get install python3-pyftpdlib). Server said: "
                        << Contents(errors);
}

void TestFtpServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string TestFtpServer::Log() const {
    return Contents(log());
}

} // namespace platform::os
