#pragma once
// "StandardChargeElement.StandardChargeElementManager": `List(from, to)` enumerates the standard charge
// elements whose codes lie in the range (an empty `to` has no upper bound).
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class StandardChargeElementManager : public ManagerOf<StandardChargeElementManager> {
public:
    StandardChargeElementManager();
    static const platform::automation::MemberTable<StandardChargeElementManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
