#pragma once
// The budget-line browser: shows the budget lines of one charge-element task one at a time, subtasks
// first, then the task's budget-line assignments, each group in plan order; lets the user step
// through them and write the shown line back into the plan. It reads the lines from the plan once, at
// opening, and never calls the ERP: what it writes waits for the next synchronisation.
#include <cstdint>
#include <string>
#include <vector>

#include "integration/budgetdialogs/CostObjectLists.h"
#include "platform/forms/Form.h"
#include "platform/msproject/Assignment.h"
#include "platform/msproject/Task.h"

namespace Grantry {

// One budget line as the browser shows it. The texts are kept whole: a line number, cost object or
// employee longer than the dialog's boxes were made for is shown and written back unshortened.
struct BudgetLineRecord {
    std::string CECode;
    int32_t LinkType = 0;   // 1 No Link, 2 Create, 3 Link Exists
    std::string BudgetLine; // the ERP line number
    int32_t CostType = 0;   // 1 Material .. 5 Sundry
    std::string CostObject; // as cmbCostObj shows it
    std::string EmpTrg;     // the employee or trade group of a labour line
    double Quantity = 0;
    std::string Unit;
    std::string Kind; // "ST" a subtask, "RA" a resource assignment
    // The line in the plan: Task for a subtask, Assignment for an assignment.
    platform::msproject::Task Task;
    platform::msproject::Assignment Assignment;
};

class frmKovabdgview : public platform::forms::Form {
public:
    frmKovabdgview();

    void fill_array_budget_details();
    void display_from_array(int32_t index);
    void DisplayLinkType();
    void ControlInputBasedOnLinkValue(bool clickEvent);
    void GetKovaCostObjectsFromResourceList();
    void LookUpCostObjectUnit();
    // 1 "No Link", 2 "Create", 3 "Link Exists" from the link box's text; 0 for anything else.
    int32_t get_link_value() const;
    // The first record whose employee (labour) or cost object equals the given one; LastIndex + 1
    // when none does.
    void find_old_assignment_in_array(const std::string& costObject, const std::string& empTrg, int32_t& index);
    void save_current_details();

    platform::forms::Frame fraBudgetLineDetails{*this, "fraBudgetLineDetails"};
    platform::forms::Label lblLinkedCE{*this, "lblLinkedCE", &fraBudgetLineDetails};
    platform::forms::TextBox txtLinkedCE{*this, "txtLinkedCE", &fraBudgetLineDetails};
    platform::forms::Frame FrameAddInfo{*this, "FrameAddInfo"};
    platform::forms::Label lblLnkType{*this, "lblLnkType", &FrameAddInfo};
    platform::forms::ComboBox cmbLnkType{*this, "cmbLnkType", &FrameAddInfo};
    platform::forms::Label lblBudgetLine{*this, "lblBudgetLine", &FrameAddInfo};
    platform::forms::TextBox txtBudgetLine{*this, "txtBudgetLine", &FrameAddInfo};
    platform::forms::Frame frmBdgln{*this, "frmBdgln"};
    platform::forms::Label lblCostType{*this, "lblCostType", &frmBdgln};
    platform::forms::ComboBox cmbCostType{*this, "cmbCostType", &frmBdgln};
    platform::forms::Label lblCostObj{*this, "lblCostObj", &frmBdgln};
    platform::forms::ComboBox cmbCostObj{*this, "cmbCostObj", &frmBdgln};
    platform::forms::Label lblEmpTrg{*this, "lblEmpTrg", &frmBdgln};
    platform::forms::ComboBox cmbEmpTrg{*this, "cmbEmpTrg", &frmBdgln};
    platform::forms::Label lblBudgetQuantity{*this, "lblBudgetQuantity", &frmBdgln};
    platform::forms::TextBox txtBudgetQuantity{*this, "txtBudgetQuantity", &frmBdgln};
    platform::forms::TextBox txtBudgetUnit{*this, "txtBudgetUnit", &frmBdgln};
    platform::forms::Frame fraInsertedAs{*this, "fraInsertedAs"};
    platform::forms::OptionButton optSubtask{*this, "optSubtask", &fraInsertedAs};
    platform::forms::OptionButton optResAssgnt{*this, "optResAssgnt", &fraInsertedAs};
    platform::forms::CommandButton TopBL{*this, "TopBL"};
    platform::forms::CommandButton PreviousBL{*this, "PreviousBL"};
    platform::forms::CommandButton NextBL{*this, "NextBL"};
    platform::forms::CommandButton BottomBL{*this, "BottomBL"};
    platform::forms::CommandButton cmdSave{*this, "cmdSave"};
    platform::forms::CommandButton cmdclose{*this, "cmdclose"};

    std::vector<BudgetLineRecord> Records;
    int32_t LastIndex = -1;
    int32_t RecordCount = 0;
    int32_t CurrentIndex = 0;
    std::string LinkedCECode = " ";
    platform::msproject::Task LinkedCETask;
    platform::msproject::Task SelectedTask;
    bool OpenedFromGantt = true;
    int32_t Ownership = 0;
    int16_t PreviousLinkIndex = 0;
    std::string PreviousEmpTrgText;
    std::string PreviousCostObjectText;
    std::string EmpTrgCode;
    std::string CostObjectCode, CostObjectDescription, CostObjectUnit, CostObjectProject;
    int32_t FilledCostType = 0;

private:
    void Form_Load() override;
    void cmbLnkType_Click();
    void cmbCostType_Click();
    void cmbCostObj_Click();
    void cmbEmpTrg_Click();
    void cmdSave_Click();
    // Shows record `index` as the four navigation buttons do, dropping what was edited.
    void ShowRecord(int32_t index);
    void TopBL_Click();
    void PreviousBL_Click();
    void NextBL_Click();
    void BottomBL_Click();
    // Writes the shown assignment line into the plan; true when it became a subtask.
    bool SaveAssignmentLine(BudgetLineRecord& record);
    void UpdateAssignmentInPlace(platform::msproject::Assignment& assignment);

    bool ErpOwnsQuantities() const { return Ownership == 1 || Ownership == 3; }
    bool PlanOwnsQuantities() const { return Ownership == 2 || Ownership == 4; }

    LaborRecordNumbers laborRecords_;
};

// Plugs the browser into the budget-line details command and the single-line dialog's "&More...".
void InstallBudgetLineBrowser();

} // namespace Grantry
