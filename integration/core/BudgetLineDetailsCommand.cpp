// The budget-line details command: the single-line dialog in the Gantt view, the browser in the budget
// view, after the checks of the selected task. No log, no ERP call, the plan not saved.
#include "integration/core/BudgetLineDetailsCommand.h"

#include <memory>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using KovaDataObjects::Trim;
using namespace platform::forms;

std::function<void(const std::string& tag)> ShowBudgetLineDialog;
std::function<void()> ShowBudgetLineBrowser;

namespace {

constexpr char kChooseViewMessage[] = "Please select Kova Proj Gantt view or the Kova Proj Budget View";
constexpr char kChooseTaskText[] =
    "Please Select a Charge Element Task to insert a Budget Line Task\r\nor Select a Budget Line Task to "
    "View / Modify ";
const std::string kInvalidTaskMessage = std::string("An Invalid Task has been selected\r\n\r\n") + kChooseTaskText;
constexpr char kInvalidChargeElementMessage[] =
    "The selected task contains an invalid Kova Charge Element\r\n\r\nCannot insert a budget line";
const std::string kMilestoneMessage =
    std::string("A Milestone has been Selected\r\nIt is not possible to add budget line Information to "
                "Milestones\r\n\r\n") +
    kChooseTaskText;
constexpr char kWrongTypeMessage[] =
    "Budget lines can be inserted only for the tasks of the type Project Cost Account and Work Packages";
constexpr char kNoAddingMessage[] =
    "Budget lines cannot be added\r\n\r\nfor the Project Budget combination (Element / Activity)";

// Budget combinations 1 ("Element / Element") and 3 ("Activity / Activity") let lines be added by hand.
bool AddingAllowed() {
    automation::Variant combination;
    if (!ReadDocumentProperty("KovaProjectBudgetCombination", combination)) return false;
    int32_t value = automation::CLng(combination);
    if (Err().Number != 0) return Err().Clear(), false;
    return value == 1 || value == 3;
}

void ShowBrowser() {
    if (ShowBudgetLineBrowser) ShowBudgetLineBrowser();
}

void ShowLineDialog(const std::string& tag) {
    if (ShowBudgetLineDialog) ShowBudgetLineDialog(tag);
}

} // namespace

void KovaMSP::BudgetLineDetails() {
    Err().Clear();
    AttachMSProject();
    if (!MSProjectApplication) return ReleaseCommandObjects();
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    if (!RequireOpenPlan()) return ReleaseCommandObjects();
    msp::Application& app = *MSProjectApplication;
    const bool addingAllowed = AddingAllowed();
    LoadProjectDataFromProperties();
    Err().Clear();

    const std::string view = app.ActiveProject().CurrentView();
    msp::Task task = app.ActiveCell().Task();
    Err().Clear();
    const bool gantt = view == kKovaGanttView;
    const bool budget = view == kKovaBudgetView;

    if (!gantt && !budget) {
        MsgBox(kChooseViewMessage, vbOKOnly);
    } else if (!task) {
        MsgBox(kInvalidTaskMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (!task.Text1().empty() && !task.Flag3()) {
        MsgBox(kInvalidChargeElementMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (gantt && task.Milestone()) {
        MsgBox(kMilestoneMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (!Trim(task.Text1()).empty()) {
        const std::string type = task.Text10();
        if (type != "Work Package" && type != "Project Cost Account")
            MsgBox(kWrongTypeMessage, vbOKOnly + vbExclamation, kMessageTitle);
        else if (!gantt)
            ShowBrowser();
        else if (addingAllowed)
            ShowLineDialog(kNewBudgetLineTaskTag);
        else
            MsgBox(kNoAddingMessage, vbOKOnly, kMessageTitle);
    } else if (gantt && Trim(task.Text8()).empty()) {
        // Neither a charge element nor a budget line: the dialog would store a line on a plain task.
        MsgBox(kInvalidTaskMessage, vbOKOnly + vbExclamation, kMessageTitle);
    } else if (gantt) {
        ShowLineDialog("");
    } else {
        ShowBrowser();
    }
    Err().Clear();

    // The dialogs may have switched views on their way; the command always ends in the Gantt view.
    if (MSProjectApplication) MSProjectApplication->ViewApply(kKovaGanttView, true);
    Err().Clear();
    ReleaseCommandObjects();
}

} // namespace Grantry
