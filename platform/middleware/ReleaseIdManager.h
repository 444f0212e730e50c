#pragma once
// "KovaReleaseId.KovaReleaseIdManager": `getKovaReleaseId()` gives the release object, whose own
// `getKovaReleaseId()` gives the release id text.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class ReleaseIdManager : public ManagerOf<ReleaseIdManager> {
public:
    ReleaseIdManager();
    static const platform::automation::MemberTable<ReleaseIdManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
