#include "platform/middleware/Registration.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/AvailabilityTypeManager.h"
#include "platform/middleware/CompanyObject.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/KovaItem.h"
#include "platform/middleware/ObsManager.h"
#include "platform/middleware/PlanningParameterManager.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/ProjectManager.h"
#include "platform/middleware/ReleaseIdManager.h"
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

    RegisterMoniker("java:", [](const std::string& moniker) {
        if (!NamesEqual(moniker, kDateMoniker)) return Object();
        LogCreation(kDateClass, kDateMoniker);
        return Object(std::make_shared<JavaDate>(TestControl::Instance().Now()));
    });
}

} // namespace platform::middleware
