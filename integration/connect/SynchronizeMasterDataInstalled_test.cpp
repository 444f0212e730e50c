// The master-data command as the host installs it: a connected plan's calendars, resources, labour
// file and standard charge elements refreshed from the ERP by the real transfers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "dataobjects/ClassRegistration.h"
#include "integration/chargestructure/StandardChargeElements.h"
#include "integration/connect/ConnectRun.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/StandardCECommand.h"
#include "integration/core/SynchronizeMasterData.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

namespace fs = std::filesystem;
using namespace platform::forms;

constexpr char kSeed[] = R"json({
  "release": "tt7.1_a", "company": {"number": 4711}, "planningParameters": {"currency": "EUR",
  "defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD"}],
  "standardWeeks": [{"availabilityType": "STANDARD", "lines": [{"day": "2", "start": 800, "end": 1600}]}],
  "calendars": [{"code": "STD"}],
  "costObjects": [
    {"kind": "EQP", "code": "Q1", "description": "Crane", "unit": "h", "costRate": 180, "availableUnits": 2},
    {"kind": "MAT", "code": "M1", "description": "Bolts", "unit": "pc", "costPrice": 2},
    {"kind": "LAB", "code": "L1", "description": "Fitter", "unit": "h", "costRate": 40}],
  "standardChargeElements": [{"code": "DES", "description": "Design", "type": "1"}],
  "projects": [{"id": "BRIDGE", "description": "Bridge"}]
})json";

class InstalledSynchronizeMasterDataTest : public test::ConnectFixture {
protected:
    InstalledSynchronizeMasterDataTest() : ConnectFixture(kSeed) {}
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
        TransferBaseCalendarsStep = nullptr;
        TransferResourcesAndCostObjectsStep = nullptr;
        WriteLaborCostObjectsFileStep = nullptr;
        ApplicationPathCache.clear();
        DiscardAllForms();
        ConnectFixture::TearDown();
    }
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(InstalledSynchronizeMasterDataTest, AConnectedPlansMasterDataIsRefreshed) {
    app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
    app->ViewEditSingle("Kova Proj Resources", true, false, "Entry");
    platform::msproject::CustomDocumentProperties properties = Plan().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        properties.Add(d.name, false, d.type, d.initial);
    properties.Item("KovaProject").SetValue("BRIDGE");
    properties.Item("KovaCompany").SetValue(int32_t(4711));
    properties.Item("KovaAvailabilityType").SetValue("STANDARD");
    for (const char* name :
         {"KovaTransferEquipment", "KovaTransferLabor", "KovaTransferStandardChargeElement"})
        properties.Item(name).SetValue(true);
    fs::create_directories(erp.home() / "Plans");
    app->FileSaveAs((erp.home() / "Plans" / "Bridge.mpp").string());
    ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;

    user.Add(steps::Answer(vbNo, kLogOfferMessage));
    KovaMSP command;
    command.SynchronizeMasterData();

    std::set<std::string> calendars, resources;
    for (platform::msproject::Calendar c : Plan().BaseCalendars())
        calendars.insert(c.Name());
    for (platform::msproject::Resource r : Plan().Resources())
        if (r) resources.insert(r.Text(2));
    EXPECT_TRUE(calendars.count("CSTANDARD")) << "the availability type's calendar";
    EXPECT_EQ(resources, std::set<std::string>{"EQP.Q1"}) << "material is switched off";
    EXPECT_TRUE(fs::exists(erp.home() / "Plans" / "Bridge.lco"));
    EXPECT_EQ(ReadStandardChargeElementEntries(GetStandardChargeElementsFilePath("4711")),
              std::vector<std::string>{"WBS.DES . Design"});
    std::ifstream in(erp.home() / "Plans" / "Bridge.log", std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("Transferring Resources...\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Transferring Standard Charge Elements ...\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("The Microsoft Project file is saved"), std::string::npos) << log;
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
