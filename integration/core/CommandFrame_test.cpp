// The commands' shared frame and the connect command, through the planning program and the ERP
// stand-ins, with the user's answers scripted.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "dataobjects/ClassRegistration.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestBackend.h"
#include "platform/os/TextFiles.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace fs = std::filesystem;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;
using platform::middleware::TestBackend;

std::string Seed(const std::string& release) {
    return R"({"release": ")" + release +
           R"(", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"}})";
}

constexpr char kOfferBox[] =
    "Kova Project - MsProject Integration|Messages have been added to the log file... "
    "Would you like to view it now?";
constexpr char kSaveFirstBox[] =
    "Kova Project - MsProject Integration|The Project must be saved first for this operation.";
constexpr char kViewMissingBox[] =
    "View missing|The \"Kova Proj Gantt\"-view is missing. Please reinstall the Orbel.";

// Puts an environment variable back as it was.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class CommandFrameTest : public test::PlanFixture {
protected:
    explicit CommandFrameTest(const std::string& release = "tt7.1_a") : erp(Seed(release)) {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        plans = erp.home() / "Plans";
        // The viewer writes the arguments it got, one a line, and appears only once complete.
        viewer = erp.home() / "viewer.sh";
        viewed = erp.home() / "viewed.txt";
        test::WriteFile(viewer, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                    viewed.string() + ".part\"\nmv \"" + viewed.string() + ".part\" \"" +
                                    viewed.string() + "\"\n");
        fs::permissions(viewer, fs::perms::owner_all);
        viewerVariable.emplace("KOVA_LOG_VIEWER", viewer.string());
    }
    void TearDown() override {
        ShowConnectDialog = nullptr;
        viewerVariable.reset();
        test::PlanFixture::TearDown();
    }
    // The Save As dialog of a never-saved plan is the user's, as in the host.
    msp::ApplicationOptions Options() override {
        msp::ApplicationOptions options;
        options.saveAsPrompt = [](const msp::Project&) -> std::optional<std::string> {
            std::optional<std::string> answer = AskText(SaveAsPrompt);
            if (!answer || answer->empty()) return std::nullopt;
            return answer;
        };
        return options;
    }

    void DefineGanttView() {
        app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    // A plan stored on disk with the integration's view and every integration property: nothing is
    // left unsaved for the command to ask about.
    void StoredPlan(const std::string& project = "") {
        DefineGanttView();
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Properties().Add(d.name, false, d.type, d.initial);
        if (!project.empty()) {
            Properties().Item("KovaProject").SetValue(project);
            Properties().Item("KovaCompany").SetValue(int32_t(4711));
        }
        SaveAs(plans / "Bridge.mpp");
        ASSERT_TRUE(Plan().Saved());
    }
    fs::path LogPath() const { return plans / "Bridge.log"; }
    std::vector<std::string> LogLines(const fs::path& path) const {
        std::string text = test::ReadFile(path);
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : user.transcript().Boxes())
            out.push_back(b.box.title + "|" + b.box.prompt);
        return out;
    }
    const MsgBoxSpec& Box(size_t index) const { return user.transcript().Boxes().at(index).box; }
    void Connect() {
        test::RunAsMacro("connectProject");
    }
    // What the viewer received, once it ran.
    std::string Viewed() const {
        for (int i = 0; i < 1000 && !fs::exists(viewed); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(viewed) ? test::ReadFile(viewed) : "<viewer did not run>";
    }

    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
    fs::path plans, viewer, viewed;
    std::optional<ScopedVariable> viewerVariable;
};

TEST_F(CommandFrameTest, HasKovaGanttViewLooksForTheViewByItsExactName) {
    EXPECT_FALSE(HasKovaGanttView());
    EXPECT_EQ(Err().Number, 0);
    app->ViewEditSingle("kova proj gantt", true, true, "Entry");
    EXPECT_FALSE(HasKovaGanttView());
    app->FileNew(false);
    DefineGanttView();
    EXPECT_TRUE(HasKovaGanttView());

    // Without a plan the views cannot be read: the answer is false and the failure is the caller's.
    app->FileCloseAll(msp::pjDoNotSave);
    EXPECT_FALSE(HasKovaGanttView());
    EXPECT_NE(Err().Number, 0);
}

TEST_F(CommandFrameTest, TheFrameRefusesAMissingPlanAndAMissingView) {
    user.Add(steps::Answer(vbOK));
    EXPECT_FALSE(RequireKovaGanttView());
    ASSERT_EQ(Boxes(), std::vector<std::string>{kViewMissingBox});
    EXPECT_EQ(Box(0).Icon(), vbCritical);
    EXPECT_TRUE(Box(0).Foreground());

    DefineGanttView();
    app->ViewApply("Gantt Chart");
    EXPECT_TRUE(RequireKovaGanttView());
    EXPECT_EQ(Plan().CurrentView(), "Kova Proj Gantt");
    EXPECT_TRUE(RequireOpenPlan());
    EXPECT_EQ(Boxes().size(), 1u);

    app->FileCloseAll(msp::pjDoNotSave);
    user.transcript().Clear();
    user.Add(steps::Answer(vbOK));
    EXPECT_FALSE(RequireOpenPlan());
    ASSERT_EQ(Boxes(), std::vector<std::string>{"Kova Project - MsProject Integration|No active project "
                                                "found\r\n\r\nPlease open a new/existing project before "
                                                "selecting this button"});
    EXPECT_EQ(Box(0).Icon(), vbExclamation);
    EXPECT_EQ(Box(0).Buttons(), vbOKOnly);
    EXPECT_TRUE(user.Finish());
}

TEST_F(CommandFrameTest, TheLogOfferStartsTheViewerOnlyOnYes) {
    const fs::path log = erp.home() / "with blank" / "Plan one.log";
    test::WriteFile(log, "line\r\n");
    user.Add(
        steps::Answer(vbNo, "Messages have been added to the log file... Would you like to view it now?"));
    OfferLogView(log.string());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(viewed));

    user.Add(steps::Answer(vbYes));
    OfferLogView(log.string());
    EXPECT_EQ(Viewed(), log.string() + "\n");
    ASSERT_EQ(Boxes(), (std::vector<std::string>{kOfferBox, kOfferBox}));
    EXPECT_EQ(Box(1).Icon(), vbQuestion);
    EXPECT_EQ(Box(1).Buttons(), vbYesNo);
    EXPECT_TRUE(Box(1).Foreground());
    EXPECT_TRUE(user.Finish());
}

TEST_F(CommandFrameTest, AViewerThatCannotStartIsIgnored) {
    viewerVariable.emplace("KOVA_LOG_VIEWER", (erp.home() / "no such viewer").string());
    user.Add(steps::Answer(vbYes));
    OfferLogView((erp.home() / "x.log").string());
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(user.Finish());
}

// The dialog's part of a successful run: it prints to the open log and writes the connection.
void ConnectingDialog() {
    PrintLog("Building the Kova Project Plan List.....");
    MSProjectApplication->ActiveProject().CustomDocumentProperties().Item("KovaProject").SetValue("P100");
}

TEST_F(CommandFrameTest, AConnectRunIsLoggedSavedAndOffered) {
    StoredPlan();
    ShowConnectDialog = ConnectingDialog;
    user.Add(steps::Answer(vbYes));
    Connect();
    EXPECT_EQ(LogLines(LogPath()),
              (std::vector<std::string>{"*** Process *** Connect Microsoft Project to Kova Project",
                                        "Building the Kova Project Plan List.....",
                                        "Connection Established with Kova Project : P100",
                                        "The Microsoft Project file is saved"}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kOfferBox});
    EXPECT_EQ(Viewed(), LogPath().string() + "\n");
    EXPECT_TRUE(app->ActiveProject().Saved());
    // The log is closed and the command's objects are gone.
    EXPECT_FALSE(platform::os::PrintLine(platform::os::LogFileNumber, "late"));
    Err().Clear();
    EXPECT_EQ(LogFilePath, LogPath().string());
    EXPECT_FALSE(MSProjectApplication);
    EXPECT_FALSE(CurrentConnection);
    EXPECT_FALSE(CurrentProjectData);
    EXPECT_TRUE(user.Finish());
}

TEST_F(CommandFrameTest, TheEndOfTheLogTellsHowTheDialogEnded) {
    struct Case {
        const char* name;
        std::function<void()> dialog;
        std::vector<std::string> tail; // after the header
        bool saved;                    // the plan afterwards
    } cases[] = {
        {"no dialog", nullptr, {"Process Cancelled"}, true},
        {"left without connecting",
         [] { PrintLog("Building the Kova Project List..."); },
         {"Building the Kova Project List...", "Process Cancelled"},
         true},
        {"failed run",
         [] {
             ConnectingDialog();
             Err().Raise(777, "KovaDataObjects", "refused");
         },
         {"Building the Kova Project Plan List.....", "Connection to Kova Project failed.........", ""},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        StoredPlan();
        ShowConnectDialog = c.dialog;
        user.transcript().Clear();
        user.Add(steps::Answer(vbNo));
        Connect();
        std::vector<std::string> expected{"*** Process *** Connect Microsoft Project to Kova Project"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(LogLines(LogPath()), expected);
        EXPECT_EQ(Boxes(), std::vector<std::string>{kOfferBox});
        // A failed run changed the plan but the command does not save it.
        EXPECT_EQ(app->ActiveProject().Saved(), c.saved);
        EXPECT_TRUE(user.Finish());
    }
    EXPECT_FALSE(fs::exists(viewed));
}

// A server plan keeps its log in its folder under the application; a folder left by an earlier
// connection is no failure of this run.
TEST_F(CommandFrameTest, AServerPlansLogGoesIntoItsFolder) {
    ApplicationPathCache = (erp.home() / "kova").string();
    fs::create_directories(ApplicationPathCache);
    const fs::path folder = erp.home() / "kova" / "Bridge.mpp";
    for (bool folderExists : {false, true}) {
        SCOPED_TRACE(folderExists);
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        DefineGanttView();
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Properties().Add(d.name, false, d.type, d.initial);
        SaveAs("<>/Kova Plans/Bridge.mpp");
        fs::remove_all(folder);
        if (folderExists) fs::create_directories(folder);
        ShowConnectDialog = ConnectingDialog;
        user.Add(steps::Answer(vbNo));
        Connect();
        EXPECT_EQ(LogLines(folder / "Bridge.mpp.log"),
                  (std::vector<std::string>{"*** Process *** Connect Microsoft Project to Kova Project",
                                            "Building the Kova Project Plan List.....",
                                            "Connection Established with Kova Project : P100",
                                            "The Microsoft Project file is saved"}));
        EXPECT_TRUE(user.Finish());
    }
}

TEST_F(CommandFrameTest, AnAlreadyConnectedPlanIsRefusedWithoutLogOrSave) {
    StoredPlan("P100");
    // The plan is changed after its last save, so a save by the command would show.
    Properties().Item("OBSCode").SetValue("X");
    ShowConnectDialog = [] { ADD_FAILURE() << "the dialog must not open"; };
    user.Add(steps::Answer(vbOK));
    Connect();
    ASSERT_EQ(Boxes(),
              std::vector<std::string>{"Kova Project - MsProject Integration|Connection already exists "
                                       "with the following Kova Project\r\n\r\nProject Code : P100     "
                                       "Company : 4711"});
    EXPECT_EQ(Box(0).Icon(), vbCritical);
    EXPECT_EQ(Box(0).Buttons(), vbOKOnly);
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_FALSE(app->ActiveProject().Saved());
    EXPECT_TRUE(user.Finish());
}

// A connected plan that lost its company is refused all the same, and is not given company 0.
TEST_F(CommandFrameTest, AnAlreadyConnectedPlanWithoutCompanyIsNotGivenOne) {
    StoredPlan("P100");
    Properties().Item("KovaCompany").Delete();
    ShowConnectDialog = [] { ADD_FAILURE() << "the dialog must not open"; };
    user.Add(steps::Answer(vbOK));
    Connect();
    ASSERT_EQ(Boxes(),
              std::vector<std::string>{"Kova Project - MsProject Integration|Connection already exists "
                                       "with the following Kova Project\r\n\r\nProject Code : P100     "
                                       "Company : "});
    EXPECT_FALSE(HasProperty("KovaCompany"));
    EXPECT_TRUE(user.Finish());
}

TEST_F(CommandFrameTest, AnUnsavedPlanMustBeSavedFirst) {
    struct Case {
        const char* name;
        std::vector<Step> answers;
        bool logged;
    } cases[] = {
        {"cancel at the question", {steps::Answer(vbCancel)}, false},
        {"cancel in Save As", {steps::Answer(vbOK), steps::CancelSaveAs()}, false},
        {"saved",
         {steps::Answer(vbOK), steps::SaveAs((plans / "New.mpp").string()), steps::Answer(vbNo)},
         true},
    };
    fs::create_directories(plans);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        DefineGanttView();
        user.transcript().Clear();
        for (const Step& s : c.answers)
            user.Add(s);
        Connect();
        ASSERT_GE(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0], kSaveFirstBox);
        EXPECT_EQ(Box(0).Buttons(), vbOKCancel);
        EXPECT_EQ(Box(0).Icon(), vbInformation);
        EXPECT_TRUE(Box(0).Foreground());
        EXPECT_EQ(Boxes().size(), c.logged ? 2u : 1u);
        EXPECT_EQ(fs::exists(plans / "New.log"), c.logged);
        EXPECT_TRUE(user.Finish());
        if (c.logged) {
            EXPECT_TRUE(app->ActiveProject().Saved());
            EXPECT_EQ(LogLines(plans / "New.log").at(0),
                      "*** Process *** Connect Microsoft Project to Kova Project");
        }
    }
}

// With no plan open the command adds one and goes on to connect it; the view comes from the global
// template, as installed.
TEST_F(CommandFrameTest, WithNoPlanOpenANewPlanIsConnected) {
    DefineGanttView();
    app->OrganizerMoveItem(msp::pjViews, Plan().Name(), "GLOBAL.MPT", "Kova Proj Gantt");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    app->FileCloseAll(msp::pjDoNotSave);
    ASSERT_EQ(app->Projects().Count(), 0);
    fs::create_directories(plans);
    user.Add(steps::Answer(vbOK));
    user.Add(steps::SaveAs((plans / "Fresh.mpp").string()));
    user.Add(steps::Answer(vbNo));
    Connect();
    EXPECT_EQ(app->Projects().Count(), 1);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kSaveFirstBox, kOfferBox}));
    EXPECT_EQ(LogLines(plans / "Fresh.log"),
              (std::vector<std::string>{"*** Process *** Connect Microsoft Project to Kova Project",
                                        "Process Cancelled"}));
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        EXPECT_TRUE(HasProperty(d.name)) << d.name;
    EXPECT_TRUE(user.Finish());
}

TEST_F(CommandFrameTest, APlanWithoutTheViewIsLeftAsItWas) {
    SaveAs(plans / "Bridge.mpp");
    Properties().Add("Mine", false, kPropertyText, "kept");
    user.Add(steps::Answer(vbOK));
    Connect();
    ASSERT_EQ(Boxes(), std::vector<std::string>{kViewMissingBox});
    EXPECT_EQ(Box(0).Icon(), vbCritical);
    EXPECT_TRUE(Box(0).Foreground());
    EXPECT_EQ(Properties().Count(), 1);
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_TRUE(user.Finish());
}

class ConnectWrongReleaseTest : public CommandFrameTest {
protected:
    ConnectWrongReleaseTest() : CommandFrameTest("tt7.0") {}
};

TEST_F(ConnectWrongReleaseTest, ConnectStopsAtTheRelease) {
    StoredPlan();
    ShowConnectDialog = [] { ADD_FAILURE() << "the dialog must not open"; };
    const auto before = Properties().Count();
    user.Add(steps::AnswerContaining(vbOK, "Version does not match with Kova Release version."));
    Connect();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Properties().Count(), before);
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_EQ(BOIConnector, "");
    EXPECT_TRUE(user.Finish());
}

// The macros call the command late-bound, with the menu's spelling.
TEST_F(CommandFrameTest, TheCommandIsInTheClassesMemberTable) {
    StoredPlan("P100");
    user.Add(steps::AnswerContaining(vbOK, "Project Code : P100"));
    automation::Object command = automation::MakeObject<KovaMSP>();
    automation::Call(command, "ConnectProject");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Box(0).title, kMessageTitle);
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
