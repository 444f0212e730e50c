#include "integration/connect/LaborCostObjectsFile.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/Form.h"
#include "platform/middleware/TestControl.h"

namespace Grantry::test {
namespace {

using platform::automation::Err;

// Two standard labour objects (a description of 40 characters, a code of 10 with an "ö", a unit of
// two characters), one material that must not appear, and one labour object of project BRIDGE.
constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "costObjects": [
    {"kind": "LAB", "code": "ENGHOUR", "description": "Engineering hour at the designers office", "unit": "h"},
    {"kind": "MAT", "code": "STEEL", "description": "Steel", "unit": "kg"},
    {"kind": "LAB", "code": "SCHWEIßÖL1", "description": "Schweißen ölig", "unit": "std"}],
  "projects": [
    {"id": "BRIDGE", "description": "Lasse bridge", "start": "2024-03-01", "finish": "2024-12-20",
     "costObjects": [{"kind": "LAB", "code": "SUPERV", "description": "Site supervision", "unit": "wk"}]}]
})json";

constexpr const char* kNoLabour = R"json({
  "company": {"number": 7},
  "costObjects": [{"kind": "MAT", "code": "STEEL", "description": "Steel", "unit": "kg"}]
})json";

// Records as the file must hold them, written out by hand in Windows-1252.
const std::string kEngineering = std::string(9, ' ') + "ENGHOUR " + "Engineering hour at the design" + "h  ";
const std::string kWelding = std::string(9, ' ') + "SCHWEI\xDF\xD6" +
                             "Schwei\xDF"
                             "en \xF6lig" +
                             std::string(16, ' ') + "std";
const std::string kSupervision = "BRIDGE   SUPERV  Site supervision              wk ";
const std::string kEndMark = ".        " + std::string(8, ' ');

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class LaborFile : public ConnectFixture {
protected:
    explicit LaborFile(const std::string& seed = kSeed) : ConnectFixture(seed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Bridge.mpp").string());
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "BRIDGE";
        OpenLog();
    }
    void TearDown() override {
        platform::forms::DiscardAllForms();
        ConnectFixture::TearDown();
    }
    std::filesystem::path LcoPath() const { return erp.home() / "plans" / "Bridge.lco"; }
    void WriteStale() { std::ofstream(LcoPath(), std::ios::binary) << "stale"; }
};

TEST_F(LaborFile, RecordsFollowTheSwitchesAndEndWithTheLastRecordsLeftovers) {
    struct Case {
        bool labor, project;
        std::vector<std::string> records; // the data records; the end record follows
        std::string log;
    };
    const std::vector<Case> cases = {
        {true,
         true,
         {kEngineering, kWelding, kSupervision},
         "Transferring Labor Cost Object Information...\r\nTransferring Project Labor\r\n"},
        {true, false, {kEngineering, kWelding}, "Transferring Labor Cost Object Information...\r\n"},
        {false, true, {kSupervision}, "Transferring Project Labor\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.labor) + "/" + std::to_string(c.project));
        WriteStale();
        platform::os::CloseFile(platform::os::LogFileNumber);
        OpenLog();
        WriteLaborCostObjectsFile(c.labor, c.project);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(LogText(), c.log);
        EXPECT_EQ(platform::forms::DefaultInstance<frmIntegrationStatus>().lblStatus.Caption,
                  "Transferring Labor Cost Objects ...");

        std::string expected;
        for (const std::string& r : c.records)
            expected += r;
        expected += kEndMark + c.records.back().substr(17);
        EXPECT_EQ(FileBytes(LcoPath()), expected);
        EXPECT_EQ(FileBytes(LcoPath()).size(), 50 * (c.records.size() + 1));
    }
}

TEST_F(LaborFile, BothSwitchesOffLeaveTheFileAlone) {
    WriteStale();
    WriteLaborCostObjectsFile(false, false);
    EXPECT_EQ(FileBytes(LcoPath()), "stale");
    EXPECT_EQ(LogText(), "");
}

TEST_F(LaborFile, AFailingTransferIsLoggedAndLeavesOnlyTheEndRecord) {
    WriteStale();
    erp.Control().UnregisterProgId("StandardCostObject.StandardCostObjectManager");
    WriteLaborCostObjectsFile(true, true);
    erp.Control().RestoreProgIds();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(FileBytes(LcoPath()), kEndMark + std::string(33, '\0'));
    // The library leaves the last of its failures, and the description goes to the log unchanged.
    EXPECT_EQ(LogText(), "Transferring Labor Cost Object Information...\r\nTransferring Project Labor\r\n"
                         "ProjectCostObject Manager Object could not be created\r\n");
}

TEST_F(LaborFile, AFolderThatIsGoneLeavesNoFileAndTheRunGoesOn) {
    std::filesystem::remove_all(erp.home() / "plans");
    WriteLaborCostObjectsFile(true, false);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(std::filesystem::exists(LcoPath()));
    EXPECT_EQ(LogText(), "Transferring Labor Cost Object Information...\r\n");
}

class LaborFileWithoutLabour : public LaborFile {
protected:
    LaborFileWithoutLabour() : LaborFile(kNoLabour) {}
};

TEST_F(LaborFileWithoutLabour, HoldsOnlyTheEndRecordWithZeroBytes) {
    WriteStale();
    WriteLaborCostObjectsFile(true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(FileBytes(LcoPath()), kEndMark + std::string(33, '\0'));
}

} // namespace
} // namespace Grantry::test
