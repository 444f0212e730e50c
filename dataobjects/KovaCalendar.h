#pragma once
// KovaCalendar: one ERP calendar as the planning program sees it. `CalendarCodeInMsP` is the name of
// its base calendar there: "C" + availability type + "." + code for a calendar that derives from none,
// the parent's name + "." + code for a derived one, whose `ParentCalendar` then holds that parent's
// name (KovaCalendarData::getCalendarList fills both). "AVAILABLE" stands for an empty availability
// type.
//
// Failures follow the library's convention: nothing is thrown, the error state tells.
#include <string>
#include <vector>

#include "dataobjects/KovaCalendarDetail.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Date.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaCalendar : public platform::automation::Dispatchable<KovaCalendar> {
public:
    std::string CalendarCodeInMsP;
    std::string ParentCalendar;
    std::string AvailabilityType;
    platform::automation::Date StartDate;
    platform::automation::Date EndDate;
    // Filled by nothing: always reads as nothing.
    const OptionalCollection<KovaCalendarDetail>& Details() const { return details_; }
    std::string Code;

    // The exception dates of `objKovaCalendar` (its Code and AvailabilityType, not this record's), one
    // detail per date with up to three intervals; nothing when the calendar manager cannot be made.
    OptionalCollection<KovaCalendarDetail> getCalendarExceptions(std::string BOIConnector,
                                                                 KovaCalendar& objKovaCalendar);
    // This calendar's actual lines, one detail per start date; nothing when the request failed, an
    // empty collection when no line belongs to this calendar's availability type.
    OptionalCollection<KovaCalendarDetail> getActualCalendarDetails(std::string BOIConnector);

    // The properties by name.
    static const platform::automation::MemberTable<KovaCalendar>& Members();

private:
    OptionalCollection<KovaCalendarDetail> details_;
};


} // namespace KovaDataObjects
