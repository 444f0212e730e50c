#include "platform/os/Ftp.h"

#include "platform/os/KovaHome.h"
#include "platform/os/TestFtpServer.h"
#include "platform/os/TestSupport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace platform::os {
namespace {

namespace fs = std::filesystem;

const std::string kUser = "dom\\user";
const std::string kPassword = "Pw:s3cr@t/9";
const std::string kRemote = "/updates/K50_c/KovaMsP.ini";
const std::string kServedIni = "[KovaMsPMeridane]\r\nVersion=1.2.3.46\r\nSolution=123456\r\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A loopback port on which nothing listens.
uint16_t ClosedPort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

class FtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.AddAccount(kUser, kPassword);
        server_.Serve(kRemote, kServedIni);
        server_.Start();
    }

    fs::path LogPath() const { return server_.log(); }
    std::string Host() const { return server_.Address(); }
    fs::path Local() const { return download_.path() / "KovaMsP.ini"; }

    struct Outcome {
        bool ok = false;
        int32_t code = 0;
        std::string response;
        int loggedIn = 0;
        std::string localAtLogin; // the local file when the login callback ran
    };

    // The update check's sequence: session, connection, download, then both handles closed.
    Outcome Download(const std::string& password, const std::string& remote = kRemote) {
        Outcome outcome;
        HINTERNET session = InternetOpen("OrbelMsP", INTERNET_OPEN_TYPE_DIRECT);
        EXPECT_NE(session, 0u);
        HINTERNET connection = InternetConnect(session, Host(), INTERNET_INVALID_PORT_NUMBER, kUser, password,
                                               INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0, [&] {
                                                   ++outcome.loggedIn;
                                                   outcome.localAtLogin = ReadFile(Local());
                                               });
        if (connection)
            outcome.ok = FtpGetFile(connection, remote, Local().string(), false, FILE_ATTRIBUTE_NORMAL,
                                    FTP_TRANSFER_TYPE_ASCII);
        outcome.code = GetLastError();
        outcome.response = InternetGetLastResponseInfo();
        if (connection) {
            EXPECT_TRUE(InternetCloseHandle(connection));
        }
        EXPECT_TRUE(InternetCloseHandle(session));
        return outcome;
    }

    TempKovaHome home_;
    TestFtpServer server_;
    TempFolder download_;
};

TEST_F(FtpTest, DownloadsInAsciiOverPlainPassiveReplacingAnExistingFile) {
    const std::string older = "an older copy that is longer than the new one, to be replaced whole\n";
    WriteFile(Local(), older);
    Outcome outcome = Download(kPassword);
    ASSERT_TRUE(outcome.ok) << FormatInternetError(outcome.code) << " / " << outcome.response;
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.loggedIn, 1);
    EXPECT_EQ(outcome.localAtLogin, older); // told of the login before the transfer
    // ASCII transfer: the server's CRLF lines arrive with this system's line ends.
    EXPECT_EQ(ReadFile(Local()), "[KovaMsPMeridane]\nVersion=1.2.3.46\nSolution=123456\n");
    EXPECT_EQ(Listing(download_.path()), std::vector<std::string>{"KovaMsP.ini"});

    std::string log = ReadFile(LogPath());
    for (const char* command :
         {"<- USER dom\\user", "<- PASV", "<- TYPE A", "<- RETR /updates/K50_c/KovaMsP.ini"})
        EXPECT_NE(log.find(command), std::string::npos) << command << " missing from the server's log:\n"
                                                        << log;
    EXPECT_EQ(log.find("EPSV"), std::string::npos);
    // The download reuses the connection that logged in.
    EXPECT_EQ(log.find("<- USER"), log.rfind("<- USER")) << log;
}

TEST_F(FtpTest, ConnectTakesThePortFromTheHostTextOrTheArgument) {
    const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
    struct Case {
        std::string host;
        uint16_t port;
        int32_t code;
    } cases[] = {
        {Host(), 0, 0},
        {"127.0.0.1", server_.port(), 0},
        {closed, server_.port(), 0}, // a port argument wins over the host text
        {closed, 0, kInternetLibraryErrorBase + 7},
        {"127.0.0.1:99999", 0, kInternetLibraryErrorBase + 3},
        {"127.0.0.1:2l", 0, kInternetLibraryErrorBase + 3},
        {"127.0.0.1/x", 0, kInternetLibraryErrorBase + 3},
    };
    HINTERNET session = InternetOpen("OrbelMsP", INTERNET_OPEN_TYPE_DIRECT);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host + " port " + std::to_string(c.port));
        int loggedIn = 0;
        HINTERNET connection =
            InternetConnect(session, c.host, c.port, kUser, kPassword, INTERNET_SERVICE_FTP,
                            INTERNET_FLAG_PASSIVE, 0, [&] { ++loggedIn; });
        EXPECT_EQ(GetLastError(), c.code);
        EXPECT_EQ(connection != 0, c.code == 0);
        EXPECT_EQ(loggedIn, c.code == 0 ? 1 : 0);
        if (c.code != 0) {
            EXPECT_EQ(InternetGetLastResponseInfo(), "");
        }
        if (connection) {
            EXPECT_TRUE(InternetCloseHandle(connection));
        }
    }
    EXPECT_EQ(FormatInternetError(kInternetLibraryErrorBase + 7), "Couldn't connect to server");

    // Closing the session closes what it opened.
    HINTERNET connection =
        InternetConnect(session, Host(), 0, kUser, kPassword, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE);
    ASSERT_NE(connection, 0u);
    EXPECT_TRUE(InternetCloseHandle(session));
    EXPECT_FALSE(FtpGetFile(connection, kRemote, Local().string(), false));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(fs::exists(Local()));
}

TEST_F(FtpTest, WrongPasswordIsTheServersRefusal) {
    Outcome outcome = Download("wrong");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.code, ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_EQ(outcome.response.substr(0, 4), "530 ") << outcome.response;
    EXPECT_EQ(outcome.loggedIn, 0);
    EXPECT_FALSE(FormatInternetError(outcome.code).empty());
    EXPECT_FALSE(fs::exists(Local()));
}

TEST_F(FtpTest, MissingRemoteFileLeavesNoFileAndKeepsAnExistingOne) {
    for (std::string existing : {"", "Version=1.0.0.1\n"}) {
        SCOPED_TRACE("existing local file: \"" + existing + "\"");
        fs::remove(Local());
        if (!existing.empty()) WriteFile(Local(), existing);
        Outcome outcome = Download(kPassword, "/updates/K50_c/Missing.ini");
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.code, ERROR_INTERNET_EXTENDED_ERROR);
        EXPECT_EQ(outcome.response.substr(0, 4), "550 ") << outcome.response;
        EXPECT_EQ(outcome.loggedIn, 1);
        if (existing.empty()) {
            EXPECT_TRUE(Listing(download_.path()).empty());
        } else {
            EXPECT_EQ(Listing(download_.path()), std::vector<std::string>{"KovaMsP.ini"});
            EXPECT_EQ(ReadFile(Local()), existing);
        }
    }
}

TEST_F(FtpTest, NeverWritesThePassword) {
    testing::internal::CaptureStderr();
    Outcome good = Download(kPassword);
    Outcome wrong = Download("Wr0ng:pass");
    Outcome missing = Download(kPassword, "/nothing/here.ini");
    std::string printed = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(good.ok);
    ASSERT_FALSE(wrong.ok);
    ASSERT_FALSE(missing.ok);

    for (const std::string& secret : {kPassword, std::string("Wr0ng:pass")}) {
        EXPECT_EQ(printed.find(secret), std::string::npos);
        for (const Outcome& o : {good, wrong, missing}) {
            EXPECT_EQ(o.response.find(secret), std::string::npos);
            EXPECT_EQ(FormatInternetError(o.code).find(secret), std::string::npos);
        }
        for (const fs::path& folder : {home_.path(), download_.path()})
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                if (entry.is_regular_file()) {
                    EXPECT_EQ(ReadFile(entry.path()).find(secret), std::string::npos) << entry.path();
                }
    }
}

TEST(ApiPresenceTest, OnlyTheCallsThisLayerProvides) {
    struct Case {
        const char* function;
        const char* library;
        bool present;
    } cases[] = {
        {"GetFileVersionInfoA", "version.dll", true},   {"InternetOpenA", "wininet.dll", true},
        {"InternetOpenA", "WININET.DLL", true},         {"internetopena", "wininet.dll", false},
        {"InternetOpenA", "version.dll", false},        {"GetFileVersionInfoA", "wininet.dll", false},
        {"RasEnumConnectionsA", "rasapi32.dll", false}, {"", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(APIFunctionPresent(c.function, c.library), c.present) << c.function << " in " << c.library;
}

} // namespace
} // namespace platform::os
