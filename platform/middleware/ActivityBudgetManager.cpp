#include "platform/middleware/ActivityBudgetManager.h"

#include <set>
#include <utility>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/KovaItem.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {

constexpr int kNoLink = 1, kWaiting = 2, kLinked = 3;

struct CostTypeNames {
    const char* word;             // "Material"
    const char* costObjectKind;   // the kind of its cost objects
    const char* costObjectGetter; // empty for material (its item code is encoded, see getItem)
    const char* costObjectSetter;
    const char* descriptionGetter;
    const char* costGetter;
    const char* unitGetter;
};

const CostTypeNames kTypes[5] = {
    {"Material", "MAT", "", "", "getItemDescription", "getMaterialCostPriceInSchedulingCurrency",
     "getRequiredUnit"},
    {"Labor", "LAB", "getLabor", "setLabor", "getLaborDescription", "getLaborCostAmountInSchedulingCurrency",
     "getUnit"},
    {"Equipment", "EQP", "getEquipment", "setEquipment", "getEquipmentDescription",
     "getEquipmentCostAmountInSchedulingCurrency", "getTimeUnit"},
    {"Subcontracting", "SUB", "getSubcontracting", "setSubcontracting", "getSubcontractingDescription",
     "getSubcontractingCostAmountInSchedulingCurrency", "getRequiredUnit"},
    {"Sundry", "SUN", "getSundryCost", "setSundryCost", "getSundryDescription",
     "getSundryCostAmountInSchedulingCurrency", "getRequiredUnit"},
};

const CostTypeNames& NamesOf(int costType) {
    return kTypes[costType - 1];
}

std::string Word(int costType) {
    return NamesOf(costType).word;
}

using Names = std::vector<std::string>;
Names Maybe(const char* name) {
    return *name ? Names{name} : Names{};
}

EntityKind MakeKind(int t) {
    const CostTypeNames& n = NamesOf(t);
    Names none;
    Field quantity{"Quantity", "quantity", FieldType::Double, t == 2 ? Names{"getQuantity"} : none, none};
    Field required{"RequiredQuantity", "required_quantity", FieldType::Double,
                   t == 3 ? none : Names{"getRequiredQuantity"},
                   t == 3 ? none : Names{"setRequiredQuantity"}};
    Field duration{"Duration", "duration", FieldType::Double, t == 3 ? Names{"getDuration"} : none, none};
    Field requiredDuration{"RequiredDuration", "required_duration", FieldType::Double,
                           t == 3 ? Names{"getRequiredDuration"} : none,
                           t == 3 ? Names{"setRequiredDuration"} : none};
    return EntityKind{
        std::string("ActivityBudget.") + n.word + "BudgetLine",
        "budget_line",
        {
            {"ProjectID", "project_id", FieldType::Text, {"getProjectID"}, {"setProjectID"}, true},
            {"PlanID", "plan_id", FieldType::Text, {"getPlanID"}, {"setPlanID"}, true},
            {"ChargeElementID",
             "ce_id",
             FieldType::Text,
             {"getChargeElementID"},
             {"setChargeElementID"},
             true},
            {"SequenceNumber", "seq_no", FieldType::Long, {"getSequenceNumber"}, {"setSequenceNumber"}, true},
            {"CostType", "cost_type", FieldType::Long, none, none},
            {"CostObject", "cost_object", FieldType::Text, Maybe(n.costObjectGetter),
             Maybe(n.costObjectSetter)},
            {"CostObjectProject", "cost_object_project", FieldType::Text, none, none},
            {"ReferenceType", "reference_type", FieldType::Long, {"getReferenceTypeOfCostUnit"}, none},
            {"Employee", "employee", FieldType::Text, t == 2 ? Names{"getEmployee"} : none,
             t == 2 ? Names{"setEmployee"} : none},
            {"TradeGroup", "trade_group", FieldType::Text, t == 2 ? Names{"getTradeGroup"} : none,
             t == 2 ? Names{"setTradeGroup"} : none},
            {"Unit", "unit", FieldType::Text, {n.unitGetter}, t == 4 ? Names{"setRequiredUnit"} : none},
            quantity,
            required,
            {"NetQuantity", "net_quantity", FieldType::Double, none, none},
            duration,
            requiredDuration,
            {"CostAmount", "cost_amount", FieldType::Double, {n.costGetter}, none},
            {"Start", "start_ts", FieldType::Stamp, {"getRelatedStartDate"}, {"setRelatedStartDate"}},
            {"Finish", "finish_ts", FieldType::Stamp, {"getRelatedFinishDate"}, {"setRelatedFinishDate"}},
            {"ScheduleLink", "schedule_link", FieldType::Integer, {"getScheduleLink"}, {"setScheduleLink"}},
            {"ExternalSchedule",
             "external_schedule",
             FieldType::Text,
             {"getExternalSchedule"},
             {"setExternalSchedule"}},
            {"RefuseMessage", "refuse_message", FieldType::Text, none, none},
            // Not stored: answered from the cost object and the item code.
            {"Description", "", FieldType::Text, {n.descriptionGetter}, none},
            {"ItemCode", "", FieldType::Text, t == 1 ? Names{"getItem"} : none, none},
        }};
}

// The members a line has beyond its columns: the material item code, and the create quantity setters,
// which also fill the column the read path answers (a created line reads back what it was given).
void Equip(Entity& line, int t) {
    line.setExtra([t](Entity& e, std::string_view name, CallArgs& a, Variant& result) {
        auto both = [&](const char* physical, const char* required) {
            double q = a.Double(0);
            e.SetValue(physical, q);
            e.SetValue(required, q);
            result = Variant();
            return true;
        };
        if (t == 1 && NamesEqual(name, "setItem")) {
            std::string project, item;
            DecodeItemCode(a.String(0), project, item);
            e.SetValue("CostObject", item);
            e.SetValue("CostObjectProject", project);
            result = Variant();
            return true;
        }
        if (t == 1 && NamesEqual(name, "setNetQuantity")) return both("NetQuantity", "RequiredQuantity");
        if (t == 3 && NamesEqual(name, "setDuration")) return both("Duration", "RequiredDuration");
        if (t != 1 && t != 3 && NamesEqual(name, "setQuantity")) return both("Quantity", "RequiredQuantity");
        return false;
    });
}

std::string Trimmed(const Entity& e, const char* field) {
    return TrimBlanks(e.Text(field));
}

Variant CostObjectDescription(Database& db, int t, const std::string& owner, const std::string& code) {
    return db.Scalar("SELECT description FROM cost_object WHERE kind = ? AND trim(project_id, ' ') = ? AND "
                     "trim(code, ' ') = ?",
                     {NamesOf(t).costObjectKind, TrimBlanks(owner), TrimBlanks(code)});
}

// Lines of a cost type as stored, with their answered-only values filled in.
std::vector<EntityPtr> LoadLines(Database& db, int t, const std::string& where, std::vector<Variant> values,
                                 const std::string& origin) {
    values.emplace_back(t);
    std::string order =
        "(SELECT c.sort FROM charge_element c WHERE c.project_id = budget_line.project_id AND "
        "c.plan_id = budget_line.plan_id AND c.ce_id = budget_line.ce_id), ce_id, seq_no";
    auto lines = LoadEntities(db, BudgetLineKind(t), where + " AND cost_type = ?", values, order, origin);
    for (auto& line : lines) {
        Equip(*line, t);
        Variant description =
            CostObjectDescription(db, t, line->Text("CostObjectProject"), line->Text("CostObject"));
        line->SetValue("Description", description.IsEmpty() ? Variant(std::string()) : description);
        line->SetValue("ItemCode", EncodeItemCode(line->Text("CostObjectProject"), line->Text("CostObject")));
        line->ClearTouched();
    }
    return lines;
}

const char* kLineKeys = "trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ? AND trim(ce_id, ' ') = ?";

// The charge element as stored (keys may be padded), or a refusal.
std::vector<Variant> StoredChargeElement(Database& db, const std::string& project, const std::string& plan,
                                         const std::string& ce) {
    Statement st =
        db.Prepare("SELECT project_id, plan_id, ce_id FROM charge_element WHERE " + std::string(kLineKeys));
    st.BindAll({TrimBlanks(project), TrimBlanks(plan), TrimBlanks(ce)});
    if (!st.Step())
        throw Failure(failures::Refused, "The charge element " + TrimBlanks(ce) + " does not exist in plan " +
                                             TrimBlanks(plan) + " of project " + TrimBlanks(project) + ".");
    return {st.Value(0), st.Value(1), st.Value(2)};
}

// Checks the cost object a line names and fills where it belongs (standard, or the project's own);
// a refusal text, or "" when it is fine. A material line names its owner in the item code; for the other
// types a standard cost object comes first.
std::string ResolveCostObject(Database& db, int t, Entity& line, const std::string& project) {
    std::string code = Trimmed(line, "CostObject");
    std::string owner = Trimmed(line, "CostObjectProject");
    const std::string kind = NamesOf(t).costObjectKind;
    if (code.empty()) return "The budget line names no cost object.";
    if (!owner.empty() && owner != TrimBlanks(project))
        return "The cost object " + code + " belongs to another project.";
    auto exists = [&](const std::string& o) { return !CostObjectDescription(db, t, o, code).IsEmpty(); };
    if (owner.empty() && t != 1 && !exists("") && exists(TrimBlanks(project))) owner = TrimBlanks(project);
    if (!exists(owner)) return "There is no " + kind + " cost object " + code + ".";
    line.SetValue("CostObject", code);
    line.SetValue("CostObjectProject", owner);
    line.SetValue("ReferenceType", owner.empty() ? 2 : 1);
    return "";
}

std::string ResolvePerson(Database& db, Entity& line) {
    std::string employee = Trimmed(line, "Employee"), tradeGroup = Trimmed(line, "TradeGroup");
    if (!employee.empty() &&
        db.Scalar("SELECT 1 FROM employee WHERE trim(code, ' ') = ?", {employee}).IsEmpty())
        return "There is no employee " + employee + ".";
    if (!tradeGroup.empty() &&
        db.Scalar("SELECT 1 FROM trade_group WHERE trim(code, ' ') = ?", {tradeGroup}).IsEmpty())
        return "There is no trade group " + tradeGroup + ".";
    return "";
}

// An object that answers a few getters with fixed values.
class Answers : public StandInObject {
public:
    Answers(std::string className, std::string origin, std::vector<std::pair<std::string, Variant>> values)
        : StandInObject(std::move(className), std::move(origin)), values_(std::move(values)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg>) override {
        for (const auto& [n, v] : values_)
            if (NamesEqual(n, name)) return v;
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    std::vector<std::pair<std::string, Variant>> values_;
};

Object MakeAnswers(std::string className, std::string origin,
                   std::vector<std::pair<std::string, Variant>> v) {
    return Object(std::make_shared<Answers>(std::move(className), std::move(origin), std::move(v)));
}

class ErrorSeq : public StandInObject {
public:
    ErrorSeq(std::string origin, std::vector<Object> structs)
        : StandInObject("ActivityBudget.ActivityBudgetErrorSeq", std::move(origin)),
          structs_(std::move(structs)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg> args) override {
        if (NamesEqual(name, "sizeActivityBudgetErrorStruct")) return static_cast<int32_t>(structs_.size());
        if (NamesEqual(name, "getActivityBudgetErrorStructAt")) {
            CallArgs call(args, name);
            int32_t j = call.Long(0);
            if (j < 0 || static_cast<size_t>(j) >= structs_.size())
                throw Failure(failures::NoSuchElement,
                              "There is no error structure " + std::to_string(j) + ".");
            return Variant(structs_[static_cast<size_t>(j)]);
        }
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    std::vector<Object> structs_;
};

} // namespace

const EntityKind& BudgetLineKind(int costType) {
    static const EntityKind kinds[5] = {MakeKind(1), MakeKind(2), MakeKind(3), MakeKind(4), MakeKind(5)};
    if (costType < 1 || costType > 5) throw std::logic_error("no budget-line kind for this cost type");
    return kinds[costType - 1];
}

int CostTypeOf(const EntityKind& kind) {
    for (int t = 1; t <= 5; ++t)
        if (&kind == &BudgetLineKind(t)) return t;
    return 0;
}

EntityPtr NewBudgetLine(int costType) {
    const EntityKind& kind = BudgetLineKind(costType);
    auto line = std::make_shared<Entity>(kind, kind.className);
    Equip(*line, costType);
    line->setState(Entity::State::New);
    return line;
}

BudgetLineSeq::BudgetLineSeq(int costType)
    : StandInObject(std::string("ActivityBudget.") + Word(costType) + "BudgetLineSeq",
                    std::string("ActivityBudget.") + Word(costType) + "BudgetLineSeq"),
      costType_(costType) {}

Variant BudgetLineSeq::Answer(std::string_view name, CallKind, std::span<Arg> args) {
    CallArgs call(args, name);
    if (NamesEqual(name, "add" + Word(costType_) + "BudgetLine")) {
        auto line = call.ObjectAt(0).As<Entity>();
        if (!line || CostTypeOf(line->kind()) != costType_)
            throw Failure(failures::NotSupported,
                          className() + " takes only " + Word(costType_) + " budget lines.");
        lines_.push_back(line);
        return Variant();
    }
    if (NamesEqual(name, "size" + Word(costType_) + "Budgetline")) return static_cast<int32_t>(lines_.size());
    throw AutomationError(platform::automation::errors::NotSupported);
}

ActivityBudgetManager::ActivityBudgetManager() : Manager(progids::ActivityBudgetManager) {}

bool ActivityBudgetManager::AnswerOwn(std::string_view name, CallKind, std::span<Arg> args, Variant& result) {
    CallArgs a(args, name);
    if (NamesEqual(name, "releaseAll")) {
        iterated_.clear();
        ReleaseAll();
        result = Variant();
        return true;
    }
    if (NamesEqual(name, "getIterator")) {
        result =
            Variant(MakeEnumeration("ActivityBudget.BudgetLineIterator", progId(), AsObjects(iterated_)));
        return true;
    }
    for (int t = 1; t <= 5; ++t) {
        const std::string w = Word(t);
        if (NamesEqual(name, "list" + w + "BudgetLineForScheduling")) {
            std::string project = TrimBlanks(a.String(0)), plan = TrimBlanks(a.String(1));
            std::string node = TrimBlanks(a.String(2)), file = TrimBlanks(a.String(3));
            listedFile_[t] = file;
            PagedListNames pages{"ActivityBudget." + w + "BudgetLineSet",
                                 "get" + w + "BudgetLineListReference",
                                 "ActivityBudget." + w + "BudgetLineList", "size" + w + "Budgetline",
                                 "get" + w + "BudgetLineAt"};
            result = ServePage(
                pages, name, a,
                [&] {
                    Database& db = Db();
                    if (db.Scalar(
                              "SELECT 1 FROM plan WHERE trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ?",
                              {project, plan})
                            .IsEmpty())
                        throw Failure(failures::NotFound,
                                      "The plan " + plan + " of project " + project + " does not exist.");
                    // The node's subtree, parents before children.
                    std::set<std::string> subtree;
                    std::vector<std::pair<std::string, std::string>> elements;
                    Statement st =
                        db.Prepare("SELECT trim(ce_id, ' '), trim(parent_ce_id, ' ') FROM charge_element "
                                   "WHERE trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ?");
                    st.BindAll({project, plan});
                    while (st.Step())
                        elements.emplace_back(st.Text(0), st.Text(1));
                    if (!node.empty()) subtree.insert(node);
                    for (bool grew = true; grew && !node.empty();) {
                        grew = false;
                        for (const auto& [ce, parent] : elements)
                            if (subtree.count(parent) && subtree.insert(ce).second) grew = true;
                    }
                    auto lines = LoadLines(
                        db, t,
                        "trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ? AND schedule_link = ? "
                        "AND (trim(external_schedule, ' ') = '' OR trim(external_schedule, ' ') = ?)",
                        {project, plan, kWaiting, file}, progId());
                    std::vector<Object> out;
                    for (auto& line : lines)
                        if (node.empty() || subtree.count(Trimmed(*line, "ChargeElementID")))
                            out.emplace_back(line);
                    return out;
                },
                progId());
            return true;
        }
        if (NamesEqual(name, "addList" + w + "BudgetLine")) {
            auto lines =
                LoadLines(Db(), t,
                          std::string(kLineKeys) + " AND schedule_link = ? AND (trim(external_schedule, ' ') "
                                                   "= '' OR trim(external_schedule, ' ') = ?)",
                          {TrimBlanks(a.String(0)), TrimBlanks(a.String(1)), TrimBlanks(a.String(2)),
                           kWaiting, listedFile_[t]},
                          progId());
            Track(lines);
            iterated_.insert(iterated_.end(), lines.begin(), lines.end());
            result = Variant();
            return true;
        }
        // The lines linked to one plan file, whatever their charge element: what a plan that could not
        // record the numbers the backend gave it looks for on its next run.
        if (NamesEqual(name, "listLinked" + w + "BudgetLine")) {
            auto lines = LoadLines(Db(), t,
                                   "trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ? AND schedule_link = ? "
                                   "AND trim(external_schedule, ' ') = ?",
                                   {TrimBlanks(a.String(0)), TrimBlanks(a.String(1)), kLinked,
                                    TrimBlanks(a.String(2))},
                                   progId());
            result = Variant(MakeEnumeration("ActivityBudget.BudgetLineIterator", progId(), AsObjects(lines)));
            return true;
        }
        if (NamesEqual(name, "show" + w + "BudgetLineForScheduling")) {
            auto lines = LoadLines(Db(), t, std::string(kLineKeys) + " AND seq_no = ? AND schedule_link = ?",
                                   {TrimBlanks(a.String(0)), TrimBlanks(a.String(1)), TrimBlanks(a.String(2)),
                                    a.Long(3), kLinked},
                                   progId());
            Object line = lines.empty() ? Object() : Object(lines.front());
            Object reference = MakeAnswers("ActivityBudget." + w + "BudgetLineReference", progId(),
                                           {{"get" + w + "BudgetLine", Variant(line)}});
            result = Variant(MakeAnswers("ActivityBudget." + w + "BudgetLineResult", progId(),
                                         {{"get" + w + "BudgetLineReference", Variant(reference)}}));
            return true;
        }
        if (NamesEqual(name, "show" + w + "BudgetLine")) {
            std::string project = TrimBlanks(a.String(0)), plan = TrimBlanks(a.String(1)),
                        ce = TrimBlanks(a.String(2));
            int32_t seq = a.Long(3);
            auto lines = LoadLines(Db(), t, std::string(kLineKeys) + " AND seq_no = ?",
                                   {project, plan, ce, seq}, progId());
            if (lines.empty())
                throw Failure(failures::NotFound, "The " + w + " budget line " + std::to_string(seq) +
                                                      " of charge element " + ce + " does not exist.");
            Track(lines.front());
            result = Variant(Object(lines.front()));
            return true;
        }
        if (NamesEqual(name, "update" + w + "BudgetLineForScheduling")) {
            result = Update(t, a);
            return true;
        }
    }
    return false;
}

void ActivityBudgetManager::ApplyInsert(Database& db, Entity& line) {
    int t = CostTypeOf(line.kind());
    std::vector<Variant> keys =
        StoredChargeElement(db, line.Text("ProjectID"), line.Text("PlanID"), line.Text("ChargeElementID"));
    std::string refusal = ResolveCostObject(db, t, line, CStr(keys[0]));
    if (refusal.empty() && t == 2) refusal = ResolvePerson(db, line);
    if (!refusal.empty()) throw Failure(failures::Refused, refusal);
    if (!line.Touched("Unit") || line.Text("Unit").empty()) {
        Variant unit =
            db.Scalar("SELECT unit FROM cost_object WHERE kind = ? AND trim(project_id, ' ') = ? AND "
                      "trim(code, ' ') = ?",
                      {NamesOf(t).costObjectKind, line.Text("CostObjectProject"), line.Text("CostObject")});
        line.SetValue("Unit", unit.IsEmpty() ? Variant(std::string()) : unit);
    }
    // Sequence numbers are unique within the charge element, over all cost types.
    Variant last = db.Scalar(
        "SELECT max(seq_no) FROM budget_line WHERE project_id = ? AND plan_id = ? AND ce_id = ?", keys);
    line.SetValue("ProjectID", keys[0]);
    line.SetValue("PlanID", keys[1]);
    line.SetValue("ChargeElementID", keys[2]);
    line.SetValue("SequenceNumber", (last.IsEmpty() ? 0 : CLng(last)) + 1);
    line.SetValue("CostType", t);
    Variant description =
        CostObjectDescription(db, t, line.Text("CostObjectProject"), line.Text("CostObject"));
    line.SetValue("Description", description.IsEmpty() ? Variant(std::string()) : description);
    line.SetValue("ItemCode", EncodeItemCode(line.Text("CostObjectProject"), line.Text("CostObject")));
    InsertEntity(db, line);
}

// One call per cost type; the sequence names the scope (project, plan and plan file of its lines; a
// line without a sequence number only names the scope):
// - a sent line that is linked to the plan takes the values whose setters were called (quantities only
//   when the library sent them);
// - a sent line that is gone or no longer linked answers return value 1, so that the plan detaches it;
// - a line the backend refuses (its refusal text, an unknown cost object, employee or trade group)
//   answers return value 2 with the reason, and keeps its values;
// - a line linked to the plan file that was not sent is deleted when deleteBL is 1, else unlinked (link 1,
//   no file), so that neither side keeps a link the other has dropped.
// The whole call is one transaction.
Variant ActivityBudgetManager::Update(int t, CallArgs& a) {
    auto seq = a.ObjectAt(0).As<BudgetLineSeq>();
    if (!seq || seq->costType() != t)
        throw Failure(failures::NotSupported, "update" + Word(t) + "BudgetLineForScheduling takes a " +
                                                  Word(t) + " budget-line sequence.");
    int32_t deleteBL = a.Long(1);
    std::vector<Object> structs;
    auto report = [&](int32_t value, const std::string& project, const std::string& plan,
                      const std::string& ce, int32_t seqNo, const std::string& message) {
        structs.push_back(MakeAnswers("ActivityBudget.ActivityBudgetErrorStruct", progId(),
                                      {{"getReturnValue", Variant(value)},
                                       {"getProjectID", Variant(project)},
                                       {"getPlanID", Variant(plan)},
                                       {"getChargeElementID", Variant(ce)},
                                       {"getSequenceNumber", Variant(seqNo)},
                                       {"getmessage", Variant(message)}}));
    };
    Database& db = Db();
    Database::Transaction tx(db);
    std::string project, plan, file;
    bool scoped = false;
    std::set<std::pair<std::string, int32_t>> sent;
    for (const auto& line : seq->lines()) {
        if (!scoped) {
            project = Trimmed(*line, "ProjectID");
            plan = Trimmed(*line, "PlanID");
            file = Trimmed(*line, "ExternalSchedule");
            scoped = true;
        }
        if (!line->Touched("SequenceNumber")) continue;
        std::string ce = Trimmed(*line, "ChargeElementID");
        int32_t seqNo = line->Value("SequenceNumber").IsEmpty() ? 0 : CLng(line->Value("SequenceNumber"));
        sent.insert({ce, seqNo});
        auto found = LoadLines(db, t, std::string(kLineKeys) + " AND seq_no = ?", {project, plan, ce, seqNo},
                               progId());
        if (found.empty() || CLng(found.front()->Value("ScheduleLink")) != kLinked) {
            report(1, project, plan, ce, seqNo, "The budget line is no longer linked to the plan.");
            continue;
        }
        Entity& stored = *found.front();
        std::string refusal = stored.Text("RefuseMessage");
        if (refusal.empty() && (line->Touched("CostObject") || line->Touched("CostObjectProject")))
            refusal = ResolveCostObject(db, t, *line, project);
        if (refusal.empty() && t == 2) refusal = ResolvePerson(db, *line);
        if (!refusal.empty()) {
            report(2, project, plan, ce, seqNo, refusal);
            continue;
        }
        for (const auto& f : line->kind().fields)
            if (!f.column.empty() && !f.key && line->Touched(f.name) && f.name != "ScheduleLink")
                stored.SetValue(f.name, line->Value(f.name));
        // A labor line has an employee or a trade group, not both.
        if (line->Touched("Employee") && !line->Touched("TradeGroup"))
            stored.SetValue("TradeGroup", std::string());
        if (line->Touched("TradeGroup") && !line->Touched("Employee"))
            stored.SetValue("Employee", std::string());
        UpdateEntity(db, stored);
    }
    if (scoped) {
        auto linked =
            LoadLines(db, t,
                      "trim(project_id, ' ') = ? AND trim(plan_id, ' ') = ? AND schedule_link = ? AND "
                      "trim(external_schedule, ' ') = ?",
                      {project, plan, kLinked, file}, progId());
        for (auto& line : linked) {
            if (sent.count({Trimmed(*line, "ChargeElementID"), CLng(line->Value("SequenceNumber"))}))
                continue;
            if (deleteBL == 1) {
                DeleteEntity(db, *line);
            } else {
                line->SetValue("ScheduleLink", kNoLink);
                line->SetValue("ExternalSchedule", std::string());
                UpdateEntity(db, *line);
            }
        }
    }
    tx.Commit();
    Object errors(std::make_shared<ErrorSeq>(progId(), std::move(structs)));
    return Variant(MakeAnswers("ActivityBudget.ActivityBudgetUpdateResult", progId(),
                               {{"getActivityBudgetErrorSeq", Variant(errors)}}));
}

} // namespace platform::middleware
