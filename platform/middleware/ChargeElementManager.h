#pragma once
// "ChargeElement.ChargeElementManager" with its element ("ChargeElement.ChargeElement") and input
// ("ChargeElement.ChargeElementInput", filled with addChargeElement) objects: the charge breakdown
// structure of a plan.
//
//   getChargeBreakdownStructure(project&, plan&, node&, batch, callId&, flag&)
//       paged: the node and its subtree (the whole plan for node ""), each element after its parent,
//       siblings in the ERP's order; a milestone hangs below the element it is linked to.
//   updateChargeBreakdownStructure(project&, plan&, node&, input&, batch, callId&, flag&)
//       paged: the request with call id 0 applies the input in one transaction, the later pages only
//       serve its result, the (sequence number, code) of every element whose code was generated.
//   updateSchedule(project&, plan&, node&, input&)
//       writes the dates and percent complete of each element (found by its code in the plan); answers
//       an object whose getReturnValueofMethod is 0 when every element was written, 1 (nothing written)
//       when an element is not in the plan.
//
// Rules of a structure sent from the plan: each element carries its plan task id as sequence number and
// its parent (for a milestone: the element it is linked to) as that parent's task id; an existing code
// is taken too, and "" means below the node. The node itself keeps its own parent. An element without a
// code gets a generated one (at most 8 characters, no "." or "_"). Elements of the node's subtree that
// the input no longer holds are deleted; when one of them has costs or budget lines the whole update is
// refused, changing nothing, and the text names every such element between "###CEs###"/"###CEe###"
// (code) and "$$$CEDs$$$"/"$$$CEDe$$$" (description).
#include "platform/middleware/Manager.h"

namespace platform::middleware {

class ChargeElementManager : public ManagerOf<ChargeElementManager> {
public:
    ChargeElementManager();
    static const platform::automation::MemberTable<ChargeElementManager>& Members();
    // The element record: read from the structure, filled through its setters for sending.
    static const EntityKind& ElementKind();
};

class ChargeElementInput : public StandIn<ChargeElementInput> {
public:
    ChargeElementInput();
    static const platform::automation::MemberTable<ChargeElementInput>& Members();
    const std::vector<EntityPtr>& elements() const { return elements_; }

private:
    std::vector<EntityPtr> elements_;
};

platform::automation::Object MakeChargeElement();

} // namespace platform::middleware
