#include "integration/connect/Calendars.h"

#include <utility>

#include <nlohmann/json.hpp>
#include <vector>

#include "integration/connect/ConnectTestSupport.h"
#include "platform/automation/Date.h"
#include "platform/middleware/TestControl.h"
#include "platform/os/Locale.h"
#include "platform/os/Registry.h"

namespace Grantry::test {
namespace {

using platform::automation::CStr;
using platform::automation::Date;
using platform::automation::Err;
using platform::middleware::Fault;
using Times = std::vector<std::pair<int32_t, int32_t>>;

constexpr const char* kCalendarManager = "Calendars.CalendarManager";

// The default type's week exercises the interval rules: two intervals on Monday, a first interval
// from midnight on Tuesday, a second one from midnight (dropped) on Wednesday, 2400 on Friday.
// STD, DER and SUB derive from each other (no type); BASE and NIGHT are of type T2.
constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "planningParameters": {"defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD"}, {"code": "T2"}],
  "standardWeeks": [
    {"availabilityType": "STANDARD", "lines": [
      {"day": "2", "start": 800, "end": 1200}, {"day": "2", "start": 1300, "end": 1700},
      {"day": "3", "start": 0, "end": 1200},
      {"day": "4", "start": 800, "end": 1200}, {"day": "4", "start": 0, "end": 1700},
      {"day": "5", "start": 930, "end": 1330},
      {"day": "6", "start": 800, "end": 2400}]},
    {"availabilityType": "T2", "lines": [
      {"day": "2", "start": 2200, "end": 2400}, {"day": "7", "start": 30, "end": 600}]}],
  "calendars": [
    {"code": "STD", "exceptions": [
      {"date": "2024-12-25", "working": 0},
      {"date": "2024-12-24", "working": 1, "start": 800, "end": 1200},
      {"date": "2024-12-24", "working": 1, "start": 1300, "end": 1500}]},
    {"code": "DER", "parent": "STD", "exceptions": [{"date": "2024-12-31", "working": 0}]},
    {"code": "SUB", "parent": "DER", "exceptions": [
      {"date": "2024-12-24", "working": 1, "start": 1000, "end": 1100}]},
    {"code": "BASE", "availabilityType": "T2", "exceptions": [{"date": "2025-05-01", "working": 0}]},
    {"code": "NIGHT", "availabilityType": "T2", "parent": "BASE", "exceptions": [
      {"date": "2025-05-02", "working": 1, "start": 2000, "end": 2300}]}]
})json";

Date Day(int y, int m, int d) {
    return Date::FromParts(y, m, d);
}

// One week of June 2024, Sunday 2 June to Saturday 8 June.
Date June(int weekday) {
    return Day(2024, 6, 1 + weekday);
}

const Times kStandardMonday = {{480, 720}, {780, 1020}};
const Times kOff = {};

struct DayCase {
    std::string calendar;
    Date day;
    Times times;
};

class CalendarTransfer : public ConnectFixture {
protected:
    CalendarTransfer() : ConnectFixture(kSeed) {}
    explicit CalendarTransfer(const std::string& seed) : ConnectFixture(seed) {}

    void ExpectDays(const std::vector<DayCase>& cases) {
        for (const DayCase& c : cases)
            EXPECT_EQ(TimesOf(c.calendar, c.day), c.times)
                << c.calendar << " " << c.day.Year() << "-" << c.day.Month() << "-" << c.day.Day();
    }
    Times TimesOf(const std::string& calendar, Date day) {
        Times times = Plan().BaseCalendars().Item(calendar).WorkingTimes(day);
        EXPECT_EQ(Err().Number, 0) << calendar << ": " << Err().Description;
        Err().Clear();
        return times;
    }
    std::vector<std::string> CalendarNames() {
        std::vector<std::string> names;
        for (msp::Calendar c : Plan().BaseCalendars())
            names.push_back(c.Name());
        return names;
    }
    std::vector<std::string> WeeksAskedFor() {
        std::vector<std::string> types;
        for (const auto& call : erp.Control().CallsTo("showStandardCalendar"))
            types.push_back(CStr(call.args.at(0).value));
        return types;
    }
};

TEST_F(CalendarTransfer, AvailabilityCalendarsCarryTheWeekAndDerivedOnesCopyTheirParents) {
    TransferBaseCalendars("", false);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CalendarNames(),
              (std::vector<std::string>{"Standard", "CAVAILABLE", "CAVAILABLE.STD", "CAVAILABLE.STD.DER",
                                        "CAVAILABLE.STD.DER.SUB", "CT2", "CT2.BASE", "CT2.BASE.NIGHT"}));
    const std::vector<DayCase> cases = {
        // The default type's week, asked for with the empty type.
        {"CAVAILABLE", June(1), kOff},
        {"CAVAILABLE", June(2), kStandardMonday},
        {"CAVAILABLE", June(3), {{0, 720}}},    // 0-1200: "00:00 AM" to "12:00 PM"
        {"CAVAILABLE", June(4), {{480, 720}}},  // the second interval starts at 0 and is dropped
        {"CAVAILABLE", June(5), {{570, 810}}},  // "09:30 AM" to "01:30 PM"
        {"CAVAILABLE", June(6), {{480, 1439}}}, // 2400 is sent as 11:59 PM
        {"CAVAILABLE", June(7), kOff},
        {"CT2", June(2), {{1320, 1439}}},
        {"CT2", June(7), {{30, 360}}}, // 30 is "12:30 AM"
        {"CT2", June(3), kOff},
        // A calendar without parent: the availability calendar's week plus its exceptions.
        {"CAVAILABLE.STD", June(2), kStandardMonday},
        {"CAVAILABLE.STD", Day(2024, 12, 25), kOff},
        {"CAVAILABLE.STD", Day(2024, 12, 24), {{480, 720}, {780, 900}}},
        // Derived calendars: the parent's week and exceptions, their own on top.
        {"CAVAILABLE.STD.DER", Day(2024, 12, 24), {{480, 720}, {780, 900}}},
        {"CAVAILABLE.STD.DER", Day(2024, 12, 31), kOff},
        {"CAVAILABLE.STD.DER", Day(2025, 1, 7), {{0, 720}}},
        {"CAVAILABLE.STD.DER.SUB", Day(2024, 12, 24), {{600, 660}}},
        {"CAVAILABLE.STD.DER.SUB", Day(2024, 12, 25), kOff},
        {"CAVAILABLE.STD.DER.SUB", Day(2024, 12, 31), kOff},
        {"CAVAILABLE.STD", Day(2024, 12, 31), {{0, 720}}}, // the child's exception stays its own
        {"CT2.BASE", Day(2025, 5, 1), kOff},
        {"CT2.BASE", Day(2025, 5, 5), {{1320, 1439}}},
        {"CT2.BASE.NIGHT", Day(2025, 5, 1), kOff},
        {"CT2.BASE.NIGHT", Day(2025, 5, 2), {{1200, 1380}}},
    };
    ExpectDays(cases);
}

TEST_F(CalendarTransfer, EachAvailabilityTypeIsNamedAndItsWeekAskedForOncePerRun) {
    struct Case {
        const char* type;
        const char* calendar;
        std::vector<std::string> asked; // the types of the standard weeks requested, in order
        Times monday;
    } cases[] = {
        {"", "CAVAILABLE", {"", "T2"}, kStandardMonday},
        {"T2", "CT2", {"T2", ""}, {{1320, 1439}}},
        // Any type containing the word, in any letter case, asks for the default week.
        {"xAvailable", "CxAvailable", {"", "", "T2"}, kStandardMonday},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        app->FileNew(false);
        erp.Control().StartCallLog();
        erp.Control().ClearCallLog();
        TransferBaseCalendars(c.type, false);
        EXPECT_EQ(WeeksAskedFor(), c.asked);
        EXPECT_EQ(TimesOf(c.calendar, June(2)), c.monday);
    }
}

TEST_F(CalendarTransfer, ASecondRunAppliesTheWeekAgainAndRefreshTheExceptionsOfEveryPiece) {
    TransferBaseCalendars("", false);
    const std::string sub = "CAVAILABLE.STD.DER.SUB";
    // The user changes the plan's calendars.
    app->BaseCalendarEditDays({.Name = "CAVAILABLE", .Weekday = 2, .Working = false});
    app->BaseCalendarEditDays({.Name = sub,
                               .StartDate = Day(2024, 12, 25),
                               .EndDate = Day(2024, 12, 25),
                               .Working = true,
                               .From1 = "09:00 AM",
                               .To1 = "10:00 AM"});
    app->BaseCalendarEditDays(
        {.Name = sub, .StartDate = Day(2024, 12, 24), .EndDate = Day(2024, 12, 24), .Working = false});
    ASSERT_EQ(Err().Number, 0) << Err().Description;

    // Without refresh the standard week comes back, the ERP calendars stay as the user left them.
    TransferBaseCalendars("", false);
    ExpectDays({{"CAVAILABLE", June(2), kStandardMonday},
                {sub, Day(2024, 12, 25), {{540, 600}}},
                {sub, Day(2024, 12, 24), kOff}});

    // With refresh the ancestors' exceptions go in first and the calendar's own last.
    TransferBaseCalendars("", true);
    ExpectDays({{sub, Day(2024, 12, 25), kOff}, {sub, Day(2024, 12, 24), {{600, 660}}}});
    EXPECT_EQ(CalendarNames().size(), 8u) << "nothing created twice";
}

TEST_F(CalendarTransfer, AStandardWeekThatCannotBeReadLeavesOneLogLineAndTheRunGoesOn) {
    OpenLog();
    erp.Control().ArmFault(Fault::Error(kCalendarManager, "showStandardCalendar", 1005));
    TransferBaseCalendars("", false);
    EXPECT_EQ(Err().Number, 0) << "the failure is not passed on";
    // The library's description, as it is, once per availability calendar and nothing else.
    EXPECT_EQ(LogText(), "ERROR Availability Type : \r\nApplication-defined or object-defined error\r\n"
                         "ERROR Availability Type : T2\r\nApplication-defined or object-defined error\r\n");
    // The availability calendars keep the program's default week; the rest is transferred.
    ExpectDays({{"CAVAILABLE", June(3), kStandardMonday},
                {"CAVAILABLE.STD.DER.SUB", Day(2024, 12, 24), {{600, 660}}},
                {"CT2.BASE.NIGHT", Day(2025, 5, 2), {{1200, 1380}}}});
}

TEST_F(CalendarTransfer, ResourcesGetTheCalendarUnderEitherNameOrANewCopy) {
    // The availability calendars and two ERP calendars are in the plan.
    app->BaseCalendarCreate("CAVAILABLE");
    app->BaseCalendarCreate("CT2");
    app->BaseCalendarEditDays(
        {.Name = "CT2", .Weekday = 2, .Working = true, .From1 = "10:00 PM", .To1 = "11:59 PM"});
    app->BaseCalendarCreate("CAVAILABLE.STD");
    app->BaseCalendarCreate("CAVAILABLE.STD.DER");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    msp::Resources resources = Plan().Resources();

    struct Case {
        const char* code;
        const char* type;
        const char* calendar;
    } cases[] = {
        {"STD", "", "CAVAILABLE.STD"},      // under its plain name (an empty type is "AVAILABLE")
        {"DER", " ", "CAVAILABLE.STD.DER"}, // only under its derivation path
        {"NIGHT", "T2", "CT2.BASE.NIGHT"},  // under neither: made from the availability calendar
        {"BASE", " T2 ", "CT2.BASE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        msp::Resource resource = resources.Add(std::string("R-") + c.code);
        AssignResourceCalendar(resource, c.code, c.type);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(resource.BaseCalendar(), c.calendar);
    }
    // The new one is a copy of "CT2" with the exceptions of every piece of its name.
    ExpectDays({{"CT2.BASE.NIGHT", Day(2025, 5, 5), {{1320, 1439}}},
                {"CT2.BASE.NIGHT", Day(2025, 5, 1), kOff},
                {"CT2.BASE.NIGHT", Day(2025, 5, 2), {{1200, 1380}}}});
}

// A calendar of type T3 derived from STD: its parent's base calendar would be "CT3.STD", which the
// plan never gets.
std::string SeedWithAStrayParent() {
    nlohmann::json seed = nlohmann::json::parse(kSeed);
    seed["availabilityTypes"].push_back({{"code", "T3"}});
    seed["standardWeeks"].push_back(
        {{"availabilityType", "T3"}, {"lines", {{{"day", "2"}, {"start", 600}, {"end", 700}}}}});
    seed["calendars"].push_back({{"code", "X"},
                                 {"availabilityType", "T3"},
                                 {"parent", "STD"},
                                 {"exceptions", {{{"date", "2025-06-02"}, {"working", 0}}}}});
    return seed.dump();
}

class CalendarWithoutItsParent : public CalendarTransfer {
protected:
    CalendarWithoutItsParent() : CalendarTransfer(SeedWithAStrayParent()) {}
};

TEST_F(CalendarWithoutItsParent, IsAPlainNewCalendarWithTheExceptionsOfItsName) {
    TransferBaseCalendars("", false);
    ASSERT_EQ(CalendarNames().back(), "CT3.STD.X");
    // The program's default week, not the availability calendar's (T3 works 06:00-07:00 on Monday).
    ExpectDays({{"CT3", June(2), {{360, 420}}},
                {"CT3.STD.X", June(2), kStandardMonday},
                {"CT3.STD.X", June(3), kStandardMonday},
                {"CT3.STD.X", Day(2025, 6, 2), kOff}});
}

TEST(CalendarTimeText, TwelveHourClockWithTheUsersDesignators) {
    platform::os::TempKovaHome home;
    struct Case {
        int32_t time;
        const char* text;
    } english[] = {{0, ""},
                   {930, "09:30 AM"},
                   {1330, "01:30 PM"},
                   {30, "12:30 AM"},
                   {2400, "11:59 PM"},
                   {1200, "12:00 PM"},
                   {1159, "11:59 AM"},
                   {100, "01:00 AM"},
                   {2359, "11:59 PM"},
                   {1, "12:01 AM"}};
    for (const auto& c : english)
        EXPECT_EQ(FormatCalendarTime(c.time), c.text) << c.time;

    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER,
                                                platform::os::kInternationalKey, "s1159", "vorm."));
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER,
                                                platform::os::kInternationalKey, "s2359", "nachm."));
    EXPECT_EQ(FormatCalendarTime(930), "09:30 vorm.");
    EXPECT_EQ(FormatCalendarTime(2400), "11:59 nachm.");
}

} // namespace
} // namespace Grantry::test
