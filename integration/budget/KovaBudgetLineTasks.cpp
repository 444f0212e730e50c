#include "integration/budget/KovaBudgetLineTasks.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FixedRecord.h"
#include "platform/os/Locale.h"
#include "platform/os/RandomFile.h"

namespace Grantry {

namespace msp = platform::msproject;
namespace os = platform::os;
using KovaDataObjects::Trim;
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

std::string BudgetNumberText(double value) {
    std::string text = platform::automation::NumberText(value);
    const std::string separator = os::LocaleDecimalSeparator();
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

msp::Assignment FindBudgetLineAssignment(const msp::Task& ceTask, const std::string& key) {
    if (!ceTask) return {};
    for (const msp::Assignment& a : ceTask.Assignments().Snapshot())
        if (a && a.Text(20) == key) return a;
    return {};
}

msp::Task FindChargeElementTask(const std::string& code) {
    msp::Application* app = App();
    if (!app) return {};
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
    while (file.Get(record)) {
        const std::string project = Trim(record.Text(LaborCostObjectRecord::Project));
        if (project.find('.') != std::string::npos) break;
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

} // namespace Grantry
