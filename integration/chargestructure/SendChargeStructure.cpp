#include "integration/chargestructure/SendChargeStructure.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/Constants.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::Collection;
using KovaDataObjects::KovaCE;
using KovaDataObjects::KovaData;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

constexpr int kCode = 1, kStandard = 9, kObs = 12, kParent = 15;
constexpr int kInKova = 2, kMark = 3, kDeleted = 4;

// The standard element's code: the text between the first and the second "." of the reference.
std::string StandardChargeElementCode(const std::string& reference) {
    const auto first = reference.find('.');
    if (first == std::string::npos) return {};
    const auto second = reference.find('.', first + 1);
    return Trim(
        reference.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
}

// The first task, in task order, whose code is the given one. Looked up on the field itself rather than
// through the program's Find, whose test words depend on the program's language.
msp::Task TaskWithCode(msp::Tasks& tasks, const std::string& code) {
    const int32_t count = tasks.Count();
    for (int32_t r = 1; r <= count; ++r) {
        msp::Task t = tasks.Item(r);
        if (t && t.Text(kCode) == code) return t;
    }
    Err().Clear();
    return {};
}

// The task with that Id, its row made the active one; Nothing when the row cannot be reached.
msp::Task SelectTaskWithId(msp::Application& app, int32_t id) {
    if (!SelectTaskRowById(app, id)) return {};
    return app.ActiveCell().Task();
}

} // namespace

void SendChargeStructureToKova(const std::string& node) {
    Err().Clear();
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;
    app.OutlineShowAllTasks();
    Err().Clear();
    msp::Tasks tasks = app.ActiveProject().Tasks();
    if (Err().Number != 0) return;
    const int32_t count = tasks.Count();

    std::vector<int32_t> ids(static_cast<size_t>(count) + 1, 0);
    int32_t used = 0;
    bool standardPresent = false;
    Collection<KovaCE> sent;

    for (int32_t r = 1; r <= count; ++r) {
        Err().Clear();
        msp::Task task = tasks.Item(r);
        if (!task) continue;
        if (task.Flag(kDeleted)) continue;
        if (!task.Flag(kMark)) continue;
        ids[static_cast<size_t>(used++)] = task.Id();

        auto ce = std::make_shared<KovaCE>();
        const std::string reference = task.Text(kStandard);
        if (!reference.empty() && !task.Flag(kInKova)) {
            standardPresent = true;
            ce->SCECode = StandardChargeElementCode(reference);
        }

        // Parents come before their children, so a deletion mark spreads down the whole branch.
        msp::Task parent;
        const std::string parentCode = Trim(task.Text(kParent));
        if (!parentCode.empty()) parent = TaskWithCode(tasks, parentCode);
        if (parent && parent.Flag(kDeleted)) {
            task.SetFlag(kDeleted, true);
            continue;
        }

        if (parent) ce->CEParent = std::to_string(parent.Id());
        ce->SeqNumber = task.Id();
        ce->CECode = Trim(task.Text(kCode));
        ce->CEDescription = Trim(task.Name());
        ce->CEType = GetChargeElementTypeCode(task.Text(10));
        ce->OBSelement = Trim(task.Text(kObs));
        ce->StartDate = task.Start();
        ce->FinishDate = task.Finish();
        if (ce->CEType == 5 && !ce->CEParent.empty()) {
            const int32_t parentId = parent.Id();
            for (const auto& other : sent)
                if (other->SeqNumber == parentId) {
                    other->EVasMileStone = true;
                    break;
                }
        }
        sent.push_back(ce);
    }
    Err().Clear();
    if (used > 0) UpdateChargeStructureInKova(node, sent, standardPresent, ids, used - 1);
}

void UpdateChargeStructureInKova(const std::string& node, Collection<KovaCE>& sent,
                                 bool standardChargeElementPresent, const std::vector<int32_t>& ids,
                                 int32_t lastIndex) {
    Err().Clear();
    std::optional<Collection<KovaData>> codes;
    if (CurrentProjectData)
        codes = CurrentProjectData->updateChBSInKova(BOIConnector, node, sent);
    else
        Err().Raise(platform::automation::errors::ObjectNotSet, "UpdateChargeStructureInKova");
    if (Err().Number != 0) {
        const std::string description = Err().Description;
        platform::forms::MsgBox(kChargeStructureSendFailed,
                                platform::forms::vbExclamation + platform::forms::vbMsgBoxSetForeground,
                                kMessageTitle);
        LogChBSUpdateErrors(description);
        Err().Clear();
        return;
    }
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;
    app.OutlineShowAllTasks();
    if (codes && standardChargeElementPresent) ApplyGeneratedChargeElementCodes(*codes);

    for (int32_t i = 0; i <= lastIndex && i < static_cast<int32_t>(ids.size()); ++i) {
        Err().Clear();
        msp::Task task = SelectTaskWithId(app, ids[static_cast<size_t>(i)]);
        if (task) task.SetFlag(kInKova, true);
    }

    // A deleted row's successors move up into it, so the same row is looked at again. Blank rows are
    // passed over: a marked task below one is removed all the same.
    Err().Clear();
    app.Alerts(false);
    msp::Tasks tasks = app.ActiveProject().Tasks();
    const int32_t count = tasks.Count();
    bool ended = false;
    for (int32_t r = 1; r <= count && !ended; ++r) {
        Err().Clear();
        if (r > tasks.Count()) break;
        msp::Task task = tasks.Item(r);
        if (Err().Number != 0) break; // a row that cannot be read ends the removal
        while (task && task.Flag(kDeleted)) {
            if (!SelectTaskRow(app, task)) break;
            app.EditDelete();
            if (Err().Number != 0 || r > tasks.Count()) {
                ended = Err().Number != 0;
                break;
            }
            task = tasks.Item(r);
        }
    }
    Err().Clear();
    app.Alerts(true);
}

void ApplyGeneratedChargeElementCodes(const Collection<KovaData>& codes) {
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;
    const int32_t top = GetTopChargeElementTaskId();
    for (const auto& code : codes) {
        Err().Clear();
        if (code->Number == top)
            app.ActiveProject()
                .CustomDocumentProperties()
                .Item("KovaConnectionNode")
                .SetValue(Variant(Trim(code->Code)));
        Err().Clear();
        msp::Task task = SelectTaskWithId(app, code->Number);
        if (task) task.SetText(kCode, code->Code);
    }
    Err().Clear();
}

} // namespace Grantry
