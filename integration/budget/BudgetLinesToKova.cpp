// The plan's budget lines to the ERP (the budget and schedule run's sixth step): the linked lines in
// one update, what the ERP answers applied, then the lines made in the plan created in the ERP.
#include <cmath>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dataobjects/KovaBudget.h"
#include "dataobjects/KovaBudgetLine.h"
#include "dataobjects/KovaData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
namespace ko = KovaDataObjects;
using ko::Trim;
using platform::automation::Err;

namespace {

// The bare ERP cost-object code of a Text3: a material's without its "MAT." prefix, the others' the
// text after the last ".".
std::string CostObjectCode(int32_t costType, const std::string& resourceCode) {
    if (costType == 1) return resourceCode.size() > 4 ? resourceCode.substr(4) : "";
    return StripCodePrefix(resourceCode, false);
}

// The work a new line is created with, in the plan's work unit. Where the plan owns the quantities the
// next update sends it rounded to two decimals: it is created so. Where the ERP owns them, the next
// refresh writes the ERP's figure back into the plan: it is created exact.
double CreatedWork(double minutes) {
    const int32_t ownership = BudgetScheduleState().ownership;
    const double work = MinutesToWorkUnits(minutes);
    return ownership == 2 || ownership == 4 ? RoundBudgetWork(work) : work;
}

std::string PlanName() {
    return MSProjectApplication ? MSProjectApplication->ActiveProject().Name() : std::string();
}

// Creates the line in the ERP with the dates of `datesOf` and, when the ERP made it, writes its number
// into the subtask or assignment `line` (Text4), links it (Text8 "3") and gives it its key (Text20).
// A refused line is logged and keeps its link state "2" for the next run.
template <class Line>
void CreateLine(Line& line, int32_t costType, const std::string& costTypeText, const std::string& chargeElement,
                const std::string& costObject, double quantity, const msp::Task& datesOf,
                const std::string& employee, const std::string& tradeGroup) {
    Date start = ExchangedStart(datesOf), finish = ExchangedFinish(datesOf);
    std::string startStamp = DateToTimeStamp(start), finishStamp = DateToTimeStamp(finish);
    Err().Clear();
    BudgetScheduleRunState& s = BudgetScheduleState();
    int32_t lineNumber = 0;
    if (!s.budget) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
    } else {
        s.budget->createBudgetLineinKova(BOIConnector, lineNumber, static_cast<int16_t>(costType), chargeElement,
                                         costObject, quantity, startStamp, finishStamp, PlanName(), employee,
                                         tradeGroup);
    }
    if (Err().Number != 0) {
        LogStepFailure(FormatErrorForLog(Err().Description));
        Err().Clear();
        return;
    }
    line.SetText(4, std::to_string(lineNumber));
    // Labour and equipment hold their work as the quantity the ERP now has, as a refresh writes it.
    if (costType == 2 || costType == 3) line.SetText(6, BudgetNumberText(quantity));
    line.SetText(8, kLinkStateLinkExists);
    line.SetText(20, BudgetLineKey(chargeElement, costTypeText, line.Text(4)));
}

void CreateKovaBudgetLineForTask(msp::Task& task) {
    const std::string chargeElement = GetParentChargeElement(task);
    if (chargeElement.empty()) return;
    const std::string costTypeText = task.Text(2);
    const int32_t costType = IntegerOfField(costTypeText);
    const std::string costObject = CostObjectCode(costType, task.Text(3));
    const double quantity = costType == 2 || costType == 3 ? CreatedWork(task.Work()) : BudgetNumberOfText(task.Text(6));
    std::string employee, tradeGroup;
    if (costType == 2) {
        for (const msp::Resource& r : task.Resources()) {
            if (!r) continue;
            const std::string name = r.Name();
            if (NameHasPrefix(name, kEmployeePrefix)) {
                employee = StripCodePrefix(r.Text(2), false);
                break;
            }
            if (NameHasPrefix(name, kTradeGroupPrefix)) {
                tradeGroup = StripCodePrefix(r.Text(2), false);
                break;
            }
        }
    }
    CreateLine(task, costType, costTypeText, chargeElement, costObject, quantity, task, employee, tradeGroup);
}

void CreateKovaBudgetLineForAssignment(msp::Task& task, msp::Assignment& assignment) {
    const std::string chargeElement = task.Text(1);
    if (chargeElement.empty()) return;
    const std::string costTypeText = assignment.Text(2);
    const int32_t costType = IntegerOfField(costTypeText);
    const std::string costObject = CostObjectCode(costType, assignment.Text(3));
    const double quantity =
        costType == 2 || costType == 3 ? CreatedWork(assignment.Work()) : assignment.Units();
    std::string employee, tradeGroup;
    if (costType == 2) {
        const std::string resource = assignment.ResourceName();
        if (NameHasPrefix(resource, kEmployeePrefix)) employee = StripCodePrefix(assignment.Text(13), false);
        if (NameHasPrefix(resource, kTradeGroupPrefix)) tradeGroup = StripCodePrefix(assignment.Text(13), false);
    }
    CreateLine(assignment, costType, costTypeText, chargeElement, costObject, quantity, task, employee,
               tradeGroup);
}

// The employee or trade group a labour line names by its resource: the bare code and "EMP" or "TRG";
// false for a resource of neither kind.
bool PersonOfResourceName(const std::string& name, std::string& code, std::string& type) {
    for (const char* prefix : {kEmployeePrefix, kTradeGroupPrefix}) {
        if (!NameHasPrefix(name, prefix)) continue;
        code = Trim(StripCodePrefix(name, true));
        type = prefix;
        return true;
    }
    return false;
}

void AddBudgetLineToUpdateList(ko::Collection<ko::KovaBudgetLine>& updates, msp::Task& task,
                               msp::Assignment& assignment, bool isTask) {
    const std::string chargeElement = isTask ? GetParentChargeElement(task) : task.Text(1);
    if (chargeElement.empty()) return;
    auto line = std::make_shared<ko::KovaBudgetLine>();
    line->ChargeElement = chargeElement;
    const std::string costTypeText = isTask ? task.Text(2) : assignment.Text(2);
    const int32_t costType = IntegerOfField(costTypeText);
    if (!costTypeText.empty()) {
        line->CostType = costType;
        const std::string code = CostObjectCode(costType, isTask ? task.Text(3) : assignment.Text(3));
        line->CostObject = isTask ? Trim(code) : code;
    }
    const int32_t ownership = BudgetScheduleState().ownership;
    if (ownership == 2 || ownership == 4) {
        if (costType == 2 || costType == 3) {
            // Rounded as a created line is, so that sending it again changes nothing.
            line->Work = RoundBudgetWork(MinutesToWorkUnits(isTask ? task.Work() : assignment.Work()));
        } else {
            line->PhysicalQuantity = isTask ? BudgetNumberOfText(task.Text(6)) : assignment.Units();
            if (costType == 4) line->PhysicalUnit = isTask ? task.Text(7) : assignment.Text(7);
        }
    }
    if (costType == 2) {
        if (isTask) {
            for (const msp::Resource& r : task.Resources())
                if (r && PersonOfResourceName(r.Name(), line->EmpTrgCode, line->ResourceType)) break;
        } else {
            PersonOfResourceName(assignment.ResourceName(), line->EmpTrgCode, line->ResourceType);
        }
    }
    const std::string number = isTask ? task.Text(4) : assignment.Text(4);
    if (!number.empty()) line->BudgetLine = IntegerOfField(number);
    if (BudgetScheduleState().scheduleBase == 2) {
        line->StartDate = task.EarlyStart();
        line->FinishDate = task.EarlyFinish();
    } else {
        line->StartDate = isTask ? task.Start() : assignment.Start();
        line->FinishDate = isTask ? task.Finish() : assignment.Finish();
    }
    updates.push_back(line);
}

// The plan's budget lines of one link state by cost type, in plan order within each cost type: a
// task with a cost type is a subtask line, the assignments of a task without one are assignment lines.
struct BudgetLineItem {
    msp::Task task;
    msp::Assignment assignment; // Nothing for a subtask line
};
using LinesByCostType = std::map<int32_t, std::vector<BudgetLineItem>>;

LinesByCostType CollectBudgetLineTasksByCostType(int32_t state) {
    LinesByCostType lines;
    if (!MSProjectApplication) return lines;
    for (const msp::Task& task : MSProjectApplication->ActiveProject().Tasks().Snapshot()) {
        if (!task) continue;
        const std::string costType = task.Text(2);
        if (!costType.empty()) {
            if (!task.Text(8).empty() && IntegerOfField(task.Text(8)) == state)
                lines[IntegerOfField(costType)].push_back({task, {}});
            continue;
        }
        for (const msp::Assignment& a : task.Assignments().Snapshot())
            if (a && !a.Text(8).empty() && IntegerOfField(a.Text(8)) == state)
                lines[IntegerOfField(a.Text(2))].push_back({task, a});
    }
    Err().Clear();
    return lines;
}

// Where the ERP's answers are looked for: budget-line subtasks by (cost type, line number, the charge
// element they were sent under) and tasks by their own code, each in plan order, built once for all
// entries. A subtask may sit below a summary task without code: its charge element is the nearest
// coded ancestor, as the update named it.
class UpdateResultIndex {
public:
    explicit UpdateResultIndex(const std::vector<msp::Task>& tasks) {
        for (const msp::Task& t : tasks) {
            if (!t) continue;
            const std::string costType = Trim(t.Text(2));
            if (!costType.empty())
                subtasks_[{costType, Trim(t.Text(4)), GetParentChargeElement(t)}].push_back(t);
            const std::string code = t.Text(1);
            if (!code.empty()) byCode_[code].push_back(t);
            Err().Clear();
        }
    }
    std::vector<msp::Task>* Subtasks(const std::string& costType, const std::string& number,
                                     const std::string& code) {
        auto it = subtasks_.find({costType, number, code});
        return it == subtasks_.end() ? nullptr : &it->second;
    }
    std::vector<msp::Task>* Coded(const std::string& code) {
        auto it = byCode_.find(code);
        return it == byCode_.end() ? nullptr : &it->second;
    }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::vector<msp::Task>> subtasks_;
    std::map<std::string, std::vector<msp::Task>> byCode_;
};

// Whether a task the walk found is still in the plan (deleting a task takes its subtree along).
bool StillInPlan(const msp::Task& task) {
    Err().Clear();
    const int32_t id = task.Id();
    const bool alive = Err().Number == 0 && id > 0;
    Err().Clear();
    return alive;
}

void ApplyBudgetLineUpdateResult(const ko::Collection<ko::KovaData>& result) {
    if (!MSProjectApplication || result.empty()) return;
    UpdateResultIndex index(MSProjectApplication->ActiveProject().Tasks().Snapshot());
    for (const std::shared_ptr<ko::KovaData>& entry : result) {
        if (!entry) continue;
        const std::string costType = Trim(entry->Description);
        const std::string number = Trim(std::to_string(entry->Number));
        if (std::vector<msp::Task>* subtasks = index.Subtasks(costType, number, entry->Code)) {
            for (msp::Task& t : *subtasks) {
                if (!StillInPlan(t)) continue;
                if (DeleteKovaMSPTask)
                    t.Delete();
                else
                    DetachBudgetLine(t);
                Err().Clear();
            }
        }
        if (std::vector<msp::Task>* coded = index.Coded(entry->Code)) {
            for (msp::Task& t : *coded) {
                if (!StillInPlan(t)) continue;
                for (msp::Assignment a : t.Assignments().Snapshot()) {
                    if (!a || Trim(a.Text(2)) != costType || Trim(a.Text(4)) != number) continue;
                    if (DeleteKovaMSPTask)
                        a.Delete();
                    else
                        DetachBudgetLine(a);
                    break;
                }
                Err().Clear();
            }
        }
    }
    Err().Clear();
}

// The numbers the ERP gave this plan's lines on an earlier run are lost when the plan was not saved
// after it (the run was cut off, or the file could not be written): the ERP then holds lines linked to
// this plan that no line of the plan holds, numbered above every line the plan holds of their charge
// element (the ERP numbers a charge element's lines upwards). A new line of the plan with the same
// charge element, cost type and cost object takes such a line back instead of having it made a second
// time. A lower-numbered line linked to the plan is one the plan dropped; the update unlinks it. False
// when the ERP's linked lines cannot be read: making new lines is then not safe.
bool TakeBackUnrecordedLines(LinesByCostType& fresh) {
    if (fresh.empty()) return true;
    BudgetScheduleRunState& s = BudgetScheduleState();
    if (!s.budget) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return false;
    }
    ko::Collection<ko::KovaBudgetLine> linked = s.budget->getLinkedBudgetLines(BOIConnector, PlanName());
    if (Err().Number != 0) return false;
    std::map<std::string, int32_t> highestHeld;
    auto hold = [&](const std::string& chargeElement, const std::string& number) {
        if (Trim(number).empty()) return;
        int32_t& highest = highestHeld[Trim(chargeElement)];
        highest = std::max(highest, IntegerOfField(number));
    };
    for (const msp::Task& task : MSProjectApplication->ActiveProject().Tasks().Snapshot()) {
        if (!task) continue;
        if (!task.Text(2).empty()) {
            hold(GetParentChargeElement(task), task.Text(4));
            continue;
        }
        for (const msp::Assignment& a : task.Assignments().Snapshot())
            if (a) hold(task.Text(1), a.Text(4));
    }
    Err().Clear();
    std::vector<std::shared_ptr<ko::KovaBudgetLine>> unrecorded;
    for (const auto& line : linked)
        if (line && line->BudgetLine > highestHeld[Trim(line->ChargeElement)]) unrecorded.push_back(line);
    for (auto& [costType, items] : fresh) {
        for (BudgetLineItem& item : items) {
            if (unrecorded.empty()) return true;
            const bool isTask = !item.assignment;
            const std::string chargeElement = Trim(isTask ? GetParentChargeElement(item.task) : item.task.Text(1));
            const std::string costTypeText = isTask ? item.task.Text(2) : item.assignment.Text(2);
            const std::string costObject =
                Trim(CostObjectCode(costType, isTask ? item.task.Text(3) : item.assignment.Text(3)));
            auto match = std::find_if(unrecorded.begin(), unrecorded.end(), [&](const auto& line) {
                return line->CostType == costType && Trim(line->ChargeElement) == chargeElement &&
                       Trim(line->CostObject) == costObject;
            });
            if (chargeElement.empty() || match == unrecorded.end()) continue;
            const std::string number = std::to_string((*match)->BudgetLine);
            auto write = [&](auto& line) {
                line.SetText(4, number);
                line.SetText(8, kLinkStateLinkExists);
                line.SetText(20, BudgetLineKey(chargeElement, costTypeText, number));
            };
            if (isTask)
                write(item.task);
            else
                write(item.assignment);
            Err().Clear();
            PrintLog("   Budget line " + number + " of Charge Element " + chargeElement + " (cost object " +
                     costObject + ") was created in Kova by an earlier run of this plan that was not saved: " +
                     "it is linked again and not created twice.");
            unrecorded.erase(match);
        }
    }
    return true;
}

// A linked line whose cost type or number holds a number out of range is left as it is: it is logged
// as a failed step and sends nothing of its own. The ERP's line its key names is sent by that key alone, so that the
// update neither unlinks nor changes it.
void KeepLineOutOfRange(ko::Collection<ko::KovaBudgetLine>& updates, const BudgetLineItem& item,
                        const std::string& field) {
    const bool isTask = !item.assignment;
    const std::string name =
        isTask ? item.task.Name() : item.task.Name() + " (" + item.assignment.ResourceName() + ")";
    const std::string text = isTask ? item.task.Text(field == kBudgetCostTypeField ? 2 : 4)
                                    : item.assignment.Text(field == kBudgetCostTypeField ? 2 : 4);
    // Not synchronised, so the run must not say it completed.
    LogStepFailure("   Budget line of task " + name + ": " + field + " holds " + Trim(text) +
                   ", a number out of range. The line is left as it is.");
    const std::string key = Trim(isTask ? item.task.Text(20) : item.assignment.Text(20));
    const size_t numberAt = key.rfind('_');
    if (numberAt == std::string::npos || numberAt == 0) return;
    const size_t costTypeAt = key.rfind('_', numberAt - 1);
    if (costTypeAt == std::string::npos || costTypeAt == 0) return;
    const std::string costType = key.substr(costTypeAt + 1, numberAt - costTypeAt - 1);
    const std::string number = key.substr(numberAt + 1);
    const auto digits = [](const std::string& s) {
        return !s.empty() && s.size() < 10 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(costType) || !digits(number)) return;
    auto line = std::make_shared<ko::KovaBudgetLine>();
    line->KeyOnly = true;
    line->ChargeElement = key.substr(0, costTypeAt);
    line->CostType = std::stoi(costType);
    line->BudgetLine = std::stoi(number);
    if (line->CostType < 1 || line->CostType > 5 || line->BudgetLine == 0) return;
    updates.push_back(line);
}

} // namespace

void CreateUpdateBudgetLinesInKova() {
    BudgetScheduleRunState& s = BudgetScheduleState();
    DecimalSeparatorScope separator;
    LinesByCostType fresh = CollectBudgetLineTasksByCostType(2);
    const bool mayCreate = TakeBackUnrecordedLines(fresh);
    if (!mayCreate) {
        LogStepFailure(FormatErrorForLog(Err().Description));
        PrintLog(kNewLinesNotCreatedLine);
        Err().Clear();
    }
    ko::Collection<ko::KovaBudgetLine> updates;
    for (auto& [costType, items] : CollectBudgetLineTasksByCostType(3)) {
        for (BudgetLineItem& item : items) {
            const std::string outOfRange = item.assignment
                                               ? BudgetLineFieldOutOfRange(item.assignment.Text(2), item.assignment.Text(4))
                                               : BudgetLineFieldOutOfRange(item.task.Text(2), item.task.Text(4));
            if (!outOfRange.empty()) {
                KeepLineOutOfRange(updates, item, outOfRange);
                Err().Clear();
                continue;
            }
            if (costType < 1 || costType > 5) continue;
            AddBudgetLineToUpdateList(updates, item.task, item.assignment, !item.assignment);
            if (item.assignment)
                item.assignment.SetText(8, kLinkStateLinkExists);
            else
                item.task.SetText(8, kLinkStateLinkExists);
            Err().Clear();
        }
    }
    ko::Collection<ko::KovaData> result;
    if (!s.budget) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
    } else {
        result = s.budget->updateBudgetLinesInKova(BOIConnector, s.ownership, updates, s.deleteBudgetLine ? 1 : 0,
                                                   PlanName());
    }
    if (Err().Number != 0) {
        // The ERP's messages for the refused lines, one a line, as they came.
        LogStepFailure(Err().Description);
        Err().Clear();
    }
    // A refusal of some lines still answers for the others: a line the ERP no longer links is let go
    // before any new line is created, or the ERP's next number could be held twice.
    ApplyBudgetLineUpdateResult(result);
    for (auto& [costType, items] : mayCreate ? CollectBudgetLineTasksByCostType(2) : LinesByCostType()) {
        if (costType < 1 || costType > 5) continue;
        for (BudgetLineItem& item : items) {
            if (!StillInPlan(item.task)) continue;
            if (item.assignment)
                CreateKovaBudgetLineForAssignment(item.task, item.assignment);
            else
                CreateKovaBudgetLineForTask(item.task);
            Err().Clear();
        }
    }
}

} // namespace Grantry
