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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/common/BenchOutputs.h"
#include "bench/common/LargePlan.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/KovaMSP.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace {

using Json = nlohmann::json;
namespace msp = platform::msproject;
using bench::Check;
using bench::Clock;
using bench::MsSince;
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
    return bench::RunAnswered(
        [&](ScriptedUser& user) {
            user.Add(steps::Untick("frmSyncOptions.chkSynBudgetSchedule"));
            if (netChange) user.Add(steps::Tick("frmSyncOptions.chkNetChange"));
            user.Add(steps::Click("frmSyncOptions.cmdSync"));
            user.Add(steps::Answer(vbNo, Grantry::kLogOfferMessage));
        },
        [] { Grantry::KovaMSP().SynchronizeBudgetSchedule(); });
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
    bench::LargePlan large;
    if (!large.Build(count, true)) return 1;
    InstallSyncOptionsDialog();
    InstallBudgetScheduleRun();
    auto& app = large.app;
    auto& db = large.db;
    const int accounts = (count - 1 + kPerAccount - 1) / kPerAccount;
    Clock::time_point start;

    double synchronised[2] = {0, 0};
    for (bool netChange : {false, true}) {
        start = Clock::now();
        platform::middleware::ApplyChangeSet(*db, Changes(changed, accounts, netChange ? 1 : 0));
        std::printf("%d changes applied in the ERP: %.0f ms\n", changed, MsSince(start));
        start = Clock::now();
        const double processor = bench::ProcessorMs();
        if (!RunCommand(netChange) || !Check("synchronisation")) return 1;
        synchronised[netChange] = MsSince(start);
        const double used = bench::ProcessorMs() - processor;
        const int wrong = Misplaced(app->ActiveProject());
        std::printf("synchronised%s: %.0f ms, processor %.0f ms (%d coded tasks, %d misplaced)\n",
                    netChange ? " again, net change" : "", synchronised[netChange], used,
                    CodedTasks(app->ActiveProject()), wrong);
        if (wrong != 0) return 1;
    }

    bench::Outputs outputs;
    const std::string size = std::to_string(count) + "/" + std::to_string(changed);
    outputs.Set(size + " plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " log", bench::FileDigest(large.home.path() / "plans" / "Large.log"));
    outputs.Set(size + " erp", bench::ErpDigest(*db));

    // The floor: the plan closed, opened and saved again.
    const double floor = large.OpenAndSave();
    if (floor < 0) return 1;
    std::printf("| %d / %d | %.2f s | %.2f s (%.1fx) | %.2f s (%.1fx) |\n", count, changed, floor / 1000,
                synchronised[0] / 1000, synchronised[0] / floor, synchronised[1] / 1000, synchronised[1] / floor);

    const bool same = expect.empty() || outputs.Matches(expect);
    large.End();
    return same ? 0 : 1;
}
