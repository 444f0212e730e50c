#pragma once
// The last passes of a rebuild of the plan's charge-element tasks from the cached ERP structure
// (ChargeElementFile.h), one record after the other in record order: the placement pass updates the
// task of every record that has one, creates the missing ones and moves each under the task of its
// parent by cut, paste and indenting; the milestone pass links moved milestones to their parents; the
// optional sort orders the tasks on their codes.
//
// Every automation call resumes after a failure. A parent that is not found leaves its child at
// level 1 at the end of the plan, its parent code kept for a later run.
#include <cstdint>

#include "platform/msproject/Task.h"

namespace Grantry {

struct PlacementOptions {
    bool netChange = false;               // only records marked changed are applied
    bool milestoneAsSubtask = false;      // a milestone becomes its parent's last child
    bool standaloneMilestoneOnTop = true; // stand-alone milestones go to row 1 at every run
};

struct PlacementResult {
    bool structureMoved = false;      // an existing task was found in the wrong place
    bool relationshipFailure = false; // a task could not be indented under its parent
};

// The placement pass, then the milestone pass (only when something moved and milestones stand beside
// their parents), then the sort when the plan asks for it. A failed indent writes its line to the log.
PlacementResult PlaceChargeElementTasks(const PlacementOptions& options);

// The program-wide counter of outline descendants; CountOutlineDescendants adds to it the number of
// the task's descendants at every depth. The caller sets it to 0 first.
extern int32_t OutlineDescendantCount;
void CountOutlineDescendants(const platform::msproject::Task& task);

} // namespace Grantry
