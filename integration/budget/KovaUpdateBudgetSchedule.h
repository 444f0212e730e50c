#pragma once
// Helpers that the budget-line code shares: the charge element above a budget-line subtask, work
// between the planning program's minutes and the plan's default work unit, and the bare ERP code of a
// resource or cost-object code of the plan. They read the planning program through the running
// command's MSProjectApplication and keep no state.
#include <string>

#include "platform/msproject/Task.h"

namespace Grantry {

// The code (Text1) of the nearest ancestor of `task` that carries one; "" for a charge-element task
// itself, a task at outline level 1, or one with no coded ancestor below level 1. The task is not
// changed.
std::string GetParentChargeElement(const platform::msproject::Task& task);

// Work between minutes and the active plan's DefaultWorkUnits (minutes, hours, days by HoursPerDay,
// weeks by HoursPerWeek, both read at each call), in doubles without rounding. A unit the planning
// program does not name here is taken as minutes, the way the planning program reads work text in
// such a unit, so that both directions still give back what they were given. Without an active plan
// the value comes back unchanged and the failure stays in Err().
double MinutesToWorkUnits(double minutes);
double WorkUnitsToMinutes(double value);

// The text after its last "." (all of it when there is none). With `cutAtBlank` the text is first cut
// before its first blank ("EMP.D1.E100 Anna Berg" gives E100); a text without a blank is kept whole.
std::string StripCodePrefix(const std::string& text, bool cutAtBlank);

} // namespace Grantry
