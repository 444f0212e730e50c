// Times the charge-structure synchronisation on a large plan: an ERP plan of 2,000 elements (a top
// element, then cost accounts of 49 work packages each, up to the size asked) brought
// into a plan, then 200 of them changed in the ERP (removed, moved to another cost account, added,
// re-dated) and the plan synchronised. Prints one line per step and checks the plan's outline.
//
//   structuresync-bench [ELEMENTS [CHANGED]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "dataobjects/KovaProjectData.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
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

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr int kPerAccount = 50; // work packages and one milestone per cost account

std::string Numbered(const char* format, int a, int b = 0) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}
std::string Account(int a) {
    return Numbered("A%03d", a);
}
std::string Package(int a, int p) {
    return Numbered("P%03d%02d", a, p);
}

Json Element(const std::string& id, const std::string& description, int type, const std::string& parent) {
    Json e = {{"id", id}, {"description", description}, {"type", type},
              {"start", "2025-01-06 08:00"}, {"finish", "2025-03-28 17:00"}};
    if (!parent.empty()) e["parent"] = parent;
    return e;
}

// A top element, then cost accounts with their work packages, until `count` elements.
Json Seed(int count) {
    Json elements = Json::array();
    elements.push_back(Element("TOP", "Large project", 1, ""));
    for (int a = 1; static_cast<int>(elements.size()) < count; ++a) {
        elements.push_back(Element(Account(a), "Cost account " + std::to_string(a), 2, "TOP"));
        for (int p = 1; p < kPerAccount && static_cast<int>(elements.size()) < count; ++p)
            elements.push_back(Element(Package(a, p), "Work package " + std::to_string(p), 4, Account(a)));
    }
    return {{"release", "tt7.1_a"},
            {"company", {{"number", 7}}},
            {"projects",
             {{{"id", "LARGE"},
               {"description", "Large"},
               {"leadingPlan", "MAIN"},
               {"plans", {{{"id", "MAIN"}, {"topChargeElement", "TOP"}, {"chargeElements", elements}}}}}}}};
}

// `changed` changes in four equal kinds, spread over the accounts.
Json Changes(int changed, int accounts) {
    Json list = Json::array();
    const int each = changed / 4;
    for (int i = 0; i < each; ++i) {
        const int a = 1 + i % accounts, p = 1 + 2 * (i / accounts);
        list.push_back({{"op", "remove"}, {"id", Package(a, p)}});
        list.push_back({{"op", "change"}, {"id", Package(a, p + 1)}, {"parent", Account(1 + (a % accounts))}});
        list.push_back({{"op", "change"}, {"id", Package(a, p + 20)}, {"start", "2025-02-03 08:00"}});
        Json added = Element(Numbered("N%04d", i), "New package " + std::to_string(i), 4, Account(a));
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

int main(int argc, char** argv) {
    using namespace Grantry;
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int changed = argc > 2 ? std::atoi(argv[2]) : 200;
    platform::os::TempKovaHome home;
    mw::RegisterMiddleware();
    mw::BackendConfig config = mw::CreateBackend(mw::BackendConfig("DEMO"), true);
    config = mw::SeedBackend(config, Seed(count));
    const int accounts = (count - 1 + kPerAccount - 1) / kPerAccount;

    auto app = msp::StartApplication({});
    app->FileNew(false);
    MSProjectApplication = app;
    BOIConnector = "DEMO";
    std::filesystem::create_directories(home.path() / "plans");
    app->FileSaveAs((home.path() / "plans" / "Large.mpp").string());
    msp::CustomDocumentProperties properties = app->ActiveProject().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        properties.Add(d.name, false, d.type, d.initial);
    properties.Item("KovaTransferChargeStructure").SetValue(true);
    properties.Item("DeleteMSPCETask").SetValue(true);
    // The structure calls need no connection object; the command's is not made here.
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    CurrentProjectData->ProjectCode = "LARGE";
    CurrentProjectData->Plan = "MAIN";
    CurrentProjectData->ConnectedCE = "TOP";
    platform::os::OpenFile(platform::os::LogFileNumber, (home.path() / "bench.log").string(),
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

    auto db = mw::OpenBackendDatabase(config);
    start = Clock::now();
    mw::ApplyChangeSet(*db, Changes(changed, accounts));
    std::printf("%d changes applied in the ERP: %.0f ms\n", changed, MsSince(start));

    for (bool netChange : {false, true}) {
        NetChangeOption = netChange;
        bool proceed = false;
        start = Clock::now();
        SynchronizeChargeStructure(proceed);
        if (!Check("synchronisation") || !proceed) return 1;
        const double ms = MsSince(start);
        const int wrong = Misplaced(app->ActiveProject());
        std::printf("synchronised%s: %.0f ms (%d coded tasks, %d misplaced)\n",
                    netChange ? " again, net change" : "", ms, CodedTasks(app->ActiveProject()), wrong);
        if (wrong != 0) return 1;
    }
    platform::os::CloseAllFiles();
    CurrentProjectData.reset();
    MSProjectApplication.reset();
    msp::QuitApplication();
    return 0;
}
