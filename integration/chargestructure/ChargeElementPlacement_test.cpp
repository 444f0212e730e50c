#include "integration/chargestructure/ChargeElementPlacement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "platform/automation/Variant.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::CDate;
using platform::automation::Date;
using platform::automation::Err;
using ::testing::HasSubstr;

class PlacementTest : public test::StructureFixture {
protected:
    void TearDown() override {
        ChargeElements() = {};
        StructureFixture::TearDown();
    }
    // The cache as a synchronisation prepares it.
    void Cache() {
        WriteChargeElementFile();
        LoadChargeElementFile();
    }
    std::vector<std::pair<std::string, int32_t>> Outline() {
        std::vector<std::pair<std::string, int32_t>> rows;
        for (int32_t i = 1; i <= Plan().Tasks().Count(); ++i) {
            msp::Task t = Plan().Tasks().Item(i);
            if (t) rows.emplace_back(t.Text1(), t.OutlineLevel());
        }
        return rows;
    }
    // The task of the code cut and pasted by hand after the last row.
    void MoveToTheEnd(const std::string& code) {
        app->SelectRow(ByCode(code).Id(), false);
        app->EditCut();
        app->SelectRow(Plan().Tasks().Count() + 1, false);
        app->EditPaste();
        Err().Clear();
    }
    msp::Task ByCode(const std::string& code) {
        for (int32_t i = 1; i <= Plan().Tasks().Count(); ++i)
            if (msp::Task t = Plan().Tasks().Item(i); t && t.Text1() == code) return t;
        return {};
    }
};

using Outline_t = std::vector<std::pair<std::string, int32_t>>;

TEST_F(PlacementTest, AnEmptyPlanGetsTheWholeOutline) {
    Cache();
    PlacementResult result = PlaceChargeElementTasks({});
    EXPECT_FALSE(result.relationshipFailure);
    EXPECT_EQ(Outline(), (Outline_t{{"BRM2", 1},
                                    {"BR", 1},
                                    {"BR10", 2},
                                    {"BR11", 3},
                                    {"BRM1", 3},
                                    {"BR12", 3},
                                    {"BR20", 2},
                                    {"BR21", 3}}));
    msp::Task permits = ByCode("BR12");
    EXPECT_EQ(permits.Name(), "Permits");
    EXPECT_EQ(permits.Text10(), "Work Package");
    EXPECT_EQ(permits.Text12(), "ENG");
    EXPECT_EQ(permits.Text15(), "BR10");
    EXPECT_TRUE(permits.Flag2() && permits.Flag3());
    EXPECT_EQ(permits.Start(), Date::FromParts(2024, 4, 1, 8));
    EXPECT_EQ(CDate(permits.Date9()), permits.Start());
    EXPECT_TRUE(ByCode("BR").Flag1());
    EXPECT_FALSE(ByCode("BR10").Flag1());
    // The milestone beside its work package, which is no milestone.
    EXPECT_TRUE(ByCode("BRM1").Milestone());
    EXPECT_FALSE(ByCode("BR11").Milestone());
    EXPECT_EQ(ByCode("BRM1").Text15(), "BR11");
    EXPECT_TRUE(ByCode("BRM2").Milestone());
    EXPECT_EQ(ByCode("BRM2").Text15(), "");
}

TEST_F(PlacementTest, AChildBeforeItsParentWaitsAtTheEndUntilTheNextRun) {
    Cache();
    // The work package's record ahead of its cost account's.
    std::swap(ChargeElements().records[6], ChargeElements().records[7]);
    PlaceChargeElementTasks({});
    msp::Task foundations = ByCode("BR21");
    ASSERT_TRUE(foundations);
    EXPECT_EQ(foundations.OutlineLevel(), 1);
    EXPECT_EQ(foundations.Text15(), "BR20");

    PlacementResult again = PlaceChargeElementTasks({});
    EXPECT_TRUE(again.structureMoved);
    EXPECT_EQ(ByCode("BR21").OutlineLevel(), 3);
    EXPECT_EQ(ByCode("BR21").OutlineParent().Text1(), "BR20");
    EXPECT_EQ(ByCode("BR21").Start(), Date::FromParts(2024, 6, 3, 8)); // a moved task takes the ERP dates
}

TEST_F(PlacementTest, AnUnmovedTaskKeepsItsDatesAndOnlyChangedRecordsApplyInNetChange) {
    Cache();
    PlaceChargeElementTasks({});
    msp::Task permits = ByCode("BR12");
    const Date before = permits.Start();
    // The ERP's dates and description change; the task stays under its parent.
    ChargeElements().records[5]->start = "20240415080000";
    ChargeElements().records[5]->description = "Permits and consents";
    PlacementResult unchanged = PlaceChargeElementTasks({true, false, true});
    EXPECT_EQ(ByCode("BR12").Name(), "Permits"); // not marked changed
    ChargeElements().changed[5] = true;
    PlacementResult result = PlaceChargeElementTasks({true, false, true});
    EXPECT_FALSE(unchanged.structureMoved || result.structureMoved);
    EXPECT_EQ(ByCode("BR12").Name(), "Permits and consents");
    EXPECT_EQ(ByCode("BR12").Start(), before);
    EXPECT_EQ(Plan().Tasks().Count(), 8);
}

TEST_F(PlacementTest, DescendantsAreCountedAtEveryDepthOntoTheCounter) {
    Cache();
    PlaceChargeElementTasks({});
    OutlineDescendantCount = 5;
    CountOutlineDescendants(ByCode("BR"));
    EXPECT_EQ(OutlineDescendantCount, 5 + 6);
    OutlineDescendantCount = 0;
    CountOutlineDescendants(ByCode("BR11"));
    EXPECT_EQ(OutlineDescendantCount, 0);
}

TEST_F(PlacementTest, AStandAloneMilestoneReturnsToTheTop) {
    Cache();
    PlaceChargeElementTasks({});
    // Moved away by hand, it is back at row 1 after the next run.
    MoveToTheEnd("BRM2");
    ASSERT_NE(Plan().Tasks().Item(1).Text1(), "BRM2");
    PlaceChargeElementTasks({});
    EXPECT_EQ(Plan().Tasks().Item(1).Text1(), "BRM2");
    EXPECT_EQ(Plan().Tasks().Count(), 8);
}

// Without the option to keep them on top, stand-alone milestones stay where the user put them, and a
// new one joins them there instead of going to row 1.
TEST_F(PlacementTest, WithoutTheTopOptionANewStandAloneMilestoneJoinsTheOthers) {
    Cache();
    PlaceChargeElementTasks({});
    MoveToTheEnd("BRM2");
    // The only milestone of the plan is the stand-alone one.
    ByCode("BRM1").SetMilestone(false);
    Err().Clear();
    std::optional<ChargeElementEntry> added;
    for (auto& r : ChargeElements().records)
        if (r && r->code == "BRM2") added = r;
    ASSERT_TRUE(added);
    added->code = "BRM3";
    added->description = "Load test passed";
    ChargeElements().records.assign(1, added);
    ChargeElements().changed.assign(1, true);

    PlacementOptions options;
    options.standaloneMilestoneOnTop = false;
    PlaceChargeElementTasks(options);
    const int32_t rows = Plan().Tasks().Count();
    ASSERT_EQ(rows, 9);
    EXPECT_EQ(Plan().Tasks().Item(rows - 1).Text1(), "BRM3");
    EXPECT_EQ(Plan().Tasks().Item(rows).Text1(), "BRM2");
    EXPECT_EQ(Plan().Tasks().Item(1).Text1(), "BR");
}

TEST_F(PlacementTest, ATaskThatCannotBeIndentedUnderItsParentIsLoggedAndLeft) {
    // By hand the plan holds BR10 below BR11, while the ERP wants BR11 below BR10: moved with its
    // subtree, BR11 lands on row 1, where nothing can be indented.
    msp::Task design = Plan().Tasks().Add("Structural design");
    design.SetText1("BR11");
    msp::Task parent = Plan().Tasks().Add("Design");
    parent.SetText1("BR10");
    parent.OutlineIndent();
    Cache();
    auto& records = ChargeElements().records;
    std::optional<ChargeElementEntry> child;
    for (auto& r : records)
        if (r && r->code == "BR11") child = r;
    ASSERT_TRUE(child);
    records.assign(1, child);
    ChargeElements().changed.assign(1, true);

    PlacementResult result = PlaceChargeElementTasks({});
    EXPECT_TRUE(result.relationshipFailure);
    EXPECT_TRUE(result.structureMoved);
    EXPECT_EQ(Outline(), (Outline_t{{"BR11", 1}, {"BR10", 2}}));
    EXPECT_THAT(LogText(), HasSubstr("*** FAILURE: *** Indenting failed for Task ID 1, Kova CE BR11, "
                                     "Structural design\r\n"));
}

TEST_F(PlacementTest, AnOutlineTooDeepToReachIsLoggedNotLeftSilently) {
    // A chain of summaries deeper than the level steps allowed, and a task that belongs below its end.
    for (int level = 1; level <= 102; ++level) {
        msp::Task t = Plan().Tasks().Add("Level " + std::to_string(level));
        t.SetOutlineLevel(level);
        t.SetText1("D" + std::to_string(level));
    }
    msp::Task deep = Plan().Tasks().Add("Deep work");
    deep.SetText1("BR21");
    deep.SetOutlineLevel(1);
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    Cache();
    auto& records = ChargeElements().records;
    std::optional<ChargeElementEntry> entry;
    for (auto& r : records)
        if (r && r->code == "BR21") entry = r;
    ASSERT_TRUE(entry);
    entry->parent = "D102";
    records.assign(1, entry);
    ChargeElements().changed.assign(1, true);

    PlacementResult result = PlaceChargeElementTasks({});
    EXPECT_TRUE(result.relationshipFailure);
    EXPECT_LT(ByCode("BR21").OutlineLevel(), 103);
    EXPECT_THAT(LogText(), HasSubstr("*** FAILURE: *** Indenting failed for Task ID 103, Kova CE BR21, "));
}

} // namespace
} // namespace Grantry
