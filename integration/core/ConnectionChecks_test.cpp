// Opening the ERP connection and the release and company checks, against the ERP stand-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaConnection.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/TestBackend.h"
#include "platform/os/KovaHome.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;
using platform::middleware::TestBackend;

std::string Seed(const std::string& release) {
    return R"({"release": ")" + release +
           R"(", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"}})";
}

// The ERP stand-in's machine folder is the one of the whole test.
class ConnectionTest : public test::PlanFixture {
protected:
    explicit ConnectionTest(const std::string& release = " tt7.1_a ") : erp(Seed(release)) {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    }
    // The boxes the user saw, as "title|text".
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : user.transcript().Boxes())
            out.push_back(b.box.title + "|" + b.box.prompt);
        return out;
    }
    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(ConnectionTest, OpeningTakesTheConnector) {
    BOIConnector = "stale";
    EXPECT_TRUE(OpenKovaConnection());
    ASSERT_TRUE(CurrentConnection);
    EXPECT_EQ(BOIConnector, "DEMO");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ConnectionTest, OpeningFailuresTellTheUserAndEmptyTheConnector) {
    struct Case {
        const char* name;
        std::function<void(TestBackend&)> arrange;
        std::string text;
    } cases[] = {
        {"not maintained",
         [](TestBackend& e) {
             e.Config().maintained = false;
             e.Save();
         },
         "The Default Backend Component is not maintained in the  Kova Meridane Adapter Configuration.\r\n"
         "Please Maintain a  Default Backend Component to work with the Integration."},
        {"not started",
         [](TestBackend& e) {
             e.Config().started = false;
             e.Save();
         },
         "The Default Backend Component maintained in the Kova Meridane Adapter Configuration, \r\n"
         "is not started in the Backend Server.\r\n\r\n"
         "Please start the Component in the Backend Server to work with the Integration."},
        {"library not registered",
         [](TestBackend&) { automation::UnregisterClass(KovaDataObjects::ProgIdOf("KovaConnection")); },
         "ActiveX component can't create object"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        erp.Config().maintained = true;
        erp.Config().started = true;
        erp.Save();
        KovaDataObjects::RegisterKovaDataObjects();
        c.arrange(erp);
        user.transcript().Clear();
        user.Add(steps::Answer(vbOK, c.text));
        BOIConnector = "stale";
        EXPECT_FALSE(OpenKovaConnection());
        EXPECT_EQ(BOIConnector, "");
        EXPECT_EQ(Err().Number, 0);
        ASSERT_EQ(user.transcript().Boxes().size(), 1u);
        EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Kova Project - MS Project Integration");
        EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbCritical);
        EXPECT_TRUE(user.Finish());
    }
}


// A backend whose database is damaged keeps the box's words; the database's own reason is in the plan's
// log.
TEST_F(ConnectionTest, ADamagedDatabaseIsExplainedInThePlansLog) {
    const std::filesystem::path plan = platform::os::KovaHome() / "Damaged" / "Plan.mpp";
    SaveAs(plan);
    std::ofstream(platform::middleware::DatabasePath(erp.Config()), std::ios::binary | std::ios::trunc)
        << "this is no database, it only has the length of one......................................"
           "...........................................................................................";
    user.Add(steps::AnswerContaining(vbOK, "is not started in the Backend Server."));
    EXPECT_FALSE(OpenKovaConnection());
    EXPECT_TRUE(user.Finish());
    std::ifstream in(std::filesystem::path(plan).replace_extension(".log"), std::ios::binary);
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(log.rfind("The Default Backend Component did not answer: ", 0), 0u) << log;
    EXPECT_NE(log.find("The database of the backend DEMO cannot be opened: "), std::string::npos) << log;
    EXPECT_NE(log.find("file is not a database"), std::string::npos) << log;
}

constexpr char kReleaseMessage[] = "Kova Project - MsProject Integration|KovaProject-MS Project Integration "
                                   "Version does not match with Kova "
                                   "Release version. ";

TEST_F(ConnectionTest, TheReleaseIsComparedTrimmedAndWithItsLetterCase) {
    struct Case {
        const char* release;
        bool accepted;
    } cases[] = {{" tt7.1_a ", true}, {"tt7.1_a", true}, {"TT7.1_A", false}, {"tt7.1_b", false}, {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        TestBackend other(Seed(c.release));
        KovaDataObjects::RegisterKovaDataObjects();
        user.transcript().Clear();
        if (!c.accepted) user.Add(steps::Answer(vbOK));
        ASSERT_TRUE(OpenKovaConnection());
        EXPECT_EQ(CheckKovaRelease(), c.accepted);
        EXPECT_EQ(Boxes(),
                  c.accepted ? std::vector<std::string>{} : std::vector<std::string>{kReleaseMessage});
        EXPECT_EQ(BOIConnector, c.accepted ? "DEMO" : "");
        EXPECT_TRUE(user.Finish());
        CurrentConnection.reset();
    }
}

std::string CompanyText(const std::string& planCompany) {
    return "Cannnot continue with the Process\r\n"
           "You are trying to connect with Company Number : 4711\r\n\r\n"
           "The active MsP Project is connected to Company Number : " +
           planCompany +
           "\r\nPlease ensure your Default Backend Component  belongs to the correct Company Numberto "
           "continue with "
           "the process";
}
std::string CompanyMessage(const std::string& planCompany) {
    return "KovaProject - MsProject Integration|" + CompanyText(planCompany);
}

TEST_F(ConnectionTest, TheCompanyCheckPassesOnlyThePlanOfTheConnectionsCompany) {
    struct Case {
        const char* name;
        std::function<void(msp::CustomDocumentProperties)> arrange;
        bool passes;
        const char* shown; // the plan's company in the message
    } cases[] = {
        {"same company", [](auto p) { p.Add("KovaCompany", false, kPropertyNumber, int32_t(4711)); }, true,
         ""},
        {"same company as text", [](auto p) { p.Add("KovaCompany", false, kPropertyText, " 4711 "); }, true,
         ""},
        {"other company", [](auto p) { p.Add("KovaCompany", false, kPropertyNumber, int32_t(12)); }, false,
         "12"},
        {"never connected", [](auto p) { p.Add("KovaCompany", false, kPropertyNumber, int32_t(0)); }, false,
         "0"},
        // A plan that names no company is not passed.
        {"property missing", [](auto) {}, false, ""},
        {"no number", [](auto p) { p.Add("KovaCompany", false, kPropertyText, "Kova"); }, false, "Kova"},
        {"empty text", [](auto p) { p.Add("KovaCompany", false, kPropertyText, ""); }, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileNew(false);
        c.arrange(Properties());
        user.transcript().Clear();
        if (!c.passes) user.Add(steps::Answer(vbOK, CompanyText(c.shown)));
        ASSERT_TRUE(OpenKovaConnection());
        BOIConnector = "";
        EXPECT_EQ(CheckProjectCompany(), c.passes);
        EXPECT_EQ(BOIConnector, c.passes ? "DEMO" : "");
        EXPECT_EQ(Boxes(),
                  c.passes ? std::vector<std::string>{} : std::vector<std::string>{CompanyMessage(c.shown)});
        EXPECT_TRUE(user.Finish());
        CurrentConnection.reset();
    }
}

class WrongReleaseTest : public ConnectionTest {
protected:
    WrongReleaseTest() : ConnectionTest("tt7.0") {}
};

TEST_F(WrongReleaseTest, TheCompanyCheckStopsAtTheRelease) {
    Properties().Add("KovaCompany", false, kPropertyNumber, int32_t(4711));
    user.Add(steps::Answer(vbOK));
    ASSERT_TRUE(OpenKovaConnection());
    EXPECT_FALSE(CheckProjectCompany());
    EXPECT_EQ(Boxes(), std::vector<std::string>{kReleaseMessage});
    EXPECT_EQ(BOIConnector, "");
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
