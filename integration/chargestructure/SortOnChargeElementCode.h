#pragma once
// Orders the plan's tasks on their charge-element codes, keeping the outline: stand-alone milestones
// first, a milestone beside its parent element right after that parent's branch of codes, tasks
// without a code last among their siblings. The planning program sorts on one text field, so the
// codes in Text1 are replaced by sort keys for the sort (Text16 holds a milestone's code meanwhile)
// and restored afterwards.

namespace Grantry {

// The key that a milestone beside its parent, and a task without a code, sort on.
inline constexpr char kSortLastKey[] = "zzzzzzzzz";

// Sorts the active plan as above; continues after a failed call, the last failure left in Err().
void SortTasksOnChargeElementCode();

// Sets the sort as the structure transfers' sort step.
void InstallSortTasksOnChargeElementCode();

} // namespace Grantry
