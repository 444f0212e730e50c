#pragma once
// "GetCompany.GetCompany": the business component's company. It can be created only while the adapter
// has a maintained default backend; that is how "no default backend" shows.
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

class CompanyObject : public StandIn<CompanyObject> {
public:
    CompanyObject();
    static const platform::automation::MemberTable<CompanyObject>& Members();
    // The factory: Nothing when there is no maintained default backend.
    static platform::automation::Object Create();
};

} // namespace platform::middleware
