// The assignment conversion command: checks the selected task and its subtree, then hands them to the
// conversion dialog. It talks to no ERP and writes no log.
#include "integration/core/ConvertAssignmentsCommand.h"

#include <vector>

#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using namespace platform::forms;
using platform::automation::Err;

std::function<void()> ShowConvertAssignmentsDialog;

void KovaMSP::ConvertAssignmentsToTask() {
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    if (!RequireOpenPlan()) return ReleaseCommandObjects();
    msp::Application& app = *MSProjectApplication;
    // Applying the view moves the selection to its first row: the user's task is taken before and
    // selected again after, so that the dialog finds it where the user left it.
    msp::Task selected = app.ActiveCell().Task();
    Err().Clear();
    app.ViewApply(kKovaGanttView, true);
    Err().Clear();
    if (selected) {
        if (!SelectTaskRow(app, selected)) selected = msp::Task();
    }
    Err().Clear();
    if (!selected || selected.Text(1).empty()) {
        MsgBox(kConvertInvalidTaskMessage, vbOKOnly + vbExclamation);
        return ReleaseCommandObjects();
    }
    int32_t count = 0;
    CountCodedDescendants(selected, count);
    std::vector<msp::Task> tasks(static_cast<size_t>(count) + 1);
    tasks[0] = selected;
    int32_t last = 0;
    CollectCodedDescendants(selected, tasks, last);
    Err().Clear();
    const bool any = AnyTaskHasAssignments(tasks, last);
    Err().Clear();
    if (!any)
        MsgBox(kConvertNoAssignmentsMessage, vbOKOnly + vbExclamation);
    else if (ShowConvertAssignmentsDialog)
        ShowConvertAssignmentsDialog();
    ReleaseCommandObjects();
}

} // namespace Grantry
