#pragma once
// The ERP's calendars as base calendars of the active plan: one availability calendar per
// availability type ("C" + the type, "CAVAILABLE" for none) carrying the ERP's standard week, one
// base calendar per ERP calendar (a copy of its parent's where that is already in the plan, with its
// own exception days on top), and on request the calendar of one resource. Calendars are matched by
// name only; none is ever deleted or renamed.
//
// Runs inside a command that attached the planning program, opened the ERP connection and the log.
// Every step resumes after a failure and nothing is shown: only a standard week that cannot be read
// leaves a log line. The calls leave the error state cleared.
#include <cstdint>
#include <string>

#include "platform/msproject/Resource.h"

namespace Grantry {

// Makes sure the plan has the availability calendar of `availabilityType` and a base calendar for
// every ERP calendar. With `refresh` the exceptions of calendars already in the plan are applied
// again; the standard week of each availability calendar is applied once per call in any case.
void TransferBaseCalendars(const std::string& availabilityType, bool refresh);

// Gives the resource the base calendar of the ERP calendar `calendarCode`, under its plain name or
// its derivation-path name, making one (a copy of the availability calendar with the calendar's
// exceptions) when the plan has neither.
void AssignResourceCalendar(platform::msproject::Resource& resource, const std::string& calendarCode,
                            const std::string& availabilityType);

// An HHMM time of day as the planning program takes it: "hh:mm" on the 12-hour clock, a blank and
// the user's AM or PM designator; "" for 0; 2400 (the end of the day) as 23:59.
std::string FormatCalendarTime(int32_t time);

} // namespace Grantry
