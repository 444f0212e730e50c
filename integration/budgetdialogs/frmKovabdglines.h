#pragma once
// The single budget-line dialog: adds one budget line under a charge-element task, or shows and
// changes one budget-line task, and stores it in the plan as a subtask or as a resource assignment of
// the charge-element task. It decides between adding and showing from the selected task's link state;
// the tag it is opened with is not consulted. It never calls the ERP: lines it creates carry the link
// state "Create" until the next synchronisation.
#include <array>
#include <cstdint>
#include <string>

#include "integration/budgetdialogs/CostObjectLists.h"
#include "platform/forms/Form.h"
#include "platform/msproject/Task.h"

namespace Grantry {

class frmKovabdglines : public platform::forms::Form {
public:
    frmKovabdglines();

    // Reads the sub-task defaults per cost type and the plan's ownership from its properties.
    void GetConnectProjectCustomProperties();
    // Finds the charge element of SelectedTask, moving SelectedTask up to the task directly below it.
    void DetermineLinkedCE();
    // The budget lines under LinkedCETask, counted up to 2.
    void count_total_budget_lines(int32_t& count);
    void GetKovaCostObjectsFromResourceList();
    void LookUpCostObjectUnit();
    void ControlInputBasedOnLinkValue();
    void CheckInputData();
    // Store the line (as an assignment of the charge-element task, or as a subtask / into the task
    // shown).
    void InsertAsResourceAssignment();
    void SaveDataToTaskInformation();

    platform::forms::Frame fraBudgetLineInformation{*this, "fraBudgetLineInformation"};
    platform::forms::Label lblLinkedCE{*this, "lblLinkedCE", &fraBudgetLineInformation};
    platform::forms::TextBox txtLinkedCE{*this, "txtLinkedCE", &fraBudgetLineInformation};
    platform::forms::Label lblLnkType{*this, "lblLnkType", &fraBudgetLineInformation};
    platform::forms::ComboBox cmbLnkType{*this, "cmbLnkType", &fraBudgetLineInformation};
    platform::forms::Label lblBudgetLine{*this, "lblBudgetLine", &fraBudgetLineInformation};
    platform::forms::TextBox txtBudgetLine{*this, "txtBudgetLine", &fraBudgetLineInformation};
    platform::forms::Frame fraBudgetData{*this, "fraBudgetData"};
    platform::forms::Label lblCostType{*this, "lblCostType", &fraBudgetData};
    platform::forms::ComboBox cmbCostType{*this, "cmbCostType", &fraBudgetData};
    platform::forms::Label lblCostObj{*this, "lblCostObj", &fraBudgetData};
    platform::forms::ComboBox cmbCostObj{*this, "cmbCostObj", &fraBudgetData};
    platform::forms::Label lblBudgetQuantity{*this, "lblBudgetQuantity", &fraBudgetData};
    platform::forms::TextBox txtBudgetQuantity{*this, "txtBudgetQuantity", &fraBudgetData};
    platform::forms::TextBox txtBudgetUnit{*this, "txtBudgetUnit", &fraBudgetData};
    platform::forms::Label lblEmpTrg{*this, "lblEmpTrg", &fraBudgetData};
    platform::forms::ComboBox cmbEmpTrg{*this, "cmbEmpTrg", &fraBudgetData};
    platform::forms::Frame fraInsertAs{*this, "fraInsertAs"};
    platform::forms::OptionButton optSubtask{*this, "optSubtask", &fraInsertAs};
    platform::forms::OptionButton optResAssgnt{*this, "optResAssgnt", &fraInsertAs};
    platform::forms::CommandButton cmdOK{*this, "cmdOK"};
    platform::forms::CommandButton cmdCancel{*this, "cmdCancel"};
    platform::forms::CommandButton cmdMore{*this, "cmdMore"};

    platform::msproject::Task SelectedTask;
    platform::msproject::Task LinkedCETask;
    std::string LinkedCECode;
    platform::msproject::Task SavedTask;
    int32_t LoadedLinkValue = 0;
    int32_t LinkValue = 0;
    int32_t Ownership = 0;
    // KovaMatBudgLnAsSubTask .. KovaSunBudgLnAsSubTask, for cost types 1..5.
    std::array<bool, 5> SubTaskDefaults{};
    int32_t FilledCostType = 0;
    std::string CostObjectCode, CostObjectDescription, CostObjectUnit, CostObjectProject;
    std::string EmpTrgCode;
    std::string LoadedEmpTrgName;
    int16_t PreviousLinkIndex = 0;
    std::string PreviousEmpTrgText;
    std::string PreviousCostObjectText;

private:
    void Form_Load() override;
    void cmbLnkType_Click();
    void cmbCostType_Click();
    void cmbCostType_Validate(bool& Cancel);
    void cmbCostObj_Click();
    void cmbCostObj_Validate(bool& Cancel);
    void cmbEmpTrg_Click();
    void cmbEmpTrg_Validate(bool& Cancel);
    void txtBudgetQuantity_KeyPress(int16_t& KeyAscii);
    void cmdOK_Click();
    void cmdMore_Click();

    // The plan owns the quantities, or they are being handed to it.
    bool PlanOwnsQuantities() const { return Ownership == 2 || Ownership == 4; }
    int32_t CostType() const { return cmbCostType.ListIndex() + 1; }
    // Adds the line as a subtask below SelectedTask (the charge-element task); the new task or
    // nothing.
    platform::msproject::Task AddBudgetLineSubtask();

    LaborRecordNumbers laborRecords_;
};

// Plugs the dialog into the budget-line details command.
void InstallBudgetLineDialog();

} // namespace Grantry
