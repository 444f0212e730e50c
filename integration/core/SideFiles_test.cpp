// Where a plan's side files lie, the folder of a server plan, and the OBS cache.
#include <gtest/gtest.h>

#include "dataobjects/ClassRegistration.h"
#include "integration/core/CoreTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestBackend.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace fs = std::filesystem;
namespace msp = platform::msproject;
using automation::Err;
using namespace platform::forms;

class SideFilesTest : public test::PlanFixture {
protected:
    void SetUp() override {
        test::PlanFixture::SetUp();
        ApplicationPathCache = (home.path() / "kova").string();
        fs::create_directories(ApplicationPathCache);
    }
    std::string Plans() const { return (home.path() / "Plans").string(); }
    platform::os::TempKovaHome home;
};

TEST_F(SideFilesTest, PathsOfAStoredPlanLieBesideIt) {
    struct Case {
        const char* file;
        const char* base; // the side files' name without extension
    } cases[] = {{"Bridge.mpp", "Bridge"},
                 {"Plan.MPP", "Plan.MPP"},
                 {"a.mpp.mpp", "a.mpp"},
                 {"Two words.mpp", "Two words"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        app->FileNew(false);
        SaveAs(fs::path(Plans()) / c.file);
        ASSERT_EQ(Plan().Name(), c.file);
        const std::string base = Plans() + "/" + c.base;
        EXPECT_FALSE(IsServerProject());
        EXPECT_EQ(GetLogFilePath(), base + ".log");
        EXPECT_EQ(GetLcoFilePath(), base + ".lco");
        EXPECT_EQ(GetBceFilePath(), base + ".bce");
        EXPECT_EQ(GetObsFilePath(), base + ".obs");
    }
}

TEST_F(SideFilesTest, AServerPlanKeepsItsFilesInItsFolderUnderTheApplication) {
    SaveAs("<>/Kova Plans/Bridge.mpp");
    const std::string folder = ApplicationPathCache + "/Bridge.mpp";
    EXPECT_TRUE(IsServerProject());
    EXPECT_EQ(GetServerProjectFolder(), folder + "/");
    EXPECT_EQ(GetLogFilePath(), folder + "/Bridge.mpp.log");
    EXPECT_EQ(GetObsFilePath(), folder + "/Bridge.mpp.obs");
    EXPECT_FALSE(fs::exists(folder)); // the path functions create nothing

    CreateServerProjectFolder();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(fs::is_directory(folder));
    CreateServerProjectFolder(); // reconnecting: the folder exists, the caller ignores the failure
    EXPECT_NE(Err().Number, 0);
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(SideFilesTest, PathsWithoutAPlanFail) {
    app->FileCloseAll(msp::pjDoNotSave);
    EXPECT_EQ(GetLogFilePath(), "");
    EXPECT_NE(Err().Number, 0);
    EXPECT_FALSE(IsServerProject());
}

TEST_F(SideFilesTest, DeletingAServerPlansFilesAsksFirst) {
    SaveAs("<>/Kova Plans/Bridge.mpp");
    const fs::path folder = fs::path(ApplicationPathCache) / "Bridge.mpp";
    const char* question = "Do you want to delete the .lco, .bce and .log files for project Bridge.mpp?\r\n"
                           "The Project file itself will not be deleted.";
    struct Case {
        const char* name;
        int32_t answer;
        std::vector<const char*> files; // in the folder beforehand
        bool folderGone;
        bool fails;
    } cases[] = {
        {"No keeps everything", vbNo, {".lco", ".bce", ".log"}, false, false},
        {"Yes deletes all", vbYes, {".lco", ".bce", ".log"}, true, false},
        {"missing files are no failure", vbYes, {".log"}, true, false},
        {"another file keeps the folder", vbYes, {".log", ".obs"}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* extension : c.files)
            test::WriteFile(folder / (std::string("Bridge.mpp") + extension), "x");
        ScriptedUser user({steps::Answer(c.answer, question)});
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        Err().Clear();
        DeleteProjectSideFiles();
        EXPECT_EQ(Err().Number != 0, c.fails);
        EXPECT_TRUE(user.Finish());
        ASSERT_EQ(user.transcript().Boxes().size(), 1u);
        EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Confirm Deletion");
        EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbInformation);
        EXPECT_EQ(!fs::exists(folder), c.folderGone);
        if (c.answer == vbNo)
            for (const char* extension : c.files)
                EXPECT_TRUE(fs::exists(folder / (std::string("Bridge.mpp") + extension)));
        if (c.fails) EXPECT_TRUE(fs::exists(folder / "Bridge.mpp.obs"));
    }
}

// The ERP stand-in's machine folder is the one of the whole test.
class ObsFileTest : public test::PlanFixture {
protected:
    ObsFileTest()
        : erp(R"({"release": "tt7.1_a", "company": {"number": 4711}, "planningParameters": {"currency": "EUR"},
                  "obs": [{"id": "ORG", "description": "Company"},
                          {"id": "ENGINEERING", "parent": "ORG", "description": "Eng"},
                          {"id": "CONS", "parent": "ORG", "description": "Construction and site supervision dept"}],
                  "projects": [{"id": "BRIDGE", "description": "Bridge", "obs": "ORG"}]})") {}
    void SetUp() override {
        test::PlanFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        fs::create_directories(erp.home() / "Plans");
        SaveAs(erp.home() / "Plans" / "Bridge.mpp");
        ASSERT_TRUE(OpenKovaConnection());
        record = test::InstallProjectData();
        record->ProjectCode = "BRIDGE";
        record->OBSCode = "ORG";
    }
    fs::path Obs() const { return erp.home() / "Plans" / "Bridge.obs"; }
    platform::middleware::TestBackend erp;
    std::shared_ptr<KovaDataObjects::KovaProjectData> record;
};

TEST_F(ObsFileTest, TheCacheHoldsOneFixedRecordPerElement) {
    test::WriteFile(Obs(), std::string(200, 'z')); // an older, longer cache is replaced
    WriteObsElementsFile();
    EXPECT_EQ(Err().Number, 0);
    std::string bytes = test::ReadFile(Obs());
    ASSERT_EQ(bytes.size() % 38, 0u);
    std::vector<std::string> records;
    for (size_t at = 0; at < bytes.size(); at += 38)
        records.push_back(bytes.substr(at, 38));
    // Codes cut at 8, descriptions padded (or cut) to 30.
    EXPECT_EQ(records, (std::vector<std::string>{"ORG     Company                       ",
                                                 "ENGINEEREng                           ",
                                                 "CONS    Construction and site supervis"}));
}

TEST_F(ObsFileTest, WithoutAnObsCodeAnExistingCacheStays) {
    test::WriteFile(Obs(), "old");
    record->OBSCode = "";
    WriteObsElementsFile();
    EXPECT_EQ(test::ReadFile(Obs()), "old");
}

TEST_F(ObsFileTest, AFailedReadLeavesAnEmptyCache) {
    test::WriteFile(Obs(), "old");
    automation::UnregisterClass("OrganizationBreakdownStructure.OrganizationBreakdownStructureManager");
    erp.Control().UnregisterProgId("OrganizationBreakdownStructure.OrganizationBreakdownStructureManager");
    WriteObsElementsFile();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(fs::exists(Obs()));
    EXPECT_EQ(test::ReadFile(Obs()), "");
}

} // namespace
} // namespace Grantry
