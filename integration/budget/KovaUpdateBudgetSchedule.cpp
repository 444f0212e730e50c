#include "integration/budget/KovaUpdateBudgetSchedule.h"

#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"

namespace Grantry {

namespace msp = platform::msproject;
using platform::automation::Err;

std::string GetParentChargeElement(const msp::Task& task) {
    if (!task.Text(1).empty() || task.OutlineLevel() == 1) return "";
    msp::Task parent = task.OutlineParent();
    // Each step goes one level up, so the walk ends at level 1 at the latest.
    while (parent) {
        const std::string code = parent.Text(1);
        if (!code.empty()) return code;
        if (parent.OutlineLevel() <= 1) return "";
        parent = parent.OutlineParent();
    }
    return "";
}

namespace {

// Minutes in one of the plan's default work units; 0 when no plan is active.
double MinutesPerWorkUnit() {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return 0;
    }
    msp::Project plan = MSProjectApplication->ActiveProject();
    if (Err().Number != 0) return 0;
    switch (plan.DefaultWorkUnits()) {
    case msp::pjHour: return 60;
    case msp::pjDay: return plan.HoursPerDay() * 60;
    case msp::pjWeek: return plan.HoursPerWeek() * 60;
    default: return 1;
    }
}

} // namespace

double MinutesToWorkUnits(double minutes) {
    const double factor = MinutesPerWorkUnit();
    return factor == 0 ? minutes : minutes / factor;
}

double WorkUnitsToMinutes(double value) {
    const double factor = MinutesPerWorkUnit();
    return factor == 0 ? value : value * factor;
}

std::string StripCodePrefix(const std::string& text, bool cutAtBlank) {
    std::string result = text;
    if (cutAtBlank) {
        const size_t blank = result.find(' ');
        if (blank != std::string::npos) result.resize(blank);
    }
    const size_t dot = result.rfind('.');
    return dot == std::string::npos ? result : result.substr(dot + 1);
}

} // namespace Grantry
