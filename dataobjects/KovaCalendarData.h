#pragma once
// KovaCalendarData: the library's entry to the ERP's calendars. It lists every calendar with its base
// calendar name for the planning program (see KovaCalendar), lists the availability types, reads the
// standard week of a type, and works out the derivation path of a derived calendar: "C" + its
// availability type + "." + its ancestors' codes, root first, joined by "." - which is the name of its
// parent's base calendar.
//
// Failures follow the library's convention: nothing is thrown, the error state tells.
#include <string>

#include "dataobjects/KovaCalendar.h"
#include "dataobjects/KovaCalendarDetail.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

class KovaCalendarData : public platform::automation::Dispatchable<KovaCalendarData> {
public:
    // Nothing until the caller sets it or getCalendarList fills it.
    OptionalCollection<KovaCalendar> Calendars;

    // One KovaData per availability type: Code = the type, Description its description. Nothing when
    // there are none or a step failed.
    OptionalCollection<KovaData> getAvailabilityType(std::string& BOIConnector);
    // The standard week of the type (sent as given; "" = the ERP's default type), one detail per day
    // "1" (Sunday) to "7" with up to three intervals, completed with the missing days as non-working.
    // Nothing when a step failed.
    OptionalCollection<KovaCalendarDetail> getStandardCalendarDetails(std::string& BOIConnector,
                                                                      std::string strAvailabilityType);
    // Replaces Calendars by every ERP calendar, in the ERP's order (parents before their children).
    // When the calendar manager cannot be made, Calendars keeps what it held.
    void getCalendarList(std::string& BOIConnector);
    // "C" + strAvailabilityType + "." + the ancestors' codes root first, or "" when there are none or
    // the request failed. A type containing "AVAILABLE" is requested as the empty type.
    std::string getDerivationPath(std::string& BOIConnector, std::string strCalendarCode,
                                  std::string strAvailabilityType);

    // The methods by name (the collections are reached early-bound only).
    static const platform::automation::MemberTable<KovaCalendarData>& Members();
};

} // namespace KovaDataObjects
