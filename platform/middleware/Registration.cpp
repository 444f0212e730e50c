#include "platform/middleware/Registration.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/ActivityBudgetManager.h"
#include "platform/middleware/AvailabilityTypeManager.h"
#include "platform/middleware/BaselineManager.h"
#include "platform/middleware/CalendarManager.h"
#include "platform/middleware/ChargeElementManager.h"
#include "platform/middleware/ClientApplication.h"
#include "platform/middleware/CompanyObject.h"
#include "platform/middleware/ExternalScheduleLinkManager.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/KovaItem.h"
#include "platform/middleware/ObsManager.h"
#include "platform/middleware/PlanManager.h"
#include "platform/middleware/PlanningParameterManager.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/ProjectManager.h"
#include "platform/middleware/ReleaseIdManager.h"
#include "platform/middleware/ResourceManagers.h"
#include "platform/middleware/StandardChargeElementManager.h"
#include "platform/middleware/TestControl.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {

// The middleware's classes have no class ids of their own that anyone relies on.
void Register(const char* progId, std::function<Object()> make) {
    std::string name = progId;
    RegisterClass(ClassInfo{name, "", "",
                            [name, make] {
                                Object made = make();
                                if (made) LogCreation(name, name);
                                return made;
                            },
                            ""});
}

template <class T> void Register(const char* progId) {
    Register(progId, [] { return MakeObject<T>(); });
}

} // namespace

void RegisterMiddleware() {
    Register<PlanningParameterManager>(progids::PlanningParameterManager);
    Register(progids::GetCompany, &CompanyObject::Create);
    Register<ReleaseIdManager>(progids::ReleaseIdManager);
    Register<StandardChargeElementManager>(progids::StandardChargeElementManager);
    Register<ObsManager>(progids::ObsManager);
    Register<AvailabilityTypeManager>(progids::AvailabilityTypeManager);
    Register<ProjectManager>(progids::ProjectManager);
    Register<KovaItem>(progids::KovaItem);
    Register<ActivityBudgetManager>(progids::ActivityBudgetManager);
    for (int t = 1; t <= 5; ++t) {
        Register(BudgetLineKind(t).className.c_str(), [t] { return Object(NewBudgetLine(t)); });
        Register((BudgetLineKind(t).className + "Seq").c_str(), [t] { return MakeObject<BudgetLineSeq>(t); });
    }
    Register<PlanManager>(progids::PlanManager);
    Register<BaselineManager>(progids::BaselineManager);
    Register<ChargeElementManager>(progids::ChargeElementManager);
    Register<ChargeElementInput>(progids::ChargeElementInput);
    Register(progids::ChargeElement, &MakeChargeElement);
    Register<ExternalScheduleLinkManager>(progids::ExternalScheduleLinkManager);
    Register(progids::ExternalScheduleLink, &MakeExternalScheduleLink);
    Register<StandardCostObjectManager>(progids::StandardCostObjectManager);
    Register<ProjectCostObjectManager>(progids::ProjectCostObjectManager);
    Register<EmployeesManager>(progids::EmployeesManager);
    Register<TradeGroupManager>(progids::TradeGroupManager);
    Register<CalendarManager>(progids::CalendarManager);
    Register(progids::ClientApplication, &ClientApplication::Create);

    RegisterMoniker("java:", [](const std::string& moniker) {
        if (!NamesEqual(moniker, kDateMoniker)) return Object();
        LogCreation(kDateClass, kDateMoniker);
        return Object(std::make_shared<JavaDate>(TestControl::Instance().Now()));
    });
}

} // namespace platform::middleware
