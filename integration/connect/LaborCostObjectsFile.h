#pragma once
// The labour cost-object file beside the plan: the ERP's labour cost objects (the company's standard
// ones and, on request, the connected project's) as fixed records, so that the budget-line dialogs
// can list them and look one up without asking the ERP again.
//
// Records of 50 bytes from record 1, no header, text in Windows-1252 blank-padded and cut at the
// field width. The last record is the end record: Project "." and Code blank; its Description and Unit
// are what the record before left there. Readers stop at the first record whose Project holds "."
// (so a project code never holds one); a blank Project marks a standard cost object.
#include <cstddef>

#include "platform/os/FixedRecord.h"

namespace Grantry {

struct LaborCostObjectRecord {
    static constexpr size_t kLength = 50;
    static constexpr platform::os::RecordField Project{0, 9};
    static constexpr platform::os::RecordField Code{9, 8};
    static constexpr platform::os::RecordField Description{17, 30};
    static constexpr platform::os::RecordField Unit{47, 3};
};

// Rewrites the plan's ".lco" file from the ERP for the project of CurrentProjectData. With neither
// switch set the file is left as it is. A failing ERP call is logged with its description and leaves
// a file holding only the end record; a file that cannot be opened is not written. Nothing is shown
// but the progress window's label; the error state is left cleared.
void WriteLaborCostObjectsFile(bool transferLabor, bool transferProjectLabor);

} // namespace Grantry
