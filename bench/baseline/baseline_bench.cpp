// Times one click of "Save Baseline" on a large plan as a user makes it: an ERP plan of ELEMENTS
// elements (a top element, then cost accounts of 49 work packages each) brought into a plan and saved,
// then the command run with its dialog answered (the planning program's baseline of the entire project,
// no ERP baseline, the log not shown). Set against the floor: the planning program's open and save of
// the same plan in the same run, and against its own save, timed again on the plan with its baseline. Prints one line per step and the digests of the plan and the log; with
// --expect FILE also checks that the digests are those FILE lists.
//
//   baseline-bench [ELEMENTS] [--expect FILE]
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
#include "integration/budget/frmSaveBaseline.h"
#include "integration/core/SaveBaselineCommand.h"
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

using bench::Seed;

bool Check(const char* step) {
    if (Err().Number == 0) return true;
    std::fprintf(stderr, "%s failed: %d %s\n", step, Err().Number, Err().Description.c_str());
    return false;
}

// The command as the menu runs it, the dialog answered with its defaults.
bool RunCommand() {
    using namespace platform::forms;
    ScriptedUser user;
    bool failed = false;
    user.OnFailure([&](const std::string& message) {
        std::fprintf(stderr, "the dialog went otherwise: %s\n", message.c_str());
        failed = true;
    });
    ScopedUser on{user};
    user.Add(steps::Click("frmSaveBaseline.cmdContinue"));
    user.Add(steps::Answer(vbNo, Grantry::kLogOfferMessage));
    Grantry::KovaMSP command;
    command.SaveBaseline();
    return user.Finish() && !failed;
}

} // namespace

int main(int argc, char** argv) {
    using namespace Grantry;
    std::filesystem::path expect;
    int count = 50000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc)
            expect = argv[++i];
        else
            count = std::atoi(argv[i]);
    }
    platform::os::TempKovaHome home;
    mw::RegisterMiddleware();
    KovaDataObjects::RegisterKovaDataObjects();
    InstallSaveBaselineDialog();
    mw::BackendConfig config = mw::CreateBackend(mw::BackendConfig("DEMO"), true);
    config = mw::SeedBackend(config, Seed(count));
    auto db = mw::OpenBackendDatabase(config);
    db->Run("INSERT INTO planning_parameters(company_number, currency, default_availability_type) "
            "VALUES (7, 'EUR', 'STANDARD')");

    auto app = msp::StartApplication({});
    app->FileNew(false);
    MSProjectApplication = app;
    // A fixed start, so that the digests do not depend on the day of the run.
    app->ActiveProject().SetStart(platform::automation::Date::FromParts(2025, 1, 6, 8, 0));
    BOIConnector = "DEMO";
    std::filesystem::create_directories(home.path() / "plans");
    const std::filesystem::path file = home.path() / "plans" / "Large.mpp";
    app->FileSaveAs(file.string());
    msp::CustomDocumentProperties properties = app->ActiveProject().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        properties.Add(d.name, false, d.type, d.initial);
    properties.Item("KovaProject").SetValue(Variant("LARGE"));
    properties.Item("KovaProjectPlan").SetValue(Variant("MAIN"));
    properties.Item("KovaCompany").SetValue(Variant(int32_t(7)));
    properties.Item("KovaConnectionNode").SetValue(Variant("TOP"));
    properties.Item("KovaTransferChargeStructure").SetValue(true);
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
    if (!Check("placement")) return 1;
    const int tasks = app->ActiveProject().Tasks().Count();
    std::printf("plan built from %d elements: %.0f ms (%d tasks)\n", count, MsSince(start), tasks);
    ChargeElements() = {};
    app->FileSave();
    platform::os::CloseAllFiles();
    CurrentProjectData.reset();
    Err().Clear();

    // The floor: the plan closed, opened and saved again.
    app->FileClose(false);
    start = Clock::now();
    app->FileOpen(file.string());
    app->ActiveProject().Tasks().Item(1).SetText2("saved again");
    app->FileSave();
    const double floor = MsSince(start);
    if (!Check("open and save")) return 1;
    std::printf("open and save of the plan: %.0f ms\n", floor);

    // The save alone, as the command makes it at its end.
    app->ActiveProject().Tasks().Item(1).SetText2("saved once more");
    start = Clock::now();
    app->FileSave();
    const double save = MsSince(start);
    std::printf("save of the plan: %.0f ms\n", save);

    start = Clock::now();
    if (!RunCommand() || !Check("save baseline")) return 1;
    const double command = MsSince(start);

    bench::Outputs outputs;
    const std::string size = std::to_string(count);
    outputs.Set(size + " plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " log", bench::FileDigest(home.path() / "plans" / "Large.log"));
    outputs.Set(size + " erp", bench::ErpDigest(*db));

    // The save the command makes at its end writes the baseline too: the same plan saved once more
    // (after the digests, as it changes a field) is what the command costs beyond the baseline.
    app->ActiveProject().Tasks().Item(1).SetText2("saved with its baseline");
    start = Clock::now();
    app->FileSave();
    const double saveWithBaseline = MsSince(start);
    std::printf("save of the plan with its baseline: %.0f ms\n", saveWithBaseline);
    std::printf("save baseline: %.0f ms (%.0f ms besides the save before, %.0f ms besides its own save)\n",
                command, command - save, command - saveWithBaseline);
    std::printf("| %d | %.2f s | %.2f s | %.2f s | %.2f s (%.2fx) | %+.2f s | %+.2f s |\n", tasks, floor / 1000,
                save / 1000, saveWithBaseline / 1000, command / 1000, command / floor, (command - save) / 1000,
                (command - saveWithBaseline) / 1000);

    const bool same = expect.empty() || outputs.Matches(expect);
    db.reset();
    platform::os::CloseAllFiles();
    CurrentProjectData.reset();
    CurrentConnection.reset();
    MSProjectApplication.reset();
    msp::QuitApplication();
    return same ? 0 : 1;
}
