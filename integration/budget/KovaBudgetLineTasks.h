#pragma once
// ERP budget lines in the plan. A budget line of a charge element is held in one of two forms, both
// attached to the charge element's task (the CE task):
//   a budget-line subtask: one outline level below the CE task, after the last task of its subtree;
//   a budget-line assignment: a resource assignment on the CE task itself.
// Both carry the same fields (the field map below); nothing else in the plan stores a budget line.
// The units that create, send, refresh, detach or show budget lines all read and write them through
// this map.
//
// Fields of a budget line (subtask and assignment alike unless said otherwise):
//   Text2   cost type "1".."5"
//   Text3   cost-object resource code: prefix "." cost object (EQP.CR20); a project-specific cost
//           object of cost types 2 to 5 is project "." code (LAB.P1000.W01), a project material keeps
//           its plain code (MAT.ITEM4711)
//   Text4   ERP line number as decimal text; none while the link state is "2"
//   Text6   physical quantity as decimal text      Text7   physical unit, the ERP's code
//   Text8   link state "1" No Link, "2" Create, "3" Link Exists; a trimmed non-empty Text8 marks a
//           budget line, an empty one an ordinary task or assignment
//   Text11  assignment only: the cost object's description (a subtask carries it as its Name)
//   Text13  assignment only: on a labour line assigned to an employee or trade group, that code
//   Text20  budget-line key CE_costtype_line; empty on a detached line
#include <array>
#include <memory>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/Error.h"

#include "platform/msproject/Assignment.h"
#include "platform/msproject/Task.h"

namespace KovaDataObjects {
class KovaBudget;
}

namespace Grantry {

// ---- cost types ------------------------------------------------------------------------------------

struct BudgetCostType {
    const char* code;   // "1".."5", as Text2 holds it
    const char* name;   // as the dialogs show it
    const char* prefix; // of the cost object's resource code
};
// Material, Labor, Equipment, Subcontracting, Sundry, in code order.
const std::array<BudgetCostType, 5>& BudgetCostTypes();
// The prefix ("MAT".."SUN") or name ("Material".."Sundry") of the cost type "1".."5", blanks around
// it ignored; "" for any other text.
std::string CostTypePrefix(const std::string& costType);
std::string CostTypeName(const std::string& costType);

// The resource-code prefixes of the employees and trade groups that a labour line may name.
inline constexpr char kEmployeePrefix[] = "EMP";
inline constexpr char kTradeGroupPrefix[] = "TRG";
// Whether a resource's name begins with `prefix` ("EMP.E100 Anna Berg" with kEmployeePrefix).
inline bool NameHasPrefix(const std::string& name, const char* prefix) {
    return name.rfind(prefix, 0) == 0;
}
// The resource of an employee or a trade group, by its name.
inline bool IsPersonResourceName(const std::string& name) {
    return NameHasPrefix(name, kEmployeePrefix) || NameHasPrefix(name, kTradeGroupPrefix);
}

// ---- link states -----------------------------------------------------------------------------------

inline constexpr char kLinkStateNoLink[] = "1";     // detached: no longer linked to an ERP line
inline constexpr char kLinkStateCreate[] = "2";     // made in the plan; the next run creates the ERP line
inline constexpr char kLinkStateLinkExists[] = "3"; // linked to an existing ERP line
// "No Link", "Create", "Link Exists" for "1", "2", "3" (blanks around ignored); "" for any other text.
std::string LinkStateName(const std::string& state);
// The integer part of a budget-line field's number (a link state, cost type or line number); an empty
// field reads as 0.
int32_t IntegerOfField(const std::string& text);
// Whether a budget-line field's number fits a link state, cost type or line number (an empty field
// does); a number beyond that range must not be read as one.
bool IntegerFieldInRange(const std::string& text);

// ---- fields ----------------------------------------------------------------------------------------

inline constexpr char kBudgetCostTypeField[] = "Text2";
inline constexpr char kBudgetCostObjectField[] = "Text3";
inline constexpr char kBudgetLineNumberField[] = "Text4";
inline constexpr char kBudgetQuantityField[] = "Text6";
// The field of a line's cost type or line number that holds a number out of range ("Text2" or
// "Text4"); "" when both fit. Such a line is left as it is by every step of a run.
std::string BudgetLineFieldOutOfRange(const std::string& costType, const std::string& lineNumber);
inline constexpr char kBudgetUnitField[] = "Text7";
inline constexpr char kBudgetLinkStateField[] = "Text8";
inline constexpr char kBudgetCostObjectDescriptionField[] = "Text11";
inline constexpr char kBudgetEmpTrgField[] = "Text13";
inline constexpr char kBudgetLineKeyField[] = "Text20";

// Whether the task or assignment is a budget line (its trimmed link state is not empty).
bool IsBudgetLine(const platform::msproject::Task& task);
bool IsBudgetLine(const platform::msproject::Assignment& assignment);

// Detaches a budget line: link state "1", key "". Failures are left in Err().
void DetachBudgetLine(platform::msproject::Task& task);
void DetachBudgetLine(platform::msproject::Assignment& assignment);

// The key of one ERP line: Trim(CE code) "_" Trim(cost type) "_" Trim(line number), A100_2_15. The
// CE code is the one the CE task holds; one that comes from the ERP is first reduced with
// StripCodePrefix.
std::string BudgetLineKey(const std::string& ceCode, const std::string& costType,
                          const std::string& lineNumber);

// The cost object of an ERP line as the plan names it: Trim(project "." code) for a project-specific
// cost object of cost types 2 to 5, the code unchanged otherwise (a project material's code already
// carries its project).
std::string BudgetLineCostObject(bool projectSpecific, int costType, const std::string& projectCode,
                                 const std::string& costObject);
// The cost object's resource code: the cost type's prefix "." cost object (Text3).
std::string CostObjectResourceCode(const std::string& costType, const std::string& costObject);

// A number as the creation writes it into a text field: plain decimal text with the user's decimal
// separator, no thousands separators and no exponent (15 significant digits, as the runtime keeps).
std::string BudgetNumberText(double value);
// The number a budget-line field holds, as the run and the dialogs read it back: blanks ignored, the
// leading number of the text with the user's decimal separator or a period, an exponent included;
// 0 when the text does not begin with a number.
double BudgetNumberOfText(const std::string& text);
// A quantity as the user typed it: blanks around ignored, digits with at most one decimal separator
// (the user's or a period), not negative and below kBudgetQuantityLimit. False for anything else.
inline constexpr double kBudgetQuantityLimit = 1e15;
bool ParseBudgetQuantity(const std::string& text, double& value);
// Work sent to the ERP, as every line is sent and created: two decimals, halves to the even neighbour.
double RoundBudgetWork(double value);
// For its length, BudgetNumberText takes the user's decimal separator as it was when the scope began
// instead of asking the locale at each number; a run writing thousands of numbers holds one.
class DecimalSeparatorScope {
public:
    DecimalSeparatorScope();
    ~DecimalSeparatorScope();
    DecimalSeparatorScope(const DecimalSeparatorScope&) = delete;
    DecimalSeparatorScope& operator=(const DecimalSeparatorScope&) = delete;

private:
    bool outermost_ = false;
};

// The running budget and schedule run's "delete task" option (the plan's DeleteKovaMSPTask
// property): on, a task or assignment that already holds a new line's key is deleted or rewritten in
// place; off, it is detached. The connect run and the conversion dialog do not load it: off.
extern bool DeleteKovaMSPTask;

// ---- lookups ---------------------------------------------------------------------------------------

// Switches the planning program's alerts off for a search and puts them back as they were.
class AlertsOffScope {
public:
    AlertsOffScope();
    ~AlertsOffScope();
    AlertsOffScope(const AlertsOffScope&) = delete;
    AlertsOffScope& operator=(const AlertsOffScope&) = delete;

private:
    bool wereShown_ = true;
    bool changed_ = false;
};

// The visible task whose key (Text20, trimmed) is `key`, searched with Find on Text20 and the
// localized "equals"; the found task is the active row. Nothing for an empty key or when none holds
// it. The alerts come back as they were; the error state is left cleared.
platform::msproject::Task FindBudgetLineTask(const std::string& key);
// The first assignment of `ceTask` whose Text20 equals `key`; Nothing when none.
platform::msproject::Assignment FindBudgetLineAssignment(const platform::msproject::Task& ceTask,
                                                        const std::string& key);
// Whether one of the task's assignments is of the resource named `resourceName` (letter case counting):
// the planning program takes a resource once per task.
bool TaskHasResource(const platform::msproject::Task& task, const std::string& resourceName);
// Runs one field write of a budget line; its failure is kept in `firstFailure` (the first one only)
// and the error state cleared, so that the rest of the line is still written.
template <class F> void WriteBudgetField(platform::automation::ErrObject& firstFailure, F&& write) {
    write();
    if (platform::automation::Err().Number != 0 && firstFailure.Number == 0) firstFailure = platform::automation::Err();
    platform::automation::Err().Clear();
}
// The first task of the active plan (blank rows skipped) whose Text1 equals `code` exactly (letter
// case counts, no trimming); Nothing when none.
platform::msproject::Task FindChargeElementTask(const std::string& code);

// The resource of the active plan whose Text2, trimmed, equals `code`, trimmed, letter case counting:
// its name into `resourceName` and true; false and the name unchanged when none matches. Resources are
// taken in the plan's order, blank rows skipped.
bool FindResourceByCode(const std::string& code, std::string& resourceName);
// Looks a labour cost object up in the plan's labour cost-object file: a record's key is
// Trim(project) "." Trim(code), or Trim(code) for a standard cost object; the first whose key equals
// the trimmed `code` (letter case counting) gives "LAB." [project "."] code " " description into
// `resourceName` and true. False when the file is missing, unreadable or holds no such record.
bool FindLaborCostObjectInFile(const std::string& code, std::string& resourceName);

// The row before which a new budget-line subtask of `ceTask` goes: the row after the CE task when it
// has no outline children, otherwise the row after the task reached by descending through the last
// outline child of each level.
int32_t BudgetLineSubtaskPosition(const platform::msproject::Task& ceTask);
// Brings a new budget-line subtask to one level below its CE task (at `ceLevel`), a level at a time;
// it stops at the first step the planning program refuses, the failure left in Err().
void PlaceBudgetLineSubtask(platform::msproject::Task& task, int32_t ceLevel);

// ---- budget lines from the ERP ---------------------------------------------------------------------

// The ERP's budget lines that wait to be scheduled in the active plan (for the project, plan and
// connection node of CurrentProjectData) become budget-line subtasks or assignments of their CE tasks,
// by one switch per cost type (true: subtasks). Reading them links them to the plan in the ERP; a
// line that cannot be placed (its CE task, cost object or resource missing, or a failure pending
// when its turn comes) is logged and put back to waiting, so that the next run offers it again.
// Progress and problems go to the open log; nothing is shown.
void CreateBudgetLineTasksFromKova(bool materialAsSubTask, bool laborAsSubTask, bool equipmentAsSubTask,
                                   bool subcontractingAsSubTask, bool sundryAsSubTask);

// One ERP line as a subtask or as an assignment of its CE task. The texts are the line's charge
// element (as the ERP gives it), line number, cost type, cost object (with its project where that
// belongs to it), its description, work, employee or trade-group code ("EMP.x", "TRG.x", "TRG."), the
// project and plan (not used), unit, quantity and cost price; numbers in the user's decimal form.
void AddBudgetLineAsSubtask(KovaDataObjects::KovaBudget& budget, const std::string& chargeElement,
                            const std::string& lineNumber, const std::string& costType,
                            const std::string& costObject, const std::string& description,
                            const std::string& work, const std::string& empTrgCode, const std::string& project,
                            const std::string& plan, const std::string& unit, const std::string& quantity,
                            const std::string& costPrice, const platform::automation::Date& startDate,
                            const platform::automation::Date& finishDate);
void AddBudgetLineAsAssignment(KovaDataObjects::KovaBudget& budget, const std::string& chargeElement,
                               const std::string& lineNumber, const std::string& costType,
                               const std::string& costObject, const std::string& description,
                               const std::string& work, const std::string& empTrgCode,
                               const std::string& project, const std::string& plan, const std::string& unit,
                               const std::string& quantity, const std::string& costPrice,
                               const platform::automation::Date& startDate,
                               const platform::automation::Date& finishDate);

// Plugs the budget-line step into the connect run and the conversion dialog into its command. Called
// once at the program's start, after InstallConnectDialog.
void InstallBudgetLineTasks();

} // namespace Grantry
