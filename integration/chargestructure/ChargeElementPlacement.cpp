#include "integration/chargestructure/ChargeElementPlacement.h"

#include <optional>
#include <string>

#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElements.h"
#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;

int32_t OutlineDescendantCount = 0;

namespace {

// Bounds the level loops: a step that changes nothing would otherwise repeat for ever.
constexpr int kMaxOutlineSteps = 100;

// A record text without its padding; fields never written hold zero bytes.
std::string Clean(const std::string& text) {
    const size_t first = text.find_first_not_of(std::string(" \0", 2));
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(std::string(" \0", 2));
    return text.substr(first, last - first + 1);
}

msp::Task FindByCode(msp::Application& app, const std::string& code) {
    if (!app.Find(kChargeElementCodeField, GetFilterTestText(1), Variant(code), false, true)) {
        Err().Clear();
        return {};
    }
    return app.ActiveCell().Task();
}

std::string ParentCode(const msp::Task& task) {
    msp::Task parent = task.OutlineParent();
    std::string code = parent ? parent.Text1() : std::string();
    Err().Clear();
    return code;
}

void SetDatesFrom(msp::Application& app, msp::Task& task, const Date& start, const std::string& finishText,
                  const Date& fallbackStart, const Date& fallbackFinish) {
    if (start.IsZero()) {
        task.SetStart(fallbackStart);
        task.SetFinish(finishText.empty() ? fallbackFinish : TimeStampToDate(finishText));
    } else {
        task.SetStart(start);
        task.SetDuration(
            Variant(static_cast<double>(app.DateDifference(start, TimeStampToDate(finishText)))));
    }
}

void StampSchedule(msp::Task& task) {
    task.SetDate9(Variant(task.Start()));
    task.SetDate10(Variant(task.Finish()));
    task.SetNumber20(task.PercentComplete());
}

void LogLine(const std::string& text) {
    platform::os::PrintLine(platform::os::LogFileNumber, text);
    Err().Clear();
}

// A level loop that could not reach its level: the task stays where it is, said once in the log.
void LogOutlineFailure(const char* what, int32_t row, const msp::Task& task) {
    LogLine(std::string("*** FAILURE: *** ") + what + " failed for Task ID " + std::to_string(row) +
            ", Kova CE " + task.Text1() + ", " + KovaDataObjects::Trim(task.Name()));
}

void PlaceRecord(msp::Application& app, const ChargeElementEntry& r, const PlacementOptions& options,
                 PlacementResult& result) {
    const std::string code = Clean(r.code);
    const std::string parentCode = Clean(r.parent);
    const std::string type = Clean(r.ceType);
    const std::string obs = Clean(r.obsElement);
    const std::string startText = Clean(r.start);
    const std::string finishText = Clean(r.finish);
    const Date start = startText.empty() ? Date() : TimeStampToDate(startText);
    Err().Clear();
    const bool milestone = r.milestone != 0;
    msp::Tasks tasks = app.ActiveProject().Tasks();

    std::string moveTarget;
    msp::Task task = FindByCode(app, code);
    if (task) {
        if (!parentCode.empty() && milestone) {
            msp::Task parent = FindByCode(app, parentCode);
            const std::string former = KovaDataObjects::Trim(task.Text15());
            Err().Clear();
            if (parent && (ParentCode(task) != ParentCode(parent) || former != parentCode)) {
                moveTarget = KovaDataObjects::Trim(parent.Text1());
                result.structureMoved = true;
            }
            // Relinked to another element: the milestone no longer follows the one it followed, and its
            // parent code names the new one (the code sent back once the plan owns the structure).
            if (parent && former != parentCode) {
                if (msp::Task old = former.empty() ? msp::Task{} : FindByCode(app, former)) task.UnlinkPredecessors(old);
                Err().Clear();
                task.SetText15(parentCode);
            }
        } else if (!parentCode.empty()) {
            if (KovaDataObjects::Trim(ParentCode(task)) != parentCode) {
                moveTarget = parentCode;
                result.structureMoved = true;
            }
        } else if (milestone) {
            task.SetText15("");
        }
        task.SetName(Clean(r.description));
        task.SetText10(GetChargeElementTypeName(type));
        task.SetText12(obs);
        Err().Clear();
    } else {
        if (milestone) {
            std::optional<int32_t> before;
            if (parentCode.empty()) {
                before = 1;
                if (app.Find("Milestone", GetFilterTestText(1), Variant(GetFilterTestText(12)), true)) {
                    msp::Task found = app.ActiveCell().Task();
                    msp::Task same = found ? tasks.Item(found.Id()) : msp::Task{};
                    if (same && same.Text15().empty()) before = same.Id();
                }
                Err().Clear();
            } else {
                before = tasks.Count() + 1;
            }
            task = tasks.Add(Clean(r.description), before);
            if (task) {
                if (!start.IsZero()) task.SetStart(start);
                task.SetDuration(Variant(0.0));
                task.SetMilestone(true);
            }
        } else {
            task = tasks.Add(Clean(r.description), tasks.Count() + 1);
            if (task && parentCode.empty()) task.SetFlag1(true);
        }
        Err().Clear();
        if (!task) return;
        if (type == "5") {
            task.SetDuration(Variant(0.0));
            task.SetMilestone(true);
        } else {
            const Date projectStart = app.ActiveProject().Start();
            SetDatesFrom(app, task, start, finishText, projectStart, projectStart);
        }
        task.SetText1(code);
        task.SetText10(GetChargeElementTypeName(type));
        task.SetFlag2(true);
        task.SetFlag3(true);
        task.SetText15(parentCode);
        task.SetText12(obs);
        StampSchedule(task);
        moveTarget = parentCode;
        for (int step = 0; task.OutlineLevel() > 1; ++step) {
            const int32_t level = task.OutlineLevel();
            if (step == kMaxOutlineSteps || (task.OutlineOutdent(), Err().Clear(), task.OutlineLevel() == level)) {
                LogOutlineFailure("Outdenting", task.Id(), task);
                break;
            }
        }
        Err().Clear();
    }

    msp::Task parentTask;
    if (!moveTarget.empty()) {
        parentTask = FindByCode(app, moveTarget);
        if (parentTask && type == "5") parentTask.SetMilestone(false);
    } else if (options.standaloneMilestoneOnTop && task && milestone && parentCode.empty()) {
        task.SetText15("");
        if (SelectTaskRow(app, task)) {
            app.EditCut();
            app.SelectRow(1, false);
            app.EditPaste();
        }
    }
    Err().Clear();
    if (!parentTask) return;

    if (type != "5") {
        SetDatesFrom(app, task, start, finishText, parentTask.Start(), parentTask.Finish());
        StampSchedule(task);
        task.SetMilestone(false);
        task.SetText15(parentCode);
        Err().Clear();
    }
    msp::Task active = MoveTaskBelowSubtree(app, task, parentTask);
    Err().Clear();
    if (!active) {
        // Its parent is one of its own subtasks (or a row could not be reached): it stays where it is.
        result.relationshipFailure = true;
        LogOutlineFailure("Indenting", task.Id(), task);
        return;
    }
    const int32_t row = active.Id();
    Err().Clear();

    if (type == "5" && !options.milestoneAsSubtask) {
        // Beside its parent.
        for (int step = 0; active.OutlineLevel() != parentTask.OutlineLevel(); ++step) {
            const int32_t level = active.OutlineLevel();
            if (step < kMaxOutlineSteps) {
                if (parentTask.OutlineLevel() > level)
                    active.OutlineIndent();
                else
                    active.OutlineOutdent();
                Err().Clear();
            }
            if (active.OutlineLevel() == level) {
                LogOutlineFailure(parentTask.OutlineLevel() > level ? "Indenting" : "Outdenting", row, active);
                break;
            }
        }
        active.SetText15(parentCode);
        return;
    }
    for (int step = 0; active.OutlineLevel() - 1 != parentTask.OutlineLevel(); ++step) {
        // A task pasted at the plan's end may stand above its parent's level: it is indented too.
        const bool indent = active.OutlineLevel() <= parentTask.OutlineLevel();
        const int32_t level = active.OutlineLevel();
        if (step < kMaxOutlineSteps) {
            if (indent)
                active.OutlineIndent();
            else
                active.OutlineOutdent();
            Err().Clear();
        }
        if (active.OutlineLevel() == level) {
            result.relationshipFailure = true;
            LogOutlineFailure(indent ? "Indenting" : "Outdenting", row, active);
            break;
        }
    }
    Err().Clear();
}

} // namespace

void CountOutlineDescendants(const msp::Task& task) {
    msp::List<msp::Task> children = task.OutlineChildren();
    OutlineDescendantCount += children.Count();
    for (const msp::Task& child : children)
        CountOutlineDescendants(child);
}

PlacementResult PlaceChargeElementTasks(const PlacementOptions& options) {
    Err().Clear();
    PlacementResult result;
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return result;
    }
    msp::Application& app = *MSProjectApplication;
    ChargeElementTable& table = ChargeElements();
    for (size_t j = 0; j < table.records.size(); ++j) {
        if (options.netChange && !(j < table.changed.size() && table.changed[j])) continue;
        if (!table.records[j]) continue;
        PlaceRecord(app, *table.records[j], options, result);
        Err().Clear();
    }

    if (!options.milestoneAsSubtask && result.structureMoved) {
        for (const std::optional<ChargeElementEntry>& r : table.records) {
            if (!r || Clean(r->ceType) != "5") continue;
            // A stand-alone milestone has no parent to follow; looking up its empty parent code would
            // find any uncoded task (a budget-line subtask) and tie the milestone to it.
            const std::string parentCode = Clean(r->parent);
            if (parentCode.empty()) continue;
            // The localized test word: the literal "=" fails in a program of another language.
            msp::Task parent = FindByCode(app, parentCode);
            if (!parent) continue;
            msp::Task milestone = FindByCode(app, Clean(r->code));
            if (!milestone) continue;
            const std::string startText = Clean(r->start);
            ScheduleMilestoneAfterParent(milestone, parent,
                                         startText.empty() ? Date() : TimeStampToDate(startText));
            Err().Clear();
        }
    }

    if (GetSortTasksOnCECode() && SortTasksOnChargeElementCodeStep()) SortTasksOnChargeElementCodeStep()();
    Err().Clear();
    return result;
}

} // namespace Grantry
