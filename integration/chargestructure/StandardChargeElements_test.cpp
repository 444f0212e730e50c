#include "integration/chargestructure/StandardChargeElements.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dataobjects/KovaConnection.h"
#include "integration/connect/ConnectTestSupport.h"
#include "platform/middleware/TestControl.h"

namespace Grantry::test {
namespace {

using platform::automation::Err;
using platform::middleware::Fault;

constexpr const char* kStandardChargeElementManager = "StandardChargeElement.StandardChargeElementManager";

// A code of ten characters, a description of 55 with an "ö", a code holding "." and a type that is
// no charge-element type.
constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "standardChargeElements": [
    {"code": "DESIGN", "description": "Design work", "type": "4"},
    {"code": "FOUNDATION", "description": "Fundamentarbeiten für die Brücke über den Fluss Lösa", "type": "2"},
    {"code": "A.B", "description": "Dotted", "type": "1"},
    {"code": "MS1", "description": "Handover", "type": "9"},
    {"code": "TOP", "description": "Whole", "type": "1"}]
})json";

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Field(const std::string& text, size_t width) {
    return text + std::string(width - text.size(), ' ');
}

class StandardElements : public ConnectFixture {
protected:
    explicit StandardElements(const std::string& seed = kSeed) : ConnectFixture(seed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        savedApplicationPath = ApplicationPathCache;
        ApplicationPathCache = erp.home().string();
        std::filesystem::create_directories(erp.home() / "Data");
        CurrentConnection = std::make_shared<KovaDataObjects::KovaConnection>();
        OpenLog();
    }
    void TearDown() override {
        ApplicationPathCache = savedApplicationPath;
        ConnectFixture::TearDown();
    }
    std::filesystem::path SceFile(const std::string& name = "7.sce") const {
        return erp.home() / "Data" / name;
    }

    std::string savedApplicationPath;
};

TEST_F(StandardElements, CatalogueRecordsAreCutPaddedAndEndWithTheLastDescription) {
    std::ofstream(SceFile(), std::ios::binary) << "stale";
    TransferStandardChargeElements("7");
    EXPECT_EQ(Err().Number, 0) << Err().Description;

    const std::string foundation = "Fundamentarbeiten f\xFCr die Br\xFC"
                                   "cke \xFC"
                                   "ber den Fluss L\xF6";
    ASSERT_EQ(foundation.size(), 50u);
    const std::string expected = Field("DESIGN", 8) + Field("Design work", 50) + Field("4", 25) + "FOUNDATI" +
                                 foundation + Field("2", 25) + Field("A.B", 8) + Field("Dotted", 50) +
                                 Field("1", 25) + Field("MS1", 8) + Field("Handover", 50) + Field("9", 25) +
                                 Field("TOP", 8) + Field("Whole", 50) + Field("1", 25) + std::string(8, ' ') +
                                 Field("Whole", 50) + Field(".", 25);
    EXPECT_EQ(FileBytes(SceFile()), expected);
    EXPECT_EQ(LogText(), "");

    // The dotted code is kept in the file but not listed; an unknown type keeps the abbreviation of
    // the record before it, listed or not.
    EXPECT_EQ(ReadStandardChargeElementEntries(GetStandardChargeElementsFilePath("7")),
              (std::vector<std::string>{"WP.DESIGN . Design work",
                                        "PCA.FOUNDATI . Fundamentarbeiten für die Brücke über den Fluss Lö",
                                        "WBS.MS1 . Handover", "WBS.TOP . Whole"}));
}

TEST_F(StandardElements, TheWriterDropsALeadingZeroTheReaderDoesNot) {
    TransferStandardChargeElements("007");
    EXPECT_TRUE(std::filesystem::exists(SceFile("7.sce")));
    EXPECT_FALSE(std::filesystem::exists(SceFile("007.sce")));
    EXPECT_TRUE(ReadStandardChargeElementEntries(GetStandardChargeElementsFilePath("007")).empty());
    EXPECT_EQ(ReadStandardChargeElementEntries(GetStandardChargeElementsFilePath("7")).size(), 4u);
}

TEST_F(StandardElements, AFailedListIsLoggedAndLeavesOnlyTheEndRecord) {
    const std::string endOnly = std::string(8, ' ') + std::string(50, '\0') + Field(".", 25);
    struct Case {
        std::string name;
        std::function<void()> arm;
    };
    const std::vector<Case> cases = {
        {"no manager", [&] { erp.Control().UnregisterProgId(kStandardChargeElementManager); }},
        {"list refused",
         [&] { erp.Control().ArmFault(Fault::Error(kStandardChargeElementManager, "List", 1005)); }},
        {"no connection", [&] { CurrentConnection.reset(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(SceFile(), std::ios::binary) << "stale";
        platform::os::CloseFile(platform::os::LogFileNumber);
        OpenLog();
        c.arm();
        TransferStandardChargeElements("7");
        erp.Control().Reset();
        EXPECT_EQ(Err().Number, 0);
        EXPECT_EQ(FileBytes(SceFile()), endOnly);
        EXPECT_EQ(LogText(), "Standard Charge Elements not transferred from.7\r\n");
        EXPECT_TRUE(ReadStandardChargeElementEntries(SceFile().string()).empty());
        CurrentConnection = std::make_shared<KovaDataObjects::KovaConnection>();
    }
}

TEST_F(StandardElements, AMissingDataFolderWritesNothing) {
    std::filesystem::remove_all(erp.home() / "Data");
    TransferStandardChargeElements("7");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(std::filesystem::exists(SceFile()));
    EXPECT_TRUE(ReadStandardChargeElementEntries(SceFile().string()).empty());
    EXPECT_EQ(Err().Number, 0);
}

class NoStandardElements : public StandardElements {
protected:
    NoStandardElements() : StandardElements(R"json({"company": {"number": 7}})json") {}
};

TEST_F(NoStandardElements, AnEmptyCatalogueGivesTheEndRecordWithZeroDescription) {
    TransferStandardChargeElements("7");
    EXPECT_EQ(FileBytes(SceFile()), std::string(8, ' ') + std::string(50, '\0') + Field(".", 25));
    EXPECT_EQ(LogText(), "");
}

} // namespace
} // namespace Grantry::test
