// Times the charge-structure synchronisation on a large plan as a user runs it: an ERP plan of ELEMENTS
// elements (a top element, then cost accounts of 49 work packages each) brought into a plan, then
// CHANGED of them changed in the ERP (removed, moved to another cost account, added, re-dated) and the
// command "Synchronize ChBS/Budget/Schedule" run with its dialog (the structure only, the view and its
// filter applied, removed elements' tasks detached); then as many other changes and the command again
// with net change. Each is set against the floor: the planning program's open and save of the same
// plan in the same run. Prints one line per step, the digests of the plan, the log and the ERP's rows,
// and checks the plan's outline; with --expect FILE also that the digests are those FILE lists.
//
//   structuresync-bench [ELEMENTS [CHANGED]] [--expect FILE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "bench/common/BenchOutputs.h"
#include "bench/common/LargeSeed.h"
#include "dataobjects/ClassRegistration.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Registration.h"
#include "platform/middleware/Seed.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TestSupport.h"
#include "platform/os/TextFiles.h"

namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;
using platform::automation::Err;
namespace msp = platform::msproject;
namespace mw = platform::middleware;
using platform::automation::Variant;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using bench::Account;
using bench::Element;
using bench::kPerAccount;
using bench::Numbered;
using bench::Package;
using bench::Seed;

// `changed` changes in four equal kinds, spread over the accounts; each round changes other packages.
Json Changes(int changed, int accounts, int round) {
    Json list = Json::array();
    const int each = changed / 4;
    for (int i = 0; i < each; ++i) {
        const int a = 1 + i % accounts, p = 1 + 4 * round + 2 * (i / accounts);
        list.push_back({{"op", "remove"}, {"id", Package(a, p)}});
        list.push_back({{"op", "change"}, {"id", Package(a, p + 1)}, {"parent", Account(1 + (a % accounts))}});
        list.push_back({{"op", "change"}, {"id", Package(a, p + 20)}, {"start", "2025-02-03 08:00"}});
        Json added = Element(Numbered("N%d%04d", round, i), "New package " + std::to_string(i), 4, Account(a));
        added["op"] = "add";
        list.push_back(added);
    }
    return {{"project", "LARGE"}, {"plan", "MAIN"}, {"changes", list}};
}

bool Check(const char* step) {
    if (Err().Number == 0) return true;
    std::fprintf(stderr, "%s failed: %d %s\n", step, Err().Number, Err().Description.c_str());
    return false;
}

int CodedTasks(msp::Project plan) {
    int coded = 0;
    msp::Tasks tasks = plan.Tasks();
    for (int32_t i = 1; i <= tasks.Count(); ++i)
        if (msp::Task t = tasks.Item(i); t && !t.Text1().empty()) ++coded;
    return coded;
}

// Coded tasks whose outline parent is not the parent element they carry.
int Misplaced(msp::Project plan) {
    int wrong = 0;
    msp::Tasks tasks = plan.Tasks();
    for (int32_t i = 1; i <= tasks.Count(); ++i) {
        msp::Task t = tasks.Item(i);
        if (!t || t.Text1().empty()) continue;
        msp::Task parent = t.OutlineParent();
        if ((parent ? parent.Text1() : std::string()) != t.Text15()) ++wrong;
    }
    return wrong;
}

} // namespace

// The command as the menu runs it, the dialog answered: the structure only, net change as asked; the
// log is not shown.
bool RunCommand(bool netChange) {
    using namespace platform::forms;
    ScriptedUser user;
    bool failed = false;
    user.OnFailure([&](const std::string& message) {
        std::fprintf(stderr, "the dialog went otherwise: %s\n", message.c_str());
        failed = true;
    });
    ScopedUser on{user};
    user.Add(steps::Untick("frmSyncOptions.chkSynBudgetSchedule"));
    if (netChange) user.Add(steps::Tick("frmSyncOptions.chkNetChange"));
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    user.Add(steps::Answer(vbNo, Grantry::kLogOfferMessage));
    Grantry::KovaMSP command;
    command.SynchronizeBudgetSchedule();
    return user.Finish() && !failed;
}

int main(int argc, char** argv) {
    using namespace Grantry;
    std::filesystem::path expect;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc)
            expect = argv[++i];
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    const int count = numbers.size() > 0 ? numbers[0] : 2000;
    const int changed = numbers.size() > 1 ? numbers[1] : count / 10;
    platform::os::TempKovaHome home;
    mw::RegisterMiddleware();
    KovaDataObjects::RegisterKovaDataObjects();
    InstallSyncOptionsDialog();
    InstallBudgetScheduleRun();
    mw::BackendConfig config = mw::CreateBackend(mw::BackendConfig("DEMO"), true);
    config = mw::SeedBackend(config, Seed(count));
    auto db = mw::OpenBackendDatabase(config);
    db->Run("INSERT INTO planning_parameters(company_number, currency, default_availability_type) "
            "VALUES (7, 'EUR', 'STANDARD')");
    const int accounts = (count - 1 + kPerAccount - 1) / kPerAccount;

    auto app = msp::StartApplication({});
    app->FileNew(false);
    MSProjectApplication = app;
    // A fixed start, so that the digests do not depend on the day of the run.
    app->ActiveProject().SetStart(platform::automation::Date::FromParts(2025, 1, 6, 8, 0));
    BOIConnector = "DEMO";
    std::filesystem::create_directories(home.path() / "plans");
    const std::filesystem::path file = home.path() / "plans" / "Large.mpp";
    app->FileSaveAs(file.string());
    app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
    app->FilterEdit(kAllKovaProjectTasksFilter, true, true);
    msp::CustomDocumentProperties properties = app->ActiveProject().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        properties.Add(d.name, false, d.type, d.initial);
    properties.Item("KovaProject").SetValue(Variant("LARGE"));
    properties.Item("KovaProjectPlan").SetValue(Variant("MAIN"));
    properties.Item("KovaCompany").SetValue(Variant(int32_t(7)));
    properties.Item("KovaConnectionNode").SetValue(Variant("TOP"));
    properties.Item("KovaTransferChargeStructure").SetValue(true);
    // As the connect left the plan: the structure placed, the log of the connect closed.
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    CurrentProjectData->ProjectCode = "LARGE";
    CurrentProjectData->Plan = "MAIN";
    CurrentProjectData->ConnectedCE = "TOP";
    platform::os::OpenFile(platform::os::LogFileNumber, (home.path() / "connect.log").string(),
                           platform::os::FileMode::Output);
    if (!Check("set-up")) return 1;

    Clock::time_point start = Clock::now();
    CurrentProjectData->getChBSFromKova(BOIConnector, "TOP");
    WriteChargeElementFile();
    LoadChargeElementFile();
    PlaceChargeElementTasks({});
    if (!Check("first placement")) return 1;
    std::printf("plan built from %d elements: %.0f ms (%d coded tasks)\n", count, MsSince(start),
                CodedTasks(app->ActiveProject()));
    ChargeElements() = {};
    app->FileSave();
    platform::os::CloseAllFiles();
    CurrentProjectData.reset();
    Err().Clear();

    double synchronised[2] = {0, 0};
    for (bool netChange : {false, true}) {
        start = Clock::now();
        mw::ApplyChangeSet(*db, Changes(changed, accounts, netChange ? 1 : 0));
        std::printf("%d changes applied in the ERP: %.0f ms\n", changed, MsSince(start));
        start = Clock::now();
        if (!RunCommand(netChange) || !Check("synchronisation")) return 1;
        synchronised[netChange] = MsSince(start);
        const int wrong = Misplaced(app->ActiveProject());
        std::printf("synchronised%s: %.0f ms (%d coded tasks, %d misplaced)\n",
                    netChange ? " again, net change" : "", synchronised[netChange],
                    CodedTasks(app->ActiveProject()), wrong);
        if (wrong != 0) return 1;
    }

    bench::Outputs outputs;
    const std::string size = std::to_string(count) + "/" + std::to_string(changed);
    outputs.Set(size + " plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " log", bench::FileDigest(home.path() / "plans" / "Large.log"));
    outputs.Set(size + " erp", bench::ErpDigest(*db));

    // The floor: the plan closed, opened and saved again.
    app->FileClose(false);
    start = Clock::now();
    app->FileOpen(file.string());
    app->ActiveProject().Tasks().Item(1).SetText2("saved again");
    app->FileSave();
    const double floor = MsSince(start);
    if (!Check("open and save")) return 1;
    std::printf("open and save of the plan: %.0f ms\n", floor);
    std::printf("| %d / %d | %.2f s | %.2f s (%.1fx) | %.2f s (%.1fx) |\n", count, changed, floor / 1000,
                synchronised[0] / 1000, synchronised[0] / floor, synchronised[1] / 1000, synchronised[1] / floor);

    const bool same = expect.empty() || outputs.Matches(expect);
    db.reset();
    platform::os::CloseAllFiles();
    CurrentProjectData.reset();
    CurrentConnection.reset();
    MSProjectApplication.reset();
    msp::QuitApplication();
    return same ? 0 : 1;
}
