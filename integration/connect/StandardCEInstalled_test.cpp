// The standard-charge-element command as the host installs it: the company's catalogue reaches its
// file in the Data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dataobjects/ClassRegistration.h"
#include "integration/chargestructure/StandardChargeElements.h"
#include "integration/connect/ConnectRun.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/StandardCECommand.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

namespace fs = std::filesystem;
using namespace platform::forms;

constexpr char kSeed[] = R"json({
  "release": "tt7.1_a", "company": {"number": 7}, "planningParameters": {"currency": "NOK"},
  "standardChargeElements": [{"code": "DES", "description": "Design", "type": "1"},
                             {"code": "MIL", "description": "Handover", "type": "5"}]
})json";

class InstalledStandardCECommandTest : public test::ConnectFixture {
protected:
    InstalledStandardCECommandTest() : ConnectFixture(kSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        fs::create_directories(erp.home() / "kova" / "Data");
        InstallConnectDialog();
    }
    void TearDown() override {
        ConnectRunHooks() = {};
        ShowConnectDialog = nullptr;
        TransferStandardCEFile = nullptr;
        ApplicationPathCache.clear();
        DiscardAllForms();
        ConnectFixture::TearDown();
    }
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(InstalledStandardCECommandTest, TheCompanysCatalogueIsWrittenAndTheLogOffered) {
    // A plan never connected: the connection's company names the files.
    user.Add(
        steps::Answer(vbNo, "Messages have been added to the log file... Would you like to view it now?"));
    KovaMSP command;
    command.TransferStandardCE();
    EXPECT_EQ(ReadStandardChargeElementEntries(GetStandardChargeElementsFilePath("7")),
              (std::vector<std::string>{"WBS.DES . Design", "Mil.MIL . Handover"}));
    std::ifstream log(erp.home() / "kova" / "Data" / "7.log", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "*** Process *** Getting the Standard Charge Elements\r\n");
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
