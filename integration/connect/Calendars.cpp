#include "integration/connect/Calendars.h"
#include "integration/core/CommandFrame.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "dataobjects/KovaCalendar.h"
#include "dataobjects/KovaCalendarData.h"
#include "dataobjects/KovaCalendarDetail.h"
#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/Locale.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::KovaCalendar;
using KovaDataObjects::KovaCalendarData;
using KovaDataObjects::KovaCalendarDetail;
using KovaDataObjects::Trim;
using platform::automation::Err;

namespace {

// The word the ERP uses for "no availability type" in calendar names.
constexpr char kAvailable[] = "AVAILABLE";

// The six interval texts of one detail, rebuilt for every detail.
struct IntervalTexts {
    std::string From1, From2, From3, To1, To2, To3;
};

// The availability calendars whose standard week this run of TransferBaseCalendars applied already.
std::optional<std::set<std::string>> runMemory;
// The calendar-data object of the running transfer or resource assignment.
std::shared_ptr<KovaCalendarData> calendarData;

bool ContainsAvailable(const std::string& type) {
    std::string upper = type;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find(kAvailable) != std::string::npos;
}

msp::Project ActivePlan() {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return {};
    }
    return MSProjectApplication->ActiveProject();
}

// The first base calendar whose trimmed name is `name`; Nothing when there is none.
msp::Calendar FindBaseCalendar(const std::string& name) {
    msp::Project plan = ActivePlan();
    if (!plan) return {};
    for (msp::Calendar calendar : plan.BaseCalendars())
        if (calendar && Trim(calendar.Name()) == name) return calendar;
    return {};
}

// Creates a base calendar (a copy of `fromName` when given) and gives it back; Nothing when either
// step failed.
msp::Calendar CreateBaseCalendar(const std::string& name, const std::string& fromName = {}) {
    if (!MSProjectApplication) return {};
    MSProjectApplication->BaseCalendarCreate(name, fromName);
    msp::Project plan = ActivePlan();
    if (!plan) return {};
    return plan.BaseCalendars().Item(name);
}

bool BaseCalendarExists(const std::string& name) {
    msp::Project plan = ActivePlan();
    if (!plan) return false;
    for (msp::Calendar calendar : plan.BaseCalendars())
        if (calendar && calendar.Name() == name) return true;
    return false;
}

void EditCalendarDays(const KovaCalendarDetail& detail, const msp::Calendar& baseCalendar, bool weekdayMode) {
    IntervalTexts t;
    t.From1 = FormatCalendarTime(detail.StartTime1);
    t.From2 = FormatCalendarTime(detail.StartTime2);
    t.From3 = FormatCalendarTime(detail.StartTime3);
    if (t.From1.empty()) {
        // A first interval from midnight arrives with no start time.
        if (detail.Endtime1 >= 1) {
            t.From1 = "00:00 AM";
            t.To1 = FormatCalendarTime(detail.Endtime1);
        }
    } else {
        t.To1 = FormatCalendarTime(detail.Endtime1);
    }
    if (!t.From2.empty()) t.To2 = FormatCalendarTime(detail.EndTime2);
    if (!t.From3.empty()) t.To3 = FormatCalendarTime(detail.EndTime3);

    msp::BaseCalendarEditDaysArgs args{.Name = baseCalendar.Name(),
                                       .Working = detail.Working,
                                       .From1 = t.From1,
                                       .To1 = t.To1,
                                       .From2 = t.From2,
                                       .To2 = t.To2,
                                       .From3 = t.From3,
                                       .To3 = t.To3,
                                       .Default = false};
    if (weekdayMode) {
        static const char* const days[] = {"1", "2", "3", "4", "5", "6", "7"};
        int32_t weekday = 0;
        for (int32_t n = 1; n <= 7; ++n)
            if (detail.CalDay == days[n - 1]) weekday = n;
        if (weekday == 0) return;
        args.Weekday = weekday;
    } else {
        args.StartDate = detail.StartDate;
        args.EndDate = detail.EndDate;
    }
    if (MSProjectApplication) MSProjectApplication->BaseCalendarEditDays(args);
}

void ApplyStandardCalendarDetails(const msp::Calendar& baseCalendar, const std::string& availabilityType) {
    std::string type = ContainsAvailable(availabilityType) ? std::string() : availabilityType;
    if (!calendarData) return;
    auto details = calendarData->getStandardCalendarDetails(BOIConnector, type);
    if (Err().Number != 0) {
        std::string description = Err().Description;
        Err().Clear();
        PrintLog(description);
        return;
    }
    if (!details) return;
    for (const auto& detail : *details)
        EditCalendarDays(*detail, baseCalendar, true);
}

void EnsureAvailabilityCalendar(const std::string& availabilityType) {
    std::string type = Trim(availabilityType);
    std::string name = type.empty() ? std::string("C") + kAvailable : "C" + type;
    msp::Calendar calendar = FindBaseCalendar(name);
    if (calendar) {
        if (runMemory && runMemory->count(name)) return;
        ApplyStandardCalendarDetails(calendar, availabilityType);
        if (runMemory) runMemory->insert(name);
        return;
    }
    calendar = CreateBaseCalendar(name);
    ApplyStandardCalendarDetails(calendar, availabilityType);
    if (runMemory) runMemory->insert(name);
}

void ApplyCalendarExceptions(KovaCalendar& calendar, const msp::Calendar& baseCalendar) {
    auto exceptions = calendar.getCalendarExceptions(BOIConnector, calendar);
    if (!exceptions) return;
    for (const auto& detail : *exceptions)
        EditCalendarDays(*detail, baseCalendar, false);
}

// The exceptions of every piece of the calendar's name after the first ("C" and the type): the
// ancestors' first, its own last, so that the nearer calendar's ranges win.
void ApplyDerivationPathExceptions(KovaCalendar& calendar, const msp::Calendar& baseCalendar) {
    const std::string& name = calendar.CalendarCodeInMsP;
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.', start)) {
        pieces.push_back(name.substr(start, dot - start));
        start = dot + 1;
    }
    pieces.push_back(name.substr(start));
    size_t first = pieces.size() > 1 ? 1 : 0;
    for (size_t i = first; i < pieces.size(); ++i) {
        KovaCalendar piece;
        piece.Code = Trim(pieces[i]);
        piece.AvailabilityType = calendar.AvailabilityType;
        ApplyCalendarExceptions(piece, baseCalendar);
    }
}

void TransferCalendar(bool refresh, KovaCalendar& calendar) {
    std::string type = Trim(calendar.AvailabilityType);
    EnsureAvailabilityCalendar(type);
    std::string name = Trim(calendar.CalendarCodeInMsP);
    msp::Calendar found = FindBaseCalendar(name);
    if (found) {
        if (refresh) ApplyDerivationPathExceptions(calendar, found);
        return;
    }
    std::string parentName = Trim(calendar.ParentCalendar);
    if (!parentName.empty()) {
        msp::Calendar parent = FindBaseCalendar(parentName);
        if (parent) {
            // The copy brings the parent's week and exceptions; only the calendar's own are added.
            msp::Calendar created = CreateBaseCalendar(name, parent.Name());
            ApplyCalendarExceptions(calendar, created);
        } else {
            msp::Calendar created = CreateBaseCalendar(name);
            ApplyDerivationPathExceptions(calendar, created);
        }
        return;
    }
    msp::Calendar created = CreateBaseCalendar(name, "C" + type);
    ApplyCalendarExceptions(calendar, created);
}

void CreateResourceCalendar(msp::Resource& resource, KovaCalendar& calendar) {
    msp::Calendar created =
        CreateBaseCalendar(Trim(calendar.CalendarCodeInMsP), "C" + Trim(calendar.AvailabilityType));
    ApplyDerivationPathExceptions(calendar, created);
    resource.SetBaseCalendar(Trim(created.Name()));
}

} // namespace

std::string FormatCalendarTime(int32_t time) {
    if (time == 0) return {};
    int32_t hours = time / 100;
    int32_t minutes = time % 100;
    if (hours == 24) {
        hours = 23;
        minutes = 59;
    }
    // Out-of-range parts roll over into the next hour or day, as a time built from them would.
    int32_t total = ((hours * 60 + minutes) % 1440 + 1440) % 1440;
    hours = total / 60;
    minutes = total % 60;
    int32_t clock = hours % 12 == 0 ? 12 : hours % 12;
    std::string designator =
        hours < 12 ? platform::os::LocaleAmDesignator() : platform::os::LocalePmDesignator();
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(clock), static_cast<int>(minutes));
    return std::string(text) + " " + designator;
}

void TransferBaseCalendars(const std::string& availabilityType, bool refresh) {
    Err().Clear();
    runMemory.emplace();
    calendarData = std::make_shared<KovaCalendarData>();
    EnsureAvailabilityCalendar(availabilityType);
    calendarData->getCalendarList(BOIConnector);
    if (calendarData->Calendars) {
        // Copied first: each calendar's transfer makes library calls of its own.
        auto calendars = *calendarData->Calendars;
        for (const auto& calendar : calendars)
            TransferCalendar(refresh, *calendar);
    }
    runMemory.reset();
    calendarData.reset();
    Err().Clear();
}

void AssignResourceCalendar(msp::Resource& resource, const std::string& calendarCode,
                            const std::string& availabilityType) {
    Err().Clear();
    calendarData = std::make_shared<KovaCalendarData>();
    KovaCalendar calendar;
    calendar.Code = calendarCode;
    // The calendar list and the availability calendar name an empty type "AVAILABLE"; so must the
    // resource's calendar, or it would never meet the calendars the transfer made.
    calendar.AvailabilityType = Trim(availabilityType).empty() ? kAvailable : Trim(availabilityType);
    std::string name = Trim("C" + calendar.AvailabilityType + "." + calendarCode);
    calendar.CalendarCodeInMsP = name;
    if (BaseCalendarExists(name)) {
        resource.SetBaseCalendar(name);
    } else {
        calendar.ParentCalendar =
            Trim(calendarData->getDerivationPath(BOIConnector, calendarCode, calendar.AvailabilityType));
        if (!calendar.ParentCalendar.empty()) name = Trim(calendar.ParentCalendar + "." + calendarCode);
        calendar.CalendarCodeInMsP = name;
        if (BaseCalendarExists(name))
            resource.SetBaseCalendar(name);
        else
            CreateResourceCalendar(resource, calendar);
    }
    calendarData.reset();
    Err().Clear();
}

} // namespace Grantry
