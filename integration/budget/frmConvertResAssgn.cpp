#include "integration/budget/frmConvertResAssgn.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

#include <utility>

namespace Grantry {

namespace msp = platform::msproject;
using namespace platform::forms;
using KovaDataObjects::Trim;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::ErrObject;
using platform::automation::Variant;

namespace {

// The part of a text before its first "."; nullopt when it has none.
std::optional<std::string> BeforeFirstPoint(const std::string& text) {
    const size_t point = text.find('.');
    if (point == std::string::npos) return std::nullopt;
    return text.substr(0, point);
}

// Writes one field; a failure is kept, and the rest of the subtask is still written.
template <class F> void Write(ErrObject& firstFailure, F&& write) {
    WriteBudgetField(firstFailure, std::forward<F>(write));
}

} // namespace

bool IsConvertibleAssignment(const std::string& resourceName, const std::string& resourceCode,
                             const std::string& costType) {
    if (costType == "3") return true;
    if (costType != "2") return false;
    const std::optional<std::string> name = BeforeFirstPoint(resourceName);
    const std::optional<std::string> code = BeforeFirstPoint(resourceCode);
    if (!name || !code) return false;
    return *name != *code;
}

bool CreateSubtaskFromAssignment(msp::Task& ceTask, const BudgetLineSubtaskSource& source, msp::Task& newTask) {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return false;
    }
    msp::Application& app = *MSProjectApplication;
    Err().Clear();
    const int32_t position = BudgetLineSubtaskPosition(ceTask);
    const int32_t ceLevel = ceTask.OutlineLevel();
    const std::string key = BudgetLineKey(ceTask.Text(1), source.costType, source.lineNumber);
    if (Err().Number != 0) return false;

    // A line the ERP does not hold yet has no number and so no key of its own: another such line of
    // the same element and cost type carries the same one, and is not this line's copy.
    msp::Task task;
    if (!Trim(source.lineNumber).empty()) task = FindBudgetLineTask(key);
    bool added = false;
    if (!task || !DeleteKovaMSPTask) {
        if (task) DetachBudgetLine(task);
        Err().Clear();
        task = app.ActiveProject().Tasks().Add(source.name, position);
        added = true;
    }
    if (!task || Err().Number != 0) {
        if (Err().Number == 0) Err().Raise(platform::automation::errors::ObjectNotSet);
        return false;
    }
    SelectTaskRow(app, task);
    PlaceBudgetLineSubtask(task, ceLevel);
    ErrObject failure = Err();
    Err().Clear();
    if (failure.Number == 0 && task.OutlineLevel() != ceLevel + 1)
        failure.Raise(1004, "", "The budget-line subtask could not be placed below its charge element.");
    Err().Clear();

    Write(failure, [&] { task.SetText(2, source.costType); });
    Write(failure, [&] { task.SetText(3, source.code); });
    Write(failure, [&] { task.SetText(4, source.lineNumber); });
    Write(failure, [&] { task.SetText(6, source.quantity); });
    Write(failure, [&] { task.SetText(7, source.unit); });
    Write(failure, [&] { task.SetText(8, source.linkState); });
    Write(failure, [&] { task.SetPercentWorkComplete(source.percentWorkComplete); });
    if (!source.start.IsZero()) Write(failure, [&] { task.SetStart(source.start); });
    if (!source.finish.IsZero()) Write(failure, [&] { task.SetFinish(source.finish); });
    Write(failure, [&] { task.SetActualStart(source.actualStart); });
    Write(failure, [&] { task.SetActualFinish(source.actualFinish); });
    Write(failure, [&] { task.SetNotes(source.notes); });
    if (source.costType == "1" || source.costType == "4" || source.costType == "5") {
        Write(failure, [&] { task.SetType(1); });
        Write(failure, [&] { task.SetWork(Variant(0.0)); });
    } else if (source.costType == "2" || source.costType == "3") {
        Write(failure, [&] { task.SetType(2); });
        Write(failure, [&] { task.SetWork(Variant(WorkUnitsToMinutes(source.work))); });
        Write(failure, [&] { task.SetActualWork(Variant(WorkUnitsToMinutes(source.actualWork))); });
    }
    Write(failure, [&] { task.SetConstraintType(4); });
    Write(failure, [&] { task.SetText(20, key); });
    newTask = task;

    if (source.assignResource && !TaskHasResource(task, source.resourceName)) {
        if (SelectTaskRow(app, task))
            app.ResourceAssignment(source.resourceName, msp::pjAssign);
        else
            Err().Raise(1004, "", "The budget-line subtask could not be selected.");
        if (Err().Number != 0 && failure.Number == 0) failure = Err();
        Err().Clear();
    }

    if (failure.Number == 0 && task.Text(20) == key && task.Text(8) == source.linkState) return true;
    if (failure.Number == 0) failure.Raise(1004, "", "The budget-line subtask could not be written.");
    // The budget line stays where the caller has it; a half-made copy would hold its key twice.
    if (added)
        task.Delete();
    else
        DetachBudgetLine(task);
    newTask = msp::Task();
    Err() = failure;
    return false;
}

// ---- the dialog ------------------------------------------------------------------------------------

frmConvertResAssgn::frmConvertResAssgn() : Form("frmConvertResAssgn", kConvertCaption) {
    lblLinkedCE.Caption = "Linked Charge Element";
    fraCostTypes.Caption = "Cost types to be converted";
    chkMaterial.Caption = "Material";
    chkLabor.Caption = "Labor";
    chkEquipment.Caption = "Equipment";
    chkSubcontracting.Caption = "Subcontracting";
    chkSundry.Caption = "Sundry";
    cmdConvert.Caption = "Convert";
    cmdCancel.Caption = "Cancel";
    cmdConvert.Click = [this] { cmdConvert_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

CheckBox* frmConvertResAssgn::CostTypeBox(int costType) {
    switch (costType) {
    case 1: return &chkMaterial;
    case 2: return &chkLabor;
    case 3: return &chkEquipment;
    case 4: return &chkSubcontracting;
    case 5: return &chkSundry;
    default: return nullptr;
    }
}

bool frmConvertResAssgn::AllTypesPresent() const {
    for (bool present : present_)
        if (!present) return false;
    return true;
}

void frmConvertResAssgn::Form_Load() {
    if (!MSProjectApplication) AttachMSProject();
    tasks_.clear();
    last_ = 0;
    if (MSProjectApplication) {
        selected_ = MSProjectApplication->ActiveCell().Task();
        int32_t count = 0;
        if (selected_) CountCodedDescendants(selected_, count);
        tasks_.assign(static_cast<size_t>(count) + 1, msp::Task());
        tasks_[0] = selected_;
        if (selected_) CollectCodedDescendants(selected_, tasks_, last_);
    }
    Err().Clear();
    txtLinkedCE.SetText(selected_ ? selected_.Text(1) : "");
    for (int type = 1; type <= 5; ++type)
        CostTypeBox(type)->Enabled = false;
    present_.fill(false);
    for (msp::Task& task : tasks_) {
        if (AllTypesPresent()) break;
        if (task) EnableCostTypeOptions(task);
    }
    Err().Clear();
}

void frmConvertResAssgn::EnableCostTypeOptions(msp::Task& task) {
    for (const msp::Assignment& a : task.Assignments().Snapshot()) {
        if (!IsBudgetLine(a)) continue;
        const int type = static_cast<int>(platform::automation::Val(Trim(a.Text(2))));
        CheckBox* box = CostTypeBox(type);
        if (box && !box->Enabled) {
            box->Enabled = true;
            present_[static_cast<size_t>(type - 1)] = true;
        }
        if (AllTypesPresent()) return;
    }
}

BudgetLineSubtaskSource SubtaskSourceOf(const msp::Assignment& a) {
    BudgetLineSubtaskSource source;
    const std::string costTypeText = a.Text(2);
    source.assignResource = IsConvertibleAssignment(a.ResourceName(), a.Text(3), costTypeText);
    source.name = a.Text(11);
    source.costType = costTypeText;
    source.code = a.Text(3);
    source.resourceName = a.ResourceName();
    source.lineNumber = a.Text(4);
    // A material, subcontracting or sundry line keeps its quantity in the assignment's units, which
    // the user may have changed; a labour or equipment assignment has no units (0) and keeps it in
    // its quantity field only.
    const bool workLine = Trim(costTypeText) == "2" || Trim(costTypeText) == "3";
    source.quantity = workLine ? a.Text(6) : BudgetNumberText(a.Units());
    source.unit = a.Text(7);
    // The assignment gives minutes; the subtask takes the plan's default work unit.
    source.work = MinutesToWorkUnits(a.Work());
    source.actualWork = MinutesToWorkUnits(a.ActualWork());
    source.percentWorkComplete = a.PercentWorkComplete();
    source.actualStart = a.ActualStart();
    source.actualFinish = a.ActualFinish();
    source.notes = a.Notes();
    source.linkState = a.Text(8);
    source.start = a.Start();
    source.finish = a.Finish();
    return source;
}

void frmConvertResAssgn::ConvertTaskAssignments(msp::Task& task) {
    // Every assignment present at the start is visited once, however many the conversion deletes.
    for (msp::Assignment a : task.Assignments().Snapshot()) {
        if (!IsBudgetLine(a)) continue;
        const std::string costTypeText = a.Text(2);
        CheckBox* box = CostTypeBox(static_cast<int>(platform::automation::Val(Trim(costTypeText))));
        if (!box || box->Value() != vbChecked) continue;

        BudgetLineSubtaskSource source = SubtaskSourceOf(a);
        Err().Clear();

        msp::Task subtask;
        if (!CreateSubtaskFromAssignment(task, source, subtask)) {
            // The assignment is the only holder of its budget line: it stays.
            kept_.push_back(task.Text(1) + " " + source.resourceName + " (" + source.code + "): " +
                            Err().Description);
            Err().Clear();
            continue;
        }
        a.Delete();
        Err().Clear();
        ++converted_;
    }
}

void frmConvertResAssgn::cmdConvert_Click() {
    bool anyChecked = false;
    for (int type = 1; type <= 5; ++type)
        anyChecked = anyChecked || CostTypeBox(type)->Value() == vbChecked;
    if (!anyChecked) {
        MsgBox(kConvertNothingChecked, vbOKOnly + vbExclamation, kProgramTitle);
        return;
    }
    converted_ = 0;
    kept_.clear();
    for (msp::Task& task : tasks_)
        if (task) ConvertTaskAssignments(task);

    std::string keptText;
    if (!kept_.empty()) {
        keptText = std::to_string(kept_.size()) + kConvertSomeKept;
        for (const std::string& line : kept_)
            keptText += "\r\n" + line;
    }
    if (converted_ == 0) {
        // Nothing changed: the dialog stays for another choice.
        if (kept_.empty())
            MsgBox(kConvertNothingFound, vbOKOnly + vbInformation, kProgramTitle);
        else
            MsgBox(keptText, vbOKOnly + vbExclamation, kProgramTitle);
        return;
    }
    if (!keptText.empty()) keptText = "\r\n\r\n" + keptText;
    MsgBox(kConvertDone + keptText, vbOKOnly + (kept_.empty() ? vbInformation : vbExclamation), kProgramTitle);
    Unload();
}

void frmConvertResAssgn::cmdCancel_Click() {
    Unload();
}

} // namespace Grantry
