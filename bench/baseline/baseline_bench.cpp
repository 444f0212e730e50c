// Times one click of "Save Baseline" on a large plan as a user makes it: an ERP plan of ELEMENTS
// elements (a top element, then cost accounts of 49 work packages each) brought into a plan and saved,
// then the command run with its dialog answered (the planning program's baseline of the entire project,
// no ERP baseline, the log not shown). Set against the floor: the planning program's open and save of
// the same plan in the same run, and against its own save, timed again on the plan with its baseline. Prints one line per step and the digests of the plan and the log; with
// --expect FILE also checks that the digests are those FILE lists.
//
//   baseline-bench [ELEMENTS] [--expect FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/common/BenchOutputs.h"
#include "bench/common/LargePlan.h"
#include "integration/budget/frmSaveBaseline.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/KovaMSP.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace {

using bench::Check;
using bench::Clock;
using bench::MsSince;

// The command as the menu runs it, the dialog answered with its defaults.
bool RunCommand() {
    using namespace platform::forms;
    return bench::RunAnswered(
        [](ScriptedUser& user) {
            user.Add(steps::Click("frmSaveBaseline.cmdContinue"));
            user.Add(steps::Answer(vbNo, Grantry::kLogOfferMessage));
        },
        [] { Grantry::KovaMSP().SaveBaseline(); });
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
    bench::LargePlan large;
    if (!large.Build(count, false)) return 1;
    InstallSaveBaselineDialog();
    auto& app = large.app;
    auto& db = large.db;
    const int tasks = app->ActiveProject().Tasks().Count();

    // The floor: the plan closed, opened and saved again.
    const double floor = large.OpenAndSave();
    if (floor < 0) return 1;

    // The save alone, as the command makes it at its end.
    app->ActiveProject().Tasks().Item(1).SetText2("saved once more");
    Clock::time_point start = Clock::now();
    app->FileSave();
    const double save = MsSince(start);
    std::printf("save of the plan: %.0f ms\n", save);

    start = Clock::now();
    if (!RunCommand() || !Check("save baseline")) return 1;
    const double command = MsSince(start);

    bench::Outputs outputs;
    const std::string size = std::to_string(count);
    outputs.Set(size + " plan", bench::PlanDigest(app->ActiveProject()));
    outputs.Set(size + " log", bench::FileDigest(large.home.path() / "plans" / "Large.log"));
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
    large.End();
    return same ? 0 : 1;
}
