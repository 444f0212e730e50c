#pragma once
// The cost objects the budget-line dialogs offer for a cost type, and the lookup of the one chosen:
// labour cost objects come from the plan's labour cost-object file, every other kind from the plan's
// resources; employees and trade groups, which a labour line may name, are resources too.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"

namespace Grantry {

// Where each entry of a labour cost-object list came from: the file's record number per list
// position. The file may hold records without a code, which the list leaves out, so a position is
// not a record number.
using LaborRecordNumbers = std::vector<int32_t>;

// Fills `costObjects` (cleared first) with the cost objects of `costType` (1..5): for labour (2) one
// entry "LAB." [project "."] code " " description per record of the labour cost-object file up to its
// end record, records without a code left out, their record numbers in `laborRecords`; for the other
// types every resource whose name contains "MAT", "EQP", "SUB" or "SUN". For labour the resources
// whose name contains "EMP" or "TRG" are added to `employees`, which is not cleared here. A missing
// or unreadable file gives an empty labour list; the error state is left cleared.
void ListCostObjects(int32_t costType, platform::forms::ComboBox& costObjects,
                     platform::forms::ComboBox& employees, LaborRecordNumbers& laborRecords);

// The cost object behind a list entry.
struct CostObjectDetails {
    std::string Code;        // the resource code: "LAB." [project "."] code for labour
    std::string Description;
    std::string Unit;        // empty for labour
    std::string Project;     // labour only: the project of a project cost object
};

// Reads the cost object at list position `listIndex` (0-based) of a list that ListCostObjects filled
// for `costType`: labour from the record the entry was read from, any other type from the resource
// whose name is the entry's text (`entryText`), looked up in the resource view; the resource view is
// left active for the caller to leave. Empty details when nothing is found.
CostObjectDetails LookUpCostObject(int32_t costType, int listIndex, const std::string& entryText,
                                   const LaborRecordNumbers& laborRecords);

} // namespace Grantry
