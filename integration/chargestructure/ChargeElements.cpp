#include "integration/chargestructure/ChargeElements.h"

#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using platform::automation::Err;

namespace {

constexpr std::array<ChargeElementType, 5> kTypes = {{
    {1, kWbsElement, "WBS"},
    {2, kProjectCostAccount, "PCA"},
    {3, kPlanningPackage, "PP"},
    {4, kWorkPackage, "WP"},
    {5, kMilestone, "Mil"},
}};

// The first task of the active plan, in task order, that `wanted` accepts; Nothing when none does.
template <class Predicate> msp::Task FirstTask(Predicate wanted) {
    Err().Clear();
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return {};
    }
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (Err().Number != 0) return {};
    for (msp::Task task : plan.Tasks()) {
        if (!task) continue; // a blank row
        if (wanted(task)) return task;
    }
    return {};
}

} // namespace

const std::array<ChargeElementType, 5>& ChargeElementTypes() {
    return kTypes;
}

std::string GetChargeElementTypeName(const std::string& typeCode) {
    for (const ChargeElementType& type : kTypes)
        if (typeCode == std::string(1, static_cast<char>('0' + type.code))) return type.name;
    return "Error";
}

int16_t GetChargeElementTypeCode(const std::string& typeName) {
    for (const ChargeElementType& type : kTypes)
        if (typeName == type.name) return type.code;
    return 0;
}

bool IsChargeElementTask(const msp::Task& task) {
    return task && task.Flag3();
}

bool IsMilestoneChargeElement(const msp::Task& task) {
    return IsChargeElementTask(task) && task.Text10() == kMilestone;
}

bool IsChargeStructureEmpty() {
    msp::Task found = FirstTask([](const msp::Task& t) { return t.Flag3() && t.Text10() != kMilestone; });
    return !found;
}

bool IsChargeStructurePresent() {
    msp::Task found = FirstTask([](const msp::Task& t) { return t.Flag3(); });
    return static_cast<bool>(found);
}

int32_t GetTopChargeElementTaskId() {
    msp::Task found = FirstTask([](const msp::Task& t) { return t.Flag3() && t.Text10() != kMilestone; });
    return found ? found.Id() : 0;
}

} // namespace Grantry
