#pragma once
// "Calendars.CalendarManager": the ERP's calendars.
//   listCalendarSelectionForESP(batch, callId&, flag&)   paged; every calendar, parents before children
//   getDerivationPath(code&, type&)                       the calendar's ancestors, root first
//   showStandardCalendar(type&)                           the standard week of a type ("" = the company's
//                                                         default availability type)
//   getCalendarException(code, type&, batch, callId&, flag&)   paged; exception lines by date
//   showActualCalendarLine(code, type)                    enumeration of the calendar's actual lines
// A calendar is keyed by code and availability type; "" is the default availability, which the actual-line
// request also answers under the name "AVAILABLE". Unknown calendars and types fail with NotFound.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class CalendarManager : public ManagerOf<CalendarManager> {
public:
    CalendarManager();
    static const platform::automation::MemberTable<CalendarManager>& Members();
    static const EntityKind& CalendarKind();
};

} // namespace platform::middleware
