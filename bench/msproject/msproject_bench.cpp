// Times the planning program stand-in on large plans: open, 1,000 Find calls for a code, 1,000 Find
// calls each after a change of the plan (a task appended and coded, as the connect does), and save,
// on plans of 5,000 and 60,000 tasks (or the size given). Runs in a private machine folder; prints
// one line per step.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::automation::Err;
namespace msp = platform::msproject;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Code(int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "CE%05d", i);
    return buffer;
}

bool Check(const char* step) {
    if (Err().Number == 0) return true;
    std::fprintf(stderr, "%s failed: %d %s\n", step, Err().Number, Err().Description.c_str());
    return false;
}

} // namespace

int Run(int taskCount, int findCount) {
    // Under TMPDIR when it is set, as other temporary files.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kova-msproject-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "no folder could be made from %s\n", pattern.c_str());
        return 1;
    }
    const std::string folder = pattern;
    setenv("KOVA_HOME", folder.c_str(), 1);
    const std::string file = folder + "/Large.mpp";

    // The plan: summaries of ten tasks each, every task coded in Text1, the parent's code in Text15.
    {
        auto app = msp::StartApplication();
        app->FileNew(false);
        msp::Tasks tasks = app->ActiveProject().Tasks();
        std::string parent;
        for (int i = 1; i <= taskCount; ++i) {
            msp::Task t = tasks.Add("Task " + std::to_string(i));
            t.SetText1(Code(i));
            if (i % 10 == 1) {
                t.SetOutlineLevel(1);
                parent = Code(i);
            } else {
                t.SetOutlineLevel(2);
                t.SetText15(parent);
            }
            t.SetFlag3(true);
        }
        app->FileSaveAs(file);
        if (!Check("building the plan")) return 1;
        msp::QuitApplication();
    }

    auto app = msp::StartApplication();
    auto start = Clock::now();
    app->FileOpen(file);
    double openMs = MsSince(start);
    if (!Check("FileOpen")) return 1;
    app->ViewApply("Gantt Chart", true);

    std::mt19937 random(42);
    std::uniform_int_distribution<int> pick(1, taskCount);
    int found = 0;
    start = Clock::now();
    for (int i = 0; i < findCount; ++i) {
        int wanted = pick(random);
        if (app->Find("Text1", "equals", Code(wanted)) && app->ActiveCell().Task().Id() == wanted) ++found;
    }
    double findMs = MsSince(start);
    if (!Check("Find") || found != findCount) {
        std::fprintf(stderr, "Find found %d of %d\n", found, findCount);
        return 1;
    }

    // The connect's pattern: each search follows a change that the view and the index must absorb.
    msp::Tasks tasks = app->ActiveProject().Tasks();
    found = 0;
    start = Clock::now();
    for (int i = 0; i < findCount; ++i) {
        int wanted = pick(random);
        msp::Task t = tasks.Add("Added " + std::to_string(i));
        t.SetText1(Code(taskCount + 1 + i));
        if (app->Find("Text1", "equals", Code(wanted)) && app->ActiveCell().Task().Id() == wanted) ++found;
    }
    double changedMs = MsSince(start);
    if (!Check("Find after a change") || found != findCount) {
        std::fprintf(stderr, "Find after a change found %d of %d\n", found, findCount);
        return 1;
    }

    app->ActiveProject().Tasks().Item(1).SetText2("changed");
    start = Clock::now();
    app->FileSave();
    double saveMs = MsSince(start);
    if (!Check("FileSave")) return 1;

    std::printf("plan: %d tasks, %ju bytes\n", taskCount,
                static_cast<uintmax_t>(std::filesystem::file_size(file)));
    std::printf("open: %.1f ms\n", openMs);
    std::printf("find: %d calls in %.1f ms (%.1f us per call)\n", findCount, findMs, findMs * 1000 / findCount);
    std::printf("find after a change: %d calls in %.1f ms (%.1f us per call)\n", findCount, changedMs,
                changedMs * 1000 / findCount);
    std::printf("save: %.1f ms\n", saveMs);
    msp::QuitApplication();
    std::filesystem::remove_all(folder);
    return 0;
}

int main(int argc, char** argv) {
    const int findCount = argc > 2 ? std::atoi(argv[2]) : 1000;
    if (argc > 1) return Run(std::atoi(argv[1]), findCount);
    for (int taskCount : {5000, 60000})
        if (int status = Run(taskCount, findCount); status != 0) return status;
    return 0;
}
