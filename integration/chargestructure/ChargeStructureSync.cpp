#include "integration/chargestructure/ChargeStructureSync.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/ChargeStructureOwnership.h"
#include "integration/chargestructure/SendChargeStructure.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::Variant;

bool NetChangeOption = false;
bool RelationshipFailure = false;

namespace {

// Bounds the outdent loop of a detached task: an outdent that changes nothing would repeat for ever.
constexpr int kMaxOutdentSteps = 100;

bool PlanFlag(const char* name) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return false;
    bool on = platform::automation::CBool(value);
    if (Err().Number != 0) on = false;
    Err().Clear();
    return on;
}

int32_t PlanNumber(const char* name) {
    Variant value;
    if (!ReadDocumentProperty(name, value)) return 0;
    int32_t number = platform::automation::CLng(value);
    if (Err().Number != 0) number = 0;
    Err().Clear();
    return number;
}

// Empties the charge-element fields of a task whose element the ERP removed, unlinks or deletes its
// budget-line subtasks and moves it with its children to the end of the plan at level 1.
void DetachTask(msp::Application& app, msp::Task task, bool deleteBudgetLineTasks) {
    task.SetText1("");
    task.SetText10("");
    task.SetText12("");
    task.SetFlag1(false);
    task.SetFlag2(false);
    task.SetFlag3(false);
    task.SetDate9(Variant("NA"));
    task.SetDate10(Variant("NA"));
    task.SetNumber20(0);
    Err().Clear();

    msp::List<msp::Task> children = task.OutlineChildren();
    Err().Clear();
    for (msp::Task child : children) {
        if (!child || !Trim(child.Text1()).empty() || Trim(child.Text3()).empty()) continue;
        if (deleteBudgetLineTasks) {
            child.Delete();
        } else {
            child.SetText3("");
            child.SetText4("");
            child.SetText20("");
            child.SetText6("");
            child.SetText7("");
            child.SetText8("1");
        }
        Err().Clear();
    }

    // Only the task itself is cut: a row that is not this task stays where it is.
    if (!SelectTaskRow(app, task)) return;
    app.EditCut();
    app.SelectRow(app.ActiveProject().Tasks().Count() + 1, false, false, false);
    app.EditPaste();
    Err().Clear();
    msp::Task moved = app.ActiveCell().Task();
    Err().Clear();
    if (!moved) return;
    for (int step = 0; moved.OutlineLevel() != 1; ++step) {
        const int32_t level = moved.OutlineLevel();
        if (step == kMaxOutdentSteps || (moved.OutlineOutdent(), Err().Clear(), moved.OutlineLevel() == level)) {
            PrintLog("*** FAILURE: *** Outdenting failed for Task ID " + std::to_string(moved.Id()) + ", " +
                     Trim(moved.Name()));
            break;
        }
    }
    Err().Clear();
}

// Before a removed element's task is deleted with its subtree, the tasks below it whose elements the
// ERP still holds (moved elsewhere in the same change) are taken out to the end of the plan, with
// their own subtasks and budget lines; the placement pass puts them under their new parents.
void TakeOutKeptSubtasks(msp::Application& app, const msp::Task& task) {
    msp::List<msp::Task> children = task.OutlineChildren();
    std::vector<msp::Task> list;
    for (const msp::Task& child : children)
        list.push_back(child);
    Err().Clear();
    for (const msp::Task& child : list) {
        const std::string code = Trim(child.Text1());
        Err().Clear();
        if (code.empty()) continue;
        if (IsChargeElementDeletedInKova(code)) {
            TakeOutKeptSubtasks(app, child);
            continue;
        }
        if (!SelectTaskRow(app, child)) continue;
        app.EditCut();
        app.SelectRow(app.ActiveProject().Tasks().Count() + 1, false, false, false);
        app.EditPaste();
        Err().Clear();
    }
}

void RemovalPass(msp::Application& app, bool deleteCETasks, bool deleteBudgetLineTasks) {
    ShowSyncProgress("Deleting the tasks which are deleted in Kova");
    msp::Tasks tasks = app.ActiveProject().Tasks();
    const int32_t count = tasks.Count();
    Err().Clear();
    // A detached task goes to the end, so the pass visits it again there: it has no code by then.
    for (int32_t i = 1; i <= count; ++i) {
        if (i > tasks.Count()) break;
        msp::Task task = tasks.Item(i);
        Err().Clear();
        if (!task) continue;
        const std::string code = Trim(task.Text1());
        if (code.empty() || !IsChargeElementDeletedInKova(code)) continue;
        if (deleteCETasks) {
            app.Alerts(false);
            TakeOutKeptSubtasks(app, task);
            task.Delete();
        } else {
            DetachTask(app, task, deleteBudgetLineTasks);
        }
        Err().Clear();
        --i;
    }
}

// Marks the records whose task is missing or differs in parent, name or type; only those are placed.
void NetChangePass(msp::Application& app) {
    ChargeElementTable& table = ChargeElements();
    for (size_t j = 0; j < table.records.size(); ++j) {
        table.changed[j] = true;
        if (!table.records[j]) continue;
        const ChargeElementEntry& r = *table.records[j];
        if (!app.Find(kChargeElementCodeField, GetFilterTestText(1), Variant(Trim(r.code)), false, true)) {
            Err().Clear();
            continue;
        }
        msp::Task task = app.ActiveCell().Task();
        Err().Clear();
        if (!task) continue;
        const std::string name = task.Name().substr(0, 50);
        if (Trim(task.Text15()) == Trim(r.parent) && Trim(name) == Trim(r.description) &&
            Trim(task.Text10()) == Trim(GetChargeElementTypeName(Trim(r.ceType))))
            table.changed[j] = false;
        Err().Clear();
    }
    // A milestone follows its element: when the element is placed again, so is the milestone.
    std::set<std::string> changedCodes;
    for (size_t j = 0; j < table.records.size(); ++j)
        if (table.changed[j] && table.records[j]) changedCodes.insert(Trim(table.records[j]->code));
    for (size_t j = 0; j < table.records.size(); ++j) {
        if (table.changed[j] || !table.records[j] || table.records[j]->milestone == 0) continue;
        if (changedCodes.count(Trim(table.records[j]->parent))) table.changed[j] = true;
    }
}

} // namespace

bool StructureHoldsNode(const std::string& node) {
    if (!CurrentProjectData || !CurrentProjectData->ChargeElements) return false;
    const auto& list = *CurrentProjectData->ChargeElements;
    if (Trim(node).empty()) return !list.empty();
    for (const std::shared_ptr<KovaDataObjects::KovaCE>& ce : list)
        if (ce && Trim(ce->CECode) == Trim(node)) return true;
    return false;
}

std::function<void(const std::string&)>& SyncProgressLabel() {
    static std::function<void(const std::string&)> label;
    return label;
}

void ShowSyncProgress(const std::string& text) {
    if (SyncProgressLabel()) SyncProgressLabel()(text);
    Err().Clear();
}

void SynchronizeChargeStructure(bool& proceed) {
    Err().Clear();
    if (!PlanFlag("KovaTransferChargeStructure")) return;
    if (!DetermineChargeStructureOwnership()) {
        proceed = false;
        PrintLog(kStructureSyncAbortedLine);
        return;
    }
    proceed = true;
    const int32_t ownership = PlanNumber("OwnershipChBSAndBudgQty");
    const std::string node = CurrentProjectData ? CurrentProjectData->ConnectedCE : std::string();
    if (ownership == kOwnedByProject) {
        ShowSyncProgress("Synchronizing the Charge Breakdown Structure in Kova from MS Project...");
        PrintLog("Synchronizing the Charge Breakdown Structure in Kova from MS Project...");
        SendChargeStructureToKova(node);
        Err().Clear();
        return;
    }

    RelationshipFailure = false;
    ShowSyncProgress("Synchronizing the Charge Breakdown Structure in MS Project from Kova...");
    PrintLog("Synchronizing the Charge Breakdown Structure in MS Project from Kova...");
    if (!CurrentProjectData) return;
    CurrentProjectData->getChBSFromKova(BOIConnector, node);
    if (Err().Number != 0) {
        // Nothing read is not "everything removed": the plan stays as it is.
        LogStepFailure(kStructureReadFailedLine + FormatErrorForLog(Err().Description));
        Err().Clear();
        PrintLog(kStructureSyncAbortedLine);
        proceed = false;
        return;
    }
    // An answer without the connection node itself is no structure of that node (the node is gone, or
    // the read came back empty): taking it would remove every charge-element task of the plan.
    if (!StructureHoldsNode(node)) {
        PrintLog(kStructureReadFailedLine + FormatErrorForLog(kConnectionNodeMissingText + node));
        PrintLog(kStructureSyncAbortedLine);
        proceed = false;
        return;
    }
    WriteChargeElementFile();
    ApplyKovaChargeStructureToProject();
    if (!ChargeElements().written || !ChargeElements().loaded) {
        PrintLog(kStructureSyncAbortedLine);
        proceed = false;
        return;
    }
    if (RelationshipFailure) {
        PrintLog("*** Please check mentioned task(s) in Microsoft Project and correct the task relationships. ***");
        PrintLog("");
    }
    Err().Clear();
}

void ApplyKovaChargeStructureToProject() {
    Err().Clear();
    if (!MSProjectApplication) return;
    msp::Application& app = *MSProjectApplication;
    PlacementOptions options;
    options.milestoneAsSubtask = GetMilestoneAsSubtask();
    options.standaloneMilestoneOnTop = GetStandaloneMilestoneOnTop();
    options.netChange = NetChangeOption;
    Err().Clear();
    LoadChargeElementFile();
    // Without the file the placement would take every element for removed or missing.
    if (!ChargeElements().written || !ChargeElements().loaded) {
        const std::string path = GetBceFilePath();
        Err().Clear();
        LogStepFailure(kCacheUnusableLine + path + kCacheUnusableTail);
        return;
    }

    app.OutlineShowAllTasks();
    app.Alerts(false);
    Err().Clear();
    const bool deleteBudgetLineTasks = PlanFlag("DeleteKovaMSPTask");
    const bool deleteCETasks = PlanFlag("DeleteMSPCETask");

    RemovalPass(app, deleteCETasks, deleteBudgetLineTasks);
    ShowSyncProgress("Adding/Updating Tasks in MSProject");
    if (options.netChange) NetChangePass(app);

    PlacementResult result = PlaceChargeElementTasks(options);
    if (result.relationshipFailure) RelationshipFailure = true;
    Err().Clear();
}

} // namespace Grantry
