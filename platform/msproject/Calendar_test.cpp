// Base calendars: weekday edits, date-range exceptions, copies, and the working-time arithmetic.
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class Calendars : public MsProjectTest {};

// 7 June 2024 is a Friday.
struct SpanCase {
    const char* title;
    Date from, to;
    int32_t standard;      // on "Standard": 8-12, 13-17 Monday to Friday
    int32_t withException; // with Monday 10 June non-working and Saturday 8 June 09:00-11:30 working
};

TEST_F(Calendars, DateDifferenceAcrossAWeekendAndAnException) {
    const SpanCase cases[] = {
        {"WithinAMorning", At(2024, 6, 7, 9, 0), At(2024, 6, 7, 11, 30), 150, 150},
        {"OverLunch", At(2024, 6, 7, 11, 0), At(2024, 6, 7, 14, 0), 120, 120},
        {"FridayToMonday", At(2024, 6, 7, 16, 0), At(2024, 6, 10, 10, 0), 180, 60 + 150},
        {"FridayToTuesday", At(2024, 6, 7, 16, 0), At(2024, 6, 11, 9, 0), 60 + 480 + 60, 60 + 150 + 60},
        {"StartsInTheWeekend", At(2024, 6, 9, 12, 0), At(2024, 6, 10, 12, 0), 240, 0},
        {"Backwards", At(2024, 6, 10, 10, 0), At(2024, 6, 7, 16, 0), -180, -(60 + 150)},
        {"SameMoment", At(2024, 6, 7, 9, 0), At(2024, 6, 7, 9, 0), 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app->DateDifference(c.from, c.to), c.standard) << c.title;

    app->BaseCalendarCreate("CAVAILABLE");
    app->BaseCalendarEditDays(
        {.Name = "CAVAILABLE", .StartDate = At(2024, 6, 10), .EndDate = At(2024, 6, 10), .Working = false});
    app->BaseCalendarEditDays({.Name = "CAVAILABLE",
                               .StartDate = At(2024, 6, 8),
                               .Working = true,
                               .From1 = "09:00 AM",
                               .To1 = "11:30 AM"});
    app->ProjectSummaryInfo({.Calendar = "CAVAILABLE"});
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    for (const auto& c : cases)
        EXPECT_EQ(app->DateDifference(c.from, c.to), c.withException) << c.title;
    // The standard calendar is untouched and still reachable by name.
    EXPECT_EQ(app->DateDifference(At(2024, 6, 7, 16, 0), At(2024, 6, 10, 10, 0), "Standard"), 180);
}

TEST_F(Calendars, EditDaysWithTheTimeTextsOfTheTransfer) {
    app->BaseCalendarCreate("C1");
    struct Case {
        const char* title;
        BaseCalendarEditDaysArgs args;
        Date day;
        std::vector<std::pair<int32_t, int32_t>> times;
        int32_t error;
    };
    // 3 June 2024 is a Monday, 2 June a Sunday.
    const Case cases[] = {
        {"WeekdayTwoIntervals",
         {.Name = "C1",
          .Weekday = 2,
          .Working = true,
          .From1 = "09:30 AM",
          .To1 = "12:00 PM",
          .From2 = "01:30 PM",
          .To2 = "06:00 PM"},
         At(2024, 6, 3),
         {{570, 720}, {810, 1080}},
         0},
        {"WholeDayFromMidnightTo1159PM",
         {.Name = "C1", .Weekday = 1, .Working = true, .From1 = "00:00 AM", .To1 = "11:59 PM"},
         At(2024, 6, 2),
         {{0, 1439}},
         0},
        {"EmptySecondIntervalIsNotSet",
         {.Name = "C1",
          .Weekday = 3,
          .Working = true,
          .From1 = "12:30 AM",
          .To1 = "02:00 AM",
          .From2 = "",
          .To2 = ""},
         At(2024, 6, 4),
         {{30, 120}},
         0},
        {"NonWorkingWeekday", {.Name = "C1", .Weekday = 4, .Working = false}, At(2024, 6, 5), {}, 0},
        {"RangeLaterOverwritesEarlier",
         {.Name = "C1",
          .StartDate = At(2024, 6, 3),
          .EndDate = At(2024, 6, 5),
          .Working = true,
          .From1 = "07:00 AM",
          .To1 = "08:00 AM"},
         At(2024, 6, 5),
         {{420, 480}},
         0},
        {"EndBeforeStartFails",
         {.Name = "C1", .StartDate = At(2024, 6, 5), .EndDate = At(2024, 6, 3), .Working = false},
         At(2024, 6, 5),
         {{420, 480}},
         1004},
        {"IntervalBackwardsFails",
         {.Name = "C1", .Weekday = 6, .Working = true, .From1 = "05:00 PM", .To1 = "08:00 AM"},
         At(2024, 6, 7),
         {{480, 720}, {780, 1020}},
         1004},
        {"UnknownCalendarFails",
         {.Name = "Nope", .Weekday = 2, .Working = false},
         At(2024, 6, 10),
         {{570, 720}, {810, 1080}},
         1004},
        {"WeekdayOutOfRangeFails",
         {.Name = "C1", .Weekday = 8, .Working = false},
         At(2024, 6, 10),
         {{570, 720}, {810, 1080}},
         1004},
    };
    for (const auto& c : cases) {
        Err().Clear();
        app->BaseCalendarEditDays(c.args);
        EXPECT_EQ(Err().Number, c.error) << c.title << ": " << Err().Description;
        EXPECT_EQ(Plan().BaseCalendars().Item("C1").WorkingTimes(c.day), c.times) << c.title;
    }
    // The exception covers 3 to 5 June only; 10 June is a Monday of the edited week again.
    EXPECT_EQ(Plan().BaseCalendars().Item("C1").WorkingTimes(At(2024, 6, 10)),
              (std::vector<std::pair<int32_t, int32_t>>{{570, 720}, {810, 1080}}));
}

TEST_F(Calendars, CreateCopiesOrStartsFromTheDefaultWeek) {
    app->BaseCalendarCreate("CBASE");
    app->BaseCalendarEditDays({.Name = "CBASE", .Weekday = 2, .Working = false});
    app->BaseCalendarEditDays({.Name = "CBASE", .StartDate = At(2024, 6, 4), .Working = false});
    app->BaseCalendarCreate("CBASE.CHILD", "CBASE");
    app->BaseCalendarCreate("PLAIN");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    auto calendars = Plan().BaseCalendars();
    Calendar child = calendars.Item("CBASE.CHILD");
    EXPECT_FALSE(child.IsWorkingDay(At(2024, 6, 3))); // the parent's Monday
    EXPECT_FALSE(child.IsWorkingDay(At(2024, 6, 4))); // the parent's exception
    EXPECT_TRUE(child.IsWorkingDay(At(2024, 6, 5)));
    Calendar plain = calendars.Item("PLAIN");
    EXPECT_TRUE(plain.IsWorkingDay(At(2024, 6, 3)));
    EXPECT_FALSE(plain.IsWorkingDay(At(2024, 6, 8)));
    EXPECT_EQ(plain.WorkingMinutes(At(2024, 6, 3), At(2024, 6, 4)), 480);
    // Editing the copy leaves the parent alone.
    app->BaseCalendarEditDays({.Name = "CBASE.CHILD", .Weekday = 2, .Working = true});
    EXPECT_TRUE(child.IsWorkingDay(At(2024, 6, 10)));
    EXPECT_FALSE(calendars.Item("CBASE").IsWorkingDay(At(2024, 6, 10)));

    std::vector<std::string> names;
    for (Calendar c : calendars)
        names.push_back(c.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Standard", "CBASE", "CBASE.CHILD", "PLAIN"}));

    struct Failing {
        const char* name;
        const char* from;
    };
    for (auto [name, from] :
         {Failing{"CBASE", ""}, Failing{"cbase", ""}, Failing{"NEW", "MISSING"}, Failing{"", ""}}) {
        Err().Clear();
        app->BaseCalendarCreate(name, from);
        EXPECT_EQ(Err().Number, 1004) << name << " from " << from;
    }
    EXPECT_EQ(calendars.Count(), 4);
    Err().Clear();
    calendars.Item("MISSING");
    EXPECT_EQ(Err().Number, 1004);
}

TEST_F(Calendars, TaskFinishFollowsTheProjectCalendar) {
    Build({{"A", 1}});
    Task a = Named("A");
    a.SetStart(At(2024, 6, 7, 13, 0));
    a.SetDuration(3 * 480.0); // three days: Friday afternoon, Monday, Tuesday, Wednesday morning
    EXPECT_EQ(a.Finish(), At(2024, 6, 12, 12, 0));
    a.SetFinish(At(2024, 6, 10, 17, 0));
    EXPECT_DOUBLE_EQ(a.Duration(), 240 + 480);
    // Text is read in the default duration unit (days).
    a.SetDuration("1.5");
    EXPECT_DOUBLE_EQ(a.Duration(), 720);
    app->BaseCalendarCreate("C");
    app->BaseCalendarEditDays({.Name = "C", .StartDate = At(2024, 6, 10), .Working = false});
    app->ProjectSummaryInfo({.Calendar = "C"});
    EXPECT_EQ(a.Finish(), At(2024, 6, 11, 17, 0)); // Monday is a holiday now
    EXPECT_EQ(app->DateAdd(At(2024, 6, 7, 16, 0), 120.0), At(2024, 6, 11, 9, 0));
    // A start-no-earlier-than constraint moves the start.
    a.SetConstraintType(4);
    a.SetConstraintDate(At(2024, 6, 12, 8, 0));
    EXPECT_EQ(a.Start(), At(2024, 6, 12, 8, 0));
    EXPECT_EQ(automation::CDate(a.ConstraintDate()), At(2024, 6, 12, 8, 0));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    app->ProjectSummaryInfo({.Calendar = "Nope"});
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(Plan().Calendar().Name(), "C");
}

TEST_F(Calendars, ResourceCalendarMustExist) {
    Resource r = Plan().Resources().Add("EQP.CR20 Crane");
    r.SetBaseCalendar("CAVAILABLE.STD");
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(r.BaseCalendar(), "");
    Err().Clear();
    app->BaseCalendarCreate("CAVAILABLE.STD");
    r.SetBaseCalendar("CAVAILABLE.STD");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(r.BaseCalendar(), "CAVAILABLE.STD");
}

} // namespace
} // namespace platform::msproject::testing
