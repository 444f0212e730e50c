#include "tools/kova-erp/Commands.h"

#include <algorithm>
#include <climits>
#include <iomanip>
#include <map>
#include <ostream>
#include <stdexcept>

#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Seed.h"
#include "platform/os/Registry.h"

namespace kova_erp {

using namespace platform::middleware;
using platform::automation::CLng;
using platform::automation::CStr;

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  kova-erp create NAME [--seed FILE] [--database FILE] [--company N] [--default]\n"
    "  kova-erp load NAME FILE\n"
    "  kova-erp change NAME FILE\n"
    "  kova-erp list [NAME] [projects|summary|all]\n"
    "  kova-erp config [NAME [--maintained yes|no] [--started yes|no] [--company N] [--database FILE]]\n"
    "  kova-erp default NAME\n"
    "  kova-erp baselines NAME PROJECT\n"
    "  kova-erp approve NAME PROJECT BASELINE\n"
    "\n"
    "change applies a change set to one plan's charge structure, in order and all or nothing:\n"
    "  {\"project\": \"BRIDGE\", \"plan\": \"MAIN\", \"changes\": [\n"
    "    {\"op\": \"add\", \"id\": \"BR13\", \"description\": \"Tender\", \"type\": 4, \"parent\": \"BR10\",\n"
    "     \"start\": \"2024-05-06 08:00\", \"finish\": \"2024-05-31 17:00\"},\n"
    "    {\"op\": \"remove\", \"id\": \"BR12\"},                       (with what lies below it)\n"
    "    {\"op\": \"change\", \"id\": \"BR21\", \"parent\": \"BR10\"},      (a move; or any element key)\n"
    "    {\"op\": \"ownership\", \"node\": \"BR\", \"ownership\": 2}]}  (the schedule link: 1 ERP, 2 plan,\n"
    "                                                         3/4 transfer to ERP/plan pending)\n"
    "  Element keys: description, type (1-5), parent, linked, obs, connectable, start, finish,\n"
    "  actualStart, actualFinish, percentComplete; times \"YYYY-MM-DD[ hh:mm[:ss]]\".\n"
    "  Budget lines of an element, by sequence number:\n"
    "    {\"op\": \"changeLine\", \"ce\": \"BR21\", \"line\": 1, \"requiredQuantity\": 450},\n"
    "    {\"op\": \"removeLine\", \"ce\": \"BR22\", \"line\": 3}\n"
    "  Line keys: quantity, requiredQuantity, netQuantity, duration, requiredDuration, costAmount,\n"
    "  unit, start, finish.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Failed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Positional words and --options (each option takes one value, except flags).
struct Line {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    std::vector<std::string> flags;
};

Line Parse(const std::vector<std::string>& args, const std::vector<std::string>& valued,
           const std::vector<std::string>& flags) {
    Line line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            line.words.push_back(a);
            continue;
        }
        std::string name = a.substr(2);
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            line.flags.push_back(name);
        } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            line.options[name] = args[++i];
        } else {
            throw UsageError("unknown option " + a);
        }
    }
    return line;
}

bool YesNo(const std::string& option, const std::string& value) {
    if (value == "yes") return true;
    if (value == "no") return false;
    throw UsageError("--" + option + " takes yes or no");
}

int32_t Number(const std::string& option, const std::string& value) {
    try {
        size_t used = 0;
        long long n = std::stoll(value, &used);
        if (used == value.size() && n >= INT32_MIN && n <= INT32_MAX) return static_cast<int32_t>(n);
    } catch (const std::exception&) {
    }
    throw UsageError("--" + option + " takes a whole number from -2147483648 to 2147483647");
}

// Columns line up by characters, not bytes: names may hold letters of more than one byte.
std::string Padded(const std::string& text, size_t width) {
    size_t characters = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters >= width ? text : text + std::string(width - characters, ' ');
}

BackendConfig Configured(const std::string& name) {
    auto config = FindBackend(name.empty() ? DefaultBackendName() : name);
    if (!config)
        throw Failed(name.empty() ? "no default backend is set" : "there is no backend " + TrimBlanks(name));
    return *config;
}

std::string Day(const platform::automation::Variant& stamp) {
    std::string s = CStr(stamp);
    return s.size() >= 8 ? s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) : "-";
}

void DescribeBackend(const BackendConfig& c, std::ostream& out) {
    out << "Backend " << c.name << ": " << (c.maintained ? "maintained" : "not maintained") << ", "
        << (c.started ? "started" : "not started") << ", company " << c.companyNumber << ", database "
        << DatabasePath(c).string() << "\n";
}

void ListProjects(Database& db, const BackendConfig& config, std::ostream& out) {
    std::string company =
        CStr(db.Scalar("SELECT name FROM company WHERE company_number = ?", {config.companyNumber}));
    out << "Projects of company " << config.companyNumber << (company.empty() ? "" : " \"" + company + "\"")
        << ":\n";
    Statement st = db.Prepare(
        "SELECT p.project_id, p.description, p.start_ts, p.finish_ts, p.leading_plan_id, "
        "(SELECT group_concat(plan_id, ', ') FROM (SELECT plan_id FROM plan WHERE project_id = p.project_id "
        "ORDER BY sort, plan_id)) FROM project p WHERE p.company_number = ? ORDER BY p.sort, p.project_id");
    st.Bind(1, config.companyNumber);
    int count = 0;
    while (st.Step()) {
        ++count;
        out << "  " << Padded(st.Text(0), 10) << " " << Padded(st.Text(1), 32) << " "
            << Day(st.Value(2)) << " to " << Day(st.Value(3)) << "  plans "
            << (st.IsNull(5) ? "-" : st.Text(5)) << " (leading " << st.Text(4) << ")\n";
    }
    if (count == 0) out << "  (none)\n";
}

void ListSummary(Database& db, std::ostream& out) {
    out << "Rows per table:\n";
    for (const auto& [table, rows] : TableCounts(db))
        out << "  " << Padded(table, 26) << " " << rows << "\n";
}

int Create(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {"seed", "database", "company"}, {"default"});
    if (line.words.size() != 1) throw UsageError("create takes one backend name");
    BackendConfig config(line.words[0]);
    if (line.options.count("database")) config.database = line.options["database"];
    if (line.options.count("company")) config.companyNumber = Number("company", line.options["company"]);
    bool makeDefault = !line.flags.empty() || TrimBlanks(DefaultBackendName()).empty();
    FillBackend seed;
    if (line.options.count("seed"))
        seed = [file = line.options["seed"]](BackendConfig& c, Database& db) {
            SeedResult result = LoadSeedFile(db, file);
            if (c.companyNumber == 0) c.companyNumber = result.companyNumber;
        };
    config = CreateBackend(config, makeDefault, seed);
    out << "Created backend " << config.name << (makeDefault ? " (the default backend)" : "") << "\n";
    DescribeBackend(config, out);
    return 0;
}

int Load(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {}, {});
    if (line.words.size() != 2) throw UsageError("load takes a backend name and a seed file");
    BackendConfig config = SeedBackendFromFile(Configured(line.words[0]), line.words[1]);
    out << "Loaded " << line.words[1] << " into backend " << config.name << "\n";
    return 0;
}

int Change(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {}, {});
    if (line.words.size() != 2) throw UsageError("change takes a backend name and a change-set file");
    BackendConfig config = Configured(line.words[0]);
    auto db = OpenBackendDatabase(config);
    for (const std::string& done : ApplyChangeSetFile(*db, line.words[1]))
        out << done << "\n";
    out << "Applied " << line.words[1] << " to backend " << config.name << "\n";
    return 0;
}

int List(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {}, {});
    std::string what = "projects", name;
    for (const auto& w : line.words) {
        if (w == "projects" || w == "summary" || w == "all")
            what = w;
        else if (name.empty())
            name = w;
        else
            throw UsageError("list takes a backend name and what to list");
    }
    BackendConfig config = Configured(name);
    auto db = OpenBackendDatabase(config);
    DescribeBackend(config, out);
    if (what != "summary") ListProjects(*db, config, out);
    if (what != "projects") ListSummary(*db, out);
    return 0;
}

int Config(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {"maintained", "started", "company", "database"}, {});
    if (line.words.size() > 1) throw UsageError("config takes at most one backend name");
    if (line.words.empty()) {
        if (!line.options.empty()) throw UsageError("config needs the backend the options are for");
        std::string raw = DefaultBackendName();
        out << "Default backend: \"" << raw << "\"\n";
        if (auto config = FindBackend(raw)) DescribeBackend(*config, out);
        return 0;
    }
    BackendConfig config = Configured(line.words[0]);
    if (line.options.count("maintained")) config.maintained = YesNo("maintained", line.options["maintained"]);
    if (line.options.count("started")) config.started = YesNo("started", line.options["started"]);
    if (line.options.count("company")) config.companyNumber = Number("company", line.options["company"]);
    if (line.options.count("database")) config.database = line.options["database"];
    SaveBackend(config);
    DescribeBackend(config, out);
    return 0;
}

int Default(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) throw UsageError("default takes one backend name");
    // Kept exactly as given: the adapter may hold the name with blanks around it.
    SetDefaultBackendName(args[0]);
    out << "Default backend: \"" << args[0] << "\"\n";
    if (!FindBackend(args[0])) out << "(there is no backend " << TrimBlanks(args[0]) << " yet)\n";
    return 0;
}

// "yyyy-mm-dd hh:mm" of a stored time stamp, "-" when there is none.
std::string Minute(const platform::automation::Variant& stamp) {
    std::string s = CStr(stamp);
    if (s.size() < 12) return "-";
    return Day(stamp) + " " + s.substr(8, 2) + ":" + s.substr(10, 2);
}

// The project as the backend stores it (its id may carry blanks), or a failure.
std::string StoredProject(Database& db, const std::string& project) {
    platform::automation::Variant stored =
        db.Scalar("SELECT project_id FROM project WHERE trim(project_id, ' ') = ?", {TrimBlanks(project)});
    if (stored.IsEmpty()) throw Failed("there is no project " + TrimBlanks(project));
    return CStr(stored);
}

int Baselines(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {}, {});
    if (line.words.size() != 2) throw UsageError("baselines takes a backend name and a project");
    auto db = OpenBackendDatabase(Configured(line.words[0]));
    std::string project = StoredProject(*db, line.words[1]);
    out << "Baselines of project " << TrimBlanks(project) << ":\n";
    Statement st = db->Prepare(
        "SELECT baseline_id, status, description, derived_from, changed_ts FROM baseline WHERE project_id = ? "
        "ORDER BY baseline_id");
    st.Bind(1, project);
    int count = 0;
    while (st.Step()) {
        ++count;
        out << "  " << std::right << std::setw(3) << st.Int(0) << "  " << std::left << std::setw(8)
            << (st.Int(1) == 2 ? "approved" : "free") << "  " << Padded(st.Text(2), 30) << "  derived from "
            << (st.Int(3) == 0 ? std::string("-") : std::to_string(st.Int(3))) << "  changed "
            << Minute(st.Value(4)) << "\n";
    }
    if (count == 0) out << "  (none)\n";
    return 0;
}

// What the ERP's users do when a baseline is agreed: it becomes approved, and can no longer change.
int Approve(const std::vector<std::string>& args, std::ostream& out) {
    Line line = Parse(args, {}, {});
    if (line.words.size() != 3) throw UsageError("approve takes a backend name, a project and a baseline");
    int32_t id = 0;
    try {
        id = Number("baseline", line.words[2]);
    } catch (const UsageError&) {
        throw UsageError("the baseline is given by its number");
    }
    auto db = OpenBackendDatabase(Configured(line.words[0]));
    std::string project = StoredProject(*db, line.words[1]);
    platform::automation::Variant status =
        db->Scalar("SELECT status FROM baseline WHERE project_id = ? AND baseline_id = ?", {project, id});
    if (status.IsEmpty())
        throw Failed("the project " + TrimBlanks(project) + " has no baseline " + std::to_string(id));
    if (CLng(status) == 2) throw Failed("the baseline " + std::to_string(id) + " is approved already");
    db->Run("UPDATE baseline SET status = 2 WHERE project_id = ? AND baseline_id = ?", {project, id});
    out << "Approved baseline " << id << " of project " << TrimBlanks(project) << "\n";
    return 0;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const bool help = std::find_if(args.begin(), args.end(), [](const std::string& a) {
                          return a == "--help" || a == "-h";
                      }) != args.end();
    if (args.empty() || args[0] == "help" || help) {
        (args.empty() ? err : out) << kUsage;
        return args.empty() ? 2 : 0;
    }
    if (std::string damage = platform::os::RegistryDamage(); !damage.empty()) {
        err << "kova-erp: " << damage << "\n";
        return 1;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (args[0] == "create") return Create(rest, out);
        if (args[0] == "load") return Load(rest, out);
        if (args[0] == "change") return Change(rest, out);
        if (args[0] == "list") return List(rest, out);
        if (args[0] == "config") return Config(rest, out);
        if (args[0] == "default") return Default(rest, out);
        if (args[0] == "baselines") return Baselines(rest, out);
        if (args[0] == "approve") return Approve(rest, out);
        throw UsageError("unknown command " + args[0]);
    } catch (const UsageError& e) {
        err << "kova-erp: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "kova-erp: " << e.what() << "\n";
        return 1;
    }
}

} // namespace kova_erp
