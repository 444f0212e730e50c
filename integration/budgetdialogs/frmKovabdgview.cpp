#include "integration/budgetdialogs/frmKovabdgview.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmConvertResAssgn.h"
#include "integration/budgetdialogs/BudgetDialogSupport.h"
#include "integration/core/BudgetLineDetailsCommand.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;
using automation::Val;
using KovaDataObjects::Trim;
using namespace platform::forms;

namespace {

constexpr char kNoLinesMessage[] = "No budget lines are present for the linked Charge Element";
const std::string kCreate = LinkStateName(kLinkStateCreate);
const std::string kLinkExists = LinkStateName(kLinkStateLinkExists);
constexpr int32_t kLabor = 2;
constexpr int32_t kEquipment = 3;
constexpr char kSubtask[] = "ST";
constexpr char kAssignment[] = "RA";

msp::Application* App() {
    return MSProjectApplication.get();
}

// Labour and equipment lines take their quantity from the work of the plan.
bool FollowsWork(int32_t costType) {
    return costType == kLabor || costType == kEquipment;
}

} // namespace

frmKovabdgview::frmKovabdgview() : Form("frmKovabdgview", "Kova Budget Details") {
    fraBudgetLineDetails.Caption = "Budget Line Details";
    lblLinkedCE.Caption = "Linked Charge Element";
    FrameAddInfo.Caption = "Budget Line Information";
    lblLnkType.Caption = "Link Type ";
    lblBudgetLine.Caption = "Budget Line Number ";
    frmBdgln.Caption = "Budget Data";
    lblCostType.Caption = "Cost Type";
    lblCostObj.Caption = "Cost Object Code";
    lblEmpTrg.Caption = "Employee/Trade Group";
    lblBudgetQuantity.Caption = "Quantity";
    fraInsertedAs.Caption = "Inserted As";
    optSubtask.Caption = "Sub Task";
    optResAssgnt.Caption = "Resource Assignment";
    TopBL.Caption = "&Top";
    PreviousBL.Caption = "< &Previous";
    NextBL.Caption = "&Next >";
    BottomBL.Caption = "&Bottom";
    cmdSave.Caption = "&Save";
    cmdclose.Caption = "&Close";
    txtLinkedCE.Enabled = false;
    txtBudgetLine.Enabled = false;
    txtBudgetUnit.Enabled = false;
    PreviousBL.Enabled = false;
    for (const char* state : {kLinkStateNoLink, kLinkStateCreate, kLinkStateLinkExists})
        cmbLnkType.AddItem(LinkStateName(state));
    for (const BudgetCostType& type : BudgetCostTypes())
        cmbCostType.AddItem(type.name);

    cmbLnkType.GotFocus = [this] { PreviousLinkIndex = static_cast<int16_t>(cmbLnkType.ListIndex()); };
    cmbLnkType.Click = [this] { cmbLnkType_Click(); };
    cmbCostType.Click = [this] { cmbCostType_Click(); };
    cmbCostObj.GotFocus = [this] { PreviousCostObjectText = cmbCostObj.Text(); };
    cmbCostObj.Click = [this] { cmbCostObj_Click(); };
    cmbEmpTrg.GotFocus = [this] { PreviousEmpTrgText = cmbEmpTrg.Text(); };
    cmbEmpTrg.Click = [this] { cmbEmpTrg_Click(); };
    txtBudgetQuantity.Change = [this] { cmdSave.Enabled = true; };
    txtBudgetQuantity.KeyPress = [](int16_t& KeyAscii) { KeepQuantityKey(KeyAscii); };
    TopBL.Click = [this] { TopBL_Click(); };
    PreviousBL.Click = [this] { PreviousBL_Click(); };
    NextBL.Click = [this] { NextBL_Click(); };
    BottomBL.Click = [this] { BottomBL_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdclose.Click = [this] { Unload(); };
}

// ---- opening -------------------------------------------------------------------------------------

void frmKovabdgview::Form_Load() {
    FilledCostType = 0;
    CurrentIndex = 0;
    OpenedFromGantt = true;
    if (App()) {
        SelectedTask = App()->ActiveCell().Task();
        Err().Clear();
        const std::string view = App()->ActiveProject().CurrentView();
        if (Err().Number == 0) OpenedFromGantt = view == kKovaGanttView;
    }
    Err().Clear();
    DetermineLinkedCE(SelectedTask, LinkedCETask, LinkedCECode);
    Ownership = ReadOwnership(Ownership);
    fill_array_budget_details();
    cmdSave.Enabled = false;
    // A task with no charge element above it has no lines either.
    if (RecordCount == 0) {
        MsgBox(kNoLinesMessage, vbInformation);
        Err().Clear();
        return Unload();
    }

    const BudgetLineRecord& first = Records[0];
    // Chosen as a user would choose them: the handlers fill the lists and enable &Save.
    cmbLnkType.SetListIndex(first.LinkType - 1);
    cmbCostType.SetListIndex(first.CostType - 1);
    Err().Clear();
    display_from_array(0);
    TopBL.Enabled = false;
    const int32_t costType = first.CostType;
    if (FollowsWork(costType))
        txtBudgetQuantity.Enabled = false;
    else
        txtBudgetQuantity.Enabled =
            first.LinkType == 2 || (first.LinkType == 3 && PlanOwnsQuantities());
    if (first.LinkType == 3) {
        cmbEmpTrg.Enabled = costType == kLabor;
        cmbCostObj.Enabled = ErpOwnsQuantities();
    }
}

void frmKovabdgview::fill_array_budget_details() {
    Records.clear();
    RecordCount = 0;
    if (LinkedCETask) {
        Records.reserve(static_cast<size_t>(LinkedCETask.OutlineChildren().Count() +
                                            LinkedCETask.Assignments().Count()));
        Err().Clear();
        const std::string ceCode = Trim(LinkedCECode);
        // Only the direct children: tasks further down belong to those children.
        for (msp::Task child : LinkedCETask.OutlineChildren()) {
            if (!child || child.Text8().empty()) continue;
            BudgetLineRecord r;
            r.CECode = ceCode;
            r.LinkType = static_cast<int32_t>(Val(child.Text8()));
            r.BudgetLine = Trim(child.Text4());
            r.CostType = static_cast<int32_t>(Val(child.Text2()));
            r.CostObject = Trim(child.Text3()) + " " + Trim(child.Name());
            if (r.CostType == kLabor) {
                for (msp::Assignment a : child.Assignments()) {
                    const std::string name = a.ResourceName();
                    if (IsPersonResourceName(name)) {
                        r.EmpTrg = name;
                        break;
                    }
                }
            }
            r.Quantity = BudgetNumberOfText(child.Text6());
            r.Unit = Trim(child.Text7());
            r.Kind = kSubtask;
            r.Task = child;
            Records.push_back(std::move(r));
            ++RecordCount;
            Err().Clear();
        }
        for (msp::Assignment a : LinkedCETask.Assignments()) {
            if (!a || a.Text8().empty()) continue;
            BudgetLineRecord r;
            r.CECode = ceCode;
            r.LinkType = static_cast<int32_t>(Val(a.Text8()));
            r.BudgetLine = Trim(a.Text4());
            r.CostType = static_cast<int32_t>(Val(a.Text2()));
            if (r.CostType == kLabor) {
                r.CostObject = Trim(a.Text3()) + " " + Trim(a.Text11());
                r.EmpTrg = Trim(a.ResourceName());
            } else {
                r.CostObject = Trim(a.ResourceName());
            }
            // The work is held in minutes; the user reads it in the plan's work unit.
            r.Quantity = FollowsWork(r.CostType) ? MinutesToWorkUnits(a.Work()) : a.Units();
            r.Unit = a.Text7();
            r.Kind = kAssignment;
            r.Assignment = a;
            Records.push_back(std::move(r));
            ++RecordCount;
            Err().Clear();
        }
    }
    LastIndex = RecordCount - 1;
    if (RecordCount > 0 && LastIndex == 0) TopBL.Enabled = PreviousBL.Enabled = NextBL.Enabled = BottomBL.Enabled = false;
    Err().Clear();
}

void frmKovabdgview::display_from_array(int32_t index) {
    if (index < 0 || index > LastIndex) return;
    const BudgetLineRecord& r = Records[static_cast<size_t>(index)];
    txtLinkedCE.SetText(r.CECode);
    cmbLnkType.SetText(cmbLnkType.List(r.LinkType - 1));
    txtBudgetLine.SetText(r.BudgetLine);
    cmbCostType.SetText(cmbCostType.List(r.CostType - 1));
    cmbCostObj.SetText(r.CostObject);
    cmbEmpTrg.SetText(r.EmpTrg);
    txtBudgetQuantity.SetText(BudgetNumberText(r.Quantity));
    txtBudgetUnit.SetText(r.Unit);
    if (r.Kind == kSubtask)
        optSubtask.SetValue(true);
    else
        optResAssgnt.SetValue(true);
    Err().Clear();
}

void frmKovabdgview::DisplayLinkType() {
    if (CurrentIndex < 0 || CurrentIndex > LastIndex) return;
    const BudgetLineRecord& r = Records[static_cast<size_t>(CurrentIndex)];
    // A linked line leaves the link box alone, so that its handler does not refuse "Link Exists".
    if (r.LinkType == 1) {
        cmbLnkType.SetListIndex(kLinkIndexNoLink);
    } else if (r.LinkType == 2) {
        cmbLnkType.SetListIndex(kLinkIndexCreate);
        cmbCostType.SetListIndex(r.CostType - 1);
    } else if (r.LinkType == 3) {
        cmbCostType.SetListIndex(r.CostType - 1);
    }
    Err().Clear();
}

void frmKovabdgview::ControlInputBasedOnLinkValue(bool clickEvent) {
    int32_t costType = 0, link = 0;
    std::string empTrg;
    if (clickEvent) {
        costType = cmbCostType.ListIndex() + 1;
        link = cmbLnkType.ListIndex() + 1;
        empTrg = cmbEmpTrg.Text();
    } else if (CurrentIndex >= 0 && CurrentIndex <= LastIndex) {
        const BudgetLineRecord& r = Records[static_cast<size_t>(CurrentIndex)];
        costType = r.CostType;
        link = r.LinkType;
        empTrg = Trim(r.EmpTrg);
    }
    if (cmbLnkType.Text().empty()) return;
    switch (link) {
    case 1:
        cmbCostType.Enabled = cmbCostObj.Enabled = txtBudgetQuantity.Enabled = cmbEmpTrg.Enabled = false;
        break;
    case 2:
        cmbLnkType.Enabled = cmbCostType.Enabled = cmbCostObj.Enabled = true;
        txtBudgetQuantity.Enabled = !FollowsWork(costType) && ErpOwnsQuantities();
        cmbEmpTrg.Enabled = !empTrg.empty() && costType == kLabor;
        break;
    case 3:
        cmbLnkType.Enabled = cmbCostType.Enabled = false;
        cmbCostObj.Enabled = ErpOwnsQuantities();
        txtBudgetQuantity.Enabled = !FollowsWork(costType) && PlanOwnsQuantities();
        cmbEmpTrg.Enabled = costType == kLabor;
        break;
    default:
        break;
    }
}

int32_t frmKovabdgview::get_link_value() const {
    const std::string& text = cmbLnkType.Text();
    for (int32_t state = 1; state <= 3; ++state)
        if (text == LinkStateName(std::to_string(state))) return state;
    return 0;
}

// ---- the user's choices --------------------------------------------------------------------------

void frmKovabdgview::cmbLnkType_Click() {
    if (cmbLnkType.ListIndex() == kLinkIndexExists && Visible()) {
        MsgBox("This Value can not be set manually", vbInformation, kMessageTitle);
        cmbLnkType.SetListIndex(PreviousLinkIndex);
        Err().Clear();
    }
    ControlInputBasedOnLinkValue(true);
    cmdSave.Enabled = true;
}

void frmKovabdgview::cmbCostType_Click() {
    const int linkIndex = cmbLnkType.ListIndex();
    if (!cmbCostType.Text().empty() &&
        (linkIndex == kLinkIndexNoLink || linkIndex == kLinkIndexCreate || Visible())) {
        const int costIndex = cmbCostType.ListIndex();
        cmbEmpTrg.Enabled = costIndex == kCostIndexLabor;
        if (costIndex == kCostIndexLabor || costIndex == kCostIndexEquipment)
            txtBudgetQuantity.Enabled = false;
        else
            txtBudgetQuantity.Enabled =
                linkIndex == kLinkIndexCreate || (cmbLnkType.Text() == kLinkExists && ErpOwnsQuantities());
        GetKovaCostObjectsFromResourceList();
        txtBudgetQuantity.SetText("");
        txtBudgetUnit.SetText("");
        cmbEmpTrg.SetText("");
    } else {
        GetKovaCostObjectsFromResourceList();
    }
    cmdSave.Enabled = true;
}

void frmKovabdgview::GetKovaCostObjectsFromResourceList() {
    const int32_t costType = cmbCostType.ListIndex() + 1;
    if (costType == FilledCostType) return;
    FilledCostType = costType;
    if (costType == kLabor) {
        // The employees are listed anew each time labour is chosen: without the old entries twice.
        const std::string shown = cmbEmpTrg.Text();
        cmbEmpTrg.Clear();
        cmbEmpTrg.SetText(shown);
    }
    ListCostObjects(costType, cmbCostObj, cmbEmpTrg, laborRecords_);
}

void frmKovabdgview::LookUpCostObjectUnit() {
    CostObjectCode.clear();
    CostObjectDescription.clear();
    CostObjectUnit.clear();
    CostObjectProject.clear();
    const int position = cmbCostObj.ListIndex() + 1;
    const int32_t costType = cmbCostType.Text().empty() ? 0 : cmbCostType.ListIndex() + 1;
    if (position == 0) return;
    // A labour entry reads the record it was listed from; any other the resource of exactly its name.
    const CostObjectDetails details = LookUpCostObject(costType, position - 1, cmbCostObj.Text(), laborRecords_);
    CostObjectCode = details.Code;
    CostObjectDescription = details.Description;
    CostObjectUnit = details.Unit;
    CostObjectProject = details.Project;
    if (costType != kLabor && App()) {
        App()->ViewApply(OpenedFromGantt ? kKovaGanttView : kKovaBudgetView, true);
        Err().Clear();
    }
    txtBudgetUnit.SetText(CostObjectUnit);
}

void frmKovabdgview::cmbCostObj_Click() {
    LookUpCostObjectUnit();
    if (cmbLnkType.Text() == kLinkExists && cmbCostType.ListIndex() == kCostIndexLabor) cmbEmpTrg.Enabled = true;
    cmdSave.Enabled = true;
}

void frmKovabdgview::cmbEmpTrg_Click() {
    if (cmbEmpTrg.ListIndex() >= 0 && App()) {
        // The resource of exactly the chosen name, not the first whose name contains it.
        const msp::Resource resource = App()->ActiveProject().Resources().Item(Trim(cmbEmpTrg.Text()));
        if (Err().Number == 0 && resource) EmpTrgCode = Trim(resource.Text2());
    }
    Err().Clear();
    cmdSave.Enabled = true;
}

// ---- navigation ----------------------------------------------------------------------------------

void frmKovabdgview::ShowRecord(int32_t index) {
    CurrentIndex = index;
    PreviousEmpTrgText.clear();
    PreviousCostObjectText.clear();
    CostObjectCode.clear();
    CostObjectDescription.clear();
    EmpTrgCode.clear();
    DisplayLinkType();
    ControlInputBasedOnLinkValue(false);
    display_from_array(CurrentIndex);
}

void frmKovabdgview::TopBL_Click() {
    ShowRecord(0);
    NextBL.Enabled = BottomBL.Enabled = true;
    TopBL.Enabled = PreviousBL.Enabled = cmdSave.Enabled = false;
}

void frmKovabdgview::PreviousBL_Click() {
    if (CurrentIndex <= 0) return;
    ShowRecord(CurrentIndex - 1);
    NextBL.Enabled = BottomBL.Enabled = true;
    cmdSave.Enabled = false;
    if (CurrentIndex == 0) TopBL.Enabled = PreviousBL.Enabled = false;
}

void frmKovabdgview::NextBL_Click() {
    if (CurrentIndex >= LastIndex) return;
    ShowRecord(CurrentIndex + 1);
    PreviousBL.Enabled = TopBL.Enabled = true;
    cmdSave.Enabled = false;
    if (CurrentIndex == LastIndex) NextBL.Enabled = BottomBL.Enabled = false;
}

void frmKovabdgview::BottomBL_Click() {
    ShowRecord(LastIndex);
    TopBL.Enabled = PreviousBL.Enabled = true;
    BottomBL.Enabled = NextBL.Enabled = cmdSave.Enabled = false;
}

// ---- saving --------------------------------------------------------------------------------------

void frmKovabdgview::cmdSave_Click() {
    auto refuse = [this](const char* message, Control& focus) {
        MsgBox(message, vbExclamation, kMessageTitle);
        focus.SetFocus();
        Err().Clear();
        cmdSave.Enabled = false;
    };
    const std::string link = cmbLnkType.Text();
    if (link.empty()) return refuse("Please select a link type", cmbLnkType);
    if (link == kCreate || link == kLinkExists) {
        // A cost type typed rather than picked names none.
        if (cmbCostType.Text().empty() || cmbCostType.ListIndex() < 0)
            return refuse("Please select a Cost Type for creating a Kova budget line", cmbCostType);
        if (cmbCostObj.Text().empty())
            return refuse("Please select a Cost Object for creating a Kova budget line", cmbCostObj);
        const int costIndex = cmbCostType.ListIndex();
        if (costIndex == kCostIndexLabor && optResAssgnt.Value() && cmbEmpTrg.Text().empty())
            return refuse("Please enter an Employee or Trade Group", cmbEmpTrg);
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
    }
    save_current_details();
    Err().Clear();
    cmdSave.Enabled = false;
}

void frmKovabdgview::find_old_assignment_in_array(const std::string& costObject, const std::string& empTrg,
                                                 int32_t& index) {
    const bool labour = cmbCostType.ListIndex() == kCostIndexLabor;
    for (int32_t i = 0; i <= LastIndex; ++i) {
        const BudgetLineRecord& r = Records[static_cast<size_t>(i)];
        // A subtask's cost object and name can read as a resource's name: only assignments clash.
        if (r.Kind != kAssignment) continue;
        if (labour ? Trim(r.EmpTrg) == Trim(empTrg) : Trim(r.CostObject) == Trim(costObject)) {
            index = i;
            return;
        }
    }
    index = LastIndex + 1;
}

void frmKovabdgview::save_current_details() {
    if (CurrentIndex < 0 || CurrentIndex > LastIndex) return;
    const std::string link = cmbLnkType.Text();
    // A line without a link is not saved.
    if (link != kCreate && link != kLinkExists) return;
    BudgetLineRecord& r = Records[static_cast<size_t>(CurrentIndex)];
    const int costIndex = cmbCostType.ListIndex();
    const std::string costType = std::to_string(costIndex + 1);
    const std::string code = Trim(CostObjectCode);

    if (r.Kind == kSubtask) {
        msp::Task& task = r.Task;
        task.SetText2(costType);
        // Another cost object brings its own unit along.
        if (!code.empty()) {
            task.SetText3(code);
            task.SetText7(txtBudgetUnit.Text());
        }
        if (!CostObjectDescription.empty()) task.SetName(Trim(CostObjectDescription));
        task.SetText6(txtBudgetQuantity.Text());
        Err().Clear();
        const std::string previous = Trim(PreviousEmpTrgText);
        const std::string chosen = Trim(cmbEmpTrg.Text());
        if (costIndex == kCostIndexLabor && !chosen.empty() && chosen != previous && App()) {
            for (msp::Assignment a : task.Assignments().Snapshot()) {
                if (Trim(a.ResourceName()) != previous) continue;
                if (SelectTaskRow(*App(), task ? task : SelectedTask))
                    App()->ResourceAssignment(previous, msp::pjReplace, chosen);
                Err().Clear();
            }
        }
    } else {
        r.Assignment.SetText2(costType);
        if (!code.empty()) {
            r.Assignment.SetText3(code);
            r.Assignment.SetText7(txtBudgetUnit.Text());
        }
        Err().Clear();
        SaveAssignmentLine(r);
    }
    Err().Clear();

    // The line's own link state and number; another cost object on a line the plan owns makes it a
    // new ERP line.
    int32_t linkValue = get_link_value();
    std::string number = txtBudgetLine.Text();
    if (link == kLinkExists && PlanOwnsQuantities() && !Trim(PreviousCostObjectText).empty() &&
        Trim(PreviousCostObjectText) != Trim(cmbCostObj.Text())) {
        linkValue = 2;
        number.clear();
    }
    if (r.Kind == kSubtask) {
        r.Task.SetText8(std::to_string(linkValue));
        r.Task.SetText4(number);
    } else {
        r.Assignment.SetText8(std::to_string(linkValue));
        r.Assignment.SetText4(number);
    }
    Err().Clear();
    r.CostType = costIndex + 1;
    r.CostObject = cmbCostObj.Text();
    r.LinkType = linkValue;
    r.BudgetLine = number;
    r.Quantity = BudgetNumberOfText(txtBudgetQuantity.Text());
    r.Unit = txtBudgetUnit.Text();
    r.EmpTrg = cmbEmpTrg.Text();
}

bool frmKovabdgview::SaveAssignmentLine(BudgetLineRecord& r) {
    const int costIndex = cmbCostType.ListIndex();
    const bool labour = costIndex == kCostIndexLabor;
    const std::string costObject = Trim(cmbCostObj.Text());
    const std::string empTrg = Trim(cmbEmpTrg.Text());
    const std::string previous = Trim(labour ? PreviousEmpTrgText : PreviousCostObjectText);
    const bool changed = !previous.empty() && previous != (labour ? empTrg : costObject);
    bool converted = false;
    if (changed && App() && LinkedCETask) {
        msp::Application& app = *App();
        const bool fromBudgetView = app.ActiveProject().CurrentView() == kKovaBudgetView;
        if (fromBudgetView) app.ViewApply(kKovaGanttView, true);
        Err().Clear();
        msp::Assignment old;
        for (msp::Assignment a : LinkedCETask.Assignments())
            if (a.ResourceName() == previous) old = a;
        Err().Clear();
        for (msp::Assignment clash : old ? LinkedCETask.Assignments().Snapshot() : std::vector<msp::Assignment>{}) {
            const std::string name = clash.ResourceName();
            if (name != costObject && !(labour && Trim(name) == empTrg)) continue;
            // One task takes a resource once: the other line and this one both become subtasks.
            int32_t other = 0;
            find_old_assignment_in_array(cmbCostObj.Text(), cmbEmpTrg.Text(), other);
            BudgetLineSubtaskSource moved = SubtaskSourceOf(clash);
            Err().Clear();
            msp::Task movedTask;
            // An assignment goes only once its subtask stands: otherwise it stays the line's holder.
            if (CreateSubtaskFromAssignment(LinkedCETask, moved, movedTask)) {
                clash.Delete();
                if (other <= LastIndex) {
                    BudgetLineRecord& o = Records[static_cast<size_t>(other)];
                    o.Task = movedTask;
                    o.Assignment = {};
                    o.Kind = kSubtask;
                }
            }
            Err().Clear();

            BudgetLineSubtaskSource line;
            line.resourceName = labour && !cmbEmpTrg.Text().empty() ? cmbEmpTrg.Text() : cmbCostObj.Text();
            line.name = !CostObjectDescription.empty() ? Trim(CostObjectDescription) : Trim(r.Assignment.Text11());
            line.costType = std::to_string(costIndex + 1);
            line.code = r.Assignment.Text3();
            line.lineNumber = txtBudgetLine.Text();
            line.quantity = txtBudgetQuantity.Text();
            line.unit = txtBudgetUnit.Text();
            // The line keeps the work and progress it had (the conversion of the other line keeps its own).
            line.work = MinutesToWorkUnits(old.Work());
            line.actualWork = MinutesToWorkUnits(old.ActualWork());
            line.percentWorkComplete = old.PercentWorkComplete();
            line.actualStart = old.ActualStart();
            line.actualFinish = old.ActualFinish();
            line.linkState = kLinkStateCreate;
            line.assignResource = IsConvertibleAssignment(line.resourceName, cmbCostObj.Text(), line.costType);
            line.start = old.Start();
            line.finish = old.Finish();
            Err().Clear();
            msp::Task lineTask;
            if (CreateSubtaskFromAssignment(LinkedCETask, line, lineTask)) {
                r.Task = lineTask;
                r.Assignment = {};
                r.Kind = kSubtask;
                old.Delete();
                converted = true;
            }
            Err().Clear();
            break;
        }
        if (fromBudgetView) app.ViewApply(kKovaBudgetView, true);
        Err().Clear();
    }
    if (!converted) UpdateAssignmentInPlace(r.Assignment);
    return converted;
}

void frmKovabdgview::UpdateAssignmentInPlace(msp::Assignment& a) {
    const int costIndex = cmbCostType.ListIndex();
    // A labour or equipment line keeps the work it has: its quantity follows that work.
    if (!FollowsWork(costIndex + 1)) {
        a.SetUnits(BudgetNumberOfText(txtBudgetQuantity.Text()));
        a.SetText6(txtBudgetQuantity.Text());
    }
    if (!CostObjectDescription.empty()) a.SetText11(CostObjectDescription);
    Err().Clear();
    const std::string resource = costIndex == kCostIndexLabor ? cmbEmpTrg.Text() : cmbCostObj.Text();
    // Naming the resource it has already would be refused as a second assignment of it.
    if (!resource.empty() && a.ResourceName() != resource) a.SetResourceName(resource);
    Err().Clear();
    if (costIndex == kCostIndexLabor && !EmpTrgCode.empty()) a.SetText13(EmpTrgCode);
    Err().Clear();
}

void InstallBudgetLineBrowser() {
    ShowBudgetLineBrowser = [] {
        frmKovabdgview& dialog = DefaultInstance<frmKovabdgview>();
        // Shown only when it found lines: without any it has unloaded itself while loading.
        dialog.Show(vbModal);
        if (IsFormLoaded<frmKovabdgview>()) UnloadForm<frmKovabdgview>();
    };
}

} // namespace Grantry
