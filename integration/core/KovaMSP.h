#pragma once
// The integration's command class. Microsoft Project's macros create it by its ProgID and call one
// method per menu item or toolbar button; an object holds nothing between calls.
#include <string>

#include "platform/automation/Object.h"

namespace platform::msproject {
class Task;
}

namespace Grantry {

inline constexpr char kKovaMSPProgId[] = "Grantry.KovaMSP";
inline constexpr char kKovaMSPClassId[] = "{AF3E0421-602E-40FC-A2ED-95D64C579D46}";
inline constexpr char kKovaMSPInterfaceId[] = "{3A46AA95-6D0F-4C5B-84AF-9A7B80FB729F}";

class KovaMSP : public platform::automation::Dispatchable<KovaMSP> {
public:
    // The late-bound face: one entry per method, in interface order.
    static const platform::automation::MemberTable<KovaMSP>& Members();
    std::string TypeName() const override { return "KovaMSP"; }

    // Connects the active plan (a new one when none is open) to an ERP project through the connect
    // dialog, with the plan's log written and offered (CommandFrame.cpp).
    void connectProject();
    // Saves a baseline or interim plan of the active, connected plan and, as the user chooses, an ERP
    // baseline, through the baseline dialog, with the plan's log written and offered
    // (SaveBaselineCommand.cpp).
    void SaveBaseline();
    // Removes the link of the active plan with its ERP project, in the ERP and in the plan's
    // properties, with the plan's log written and offered (DisconnectProject.cpp).
    void disconnectProject();

    // Shows and lets the user change the integration options of the active, connected plan; no log
    // (ConnectionDetailsCommand.cpp).
    void ConnectionDetails();

    // Deletes the integration's document properties of the active plan, in the order of their
    // creation, through the planning program that the running command attached. No error handling of
    // its own: the first property that cannot be deleted ends it, its failure left in Err().
    void RemoveCustomDocumentProperties();
    // A plan was activated: sets the menu and toolbar state for it. No error handling of its own.
    void KovaProjectOpen();
    // Rewrites the local file of the ERP company's standard charge elements, with the company's own
    // log offered (StandardCECommand.cpp).
    void TransferStandardCE();
    // Brings the connected plan's calendars, resources, cost objects, standard charge elements and OBS
    // elements from the ERP, each behind the plan's switch, with the plan's log written and offered
    // (SynchronizeMasterData.cpp).
    void SynchronizeMasterData();
    // Turns the budget-line assignments of the selected charge-element task's subtree into subtasks
    // through the conversion dialog; no ERP, no log (ConvertAssignmentsCommand.cpp).
    void ConvertAssignmentsToTask();
    // Synchronises the connected plan's charge structure, budget lines and schedule with the ERP
    // through the synchronisation dialog, with the plan's log written and offered
    // (SynchronizeBudgetSchedule.cpp).
    void SynchronizeBudgetSchedule();
    // Shows the About dialog; needs no plan and no ERP connection. No error handling of its own: a
    // failure is left in Err() for the caller.
    void OrbelAbout();
    // Opens the budget-line dialog on the selected task of the Gantt view (a new line under a
    // charge-element task, or the budget-line task shown), or the browser over a charge element's
    // lines in the budget view; no log, the plan not saved (BudgetLineDetailsCommand.cpp).
    void BudgetLineDetails();

    // Inserts a charge-element task (the plan's top element, or a child of the selected one) and
    // opens the charge-element dialog on it; changes the selected one through the same dialog
    // (ChargeElementCommands.cpp).
    void InsertChargeElement();
    void ModifyChargeElementDetails();
    // Removes the selected charge element from the plan when the ERP does not know it, marks it for
    // deletion at the next synchronisation when it does, restores it when it is marked
    // (DeleteChargeElement.cpp).
    void DeleteChargeElement();

private:
    // DeleteChargeElement's walks: marks or unmarks the task's outline descendants, removing those
    // the ERP does not know; marks or unmarks, or removes, the milestones whose parent code is the
    // task's code.
    void MarkChildrenForDeletion(platform::msproject::Task& task, bool mark);
    void MarkMilestonesForDeletion(platform::msproject::Task& task, bool mark);
    void RemoveMilestones(platform::msproject::Task& task);

    // Adds every integration property the active plan lacks, with its initial value; existing ones
    // keep their type and value.
    void EnsureDocumentProperties();
    friend struct KovaMSPTestAccess;
};

// Registers the class for the program file `serverPath` (Grantry.exe): the class registry and the
// class keys of the registry.
void RegisterKovaMSP(const std::string& serverPath);
void UnregisterKovaMSP();

} // namespace Grantry
