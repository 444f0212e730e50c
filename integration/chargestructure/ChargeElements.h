#pragma once
// Charge-element tasks: how a charge element of the ERP is kept in the fields of its task in the plan,
// the five charge-element types with their names, and the queries that tell whether the active plan
// holds a charge structure and which task is its top.
//
// Fields of a charge-element task (every other field is the planning program's):
//   Flag3   the task is a charge-element task: the mark tested first everywhere
//   Text1   charge-element code (at most 8 characters, never "." or "_")
//   Name    description          Text10  type name         Text15  parent's code ("" at the top)
//   Text12  OBS element code     Text9   standard-element reference "abbr.code . description"
//   Flag1   top element (no parent; never a milestone)    Flag2  known to the ERP
//   Flag4   marked for deletion in the ERP
//   Date9, Date10, Number20   Start, Finish and PercentComplete when last written or synchronised
//   Text5   wanted outline level while a first transfer builds the outline
//   Text16  copy of Text1 while tasks are sorted on their codes
#include <array>
#include <cstdint>
#include <string>

#include "platform/msproject/Task.h"

namespace Grantry {

// The fields by their names in the planning program, for lookups and late-bound access.
inline constexpr char kChargeElementMarkField[] = "Flag3";
inline constexpr char kChargeElementCodeField[] = "Text1";
inline constexpr char kChargeElementTypeField[] = "Text10";
inline constexpr char kChargeElementParentField[] = "Text15";
inline constexpr char kChargeElementObsField[] = "Text12";
inline constexpr char kStandardChargeElementField[] = "Text9";
inline constexpr char kTopChargeElementField[] = "Flag1";
inline constexpr char kChargeElementInKovaField[] = "Flag2";
inline constexpr char kChargeElementDeletedField[] = "Flag4";

// The type names as the tasks carry them.
inline constexpr char kWbsElement[] = "WBS Element";
inline constexpr char kProjectCostAccount[] = "Project Cost Account";
inline constexpr char kPlanningPackage[] = "Planning Package";
inline constexpr char kWorkPackage[] = "Work Package";
inline constexpr char kMilestone[] = "Milestone";

struct ChargeElementType {
    int16_t code;             // 1 to 5, from the top of a branch to its bottom
    const char* name;         // in the task's type field
    const char* abbreviation; // in the standard-element list
};
// The five types in code order: a child's code is never smaller than its parent's, and only a
// "Milestone" task is a milestone of the plan.
const std::array<ChargeElementType, 5>& ChargeElementTypes();

// The type name for the code "1" to "5" (compared as exact text); "Error" for any other text.
std::string GetChargeElementTypeName(const std::string& typeCode);
// 1 to 5 for the five names (exact, letter case counting); 0 for any other text.
int16_t GetChargeElementTypeCode(const std::string& typeName);

// A task of the charge structure (not a blank row, Flag3 set).
bool IsChargeElementTask(const platform::msproject::Task& task);
// A charge-element task that stands for a milestone.
bool IsMilestoneChargeElement(const platform::msproject::Task& task);

// The queries on the active plan walk its tasks in order and skip blank rows. Without a plan (or a
// program) they give their starting answer, the failure left in Err().
// True when no task of the active plan is a charge-element task other than a milestone.
bool IsChargeStructureEmpty();
// True when some task of the active plan is a charge-element task.
bool IsChargeStructurePresent();
// The Id of the first charge-element task that is not a milestone; 0 when there is none.
int32_t GetTopChargeElementTaskId();

} // namespace Grantry
