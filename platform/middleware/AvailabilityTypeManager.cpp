#include "platform/middleware/AvailabilityTypeManager.h"

#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

AvailabilityTypeManager::AvailabilityTypeManager() : ManagerOf(progids::AvailabilityTypeManager) {}

const EntityKind& AvailabilityTypeManager::RecordKind() {
    static const EntityKind kind{"AvailabilityType.AvailabilityType",
                                 "availability_type",
                                 {
                                     {"Code", "code", FieldType::Text, {"getAvailabilityType"}, {}, true},
                                     {"Description", "description", FieldType::Text, {"Description"}, {}},
                                 }};
    return kind;
}

const MemberTable<AvailabilityTypeManager>& AvailabilityTypeManager::Members() {
    using M = AvailabilityTypeManager;
    static const MemberTable<M> table = {
        {"List",
         [](M& m, CallArgs& a) -> Variant {
             RangeFilter range = CodeRange("code", a.String(0), a.String(1));
             auto found =
                 LoadEntities(m.Db(), RecordKind(), range.condition, range.values, "sort, code", m.progId());
             return Variant(MakeEnumeration("AvailabilityType.AvailabilityTypeEnumeration", m.progId(),
                                            AsObjects(found)));
         }},
    };
    return table;
}

} // namespace platform::middleware
