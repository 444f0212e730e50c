#include "integration/core/TaskRows.h"

#include <string>

#include "dataobjects/LibrarySupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"

namespace Grantry {

namespace msp = platform::msproject;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

constexpr char kUniqueIdField[] = "Unique ID";

bool ActiveTaskIs(msp::Application& app, int32_t uniqueId) {
    msp::Task active = app.ActiveCell().Task();
    const bool same = active && active.UniqueID() == uniqueId;
    Err().Clear();
    return same;
}

bool FindUniqueId(msp::Application& app, int32_t uniqueId) {
    const bool found = app.Find(kUniqueIdField, GetFilterTestText(1), Variant(uniqueId), true);
    Err().Clear();
    return found && ActiveTaskIs(app, uniqueId);
}

void LogSelectFailure(int32_t id, const std::string& name) {
    PrintLog("*** FAILURE: *** Selecting failed for Task ID " + std::to_string(id) +
             (name.empty() ? std::string() : ", " + name));
    Err().Clear();
}

msp::Task LastDescendant(msp::Task task) {
    for (int depth = 0; depth < 1000; ++depth) {
        msp::List<msp::Task> children = task.OutlineChildren();
        const int32_t count = children.Count();
        Err().Clear();
        if (count == 0) break;
        task = children.Item(count);
        Err().Clear();
    }
    return task;
}

bool Contains(const msp::Task& head, msp::Task task) {
    const int32_t headId = head.UniqueID();
    for (int depth = 0; task && depth < 1000; ++depth, task = task.OutlineParent())
        if (task.UniqueID() == headId) return Err().Clear(), true;
    Err().Clear();
    return false;
}

} // namespace

bool SelectTaskRow(msp::Application& app, const msp::Task& task) {
    Err().Clear();
    if (!task) {
        LogSelectFailure(0, {});
        return false;
    }
    const int32_t id = task.Id();
    const int32_t uniqueId = task.UniqueID();
    Err().Clear();
    // Where rows and Ids agree the row is the Id; otherwise the row is searched for by the one field
    // that no sort, filter or blank row changes.
    app.SelectRow(id, false, false, false);
    Err().Clear();
    if (ActiveTaskIs(app, uniqueId) || FindUniqueId(app, uniqueId)) return true;
    // A collapsed summary above hides the row: its summaries are expanded, the outermost last.
    for (msp::Task parent = task.OutlineParent(); parent && parent.OutlineLevel() > 0;
         parent = parent.OutlineParent()) {
        parent.OutlineShowSubTasks();
        Err().Clear();
    }
    Err().Clear();
    if (FindUniqueId(app, uniqueId)) return true;
    LogSelectFailure(id, KovaDataObjects::Trim(task.Name()));
    return false;
}

bool SelectTaskRowById(msp::Application& app, int32_t id) {
    Err().Clear();
    msp::Task task = id >= 1 ? app.ActiveProject().Tasks().Item(id) : msp::Task{};
    Err().Clear();
    if (!task) {
        LogSelectFailure(id, {});
        return false;
    }
    return SelectTaskRow(app, task);
}

bool SelectRowBelowSubtree(msp::Application& app, const msp::Task& task) {
    if (!SelectTaskRow(app, LastDescendant(task))) return false;
    app.SelectRow(1, true, false, false);
    Err().Clear();
    return true;
}

msp::Task MoveTaskBelowSubtree(msp::Application& app, const msp::Task& task, const msp::Task& parent) {
    Err().Clear();
    if (!task || !parent) return {};
    if (Contains(task, parent)) return {};
    // Both rows are brought into view before the cut, so that the paste's row is there after it.
    if (!SelectTaskRow(app, LastDescendant(parent)) || !SelectTaskRow(app, task)) return {};
    const int32_t uniqueId = task.UniqueID();
    app.EditCut();
    Err().Clear();
    const bool placed = SelectRowBelowSubtree(app, parent);
    if (!placed) app.SelectRow(app.ActiveProject().Tasks().Count() + 1, false, false, false);
    Err().Clear();
    app.EditPaste();
    Err().Clear();
    msp::Task moved = app.ActiveProject().Tasks().UniqueID(uniqueId);
    Err().Clear();
    return placed ? moved : msp::Task{};
}

} // namespace Grantry
