#include "dataobjects/KovaCalendarData.h"

#include <map>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kCalendarManager = "Calendars.CalendarManager";
constexpr const char* kNoCalendarManager = "CalendarManager Object could not be created";
constexpr const char* kNoExceptionList = "Exception List could not be Retreived for the Calendar";
constexpr const char* kNoCalendarList = "Calendars List could not be created";

constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "planningParameters": {"defaultAvailabilityType": "T2"},
  "availabilityTypes": [{"code": "T2", "description": " Two shifts "}, {"code": "BARE", "description": "No week"}],
  "standardWeeks": [{"availabilityType": "T2", "lines": [
    {"day": "2", "start": 800, "end": 1000}, {"day": "3", "start": 800, "end": 1200},
    {"day": "2", "start": 1030, "end": 1200}, {"day": "2", "start": 1300, "end": 1500},
    {"day": "2", "start": 1530, "end": 1700}, {"day": "4", "start": 800, "end": 1200},
    {"day": "5", "start": 800, "end": 1200}, {"day": "6", "start": 700, "end": 1100}]}],
  "calendars": [
    {"code": "STD", "start": "2024-01-01", "end": "2026-12-31",
     "exceptions": [{"date": "2024-12-25", "working": 0},
                    {"date": "2024-12-24", "working": 1, "start": 800, "end": 1200},
                    {"date": "2024-12-24", "working": 1, "start": 1300, "end": 1500}],
     "actualLines": [{"start": "2024-01-01", "end": "2024-06-30", "startTime": 800, "endTime": 1200},
                     {"availabilityType": "T2", "start": "2024-01-01", "end": "2024-06-30",
                      "startTime": 2200, "endTime": 2400},
                     {"start": "2024-07-01", "end": "2024-12-31", "startTime": 800, "endTime": 1600},
                     {"start": "2024-01-01", "end": "2024-06-30", "startTime": 1300, "endTime": 1700}]},
    {"code": "DER", "parent": "STD", "start": "2024-01-01", "end": "2024-12-31"},
    {"code": "SUB", "parent": "DER"},
    {"code": "BASE", "availabilityType": "T2",
     "exceptions": [{"date": "2025-05-01", "working": 1, "start": 600, "end": 800},
                    {"date": "2025-05-01", "working": 1, "start": 900, "end": 1000},
                    {"date": "2025-05-01", "working": 1, "start": 1100, "end": 1200},
                    {"date": "2025-05-01", "working": 0, "start": 1300, "end": 1400}]},
    {"code": "NIGHT", "availabilityType": "T2", "parent": "BASE"}]
})json";

struct CalendarName {
    std::string code, type, parent, name;
    bool operator==(const CalendarName&) const = default;
};
std::ostream& operator<<(std::ostream& os, const CalendarName& n) {
    return os << n.code << "/" << n.type << "/" << n.parent << "/" << n.name;
}

std::vector<CalendarName> NamesOf(const OptionalCollection<KovaCalendar>& calendars) {
    std::vector<CalendarName> out;
    if (calendars)
        for (const auto& c : *calendars)
            out.push_back({c->Code, c->AvailabilityType, c->ParentCalendar, c->CalendarCodeInMsP});
    return out;
}

std::string Intervals(const KovaCalendarDetail& d) {
    return std::to_string(d.StartTime1) + "-" + std::to_string(d.Endtime1) + "," +
           std::to_string(d.StartTime2) + "-" + std::to_string(d.EndTime2) + "," +
           std::to_string(d.StartTime3) + "-" + std::to_string(d.EndTime3);
}

// "day:working:intervals" per detail of a standard week.
std::vector<std::string> Week(const OptionalCollection<KovaCalendarDetail>& details) {
    std::vector<std::string> out;
    if (details)
        for (const auto& d : *details)
            out.push_back(d->CalDay + ":" + (d->Working ? "W" : "-") + ":" + d->Code + ":" + Intervals(*d));
    return out;
}

// "yyyy-mm-dd:working:intervals" per dated detail (exceptions by CalDate, actual lines by StartDate).
std::string Iso(Date d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year(), d.Month(), d.Day());
    return text;
}

std::vector<std::string> Dated(const OptionalCollection<KovaCalendarDetail>& details) {
    std::vector<std::string> out;
    if (details)
        for (const auto& d : *details)
            out.push_back(Iso(d->StartDate) + ".." + Iso(d->EndDate) + ":" + (d->Working ? "W" : "-") + ":" +
                          d->Code + ":" + Intervals(*d));
    return out;
}

std::shared_ptr<KovaCalendar> Calendar(const std::string& code, const std::string& type) {
    auto c = std::make_shared<KovaCalendar>();
    c->Code = code;
    c->AvailabilityType = type;
    return c;
}

} // namespace

class KovaCalendarDataTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    std::string connector = "DEMO";
    KovaCalendarData data;
    void SetUp() override { erp.Control().StartCallLog(); }
    std::vector<platform::middleware::LoggedCall> CallsTo(const char* member) {
        return erp.Control().CallsTo(member);
    }
};

TEST_F(KovaCalendarDataTest, CalendarsParentsFirstNamedAsTheirBaseCalendars) {
    data.getCalendarList(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    std::vector<CalendarName> expected = {
        {"STD", "AVAILABLE", "", "CAVAILABLE.STD"},
        {"DER", "AVAILABLE", "CAVAILABLE.STD", "CAVAILABLE.STD.DER"},
        {"SUB", "AVAILABLE", "CAVAILABLE.STD.DER", "CAVAILABLE.STD.DER.SUB"},
        {"BASE", "T2", "", "CT2.BASE"},
        {"NIGHT", "T2", "CT2.BASE", "CT2.BASE.NIGHT"},
    };
    EXPECT_EQ(NamesOf(data.Calendars), expected);
    // Every derived calendar finds its parent's base calendar under the name it was given.
    for (const auto& c : *data.Calendars) {
        if (c->ParentCalendar.empty()) continue;
        bool found = false;
        for (const auto& p : *data.Calendars)
            found = found || p->CalendarCodeInMsP == c->ParentCalendar;
        EXPECT_TRUE(found) << c->Code;
    }
    EXPECT_EQ((*data.Calendars)[1]->StartDate, Date::FromParts(2024, 1, 1));
    EXPECT_EQ((*data.Calendars)[1]->EndDate, Date::FromParts(2024, 12, 31));
    EXPECT_EQ((*data.Calendars)[2]->StartDate, NoDate);
    EXPECT_FALSE((*data.Calendars)[0]->Details().has_value());
    // The default availability is asked for as the empty type; one request per derived calendar.
    auto derivations = CallsTo("getDerivationPath");
    ASSERT_EQ(derivations.size(), 3u);
    EXPECT_EQ(CStr(derivations[0].args[1].value), "");
    EXPECT_EQ(CStr(derivations[2].args[1].value), "T2");
    EXPECT_TRUE(derivations[0].args[0].byRef && derivations[0].args[1].byRef);
    EXPECT_EQ(CallsTo("releaseAll").size(), 0u);
}

TEST_F(KovaCalendarDataTest, DerivationPathsRootFirst) {
    struct Case {
        const char* code;
        const char* type;
        const char* path;
        const char* requested;
    } cases[] = {
        {"SUB", "AVAILABLE", "CAVAILABLE.STD.DER", ""},
        {"SUB", "XAVAILABLEX", "CXAVAILABLEX.STD.DER", ""},
        {"NIGHT", "T2", "CT2.BASE", "T2"},
        {"STD", "AVAILABLE", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.type);
        erp.Control().ClearCallLog();
        EXPECT_EQ(data.getDerivationPath(connector, c.code, c.type), c.path);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        ASSERT_EQ(CallsTo("getDerivationPath").size(), 1u);
        EXPECT_EQ(CStr(CallsTo("getDerivationPath")[0].args[1].value), c.requested);
        EXPECT_TRUE(CurrentManager.IsNothing());
    }
    // An unknown calendar: no path, and the middleware's error stays.
    EXPECT_EQ(data.getDerivationPath(connector, "GONE", "T2"), "");
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound);
    erp.Control().UnregisterProgId(kCalendarManager);
    EXPECT_EQ(data.getDerivationPath(connector, "SUB", "AVAILABLE"), "");
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(Err().Description, kNoCalendarManager);
}

TEST_F(KovaCalendarDataTest, ADerivedCalendarWithoutAPathIsNamedByItsCodeAlone) {
    erp.Control().ArmFault(Fault::Nothing(kCalendarManager, "getDerivationPathReference", 1));
    data.getCalendarList(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_TRUE(data.Calendars.has_value());
    EXPECT_EQ(NamesOf(data.Calendars)[1], (CalendarName{"DER", "AVAILABLE", "", ".DER"}));
    EXPECT_EQ(NamesOf(data.Calendars)[2].name, "CAVAILABLE.STD.DER.SUB");
}

TEST_F(KovaCalendarDataTest, ManyPagesAndAFailingPage) {
    nlohmann::json seed = {{"company", {{"number", 7}}}, {"calendars", nlohmann::json::array()}};
    for (int i = 0; i < 1012; ++i)
        seed["calendars"].push_back({{"code", "C" + std::to_string(10000 + i)}, {"availabilityType", "T"}});
    TestBackend big{seed.dump()};
    big.Control().StartCallLog();
    data.getCalendarList(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_TRUE(data.Calendars.has_value());
    ASSERT_EQ(data.Calendars->size(), 1012u);
    for (int i = 0; i < 1012; ++i)
        ASSERT_EQ((*data.Calendars)[i]->CalendarCodeInMsP, "CT.C" + std::to_string(10000 + i));
    auto requests = big.Control().CallsTo("listCalendarSelectionForESP");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].args[0].type, VarType::Integer);
    EXPECT_EQ(CLng(requests[0].args[0].value), 500);
    EXPECT_EQ(CLng(requests[0].args[1].value), 0);
    EXPECT_NE(CLng(requests[1].args[1].value), 0);
    EXPECT_EQ(CLng(requests[2].args[1].value), CLng(requests[1].args[1].value));

    // The second page fails: the first page's calendars stay and the listing ends.
    big.Control().ArmFault(Fault::Error(kCalendarManager, "listCalendarSelectionForESP", 1005, 2));
    data.getCalendarList(connector);
    EXPECT_EQ(data.Calendars->size(), 500u);
    EXPECT_EQ(Err().Number, 1105);
    EXPECT_EQ(Err().Description, kNoCalendarList);

    // A list whose manager cannot be made keeps the calendars of the one before.
    big.Control().UnregisterProgId(kCalendarManager);
    data.getCalendarList(connector);
    EXPECT_EQ(data.Calendars->size(), 500u);
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(Err().Description, kNoCalendarManager);
}

TEST_F(KovaCalendarDataTest, ACalendarThatCannotBeReadDoesNotEndTheListing) {
    erp.Control().ArmFault(Fault::Error("Calendars.CalendarCode", "getAvailabilityType", 70, 1));
    erp.Control().SetPageSizeCap(2);
    data.getCalendarList(connector);
    // All five arrive; the first one lacks its type and is named with the default one.
    ASSERT_EQ(NamesOf(data.Calendars).size(), 5u);
    EXPECT_EQ(NamesOf(data.Calendars)[0].name, "CAVAILABLE.STD");
    EXPECT_EQ(NamesOf(data.Calendars)[4].name, "CT2.BASE.NIGHT");
    // The failure is still reported once the list is read.
    EXPECT_EQ(Err().Number, 170);
    EXPECT_EQ(Err().Description, kNoCalendarList);
}

TEST_F(KovaCalendarDataTest, AvailabilityTypes) {
    auto types = data.getAvailabilityType(connector);
    ASSERT_TRUE(types.has_value());
    ASSERT_EQ(types->size(), 2u);
    EXPECT_EQ((*types)[0]->Code, "T2");
    EXPECT_EQ((*types)[0]->Description, "Two shifts");
    EXPECT_EQ(CallsTo("releaseAll").size(), 1u);
    EXPECT_FALSE(CurrentList.IsNothing());

    TestBackend none{R"({"company": {"number": 7}})"};
    EXPECT_FALSE(data.getAvailabilityType(connector).has_value());
    EXPECT_EQ(Err().Number, 0);

    struct Case {
        std::function<void(TestBackend&)> arrange;
        int32_t number;
        const char* description;
    } failures[] = {
        {[](TestBackend& e) { e.Control().UnregisterProgId("AvailabilityType.AvailabilityTypeManager"); },
         529, "Availability Type Manager Object could not be created"},
        {[](TestBackend& e) {
             e.Control().ArmFault(Fault::Error("AvailabilityType.AvailabilityTypeManager", "List", 1005));
         },
         1105, "Availability Type List could not be created"},
    };
    for (const auto& f : failures) {
        TestBackend fresh{kSeed};
        f.arrange(fresh);
        EXPECT_FALSE(data.getAvailabilityType(connector).has_value());
        EXPECT_EQ(Err().Number, f.number);
        EXPECT_EQ(Err().Description, f.description);
    }
}

TEST_F(KovaCalendarDataTest, StandardWeekCompletedToSevenDays) {
    struct Case {
        const char* type;
        std::vector<std::string> week;
    } cases[] = {
        // Days in delivery order, one detail per day however its lines arrive; a fourth interval widens
        // the third; then the missing days as non-working.
        {"T2",
         {"2:W:T2:800-1000,1030-1200,1300-1700", "3:W:T2:800-1200,0-0,0-0", "4:W:T2:800-1200,0-0,0-0",
          "5:W:T2:800-1200,0-0,0-0", "6:W:T2:700-1100,0-0,0-0", "1:-::0-0,0-0,0-0", "7:-::0-0,0-0,0-0"}},
        {"BARE",
         {"1:-::0-0,0-0,0-0", "2:-::0-0,0-0,0-0", "3:-::0-0,0-0,0-0", "4:-::0-0,0-0,0-0", "5:-::0-0,0-0,0-0",
          "6:-::0-0,0-0,0-0", "7:-::0-0,0-0,0-0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(Week(data.getStandardCalendarDetails(connector, c.type)), c.week);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_TRUE(CurrentManager.IsNothing());
    }
    // The empty type is sent as it is; the ERP answers with its default type.
    erp.Control().ClearCallLog();
    EXPECT_EQ(Week(data.getStandardCalendarDetails(connector, "")), cases[0].week);
    ASSERT_EQ(CallsTo("showStandardCalendar").size(), 1u);
    EXPECT_EQ(CStr(CallsTo("showStandardCalendar")[0].args[0].value), "");
    EXPECT_TRUE(CallsTo("showStandardCalendar")[0].args[0].byRef);

    EXPECT_FALSE(data.getStandardCalendarDetails(connector, "NOPE").has_value());
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound + 100);
    EXPECT_EQ(Err().Description,
              "ERROR Availability Type : NOPE\r\nThe availability type NOPE does not exist.");
    EXPECT_FALSE(CurrentManager.IsNothing());
}

TEST_F(KovaCalendarDataTest, ExceptionsOneDetailPerDate) {
    KovaCalendar any;
    // The calendar named by the argument counts, not the one the method is called on.
    any.Code = "BASE";
    any.AvailabilityType = "T2";
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    auto details = any.getCalendarExceptions(connector, *stdCalendar);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Dated(details), (std::vector<std::string>{"2024-12-24..2024-12-24:W:STD:800-1200,1300-1500,0-0",
                                                        "2024-12-25..2024-12-25:-:STD:0-0,0-0,0-0"}));
    EXPECT_EQ((*details)[0]->CalDate, Date::FromParts(2024, 12, 24));
    EXPECT_EQ((*details)[0]->CalDay, "");
    auto requests = CallsTo("getCalendarException");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(CStr(requests[0].args[0].value), "STD");
    EXPECT_EQ(CStr(requests[0].args[1].value), "");
    EXPECT_EQ(CLng(requests[0].args[2].value), 1000);
    EXPECT_EQ(CallsTo("releaseAll").size(), 0u);

    // Four lines on one date: the first three give the intervals, the last one the working flag.
    EXPECT_EQ(Dated(any.getCalendarExceptions(connector, any)),
              (std::vector<std::string>{"2025-05-01..2025-05-01:-:BASE:600-800,900-1000,1100-1200"}));
}

TEST_F(KovaCalendarDataTest, ExceptionsAcrossPagesAndAFailingPage) {
    erp.Control().SetPageSizeCap(1);
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    auto details = stdCalendar->getCalendarExceptions(connector, *stdCalendar);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Dated(details).size(), 2u);
    EXPECT_EQ(Intervals(*(*details)[0]), "800-1200,1300-1500,0-0");
    EXPECT_EQ(CallsTo("getCalendarException").size(), 3u);

    erp.Control().ArmFault(Fault::Error(kCalendarManager, "getCalendarException", 1005, 3));
    details = stdCalendar->getCalendarExceptions(connector, *stdCalendar);
    EXPECT_EQ(Dated(details),
              (std::vector<std::string>{"2024-12-24..2024-12-24:W:STD:800-1200,1300-1500,0-0"}));
    EXPECT_EQ(Err().Number, 1105);
    EXPECT_EQ(Err().Description, kNoExceptionList);

    erp.Control().UnregisterProgId(kCalendarManager);
    EXPECT_FALSE(stdCalendar->getCalendarExceptions(connector, *stdCalendar).has_value());
    EXPECT_EQ(Err().Number, 529);
}

TEST_F(KovaCalendarDataTest, AnExceptionLineThatCannotBeReadDoesNotEndTheListing) {
    erp.Control().SetPageSizeCap(1);
    erp.Control().ArmFault(Fault::Error("Calendars.CalendarLine", "getStartTime", 70, 1));
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    auto details = stdCalendar->getCalendarExceptions(connector, *stdCalendar);
    EXPECT_EQ(Dated(details), (std::vector<std::string>{"2024-12-24..2024-12-24:W:STD:0-1200,1300-1500,0-0",
                                                        "2024-12-25..2024-12-25:-:STD:0-0,0-0,0-0"}));
    EXPECT_EQ(Err().Number, 170);
    EXPECT_EQ(Err().Description, kNoExceptionList);
}

TEST_F(KovaCalendarDataTest, ActualLinesGroupedByStartDate) {
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    auto details = stdCalendar->getActualCalendarDetails(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    // The line of another availability type takes no part.
    EXPECT_EQ(Dated(details), (std::vector<std::string>{"2024-01-01..2024-06-30:W:STD:800-1200,1300-1700,0-0",
                                                        "2024-07-01..2024-12-31:W:STD:800-1600,0-0,0-0"}));
    EXPECT_EQ(CallsTo("releaseAll").size(), 1u);
    EXPECT_FALSE(CurrentList.IsNothing());
    EXPECT_TRUE(CurrentManager.IsNothing());

    // A calendar with no lines of its own: an empty collection, not nothing.
    auto base = Calendar("BASE", "T2");
    auto none = base->getActualCalendarDetails(connector);
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->empty());

    erp.Control().ClearCallLog();
    auto gone = Calendar("GONE", "T2");
    EXPECT_FALSE(gone->getActualCalendarDetails(connector).has_value());
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound + 100);
    EXPECT_EQ(Err().Description, kNoExceptionList);
    EXPECT_EQ(CallsTo("releaseAll").size(), 1u);
}

TEST_F(KovaCalendarDataTest, CreatableAndReachableByName) {
    RegisterKovaDataObjects();
    Object calendar = CreateObject("KovaDataObjects.KovaCalendar");
    Let(calendar, "Code", std::string("STD"));
    EXPECT_EQ(CStr(Get(calendar, "Code")), "STD");
    EXPECT_TRUE(ObjectOf(Get(calendar, "Details")).IsNothing());
    Object list = CreateObject("KovaDataObjects.KovaCalendarData");
    Variant c = std::string("DEMO");
    EXPECT_EQ(CStr(Call(list, "getDerivationPath", {ByRef(c), ByVal("SUB"), ByVal("AVAILABLE")})),
              "CAVAILABLE.STD.DER");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
}

TEST_F(KovaCalendarDataTest, AReadFailureOnTheLastPageKeepsTheGettersOwnError) {
    erp.Control().SetPageSizeCap(2);
    erp.Control().ArmFault(Fault::Error("Calendars.CalendarCode", "getEndDate", 70, 5, "no end date"));
    data.getCalendarList(connector);
    EXPECT_EQ(NamesOf(data.Calendars).size(), 5u);
    EXPECT_EQ(Err().Number, 70);
    EXPECT_EQ(Err().Description, "no end date");

    erp.Control().Reset();
    erp.Control().SetPageSizeCap(1);
    erp.Control().ArmFault(Fault::Error("Calendars.CalendarLine", "getStartTime", 70, 3, "no start"));
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    auto details = stdCalendar->getCalendarExceptions(connector, *stdCalendar);
    EXPECT_EQ(Dated(details).size(), 2u);
    EXPECT_EQ(Err().Number, 70);
    EXPECT_EQ(Err().Description, "no start");
}

// What the ERP sees of the calendar reads: arguments, types, by-reference flags and page sizes.
TEST_F(KovaCalendarDataTest, TheCallLogShowsWhatTheErpIsSent) {
    data.getCalendarList(connector);
    auto stdCalendar = Calendar("STD", "AVAILABLE");
    stdCalendar->getCalendarExceptions(connector, *stdCalendar);
    data.getStandardCalendarDetails(connector, "T2");
    std::vector<std::string> seen;
    for (const auto& call : erp.Control().Calls())
        for (const char* member : {"listCalendarSelectionForESP", "getDerivationPath", "getCalendarException",
                                   "showStandardCalendar", "getCalendarCodesAt"})
            if (call.member == member) seen.push_back(call.Describe());
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  R"(Calendars.CalendarManager.listCalendarSelectionForESP(500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(Calendars.CalendarSelectionForESPList.getCalendarCodesAt(ByRef 0 Long))",
                  R"(Calendars.CalendarSelectionForESPList.getCalendarCodesAt(ByRef 1 Long))",
                  R"(Calendars.CalendarManager.getDerivationPath(ByRef "DER" String, ByRef "" String))",
                  R"(Calendars.CalendarSelectionForESPList.getCalendarCodesAt(ByRef 2 Long))",
                  R"(Calendars.CalendarManager.getDerivationPath(ByRef "SUB" String, ByRef "" String))",
                  R"(Calendars.CalendarSelectionForESPList.getCalendarCodesAt(ByRef 3 Long))",
                  R"(Calendars.CalendarSelectionForESPList.getCalendarCodesAt(ByRef 4 Long))",
                  R"(Calendars.CalendarManager.getDerivationPath(ByRef "NIGHT" String, ByRef "T2" String))",
                  R"(Calendars.CalendarManager.getCalendarException("STD" String, ByRef "" String, 1000 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(Calendars.CalendarManager.showStandardCalendar(ByRef "T2" String))"}));
}
