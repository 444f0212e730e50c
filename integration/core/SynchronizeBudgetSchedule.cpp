#include "integration/core/SynchronizeBudgetSchedule.h"

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace os = platform::os;
using automation::Err;
using namespace platform::forms;

std::function<void()> ShowSyncOptionsDialog;

namespace {

std::string PlanText(const char* name) {
    automation::Variant value;
    if (!ReadDocumentProperty(name, value)) return {};
    std::string text = automation::CStr(value);
    if (Err().Number != 0) text.clear();
    Err().Clear();
    return text;
}

void ShowAllKovaTasks(msp::Application& app) {
    app.ViewApply(kKovaGanttView, true);
    app.FilterApply(kAllKovaProjectTasksFilter);
    Err().Clear();
}

} // namespace

bool TopTaskIsConnectionNode() {
    Err().Clear();
    if (!MSProjectApplication) return false;
    msp::Application& app = *MSProjectApplication;
    msp::Tasks tasks = app.ActiveProject().Tasks();
    const int32_t count = tasks.Count();
    Err().Clear();
    int32_t emptyRows = 0;
    for (int32_t i = 1; i <= count; ++i) {
        msp::Task task = tasks.Item(i);
        Err().Clear();
        if (!task) {
            ++emptyRows;
            continue;
        }
        if (!task.Flag1() || task.Text10() == "Milestone") continue;
        // The filtered view shows no blank rows, so the task's row is its Id less those above it.
        app.SelectRow(task.Id() - emptyRows, false, false, false);
        Err().Clear();
        // The task walked is the one checked, whatever the row shows, so that a view whose rows do not
        // follow the Ids cannot make another task pass or fail the check.
        const bool same = KovaDataObjects::Trim(task.Text1()) ==
                          KovaDataObjects::Trim(PlanText("KovaConnectionNode"));
        Err().Clear();
        return same;
    }
    return true;
}

void KovaMSP::SynchronizeBudgetSchedule() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!OpenKovaConnection()) return ReleaseCommandObjects();
    if (!RequireOpenPlan() || !RequireSavablePlan()) return ReleaseCommandObjects();
    if (!CheckProjectCompany()) return ReleaseCommandObjects();
    LoadProjectDataFromProperties();
    Err().Clear();
    ResetStepFailures();

    LogFilePath = GetLogFilePath();
    const std::string project = PlanText("KovaProject");
    Err().Clear();
    if (!os::OpenFile(os::LogFileNumber, LogFilePath, os::FileMode::Output)) Err().Clear();

    const bool hasView = HasKovaGanttView();
    Err().Clear();
    if (!hasView) {
        MsgBox(kViewMissingMessage, vbOKOnly + vbCritical);
        os::CloseFile(os::LogFileNumber);
        Err().Clear();
        return ReleaseCommandObjects();
    }
    msp::Application& app = *MSProjectApplication;
    ShowAllKovaTasks(app);
    app.OutlineShowAllTasks();
    Err().Clear();

    if (!TopTaskIsConnectionNode()) {
        MsgBox(kTopTaskMismatchMessage, vbOKOnly + vbExclamation, kMessageTitle);
        os::CloseFile(os::LogFileNumber);
        Err().Clear();
        return ReleaseCommandObjects();
    }
    ShowAllKovaTasks(app);

    PrintLog(std::string(kLogHeaderPrefix) + "Synchronize ChBS/Budget/Schedule with Kova Project " + project +
             "...");
    PrintLog(kSyncFreeStatusNote);
    Err().Clear();
    if (ShowSyncOptionsDialog) ShowSyncOptionsDialog();
    Err().Clear();

    app.FilterApply(kAllKovaProjectTasksFilter);
    Err().Clear();
    const bool saved = SavePlanAndLog();
    Err().Clear();
    std::string failure;
    if (!saved || StepFailed())
        failure = kSynchronizationFailedLine + project + (saved ? kStepsFailedReason : kNotSavedReason);
    if (!failure.empty()) PrintLog(failure);
    CloseCommandLog(failure);
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
