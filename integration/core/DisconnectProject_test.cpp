// The disconnect command through the planning program and the ERP stand-ins, the user's answers
// scripted.
#include <gtest/gtest.h>

#include <filesystem>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaConnection.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestBackend.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace fs = std::filesystem;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

constexpr char kLinkManager[] = "ChargeElement.ExternalScheduleLinkManager";

// Company 4711; project BRIDGE's plan MAIN is linked with the plan file `linkedFile`.
std::string Seed(const std::string& linkedFile) {
    return R"({"release": "tt7.1_a", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"},
               "projects": [{"id": "BRIDGE", "plans": [{"id": "MAIN", "links": [
                   {"node": "", "ownership": 1, "externalSchedule": ")" +
           linkedFile + R"("}]}]}]})";
}

constexpr char kQuestionBox[] =
    "Kova Project - MsProject Integration|Disconnect the active MsP Project from Kova ?";
constexpr char kOfferBox[] =
    "Kova Project - MsProject Integration|Messages have been added to the log file... "
    "Would you like to view it now?";
constexpr char kHeader[] = "*** Process *** Disconnect Microsoft Project from Kova Project...";

class DisconnectProjectTest : public test::PlanFixture {
protected:
    explicit DisconnectProjectTest(const std::string& linkedFile = "Bridge.mpp") : erp(Seed(linkedFile)) {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        fs::create_directories(ApplicationPathCache);
        test::InstallMenuAndToolbar(*app, true);
    }

    // A plan with the view and every integration property, connected to BRIDGE/MAIN of company
    // `company` unless `project` is empty, saved as `path`.
    void ConnectedPlan(const std::string& project = "BRIDGE", int32_t company = 4711,
                       const std::string& path = "") {
        app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Properties().Add(d.name, false, d.type, d.initial);
        if (!project.empty()) {
            Properties().Item("KovaProject").SetValue(project);
            Properties().Item("KovaProjectPlan").SetValue("MAIN");
            Properties().Item("KovaCompany").SetValue(company);
        }
        SaveAs(path.empty() ? erp.home() / "Plans" / "Bridge.mpp" : fs::path(path));
        ASSERT_TRUE(Plan().Saved());
    }
    fs::path LogPath() const { return erp.home() / "Plans" / "Bridge.log"; }
    std::vector<std::string> LogLines() const {
        std::string text = test::ReadFile(LogPath());
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    int IntegrationPropertiesLeft() const {
        int left = 0;
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            left += HasProperty(d.name) ? 1 : 0;
        return left;
    }
    // Whether the ERP still holds the schedule link of BRIDGE/MAIN.
    bool LinkInErp() {
        KovaDataObjects::KovaConnection connection;
        std::string connector = connection.Connector;
        KovaDataObjects::KovaProjectData data;
        data.ProjectCode = "BRIDGE";
        data.Plan = "MAIN";
        const bool linked = data.determineCHBSOwnership(connector) != 0;
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        return linked;
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : user.transcript().Boxes())
            out.push_back(b.box.title + "|" + b.box.prompt);
        return out;
    }
    const MsgBoxSpec& Box(size_t index) const { return user.transcript().Boxes().at(index).box; }
    void Disconnect() {
        test::RunAsMacro("disconnectProject");
    }

    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(DisconnectProjectTest, AConnectedPlanIsUnlinkedInTheErpAndInThePlan) {
    ConnectedPlan();
    ASSERT_TRUE(LinkInErp());
    user.Add(steps::Answer(vbYes));
    user.Add(steps::Answer(vbNo));
    Disconnect();

    EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestionBox, kOfferBox}));
    EXPECT_EQ(Box(0).Buttons(), vbYesNo);
    EXPECT_EQ(Box(0).Icon(), vbQuestion);
    EXPECT_EQ(Box(0).DefaultButton(), 2);
    EXPECT_TRUE(Box(0).Foreground());
    EXPECT_EQ(user.transcript().Progress("frmIntegrationStatus.lblStatus"),
              std::vector<std::string>{"Disconnecting from Kova Project BRIDGE..."});
    EXPECT_EQ(LogLines(), (std::vector<std::string>{kHeader, "Disconnected from KovaProject : BRIDGE",
                                                    "The Microsoft Project file is saved"}));
    EXPECT_FALSE(LinkInErp());
    EXPECT_EQ(IntegrationPropertiesLeft(), 0);
    EXPECT_TRUE(Plan().Saved());
    EXPECT_EQ(test::MenuState(*app), "1000001") << "only the connect item (and About)";
    EXPECT_EQ(test::ToolbarState(*app), "111100");
    EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
    EXPECT_FALSE(MSProjectApplication);
    EXPECT_FALSE(CurrentConnection);
    EXPECT_TRUE(user.Finish());
}

// Removal in order stops at the first property the plan lacks; the disconnected plan must still lose
// all the others, or it would stay connected to a link the ERP no longer has.
TEST_F(DisconnectProjectTest, APlanLackingSomePropertiesStillLosesTheRest) {
    ConnectedPlan();
    Properties().Item("KovaProjectDescription").Delete();
    Properties().Item("OBSCode").Delete();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    app->FileSave();
    user.Add(steps::Answer(vbYes));
    user.Add(steps::Answer(vbNo));
    Disconnect();
    EXPECT_EQ(IntegrationPropertiesLeft(), 0);
    EXPECT_FALSE(LinkInErp());
    EXPECT_EQ(test::MenuState(*app), "1000001");
    EXPECT_EQ(LogLines().back(), "The Microsoft Project file is saved");
    EXPECT_TRUE(user.Finish());
}

// A connected plan that names no company of its own is disconnected as one of the connection's
// company; one naming another company stays refused.
TEST_F(DisconnectProjectTest, APlanThatNamesNoCompanyCanStillBeDisconnected) {
    for (const char* company : {"", "0", "x"}) {
        SCOPED_TRACE(company);
        erp.Control().Reset();
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        ConnectedPlan();
        Properties().Item("KovaCompany").Delete();
        // A property rewritten by hand as text.
        if (*company) Properties().Add("KovaCompany", false, msp::msoPropertyTypeString, std::string(company));
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        app->FileSave();
        if (!LinkInErp()) {
            KovaDataObjects::KovaConnection connection;
            std::string connector = connection.Connector;
            KovaDataObjects::KovaProjectData data;
            data.updateConnectionInfoInKova(connector, "BRIDGE", "MAIN", "", 1, "Bridge.mpp");
        }
        ASSERT_TRUE(LinkInErp()) << Err().Description;
        user.transcript().Clear();
        user.Add(steps::Answer(vbYes));
        user.Add(steps::Answer(vbNo));
        Disconnect();
        EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestionBox, kOfferBox}));
        EXPECT_FALSE(LinkInErp());
        EXPECT_EQ(IntegrationPropertiesLeft(), 0);
        EXPECT_TRUE(user.Finish());
    }
}

// Every refusal leaves the plan's properties and the ERP's link as they were.
TEST_F(DisconnectProjectTest, RefusalsLeaveTheConnectionAsItWas) {
    struct Case {
        const char* name;
        std::string project; // "" = never connected (company 0)
        std::vector<Step> answers;
        std::function<void(TestBackend&)> arrange;
        std::vector<std::string> logTail; // after the header; empty = no log at all
    } cases[] = {
        {"No at the question", "BRIDGE", {steps::Answer(vbNo)}, nullptr, {}},
        {"plan not connected",
         "",
         {steps::Answer(vbYes), steps::AnswerContaining(vbOK, "Cannnot continue with the Process")},
         nullptr,
         {}},
        {"ERP failure",
         "BRIDGE",
         {steps::Answer(vbYes), steps::Answer(vbNo)},
         [](TestBackend& erp) {
             erp.Control().ArmFault(Fault::Error(kLinkManager, "showExternalScheduleLink", 70, 0,
                                                 platform::middleware::MessageDescription("Down")));
         },
         {"   The ExternalScheduleLink could not be Removed for the ESP Project.", "Down"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        fs::remove(LogPath());
        ConnectedPlan(c.project);
        const int before = IntegrationPropertiesLeft();
        user.transcript().Clear();
        for (const Step& s : c.answers)
            user.Add(s);
        if (c.arrange) c.arrange(erp);
        Disconnect();
        erp.Control().ClearFaults();

        EXPECT_EQ(Boxes().at(0), kQuestionBox);
        EXPECT_EQ(IntegrationPropertiesLeft(), before);
        EXPECT_EQ(HasProperty("KovaProject") ? automation::CStr(Properties().Item("KovaProject").Value())
                                             : "",
                  c.project);
        EXPECT_TRUE(LinkInErp());
        if (c.logTail.empty()) {
            EXPECT_FALSE(fs::exists(LogPath()));
        } else {
            std::vector<std::string> expected{kHeader};
            expected.insert(expected.end(), c.logTail.begin(), c.logTail.end());
            EXPECT_EQ(LogLines(), expected);
            EXPECT_EQ(Boxes().back(), kOfferBox);
        }
        EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
        EXPECT_TRUE(user.Finish());
    }
}

TEST_F(DisconnectProjectTest, WithNoPlanOpenOnlyTheNoPlanMessageShows) {
    app->FileCloseAll(msp::pjDoNotSave);
    user.Add(steps::AnswerContaining(vbOK, "No active project found"));
    // The macros call it late-bound.
    automation::Object command = automation::MakeObject<KovaMSP>();
    automation::Call(command, "disconnectProject");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(user.Finish());
}

// A server plan is offered the deletion of its side files whichever way the command went.
TEST_F(DisconnectProjectTest, AServerPlanIsOfferedItsSideFilesDeletion) {
    ConnectedPlan("BRIDGE", 4711, "<>/Kova Plans/Bridge.mpp");
    user.Add(steps::Answer(vbNo));
    user.Add(steps::AnswerContaining(vbNo, "Do you want to delete the .lco, .bce and .log files"));
    Disconnect();
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Box(1).title, "Confirm Deletion");
    EXPECT_EQ(IntegrationPropertiesLeft(), 39);
    EXPECT_TRUE(user.Finish());
}

class DisconnectOtherFileTest : public DisconnectProjectTest {
protected:
    DisconnectOtherFileTest() : DisconnectProjectTest("Other.mpp") {}
};

TEST_F(DisconnectOtherFileTest, ALinkOfAnotherPlanFileIsNotRemoved) {
    ConnectedPlan();
    user.Add(steps::Answer(vbYes));
    user.Add(steps::Answer(vbOK));
    user.Add(steps::Answer(vbNo));
    Disconnect();
    ASSERT_EQ(Boxes(),
              (std::vector<std::string>{kQuestionBox,
                                        "Kova Project - MsProject Integration|The Current Project "
                                        "is not linked to Kova. The connection is made with Other.mpp",
                                        kOfferBox}));
    EXPECT_EQ(Box(1).Icon(), vbCritical);
    EXPECT_EQ(Box(1).Buttons(), vbOKOnly);
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{kHeader, "Disconnect from KovaProject : BRIDGE Aborted... "}));
    EXPECT_TRUE(LinkInErp());
    EXPECT_EQ(IntegrationPropertiesLeft(), 39);
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
