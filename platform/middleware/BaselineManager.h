#pragma once
// "Baseline.BaselineManager": the baselines of a project, numbered per project.
//   List(project, from, to)               the baselines with ids in the range, by id
//   createBaseline(project&, from&, desc&) a new free baseline (status 1) numbered max + 1; `from` 0 or
//                                          an approved (status 2) baseline of the project it derives
//                                          from. Answers an object with getNewBaselineID.
//   changeBaseline(project&, id&)          stamps a free baseline as changed; an approved or unknown
//                                          one is refused
// Both writes are committed at once.
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class BaselineManager : public ManagerOf<BaselineManager> {
public:
    BaselineManager();
    static const platform::automation::MemberTable<BaselineManager>& Members();
    static const EntityKind& RecordKind();
};

} // namespace platform::middleware
