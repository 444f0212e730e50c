#pragma once
// "Project.ProjectManager": the projects of the default backend's company. `List(from, to, a, b, c, d)`
// enumerates those whose ids lie in the range (the four numbers are further ranges the demo ERP does
// not distinguish); `Show(project)` gives one project.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class ProjectManager : public ManagerOf<ProjectManager> {
public:
    ProjectManager();
    static const platform::automation::MemberTable<ProjectManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
