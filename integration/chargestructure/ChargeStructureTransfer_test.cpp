#include "integration/chargestructure/ChargeStructureTransfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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
using platform::automation::Variant;
using ::testing::HasSubstr;

Date At(int y, int m, int d, int h) {
    return Date::FromParts(y, m, d, h, 0, 0);
}

struct Row {
    const char* code;
    int32_t level;
    const char* name;
    const char* type;
    const char* parent;
    const char* obs;
};

class TransferTest : public test::StructureFixture {
protected:
    void TearDown() override {
        SortTasksOnChargeElementCodeStep() = nullptr;
        ChargeElements() = {};
        StructureFixture::TearDown();
    }
    msp::Task TaskAt(int32_t row) { return Plan().Tasks().Item(row); }
};

TEST_F(TransferTest, BuildsTheOutlineOfTheStructure) {
    TransferChargeStructureToProject();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    const std::vector<Row> rows = {
        {"BRM2", 1, "Bridge opened", "Milestone", "", ""},
        {"BR", 1, "Lasse river bridge", "WBS Element", "", "ORG"},
        {"BR10", 2, "Design", "Project Cost Account", "BR", "ENG"},
        {"BR11", 3, "Structural design", "Work Package", "BR10", ""},
        {"BRM1", 3, "Design approved", "Milestone", "BR11", ""},
        {"BR12", 3, "Permits", "Work Package", "BR10", "ENG"},
        {"BR20", 2, "Construction", "Project Cost Account", "BR", "CONS"},
        {"BR21", 3, "Foundations", "Work Package", "BR20", ""},
    };
    ASSERT_EQ(Plan().Tasks().Count(), static_cast<int32_t>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        msp::Task t = TaskAt(static_cast<int32_t>(i + 1));
        SCOPED_TRACE(r.code);
        ASSERT_TRUE(t);
        EXPECT_EQ(t.Text1(), r.code);
        EXPECT_EQ(t.OutlineLevel(), r.level);
        EXPECT_EQ(t.Text5(), std::to_string(r.level));
        EXPECT_EQ(t.Name(), r.name);
        EXPECT_EQ(t.Text10(), r.type);
        EXPECT_EQ(t.Text15(), r.parent);
        EXPECT_EQ(t.Text12(), r.obs);
        EXPECT_TRUE(t.Flag2());
        EXPECT_TRUE(t.Flag3());
        EXPECT_EQ(t.Flag1(), std::string(r.code) == "BR"); // only the connection node
        const bool milestone = std::string(r.type) == "Milestone";
        EXPECT_EQ(t.Milestone(), milestone);
        if (!milestone) {
            EXPECT_EQ(t.ConstraintType(), 4);
        }
    }
    // A work package starts no earlier than its ERP start and lasts until the ERP finish.
    msp::Task permits = TaskAt(6);
    EXPECT_EQ(CDate(permits.ConstraintDate()), At(2024, 4, 1, 8));
    EXPECT_EQ(permits.Duration(), app->DateDifference(At(2024, 4, 1, 8), At(2024, 5, 31, 17)));
    EXPECT_EQ(CDate(permits.Date9()), permits.Start());
    EXPECT_EQ(CDate(permits.Date10()), permits.Finish());

    // The stand-alone milestone keeps its date and no link; the other is tied to its work package.
    msp::Task opened = TaskAt(1);
    EXPECT_EQ(opened.Start(), At(2024, 12, 20, 17));
    EXPECT_EQ(opened.TaskDependencies().Count(), 0);
    msp::Task approved = TaskAt(5);
    ASSERT_EQ(approved.TaskDependencies().Count(), 1);
    msp::TaskDependency link = approved.TaskDependencies().Item(1);
    EXPECT_EQ(link.From.Text1(), "BR11");
    EXPECT_EQ(link.Type, msp::pjFinishToFinish); // dated at its parent's end
    EXPECT_EQ(approved.Duration(), 0);
    EXPECT_FALSE(TaskAt(4).Milestone());

    EXPECT_THAT(LogText(), HasSubstr("Transferring Charge Breakdown Structure...\r\n"));
}

// An ERP date the plan cannot hold is logged naming the element, and its task is placed without the
// ERP's dates; the rest of the structure is built as always.
TEST_F(TransferTest, AnElementDateThePlanCannotHoldIsLoggedAndLeftOut) {
    struct Case {
        const char* code;
        Date start, finish;
        const char* says;
    };
    const Case cases[] = {
        {"BR12", At(1970, 1, 2, 8), At(2024, 5, 31, 17), "The start 1970-01-02 08:00:00 of Charge Element BR12"},
        {"BR21", At(2024, 6, 3, 8), At(2200, 1, 1, 17), "The finish 2200-01-01 17:00:00 of Charge Element BR21"},
        {"BRM1", At(1970, 1, 2, 17), At(1970, 1, 2, 17), "The start 1970-01-02 17:00:00 of Charge Element BRM1"},
        {"BRM2", At(2200, 1, 1, 17), At(2200, 1, 1, 17), "The start 2200-01-01 17:00:00 of Charge Element BRM2"},
    };
    for (const auto& ce : *CurrentProjectData->ChargeElements)
        for (const Case& c : cases)
            if (ce->CECode == c.code) {
                ce->StartDate = c.start;
                ce->FinishDate = c.finish;
            }
    TransferChargeStructureToProject();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_EQ(Plan().Tasks().Count(), 8);
    const std::string log = LogText();
    for (const Case& c : cases)
        EXPECT_THAT(log, HasSubstr(std::string(c.says) + " is outside the dates Microsoft Project schedules "
                                   "(1984-01-01 to 2149-12-31); its task is placed without the ERP's dates."));
    EXPECT_EQ(TaskAt(6).Text1(), "BR12");
    EXPECT_EQ(TaskAt(6).Text15(), "BR10");
    EXPECT_EQ(TaskAt(4).Text1(), "BR11"); // the others keep their ERP dates
    EXPECT_EQ(CDate(TaskAt(4).ConstraintDate()), At(2024, 3, 4, 8));
    EXPECT_EQ(TaskAt(4).Duration(), app->DateDifference(At(2024, 3, 4, 8), At(2024, 4, 26, 17)));
}

TEST_F(TransferTest, CountsMoreThan32767Records) {
    auto& list = *CurrentProjectData->ChargeElements;
    const size_t demo = list.size();
    for (int i = 1; i <= 33000; ++i) {
        auto ce = std::make_shared<KovaDataObjects::KovaCE>();
        ce->CECode = "X" + std::to_string(i);
        ce->CEDescription = "Package " + std::to_string(i);
        ce->CEParent = "BR";
        ce->CEType = 4;
        list.push_back(ce);
    }
    TransferChargeStructureToProject();
    EXPECT_EQ(ChargeElements().recordCount, static_cast<int32_t>(demo + 33000));
    EXPECT_EQ(std::filesystem::file_size(BcePath()), (demo + 33000) * ChargeElementRecord::kLength);
}

TEST_F(TransferTest, WritesOneCacheRecordPerElementWithoutScheduleFields) {
    TransferChargeStructureToProject();
    std::ifstream in(BcePath(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 8 * ChargeElementRecord::kLength);
    EXPECT_EQ(ChargeElements().recordCount, 8);
    const char* codes[] = {"BRM2", "BR", "BR10", "BR11", "BRM1", "BR12", "BR20", "BR21"};
    for (size_t i = 0; i < 8; ++i) {
        const std::string record =
            bytes.substr(i * ChargeElementRecord::kLength, ChargeElementRecord::kLength);
        SCOPED_TRACE(codes[i]);
        EXPECT_EQ(record.substr(0, 8), (std::string(codes[i]) + "        ").substr(0, 8));
        EXPECT_EQ(record.substr(70, 8), std::string(8, '\0')); // OBS element
        EXPECT_EQ(record.substr(79), std::string(47, '\0'));   // start, finish, duration
    }
    // Milestone from the type; the top element's parent blank; BR21 not connectable.
    EXPECT_EQ(bytes.substr(4 * 126 + 60, 2), std::string("\xFF\xFF", 2));
    EXPECT_EQ(bytes.substr(1 * 126 + 62, 8), std::string(8, ' '));
    EXPECT_EQ(bytes.substr(1 * 126 + 58, 2), std::string("\xFF\xFF", 2));
    EXPECT_EQ(bytes.substr(7 * 126 + 58, 2), std::string(2, '\0'));
    EXPECT_EQ(bytes.substr(7 * 126 + 78, 1), "4");
}

TEST_F(TransferTest, MilestoneAsSubtaskMakesItTheLastChildOfItsParentUnlinked) {
    SetOption("MilestoneAsSubtask", true);
    TransferChargeStructureToProject();
    msp::Task approved = TaskAt(5);
    ASSERT_TRUE(approved);
    EXPECT_EQ(approved.Text1(), "BRM1");
    EXPECT_EQ(approved.OutlineLevel(), 4);
    EXPECT_EQ(approved.OutlineParent().Text1(), "BR11");
    EXPECT_TRUE(approved.Milestone());
    EXPECT_EQ(approved.TaskDependencies().Count(), 0);
    EXPECT_EQ(approved.Start(), At(2024, 4, 26, 17));
    EXPECT_EQ(TaskAt(6).Text1(), "BR12");
    EXPECT_EQ(TaskAt(6).OutlineLevel(), 3);
}

// A milestone of a level-1 element that comes before the element's other children ends after them,
// beside its parent, and the children stay the element's own.
TEST_F(TransferTest, AMilestoneOfATopElementEndsBesideItAfterItsChildren) {
    auto ce = [](const char* code, int16_t type, const char* parent) {
        auto e = std::make_shared<KovaDataObjects::KovaCE>();
        e->CECode = code;
        e->CEDescription = code;
        e->CEType = type;
        e->CEParent = parent;
        e->Milestone = type == 5;
        return e;
    };
    CurrentProjectData->ChargeElements = KovaDataObjects::Collection<KovaDataObjects::KovaCE>{
        ce("BR", 1, ""), ce("A", 4, "BR"), ce("M", 5, "BR"), ce("B", 4, "BR"), ce("B1", 4, "B")};
    TransferChargeStructureToProject();
    std::vector<std::string> outline;
    for (int32_t i = 1; i <= Plan().Tasks().Count(); ++i)
        outline.push_back(TaskAt(i).Text1() + " " + std::to_string(TaskAt(i).OutlineLevel()) + " " +
                          TaskAt(i).Text5());
    EXPECT_EQ(outline, (std::vector<std::string>{"BR 1 1", "A 2 2", "B 2 2", "B1 3 3", "M 1 1"}));
    EXPECT_TRUE(TaskAt(5).Milestone());
}

TEST_F(TransferTest, OnlyTheConnectionNodeGivesOneTopTask) {
    CurrentProjectData->ConnectedCE = "BR21";
    CurrentProjectData->getChBSFromKova(BOIConnector, "BR21");
    ASSERT_EQ(Err().Number, 0);
    TransferChargeStructureToProject();
    ASSERT_EQ(Plan().Tasks().Count(), 1);
    EXPECT_EQ(TaskAt(1).Text1(), "BR21");
    EXPECT_EQ(TaskAt(1).OutlineLevel(), 1);
    EXPECT_TRUE(TaskAt(1).Flag1());
    EXPECT_EQ(TaskAt(1).Text5(), "1");
    EXPECT_EQ(std::filesystem::file_size(BcePath()), ChargeElementRecord::kLength);
}

TEST_F(TransferTest, SortsOnlyWhenThePlanAsksForIt) {
    for (bool sort : {true, false}) {
        SCOPED_TRACE(sort);
        int calls = 0;
        SortTasksOnChargeElementCodeStep() = [&] { ++calls; };
        SetOption("SortTasksOnCECode", sort);
        TransferChargeStructureToProject();
        EXPECT_EQ(calls, sort ? 1 : 0);
    }
}

TEST_F(TransferTest, AMissingStructureLeavesAnEmptyFreshCacheFile) {
    std::ofstream(BcePath()) << std::string(300, 'x');
    CurrentProjectData->ChargeElements.reset();
    TransferChargeStructureToProject();
    EXPECT_EQ(Plan().Tasks().Count(), 0);
    EXPECT_EQ(std::filesystem::file_size(BcePath()), 0u);
}

class ScheduleMilestoneTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        parent = Plan().Tasks().Add("Parent");
        parent.SetStart(At(2024, 3, 4, 8));
        parent.SetDuration(Variant(4800.0)); // ten working days
        milestone = Plan().Tasks().Add("Milestone");
        milestone.SetDuration(Variant(0.0));
        milestone.SetMilestone(true);
    }
    msp::Task parent, milestone;
};

TEST_F(ScheduleMilestoneTest, LinkTypeAndLagFollowTheHalfTheDateFallsIn) {
    const Date pStart = parent.Start(), pFinish = parent.Finish();
    const Date early = At(2024, 3, 6, 8), late = At(2024, 3, 13, 8);
    struct Case {
        Date d;
        int32_t type;
        double lagMinutes;
        Date start;
    };
    const std::vector<Case> cases = {
        {Date(), msp::pjFinishToStart, 0, pStart},
        {pStart, msp::pjFinishToStart, 0, pStart},
        {early, msp::pjStartToStart, static_cast<double>(app->DateDifference(pStart, early)), early},
        {late, msp::pjFinishToFinish, -static_cast<double>(app->DateDifference(late, pFinish)), late},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        milestone.UnlinkPredecessors(parent);
        ScheduleMilestoneAfterParent(milestone, parent, c.d);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        ASSERT_EQ(milestone.TaskDependencies().Count(), 1);
        msp::TaskDependency link = milestone.TaskDependencies().Item(1);
        EXPECT_EQ(link.Type, c.type);
        EXPECT_DOUBLE_EQ(link.Lag, c.lagMinutes);
        // Where the lag places it is the program's scheduling; without one it sits at the start.
        if (c.type == msp::pjFinishToStart) {
            EXPECT_EQ(milestone.Start(), c.start);
        }
        EXPECT_EQ(CDate(milestone.Date9()), milestone.Start());
    }
}

TEST_F(ScheduleMilestoneTest, DurationUnitsOfThePlan) {
    const std::vector<std::pair<int32_t, double>> units = {{3, 960}, {5, 16}, {7, 2}, {9, 0.4}};
    for (const auto& [unit, expected] : units) {
        Plan().SetDefaultDurationUnits(unit);
        EXPECT_DOUBLE_EQ(ConvertDurationUnits(960), expected) << unit;
    }
}

} // namespace
} // namespace Grantry
