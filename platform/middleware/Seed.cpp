#include "platform/middleware/Seed.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "platform/automation/Date.h"

namespace platform::middleware {

using platform::automation::CLng;
using platform::automation::Variant;
using Json = nlohmann::json;

namespace {

// Reads one JSON object of the seed, keeping the path for messages and refusing unknown keys.
class Reader {
public:
    // `source` names the file the document was read from ("" when it came from elsewhere).
    Reader(const Json& j, std::string path, std::string source = {})
        : j_(j), path_(std::move(path)), source_(std::move(source)) {
        if (!j.is_object()) Fail("must be an object");
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw SeedError((source_.empty() ? "" : source_ + ": ") +
                        (path_.empty() ? (source_.empty() ? std::string("seed: ") : std::string()) : path_ + ": ") +
                        what);
    }
    std::string PathOf(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }

    bool Has(const char* key) const { return j_.contains(key) && !j_.at(key).is_null(); }

    const Json* Get(const char* key) {
        used_.insert(key);
        if (!Has(key)) return nullptr;
        return &j_.at(key);
    }

    std::string Text(const char* key, std::string fallback = {}) {
        const Json* v = Get(key);
        if (!v) return fallback;
        if (v->is_string()) return v->get<std::string>();
        if (v->is_number_integer()) return std::to_string(v->get<int64_t>());
        Fail(std::string(key) + " must be a text");
    }
    std::string RequiredText(const char* key) {
        if (!Has(key)) Fail(std::string(key) + " is missing");
        return Text(key);
    }
    int64_t Int(const char* key, int64_t fallback) {
        const Json* v = Get(key);
        if (!v) return fallback;
        if (v->is_boolean()) return v->get<bool>() ? 1 : 0;
        // Every whole number of a seed is stored in 32 bits.
        if (!v->is_number_integer() || (v->is_number_unsigned() && v->get<uint64_t>() > INT32_MAX) ||
            v->get<int64_t>() < INT32_MIN || v->get<int64_t>() > INT32_MAX)
            Fail(std::string(key) + " must be a whole number from -2147483648 to 2147483647");
        return v->get<int64_t>();
    }
    // An optional number: Empty when the key is absent (the backend then has no value).
    Variant OptionalInt(const char* key) {
        if (!Has(key)) {
            used_.insert(key);
            return Variant();
        }
        return Variant(static_cast<int32_t>(Int(key, 0)));
    }
    double Real(const char* key, double fallback) {
        const Json* v = Get(key);
        if (!v) return fallback;
        if (!v->is_number()) Fail(std::string(key) + " must be a number");
        return v->get<double>();
    }
    // A quantity or duration of a budget line, as the ERP holds one (kLargestQuantity).
    double Quantity(const char* key) {
        const double value = Real(key, 0);
        if (!(value >= 0 && value < kLargestQuantity))
            Fail(std::string(key) + " must be a number of 0 or more, below 1000000000000000");
        return value;
    }
    // An amount of money: below kLargestQuantity either way (a credit is negative).
    double Amount(const char* key) {
        const double value = Real(key, 0);
        if (!(value > -kLargestQuantity && value < kLargestQuantity))
            Fail(std::string(key) + " must be a number above -1000000000000000 and below 1000000000000000");
        return value;
    }
    double Percent(const char* key) {
        const double value = Real(key, 0);
        if (!(value >= 0 && value <= 100)) Fail(std::string(key) + " must be a percentage from 0 to 100");
        return value;
    }
    // "YYYY-MM-DD[ hh:mm[:ss]]" (or a 14-digit stamp) as a stamp; Empty when absent or "".
    Variant Stamp(const char* key) {
        std::string text = Text(key);
        if (text.empty()) return Variant();
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        char tail = 0;
        bool ok = false;
        if (text.size() == 14 && text.find_first_not_of("0123456789") == std::string::npos)
            ok = std::sscanf(text.c_str(), "%4d%2d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi, &s) == 6;
        else if (text.size() == 10)
            ok = std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) == 3;
        else if (text.size() == 16)
            ok = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) == 5;
        else if (text.size() == 19)
            ok = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) == 6;
        if (!ok || !ValidDate(y, mo, d) || h > 24 || mi > 59 || s > 59 || (h == 24 && (mi || s)))
            Fail(std::string(key) + " is no time: \"" + text + "\"");
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
        return Variant(std::string(buf));
    }
    std::string IsoDate(const char* key) {
        std::string text = Text(key);
        if (text.empty()) return text;
        int y = 0, mo = 0, d = 0;
        char tail = 0;
        if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) != 3 ||
            !ValidDate(y, mo, d))
            Fail(std::string(key) + " is no date (YYYY-MM-DD): \"" + text + "\"");
        return text;
    }
    // A list of objects, each read by `each(reader, index)`.
    template <class F> void List(const char* key, F each) {
        const Json* v = Get(key);
        if (!v) return;
        if (!v->is_array()) Fail(std::string(key) + " must be a list");
        for (size_t i = 0; i < v->size(); ++i) {
            Reader item(v->at(i), PathOf(key) + "[" + std::to_string(i) + "]", source_);
            each(item, static_cast<int32_t>(i));
            item.Done();
        }
    }
    void Done() const {
        for (const auto& [key, value] : j_.items())
            if (!used_.count(key)) Fail("unknown key \"" + key + "\"");
    }

private:
    static bool ValidDate(int y, int m, int d) {
        if (y < 1000 || m < 1 || m > 12 || d < 1) return false;
        return platform::automation::Date::FromParts(y, m, d).Month() == m;
    }
    const Json& j_;
    std::string path_;
    std::string source_;
    std::set<std::string> used_;
};

std::string CostObjectKind(int costType) {
    switch (costType) {
    case 1: return "MAT";
    case 2: return "LAB";
    case 3: return "EQP";
    case 4: return "SUB";
    case 5: return "SUN";
    }
    return "";
}

bool Exists(Database& db, const std::string& sql, const std::vector<Variant>& values) {
    return !db.Scalar(sql, values).IsEmpty();
}

void CostObjects(Database& db, Reader& r, const char* key, const std::string& project) {
    r.List(key, [&](Reader& c, int32_t i) {
        std::string kind = c.RequiredText("kind");
        static const std::set<std::string> kinds = {"MAT", "LAB", "SUB", "SUN", "EQP"};
        if (!kinds.count(kind)) c.Fail("kind must be one of MAT LAB SUB SUN EQP");
        db.Run("INSERT INTO cost_object(kind, project_id, code, description, unit, cost_price, cost_rate, "
               "calendar, available_units, sort) VALUES (?,?,?,?,?,?,?,?,?,?)",
               {kind, project, c.RequiredText("code"), c.Text("description"), c.Text("unit"),
                c.Real("costPrice", 0), c.Real("costRate", 0), c.Text("calendar"),
                c.Real("availableUnits", 0), i});
    });
}

void ChargeElements(Database& db, Reader& plan, const std::string& project, const std::string& planId,
                    std::string& firstRoot) {
    std::set<std::string> seen;
    plan.List("chargeElements", [&](Reader& c, int32_t i) {
        std::string id = c.RequiredText("id");
        std::string bare = id.substr(0, id.find_last_not_of(' ') + 1);
        if (bare.empty() || bare.size() > 8 || id.find_first_of("._") != std::string::npos)
            c.Fail("a charge element id has 1 to 8 characters and no \".\" or \"_\"");
        int64_t type = c.Int("type", 0);
        if (type < 1 || type > 5) c.Fail("type must be 1 to 5");
        std::string parent = c.Text("parent"), linked = c.Text("linked");
        if (!parent.empty() && !seen.count(parent)) c.Fail("the parent " + parent + " must come before it");
        if (!linked.empty() && !seen.count(linked))
            c.Fail("the linked element " + linked + " must come before it");
        if (parent.empty() && firstRoot.empty()) firstRoot = id;
        seen.insert(id);
        db.Run("INSERT INTO charge_element(project_id, plan_id, ce_id, description, ce_type, parent_ce_id, "
               "linked_ce_id, obs_element_id, connectable, sched_start_ts, sched_finish_ts, actual_start_ts, "
               "actual_finish_ts, percent_complete, derived_from_sce, ev_as_milestone, has_costs, sort) "
               "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
               {project, planId, id, c.Text("description"), static_cast<int32_t>(type), parent, linked,
                c.Text("obs"), static_cast<int32_t>(c.Int("connectable", 1)), c.Stamp("start"),
                c.Stamp("finish"), c.Stamp("actualStart"), c.Stamp("actualFinish"),
                c.Percent("percentComplete"), c.Text("derivedFrom"),
                static_cast<int32_t>(c.Int("evAsMilestone", 0)), static_cast<int32_t>(c.Int("hasCosts", 0)),
                i});
    });
}

void BudgetLines(Database& db, Reader& plan, const std::string& project, const std::string& planId) {
    std::map<std::string, int32_t> lastSeq;
    plan.List("budgetLines", [&](Reader& b, int32_t) {
        std::string ce = b.RequiredText("chargeElement");
        if (!Exists(db, "SELECT 1 FROM charge_element WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                    {project, planId, ce}))
            b.Fail("the charge element " + ce + " is not in the plan");
        int costType = static_cast<int>(b.Int("costType", 0));
        std::string kind = CostObjectKind(costType);
        if (kind.empty()) b.Fail("costType must be 1 to 5");
        int32_t seq = static_cast<int32_t>(b.Int("seq", lastSeq[ce] + 1));
        lastSeq[ce] = std::max(lastSeq[ce], seq);
        std::string code = b.RequiredText("costObject");
        std::string owner = b.Text("costObjectProject");
        if (!owner.empty() && owner != project) b.Fail("costObjectProject must be the line's own project");
        Variant unit =
            db.Scalar("SELECT unit FROM cost_object WHERE kind = ? AND project_id = ? AND code = ?",
                      {kind, owner, code});
        if (unit.IsEmpty()) b.Fail("there is no " + kind + " cost object " + code);
        std::string employee = b.Text("employee"), tradeGroup = b.Text("tradeGroup");
        if (!employee.empty() && !Exists(db, "SELECT 1 FROM employee WHERE code = ?", {employee}))
            b.Fail("there is no employee " + employee);
        if (!tradeGroup.empty() && !Exists(db, "SELECT 1 FROM trade_group WHERE code = ?", {tradeGroup}))
            b.Fail("there is no trade group " + tradeGroup);
        int64_t link = b.Int("scheduleLink", 2);
        if (link < 1 || link > 3) b.Fail("scheduleLink must be 1 (no link), 2 (waiting) or 3 (linked)");
        db.Run(
            "INSERT INTO budget_line(project_id, plan_id, ce_id, cost_type, seq_no, cost_object, "
            "cost_object_project, reference_type, employee, trade_group, unit, quantity, required_quantity, "
            "net_quantity, duration, required_duration, cost_amount, start_ts, finish_ts, schedule_link, "
            "external_schedule, refuse_message) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            {project,
             planId,
             ce,
             costType,
             seq,
             code,
             owner,
             owner.empty() ? 2 : 1,
             employee,
             tradeGroup,
             b.Text("unit", platform::automation::CStr(unit)),
             b.Quantity("quantity"),
             b.Quantity("requiredQuantity"),
             b.Quantity("netQuantity"),
             b.Quantity("duration"),
             b.Quantity("requiredDuration"),
             b.Amount("costAmount"),
             b.Stamp("start"),
             b.Stamp("finish"),
             static_cast<int32_t>(link),
             b.Text("externalSchedule"),
             b.Text("refuseMessage")});
    });
}

void Projects(Database& db, Reader& seed, int32_t company, SeedResult& result) {
    seed.List("projects", [&](Reader& p, int32_t i) {
        std::string id = p.RequiredText("id");
        if (id.find_first_of(".#") != std::string::npos) p.Fail("a project id has no \".\" or \"#\"");
        if (company == 0) p.Fail("projects need a company");
        std::string leading = p.Text("leadingPlan");
        const Variant start = p.Stamp("start"), finish = p.Stamp("finish");
        // Stamps of fixed width compare as their texts do.
        if (!start.IsEmpty() && !finish.IsEmpty() && platform::automation::CStr(start) > platform::automation::CStr(finish))
            p.Fail("the project " + id + " starts (" + p.Text("start") + ") after it finishes (" + p.Text("finish") +
                   ")");
        db.Run("INSERT INTO project(project_id, company_number, description, start_ts, finish_ts, "
               "leading_plan_id, "
               "obs_id, budget_type_pb, budget_type_pc, sort) VALUES (?,?,?,?,?,?,?,?,?,?)",
               {id, company, p.Text("description"), p.Stamp("start"), p.Stamp("finish"), leading,
                p.Text("obs"), static_cast<int32_t>(p.Int("budgetTypeProjectBudget", 1)),
                static_cast<int32_t>(p.Int("budgetTypeProjectControl", 1)), i});
        ++result.projects;
        CostObjects(db, p, "costObjects", id);
        p.List("baselines", [&](Reader& b, int32_t) {
            int64_t status = b.Int("status", 1);
            if (status != 1 && status != 2) b.Fail("status must be 1 (free) or 2 (approved)");
            db.Run("INSERT INTO baseline(project_id, baseline_id, description, status, derived_from, "
                   "changed_ts) "
                   "VALUES (?,?,?,?,?,?)",
                   {id, static_cast<int32_t>(b.Int("id", 0)), b.Text("description"),
                    static_cast<int32_t>(status), static_cast<int32_t>(b.Int("derivedFrom", 0)),
                    b.Stamp("changed")});
        });
        std::string firstPlan;
        p.List("plans", [&](Reader& plan, int32_t j) {
            std::string planId = plan.RequiredText("id");
            if (firstPlan.empty()) firstPlan = planId;
            std::string top = plan.Text("topChargeElement");
            db.Run("INSERT INTO plan(project_id, plan_id, description, top_ce_id, sort) VALUES (?,?,?,?,?)",
                   {id, planId, plan.Text("description"), top, j});
            std::string firstRoot;
            ChargeElements(db, plan, id, planId, firstRoot);
            if (top.empty() && !firstRoot.empty())
                db.Run("UPDATE plan SET top_ce_id = ? WHERE project_id = ? AND plan_id = ?",
                       {firstRoot, id, planId});
            BudgetLines(db, plan, id, planId);
            plan.List("links", [&](Reader& l, int32_t) {
                db.Run("INSERT INTO external_schedule_link(project_id, plan_id, ce_id, ownership, "
                       "external_schedule) "
                       "VALUES (?,?,?,?,?)",
                       {id, planId, l.Text("node"), static_cast<int32_t>(l.Int("ownership", 0)),
                        l.RequiredText("externalSchedule")});
            });
        });
        if (leading.empty() && !firstPlan.empty())
            db.Run("UPDATE project SET leading_plan_id = ? WHERE project_id = ?", {firstPlan, id});
    });
}

void Calendars(Database& db, Reader& seed) {
    seed.List("standardWeeks", [&](Reader& w, int32_t) {
        std::string type = w.Text("availabilityType");
        w.List("lines", [&](Reader& l, int32_t n) {
            std::string day = l.RequiredText("day");
            if (day.size() != 1 || day[0] < '1' || day[0] > '7')
                l.Fail("day must be \"1\" (Sunday) to \"7\"");
            db.Run("INSERT INTO standard_calendar_line(availability_type, line_no, day_name, start_time, "
                   "end_time) "
                   "VALUES (?,?,?,?,?)",
                   {type, n + 1, day, static_cast<int32_t>(l.Int("start", 0)),
                    static_cast<int32_t>(l.Int("end", 0))});
        });
    });
    std::set<std::string> seen;
    seed.List("calendars", [&](Reader& c, int32_t i) {
        std::string code = c.RequiredText("code"), type = c.Text("availabilityType"),
                    parent = c.Text("parent");
        if (!parent.empty() && !seen.count(parent))
            c.Fail("the parent calendar " + parent + " must come before it");
        seen.insert(code);
        db.Run("INSERT INTO calendar(code, availability_type, start_date, end_date, parent_code, sort) "
               "VALUES (?,?,?,?,?,?)",
               {code, type, c.IsoDate("start"), c.IsoDate("end"), parent, i});
        c.List("exceptions", [&](Reader& e, int32_t n) {
            db.Run("INSERT INTO calendar_exception_line(calendar_code, availability_type, line_no, date, "
                   "start_time, "
                   "end_time, working) VALUES (?,?,?,?,?,?,?)",
                   {code, type, n + 1, e.IsoDate("date"), static_cast<int32_t>(e.Int("start", 0)),
                    static_cast<int32_t>(e.Int("end", 0)), static_cast<int32_t>(e.Int("working", 0))});
        });
        c.List("actualLines", [&](Reader& a, int32_t n) {
            db.Run("INSERT INTO actual_calendar_line(calendar_code, availability_type, line_no, "
                   "line_availability_type, "
                   "start_date, end_date, start_time, end_time) VALUES (?,?,?,?,?,?,?,?)",
                   {code, type, n + 1, a.Text("availabilityType"), a.IsoDate("start"), a.IsoDate("end"),
                    static_cast<int32_t>(a.Int("startTime", 0)), static_cast<int32_t>(a.Int("endTime", 0))});
        });
    });
}

} // namespace

SeedResult LoadSeed(Database& db, const Json& seed, const std::string& source) {
    SeedResult result;
    Reader r(seed, "", source);
    if (r.Has("seed") && r.Text("seed") != "kova-erp") r.Fail("this is no kova-erp seed");
    r.Get("seed");
    if (r.Int("version", 1) != 1) r.Fail("only version 1 of the seed format is known");
    try {
        Database::Transaction tx(db);
        if (r.Has("release")) db.Run("UPDATE erp_release SET release_id = ?", {r.Text("release")});
        r.Get("release");
        if (const Json* company = r.Get("company")) {
            Reader c(*company, "company", source);
            result.companyNumber = static_cast<int32_t>(c.Int("number", 0));
            if (result.companyNumber == 0) c.Fail("number is missing");
            db.Run("INSERT INTO company(company_number, name) VALUES (?, ?)",
                   {result.companyNumber, c.Text("name")});
            c.Done();
        }
        if (const Json* params = r.Get("planningParameters")) {
            Reader p(*params, "planningParameters", source);
            if (result.companyNumber == 0) p.Fail("planning parameters need a company");
            db.Run(
                "INSERT INTO planning_parameters(company_number, transfer_equipment, transfer_trade_groups, "
                "transfer_employees, transfer_labor, transfer_subcontracting, transfer_sundry, "
                "transfer_material, "
                "date_type_for_scheduling, currency, default_availability_type) VALUES "
                "(?,?,?,?,?,?,?,?,?,?,?)",
                {result.companyNumber, p.OptionalInt("transferEquipment"),
                 p.OptionalInt("transferTradeGroups"), p.OptionalInt("transferEmployees"),
                 p.OptionalInt("transferLabor"), p.OptionalInt("transferSubcontracting"),
                 p.OptionalInt("transferSundry"), p.OptionalInt("transferMaterial"),
                 p.OptionalInt("dateTypeForScheduling"), p.Text("currency"),
                 p.Text("defaultAvailabilityType")});
            p.Done();
        }
        r.List("availabilityTypes", [&](Reader& a, int32_t i) {
            db.Run("INSERT INTO availability_type(code, description, sort) VALUES (?,?,?)",
                   {a.RequiredText("code"), a.Text("description"), i});
        });
        std::set<std::string> obsSeen;
        r.List("obs", [&](Reader& o, int32_t i) {
            std::string id = o.RequiredText("id"), parent = o.Text("parent");
            if (!parent.empty() && !obsSeen.count(parent))
                o.Fail("the parent " + parent + " must come before it");
            obsSeen.insert(id);
            db.Run("INSERT INTO obs_element(element_id, parent_id, description, sort) VALUES (?,?,?,?)",
                   {id, parent, o.Text("description"), i});
        });
        r.List("standardChargeElements", [&](Reader& s, int32_t i) {
            db.Run("INSERT INTO standard_charge_element(code, description, ce_type, sort) VALUES (?,?,?,?)",
                   {s.RequiredText("code"), s.Text("description"), s.Text("type"), i});
        });
        CostObjects(db, r, "costObjects", "");
        r.List("employees", [&](Reader& e, int32_t i) {
            db.Run("INSERT INTO employee(code, name, department, calendar_code, email, sort) VALUES "
                   "(?,?,?,?,?,?)",
                   {e.RequiredText("code"), e.Text("name"), e.Text("department"), e.Text("calendar"),
                    e.Text("email"), i});
        });
        r.List("tradeGroups", [&](Reader& t, int32_t i) {
            db.Run(
                "INSERT INTO trade_group(code, description, calendar, cost_rate, number_of_employees, sort) "
                "VALUES (?,?,?,?,?,?)",
                {t.RequiredText("code"), t.Text("description"), t.Text("calendar"), t.Real("costRate", 0),
                 t.Real("numberOfEmployees", 0), i});
        });
        Calendars(db, r);
        Projects(db, r, result.companyNumber, result);
        r.Done();
        tx.Commit();
    } catch (const DatabaseError& e) {
        throw SeedError((source.empty() ? "" : source + ": ") + "the backend refused the seed: " + e.what());
    }
    return result;
}

namespace {

Json ReadJsonFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw SeedError("cannot read " + file.string());
    try {
        return Json::parse(in);
    } catch (const Json::exception& e) {
        throw SeedError(file.string() + ": " + e.what());
    }
}

bool ElementExists(Database& db, const std::string& project, const std::string& plan, const std::string& id) {
    return Exists(db, "SELECT 1 FROM charge_element WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                  {project, plan, id});
}

// The element and every element below it (by parent, or a milestone by the element it is linked to).
std::vector<std::string> SubtreeOf(Database& db, const std::string& project, const std::string& plan,
                                   const std::string& id) {
    std::vector<std::string> out{id};
    for (size_t i = 0; i < out.size(); ++i) {
        Statement st = db.Prepare("SELECT ce_id FROM charge_element WHERE project_id = ? AND plan_id = ? AND "
                                  "(parent_ce_id = ? OR linked_ce_id = ?) ORDER BY sort, ce_id");
        st.Bind(1, project);
        st.Bind(2, plan);
        st.Bind(3, out[i]);
        st.Bind(4, out[i]);
        while (st.Step())
            if (std::find(out.begin(), out.end(), st.Text(0)) == out.end()) out.push_back(st.Text(0));
    }
    return out;
}

// The fields a change may set, as column and value; only the keys present.
std::vector<std::pair<std::string, Variant>> ElementFields(Database& db, Reader& c, const std::string& project,
                                                           const std::string& plan, const std::string& id) {
    std::vector<std::pair<std::string, Variant>> fields;
    if (c.Has("description")) fields.emplace_back("description", c.Text("description"));
    if (c.Has("type")) {
        int64_t type = c.Int("type", 0);
        if (type < 1 || type > 5) c.Fail("type must be 1 to 5");
        fields.emplace_back("ce_type", static_cast<int32_t>(type));
    }
    for (const char* key : {"parent", "linked"}) {
        if (!c.Has(key)) continue;
        std::string other = c.Text(key);
        if (!other.empty() && !ElementExists(db, project, plan, other))
            c.Fail(std::string("there is no element ") + other + " for " + key);
        if (!id.empty()) {
            std::vector<std::string> below = SubtreeOf(db, project, plan, id);
            if (std::find(below.begin(), below.end(), other) != below.end())
                c.Fail(std::string(key) + " " + other + " lies below " + id);
        }
        fields.emplace_back(std::string(key) == "parent" ? "parent_ce_id" : "linked_ce_id", other);
    }
    if (c.Has("obs")) fields.emplace_back("obs_element_id", c.Text("obs"));
    if (c.Has("connectable")) fields.emplace_back("connectable", static_cast<int32_t>(c.Int("connectable", 1)));
    if (c.Has("start")) fields.emplace_back("sched_start_ts", c.Stamp("start"));
    if (c.Has("finish")) fields.emplace_back("sched_finish_ts", c.Stamp("finish"));
    if (c.Has("actualStart")) fields.emplace_back("actual_start_ts", c.Stamp("actualStart"));
    if (c.Has("actualFinish")) fields.emplace_back("actual_finish_ts", c.Stamp("actualFinish"));
    if (c.Has("percentComplete")) fields.emplace_back("percent_complete", c.Percent("percentComplete"));
    return fields;
}

std::string ApplyChange(Database& db, Reader& c, const std::string& project, const std::string& plan) {
    const std::string op = c.RequiredText("op");
    if (op == "ownership") {
        std::string node = c.Text("node");
        int64_t ownership = c.Int("ownership", -1);
        if (ownership < 0 || ownership > 4) c.Fail("ownership must be 0 to 4");
        if (db.Run("UPDATE external_schedule_link SET ownership = ? WHERE project_id = ? AND plan_id = ? AND "
                   "ce_id = ?",
                   {static_cast<int32_t>(ownership), project, plan, node}) == 0)
            c.Fail("there is no schedule link of node \"" + node + "\"");
        return "ownership of the link of " + (node.empty() ? std::string("the plan") : node) + " set to " +
               std::to_string(ownership);
    }
    if (op == "changeLine" || op == "removeLine") {
        // One budget line of an element, by its sequence number.
        const std::string ce = c.RequiredText("ce");
        const int32_t seq = static_cast<int32_t>(c.Int("line", 0));
        const std::string line = ce + " line " + std::to_string(seq);
        const std::vector<Variant> keys{project, plan, ce, seq};
        const char* where = " WHERE project_id = ? AND plan_id = ? AND ce_id = ? AND seq_no = ?";
        if (!Exists(db, std::string("SELECT 1 FROM budget_line") + where, keys)) c.Fail("there is no budget line " + line);
        if (op == "removeLine") {
            db.Run(std::string("DELETE FROM budget_line") + where, keys);
            return "removed " + line;
        }
        std::vector<std::pair<std::string, Variant>> fields;
        for (const auto& [key, column] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"quantity", "quantity"}, {"requiredQuantity", "required_quantity"},
                 {"netQuantity", "net_quantity"}, {"duration", "duration"},
                 {"requiredDuration", "required_duration"}, {"costAmount", "cost_amount"}})
            if (c.Has(key))
                fields.emplace_back(column, std::string(column) == "cost_amount" ? c.Amount(key) : c.Quantity(key));
        if (c.Has("unit")) fields.emplace_back("unit", c.Text("unit"));
        if (c.Has("start")) fields.emplace_back("start_ts", c.Stamp("start"));
        if (c.Has("finish")) fields.emplace_back("finish_ts", c.Stamp("finish"));
        if (fields.empty()) c.Fail("the change sets nothing");
        std::string names;
        for (const auto& [column, value] : fields) {
            std::vector<Variant> values{value};
            values.insert(values.end(), keys.begin(), keys.end());
            db.Run("UPDATE budget_line SET " + column + " = ?" + where, values);
            names += (names.empty() ? "" : ", ") + column;
        }
        return "changed " + line + " (" + names + ")";
    }
    const std::string id = c.RequiredText("id");
    if (op == "add") {
        if (id.empty() || id.size() > 8 || id.find_first_of("._ ") != std::string::npos)
            c.Fail("a charge element id has 1 to 8 characters and no \".\", \"_\" or blank");
        if (ElementExists(db, project, plan, id)) c.Fail("the element " + id + " exists already");
        if (!c.Has("type")) c.Fail("type is missing");
        int32_t sort = CLng(db.Scalar(
            "SELECT COALESCE(MAX(sort), 0) + 1 FROM charge_element WHERE project_id = ? AND plan_id = ?",
            {project, plan}));
        db.Run("INSERT INTO charge_element(project_id, plan_id, ce_id, ce_type, sort) VALUES (?,?,?,1,?)",
               {project, plan, id, sort});
        for (const auto& [column, value] : ElementFields(db, c, project, plan, ""))
            db.Run("UPDATE charge_element SET " + column + " = ? WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                   {value, project, plan, id});
        return "added " + id;
    }
    if (!ElementExists(db, project, plan, id)) c.Fail("there is no element " + id);
    if (op == "remove") {
        std::vector<std::string> gone = SubtreeOf(db, project, plan, id);
        for (const std::string& e : gone) {
            db.Run("DELETE FROM budget_line WHERE project_id = ? AND plan_id = ? AND ce_id = ?", {project, plan, e});
            db.Run("DELETE FROM charge_element WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                   {project, plan, e});
        }
        return "removed " + id + " (" + std::to_string(gone.size()) + (gone.size() == 1 ? " element)" : " elements)");
    }
    if (op == "change") {
        auto fields = ElementFields(db, c, project, plan, id);
        if (fields.empty()) c.Fail("the change sets nothing");
        std::string names;
        for (const auto& [column, value] : fields) {
            db.Run("UPDATE charge_element SET " + column + " = ? WHERE project_id = ? AND plan_id = ? AND ce_id = ?",
                   {value, project, plan, id});
            names += (names.empty() ? "" : ", ") + column;
        }
        return "changed " + id + " (" + names + ")";
    }
    c.Fail("op must be add, remove, change, ownership, changeLine or removeLine");
}

} // namespace

SeedResult LoadSeedFile(Database& db, const std::filesystem::path& file) {
    Json seed = ReadJsonFile(file);
    // A seed file is written to fill a backend: one without anything in it is a mistake.
    if (seed.is_object() && seed.empty()) throw SeedError(file.string() + ": the seed holds nothing to load");
    return LoadSeed(db, seed, file.string());
}

std::vector<std::string> ApplyChangeSet(Database& db, const Json& changes, const std::string& source) {
    Reader r(changes, "", source);
    const std::string project = r.RequiredText("project");
    const std::string plan = r.RequiredText("plan");
    if (!Exists(db, "SELECT 1 FROM plan WHERE project_id = ? AND plan_id = ?", {project, plan}))
        r.Fail("there is no plan " + plan + " of project " + project);
    std::vector<std::string> done;
    Database::Transaction tx(db);
    r.List("changes", [&](Reader& c, int32_t) { done.push_back(ApplyChange(db, c, project, plan)); });
    r.Done();
    tx.Commit();
    return done;
}

std::vector<std::string> ApplyChangeSetFile(Database& db, const std::filesystem::path& file) {
    return ApplyChangeSet(db, ReadJsonFile(file), file.string());
}

} // namespace platform::middleware
