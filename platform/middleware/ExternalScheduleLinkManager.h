#pragma once
// "ChargeElement.ExternalScheduleLinkManager" and its link ("ChargeElement.ExternalScheduleLink"): the
// record that a plan file is connected below a charge element of an ERP plan. One link per project,
// plan and connection node; node "" stands for the whole plan.
//   showExternalScheduleLink(project&, plan&, node&)  the link, or Nothing (and no error) when none
//   Add(link) / Remove(link&) / setOwnership ... then synchronize   insert, delete, change
// An insert is refused when the project, plan or node is unknown, or when the plan already has a link
// on the node, on an element above it or on one below it (two plan files would own the same elements).
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class ExternalScheduleLinkManager : public ManagerOf<ExternalScheduleLinkManager> {
public:
    ExternalScheduleLinkManager();
    static const platform::automation::MemberTable<ExternalScheduleLinkManager>& Members();
    static const EntityKind& LinkKind();

protected:
    bool Accepts(const EntityKind& kind) const override { return &kind == &LinkKind(); }
    void ApplyInsert(Database& db, Entity& link) override;
};

platform::automation::Object MakeExternalScheduleLink();

} // namespace platform::middleware
