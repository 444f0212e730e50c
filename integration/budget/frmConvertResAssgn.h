#pragma once
// Converting budget-line assignments into budget-line subtasks. A budget line held as a resource
// assignment on a charge-element task becomes a subtask of the same task, its link to the ERP line
// kept. The dialog does it for every budget-line assignment of the chosen cost types in the selected
// CE task's subtree; the new ERP lines whose resource the CE task already has and the budget-line
// dialogs use the same conversion routine.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"
#include "platform/forms/Form.h"
#include "platform/msproject/Task.h"

namespace Grantry {

inline constexpr char kConvertCaption[] = "Convert Resource Assignments to Tasks per Cost Type";
inline constexpr char kConvertNothingChecked[] = "At least one of the options should be selected";
inline constexpr char kConvertNothingFound[] = "No resource assignments found for the selected cost type.";
inline constexpr char kConvertDone[] = "Process completed successfully.";
// Shown after the other texts when some assignments stayed because their subtask could not be made.
inline constexpr char kConvertSomeKept[] =
    " resource assignment(s) could not be converted and were left in place:";

// Whether the subtask made from a budget-line assignment keeps its resource: always for equipment
// ("3"); for labour ("2") when the resource name and the code differ before their first "." (an
// employee or trade group on a labour line, EMP.E100 on LAB.W01) and not when both are the labour
// cost object; never for the other cost types, nor when either text has no ".".
bool IsConvertibleAssignment(const std::string& resourceName, const std::string& resourceCode,
                             const std::string& costType);

// What a budget-line subtask is made from: an assignment that is converted, or an ERP line whose
// resource its CE task already has.
struct BudgetLineSubtaskSource {
    std::string name;     // the subtask's Name for a new task
    std::string costType; // "1".."5"
    std::string code;     // the cost-object resource code (Text3)
    std::string resourceName;
    std::string lineNumber;
    std::string quantity; // Text6, as text
    std::string unit;
    // Both in the plan's default work unit; the subtask stores minutes.
    double work = 0;
    double actualWork = 0;
    double percentWorkComplete = 0;
    platform::automation::Variant actualStart{std::string("NA")};
    platform::automation::Variant actualFinish{std::string("NA")};
    std::string notes;
    std::string linkState;
    bool assignResource = false;
    platform::automation::Date start; // the zero date: left as the planning program scheduled it
    platform::automation::Date finish;
};

// What the subtask made from budget-line assignment `a` takes over from it: its fields, its quantity
// (the units of a material, subcontracting or sundry line, the quantity field of a labour or
// equipment line), its work and progress, its dates, and whether it keeps the resource. The failure
// of a read is left in Err().
BudgetLineSubtaskSource SubtaskSourceOf(const platform::msproject::Assignment& a);

// Creates the budget-line subtask of `ceTask` for `source` (or, when the run's DeleteKovaMSPTask is on,
// rewrites in place the task that already holds its key; when off, that task is detached first) after
// the last task of the CE task's subtree, one level below it. `newTask` receives the subtask. False
// when the subtask could not be made whole (added, placed, keyed, and given its resource when asked):
// a task this call added is then removed again, one it reused is detached, so that the budget line
// still lives only where the caller had it. The failure is left in Err().
bool CreateSubtaskFromAssignment(platform::msproject::Task& ceTask, const BudgetLineSubtaskSource& source,
                                 platform::msproject::Task& newTask);

class frmConvertResAssgn : public platform::forms::Form {
public:
    frmConvertResAssgn();

    platform::forms::Label lblLinkedCE{*this, "lblLinkedCE"};
    platform::forms::TextBox txtLinkedCE{*this, "txtLinkedCE"};
    platform::forms::Frame fraCostTypes{*this, "fraCostTypes"};
    platform::forms::CheckBox chkMaterial{*this, "chkMaterial", &fraCostTypes};
    platform::forms::CheckBox chkLabor{*this, "chkLabor", &fraCostTypes};
    platform::forms::CheckBox chkEquipment{*this, "chkEquipment", &fraCostTypes};
    platform::forms::CheckBox chkSubcontracting{*this, "chkSubcontracting", &fraCostTypes};
    platform::forms::CheckBox chkSundry{*this, "chkSundry", &fraCostTypes};
    platform::forms::CommandButton cmdConvert{*this, "cmdConvert"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // One pass over the assignments of one listed task: enabling the check boxes of the cost types
    // present, and converting those of the checked ones.
    void EnableCostTypeOptions(platform::msproject::Task& task);
    void ConvertTaskAssignments(platform::msproject::Task& task);

private:
    void Form_Load() override;
    void cmdConvert_Click();
    void cmdCancel_Click();
    // The check box of cost type 1..5, nullptr for any other.
    platform::forms::CheckBox* CostTypeBox(int costType);
    bool AllTypesPresent() const;

    platform::msproject::Task selected_;
    std::vector<platform::msproject::Task> tasks_; // 0: the selected task, then its coded descendants
    int32_t last_ = 0;
    std::array<bool, 5> present_{};
    int32_t converted_ = 0;
    std::vector<std::string> kept_; // the assignments whose subtask failed, for the user
};

} // namespace Grantry
