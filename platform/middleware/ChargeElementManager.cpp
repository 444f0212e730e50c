#include "platform/middleware/ChargeElementManager.h"

#include <functional>
#include <map>
#include <set>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Codes.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/PlanManager.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {

constexpr int32_t kMilestone = 5;
constexpr size_t kMaxCodeLength = 8;
// Without actual dates the plan sends this day as the actual start: it means "not started".
constexpr const char* kNoActualStartDay = "20370101";

const PagedListNames kStructurePages{"ChargeElement.ChargeElementSet", "getChargeElementReference",
                                     "ChargeElement.ChargeElementList", "sizeChargeElement",
                                     "getChargeElementAt"};
const PagedListNames kGeneratedPages{
    "ChargeElement.GeneratedChargeElementSet", "getGeneratedChargeElementReference",
    "ChargeElement.GeneratedChargeElementList", "sizeChargeElement", "getChargeElementAt"};

std::string Code(const Entity& e) {
    return TrimBlanks(e.Text("ChargeElementID"));
}

int32_t TypeOf(const Entity& e) {
    const Variant& v = e.Value("Type");
    return v.IsEmpty() ? 0 : CLng(v);
}

// The element an element hangs below: a milestone below the element it is linked to.
std::string EffectiveParent(const Entity& e) {
    std::string linked = TrimBlanks(e.Text("Linked"));
    if (TypeOf(e) == kMilestone && !linked.empty()) return linked;
    return TrimBlanks(e.Text("Parent"));
}

struct PlanStructure {
    PlanKey key;
    std::vector<EntityPtr> all; // in the ERP's sibling order
    std::map<std::string, EntityPtr> byCode;
    std::map<std::string, std::vector<EntityPtr>> children;
};

PlanStructure LoadStructure(Database& db, const std::string& project, const std::string& plan,
                            const std::string& origin) {
    PlanStructure s;
    s.key = FindPlan(db, project, plan);
    s.all = LoadEntities(db, ChargeElementManager::ElementKind(), "project_id = ? AND plan_id = ?",
                         {s.key.project, s.key.plan}, "sort, ce_id", origin);
    for (const auto& e : s.all)
        s.byCode[Code(*e)] = e;
    for (const auto& e : s.all) {
        std::string parent = EffectiveParent(*e);
        // An element whose parent is missing is shown at the top, so that nothing gets lost.
        if (!parent.empty() && !s.byCode.count(parent)) parent.clear();
        s.children[parent].push_back(e);
    }
    return s;
}

// Pre-order from the node (included), or from every top element for node "". Parent loops in the data
// must not hang the server.
std::vector<EntityPtr> Subtree(const PlanStructure& s, const std::string& node) {
    std::vector<EntityPtr> out;
    std::set<std::string> seen;
    std::function<void(const EntityPtr&)> walk = [&](const EntityPtr& e) {
        if (!seen.insert(Code(*e)).second) return;
        out.push_back(e);
        auto it = s.children.find(Code(*e));
        if (it != s.children.end())
            for (const auto& child : it->second)
                walk(child);
    };
    if (node.empty()) {
        auto it = s.children.find("");
        if (it != s.children.end())
            for (const auto& top : it->second)
                walk(top);
    } else if (auto it = s.byCode.find(node); it != s.byCode.end()) {
        walk(it->second);
    }
    return out;
}

bool ValidCode(const std::string& code) {
    return !code.empty() && code.size() <= kMaxCodeLength && code.find_first_of("._ ") == std::string::npos;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

Variant StoredStamp(const Entity& e, const char* field) {
    return e.Value(field); // a stamp text or Empty (NULL) for no date
}

std::vector<Object> ApplyStructure(Database& db, const std::string& project, const std::string& plan,
                                   const std::string& nodeGiven, const ChargeElementInput& input,
                                   const std::string& origin) {
    Database::Transaction tx(db);
    PlanStructure s = LoadStructure(db, project, plan, origin);
    const std::string node = TrimBlanks(nodeGiven);
    if (!node.empty() && !s.byCode.count(node))
        throw Failure(failures::NotFound,
                      "The charge element " + node + " is not in the plan " + TrimBlanks(plan) + ".");

    struct Sent {
        EntityPtr element;
        int32_t seq;
        std::string code;
        bool generated = false;
    };
    std::vector<Sent> sent;
    std::map<int32_t, size_t> bySeq;
    for (const auto& e : input.elements()) {
        const Variant& seq = e->Value("SequenceNumber");
        sent.push_back({e, seq.IsEmpty() ? 0 : CLng(seq), Code(*e)});
        if (!seq.IsEmpty()) bySeq.emplace(sent.back().seq, sent.size() - 1);
    }

    // Codes: the given ones must be usable and unique; the missing ones are generated.
    std::set<std::string> inputCodes;
    for (auto& x : sent) {
        if (x.code.empty()) continue;
        if (!ValidCode(x.code))
            throw Failure(failures::Refused, "The charge element code " + x.code +
                                                 " is not valid: at most 8 characters, no \".\" or \"_\".");
        if (!inputCodes.insert(x.code).second)
            throw Failure(failures::Refused, "The charge element " + x.code + " is sent twice.");
    }
    for (auto& x : sent) {
        if (!x.code.empty()) continue;
        std::string prefix = TrimBlanks(x.element->Text("DerivedFrom"));
        x.code = GenerateCode(db, prefix.empty() ? "CE" : prefix, kMaxCodeLength, [&](const std::string& c) {
            return s.byCode.count(c) > 0 || inputCodes.count(c) > 0;
        });
        x.generated = true;
        inputCodes.insert(x.code);
    }

    // Parents: a task id of the input, else a code of the input or of the plan; "" is the node.
    auto resolve = [&](const std::string& ref, const std::string& self) -> std::string {
        if (ref.empty()) return node;
        if (AllDigits(ref))
            if (auto it = bySeq.find(static_cast<int32_t>(std::stol(ref))); it != bySeq.end())
                return sent[it->second].code;
        if (inputCodes.count(ref) || s.byCode.count(ref)) return ref;
        throw Failure(failures::Refused,
                      "The parent " + ref + " of the charge element " + self + " is not in the structure.");
    };

    // Deletions: what the node's subtree no longer holds.
    std::vector<EntityPtr> removed;
    std::string refused;
    for (const auto& e : Subtree(s, node)) {
        std::string code = Code(*e);
        if (code == node || inputCodes.count(code)) continue;
        removed.push_back(e);
        bool costs = CLng(e->Value("HasCosts")) != 0 ||
                     !db.Scalar("SELECT 1 FROM budget_line WHERE project_id = ? AND plan_id = ? AND "
                                "trim(ce_id, ' ') = ? LIMIT 1",
                                {s.key.project, s.key.plan, code})
                          .IsEmpty();
        if (costs)
            refused += "###CEs###" + code + "###CEe###$$$CEDs$$$" + TrimBlanks(e->Text("Description")) +
                       "$$$CEDe$$$";
    }
    if (!refused.empty())
        throw Failure(failures::Refused,
                      "The charge breakdown structure was not updated: charge elements with costs cannot be "
                      "deleted. " +
                          refused);
    for (const auto& e : removed) {
        db.Run("DELETE FROM external_schedule_link WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
               {s.key.project, s.key.plan, e->Text("ChargeElementID")});
        db.Run("DELETE FROM charge_element WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
               {s.key.project, s.key.plan, e->Text("ChargeElementID")});
    }

    int32_t order = 0;
    for (auto& x : sent) {
        const Entity& e = *x.element;
        int32_t type = TypeOf(e);
        if (type < 1 || type > 5)
            throw Failure(failures::Refused, "The charge element " + x.code + " has no type from 1 to 5.");
        auto existing = s.byCode.find(x.code);
        std::string parent, linked;
        bool isNode = !node.empty() && x.code == node;
        if (isNode) {
            parent = existing->second->Text("Parent");
            linked = existing->second->Text("Linked");
        } else if (type == kMilestone) {
            linked =
                TrimBlanks(e.Text("Linked")).empty() ? "" : resolve(TrimBlanks(e.Text("Linked")), x.code);
            parent = linked.empty() ? node : linked;
        } else {
            parent = resolve(TrimBlanks(e.Text("Parent")), x.code);
        }
        if (parent == x.code || linked == x.code)
            throw Failure(failures::Refused, "The charge element " + x.code + " cannot be its own parent.");
        // The standard element an element was derived from is named when it is created; an update
        // that names none (the client sends it for new elements only) keeps the stored one.
        std::string derivedFrom = TrimBlanks(e.Text("DerivedFrom"));
        if (derivedFrom.empty() && existing != s.byCode.end())
            derivedFrom = TrimBlanks(existing->second->Text("DerivedFrom"));
        std::vector<Variant> values = {
            TrimBlanks(e.Text("Description")),
            type,
            parent,
            linked,
            TrimBlanks(e.Text("OBS")),
            StoredStamp(e, "ScheduledStart"),
            StoredStamp(e, "ScheduledFinish"),
            derivedFrom,
            int32_t(e.Value("EVAsMilestone").IsEmpty() ? 0 : CLng(e.Value("EVAsMilestone")))};
        if (existing != s.byCode.end()) {
            std::string sortSet = isNode ? "" : ", sort = ?";
            if (!isNode) values.push_back(order);
            values.insert(values.end(),
                          {s.key.project, s.key.plan, existing->second->Text("ChargeElementID")});
            db.Run(
                "UPDATE charge_element SET description = ?, ce_type = ?, parent_ce_id = ?, linked_ce_id = ?, "
                "obs_element_id = ?, sched_start_ts = ?, sched_finish_ts = ?, derived_from_sce = ?, "
                "ev_as_milestone = ?" +
                    sortSet + " WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                values);
        } else {
            values.insert(values.begin(), {s.key.project, s.key.plan, x.code});
            values.push_back(order);
            db.Run(
                "INSERT INTO charge_element(project_id, plan_id, ce_id, description, ce_type, parent_ce_id, "
                "linked_ce_id, obs_element_id, sched_start_ts, sched_finish_ts, derived_from_sce, "
                "ev_as_milestone, sort) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                values);
        }
        ++order;
    }

    // A plan without a (remaining) top element takes the first top element of its new structure.
    Variant top = db.Scalar("SELECT top_ce_id FROM plan WHERE project_id = ? AND plan_id = ?",
                            {s.key.project, s.key.plan});
    PlanStructure after = LoadStructure(db, s.key.project, s.key.plan, origin);
    if (!after.byCode.count(TrimBlanks(CStr(top)))) {
        auto roots = after.children.find("");
        std::string first =
            roots == after.children.end() ? "" : roots->second.front()->Text("ChargeElementID");
        db.Run("UPDATE plan SET top_ce_id = ? WHERE project_id = ? AND plan_id = ?",
               {first, s.key.project, s.key.plan});
    }
    tx.Commit();

    std::vector<Object> generated;
    for (const auto& x : sent) {
        if (!x.generated) continue;
        auto echo = std::make_shared<Entity>(ChargeElementManager::ElementKind(), origin);
        echo->SetValue("ChargeElementID", x.code);
        echo->SetValue("SequenceNumber", x.seq);
        echo->SetValue("ProjectID", s.key.project);
        echo->SetValue("PlanID", s.key.plan);
        echo->ClearTouched();
        generated.emplace_back(echo);
    }
    return generated;
}

class ScheduleResult : public StandIn<ScheduleResult> {
public:
    ScheduleResult(std::string origin, int32_t value)
        : StandIn("ChargeElement.ScheduleUpdateResult", std::move(origin)), value_(value) {}
    static const MemberTable<ScheduleResult>& Members() {
        static const MemberTable<ScheduleResult> table = {
            {"getReturnValueofMethod", [](ScheduleResult& r, CallArgs&) -> Variant { return r.value_; }},
        };
        return table;
    }

private:
    int32_t value_;
};

int32_t ApplySchedule(Database& db, const std::string& project, const std::string& plan,
                      const ChargeElementInput& input, const std::string& origin) {
    PlanStructure s = LoadStructure(db, project, plan, origin);
    for (const auto& e : input.elements())
        if (!s.byCode.count(Code(*e))) return 1;
    static const std::pair<const char*, const char*> columns[] = {
        {"ScheduledStart", "sched_start_ts"}, {"ScheduledFinish", "sched_finish_ts"},
        {"ActualStart", "actual_start_ts"},   {"ActualFinish", "actual_finish_ts"},
        {"Percent", "percent_complete"},
    };
    Database::Transaction tx(db);
    for (const auto& e : input.elements()) {
        std::string sets;
        std::vector<Variant> values;
        for (const auto& [field, column] : columns) {
            if (!e->Touched(field)) continue;
            Variant v = e->Value(field);
            if (std::string(field) == "ActualStart" && !v.IsEmpty() &&
                CStr(v).rfind(kNoActualStartDay, 0) == 0)
                v = Variant();
            if (std::string(field) == "Percent" && v.IsEmpty()) v = 0.0;
            sets += std::string(sets.empty() ? "" : ", ") + column + " = ?";
            values.push_back(v);
        }
        if (sets.empty()) continue;
        values.insert(values.end(), {s.key.project, s.key.plan, s.byCode[Code(*e)]->Text("ChargeElementID")});
        db.Run("UPDATE charge_element SET " + sets + " WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
               values);
    }
    tx.Commit();
    return 0;
}

std::shared_ptr<ChargeElementInput> InputAt(CallArgs& a, size_t i) {
    auto input = a.ObjectAt(i).As<ChargeElementInput>();
    if (!input) throw Failure(failures::NotSupported, "The charge element input is missing.");
    return input;
}

} // namespace

ChargeElementManager::ChargeElementManager() : ManagerOf(progids::ChargeElementManager) {}

const EntityKind& ChargeElementManager::ElementKind() {
    using T = FieldType;
    static const EntityKind kind{
        "ChargeElement.ChargeElement",
        "charge_element",
        {
            {"ProjectID", "project_id", T::Text, {"getProjectID"}, {"setProjectID"}, true},
            {"PlanID", "plan_id", T::Text, {"getPlanID"}, {"setPlanID"}, true},
            {"ChargeElementID", "ce_id", T::Text, {"getChargeElementID"}, {"setChargeElementID"}, true},
            {"Description",
             "description",
             T::Text,
             {"getChargeElementDescription"},
             {"setChargeElementDescription"}},
            {"Type", "ce_type", T::Long, {"getChargeElementType"}, {"setChargeElementType"}},
            {"Parent", "parent_ce_id", T::Text, {"getParentChargeElement"}, {"setParentChargeElement"}},
            {"Linked", "linked_ce_id", T::Text, {"getLinkedChargeElement"}, {"setLinkedChargeElement"}},
            {"OBS", "obs_element_id", T::Text, {"getOBSElementID"}, {"setOBSElementID"}},
            {"Connectable", "connectable", T::Long, {"getConnectable"}, {}},
            {"ScheduledStart",
             "sched_start_ts",
             T::Stamp,
             {"getScheduledStartDate"},
             {"setScheduledStartDate"}},
            {"ScheduledFinish",
             "sched_finish_ts",
             T::Stamp,
             {"getScheduledFinishDate"},
             {"setScheduledFinishDate"}},
            {"ActualStart", "actual_start_ts", T::Stamp, {"getActualStartDate"}, {"setActualStartDate"}},
            {"ActualFinish", "actual_finish_ts", T::Stamp, {"getActualFinishDate"}, {"setActualFinishDate"}},
            {"Percent", "percent_complete", T::Double, {"getPercentageComplete"}, {"setPercentageComplete"}},
            {"DerivedFrom",
             "derived_from_sce",
             T::Text,
             {"getDerivedFromStandardChargeElement"},
             {"setDerivedFromStandardChargeElement"}},
            {"EVAsMilestone",
             "ev_as_milestone",
             T::Boolean,
             {"getEarnedValueMethodAsMilestone"},
             {"setEarnedValueMethodAsMilestone"}},
            {"HasCosts", "has_costs", T::Long, {}, {}},
            {"Sort", "sort", T::Long, {}, {}},
            {"SequenceNumber", "", T::Long, {"getSequenceNumber"}, {"setSequenceNumber"}},
        }};
    return kind;
}

const MemberTable<ChargeElementManager>& ChargeElementManager::Members() {
    using M = ChargeElementManager;
    static const MemberTable<M> table = {
        {"getChargeBreakdownStructure",
         [](M& m, CallArgs& a) -> Variant {
             std::string project = a.String(0), plan = a.String(1), node = TrimBlanks(a.String(2));
             return ServePage(
                 kStructurePages, "getChargeBreakdownStructure", a,
                 [&] { return AsObjects(Subtree(LoadStructure(m.Db(), project, plan, m.progId()), node)); },
                 m.progId());
         }},
        {"updateChargeBreakdownStructure",
         [](M& m, CallArgs& a) -> Variant {
             std::string project = a.String(0), plan = a.String(1), node = a.String(2);
             auto input = InputAt(a, 3);
             return ServePage(
                 kGeneratedPages, "updateChargeBreakdownStructure", a,
                 [&] { return ApplyStructure(m.Db(), project, plan, node, *input, m.progId()); }, m.progId());
         }},
        {"updateSchedule",
         [](M& m, CallArgs& a) -> Variant {
             auto input = InputAt(a, 3);
             int32_t value = ApplySchedule(m.Db(), a.String(0), a.String(1), *input, m.progId());
             return Variant(MakeObject<ScheduleResult>(m.progId(), value));
         }},
    };
    return table;
}

ChargeElementInput::ChargeElementInput()
    : StandIn(progids::ChargeElementInput, progids::ChargeElementInput) {}

const MemberTable<ChargeElementInput>& ChargeElementInput::Members() {
    using I = ChargeElementInput;
    static const MemberTable<I> table = {
        {"addChargeElement",
         [](I& input, CallArgs& a) -> Variant {
             auto element = a.ObjectAt(0).As<Entity>();
             if (!element || &element->kind() != &ChargeElementManager::ElementKind())
                 throw Failure(failures::NotSupported, "Only charge elements can be added to the input.");
             input.elements_.push_back(element);
             return Variant();
         }},
        {"sizeChargeElement",
         [](I& input, CallArgs&) -> Variant { return static_cast<int32_t>(input.elements_.size()); }},
    };
    return table;
}

Object MakeChargeElement() {
    return Object(std::make_shared<Entity>(ChargeElementManager::ElementKind(), progids::ChargeElement));
}

} // namespace platform::middleware
