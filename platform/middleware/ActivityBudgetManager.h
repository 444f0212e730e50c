#pragma once
// "ActivityBudget.ActivityBudgetManager" with its budget-line classes "ActivityBudget.<X>BudgetLine" and
// sequence classes "ActivityBudget.<X>BudgetLineSeq", X one of the five cost types 1 Material, 2 Labor,
// 3 Equipment, 4 Subcontracting, 5 Sundry.
//
// A budget line keeps its schedule link (1 no link, 2 waiting to be scheduled, 3 linked) and the plan
// file (external schedule) it is linked to, so that a plan is offered each line once:
// - `listXBudgetLineForScheduling(project&, plan&, node&, file&, 1&, batch, callId&, flag&)` pages the
//   lines of the node's subtree (the whole plan for an empty node) that wait (link 2) with no file or
//   this file; `addListXBudgetLine(project&, plan&, ce, 1&)` loads the waiting lines of one charge
//   element of the last listed file for `getIterator`, whose setters `synchronize` writes.
// - `showXBudgetLineForScheduling(project&, plan&, ce&, seq&)` gives a result whose reference holds the
//   linked line, or Nothing (no error) when there is none; `showXBudgetLine` gives the line in any state
//   (an unknown one fails), for setting its link back to 2.
// - `Add(line&)` + `synchronize` validates the line, gives it the next sequence number of its charge
//   element and stores it as the setters left it (the library links it at once with 3).
// - `updateXBudgetLineForScheduling(seq&, deleteBL&)`: see the .cpp; it answers a result whose error
//   sequence has one structure per line the plan must act on: return value 1 for a line that is gone
//   or no longer linked, 2 for a line the backend refused (with the reason in `getmessage`).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/middleware/Manager.h"

namespace platform::middleware {

// The record kind of the budget lines of cost type 1..5 (one table, columns per cost type).
const EntityKind& BudgetLineKind(int costType);
// The cost type of a budget-line kind, 0 for any other kind.
int CostTypeOf(const EntityKind& kind);
// A new budget-line object of the cost type, as "ActivityBudget.<X>BudgetLine" creates it.
EntityPtr NewBudgetLine(int costType);

class BudgetLineSeq : public StandInObject {
public:
    explicit BudgetLineSeq(int costType);
    int costType() const { return costType_; }
    const std::vector<EntityPtr>& lines() const { return lines_; }

protected:
    platform::automation::Variant Answer(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) override;

private:
    int costType_;
    std::vector<EntityPtr> lines_;
};

class ActivityBudgetManager : public Manager {
public:
    ActivityBudgetManager();

protected:
    bool AnswerOwn(std::string_view name, platform::automation::CallKind kind,
                   std::span<platform::automation::Arg> args, platform::automation::Variant& result) override;
    bool Accepts(const EntityKind& kind) const override { return CostTypeOf(kind) != 0; }
    void ApplyInsert(Database& db, Entity& entity) override;

private:
    platform::automation::Variant Update(int costType, platform::automation::CallArgs& args);
    std::map<int, std::string> listedFile_; // per cost type: the plan file of the last list call
    std::vector<EntityPtr> iterated_;       // what addList loaded since the last releaseAll
};

} // namespace platform::middleware
