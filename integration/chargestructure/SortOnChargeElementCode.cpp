#include "integration/chargestructure/SortOnChargeElementCode.h"

#include <string>

#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::ErrObject;

namespace {

// Runs one automation step and keeps going: a failure stays recorded as the last one.
template <typename F> void Step(ErrObject& last, F&& f) {
    Err().Clear();
    f();
    if (Err().Number != 0) last = Err();
}

void WriteSortKeys(msp::Tasks& tasks, bool milestoneAsSubtask, ErrObject& last) {
    const int32_t count = tasks.Count();
    for (int32_t i = 1; i <= count; ++i) {
        msp::Task t = tasks.Item(i);
        if (!t) continue;
        Step(last, [&] {
            if (t.Text10() == kMilestone) {
                const std::string code = t.Text1();
                const std::string parent = t.Text15();
                t.SetText16(code);
                if (Trim(parent).empty())
                    t.SetText1("!" + code);
                else if (!milestoneAsSubtask)
                    t.SetText1(parent + kSortLastKey + code);
            } else if (t.Text1().empty()) {
                t.SetText1(kSortLastKey);
            }
        });
    }
}

void RestoreCodes(msp::Tasks& tasks, ErrObject& last) {
    const int32_t count = tasks.Count();
    for (int32_t i = 1; i <= count; ++i) {
        msp::Task t = tasks.Item(i);
        if (!t) continue;
        Step(last, [&] {
            if (t.Text10() == kMilestone) {
                t.SetText1(t.Text16());
                t.SetText16("");
            } else if (t.Text1() == kSortLastKey) {
                t.SetText1("");
            }
        });
    }
}

} // namespace

void SortTasksOnChargeElementCode() {
    ErrObject last;
    platform::os::PrintLine(platform::os::LogFileNumber, "Sorting based on charge element code ... ");
    Err().Clear();
    if (!MSProjectApplication) {
        Err().Raise(91, "SortTasksOnChargeElementCode");
        return;
    }
    msp::Application& app = *MSProjectApplication;
    Step(last, [&] { app.OutlineShowAllTasks(); });
    Step(last, [&] { app.ViewApply("Task Sheet", true); });

    const bool milestoneAsSubtask = GetMilestoneAsSubtask();
    Err().Clear();
    msp::Tasks tasks = app.ActiveProject().Tasks();
    if (Err().Number != 0) {
        last = Err();
    } else {
        WriteSortKeys(tasks, milestoneAsSubtask, last);
        Step(last, [&] { app.SelectCell(1, 2, false); });
        Step(last, [&] { app.SelectSheet(); });
        Step(last, [&] {
            msp::SortArgs args;
            args.Key1 = kChargeElementCodeField;
            args.Ascending1 = true;
            args.Renumber = true;
            app.Sort(args);
        });
        // The sort moved the tasks: walk the plan's tasks again.
        tasks = app.ActiveProject().Tasks();
        RestoreCodes(tasks, last);
    }
    Step(last, [&] { app.ViewApply(kKovaGanttView, true); });
    Err() = last;
}

void InstallSortTasksOnChargeElementCode() {
    SortTasksOnChargeElementCodeStep() = SortTasksOnChargeElementCode;
}

} // namespace Grantry
