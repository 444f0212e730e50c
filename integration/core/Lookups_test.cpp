// The program's own time stamps, the resource lookup and the walk over the coded outline.
#include <gtest/gtest.h>

#include "integration/core/IntegrationFunctions.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;

TEST(TimeStamps, DatesBecomeFourteenDigitsWithoutShifts) {
    const std::pair<Date, std::string> cases[] = {
        {Date::FromParts(2004, 3, 7, 9, 5, 3), "20040307090503"},
        {Date::FromParts(2004, 3, 7), "20040307000000"},
        {Date::FromParts(2004, 12, 31, 23, 59, 59), "20041231235959"},
    };
    for (auto [date, stamp] : cases) {
        EXPECT_EQ(DateToTimeStamp(date), stamp);
        EXPECT_EQ(TimeStampToDate(stamp), date) << stamp;
    }
    // Before the year 1000 the stamp is shorter, and does not read back as the same date.
    Date early = Date::FromParts(999, 1, 2, 3, 4, 5);
    EXPECT_EQ(DateToTimeStamp(early), "9990102030405");
}

TEST(TimeStamps, FieldsBeyondTheirRangeCarryOver) {
    const std::pair<std::string, Date> cases[] = {
        {"20040307240000", Date::FromParts(2004, 3, 8)},
        {"20041231240000", Date::FromParts(2005, 1, 1)},
        {"20041315000000", Date::FromParts(2005, 1, 15)},
        {"20040230000000", Date::FromParts(2004, 3, 1)},
        {"20040307006100", Date::FromParts(2004, 3, 7, 1, 1)},
        // Short or broken stamps: missing fields count 0.
        {"2004030712", Date::FromParts(2004, 3, 7, 12)},
        {"200403xx120000", Date::FromParts(2004, 3, 0, 12)},
        {"", Date::Zero()},
        {"abc", Date::Zero()},
    };
    for (const auto& [stamp, date] : cases)
        EXPECT_EQ(TimeStampToDate(stamp).Iso(), date.Iso()) << stamp;
}

class LookupTest : public test::PlanFixture {
protected:
    void SetUp() override {
        test::PlanFixture::SetUp();
        app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
        app->ViewEditSingle("Kova Proj Resources", true, false, "Entry");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    platform::os::TempKovaHome home;
};

TEST_F(LookupTest, LocateResourceTakesTheCodeOfTheFirstNameThatContainsTheText) {
    msp::Resources resources = Plan().Resources();
    resources.Add("EMP.E007 Jones").SetText2("EMP.E007");
    resources.Add("EQP.CR20 Crane").SetText2("  EQP.CR20 ");
    resources.Add("EQP.CR200 Big crane").SetText2("EQP.CR200");
    struct Case {
        const char* text;
        const char* code;
    } cases[] = {
        {"Jones", "EMP.E007"}, {"CR20", "EQP.CR20"}, {"Big crane", "EQP.CR200"}, {"Smith", "unchanged"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text, code = "unchanged";
        LocateResource(text, code);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(Err().Number, 0);
        EXPECT_EQ(Plan().CurrentView(), "Kova Proj Gantt");
        // The program's own prompts are on again afterwards.
        EXPECT_TRUE(app->DisplayAlerts());
    }
}

class OutlineTest : public LookupTest {
protected:
    // Top(c) > A(c) > A1(c); Top > B > B1(c); Top > C(c); D(c) beside Top.
    void SetUp() override {
        LookupTest::SetUp();
        const std::tuple<const char*, int, const char*> rows[] = {
            {"Top", 1, "T"}, {"A", 2, "A"}, {"A1", 3, "A1"}, {"B", 2, ""},
            {"B1", 3, "B1"}, {"C", 2, "C"}, {"D", 1, "D"},
        };
        for (const auto& [name, level, code] : rows) {
            msp::Task t = Plan().Tasks().Add(name);
            t.SetOutlineLevel(level);
            t.SetText(1, code);
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    msp::Task Named(const std::string& name) {
        for (msp::Task t : Plan().Tasks().Snapshot())
            if (t && t.Name() == name) return t;
        return {};
    }
};

TEST_F(OutlineTest, CountingReachesBelowUncodedTasksCollectingDoesNot) {
    msp::Task top = Named("Top");
    int32_t count = 5;
    CountCodedDescendants(top, count);
    EXPECT_EQ(count, 5 + 4); // A, A1, B1, C

    int32_t total = 0;
    CountCodedDescendants(top, total);
    std::vector<msp::Task> tasks(static_cast<size_t>(total) + 1);
    tasks[0] = top;
    int32_t collected = 0;
    CollectCodedDescendants(top, tasks, collected);
    EXPECT_EQ(Err().Number, 0);
    ASSERT_EQ(collected, 3);
    EXPECT_EQ(tasks[1].Name(), "A");
    EXPECT_EQ(tasks[2].Name(), "A1");
    EXPECT_EQ(tasks[3].Name(), "C");
    EXPECT_FALSE(tasks[4]); // never filled: B1 lies below the uncoded B
}

TEST_F(OutlineTest, AssignmentsAreLookedForUpToTheHighestPosition) {
    msp::Task top = Named("Top");
    int32_t total = 0;
    CountCodedDescendants(top, total);
    std::vector<msp::Task> tasks(static_cast<size_t>(total) + 1);
    tasks[0] = top;
    int32_t collected = 0;
    CollectCodedDescendants(top, tasks, collected);
    EXPECT_FALSE(AnyTaskHasAssignments(tasks, collected));
    EXPECT_EQ(Err().Number, 0);

    msp::Resource crane = Plan().Resources().Add("Crane");
    Named("C").Assignments().Add(crane.Id());
    ASSERT_EQ(Err().Number, 0);
    EXPECT_TRUE(AnyTaskHasAssignments(tasks, collected));
    int32_t two = 2;
    EXPECT_FALSE(AnyTaskHasAssignments(tasks, two)); // C is at position 3
    // The never-filled position is not reached by the callers; looking at it fails.
    int32_t four = 4;
    Named("C").Assignments().Item(1).Delete();
    EXPECT_FALSE(AnyTaskHasAssignments(tasks, four));
    EXPECT_NE(Err().Number, 0);
}

} // namespace
} // namespace Grantry
