#include "integration/core/frmAbout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "integration/core/AboutUpdate.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/frmLoginDetails.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/Ftp.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
using test::ApplicationFolder;
using test::LoopbackFtpServer;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;
namespace os = platform::os;
namespace st = steps;

const std::string kPassword = "Pw:s3cr@t/9";

std::string UpdateFile(const std::string& version, const std::string& solution = "123456") {
    return "[KovaMsPMeridane]\r\nVersion=" + version + "\r\nSolution=" + solution + "\r\n";
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

// A scripted user that also notes what the dialogs showed each time one waited and each time a box
// appeared (the About dialog behind the box).
class WatchingUser : public ScriptedUser {
public:
    using ScriptedUser::ScriptedUser;

    struct Wait {
        std::string form;
        std::vector<std::string> shown;
    };
    struct Box {
        MsgBoxSpec box;
        std::vector<std::string> about;
    };
    std::vector<Wait> waits;
    std::vector<Box> boxes;

    UserAction NextAction(Form& form) override {
        waits.push_back({form.Name(), DescribeForm(form)});
        return ScriptedUser::NextAction(form);
    }
    int32_t AnswerBox(const MsgBoxSpec& box) override {
        boxes.push_back({box, IsFormLoaded<frmAbout>() ? DescribeForm(DefaultInstance<frmAbout>())
                                                       : std::vector<std::string>{}});
        return ScriptedUser::AnswerBox(box);
    }
    // What `form` showed the n-th time it waited (0 = when it opened; -1 = the last time).
    const std::vector<std::string>& Sight(const std::string& form, int n = 0) const {
        std::vector<const Wait*> of;
        for (const Wait& wait : waits)
            if (wait.form == form) of.push_back(&wait);
        static const std::vector<std::string> none;
        if (of.empty()) return none;
        return of[n < 0 ? of.size() - 1 : static_cast<size_t>(n)]->shown;
    }
};

// How a control looked in a sight: `Label "text"`, or "hidden" when it was not shown.
std::string Shows(const std::vector<std::string>& sight, const std::string& control) {
    for (const std::string& line : sight)
        if (line.rfind(control + ": ", 0) == 0) return line.substr(control.size() + 2);
    return "hidden";
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        Err().Clear();
        app_.InstallProgram(1, 2, 3, 45);
        app_.RegisterAppPath();
        LoginUserName.clear();
        LoginPassword.clear();
        LoginDomain.clear();
        LoginConfirmed = false;
    }
    void TearDown() override { DiscardAllForms(); }

    void StartServer(const std::string& served = UpdateFile("1.2.3.46")) {
        server_.AddAccount("KOVA\\jdoe", kPassword);
        server_.AddAccount("\\jdoe", kPassword);
        if (!served.empty()) server_.Serve(kUpdateFileRemotePath, served);
        server_.Start();
        ConfigureServer(server_.Address());
    }
    void ConfigureServer(const std::string& address) {
        ASSERT_TRUE(
            os::RegistrySetString(os::HKEY_CURRENT_USER, kUpdateServerKey, kUpdateServerValue, address));
    }

    // The account steps up to OK.
    static std::vector<Step> Account(const std::string& password = kPassword,
                                     const std::string& domain = "KOVA") {
        return {st::Type("frmLoginDetails.txtLoginName", "jdoe"),
                st::Type("frmLoginDetails.txtLoginPW", password),
                st::Type("frmLoginDetails.txtLoginDomain", domain), st::Click("frmLoginDetails.cmdOK")};
    }
    // Opens the About dialog and runs `middle` between "Check for Update" and closing it.
    void Check(WatchingUser& user, std::vector<Step> middle) {
        user.Add(st::Click("frmAbout.btnUpdate"));
        for (Step& step : middle)
            user.Add(std::move(step));
        user.Add(st::Click("frmAbout.btnOK"));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << "script failure: " << message; });
        ScopedUser on(user);
        frmAbout& about = DefaultInstance<frmAbout>();
        about.Load();
        about.Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_FALSE(IsFormLoaded<frmAbout>());
        EXPECT_FALSE(IsFormLoaded<frmLoginDetails>());
        ReleaseUnloadedForms();
    }
    static std::vector<Step> With(std::vector<Step> steps, Step last) {
        steps.push_back(std::move(last));
        return steps;
    }
    fs::path LocalFile() const { return app_.folder() / kUpdateFileName; }

    ApplicationFolder app_;
    LoopbackFtpServer server_;
};

TEST_F(AboutTest, AnUpdateShowsTheLatestVersionAndSolutionAndTheFileIsGone) {
    StartServer();
    WatchingUser user;
    Check(user, With(Account(), st::Answer(vbOK, "An update is available on the Kova Support site.")));

    const auto& opened = user.Sight("frmAbout");
    EXPECT_THAT(opened,
                ElementsAre("lblCurrTxt: Label \"Current Orbel Version:\"", "lblCurrVer: Label \"1.2.3.45\"",
                            "lblStatusTxt: Label \"\"", "btnUpdate: CommandButton \"Check for Update\" focus",
                            "btnOK: CommandButton \"OK\""));
    EXPECT_TRUE(user.transcript().Contains("show frmAbout \"About the Orbel MS Project  \" modal"));

    const auto& login = user.Sight("frmLoginDetails");
    EXPECT_EQ(Shows(login, "lblExplain"),
              "Label \"To connect to " + server_.Address() +
                  " your account information is needed. Please enter your user name, Password and Domain\"");
    EXPECT_EQ(Shows(login, "lblLoginName"), "Label \"User Name\"");
    EXPECT_EQ(Shows(login, "lblLoginPW"), "Label \"Password\"");
    EXPECT_EQ(Shows(login, "lblLoginDomain"), "Label \"Domain\"");
    EXPECT_TRUE(user.transcript().Contains("show frmLoginDetails \"Account Details\" modal"));
    // Typed characters of the password are shown as "*".
    EXPECT_EQ(Shows(user.Sight("frmLoginDetails", -1), "txtLoginPW"),
              "TextBox \"" + std::string(kPassword.size(), '*') + "\"");

    EXPECT_THAT(user.transcript().Progress("frmAbout.lblStatusTxt"),
                ElementsAre("One moment...", "Connecting to " + server_.Address() + "...",
                            "Searching for update info...", "Checking version information..."));

    ASSERT_EQ(user.boxes.size(), 1u);
    const MsgBoxSpec& box = user.boxes[0].box;
    EXPECT_EQ(box.title, "Update Available");
    EXPECT_EQ(box.Icon(), vbInformation);
    EXPECT_EQ(box.Buttons(), vbOKOnly);
    EXPECT_TRUE(box.Foreground());

    const auto& after = user.Sight("frmAbout", -1);
    EXPECT_EQ(Shows(after, "lblAvlbTxt"), "Label \"Latest Orbel Version:\"");
    EXPECT_EQ(Shows(after, "lblAvlbVer"), "Label \"1.2.3.46\"");
    EXPECT_EQ(Shows(after, "lblAvlbSolTxt"), "Label \"Solution number:\"");
    EXPECT_EQ(Shows(after, "lblAvlbSolNo"), "Label \"123456\"");
    EXPECT_EQ(Shows(after, "lblStatusTxt"), "Label \"\"");
    EXPECT_FALSE(fs::exists(LocalFile()));

    const std::string log = server_.Log();
    for (const char* command :
         {"<- USER KOVA\\jdoe", "<- PASV", "<- TYPE A", "<- RETR /updates/K50_c/KovaMsP.ini"})
        EXPECT_THAT(log, HasSubstr(command));
}

// What the dialog shows after the check, for the file's "Version" against the running version.
TEST_F(AboutTest, TheOutcomeFollowsTheVersionInTheFile) {
    StartServer("");
    const std::string longSolution(120, '7');
    const std::string versionError =
        "There was an error in the determining the version of the latest integration."
        "\r\nPlease try again later or contact Kova Support.";
    const std::string noUpdate = "No updates are available. You are running the latest version of the Orbel.";
    struct Case {
        std::array<uint16_t, 4> current;
        std::string served;
        std::string title;
        int32_t flags;
        std::string text;
        std::string statusAfter;
        std::string latestShown; // lblAvlbVer, "hidden" when the four labels stay hidden
        std::string solutionShown;
    };
    const Case cases[] = {
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.46"),
         "Update Available",
         vbInformation + vbMsgBoxSetForeground,
         "An update is available on the Kova Support site.",
         "",
         "1.2.3.46",
         "123456"},
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.100", "SOL-9"),
         "Update Available",
         vbInformation + vbMsgBoxSetForeground,
         "An update is available on the Kova Support site.",
         "",
         "1.2.3.100",
         "SOL-9"},
        // The solution is read through a buffer of 100 characters.
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.46", longSolution),
         "Update Available",
         vbInformation + vbMsgBoxSetForeground,
         "An update is available on the Kova Support site.",
         "",
         "1.2.3.46",
         longSolution.substr(0, 99)},
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.45"),
         "No Updates available",
         vbOKOnly,
         noUpdate,
         "No updates available",
         "hidden",
         ""},
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.44"),
         "No Updates available",
         vbOKOnly,
         noUpdate,
         "No updates available",
         "hidden",
         ""},
        {{1, 2, 3, 45},
         UpdateFile("1.2.4.1"),
         "Version error",
         vbCritical + vbMsgBoxSetForeground,
         versionError,
         "",
         "hidden",
         ""},
        {{1, 2, 3, 45},
         UpdateFile("1.3.0.1"),
         "Version error",
         vbCritical + vbMsgBoxSetForeground,
         versionError,
         "",
         "hidden",
         ""},
        {{1, 2, 3, 45},
         "[KovaMsPMeridane]\r\nSolution=1\r\n",
         "Version error",
         vbCritical + vbMsgBoxSetForeground,
         versionError,
         "",
         "hidden",
         ""},
        {{1, 2, 3, 45},
         UpdateFile("1.2.3.4x"),
         "Version error",
         vbCritical + vbMsgBoxSetForeground,
         versionError,
         "",
         "hidden",
         ""},
        // Numbers of more than one digit compare as numbers, whatever their length.
        {{1, 2, 10, 5},
         UpdateFile("1.2.10.6"),
         "Update Available",
         vbInformation + vbMsgBoxSetForeground,
         "An update is available on the Kova Support site.",
         "",
         "1.2.10.6",
         "123456"},
        {{1, 2, 3, 450},
         UpdateFile("1.2.3.1000"),
         "Update Available",
         vbInformation + vbMsgBoxSetForeground,
         "An update is available on the Kova Support site.",
         "",
         "1.2.3.1000",
         "123456"},
        {{1, 2, 3, 450},
         UpdateFile("1.2.3.46"),
         "No Updates available",
         vbOKOnly,
         noUpdate,
         "No updates available",
         "hidden",
         ""},
        {{12, 0, 0, 1},
         UpdateFile("1.2.0.0"),
         "Version error",
         vbCritical + vbMsgBoxSetForeground,
         versionError,
         "",
         "hidden",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.served);
        app_.InstallProgram(c.current[0], c.current[1], c.current[2], c.current[3]);
        server_.Serve(kUpdateFileRemotePath, c.served);
        WatchingUser user;
        Check(user, With(Account(), st::Answer(vbOK, c.text)));
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].box.title, c.title);
        EXPECT_EQ(user.boxes[0].box.flags, c.flags);
        // Behind the box: the status of the comparison.
        EXPECT_EQ(Shows(user.boxes[0].about, "lblStatusTxt"),
                  c.title == "No Updates available" ? "Label \"No updates available\""
                                                    : "Label \"Checking version information...\"");
        const auto& after = user.Sight("frmAbout", -1);
        EXPECT_EQ(Shows(after, "lblStatusTxt"), "Label \"" + c.statusAfter + "\"");
        if (c.latestShown == "hidden") {
            for (const char* label : {"lblAvlbTxt", "lblAvlbVer", "lblAvlbSolTxt", "lblAvlbSolNo"})
                EXPECT_EQ(Shows(after, label), "hidden") << label;
        } else {
            EXPECT_EQ(Shows(after, "lblAvlbVer"), "Label \"" + c.latestShown + "\"");
            EXPECT_EQ(Shows(after, "lblAvlbSolNo"), "Label \"" + c.solutionShown + "\"");
        }
        EXPECT_FALSE(fs::exists(LocalFile()));
    }
}

TEST_F(AboutTest, AnEmptyDomainStillSendsTheBackslash) {
    StartServer();
    WatchingUser user;
    Check(user,
          With(Account(kPassword, ""), st::Answer(vbOK, "An update is available on the Kova Support site.")));
    EXPECT_THAT(server_.Log(), HasSubstr("<- USER \\jdoe\n"));
    EXPECT_EQ(user.boxes.at(0).box.title, "Update Available");
}

TEST_F(AboutTest, EnterInTheDomainBoxActsLikeOK) {
    StartServer();
    WatchingUser user;
    Check(user, {st::Type("frmLoginDetails.txtLoginName", "jdoe"),
                 st::Type("frmLoginDetails.txtLoginPW", kPassword),
                 st::Type("frmLoginDetails.txtLoginDomain", "KOVA"),
                 st::PressKey("frmLoginDetails.txtLoginDomain", vbKeyReturn),
                 st::Answer(vbOK, "An update is available on the Kova Support site.")});
    EXPECT_THAT(server_.Log(), HasSubstr("<- USER KOVA\\jdoe\n"));
    EXPECT_EQ(Shows(user.Sight("frmAbout", -1), "lblAvlbVer"), "Label \"1.2.3.46\"");
}

// Cancel, or closing the account dialog, makes no connection, even after an earlier confirmed check.
TEST_F(AboutTest, LeavingTheAccountDialogWithoutOKConnectsNowhere) {
    StartServer();
    for (const Step& leave : {st::Click("frmLoginDetails.cmdCancel"), st::CloseForm("frmLoginDetails")}) {
        SCOPED_TRACE(leave.Describe());
        LoginConfirmed = true; // as an earlier check left it
        LoginUserName = "jdoe";
        LoginDomain = "KOVA";
        LoginPassword = kPassword;
        WatchingUser user;
        Check(user, {st::Type("frmLoginDetails.txtLoginName", "other"), leave});
        EXPECT_TRUE(user.boxes.empty());
        EXPECT_TRUE(user.transcript().Progress("frmAbout.lblStatusTxt").empty());
        EXPECT_EQ(Shows(user.Sight("frmAbout", -1), "lblStatusTxt"), "Label \"\"");
        EXPECT_EQ(LoginUserName, "jdoe"); // the values stay as they were
        EXPECT_THAT(server_.Log(), Not(HasSubstr("FTP session opened")));
    }
}

// A failed session, login or transfer: the library's or the server's text, then "Connection error.".
TEST_F(AboutTest, AFailedConnectionShowsTheReasonThenConnectionError) {
    StartServer();
    const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
    const std::string refused = os::FormatInternetError(os::ERROR_INTERNET_EXTENDED_ERROR);
    struct Case {
        const char* what;
        std::string address;
        std::string password;
        bool serveFile;
        std::vector<std::string> progress; // the status texts in order; "530 " etc. as prefixes
    };
    const Case cases[] = {
        {"wrong password", server_.Address(), "wrong", true, {"One moment...", refused, "530 "}},
        {"unreachable server",
         closed,
         kPassword,
         true,
         {"One moment...", os::FormatInternetError(os::kInternetLibraryErrorBase + 7)}},
        {"no update file",
         server_.Address(),
         kPassword,
         false,
         {"One moment...", "Connecting to " + server_.Address() + "...", refused, "550 "}},
    };
    ASSERT_EQ(cases[1].progress[1], "Couldn't connect to server");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.serveFile)
            server_.Serve(kUpdateFileRemotePath, UpdateFile("1.2.3.46"));
        else
            fs::remove(server_.root() / "updates/K50_c/KovaMsP.ini");
        ConfigureServer(c.address);
        WatchingUser user;
        Check(user,
              With(Account(c.password), st::Answer(vbOK, "Connecting failed, please try again later.")));
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].box.title, "Connection error.");
        EXPECT_EQ(user.boxes[0].box.flags, vbCritical);
        const auto progress = user.transcript().Progress("frmAbout.lblStatusTxt");
        ASSERT_EQ(progress.size(), c.progress.size()) << ::testing::PrintToString(progress);
        for (size_t i = 0; i < progress.size(); ++i)
            EXPECT_EQ(progress[i].rfind(c.progress[i], 0), 0u) << progress[i];
        // The status keeps what the failure put there, behind the box and after it.
        EXPECT_EQ(Shows(user.boxes[0].about, "lblStatusTxt"), "Label \"" + progress.back() + "\"");
        EXPECT_EQ(Shows(user.Sight("frmAbout", -1), "lblStatusTxt"), "Label \"" + progress.back() + "\"");
        EXPECT_EQ(Shows(user.Sight("frmAbout", -1), "lblAvlbVer"), "hidden");
        EXPECT_FALSE(fs::exists(LocalFile()));
    }
}

TEST_F(AboutTest, ThePasswordIsNeitherShownNorWrittenNorKept) {
    StartServer();
    for (const std::string& password : {kPassword, std::string("Wr0ng:pass")}) {
        WatchingUser user;
        Check(user, With(Account(password), st::Answer(vbOK)));
        EXPECT_EQ(LoginPassword, "");
        for (const auto& wait : user.waits)
            for (const std::string& line : wait.shown)
                EXPECT_THAT(line, Not(HasSubstr(password)));
        for (const auto& box : user.boxes)
            EXPECT_THAT(box.box.prompt, Not(HasSubstr(password)));
        for (const std::string& shown : user.transcript().Progress("frmAbout.lblStatusTxt"))
            EXPECT_THAT(shown, Not(HasSubstr(password)));
        for (const fs::path& folder : {app_.home(), server_.root().parent_path()})
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                if (entry.is_regular_file()) {
                    EXPECT_THAT(test::ReadFile(entry.path()), Not(HasSubstr(password))) << entry.path();
                }
    }
}

TEST_F(AboutTest, TheDialogShowsTheFileVersionOfTheProgram) {
    struct Case {
        std::array<uint16_t, 4> stamp;
        const char* shown;
    } cases[] = {
        {{1, 2, 3, 45}, "1.2.3.45"}, {{65535, 0, 10, 200}, "65535.0.10.200"}, {{0, 0, 0, 0}, "0.0.0.0"}};
    for (const Case& c : cases) {
        app_.InstallProgram(c.stamp[0], c.stamp[1], c.stamp[2], c.stamp[3]);
        WatchingUser user({st::Click("frmAbout.btnOK")});
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        DefaultInstance<frmAbout>().Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_EQ(Shows(user.Sight("frmAbout"), "lblCurrVer"), "Label \"" + std::string(c.shown) + "\"");
    }
}

// A program file without a version shows none; a check then cannot match the server's version.
TEST_F(AboutTest, WithoutAVersionTheCheckGivesAVersionError) {
    StartServer();
    test::WriteFile(app_.program(), "#!/bin/sh\nexit 0\n");
    WatchingUser user;
    Check(user, With(Account(),
                     st::Answer(vbOK, "There was an error in the determining the version of the latest "
                                      "integration.\r\nPlease try again later or contact Kova Support.")));
    EXPECT_EQ(Shows(user.Sight("frmAbout"), "lblCurrVer"), "Label \"\"");
    EXPECT_EQ(Shows(user.Sight("frmAbout"), "btnUpdate"), "CommandButton \"Check for Update\" focus");
    EXPECT_FALSE(fs::exists(LocalFile()));
}

TEST(AboutWords, HighAndLowWordsAreUnsigned16BitHalves) {
    struct Case {
        uint32_t value;
        int32_t high, low;
    } cases[] = {{0x0001002Du, 1, 45}, {0xFFFF0001u, 65535, 1}, {0x8000FFFFu, 32768, 65535}, {0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(frmAbout::HIWORD(static_cast<int32_t>(c.value)), c.high) << std::hex << c.value;
        EXPECT_EQ(frmAbout::LOWORD(static_cast<int32_t>(c.value)), c.low) << std::hex << c.value;
    }
}

} // namespace
} // namespace Grantry
