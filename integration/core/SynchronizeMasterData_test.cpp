// The master-data command through the planning program and the ERP stand-ins, the transfers
// recorded: which run, with which switches, under which progress and log.
#include <gtest/gtest.h>

#include <filesystem>

#include "dataobjects/ClassRegistration.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "integration/core/StandardCECommand.h"
#include "integration/core/SynchronizeMasterData.h"
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

std::string Seed(const std::string& release, const std::string& obs) {
    return R"({"release": ")" + release +
           R"(", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"},
               "obs": [{"id": "ORG", "description": "Company"}],
               "projects": [{"id": "BRIDGE", "description": "Bridge", "obs": ")" +
           obs + R"("}]})";
}

constexpr char kHeader[] = "*** Process *** Synchronize Master Data with Kova Project BRIDGE...";
constexpr char kOffer[] = "Messages have been added to the log file... Would you like to view it now?";

class SynchronizeMasterDataTest : public test::PlanFixture {
protected:
    explicit SynchronizeMasterDataTest(const std::string& release = "tt7.1_a", const std::string& obs = "ORG")
        : erp(Seed(release, obs)) {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        fs::create_directories(ApplicationPathCache);
        // Each transfer leaves its trace in the log, as the real ones print theirs to file 9.
        TransferBaseCalendarsStep = [this](const std::string& type, bool refresh) {
            calls.push_back("calendars " + type + (refresh ? " refresh" : ""));
            PrintLog("calendars done");
        };
        TransferResourcesAndCostObjectsStep = [this](const std::string& type, bool a, bool b, bool c, bool d,
                                                     bool e, bool f, bool g, bool h, bool i, bool j) {
            std::string kinds;
            for (bool on : {a, b, c, d, e, f, g, h, i, j})
                kinds += on ? '1' : '0';
            calls.push_back("resources " + type + " " + kinds);
        };
        WriteLaborCostObjectsFileStep = [this](bool labor, bool projectLabor) {
            calls.push_back(std::string("labour ") + (labor ? '1' : '0') + (projectLabor ? '1' : '0'));
        };
        TransferStandardCEFile = [this](const std::string& company) {
            calls.push_back("standard " + company);
        };
    }
    void TearDown() override {
        TransferBaseCalendarsStep = nullptr;
        TransferResourcesAndCostObjectsStep = nullptr;
        WriteLaborCostObjectsFileStep = nullptr;
        TransferStandardCEFile = nullptr;
        test::PlanFixture::TearDown();
    }
    // A plan connected to BRIDGE of `company`, every switch off, saved beside the log.
    void ConnectedPlan(int32_t company = 4711) {
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Properties().Add(d.name, false, d.type, d.initial);
        Properties().Item("KovaProject").SetValue(" BRIDGE ");
        Properties().Item("KovaProjectPlan").SetValue("MAIN");
        Properties().Item("KovaCompany").SetValue(company);
        Properties().Item("KovaAvailabilityType").SetValue("STD ");
        SaveAs(erp.home() / "Plans" / "Bridge.mpp");
    }
    void Switch(const char* name) { Properties().Item(name).SetValue(true); }
    std::vector<std::string> LogLines() const {
        std::string text = test::ReadFile(erp.home() / "Plans" / "Bridge.log");
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    void Run() {
        test::RunAsMacro("SynchronizeMasterData");
    }
    std::string ObsProperty() {
        std::string value = automation::CStr(Properties().Item("OBSCode").Value());
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        return value;
    }

    TestBackend erp;
    ScriptedUser user;
    ScopedUser on{user};
    std::vector<std::string> calls;
};

TEST_F(SynchronizeMasterDataTest, EachTransferGetsItsOwnSwitchesInTheFixedOrder) {
    ConnectedPlan();
    // One switch of each group, so that a swapped or shifted argument shows.
    for (const char* name :
         {"KovaTransferTradegroup", "KovaTransferSubContracting", "KovaTransferProjectItem",
          "KovaTransferProjectSundry", "KovaTransferProjectLabor", "KovaTransferStandardChargeElement"})
        Switch(name);
    app->FileSave();
    user.Add(steps::Answer(vbNo, kOffer));
    Run();
    EXPECT_EQ(calls, (std::vector<std::string>{"calendars STD refresh", "resources STD 0100100101",
                                               "labour 01", "standard 4711"}));
    EXPECT_EQ(user.transcript().Progress("frmIntegrationStatus.lblStatus"),
              (std::vector<std::string>{
                  "Transferring Base Calendars ...", "Transferring Cost Objects/Resources ...",
                  "Transferring Labor Cost Objects ...", "Transferring Standard Charge Elements",
                  "Transferring OBS Elements"}));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              kHeader, "calendars done", "Transferring Standard Charge Elements ...",
                              "Transferring OBS Elements ...", "The Microsoft Project file is saved"}));
    EXPECT_EQ(ObsProperty(), "ORG");
    EXPECT_TRUE(fs::exists(erp.home() / "Plans" / "Bridge.obs"));
    EXPECT_TRUE(Plan().Saved());
    EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
    EXPECT_FALSE(MSProjectApplication);
    EXPECT_FALSE(CurrentConnection);
    EXPECT_TRUE(user.Finish());
}

TEST_F(SynchronizeMasterDataTest, WithEverySwitchOffTheCalendarsStillComeAndTheChargeElementsDoNot) {
    ConnectedPlan();
    user.Add(steps::Answer(vbNo, kOffer));
    Run();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"calendars STD refresh", "resources STD 0000000000", "labour 00"}));
    EXPECT_EQ(LogLines()[2], "Transferring Standard Charge Elements ...");
    EXPECT_TRUE(user.Finish());
}

class SyncMasterDataWithoutObsTest : public SynchronizeMasterDataTest {
protected:
    SyncMasterDataWithoutObsTest() : SynchronizeMasterDataTest("tt7.1_a", "") {}
};

TEST_F(SyncMasterDataWithoutObsTest, AProjectWithoutAnObsElementLeavesThePropertyAlone) {
    ConnectedPlan();
    Properties().Item("OBSCode").SetValue("OLD");
    app->FileSave();
    user.Add(steps::Answer(vbNo, kOffer));
    Run();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{kHeader, "calendars done",
                                                    "Transferring Standard Charge Elements ...",
                                                    "The Microsoft Project file is saved"}));
    EXPECT_EQ(ObsProperty(), "OLD");
    EXPECT_FALSE(fs::exists(erp.home() / "Plans" / "Bridge.obs"));
    EXPECT_TRUE(user.Finish());
}

class SyncMasterDataWrongReleaseTest : public SynchronizeMasterDataTest {
protected:
    SyncMasterDataWrongReleaseTest() : SynchronizeMasterDataTest("tt6.0", "ORG") {}
};

// Refusals: one message, no transfer, no log, nothing held afterwards.
TEST_F(SyncMasterDataWrongReleaseTest, AnotherErpReleaseIsRefused) {
    ConnectedPlan();
    user.Add(steps::Answer(vbOK));
    Run();
    EXPECT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(fs::exists(erp.home() / "Plans" / "Bridge.log"));
    EXPECT_FALSE(CurrentConnection);
    EXPECT_TRUE(user.Finish());
}

TEST_F(SynchronizeMasterDataTest, APlanOfAnotherCompanyIsRefused) {
    ConnectedPlan(815);
    user.Add(steps::Answer(vbOK));
    Run();
    EXPECT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(fs::exists(erp.home() / "Plans" / "Bridge.log"));
    EXPECT_FALSE(CurrentConnection);
    EXPECT_TRUE(user.Finish());
}

TEST_F(SynchronizeMasterDataTest, WithNoPlanOpenOnlyTheNoPlanMessageShows) {
    app->FileCloseAll(msp::pjDoNotSave);
    user.Add(steps::AnswerContaining(vbOK, "No active project found"));
    // The macros call it late-bound.
    automation::Object command = automation::MakeObject<KovaMSP>();
    automation::Call(command, "SynchronizeMasterData");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(CurrentConnection);
    EXPECT_TRUE(user.Finish());
}

// Refusals through the macro path: the user is told, the macro is handed nothing.
TEST_F(SynchronizeMasterDataTest, AnUnreadableReleaseHandsTheMacroNoError) {
    ConnectedPlan();
    erp.Control().ArmFault(platform::middleware::Fault::Error("KovaReleaseId.KovaReleaseIdManager", "*", 70));
    user.Add(steps::Answer(vbOK));
    Run();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(user.Finish());
}

TEST_F(SynchronizeMasterDataTest, APlanWithoutCompanyHandsTheMacroNoError) {
    ConnectedPlan();
    Properties().Item("KovaCompany").Delete();
    user.Add(steps::Answer(vbOK));
    Run();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
