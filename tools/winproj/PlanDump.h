#pragma once
// A plan as stable text, for tests that compare it with an expected file and for the person at the
// prompt. Only what the integration reads or writes is shown:
//
//   plan "Name.mpp"                      then, indented, the plan's values: Start, Finish, Calendar,
//                                        Title, Author, Company, CurrencySymbol, HoursPerDay, ...
//   tasks N                              one entry per row of the task list
//     ID uid UID level L "Name"          a task; below it, indented, its fields: Start, Finish and
//                                        Duration always, the other schedule fields (Milestone, Work,
//                                        constraints, progress, baselines, Start1..Finish10, links)
//                                        and Text1..Text20, Flag1..Flag4, Date9, Date10, Number20 when
//                                        they are set, and the row format when it is marked
//     ID blank                           a blank row
//   resources N / ID uid UID "Name"      with MaxUnits, StandardRate, ... and the texts that are set
//   assignments N                        "task ID "Name" resource ID "Name"" with units, work, dates
//   calendars N / "Name"                 the working times of each weekday, then the days that differ
//                                        from their weekday (within a year around the plan's dates)
//   properties N / "Name" TYPE value     the custom document properties in their order
//
// Dates are "yyyy-mm-dd hh:mm:ss" or NA; durations and work are minutes; texts are quoted.
#include <iosfwd>
#include <string>

#include "platform/automation/Variant.h"

#include "platform/msproject/Project.h"

namespace winproj {

void DumpPlan(const platform::msproject::Project& plan, std::ostream& out);

// The outline only: "ID  level  Name", indented by level (the prompt's "outline").
void PrintOutline(const platform::msproject::Project& plan, std::ostream& out);

// One task with all of its fields that the dump shows (the prompt's "task ID").
void PrintTask(const platform::msproject::Task& task, std::ostream& out);

// One field value as the dump shows it: dates as yyyy-mm-dd hh:mm:ss or NA, texts quoted, flags as
// true/false, numbers (durations and work in minutes) as CStr writes them.
std::string FieldText(const platform::automation::Variant& value);

} // namespace winproj
