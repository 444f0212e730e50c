#include "integration/budget/KovaBudgetLineTasks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <vector>

#include "dataobjects/KovaBudget.h"
#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmConvertResAssgn.h"
#include "integration/chargestructure/ConnectStructureStep.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/ConvertAssignmentsCommand.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "integration/core/TaskRows.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/Form.h"
#include "platform/msproject/MSProject.h"
#include "platform/msproject/Model.h"
#include "platform/os/FixedRecord.h"
#include "platform/os/Locale.h"
#include "platform/os/RandomFile.h"

namespace Grantry {

namespace msp = platform::msproject;
namespace os = platform::os;
using KovaDataObjects::Trim;
using KovaDataObjects::KovaBudget;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

const BudgetCostType* CostTypeOf(const std::string& costType) {
    const std::string code = Trim(costType);
    for (const BudgetCostType& t : BudgetCostTypes())
        if (code == t.code) return &t;
    return nullptr;
}

msp::Application* App() {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return nullptr;
    }
    return MSProjectApplication.get();
}

} // namespace

bool DeleteKovaMSPTask = false;

const std::array<BudgetCostType, 5>& BudgetCostTypes() {
    static const std::array<BudgetCostType, 5> types = {{
        {"1", "Material", "MAT"},
        {"2", "Labor", "LAB"},
        {"3", "Equipment", "EQP"},
        {"4", "Subcontracting", "SUB"},
        {"5", "Sundry", "SUN"},
    }};
    return types;
}

std::string CostTypePrefix(const std::string& costType) {
    const BudgetCostType* t = CostTypeOf(costType);
    return t ? t->prefix : "";
}

std::string CostTypeName(const std::string& costType) {
    const BudgetCostType* t = CostTypeOf(costType);
    return t ? t->name : "";
}

std::string LinkStateName(const std::string& state) {
    const std::string s = Trim(state);
    if (s == kLinkStateNoLink) return "No Link";
    if (s == kLinkStateCreate) return "Create";
    if (s == kLinkStateLinkExists) return "Link Exists";
    return "";
}

int32_t IntegerOfField(const std::string& text) {
    return static_cast<int32_t>(std::trunc(platform::automation::Val(text)));
}

bool IntegerFieldInRange(const std::string& text) {
    const double value = std::trunc(platform::automation::Val(text));
    return value >= static_cast<double>(std::numeric_limits<int32_t>::min()) &&
           value <= static_cast<double>(std::numeric_limits<int32_t>::max());
}

std::string BudgetLineFieldOutOfRange(const std::string& costType, const std::string& lineNumber) {
    if (!IntegerFieldInRange(costType)) return kBudgetCostTypeField;
    if (!IntegerFieldInRange(lineNumber)) return kBudgetLineNumberField;
    return "";
}

bool IsBudgetLine(const msp::Task& task) {
    return task && !Trim(task.Text(8)).empty();
}

bool IsBudgetLine(const msp::Assignment& assignment) {
    return assignment && !Trim(assignment.Text(8)).empty();
}

void DetachBudgetLine(msp::Task& task) {
    task.SetText(8, kLinkStateNoLink);
    task.SetText(20, "");
}

void DetachBudgetLine(msp::Assignment& assignment) {
    assignment.SetText(8, kLinkStateNoLink);
    assignment.SetText(20, "");
}

std::string BudgetLineKey(const std::string& ceCode, const std::string& costType,
                          const std::string& lineNumber) {
    return Trim(ceCode) + "_" + Trim(costType) + "_" + Trim(lineNumber);
}

std::string BudgetLineCostObject(bool projectSpecific, int costType, const std::string& projectCode,
                                 const std::string& costObject) {
    if (projectSpecific && costType != 1) return Trim(projectCode + "." + costObject);
    return costObject;
}

std::string CostObjectResourceCode(const std::string& costType, const std::string& costObject) {
    return CostTypePrefix(costType) + "." + costObject;
}

namespace {

// The user's decimal separator for the length of a run, which writes thousands of numbers; asking
// the locale each time would cost more than placing the lines.
std::string RunDecimalSeparator;

std::string DecimalSeparator() {
    return RunDecimalSeparator.empty() ? os::LocaleDecimalSeparator() : RunDecimalSeparator;
}

} // namespace

DecimalSeparatorScope::DecimalSeparatorScope() : outermost_(RunDecimalSeparator.empty()) {
    if (outermost_) RunDecimalSeparator = os::LocaleDecimalSeparator();
}

DecimalSeparatorScope::~DecimalSeparatorScope() {
    if (outermost_) RunDecimalSeparator.clear();
}

namespace {

// The runtime's text of a number, with the exponent written out: 5E-05 as 0.00005, 1E+21 as a 1
// and 21 zeros. Read back with a period as decimal separator, an exponent would be lost.
std::string PlainNumberText(double value) {
    std::string text = platform::automation::NumberText(value);
    if (text.find('E') == std::string::npos || !std::isfinite(value)) return text;
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, 14 - magnitude);
    std::vector<char> buffer(static_cast<size_t>(std::max(0, magnitude)) + static_cast<size_t>(decimals) + 8);
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    text = buffer.data();
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text without blanks, its first decimal separator (the user's or a period) made a period.
std::string WithPeriod(const std::string& text, bool& twoSeparators) {
    const std::string separator = DecimalSeparator();
    std::string plain;
    twoSeparators = false;
    bool seen = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') continue;
        const bool userSeparator = !separator.empty() && separator != "." && text.compare(i, separator.size(), separator) == 0;
        if (c == '.' || userSeparator) {
            if (seen) twoSeparators = true;
            seen = true;
            plain += '.';
            if (userSeparator) i += separator.size() - 1;
            continue;
        }
        plain += c;
    }
    return plain;
}

} // namespace

double BudgetNumberOfText(const std::string& text) {
    bool twoSeparators = false;
    const std::string plain = WithPeriod(text, twoSeparators);
    // The leading number: a sign, digits, a period and digits, an exponent when digits follow it.
    size_t end = 0;
    if (end < plain.size() && (plain[end] == '-' || plain[end] == '+')) ++end;
    const size_t digitsFrom = end;
    while (end < plain.size() && IsDigit(plain[end])) ++end;
    if (end < plain.size() && plain[end] == '.') ++end;
    while (end < plain.size() && IsDigit(plain[end])) ++end;
    if (end == digitsFrom || (end == digitsFrom + 1 && plain[digitsFrom] == '.')) return 0;
    if (end < plain.size() && (plain[end] == 'E' || plain[end] == 'e')) {
        size_t exponent = end + 1;
        if (exponent < plain.size() && (plain[exponent] == '-' || plain[exponent] == '+')) ++exponent;
        if (exponent < plain.size() && IsDigit(plain[exponent])) {
            while (exponent < plain.size() && IsDigit(plain[exponent])) ++exponent;
            end = exponent;
        }
    }
    return std::strtod(plain.substr(0, end).c_str(), nullptr);
}

bool ParseBudgetQuantity(const std::string& text, double& value) {
    const std::string trimmed = Trim(text);
    // Blanks inside the number are no part of it.
    for (char c : trimmed)
        if (c == ' ' || c == '\t') return false;
    bool twoSeparators = false;
    const std::string plain = WithPeriod(trimmed, twoSeparators);
    if (twoSeparators) return false;
    bool digits = false;
    for (char c : plain) {
        if (IsDigit(c))
            digits = true;
        else if (c != '.')
            return false;
    }
    if (!digits) return false;
    const double read = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(read) || read >= kBudgetQuantityLimit) return false;
    value = read;
    return true;
}

double RoundBudgetWork(double value) {
    return std::nearbyint(value * 100) / 100;
}

std::string BudgetNumberText(double value) {
    std::string text = PlainNumberText(value);
    const std::string separator = DecimalSeparator();
    const size_t point = text.find('.');
    if (point != std::string::npos && !separator.empty() && separator != ".")
        text.replace(point, 1, separator);
    return text;
}

AlertsOffScope::AlertsOffScope() {
    if (!MSProjectApplication) return;
    wereShown_ = MSProjectApplication->DisplayAlerts();
    MSProjectApplication->Alerts(false);
    changed_ = true;
}

AlertsOffScope::~AlertsOffScope() {
    if (!changed_ || !MSProjectApplication) return;
    platform::automation::ErrObject before = Err();
    MSProjectApplication->Alerts(wereShown_);
    Err() = before;
}

msp::Task FindBudgetLineTask(const std::string& key) {
    const std::string wanted = Trim(key);
    if (wanted.empty()) return {};
    msp::Application* app = App();
    if (!app) return Err().Clear(), msp::Task{};
    AlertsOffScope alerts;
    std::string equals = GetFilterTestText(1);
    // A planning program in a language without known words still understands the sign.
    if (equals.empty()) equals = "=";
    Err().Clear();
    const bool found = app->Find(kBudgetLineKeyField, equals, Variant(wanted));
    if (Err().Number != 0 || !found) return Err().Clear(), msp::Task{};
    // The search ignores letter case; the key does not, so the hits are followed to an exact one.
    const msp::Task first = app->ActiveCell().Task();
    msp::Task hit = first;
    const int32_t rows = app->ActiveProject().Tasks().Count();
    for (int32_t tries = 0; hit && tries <= rows; ++tries) {
        if (Trim(hit.Text(20)) == wanted) return Err().Clear(), hit;
        if (!app->FindNext() || Err().Number != 0) break;
        hit = app->ActiveCell().Task();
        if (hit == first) break;
    }
    Err().Clear();
    return {};
}

bool TaskHasResource(const msp::Task& task, const std::string& resourceName) {
    for (const msp::Assignment& a : task.Assignments().Snapshot())
        if (a && a.ResourceName() == resourceName) return true;
    return false;
}

msp::Assignment FindBudgetLineAssignment(const msp::Task& ceTask, const std::string& key) {
    if (!ceTask) return {};
    for (const msp::Assignment& a : ceTask.Assignments().Snapshot())
        if (a && a.Text(20) == key) return a;
    return {};
}

namespace {

// While a run places its lines it looks up the same charge-element tasks thousands of times in a plan
// that only gains budget-line subtasks, which carry no code: the run takes the first task of each
// code once. A remembered task still has to carry its code when it is asked for, else the plan is
// walked again.
std::map<std::string, msp::Task> RunChargeElementTasks;
bool RunRemembersChargeElements = false;

// A failure pending from the reading stays pending: the first line is judged by it.
void RememberChargeElementTasks(msp::Application& app) {
    const platform::automation::ErrObject pending = Err();
    RunChargeElementTasks.clear();
    for (const msp::Task& t : app.ActiveProject().Tasks().Snapshot())
        if (t && !t.Text(1).empty()) RunChargeElementTasks.emplace(t.Text(1), t);
    Err() = pending;
    RunRemembersChargeElements = true;
}

void ForgetChargeElementTasks() {
    RunChargeElementTasks.clear();
    RunRemembersChargeElements = false;
}

} // namespace

msp::Task FindChargeElementTask(const std::string& code) {
    msp::Application* app = App();
    if (!app) return {};
    if (RunRemembersChargeElements) {
        const auto hit = RunChargeElementTasks.find(code);
        if (hit != RunChargeElementTasks.end()) {
            const std::string held = hit->second.Text(1);
            if (Err().Number == 0 && held == code) return hit->second;
            Err().Clear();
        }
    }
    for (const msp::Task& t : app->ActiveProject().Tasks().Snapshot())
        if (t && t.Text(1) == code) return t;
    return {};
}

bool FindResourceByCode(const std::string& code, std::string& resourceName) {
    msp::Application* app = App();
    if (!app) return false;
    const std::string wanted = Trim(code);
    for (const msp::Resource& r : app->ActiveProject().Resources().Snapshot()) {
        if (r && Trim(r.Text(2)) == wanted) {
            resourceName = r.Name();
            return true;
        }
    }
    return false;
}

bool FindLaborCostObjectInFile(const std::string& code, std::string& resourceName) {
    const std::string path = GetLcoFilePath();
    if (path.empty()) return Err().Clear(), false;
    os::RandomFile file;
    if (!file.Open(path, LaborCostObjectRecord::kLength, os::RandomAccess::Read)) return Err().Clear(), false;
    const std::string wanted = Trim(code);
    os::FixedRecord record(LaborCostObjectRecord::kLength);
    bool damageLogged = false;
    for (int32_t number = 1; file.Get(record); ++number) {
        const std::string project = Trim(record.Text(LaborCostObjectRecord::Project));
        if (project.find('.') != std::string::npos) break;
        if (!IsTextRecord(record.Bytes())) {
            if (!damageLogged) PrintLog(DamagedSideFileText(path, number));
            damageLogged = true;
            continue;
        }
        const std::string own = Trim(record.Text(LaborCostObjectRecord::Code));
        const std::string recordKey = project.empty() ? own : project + "." + own;
        if (recordKey != wanted) continue;
        resourceName = "LAB." + (project.empty() ? std::string() : project + ".") + own + " " +
                       Trim(record.Text(LaborCostObjectRecord::Description));
        return true;
    }
    Err().Clear();
    return false;
}

int32_t BudgetLineSubtaskPosition(const msp::Task& ceTask) {
    msp::Task last = ceTask;
    for (msp::List<msp::Task> children = last.OutlineChildren(); children.Count() > 0;
         children = last.OutlineChildren())
        last = children.Item(children.Count());
    return last.Id() + 1;
}

void PlaceBudgetLineSubtask(msp::Task& task, int32_t ceLevel) {
    const int32_t wanted = ceLevel + 1;
    // Each step moves the task one level, so the distance it starts at bounds the walk.
    for (int32_t steps = std::abs(task.OutlineLevel() - wanted); steps > 0 && Err().Number == 0; --steps) {
        const int32_t level = task.OutlineLevel();
        if (level == wanted) break;
        if (level < wanted)
            task.OutlineIndent();
        else
            task.OutlineOutdent();
    }
}

// ---- budget lines from the ERP ---------------------------------------------------------------------

namespace {

// The run's budget object, for the length of CreateBudgetLineTasksFromKova.
std::shared_ptr<KovaBudget> RunBudget;

// Why the plan cannot take a line's dates, or nothing: a date the planning program does not schedule
// would be refused half-way through placing the line.
std::string RefusedLineDates(const Date& start, const Date& finish) {
    for (const auto& [what, d] : {std::pair<const char*, const Date&>{"start", start}, {"finish", finish}})
        if (!d.IsZero() && !msp::detail::IsScheduleDate(d))
            return std::string("its ") + what + " " + msp::detail::ShownDate(d) +
                   " is outside the dates Microsoft Project schedules " + msp::detail::kScheduleDatesText + ".";
    return {};
}

// Puts the ERP line back to waiting, so that the next run offers it again.
void ReturnToWaiting(KovaBudget& budget, const std::string& costType, const std::string& chargeElement,
                     const std::string& lineNumber) {
    Err().Clear();
    budget.correctScheduleLinks(BOIConnector, static_cast<int32_t>(platform::automation::Val(costType)),
                                chargeElement, static_cast<int32_t>(platform::automation::Val(lineNumber)));
    if (Err().Number != 0) {
        PrintLog(FormatErrorForLog(Err().Description));
        Err().Clear();
    }
}

// A number written as text by the creation, read back for a numeric field.
double NumberOfText(const std::string& text) {
    return BudgetNumberOfText(text);
}

std::string MissingChargeElementLine(const std::string& ce, const std::string& lineNumber) {
    return " The ChargeElement " + ce + " is not present in" + "MS Project. Cannot create " + " Budget line" +
           lineNumber + " in MS Project.";
}

bool IsQuantityCostType(const std::string& costType) {
    return costType == "1" || costType == "4" || costType == "5";
}

// The resource's Id in the active plan, 0 when the plan has no resource of that name.
int32_t ResourceIdByName(msp::Application& app, const std::string& name) {
    for (const msp::Resource& r : app.ActiveProject().Resources().Snapshot())
        if (r && r.Name() == name) return r.Id();
    return 0;
}

void Put(msp::Task& task, int n, const std::string& value) {
    task.SetText(n, value);
}

// A line that could not be written into the plan: its own failure is logged with its number and
// cleared, and the ERP line waits for the next run.
void LineNotCreated(KovaBudget& budget, const std::string& ce, const std::string& costType,
                    const std::string& chargeElement, const std::string& lineNumber,
                    const platform::automation::ErrObject& failure) {
    PrintLog("Cannot create  Budget line" + lineNumber + " linked to the ChargeElement &" + ce + " in MS Project." +
             FormatErrorForLog(failure.Description));
    Err().Clear();
    ReturnToWaiting(budget, costType, chargeElement, lineNumber);
}

// A task or assignment that held a line now held elsewhere: deleted when the run deletes old
// holders, otherwise detached.
template <class Holder> void GiveWay(Holder& held) {
    if (!held) return;
    if (DeleteKovaMSPTask)
        held.Delete();
    else
        DetachBudgetLine(held);
}

} // namespace

void CreateBudgetLineTasksFromKova(bool materialAsSubTask, bool laborAsSubTask, bool equipmentAsSubTask,
                                   bool subcontractingAsSubTask, bool sundryAsSubTask) {
    Err().Clear();
    msp::Application* app = App();
    if (!app) return;
    std::string planName = app->ActiveProject().Name();
    if (!CurrentProjectData) return Err().Raise(platform::automation::errors::ObjectNotSet);
    const std::string project = CurrentProjectData->ProjectCode;
    const std::string plan = CurrentProjectData->Plan;

    bool linesWanted = true;
    RunBudget = CurrentProjectData->getKovaBudget(BOIConnector, linesWanted, planName);
    if (Err().Number != 0) LogStepFailure(Err().Description);
    if (!RunBudget || !RunBudget->KovaBudgetLines) {
        Err().Clear();
        RunBudget.reset();
        return;
    }
    RunDecimalSeparator = os::LocaleDecimalSeparator();
    RememberChargeElementTasks(*app);
    const bool asSubtask[] = {materialAsSubTask, laborAsSubTask, equipmentAsSubTask, subcontractingAsSubTask,
                              sundryAsSubTask};
    for (const std::shared_ptr<KovaDataObjects::KovaBudgetLine>& line : *RunBudget->KovaBudgetLines) {
        if (!line) continue;
        const std::string chargeElement = line->ChargeElement;
        const std::string lineNumber = std::to_string(line->BudgetLine);
        const std::string costType = std::to_string(line->CostType);
        if (Err().Number != 0) {
            // The ERP has linked this line already; skipped now, it must be offered again.
            PrintLog(FormatErrorForLog(Err().Description));
            Err().Clear();
            ReturnToWaiting(*RunBudget, costType, chargeElement, lineNumber);
            continue;
        }
        if (line->CostType < 1 || line->CostType > 5) {
            ReturnToWaiting(*RunBudget, costType, chargeElement, lineNumber);
            continue;
        }
        if (const std::string refused = RefusedLineDates(line->StartDate, line->FinishDate); !refused.empty()) {
            PrintLog("Budget line " + lineNumber + " linked to the ChargeElement &" +
                     StripCodePrefix(chargeElement, false) + " is not created in MS Project: " + refused);
            ReturnToWaiting(*RunBudget, costType, chargeElement, lineNumber);
            continue;
        }
        const std::string costObject =
            BudgetLineCostObject(line->ProjectSpecific, line->CostType, project, line->CostObject);
        auto add = asSubtask[line->CostType - 1] ? AddBudgetLineAsSubtask : AddBudgetLineAsAssignment;
        add(*RunBudget, chargeElement, lineNumber, costType, costObject, line->CostObjectDescription,
            BudgetNumberText(line->Work), line->EmpTrgCode, project, plan, line->PhysicalUnit,
            BudgetNumberText(line->PhysicalQuantity), BudgetNumberText(line->CostPrice), line->StartDate,
            line->FinishDate);
    }
    // What the last line left is told as the others' are; it is no failure of the caller's run.
    if (Err().Number != 0) {
        PrintLog(FormatErrorForLog(Err().Description));
        Err().Clear();
    }
    RunBudget.reset();
    RunDecimalSeparator.clear();
    ForgetChargeElementTasks();
}

void AddBudgetLineAsSubtask(KovaBudget& budget, const std::string& chargeElement, const std::string& lineNumber,
                            const std::string& costType, const std::string& costObject,
                            const std::string& description, const std::string& work,
                            const std::string& empTrgCode, const std::string& /*project*/,
                            const std::string& /*plan*/, const std::string& unit, const std::string& quantity,
                            const std::string& costPrice, const Date& startDate, const Date& finishDate) {
    msp::Application* app = App();
    if (!app) return;
    const std::string ce = StripCodePrefix(chargeElement, false);
    const std::string prefix = CostTypePrefix(costType);
    const std::string code = prefix + "." + costObject;

    std::string resourceName;
    bool found = false;
    bool personFound = true;
    if (costType != "2") {
        found = FindResourceByCode(code, resourceName);
    } else {
        found = FindLaborCostObjectInFile(costObject, resourceName);
        if (found && !empTrgCode.empty()) personFound = FindResourceByCode(empTrgCode, resourceName);
    }
    if (!found) {
        PrintLog("Cost Object: " + Trim(code) + " not present in MsProject. Cannot create " + " Budget line" +
                 lineNumber + " linked to the ChargeElement &" + ce + " in MS Project.");
        return ReturnToWaiting(budget, costType, chargeElement, lineNumber);
    }
    if (!personFound)
        PrintLog("Employee/Trade Group:" + empTrgCode + " linked to Cost Object " + Trim("LAB." + costObject) +
                 ", not present in MsProject");

    app->OutlineShowAllTasks();
    msp::Task ceTask = FindChargeElementTask(ce);
    if (!ceTask) {
        PrintLog(MissingChargeElementLine(ce, lineNumber));
        return ReturnToWaiting(budget, costType, chargeElement, lineNumber);
    }
    const int32_t position = BudgetLineSubtaskPosition(ceTask);
    const std::string key = BudgetLineKey(ce, costType, lineNumber);

    // An older holder of the key gives way only once the new one is whole: a line that cannot be
    // written stays where it was.
    msp::Task old = FindBudgetLineTask(key);
    msp::Task task = DeleteKovaMSPTask ? old : msp::Task();
    const bool added = !task;
    if (added) {
        Err().Clear();
        task = app->ActiveProject().Tasks().Add(description, position);
    }
    if (!task || Err().Number != 0) {
        if (task && added) task.Delete();
        return LineNotCreated(budget, ce, costType, chargeElement, lineNumber, Err());
    }
    SelectTaskRow(*app, task);
    PlaceBudgetLineSubtask(task, ceTask.OutlineLevel());
    // A refused step matters only when it leaves the subtask off its level.
    platform::automation::ErrObject failure;
    if (task.OutlineLevel() != ceTask.OutlineLevel() + 1) failure = Err();
    if (task.OutlineLevel() != ceTask.OutlineLevel() + 1 && failure.Number == 0)
        failure.Raise(1004, "", "The budget-line subtask could not be placed below its charge element.");
    Err().Clear();

    auto write = [&](auto&& w) { WriteBudgetField(failure, w); };
    write([&] { Put(task, 2, costType); });
    if (IsQuantityCostType(costType)) {
        write([&] { task.SetType(1); });
        write([&] { task.SetFixedCost(NumberOfText(costPrice)); });
    } else {
        write([&] { task.SetType(2); });
    }
    write([&] { task.SetConstraintType(4); });
    if (!startDate.IsZero()) write([&] { task.SetStart(startDate); });
    if (!finishDate.IsZero()) write([&] { task.SetFinish(finishDate); });
    write([&] { Put(task, 3, code); });
    write([&] { Put(task, 6, quantity); });
    write([&] { Put(task, 7, unit); });
    write([&] { Put(task, 4, lineNumber); });
    write([&] { Put(task, 8, kLinkStateLinkExists); });
    if (costType == "2" || costType == "3")
        write([&] { task.SetWork(Variant(work)); });
    else
        write([&] { task.SetWork(Variant(0.0)); });
    write([&] { Put(task, 20, key); });

    // Equipment always takes its resource; labour the employee or trade group it names, when found.
    // A subtask rewritten in place may hold it already.
    const bool assign = costType == "3" || (costType == "2" && !empTrgCode.empty() && personFound);
    std::string name;
    if (failure.Number == 0 && assign && FindResourceByCode(costType == "3" ? code : empTrgCode, name) &&
        !TaskHasResource(task, name)) {
        // The resource goes to this subtask or to none: another row's task must not take it.
        if (SelectTaskRow(*app, task)) write([&] { app->ResourceAssignment(name, msp::pjAssign); });
    }
    if (failure.Number != 0) {
        if (added) task.Delete();
        Err().Clear();
        return LineNotCreated(budget, ce, costType, chargeElement, lineNumber, failure);
    }
    if (old && old != task) DetachBudgetLine(old);
    // The same line held as an assignment before (its cost type was brought in as assignments then).
    msp::Assignment held = FindBudgetLineAssignment(ceTask, key);
    GiveWay(held);
    Err().Clear();
}

void AddBudgetLineAsAssignment(KovaBudget& budget, const std::string& chargeElement,
                               const std::string& lineNumber, const std::string& costType,
                               const std::string& costObject, const std::string& description,
                               const std::string& work, const std::string& empTrgCode,
                               const std::string& /*project*/, const std::string& /*plan*/,
                               const std::string& unit, const std::string& quantity,
                               const std::string& /*costPrice*/, const Date& startDate, const Date& finishDate) {
    msp::Application* app = App();
    if (!app) return;
    const std::string ce = StripCodePrefix(chargeElement, false);
    const std::string prefix = CostTypePrefix(costType);
    const std::string code = prefix + "." + costObject;

    app->OutlineShowAllTasks();
    msp::Task ceTask = FindChargeElementTask(ce);
    if (!ceTask) {
        PrintLog(MissingChargeElementLine(ce, lineNumber));
        return ReturnToWaiting(budget, costType, chargeElement, lineNumber);
    }
    const Date ceStart = ceTask.Start();
    const Date ceFinish = ceTask.Finish();

    std::string resourceName;
    bool found = false;
    bool person = false;
    if (costType != "2") {
        found = FindResourceByCode(code, resourceName);
    } else {
        found = FindLaborCostObjectInFile(costObject, resourceName);
        if (found && !empTrgCode.empty()) {
            person = true;
            found = FindResourceByCode(empTrgCode, resourceName);
        }
    }
    // A labour cost object is no resource of the plan: its name from the file is only of use when the
    // user made a resource of that name.
    int32_t resourceId = found ? ResourceIdByName(*app, resourceName) : 0;
    Err().Clear();
    if (!found || resourceId == 0) {
        if (person)
            PrintLog("Resource : " + empTrgCode + " not present in MS Project. Cannot create " + "Budget line" +
                     lineNumber + " linked to the ChargeElement &" + ce + " in MS Project.");
        else
            PrintLog("Cost Object: " + Trim(code) + " not present in MS Project. Cannot create " + " Budget line" +
                     lineNumber + " linked to the ChargeElement &" + ce + " in MS Project.");
        return ReturnToWaiting(budget, costType, chargeElement, lineNumber);
    }

    const std::string key = BudgetLineKey(ce, costType, lineNumber);
    const Date start = startDate.IsZero() ? ceStart : startDate;
    const Date finish = finishDate.IsZero() ? ceFinish : finishDate;

    msp::Assignment held = FindBudgetLineAssignment(ceTask, key);
    if (TaskHasResource(ceTask, resourceName)) {
        // The planning program takes a resource once per task: the line becomes a subtask. The
        // assignment that held it before gives way once the subtask is whole.
        BudgetLineSubtaskSource source;
        source.name = description;
        source.costType = costType;
        source.code = code;
        source.resourceName = resourceName;
        source.lineNumber = lineNumber;
        source.quantity = quantity;
        source.unit = unit;
        source.work = NumberOfText(work);
        source.linkState = kLinkStateLinkExists;
        source.assignResource = IsConvertibleAssignment(resourceName, code, costType);
        source.start = start;
        source.finish = finish;
        msp::Task subtask;
        if (!CreateSubtaskFromAssignment(ceTask, source, subtask))
            return LineNotCreated(budget, ce, costType, chargeElement, lineNumber, Err());
        GiveWay(held);
        Err().Clear();
        return;
    }

    if (ceTask.OutlineChildren().Count() == 0) ceTask.SetType(2);
    msp::Task heldAsTask = FindBudgetLineTask(key);
    const bool reuse = held && DeleteKovaMSPTask && Trim(held.Text(8)) != kLinkStateNoLink;
    msp::Assignment assignment = reuse ? held : msp::Assignment();
    if (!reuse) {
        Err().Clear();
        assignment = ceTask.Assignments().Add(resourceId, Variant(0.0));
        if (!assignment || Err().Number != 0) {
            if (assignment) assignment.Delete();
            return LineNotCreated(budget, ce, costType, chargeElement, lineNumber, Err());
        }
    }
    Err().Clear();
    platform::automation::ErrObject failure;
    auto write = [&](auto&& w) { WriteBudgetField(failure, w); };
    write([&] { ceTask.SetConstraintType(4); });
    write([&] { assignment.SetText(2, costType); });
    write([&] { assignment.SetText(3, code); });
    write([&] { assignment.SetText(4, lineNumber); });
    write([&] { assignment.SetText(7, unit); });
    write([&] { assignment.SetText(8, kLinkStateLinkExists); });
    write([&] { assignment.SetText(11, description); });
    write([&] { assignment.SetStart(start); });
    write([&] { assignment.SetFinish(finish); });
    if (IsQuantityCostType(costType)) {
        write([&] { assignment.SetText(6, quantity); });
        write([&] { assignment.SetUnits(Variant(NumberOfText(quantity))); });
        write([&] { assignment.SetWork(Variant(0.0)); });
    } else {
        write([&] { assignment.SetWork(Variant(work)); });
        write([&] { assignment.SetText(6, quantity); });
    }
    write([&] { assignment.SetText(20, key); });
    if (failure.Number != 0) {
        if (!reuse) assignment.Delete();
        Err().Clear();
        return LineNotCreated(budget, ce, costType, chargeElement, lineNumber, failure);
    }
    GiveWay(heldAsTask);
    if (held && !reuse) DetachBudgetLine(held);
    Err().Clear();
}

void InstallBudgetLineTasks() {
    ConnectStructureHooks().createBudgetLineTasksFromKova = [](const BudgetLineSubTaskSwitches& s) {
        CreateBudgetLineTasksFromKova(s[0], s[1], s[2], s[3], s[4]);
    };
    ShowConvertAssignmentsDialog = [] {
        platform::forms::DefaultInstance<frmConvertResAssgn>().Show(platform::forms::vbModal);
        platform::automation::ErrObject before = Err();
        if (platform::forms::IsFormLoaded<frmConvertResAssgn>()) platform::forms::UnloadForm<frmConvertResAssgn>();
        Err() = before;
    };
}

} // namespace Grantry
