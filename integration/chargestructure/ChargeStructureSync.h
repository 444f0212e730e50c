#pragma once
// The charge-structure step of "Synchronize ChBS/Budget/Schedule": once the ownership is settled
// (ChargeStructureOwnership.h) the plan's structure goes to the ERP when the plan owns it, otherwise
// the ERP's structure is read, cached (ChargeElementFile.h) and applied to the plan: tasks whose
// element the ERP no longer has are deleted or detached, then the records are placed
// (ChargeElementPlacement.h).
//
// Every automation call resumes after a failure. A failed read of the ERP's structure, or a cache
// that could not be written or read back, removes nothing: it says nothing about what the ERP removed.
#include <functional>
#include <string>

namespace Grantry {

// The dialog's net-change choice, program-wide: only changed elements are applied (and, in the budget
// and schedule run, only changed schedules are sent).
extern bool NetChangeOption;
// Set when a task could not be indented under its parent in the last rebuild.
extern bool RelationshipFailure;

// Shows a step of the run in the synchronisation dialog's progress label; the dialog installs it.
std::function<void(const std::string&)>& SyncProgressLabel();
void ShowSyncProgress(const std::string& text);

inline constexpr char kStructureSyncAbortedLine[] = "Synchronizing of the Charge Breakdown Structure was aborted";
inline constexpr char kStructureReadFailedLine[] =
    "*** FAILURE: *** The Charge Breakdown Structure could not be read from Kova: ";
inline constexpr char kConnectionNodeMissingText[] = "the answer does not hold the connection node ";
// Followed by the file's path and kCacheUnusableTail.
inline constexpr char kCacheUnusableLine[] = "*** FAILURE: *** The Charge Breakdown Structure file ";
inline constexpr char kCacheUnusableTail[] =
    " could not be written or read back; no task is removed, moved or added";

// The step. `proceed` becomes false when it was abandoned (ownership not settled, the ERP's structure
// not read), true when it ran; it keeps its value when the plan does not transfer the structure.
void SynchronizeChargeStructure(bool& proceed);

// Whether the structure read into CurrentProjectData holds the connection node itself (without a node:
// any element). An answer that does not is no structure of that node.
bool StructureHoldsNode(const std::string& node);

// Rebuilds the plan's charge-element tasks from the cache written from CurrentProjectData.
void ApplyKovaChargeStructureToProject();

} // namespace Grantry
