#include "integration/budgetdialogs/BudgetDialogSupport.h"

#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/os/Locale.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;

void DetermineLinkedCE(msp::Task& selected, msp::Task& chargeElement, std::string& code) {
    code = " ";
    if (!selected) return;
    if (!selected.Text1().empty()) {
        code = selected.Text1();
        chargeElement = selected;
        return;
    }
    while (selected.OutlineLevel() != 0) {
        chargeElement = selected.OutlineParent();
        if (!chargeElement) break;
        if (!chargeElement.Text1().empty()) {
            code = chargeElement.Text1();
            break;
        }
        if (chargeElement.OutlineLevel() == 0) break;
        selected = chargeElement;
    }
    Err().Clear();
}

int32_t ReadOwnership(int32_t fallback) {
    automation::Variant ownership;
    int32_t value = fallback;
    if (ReadDocumentProperty("OwnershipChBSAndBudgQty", ownership)) {
        const int32_t read = automation::CLng(ownership);
        if (Err().Number == 0) value = read;
    }
    Err().Clear();
    return value;
}

int32_t LinkValueOf(const std::string& text) {
    if (text.empty()) return 0;
    const int32_t value = automation::CLng(automation::Variant(text));
    if (Err().Number != 0) {
        Err().Clear();
        return 0;
    }
    return value;
}

void KeepQuantityKey(int16_t& KeyAscii) {
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    const std::string separator = platform::os::LocaleDecimalSeparator();
    const bool userSeparator = separator.size() == 1 && KeyAscii == static_cast<unsigned char>(separator[0]);
    if (!digit && !userSeparator && KeyAscii != '-' && KeyAscii != '.' && KeyAscii != 8) KeyAscii = 0;
}

} // namespace Grantry
