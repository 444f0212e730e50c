// The save-baseline command's frame through the planning program and the ERP stand-ins: its checks,
// its log around the dialog and the log offer; the dialog itself is the budget module's.
#include <gtest/gtest.h>

#include <filesystem>

#include "dataobjects/ClassRegistration.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "integration/core/SaveBaselineCommand.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestBackend.h"

namespace Grantry {
namespace {

namespace fs = std::filesystem;
using platform::automation::Err;
using namespace platform::forms;
using platform::middleware::TestBackend;

constexpr char kOffer[] = "Messages have been added to the log file... Would you like to view it now?";

class SaveBaselineCommandTest : public test::PlanFixture {
protected:
    SaveBaselineCommandTest()
        : erp(R"({"release": "tt7.1_a", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"},
               "projects": [{"id": "BRIDGE"}]})") {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        fs::create_directories(ApplicationPathCache);
        // The dialog as the user cancels it: it only writes its own line, as the real one does.
        ShowSaveBaselineDialog = [this] {
            ++shown;
            projectSeen = CurrentProjectData ? CurrentProjectData->ProjectCode : "no project data";
            PrintLog("Process Cancelled ...");
        };
    }
    void TearDown() override {
        ShowSaveBaselineDialog = nullptr;
        test::PlanFixture::TearDown();
    }
    void ConnectedPlan(int32_t company) {
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Properties().Add(d.name, false, d.type, d.initial);
        Properties().Item("KovaProject").SetValue("BRIDGE");
        Properties().Item("KovaProjectPlan").SetValue("MAIN");
        Properties().Item("KovaCompany").SetValue(company);
        SaveAs(erp.home() / "Plans" / "Bridge.mpp");
    }
    fs::path LogPath() const { return erp.home() / "Plans" / "Bridge.log"; }

    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
    int shown = 0;
    std::string projectSeen;
};

TEST_F(SaveBaselineCommandTest, ACancelledDialogStillLogsTheHeaderAndTheEndAndOffersTheLog) {
    ConnectedPlan(4711);
    user.Add(steps::Answer(vbNo, kOffer));
    // As a macro calls it: the command attaches the running planning program itself.
    MSProjectApplication.reset();
    KovaMSP().SaveBaseline();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(projectSeen, "BRIDGE"); // the project data was loaded before the dialog
    EXPECT_EQ(test::ReadFile(LogPath()),
              "*** Process *** Save Baseline for Kova Project : BRIDGE\r\n"
              "Process Cancelled ...\r\n"
              "Save Baseline completed\r\n");
    EXPECT_FALSE(MSProjectApplication);
    EXPECT_FALSE(CurrentConnection);
    EXPECT_FALSE(CurrentProjectData);
    EXPECT_TRUE(user.Finish());
}

TEST_F(SaveBaselineCommandTest, APlanOfAnotherCompanyGetsTheCompanyMessageAndNoDialogOrLog) {
    ConnectedPlan(12);
    user.Add(steps::AnswerContaining(vbOK, "The active MsP Project is connected to Company Number : 12"));
    KovaMSP().SaveBaseline();
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_TRUE(user.Finish());
}

TEST_F(SaveBaselineCommandTest, WithoutAPlanTheUserIsToldSo) {
    app->FileClose(platform::msproject::pjDoNotSave);
    ASSERT_EQ(app->Projects().Count(), 0);
    user.Add(steps::Answer(vbOK, kNoPlanMessage));
    KovaMSP().SaveBaseline();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(user.Finish());
}

// The macro reaches the command by name through the class's late-bound face.
TEST_F(SaveBaselineCommandTest, TheMacroCallsItByName) {
    ConnectedPlan(4711);
    user.Add(steps::Answer(vbNo, kOffer));
    platform::automation::Call(platform::automation::MakeObject<KovaMSP>(), "SaveBaseline");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
