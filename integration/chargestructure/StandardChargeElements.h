#pragma once
// The company's catalogue of standard charge elements, kept in a file per ERP company in the
// program's Data folder so that the charge-element dialog can offer it without a network connection.
//
// Records of 83 bytes from record 1, no header, text in Windows-1252 blank-padded and cut at the
// field width, in the ERP's order. The last record is the end record: Code blank, SCEType "."; its
// Description is what the record before left there (zero bytes when there was none). Readers stop at
// the first record whose SCEType holds ".".
#include <cstddef>
#include <string>
#include <vector>

#include "platform/os/FixedRecord.h"

namespace Grantry {

struct StandardChargeElementRecord {
    static constexpr size_t kLength = 83;
    static constexpr platform::os::RecordField Code{0, 8};
    static constexpr platform::os::RecordField Description{8, 50};
    static constexpr platform::os::RecordField SCEType{58, 25};
};

// The file of `company` exactly as given: the application folder, "Data", company + ".sce".
std::string GetStandardChargeElementsFilePath(const std::string& company);

// Rewrites the file of the company (the text taken as a number, so "007" names "7.sce") from the
// catalogue of CurrentConnection. A failing ERP call is logged ("Standard Charge Elements not
// transferred from." and the company) and leaves a file with only the end record. At most 32,767
// entries are written, the rest of a longer catalogue is left out. The error state is left cleared.
void TransferStandardChargeElements(const std::string& company);

// The list entries of the file at `path`, in file order: type abbreviation ("WBS", "PCA", "PP",
// "WP", "Mil"), ".", code, " . ", description. Entries with an empty code or a code holding "." are
// left out; an unknown type keeps the abbreviation of the record before. A missing file gives none.
std::vector<std::string> ReadStandardChargeElementEntries(const std::string& path);

} // namespace Grantry
