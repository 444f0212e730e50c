#pragma once
// "AvailabilityType.AvailabilityTypeManager": `List(from, to)` enumerates the availability types; the
// element's description getter is named `Description`.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class AvailabilityTypeManager : public ManagerOf<AvailabilityTypeManager> {
public:
    AvailabilityTypeManager();
    static const platform::automation::MemberTable<AvailabilityTypeManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
