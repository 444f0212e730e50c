#pragma once
// The first transfer of the ERP's charge structure into a plan at connection: one charge-element task
// per element of CurrentProjectData's structure, filled by the field map of ChargeElements.h, the
// outline built to mirror the parent chain, milestones placed and dated against their parents, the
// cache file written with one record per element, and the tasks sorted on their codes when the plan
// asks for it. Later changes reach the plan through the synchronisation, which reuses the milestone
// scheduling below.
//
// Every step resumes after a failure; nothing is shown and no error line is written.
#include <functional>

#include "dataobjects/KovaCE.h"
#include "platform/automation/Date.h"
#include "platform/msproject/Task.h"

namespace Grantry {

// Requires the command's program, project data (with its structure) and open log.
void TransferChargeStructureToProject();

// Writes one element into its task. `milestoneAsSubtask` is the plan's option read at the run's start.
void FillTaskFromKovaCE(platform::msproject::Task& task, const KovaDataObjects::KovaCE& ce,
                        bool milestoneAsSubtask);

// Links and dates milestone `m` at the ERP date `d` against its parent `p`: finish-to-start without
// lag for no date or the parent's start, else start-to-start or finish-to-finish by the half of the
// parent the date falls in, the lag in the plan's default duration unit.
void ScheduleMilestoneAfterParent(platform::msproject::Task& m, platform::msproject::Task& p,
                                  const platform::automation::Date& d);

// Working minutes in the plan's default duration unit (minutes, hours, days, weeks); 0 for others.
double ConvertDurationUnits(double minutes);

// Indents the tasks, deepest wanted level (Text5) first, so that every task that follows its parent
// ends at its wanted level; milestones too, so that none breaks the outline before it is moved.
void ApplyOutlineLevels();

// The sort of the tasks on their charge-element codes, run at the end of the transfer when the plan's
// option asks for it. Provided by the sorting unit; empty: no sort.
std::function<void()>& SortTasksOnChargeElementCodeStep();

} // namespace Grantry
