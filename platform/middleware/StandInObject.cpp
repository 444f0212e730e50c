#include "platform/middleware/StandInObject.h"

#include "platform/middleware/Database.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestControl.h"

namespace platform::middleware {

using namespace platform::automation;

Variant StandInObject::Invoke(std::string_view name, CallKind kind, std::span<Arg> args) {
    auto& control = TestControl::Instance();
    if (control.Logging()) {
        LoggedCall call{className_, origin_, std::string(name), kind, {}, false};
        for (const auto& a : args)
            call.args.push_back({a.value, a.value.Type(), a.ref != nullptr});
        control.Log(std::move(call));
    }
    if (auto fault = control.FaultFor(className_, origin_, name)) {
        if (fault->returnsNothing) return Variant(Object());
        throw AutomationError(fault->number, fault->description, fault->source);
    }
    try {
        return Answer(name, kind, args);
    } catch (AutomationError& e) {
        if (e.source.empty()) e.source = className_;
        throw;
    } catch (const DatabaseError& e) {
        throw AutomationError(failures::DatabaseFailure, MessageDescription(e.what()), className_);
    }
}

void LogCreation(const std::string& className, const std::string& origin) {
    auto& control = TestControl::Instance();
    if (control.Logging()) control.Log(LoggedCall{className, origin, {}, CallKind::Method, {}, true});
}

Variant SameIntegerType(const Variant& like, int32_t value) {
    if (like.Type() == VarType::Integer) return Variant(static_cast<int16_t>(value));
    return Variant(value);
}

} // namespace platform::middleware
