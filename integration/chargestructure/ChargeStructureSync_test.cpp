#include "integration/chargestructure/ChargeStructureSync.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/core/CommandFrame.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "platform/automation/Variant.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/Seed.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;
using ::testing::HasSubstr;
using ::testing::Not;

using Outline = std::vector<std::pair<std::string, int32_t>>;

class StructureSyncTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        SetOption("KovaTransferChargeStructure", true);
        SetOption("DeleteMSPCETask", true);
        // The plan as the connection left it.
        WriteChargeElementFile();
        LoadChargeElementFile();
        PlaceChargeElementTasks({});
        ASSERT_EQ(Codes().size(), 8u);
    }
    void TearDown() override {
        ChargeElements() = {};
        NetChangeOption = false;
        EXPECT_TRUE(user.Finish());
        StructureFixture::TearDown();
    }
    void Change(const std::string& changes) {
        auto db = erp.Open();
        platform::middleware::ApplyChangeSet(
            *db, nlohmann::json::parse(R"({"project": "BRIDGE", "plan": "MAIN", "changes": )" + changes + "}"));
    }
    bool Sync(bool proceed = false) {
        SynchronizeChargeStructure(proceed);
        return proceed;
    }
    Outline Rows() {
        Outline rows;
        for (int32_t i = 1; i <= Plan().Tasks().Count(); ++i)
            if (msp::Task t = Plan().Tasks().Item(i)) rows.emplace_back(t.Text1().empty() ? t.Name() : t.Text1(), t.OutlineLevel());
        return rows;
    }
    std::vector<std::string> Codes() {
        std::vector<std::string> codes;
        for (auto& [code, level] : Rows()) codes.push_back(code);
        return codes;
    }
    msp::Task ByName(const std::string& name) {
        for (int32_t i = 1; i <= Plan().Tasks().Count(); ++i)
            if (msp::Task t = Plan().Tasks().Item(i); t && (t.Text1() == name || t.Name() == name)) return t;
        return {};
    }
    // An uncoded budget-line subtask as the last child of `parent`.
    void AddBudgetLineTask(const std::string& parent, const std::string& name) {
        msp::Task p = ByName(parent);
        int32_t row = p.Id() + 1;
        while (row <= Plan().Tasks().Count() && Plan().Tasks().Item(row).OutlineLevel() > p.OutlineLevel()) ++row;
        msp::Task t = Plan().Tasks().Add(name, row);
        while (t.OutlineLevel() <= p.OutlineLevel()) t.OutlineIndent();
        t.SetText3("LAB");
        t.SetText4("1");
        t.SetText8("3");
        ASSERT_EQ(t.OutlineParent().Text1(), parent);
    }
    platform::forms::ScriptedUser user;
    platform::forms::ScopedUser on{user};
};

TEST_F(StructureSyncTest, ThePlanFollowsTheERPsStructure) {
    Change(R"([
      {"op": "remove", "id": "BR11"},
      {"op": "change", "id": "BR12", "parent": "BR20"},
      {"op": "change", "id": "BR21", "parent": "BR10", "start": "2024-07-01 08:00", "finish": "2024-07-31 17:00"},
      {"op": "add", "id": "BR13", "description": "Tender", "type": 4, "parent": "BR20",
       "start": "2024-09-02 08:00", "finish": "2024-09-27 17:00"},
      {"op": "change", "id": "BR20", "description": "Construction works", "start": "2024-07-01 08:00"},
      {"op": "add", "id": "BRM3", "description": "Deck closed", "type": 5, "parent": "BR", "linked": "BR20",
       "start": "2024-12-20 17:00", "finish": "2024-12-20 17:00"}])");
    const Variant constructionStamp = ByName("BR20").Date9();
    AddBudgetLineTask("BR20", "Crane hire");

    EXPECT_TRUE(Sync());
    // BR11 and its milestone BRM1 went with it: two removed rows one after the other.
    EXPECT_EQ(Rows(), (Outline{{"BRM2", 1},
                               {"BR", 1},
                               {"BR10", 2},
                               {"BR21", 3},
                               {"BR20", 2},
                               {"Crane hire", 3},
                               {"BR12", 3},
                               {"BR13", 3},
                               {"BRM3", 2}}));
    msp::Task tender = ByName("BR13");
    EXPECT_EQ(tender.Start(), Date::FromParts(2024, 9, 2, 8));
    EXPECT_EQ(tender.Text15(), "BR20");
    EXPECT_EQ(tender.Text10(), "Work Package");
    // A moved task takes the ERP's dates; one that stays keeps its own but its name follows.
    EXPECT_EQ(ByName("BR21").Start(), Date::FromParts(2024, 7, 1, 8));
    EXPECT_EQ(ByName("BR21").Text15(), "BR10");
    EXPECT_EQ(ByName("BR20").Name(), "Construction works");
    EXPECT_EQ(platform::automation::CDate(ByName("BR20").Date9()), platform::automation::CDate(constructionStamp));
    // The new milestone beside the element it belongs to, which is no milestone.
    EXPECT_TRUE(ByName("BRM3").Milestone());
    EXPECT_EQ(ByName("BRM3").Text15(), "BR20");
    EXPECT_FALSE(ByName("BR20").Milestone());
    // The stand-alone milestone is tied to no uncoded task (the budget-line subtask) and keeps its date.
    EXPECT_EQ(ByName("BRM2").PredecessorTasks().Count(), 0);
    EXPECT_EQ(ByName("BRM2").Start(), Date::FromParts(2024, 12, 20, 17));
    EXPECT_EQ(ByName("BRM3").PredecessorTasks().Count(), 1);
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Synchronizing the Charge Breakdown Structure in MS Project from Kova...\r\n"));
    EXPECT_THAT(log, Not(HasSubstr("FAILURE")));
}

// With DeleteKovaMSPTask the budget-line subtasks of a detached task go; without it they lose their link.
class DetachTest : public StructureSyncTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DetachTest, ARemovedElementsTaskIsDetachedWhenThePlanKeepsItsTasks) {
    const bool deleteBudgetLineTasks = GetParam();
    SetOption("DeleteMSPCETask", false);
    SetOption("DeleteKovaMSPTask", deleteBudgetLineTasks);
    AddBudgetLineTask("BR12", "Surveyor");
    Change(R"([{"op": "remove", "id": "BR12"}])");
    EXPECT_TRUE(Sync());
    // The detached task is last, at level 1, without its fields.
    std::vector<std::string> codes = Codes();
    ASSERT_EQ(codes.back(), deleteBudgetLineTasks ? "Permits" : "Surveyor");
    msp::Task permits = ByName("Permits");
    EXPECT_EQ(permits.OutlineLevel(), 1);
    EXPECT_EQ(permits.Text1(), "");
    EXPECT_EQ(permits.Text10(), "");
    EXPECT_FALSE(permits.Flag1() || permits.Flag2() || permits.Flag3());
    EXPECT_EQ(platform::automation::CStr(permits.Date9()), "NA");
    msp::Task surveyor = ByName("Surveyor");
    EXPECT_EQ(bool(surveyor), !deleteBudgetLineTasks);
    if (surveyor) {
        EXPECT_EQ(surveyor.OutlineParent().Name(), "Permits");
        EXPECT_EQ(surveyor.Text3(), "");
        EXPECT_EQ(surveyor.Text4(), "");
        EXPECT_EQ(surveyor.Text8(), "1");
    }
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "BR11"), 1);
    EXPECT_EQ(codes.size(), deleteBudgetLineTasks ? 8u : 9u);
}
INSTANTIATE_TEST_SUITE_P(BudgetLineTasks, DetachTest, ::testing::Bool());

TEST_F(StructureSyncTest, TheLastTaskOfThePlanIsRemovedToo) {
    ASSERT_EQ(Codes().back(), "BR21");
    Change(R"([{"op": "remove", "id": "BR21"}])");
    EXPECT_TRUE(Sync());
    EXPECT_EQ(Codes(), (std::vector<std::string>{"BRM2", "BR", "BR10", "BR11", "BRM1", "BR12", "BR20"}));
}

TEST_F(StructureSyncTest, AnUncodedTaskIsNeverRemoved) {
    Plan().Tasks().Add("My own notes");
    Plan().Tasks().Add("Kick-off", 1);
    EXPECT_TRUE(Sync());
    std::vector<std::string> codes = Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "My own notes"), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "Kick-off"), 1);
    EXPECT_EQ(codes.size(), 10u);
}

TEST_F(StructureSyncTest, NothingIsRemovedWhenTheStructureCannotBeReadOrCached) {
    Change(R"([{"op": "remove", "id": "BR20"}])");
    const std::vector<std::string> before = Codes();

    // The ERP's read fails.
    ResetStepFailures();
    erp.Control().ArmFault(platform::middleware::Fault::Error("*", "getChargeElementReference", 7, 0, "Server busy"));
    EXPECT_FALSE(Sync(true));
    erp.Control().ClearFaults();
    EXPECT_EQ(Codes(), before);
    EXPECT_TRUE(StepFailed());

    // The cache file cannot be written (a folder stands in its place): the step names the file, fails,
    // and the budget step does not follow.
    ResetStepFailures();
    std::filesystem::remove(BcePath());
    std::filesystem::create_directories(BcePath());
    EXPECT_FALSE(Sync(true));
    EXPECT_EQ(Codes(), before);
    EXPECT_TRUE(StepFailed());

    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr(std::string(kStructureReadFailedLine)));
    EXPECT_THAT(log, HasSubstr("Synchronizing of the Charge Breakdown Structure was aborted\r\n"));
    EXPECT_THAT(log, HasSubstr(kCacheUnusableLine + BcePath().string() + kCacheUnusableTail + "\r\n"));
    ResetStepFailures();
}

TEST_F(StructureSyncTest, NetChangeLeavesARedatedOnlyElementWhereItIs) {
    NetChangeOption = true;
    Change(R"([{"op": "change", "id": "BR21", "start": "2024-07-01 08:00", "finish": "2024-07-31 17:00"},
               {"op": "change", "id": "BR12", "description": "Permits and consents"}])");
    const Date foundations = ByName("BR21").Start();
    EXPECT_TRUE(Sync());
    EXPECT_EQ(ByName("BR21").Start(), foundations);
    EXPECT_EQ(ByName("BR12").Name(), "Permits and consents");
    EXPECT_EQ(Codes().size(), 8u);
}

TEST_F(StructureSyncTest, TheStepDoesNothingWhenThePlanDoesNotTransferTheStructure) {
    SetOption("KovaTransferChargeStructure", false);
    Change(R"([{"op": "remove", "id": "BR20"}])");
    for (bool proceed : {false, true}) EXPECT_EQ(Sync(proceed), proceed);
    EXPECT_EQ(Codes().size(), 8u);
}

} // namespace
} // namespace Grantry
