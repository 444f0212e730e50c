#pragma once
// "OrganizationBreakdownStructure.OrganizationBreakdownStructureManager": the OBS elements below a root,
// paged. `getOrganizationBreakdownStructureElements(project, obs, batch, callId&, flag&)` lists the
// element `obs` and its whole subtree, parents before children; an empty `obs` takes the project's OBS
// root, and with neither the whole OBS is listed. An unknown root gives an empty list.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class ObsManager : public ManagerOf<ObsManager> {
public:
    ObsManager();
    static const platform::automation::MemberTable<ObsManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
