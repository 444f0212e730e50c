#pragma once
// Sending the plan's charge structure to the ERP, for a plan that owns it: the charge-element tasks go
// out as KovaCE records (their parents as task Ids), the ERP creates or updates its elements below the
// connection node, the codes it generated come back into the tasks, and the tasks marked for deletion
// leave the plan once the ERP has accepted the structure.
#include <cstdint>
#include <string>
#include <vector>

#include "dataobjects/KovaCE.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"

namespace Grantry {

inline constexpr char kChargeStructureSendFailed[] =
    "The synchronization of the Charge Breakdown Structure failed. Please check the log file for details.";

// Sends every charge-element task of the active plan that is not marked for deletion; nothing is sent
// when the plan has none. A refusal is shown once and logged; the plan is then left as it was.
void SendChargeStructureToKova(const std::string& node);

// The update call and, once the ERP accepted, its consequences in the plan: generated codes (when a
// standard element was among the sent ones), the "known to the ERP" mark of the tasks ids[0..last],
// and the removal of the marked tasks.
void UpdateChargeStructureInKova(const std::string& node,
                                 KovaDataObjects::Collection<KovaDataObjects::KovaCE>& sent,
                                 bool standardChargeElementPresent, const std::vector<int32_t>& ids,
                                 int32_t lastIndex);

// Writes each returned code (Number = the task Id sent) into its task; the top element's code also
// becomes the plan's connection node.
void ApplyGeneratedChargeElementCodes(const KovaDataObjects::Collection<KovaDataObjects::KovaData>& codes);

} // namespace Grantry
