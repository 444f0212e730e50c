// Times the connect run's budget-line step on a large project: 2,000 charge elements with 20,000
// waiting budget lines of all five cost types (material, labour and sundry as subtasks, equipment and
// subcontracting as assignments, as the demo chooses). The resources, the labour cost-object file and
// the structure come in first, as the connect run brings them; then the step runs, and a few of its
// plan look-ups are timed alone to show where its time goes. Then the budget and schedule
// synchronisation runs on that plan (net change off): once step by step with the ERP owning the
// quantities, once whole with the plan owning them after the ERP removed a tenth of the lines. Runs in
// a private machine folder; prints one line per step.
// Each part is set against the floor: the planning program's open and save of the finished plan in the
// same run. Prints the digests of the plan, the log and the ERP's rows after each part; with --expect
// FILE also checks that they are those FILE lists (made by an earlier run).
//   budget-bench [charge elements] [budget lines] [folder for the machine folder, default TMPDIR or /tmp]
//                [--expect FILE]
// The ERP stand-in commits (and syncs to disk) once per charge element and cost type while it links the
// lines it hands out, so the folder's disk shows in the figures: /dev/shm takes the disk out of them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/BenchOutputs.h"
#include <nlohmann/json.hpp>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaBudget.h"
#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/connect/ResourcesAndCostObjects.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Registration.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::automation::Err;
namespace msp = platform::msproject;
using nlohmann::json;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(const char* step, Clock::time_point start) {
    std::printf("%-58s %8.2f s\n", step, SecondsSince(start));
    std::fflush(stdout);
    if (Err().Number != 0) {
        std::printf("  (left in the error state: %d %s)\n", Err().Number, Err().Description.c_str());
        Err().Clear();
    }
}

std::string Code(const char* prefix, int i) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%s%04d", prefix, i);
    return buffer;
}

// Project BIG, plan MAIN: a top element, accounts of 40 work packages each, and the lines spread
// over the work packages, every cost type and labour line kind (employee, trade group, neither).
json MakeSeed(int elements, int lines) {
    json seed = {{"release", "tt7.1_a"}, {"company", {{"number", 7}}}};
    seed["costObjects"] = json::array({
        {{"kind", "MAT"}, {"code", "CONCRETE"}, {"description", "Concrete"}, {"unit", "m3"}, {"costPrice", 145}},
        {{"kind", "MAT"}, {"code", "REBAR"}, {"description", "Rebar"}, {"unit", "t"}, {"costPrice", 980}},
        {{"kind", "LAB"}, {"code", "W01"}, {"description", "Site hour"}, {"unit", "h"}, {"costRate", 58}},
        {{"kind", "EQP"}, {"code", "CRANE"}, {"description", "Crane"}, {"unit", "h"}, {"costRate", 180}},
        {{"kind", "EQP"}, {"code", "EXCAV"}, {"description", "Excavator"}, {"unit", "h"}, {"costRate", 95}},
        {{"kind", "SUB"}, {"code", "SURVEY"}, {"description", "Survey"}, {"unit", "day"}, {"costPrice", 850}},
        {{"kind", "SUN"}, {"code", "PERMIT"}, {"description", "Permit"}, {"unit", "LS"}, {"costPrice", 2500}},
    });
    seed["employees"] = json::array({{{"code", "E100"}, {"name", "Anna Berg"}}, {{"code", "E200"}, {"name", "Jonas Keller"}}});
    seed["tradeGroups"] = json::array({{{"code", "CARP"}, {"description", "Carpenters"}, {"costRate", 52}}});
    json ces = json::array();
    ces.push_back({{"id", "T"}, {"description", "Top"}, {"type", 1}, {"start", "2025-01-06 08:00"},
                   {"finish", "2026-12-18 17:00"}});
    std::vector<std::string> packages;
    std::string account;
    for (int i = 1; i < elements; ++i) {
        if ((i - 1) % 41 == 0) {
            account = Code("A", i);
            ces.push_back({{"id", account}, {"description", "Account " + account}, {"type", 2}, {"parent", "T"}});
        } else {
            packages.push_back(Code("W", i));
            ces.push_back({{"id", packages.back()}, {"description", "Package " + packages.back()}, {"type", 4},
                           {"parent", account}, {"start", "2025-02-03 08:00"}, {"finish", "2025-06-27 17:00"}});
        }
    }
    json budgetLines = json::array();
    const char* materials[] = {"CONCRETE", "REBAR"};
    const char* equipment[] = {"CRANE", "EXCAV"};
    for (int i = 0; i < lines; ++i) {
        const std::string& ce = packages[static_cast<size_t>(i) % packages.size()];
        const int costType = i / static_cast<int>(packages.size()) % 5 + 1;
        json line = {{"chargeElement", ce}, {"costType", costType}, {"quantity", 10 + i % 7},
                     {"requiredQuantity", 80 + i % 13}, {"duration", 5}, {"requiredDuration", 40},
                     {"costAmount", 1000 + i}, {"start", "2025-03-03 08:00"}, {"finish", "2025-04-25 17:00"}};
        switch (costType) {
        case 1: line["costObject"] = materials[i % 2]; break;
        case 2:
            line["costObject"] = "W01";
            if (i % 3 == 0) line["employee"] = i % 2 ? "E100" : "E200";
            if (i % 3 == 1) line["tradeGroup"] = "CARP";
            break;
        case 3: line["costObject"] = equipment[i % 2]; break;
        case 4: line["costObject"] = "SURVEY"; break;
        default: line["costObject"] = "PERMIT"; break;
        }
        budgetLines.push_back(line);
    }
    seed["projects"] = json::array({{{"id", "BIG"},
                                     {"description", "Large project"},
                                     {"leadingPlan", "MAIN"},
                                     {"plans", json::array({{{"id", "MAIN"},
                                                             {"topChargeElement", "T"},
                                                             {"chargeElements", ces},
                                                             {"budgetLines", budgetLines}}})}}});
    return seed;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path expect;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--expect" && i + 1 < argc)
            expect = argv[++i];
        else
            words.push_back(argv[i]);
    }
    const int elements = words.size() > 0 ? std::atoi(words[0].c_str()) : 2000;
    const int lines = words.size() > 1 ? std::atoi(words[1].c_str()) : 20000;
    const char* tmp = std::getenv("TMPDIR");
    const std::string under = words.size() > 2 ? words[2] : tmp && *tmp ? tmp : "/tmp";

    std::string pattern = under + "/kova-budget-bench-XXXXXX";
    char* folder = pattern.data();
    if (!mkdtemp(folder)) return 1;
    setenv("KOVA_HOME", folder, 1);
    std::printf("%d charge elements, %d budget lines, machine folder %s\n", elements, lines, folder);

    Clock::time_point start = Clock::now();
    platform::middleware::RegisterMiddleware();
    KovaDataObjects::RegisterKovaDataObjects();
    platform::middleware::BackendConfig config =
        platform::middleware::CreateBackend(platform::middleware::BackendConfig("DEMO"), true);
    config = platform::middleware::SeedBackend(config, MakeSeed(elements, lines));
    Report("ERP backend seeded (not part of the run)", start);

    auto app = msp::StartApplication();
    app->FileNew(false);
    // A fixed start, so that the digests do not depend on the day of the run.
    app->ActiveProject().SetStart(platform::automation::Date::FromParts(2025, 1, 6, 8, 0));
    app->FileSaveAs(std::string(folder) + "/Big.mpp");
    Grantry::MSProjectApplication = app;
    Grantry::BOIConnector = "DEMO";
    for (const Grantry::DocumentPropertyDefinition& d : Grantry::IntegrationDocumentProperties())
        app->ActiveProject().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
    app->ActiveProject().CustomDocumentProperties().Item("SortTasksOnCECode").SetValue(false);
    platform::os::OpenFile(platform::os::LogFileNumber, std::string(folder) + "/Big.log", platform::os::FileMode::Output);
    Grantry::CurrentConnection = std::make_shared<KovaDataObjects::KovaConnection>();
    Grantry::CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    Grantry::CurrentProjectData->ProjectCode = "BIG";
    Grantry::CurrentProjectData->Plan = "MAIN";
    Grantry::CurrentProjectData->ConnectedCE = "T";
    Err().Clear();

    const Clock::time_point run = Clock::now();
    start = Clock::now();
    Grantry::TransferResourcesAndCostObjects("", true, true, true, true, true, true, false, false, false, false);
    Grantry::WriteLaborCostObjectsFile(true, false);
    Report("resources, cost objects and the labour cost-object file", start);

    start = Clock::now();
    Grantry::CurrentProjectData->getChBSFromKova(Grantry::BOIConnector, "T");
    Grantry::TransferChargeStructureToProject();
    Report("charge structure into the plan", start);

    start = Clock::now();
    Grantry::CreateBudgetLineTasksFromKova(true, true, false, false, true);
    Report("budget lines into the plan (the whole step)", start);
    const double connect = SecondsSince(run);
    std::printf("%-58s %8.2f s\n", "the three connect steps together", connect);
    bench::Outputs outputs;
    const std::string size = std::to_string(elements) + "/" + std::to_string(lines);
    auto erpDigest = [&] {
        auto db = platform::middleware::OpenBackendDatabase(config);
        return bench::ErpDigest(*db);
    };
    outputs.Set(size + " connect-plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " connect-erp", erpDigest());

    int subtasks = 0, assignments = 0;
    for (const msp::Task& t : app->ActiveProject().Tasks().Snapshot()) {
        if (!t) continue;
        if (Grantry::IsBudgetLine(t)) ++subtasks;
        for (const msp::Assignment& a : t.Assignments().Snapshot())
            if (Grantry::IsBudgetLine(a)) ++assignments;
    }
    std::printf("plan: %d tasks, %d budget-line subtasks, %d budget-line assignments\n",
                app->ActiveProject().Tasks().Count(), subtasks, assignments);

    // The step's parts alone: reading the lines from the ERP (their links put back to waiting first,
    // outside the timing), and the plan look-ups it makes for every line, on the finished plan.
    {
        auto db = platform::middleware::OpenBackendDatabase(config);
        db->Run("UPDATE budget_line SET schedule_link = 2, external_schedule = ''");
        KovaDataObjects::KovaBudget budget;
        budget.Project = "BIG";
        budget.Plan = "MAIN";
        budget.ConnectedCE = "T";
        start = Clock::now();
        budget.getAllBudgetLines(Grantry::BOIConnector, "Big.mpp");
        Report("  reading and linking the lines in the ERP", start);
    }
    const int samples = 200;
    const double scale = static_cast<double>(lines) / samples;
    struct Probe {
        const char* name;
        std::function<void(int)> call;
    } probes[] = {
        {"  Find of a budget-line key (Text20)", [](int i) { Grantry::FindBudgetLineTask(Code("none", i)); }},
        {"  charge-element task by code (Text1 walk)",
         [&](int i) { Grantry::FindChargeElementTask(Code("W", elements - 1 - i % 40)); }},
        {"  OutlineShowAllTasks", [&](int) { app->OutlineShowAllTasks(); }},
        {"  resource by code (Text2 walk)", [](int) {
             std::string name;
             Grantry::FindResourceByCode("SUN.PERMIT", name);
         }},
    };
    for (const Probe& p : probes) {
        start = Clock::now();
        for (int i = 0; i < samples; ++i)
            p.call(i);
        std::printf("%-58s %8.2f s for %d lines (%.2f ms each)\n", p.name, SecondsSince(start) * scale, lines,
                    SecondsSince(start) * 1000 / samples);
    }

    // ---- the budget and schedule run on the connected plan ----
    std::printf("\nbudget and schedule synchronisation, net change off\n");
    msp::CustomDocumentProperties properties = app->ActiveProject().CustomDocumentProperties();
    auto set = [&](const char* name, platform::automation::Variant value) { properties.Item(name).SetValue(value); };
    set("KovaProject", platform::automation::Variant("BIG"));
    set("KovaProjectPlan", platform::automation::Variant("MAIN"));
    set("KovaConnectionNode", platform::automation::Variant("T"));
    set("OwnershipChBSAndBudgQty", platform::automation::Variant(int32_t(1)));
    set("KovaMatBudgLnAsSubTask", platform::automation::Variant(true));
    set("KovaLabBudgLnAsSubTask", platform::automation::Variant(true));
    set("KovaSunBudgLnAsSubTask", platform::automation::Variant(true));
    Grantry::NetChangeOption = false;
    Err().Clear();
    double stepByStep = 0, planOwns = 0;
    {
        const Clock::time_point whole = Clock::now();
        start = Clock::now();
        Grantry::ReadBudgetScheduleState();
        Grantry::CreateBudgetLineTasksFromKova(true, true, false, false, true);
        Report("  new ERP lines into the plan (none waiting)", start);
        Grantry::BudgetScheduleRunState& state = Grantry::BudgetScheduleState();
        state.budget = std::make_shared<KovaDataObjects::KovaBudget>();
        state.budget->Project = "BIG";
        state.budget->Plan = "MAIN";
        state.budget->ConnectedCE = "T";
        start = Clock::now();
        Grantry::UpdateBudgetLineTasksInMsP();
        Report("  refresh of the linked lines from the ERP (ERP owns)", start);
        start = Clock::now();
        Grantry::SendScheduleInfoToKova();
        Report("  schedule of the charge elements to the ERP", start);
        start = Clock::now();
        Grantry::CreateUpdateBudgetLinesInKova();
        Report("  linked lines to the ERP (one update)", start);
        start = Clock::now();
        Grantry::UpdateProjectDefinitionInMsP();
        Report("  project definition into the plan", start);
        state.budget.reset();
        stepByStep = SecondsSince(whole);
        std::printf("%-58s %8.2f s\n", "the run, step by step", stepByStep);
    }
    outputs.Set(size + " erp-owns-plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " erp-owns-erp", erpDigest());
    {
        // The plan owns the quantities; the ERP has dropped every tenth line, which its update answers
        // as gone, so the plan detaches them from the update's result.
        auto db = platform::middleware::OpenBackendDatabase(config);
        db->Run("DELETE FROM budget_line WHERE (seq_no % 10) = 0");
        const int dropped = lines / 10;
        set("OwnershipChBSAndBudgQty", platform::automation::Variant(int32_t(2)));
        Err().Clear();
        start = Clock::now();
        Grantry::UpdateBudgetSchedule();
        planOwns = SecondsSince(start);
        Report("the whole run, plan owns, a tenth of the lines gone", start);
        int detached = 0;
        for (const msp::Task& t : app->ActiveProject().Tasks().Snapshot()) {
            if (t && t.Text(8) == Grantry::kLinkStateNoLink) ++detached;
            if (t)
                for (const msp::Assignment& a : t.Assignments().Snapshot())
                    if (a.Text(8) == Grantry::kLinkStateNoLink) ++detached;
        }
        std::printf("  detached: %d of about %d lines the ERP dropped\n", detached, dropped);
        // What the result's application would cost walking the whole plan for each entry.
        start = Clock::now();
        int matches = 0;
        for (const msp::Task& t : app->ActiveProject().Tasks().Snapshot()) {
            if (!t) continue;
            const msp::Task parent = t.OutlineParent();
            if (t.Text(2) == "1" && t.Text(4) == "10" && parent && parent.Text(1) == "W0002") ++matches;
            if (t.Text(1) == "W0002") ++matches;
        }
        const double walk = SecondsSince(start);
        std::printf("%-58s %8.3f s (x %d entries = %.0f s)\n", "  one walk of the plan per result entry", walk,
                    dropped, walk * dropped);
    }

    outputs.Set(size + " plan-owns-plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " plan-owns-erp", erpDigest());
    platform::os::CloseAllFiles();
    outputs.Set(size + " log", bench::FileDigest(std::string(folder) + "/Big.log"));

    // The floor: the finished plan saved, closed, then opened and saved again.
    app->FileSave();
    app->FileClose(0);
    start = Clock::now();
    app->FileOpen(std::string(folder) + "/Big.mpp");
    app->ActiveProject().Tasks().Item(1).SetText2("saved again");
    app->FileSave();
    const double floor = SecondsSince(start);
    Report("the floor: open and save of the plan", start);
    std::printf("| %d / %d | %.2f s | %.2f s (%.1fx) | %.2f s (%.1fx) | %.2f s (%.1fx) |\n", elements, lines,
                floor, connect, connect / floor, stepByStep, stepByStep / floor, planOwns, planOwns / floor);

    const bool same = expect.empty() || outputs.Matches(expect);
    Grantry::ReleaseCommandObjects();
    msp::QuitApplication();
    std::filesystem::remove_all(folder);
    return same ? 0 : 1;
}
