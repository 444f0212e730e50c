#include "integration/budgetdialogs/frmKovabdglines.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmConvertResAssgn.h"
#include "integration/budgetdialogs/BudgetDialogSupport.h"
#include "integration/core/BudgetLineDetailsCommand.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using automation::Variant;
using KovaDataObjects::Trim;
using namespace platform::forms;

namespace {

// The three Validate handlers have a title of their own.
constexpr char kValidateTitle[] = "KovaProject - MS Project Integration";

const std::string kLinkExists = LinkStateName(kLinkStateLinkExists);
const std::string kNoLink = LinkStateName(kLinkStateNoLink);

// A new task added by the dialog is indented or outdented into place; a level that cannot be reached
// stops the walk rather than looping for ever.
constexpr int kMaxOutlineSteps = 100;

msp::Application* App() {
    return MSProjectApplication.get();
}

void SelectTaskRow(const msp::Task& task) {
    if (!App() || !task) return;
    Grantry::SelectTaskRow(*App(), task);
}

// Whether an entry of the list equals the text, both without their outer blanks. An empty text
// matches no entry.
bool HasEntry(const ListControl& list, const std::string& text) {
    const std::string wanted = Trim(text);
    if (wanted.empty()) return false;
    for (int i = 0; i < list.ListCount(); ++i)
        if (Trim(list.List(i)) == wanted) return true;
    return false;
}

// The code (Text2) of the employee or trade-group resource of exactly this name; false when the plan
// has none.
bool PersonResourceCode(const std::string& name, std::string& code) {
    if (!App() || !IsPersonResourceName(name)) return false;
    const msp::Resource resource = App()->ActiveProject().Resources().Item(name);
    const bool found = Err().Number == 0 && resource && resource.Name() == name;
    if (found) code = Trim(resource.Text2());
    Err().Clear();
    return found;
}

bool ReadFlagProperty(const char* name) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    bool flag = automation::CBool(value);
    if (Err().Number != 0) return Err().Clear(), false;
    return flag;
}

} // namespace

frmKovabdglines::frmKovabdglines() : Form("frmKovabdglines", "Kova Budget Details") {
    fraBudgetLineInformation.Caption = "Budget Line Information";
    lblLinkedCE.Caption = "Linked Charge Element";
    lblLnkType.Caption = "Link Type ";
    lblBudgetLine.Caption = "Budget Line Number ";
    fraBudgetData.Caption = "Budget Data";
    lblCostType.Caption = "Cost Type";
    lblCostObj.Caption = "Cost Object Code";
    lblBudgetQuantity.Caption = "Quantity";
    lblEmpTrg.Caption = "Employee/Trade Group";
    fraInsertAs.Caption = "Insert As";
    optSubtask.Caption = "Sub Task";
    optResAssgnt.Caption = "Resource Assignment";
    cmdOK.Caption = "&OK";
    cmdCancel.Caption = "&Cancel";
    cmdMore.Caption = "&More...";
    // The linked charge element and the line number are shown, not typed.
    txtLinkedCE.Enabled = false;
    txtBudgetLine.Enabled = false;
    for (const char* state : {kLinkStateNoLink, kLinkStateCreate, kLinkStateLinkExists})
        cmbLnkType.AddItem(LinkStateName(state));
    for (const BudgetCostType& type : BudgetCostTypes())
        cmbCostType.AddItem(type.name);

    cmbLnkType.GotFocus = [this] { PreviousLinkIndex = static_cast<int16_t>(cmbLnkType.ListIndex()); };
    cmbLnkType.Click = [this] { cmbLnkType_Click(); };
    cmbCostType.Click = [this] { cmbCostType_Click(); };
    cmbCostType.Validate = [this](bool& Cancel) { cmbCostType_Validate(Cancel); };
    cmbCostObj.GotFocus = [this] { PreviousCostObjectText = cmbCostObj.Text(); };
    cmbCostObj.Click = [this] { cmbCostObj_Click(); };
    cmbCostObj.Validate = [this](bool& Cancel) { cmbCostObj_Validate(Cancel); };
    cmbEmpTrg.GotFocus = [this] { PreviousEmpTrgText = cmbEmpTrg.Text(); };
    cmbEmpTrg.Click = [this] { cmbEmpTrg_Click(); };
    cmbEmpTrg.Validate = [this](bool& Cancel) { cmbEmpTrg_Validate(Cancel); };
    txtBudgetQuantity.Change = [this] { CheckInputData(); };
    txtBudgetQuantity.KeyPress = [this](int16_t& KeyAscii) { txtBudgetQuantity_KeyPress(KeyAscii); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { Unload(); };
    cmdMore.Click = [this] { cmdMore_Click(); };
}

void frmKovabdglines::GetConnectProjectCustomProperties() {
    static constexpr const char* kSubTaskProperties[] = {"KovaMatBudgLnAsSubTask", "KovaLabBudgLnAsSubTask",
                                                         "KovaEqpBudgLnAsSubTask", "KovaSubBudgLnAsSubTask",
                                                         "KovaSunBudgLnAsSubTask"};
    for (size_t i = 0; i < SubTaskDefaults.size(); ++i)
        SubTaskDefaults[i] = ReadFlagProperty(kSubTaskProperties[i]);
    Ownership = ReadOwnership(Ownership);
}

void frmKovabdglines::DetermineLinkedCE() {
    Grantry::DetermineLinkedCE(SelectedTask, LinkedCETask, LinkedCECode);
}

void frmKovabdglines::count_total_budget_lines(int32_t& count) {
    count = 0;
    if (!LinkedCETask) return;
    for (const msp::Task& child : LinkedCETask.OutlineChildren()) {
        if (IsBudgetLine(child)) ++count;
        if (count > 1) return;
    }
    for (msp::Assignment assignment : LinkedCETask.Assignments()) {
        if (IsBudgetLine(assignment)) ++count;
        if (count >= 2) break;
    }
    Err().Clear();
}

void frmKovabdglines::Form_Load() {
    FilledCostType = 0;
    if (App()) SelectedTask = App()->ActiveCell().Task();
    Err().Clear();
    GetConnectProjectCustomProperties();
    DetermineLinkedCE();
    txtLinkedCE.SetText(LinkedCECode);

    int32_t linkValue = LinkValueOf(SelectedTask ? SelectedTask.Text8() : std::string());
    LoadedLinkValue = linkValue;
    if (linkValue != 0) {
        int32_t rows = 0;
        if (LinkedCETask) rows = LinkedCETask.OutlineChildren().Count() + LinkedCETask.Assignments().Count();
        Err().Clear();
        if (rows == 1) {
            cmdMore.Enabled = false;
        } else {
            int32_t lines = 0;
            count_total_budget_lines(lines);
            cmdMore.Enabled = lines >= 2;
        }
    } else {
        linkValue = 2;
        cmdMore.Enabled = false;
    }

    cmbLnkType.SetListIndex(linkValue - 1);
    Err().Clear();

    const int linkIndex = cmbLnkType.ListIndex();
    if (linkIndex == kLinkIndexCreate || linkIndex == kLinkIndexExists) {
        txtBudgetLine.SetText(SelectedTask.Text4());
        int32_t costType = 1;
        if (LoadedLinkValue != 0) costType = SelectedTask.Text2().empty() ? linkValue : LinkValueOf(SelectedTask.Text2());
        cmbCostType.SetListIndex(costType - 1);
        Err().Clear();
        if (LoadedLinkValue != 0) {
            cmbCostObj.SetText(SelectedTask.Text3() + " " + SelectedTask.Name());
            txtBudgetQuantity.SetText(SelectedTask.Text6());
            txtBudgetUnit.SetText(SelectedTask.Text7());
        }
        for (msp::Assignment assignment : SelectedTask.Assignments()) {
            const std::string name = assignment.ResourceName();
            if (IsPersonResourceName(name)) {
                cmbEmpTrg.SetText(name);
                LoadedEmpTrgName = Trim(name);
                break;
            }
        }
        Err().Clear();
        cmbEmpTrg.Enabled = cmbCostType.ListIndex() == kCostIndexLabor && !Trim(cmbEmpTrg.Text()).empty();
    } else {
        cmbCostType.SetListIndex(kCostIndexMaterial);
        Err().Clear();
    }

    if (cmbLnkType.ListIndex() == kLinkIndexExists) {
        if (!SelectedTask.Text8().empty())
            optSubtask.SetValue(true);
        else
            optResAssgnt.SetValue(true);
    }

    const int costIndex = cmbCostType.ListIndex();
    if (costIndex == kCostIndexLabor || costIndex == kCostIndexEquipment)
        txtBudgetQuantity.Enabled = false;
    else
        txtBudgetQuantity.Enabled =
            LoadedLinkValue == 0 || LoadedLinkValue == 2 || (LoadedLinkValue == 3 && PlanOwnsQuantities());
    if (LoadedLinkValue == 3 && (Ownership == 1 || Ownership == 3)) cmbCostObj.Enabled = true;
    Err().Clear();
}

void frmKovabdglines::cmbLnkType_Click() {
    if (cmbLnkType.ListIndex() == kLinkIndexExists && Visible()) {
        MsgBox("This Value can not be set manually", vbInformation, kMessageTitle);
        cmbLnkType.SetListIndex(PreviousLinkIndex);
        Err().Clear();
    }
    ControlInputBasedOnLinkValue();
}

void frmKovabdglines::ControlInputBasedOnLinkValue() {
    const std::string link = cmbLnkType.Text();
    if (link.empty()) return;
    if (link == kNoLink) {
        cmbCostType.Enabled = cmbCostObj.Enabled = txtBudgetQuantity.Enabled = cmbEmpTrg.Enabled = false;
    } else if (link == kLinkExists) {
        cmbLnkType.Enabled = false;
        cmbCostType.Enabled = cmbCostObj.Enabled = txtBudgetQuantity.Enabled = cmbEmpTrg.Enabled = false;
    } else {
        cmbCostType.Enabled = cmbCostObj.Enabled = txtBudgetQuantity.Enabled = true;
        cmbEmpTrg.Enabled = cmbCostType.ListIndex() == kCostIndexLabor;
    }
}

void frmKovabdglines::CheckInputData() {
    const int linkIndex = cmbLnkType.ListIndex();
    bool ready = !cmbCostType.Text().empty() && !cmbCostObj.Text().empty() &&
                 (linkIndex == kLinkIndexCreate || linkIndex == kLinkIndexExists);
    if (ready && cmbCostType.ListIndex() == kCostIndexLabor) ready = !Trim(cmbEmpTrg.Text()).empty();
    cmdOK.Enabled = ready;
}

void frmKovabdglines::cmbCostType_Click() {
    if (cmbCostType.Text() != cmbCostType.List(kCostIndexLabor)) cmbEmpTrg.Clear();
    const int linkIndex = cmbLnkType.ListIndex();
    // While a linked line loads, its lists are filled below and its quantity stays as the plan has it.
    if (!cmbCostType.Text().empty() &&
        (linkIndex == kLinkIndexNoLink || linkIndex == kLinkIndexCreate || Visible())) {
        const int32_t costType = CostType();
        cmbEmpTrg.Enabled = costType == 2;
        if (costType == 2 || costType == 3)
            txtBudgetQuantity.Enabled = false;
        else
            txtBudgetQuantity.Enabled =
                linkIndex == kLinkIndexCreate || (cmbLnkType.Text() == kLinkExists && PlanOwnsQuantities());
        GetKovaCostObjectsFromResourceList();
        txtBudgetQuantity.SetText("");
        txtBudgetUnit.SetText("");
        const bool newLine = !SelectedTask || SelectedTask.Text8().empty();
        Err().Clear();
        const bool asSubTask = !newLine || (costType >= 1 && costType <= 5 &&
                                            SubTaskDefaults[static_cast<size_t>(costType - 1)]);
        if (asSubTask)
            optSubtask.SetValue(true);
        else
            optResAssgnt.SetValue(true);
    }
    if (linkIndex == kLinkIndexExists) GetKovaCostObjectsFromResourceList();
    CheckInputData();
}

void frmKovabdglines::cmbCostType_Validate(bool& /*Cancel*/) {
    if (cmbCostType.Text() != cmbCostType.List(kCostIndexLabor)) cmbEmpTrg.Clear();
    if (Trim(cmbCostType.Text()).empty()) {
        MsgBox("Please Select a Cost Type.", vbOKOnly, kValidateTitle);
        cmbCostType.SetListIndex(kCostIndexMaterial);
        cmbCostObj.Clear();
        cmbEmpTrg.Clear();
        // The lists were just emptied: they are filled again even when the cost type stayed the same.
        FilledCostType = 0;
        GetKovaCostObjectsFromResourceList();
    }
    if (!HasEntry(cmbCostType, cmbCostType.Text())) MsgBox("Please Select a Valid Cost Type.", vbOKOnly, kValidateTitle);
    Err().Clear();
    CheckInputData();
}

void frmKovabdglines::GetKovaCostObjectsFromResourceList() {
    const int32_t costType = CostType();
    if (costType == FilledCostType) return;
    FilledCostType = costType;
    ListCostObjects(costType, cmbCostObj, cmbEmpTrg, laborRecords_);
}

void frmKovabdglines::LookUpCostObjectUnit() {
    SavedTask = SelectedTask;
    CostObjectCode.clear();
    CostObjectDescription.clear();
    CostObjectUnit.clear();
    CostObjectProject.clear();
    const int position = cmbCostObj.ListIndex() + 1;
    const int32_t costType = cmbCostType.Text().empty() ? 0 : CostType();
    if (position == 0) return;
    CostObjectDetails details = LookUpCostObject(costType, position - 1, cmbCostObj.Text(), laborRecords_);
    CostObjectCode = details.Code;
    CostObjectDescription = details.Description;
    CostObjectUnit = details.Unit;
    CostObjectProject = details.Project;
    txtBudgetUnit.SetText(CostObjectUnit);
    if (!SavedTask) return;
    // The resource lookup leaves the resource view active; the line is stored from the Gantt view.
    if (App() && App()->ActiveProject().CurrentView() != kKovaGanttView) App()->ViewApply(kKovaGanttView, true);
    Err().Clear();
    SelectedTask = SavedTask;
    SelectTaskRow(SelectedTask);
    Err().Clear();
}

void frmKovabdglines::cmbCostObj_Click() {
    LookUpCostObjectUnit();
    if (cmbLnkType.Text() == kLinkExists && cmbCostType.ListIndex() == kCostIndexLabor) cmbEmpTrg.Enabled = true;
    CheckInputData();
}

void frmKovabdglines::cmbCostObj_Validate(bool& /*Cancel*/) {
    if (!HasEntry(cmbCostObj, cmbCostObj.Text()))
        MsgBox("Please Select a Valid Cost Object.", vbOKOnly, kValidateTitle);
    CheckInputData();
}

void frmKovabdglines::cmbEmpTrg_Click() {
    SavedTask = SelectedTask;
    // The resource of exactly the chosen name, not the first whose name contains it.
    if (cmbEmpTrg.ListIndex() >= 0) PersonResourceCode(Trim(cmbEmpTrg.Text()), EmpTrgCode);
    Err().Clear();
    CheckInputData();
}

void frmKovabdglines::cmbEmpTrg_Validate(bool& /*Cancel*/) {
    if (Trim(cmbEmpTrg.Text()).empty()) {
        MsgBox("Please Select an Employee/TradeGroup Resource.", vbOKOnly, kValidateTitle);
        cmbEmpTrg.SetListIndex(0);
        Err().Clear();
    }
    if (!HasEntry(cmbEmpTrg, cmbEmpTrg.Text()))
        MsgBox("Please Select a Valid Employee/TradeGroup.", vbOKOnly, kValidateTitle);
    CheckInputData();
}

void frmKovabdglines::txtBudgetQuantity_KeyPress(int16_t& KeyAscii) {
    KeepQuantityKey(KeyAscii);
}

void frmKovabdglines::cmdOK_Click() {
    auto refuse = [](const char* message, Control& focus) {
        MsgBox(message, vbExclamation, kMessageTitle);
        focus.SetFocus();
        Err().Clear();
    };
    if (cmbLnkType.Text().empty()) return refuse("Please select a link type", cmbLnkType);
    const int linkIndex = cmbLnkType.ListIndex();
    const bool store = linkIndex == kLinkIndexCreate ||
                       (linkIndex == kLinkIndexExists && PlanOwnsQuantities()) ||
                       (linkIndex == kLinkIndexExists && cmbEmpTrg.Text() != PreviousEmpTrgText);
    if (store) {
        // A cost type typed rather than picked names none.
        if (cmbCostType.Text().empty() || !HasEntry(cmbCostType, cmbCostType.Text()) || cmbCostType.ListIndex() < 0)
            return refuse("Please select a Cost Type for creating a Kova budget line", cmbCostType);
        // A new line needs a cost object from the list whoever owns the quantities: without one there
        // is nothing to name the line by and no charge-element task remembered to place it under.
        if (cmbCostObj.ListIndex() == -1 && LoadedLinkValue == 0)
            return refuse("Please select a Cost Object for creating a Kova budget line", cmbCostObj);
        const int costIndex = cmbCostType.ListIndex();
        // An employee or trade group typed must be one of the plan's, by its whole name.
        const std::string person = Trim(cmbEmpTrg.Text());
        if (costIndex == kCostIndexLabor && !person.empty() && !PersonResourceCode(person, EmpTrgCode))
            return refuse("Please Select a Valid Employee/TradeGroup.", cmbEmpTrg);
        const bool quantityLine = costIndex != kCostIndexLabor && costIndex != kCostIndexEquipment;
        if (txtBudgetQuantity.Text().empty() && quantityLine)
            return refuse("Please enter a quantity for creating the Kova budget line", txtBudgetQuantity);
        // The quantity is stored in the user's own number form, whichever separator was typed.
        double quantity = 0;
        if (quantityLine && txtBudgetQuantity.Enabled) {
            if (!ParseBudgetQuantity(txtBudgetQuantity.Text(), quantity))
                return refuse(kInvalidQuantityMessage, txtBudgetQuantity);
            txtBudgetQuantity.SetText(BudgetNumberText(quantity));
        }
        // Only a new line can become an assignment; a line shown is stored where it is.
        if (optResAssgnt.Value() && LoadedLinkValue == 0)
            InsertAsResourceAssignment();
        else
            SaveDataToTaskInformation();
        Err().Clear();
        return Unload();
    }
    // "No Link" detaches a line shown; a new line that is not to be linked is simply not stored.
    if (cmbLnkType.Text() == kNoLink && LoadedLinkValue != 0) SaveDataToTaskInformation();
    Err().Clear();
    Unload();
}

void frmKovabdglines::cmdMore_Click() {
    // Until a browser is plugged in the button does nothing, and the dialog stays.
    if (!ShowBudgetLineBrowser) return;
    Unload();
    ShowBudgetLineBrowser();
}

// ---- storing the line ---------------------------------------------------------------------------

msp::Task frmKovabdglines::AddBudgetLineSubtask() {
    msp::Application& app = *App();
    if (SavedTask) SelectedTask = SavedTask;
    if (!SelectedTask) return {};
    SelectTaskRow(SelectedTask);
    SelectedTask.OutlineShowAllTasks();
    Err().Clear();
    // A 32-bit position: a plan may hold more rows than a 16-bit number can count.
    const int32_t position = BudgetLineSubtaskPosition(SelectedTask);
    Err().Clear();
    msp::Task target = app.ActiveProject().Tasks().Add(CostObjectDescription, position);
    if (Err().Number != 0 || !target) return {};
    SelectTaskRow(target);
    const int32_t wanted = SelectedTask.OutlineLevel() + 1;
    for (int step = 0; step < kMaxOutlineSteps && target.OutlineLevel() != wanted; ++step) {
        if (target.OutlineLevel() <= SelectedTask.OutlineLevel())
            target.OutlineIndent();
        else
            target.OutlineOutdent();
        if (Err().Number != 0) break;
    }
    Err().Clear();
    if (cmbCostType.ListIndex() == kCostIndexLabor) {
        app.ResourceAssignment(cmbEmpTrg.Text(), msp::pjAssign);
        Err().Clear();
    }
    return target;
}

void frmKovabdglines::SaveDataToTaskInformation() {
    if (!App()) return;
    msp::Task target;
    if (LoadedLinkValue != 0)
        target = SavedTask ? SavedTask : SelectedTask;
    else
        target = AddBudgetLineSubtask();
    if (!target) return Err().Clear();

    LinkValue = cmbLnkType.Text().empty() ? 1 : cmbLnkType.ListIndex() + 1;
    const int costIndex = cmbCostType.ListIndex();
    const bool writeData = (cmbEmpTrg.Text() != PreviousEmpTrgText && LinkValue == 3) || LinkValue == 2 ||
                           (LinkValue == 3 && PlanOwnsQuantities());
    if (writeData) {
        if (cmbCostObj.ListIndex() >= 0) {
            target.SetName(CostObjectDescription);
            target.SetText2(std::to_string(costIndex + 1));
            target.SetText3(CostObjectCode);
            target.SetText7(txtBudgetUnit.Text());
        }
        target.SetText6(txtBudgetQuantity.Text());
        Err().Clear();
        if (costIndex == kCostIndexLabor && LoadedLinkValue != 0) {
            const std::string previous = Trim(PreviousEmpTrgText);
            const std::string chosen = Trim(cmbEmpTrg.Text());
            std::vector<msp::Assignment> assignments = target.Assignments().Snapshot();
            if (!assignments.empty()) {
                for (msp::Assignment& assignment : assignments) {
                    if (Trim(assignment.ResourceName()) != previous) continue;
                    SelectTaskRow(SelectedTask);
                    App()->ResourceAssignment(previous, msp::pjReplace, chosen);
                    Err().Clear();
                }
            } else {
                int32_t id = App()->ActiveProject().Resources().Item(cmbEmpTrg.Text()).Id();
                if (Err().Number == 0) target.Assignments().Add(id);
            }
        } else if (costIndex != kCostIndexLabor) {
            // A line that is no longer labour loses the employee or trade group it had; a new labour
            // line keeps the one just assigned to it.
            for (msp::Assignment assignment : target.Assignments()) {
                if (Trim(assignment.ResourceName()) != LoadedEmpTrgName) continue;
                assignment.Delete();
                break;
            }
        }
        Err().Clear();
    } else if (LinkValue == 1) {
        target.SetText2("");
        target.SetText3("");
        target.SetText6("");
        target.SetText7("");
        // A detached line also gives up its key, so that no later line from the ERP takes it for its own.
        DetachBudgetLine(target);
        for (msp::Assignment assignment : SelectedTask.Assignments().Snapshot())
            assignment.Delete();
        Err().Clear();
    }

    if (!Trim(PreviousCostObjectText).empty() && cmbLnkType.ListIndex() == kLinkIndexExists &&
        PlanOwnsQuantities() && Trim(cmbCostObj.Text()) != Trim(PreviousCostObjectText)) {
        target.SetText8("2");
        target.SetText4("");
    } else {
        target.SetText8(std::to_string(LinkValue));
    }
    Err().Clear();
}

void frmKovabdglines::InsertAsResourceAssignment() {
    if (!App()) return;
    msp::Application& app = *App();
    if (SavedTask) SelectedTask = SavedTask;
    else SelectedTask = app.ActiveCell().Task();
    Err().Clear();
    if (!SelectedTask) return;
    LinkValue = cmbLnkType.Text().empty() ? 1 : cmbLnkType.ListIndex() + 1;
    SelectTaskRow(SelectedTask);
    Err().Clear();
    const int costIndex = cmbCostType.ListIndex();
    const std::string costType = std::to_string(costIndex + 1);

    // One task cannot carry two assignments of one resource: when the charge-element task has the
    // resource already, that line and the new one both become subtasks.
    for (msp::Assignment existing : SelectedTask.Assignments().Snapshot()) {
        const std::string name = existing.ResourceName();
        if (name != cmbCostObj.Text() && !(costIndex == kCostIndexLabor && name == cmbEmpTrg.Text())) continue;
        BudgetLineSubtaskSource moved = SubtaskSourceOf(existing);
        Err().Clear();
        msp::Task subtask;
        // The assignment goes only once its subtask stands: otherwise it stays the line's one holder.
        if (CreateSubtaskFromAssignment(SelectedTask, moved, subtask)) existing.Delete();
        Err().Clear();

        BudgetLineSubtaskSource line;
        line.name = CostObjectDescription;
        line.costType = costType;
        line.code = CostObjectCode;
        line.resourceName = costIndex == kCostIndexLabor && !cmbEmpTrg.Text().empty() ? cmbEmpTrg.Text()
                                                                                      : cmbCostObj.Text();
        line.lineNumber = txtBudgetLine.Text();
        line.quantity = txtBudgetQuantity.Text();
        line.unit = txtBudgetUnit.Text();
        line.actualStart = SelectedTask.ActualStart();
        line.actualFinish = SelectedTask.ActualFinish();
        line.linkState = kLinkStateCreate;
        line.assignResource = IsConvertibleAssignment(line.resourceName, CostObjectCode, costType);
        line.start = SelectedTask.Start();
        line.finish = SelectedTask.Finish();
        Err().Clear();
        CreateSubtaskFromAssignment(SelectedTask, line, subtask);
        Err().Clear();
        return;
    }
    Err().Clear();

    if (SelectedTask.OutlineChildren().Count() == 0) {
        SelectedTask.SetType(2);
        SelectedTask.SetWork(1.0);
        SelectedTask.SetMilestone(false);
    }
    Err().Clear();
    const std::string resourceName = !cmbEmpTrg.Text().empty() ? cmbEmpTrg.Text() : cmbCostObj.Text();
    int32_t resourceId = app.ActiveProject().Resources().Item(resourceName).Id();
    if (Err().Number != 0) return Err().Clear();
    SelectedTask.Assignments().Add(resourceId, 0.0);
    Err().Clear();
    for (msp::Assignment assignment : SelectedTask.Assignments()) {
        if (assignment.ResourceName() != resourceName) continue;
        assignment.SetText2(costType);
        assignment.SetText3(CostObjectCode);
        assignment.SetText4(txtBudgetLine.Text());
        assignment.SetText6(txtBudgetQuantity.Text());
        if (costIndex == kCostIndexMaterial || costIndex == kCostIndexSubcontracting || costIndex == kCostIndexSundry)
            assignment.SetUnits(Variant(BudgetNumberOfText(txtBudgetQuantity.Text())));
        else
            assignment.SetWork(240.0);
        assignment.SetText7(txtBudgetUnit.Text());
        assignment.SetText8(std::to_string(LinkValue));
        assignment.SetText11(CostObjectDescription);
        if (costIndex == kCostIndexLabor) assignment.SetText13(EmpTrgCode);
        break;
    }
    Err().Clear();
}

void InstallBudgetLineDialog() {
    ShowBudgetLineDialog = [](const std::string& tag) {
        frmKovabdglines& dialog = DefaultInstance<frmKovabdglines>();
        dialog.Tag = tag;
        dialog.Load();
        dialog.Show(vbModal);
        if (IsFormLoaded<frmKovabdglines>()) UnloadForm<frmKovabdglines>();
    };
}

} // namespace Grantry
