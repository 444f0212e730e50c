#include "platform/middleware/ClientApplication.h"

#include "platform/middleware/Backend.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

ClientApplication::ClientApplication() : StandIn(progids::ClientApplication, progids::ClientApplication) {}

Object ClientApplication::Create() {
    // Reaching the ERP means what every manager call needs: the default backend open for business.
    try {
        OpenDefaultBackend();
    } catch (...) {
        return Object();
    }
    return MakeObject<ClientApplication>();
}

const MemberTable<ClientApplication>& ClientApplication::Members() {
    static const MemberTable<ClientApplication> table = {};
    return table;
}

} // namespace platform::middleware
