#include "platform/middleware/StandardChargeElementManager.h"

#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

StandardChargeElementManager::StandardChargeElementManager()
    : ManagerOf(progids::StandardChargeElementManager) {}

const EntityKind& StandardChargeElementManager::RecordKind() {
    static const EntityKind kind{"StandardChargeElement.StandardChargeElement",
                                 "standard_charge_element",
                                 {
                                     {"Code", "code", FieldType::Text, {"getChargeElementID"}, {}, true},
                                     {"Description", "description", FieldType::Text, {"getDescription"}, {}},
                                     {"Type", "ce_type", FieldType::Text, {"getChargeElementType"}, {}},
                                 }};
    return kind;
}

const MemberTable<StandardChargeElementManager>& StandardChargeElementManager::Members() {
    using M = StandardChargeElementManager;
    static const MemberTable<M> table = {
        {"List",
         [](M& m, CallArgs& a) -> Variant {
             RangeFilter range = CodeRange("code", a.String(0), a.String(1));
             auto found =
                 LoadEntities(m.Db(), RecordKind(), range.condition, range.values, "sort, code", m.progId());
             return Variant(MakeEnumeration("StandardChargeElement.StandardChargeElementEnumeration",
                                            m.progId(), AsObjects(found)));
         }},
    };
    return table;
}

} // namespace platform::middleware
