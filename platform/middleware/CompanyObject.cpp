#include "platform/middleware/CompanyObject.h"

#include "platform/middleware/Backend.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

CompanyObject::CompanyObject() : StandIn(progids::GetCompany, progids::GetCompany) {}

Object CompanyObject::Create() {
    if (!MaintainedDefaultBackend()) return Object();
    return MakeObject<CompanyObject>();
}

const MemberTable<CompanyObject>& CompanyObject::Members() {
    static const MemberTable<CompanyObject> table = {
        // The backend name may come padded; the adapter finds it without the blanks.
        {"getCompanyNumberFromBusComponent",
         [](CompanyObject&, CallArgs& a) -> Variant {
             std::string name = a.String(0);
             auto config = FindBackend(name);
             if (!config || !config->maintained)
                 throw Failure(failures::NotFound, "The business component " + TrimBlanks(name) +
                                                       " is not maintained in the Meridane Adapter.");
             return Variant(config->companyNumber);
         }},
    };
    return table;
}

} // namespace platform::middleware
