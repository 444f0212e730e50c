#include "integration/chargestructure/ChargeStructureOwnership.h"

#include "dataobjects/KovaProjectData.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

using namespace platform::forms;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

constexpr char kCRLF[] = "\r\n";

int32_t PlanOwnership() {
    Variant value;
    if (!ReadDocumentProperty("OwnershipChBSAndBudgQty", value)) return 0;
    int32_t ownership = platform::automation::CLng(value);
    if (Err().Number != 0) ownership = 0;
    Err().Clear();
    return ownership;
}

// Asks for the transfer; on Yes carries it out. Only Yes counts as consent.
bool ConfirmTransfer(int32_t pending) {
    const bool toKova = pending == kTransferToKovaPending;
    if (MsgBox(toKova ? ConfirmOwnershipToKova() : ConfirmOwnershipToProject(), vbYesNo + vbQuestion,
               kMessageTitle) != vbYes)
        return false;
    SetChargeStructureOwnership(toKova ? kOwnedByKova : kOwnedByProject);
    return true;
}

} // namespace

std::string ConfirmOwnershipToKova() {
    return std::string("Changes to ChBS and Budget Line quantities in Microsoft Project ") +
           "will be lost since the ownership is being set to Kova. " + kCRLF + kCRLF +
           "Proceed with synchronization";
}

std::string ConfirmOwnershipToProject() {
    return std::string("Changes to ChBS and Budget Line quantities in Kova ") +
           "will be lost since the ownership is being set to Microsoft Project. " + kCRLF + kCRLF +
           "Proceed with synchronization";
}

bool DetermineChargeStructureOwnership() {
    Err().Clear();
    const int32_t plan = PlanOwnership();
    if (plan == kTransferToKovaPending || plan == kTransferToProjectPending) return ConfirmTransfer(plan);
    if (!CurrentProjectData || !MSProjectApplication) return false;

    CurrentProjectData->ESProject = MSProjectApplication->ActiveProject().Name();
    Err().Clear();
    const int32_t answer = CurrentProjectData->determineCHBSOwnership(BOIConnector);
    if (answer == -1) {
        Err().Clear();
        MsgBox(kNotLinkedMessage + CurrentProjectData->eprj, vbOKOnly + vbCritical, kMessageTitle);
        return false;
    }
    if (Err().Number != 0) {
        const std::string description = Err().Description;
        Err().Clear();
        MsgBox(kOwnershipErrorMessage, vbOKOnly + vbCritical, kMessageTitle);
        PrintLog(description);
        return false;
    }
    const int32_t erp = CurrentProjectData->Ownership;
    if (erp <= 0 || erp == plan) return true;
    if (erp == kTransferToKovaPending || erp == kTransferToProjectPending) return ConfirmTransfer(erp);
    if ((erp == kOwnedByKova && plan == kOwnedByProject) || (erp == kOwnedByProject && plan == kOwnedByKova)) {
        MsgBox(kOwnershipUndeterminedMessage, vbOKOnly + vbCritical, kMessageTitle);
        return false;
    }
    return true;
}

void SetChargeStructureOwnership(int32_t ownership) {
    Err().Clear();
    if (!CurrentProjectData) return;
    CurrentProjectData->updateCHBSOwnershipInKova(BOIConnector, ownership);
    if (Err().Number != 0) {
        const std::string description = Err().Description;
        Err().Clear();
        PrintLog(FormatErrorForLog(description));
        return;
    }
    WriteDocumentProperty("OwnershipChBSAndBudgQty", Variant(ownership));
    Err().Clear();
    PrintLog(ownership == kOwnedByKova ? "Ownership transferred to Kova" : "Ownership transferred to MsProject");
    UpdateCommandBarState();
    Err().Clear();
}

} // namespace Grantry
