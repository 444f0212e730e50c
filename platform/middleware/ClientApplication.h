#pragma once
// "Kova.Application": the ERP client's own automation server. The integration creates one only to
// learn whether the ERP can be reached, and calls nothing on it. It can be created while the adapter's
// default backend is maintained and started and its database opens; otherwise creation fails (429).
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

class ClientApplication : public StandIn<ClientApplication> {
public:
    ClientApplication();
    static const platform::automation::MemberTable<ClientApplication>& Members();
    // The factory: Nothing when the default backend cannot be reached.
    static platform::automation::Object Create();
};

} // namespace platform::middleware
