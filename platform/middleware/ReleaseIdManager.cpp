#include "platform/middleware/ReleaseIdManager.h"

#include "platform/middleware/Errors.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

ReleaseIdManager::ReleaseIdManager() : ManagerOf(progids::ReleaseIdManager) {}

const EntityKind& ReleaseIdManager::RecordKind() {
    static const EntityKind kind{
        "KovaReleaseId.KovaReleaseId",
        "erp_release",
        {{"ReleaseID", "release_id", FieldType::Text, {"getKovaReleaseId"}, {}, true}}};
    return kind;
}

const MemberTable<ReleaseIdManager>& ReleaseIdManager::Members() {
    using M = ReleaseIdManager;
    static const MemberTable<M> table = {
        {"getKovaReleaseId",
         [](M& m, CallArgs&) -> Variant {
             auto found = LoadEntities(m.Db(), RecordKind(), "", {}, "rowid", m.progId());
             if (found.empty())
                 throw Failure(failures::NotFound, "No release id is maintained in the backend.");
             return Variant(Object(found.front()));
         }},
    };
    return table;
}

} // namespace platform::middleware
