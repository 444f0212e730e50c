#include "integration/budget/KovaUpdateBudgetSchedule.h"

#include "integration/budget/BudgetTestSupport.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Err;

class BudgetHelpersTest : public test::BudgetFixture {};

TEST_F(BudgetHelpersTest, TheParentChargeElementIsTheNearestCodedAncestor) {
    msp::Task top = AddTask("Bridge", 1, "BR");
    msp::Task direct = AddTask("Concrete", 2);
    msp::Task account = AddTask("Design", 2, "BR10");
    msp::Task group = AddTask("Group without code", 3);
    msp::Task deep = AddTask("Engineering hour", 4);
    msp::Task loose = AddTask("Loose task", 1);
    msp::Task underLoose = AddTask("Below a loose task", 2);

    EXPECT_EQ(GetParentChargeElement(direct), "BR");
    EXPECT_EQ(GetParentChargeElement(deep), "BR10");
    EXPECT_EQ(deep.Name(), "Engineering hour"); // the caller still holds its own task
    EXPECT_EQ(GetParentChargeElement(group), "BR10");
    EXPECT_EQ(GetParentChargeElement(account), ""); // a charge-element task itself
    EXPECT_EQ(GetParentChargeElement(top), "");
    EXPECT_EQ(GetParentChargeElement(loose), "");      // outline level 1
    EXPECT_EQ(GetParentChargeElement(underLoose), ""); // no code up to level 1
}

TEST_F(BudgetHelpersTest, WorkConvertsInEveryDefaultWorkUnitAndRoundTrips) {
    struct Case {
        int32_t unit;
        double hoursPerDay, hoursPerWeek;
        double units; // 480 minutes in that unit
    } cases[] = {
        {msp::pjMinute, 8, 40, 480}, {msp::pjHour, 8, 40, 8},   {msp::pjDay, 8, 40, 1},
        {msp::pjDay, 7.5, 37.5, 1.0 * 480 / 450}, {msp::pjWeek, 8, 40, 0.2}, {msp::pjWeek, 8, 37.5, 480.0 / 2250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << ", " << c.hoursPerDay << " h/day, "
                                        << c.hoursPerWeek << " h/week");
        Plan().SetDefaultWorkUnits(c.unit);
        Plan().SetHoursPerDay(c.hoursPerDay);
        Plan().SetHoursPerWeek(c.hoursPerWeek);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_DOUBLE_EQ(MinutesToWorkUnits(480), c.units);
        EXPECT_DOUBLE_EQ(WorkUnitsToMinutes(c.units), 480);
        for (double minutes : {0.0, 1.0, 61.5, 100000.0})
            EXPECT_DOUBLE_EQ(WorkUnitsToMinutes(MinutesToWorkUnits(minutes)), minutes);
        // What the conversion gives is what the planning program reads as work text in that unit.
        msp::Task t = AddTask("Work", 1);
        t.SetWork(platform::automation::NumberText(MinutesToWorkUnits(960)));
        EXPECT_NEAR(t.Work(), 960, 1e-9);
    }
}

TEST_F(BudgetHelpersTest, WithoutAPlanTheWorkIsUnchangedAndTheFailureKept) {
    MSProjectApplication.reset();
    EXPECT_DOUBLE_EQ(MinutesToWorkUnits(480), 480);
    EXPECT_EQ(Err().Number, 91);
    Err().Clear();
    EXPECT_DOUBLE_EQ(WorkUnitsToMinutes(8), 8);
    EXPECT_EQ(Err().Number, 91);
}

TEST(StripCodePrefix, KeepsTheTextAfterTheLastPoint) {
    struct Case {
        std::string text;
        bool cut;
        std::string expected;
    } cases[] = {
        {"EQP.P1.CRANE", false, "CRANE"},
        {"EMP.D1.E100 Anna Berg", true, "E100"},
        {"TRG.T20", false, "T20"},
        {"A100", false, "A100"},
        {"TRG.", false, ""},
        {"LAB.W01 Site hour. Night", false, " Night"},
        {"LAB.W01", true, "W01"}, // no blank: the whole text is kept before the points go
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripCodePrefix(c.text, c.cut), c.expected) << c.text << " cut " << c.cut;
}

} // namespace
} // namespace Grantry
