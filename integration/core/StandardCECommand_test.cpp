// The standard-charge-element command through the planning program and the ERP stand-ins; the file
// transfer of the charge-structure module is replaced by a recording one.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "dataobjects/ClassRegistration.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "integration/core/StandardCECommand.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestBackend.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace fs = std::filesystem;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;
using platform::middleware::TestBackend;

constexpr char kOfferBox[] =
    "Kova Project - MsProject Integration|Messages have been added to the log file... "
    "Would you like to view it now?";

std::string Seed(const std::string& release) {
    return R"({"release": ")" + release +
           R"(", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"}})";
}

class StandardCECommandTest : public test::PlanFixture {
protected:
    explicit StandardCECommandTest(const std::string& release = "tt7.1_a") : erp(Seed(release)) {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        fs::create_directories(erp.home() / "kova" / "Data");
        // The transfer prints to the command's open log, as the real one does on a failure.
        TransferStandardCEFile = [this](const std::string& company) {
            transferred = company;
            PrintLog("transfer for " + company);
        };
    }
    void TearDown() override {
        TransferStandardCEFile = nullptr;
        test::PlanFixture::TearDown();
    }
    fs::path DataFile(const std::string& name) const { return erp.home() / "kova" / "Data" / name; }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : user.transcript().Boxes())
            out.push_back(b.box.title + "|" + b.box.prompt);
        return out;
    }
    void Run() {
        test::RunAsMacro("TransferStandardCE");
    }

    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
    std::optional<std::string> transferred;
};

// The company names the log and the transfer: the plan's own, else the connection's.
TEST_F(StandardCECommandTest, TheCompanyOfThePlanOrOfTheConnectionNamesTheLog) {
    struct Case {
        const char* name;
        std::optional<automation::Variant> property; // none: the plan lacks KovaCompany
        std::string company;
    } cases[] = {
        {"plan's company", automation::Variant(int32_t(100)), "100"},
        {"never connected, default 0", automation::Variant(int32_t(0)), "0"},
        {"no property", std::nullopt, "4711"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileCloseAll(msp::pjDoNotSave);
        app->FileNew(false);
        if (c.property) Properties().Add("KovaCompany", false, kPropertyNumber, *c.property);
        user.transcript().Clear();
        transferred.reset();
        user.Add(steps::Answer(vbNo));
        Run();

        EXPECT_EQ(transferred, c.company);
        EXPECT_EQ(test::ReadFile(DataFile(c.company + ".log")),
                  "*** Process *** Getting the Standard Charge Elements\r\ntransfer for " + c.company +
                      "\r\n");
        EXPECT_EQ(
            user.transcript().Progress("frmIntegrationStatus.lblStatus"),
            (std::vector<std::string>{"Retrieving the Kova Company List...",
                                      "Retrieving the Standard Charge Elements for Company : " + c.company}));
        ASSERT_EQ(Boxes(), std::vector<std::string>{kOfferBox});
        EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbQuestion);
        EXPECT_EQ(user.transcript().Boxes()[0].box.Buttons(), vbYesNo);
        EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
        EXPECT_FALSE(MSProjectApplication);
        EXPECT_FALSE(CurrentConnection);
        EXPECT_TRUE(user.Finish());
        fs::remove(DataFile(c.company + ".log"));
    }
}

TEST_F(StandardCECommandTest, WithNoPlanOpenNothingIsWritten) {
    app->FileCloseAll(msp::pjDoNotSave);
    user.Add(steps::AnswerContaining(vbOK, "No active project found"));
    // The macros call it late-bound.
    automation::Object command = automation::MakeObject<KovaMSP>();
    automation::Call(command, "TransferStandardCE");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(user.transcript().Boxes().at(0).box.Icon(), vbExclamation);
    EXPECT_FALSE(transferred);
    EXPECT_TRUE(fs::is_empty(erp.home() / "kova" / "Data"));
    EXPECT_TRUE(user.Finish());
}

class StandardCEWrongReleaseTest : public StandardCECommandTest {
protected:
    StandardCEWrongReleaseTest() : StandardCECommandTest("tt7.0") {}
};

TEST_F(StandardCEWrongReleaseTest, AWrongReleaseStopsTheCommandBeforeAnyFile) {
    user.Add(steps::AnswerContaining(vbOK, "Version does not match with Kova Release version."));
    Run();
    EXPECT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_FALSE(transferred);
    EXPECT_TRUE(fs::is_empty(erp.home() / "kova" / "Data"));
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
