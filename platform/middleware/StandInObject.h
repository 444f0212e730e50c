#pragma once
// The base of every object the middleware stand-in hands out (managers, sets, pages, elements, date and
// item objects). Each call is logged, checked against the armed faults, then answered by the class.
// Member names are matched without regard to case; an unknown member fails with 438.
#include <span>
#include <string>
#include <string_view>

#include "platform/automation/Object.h"

namespace platform::middleware {

class StandInObject : public platform::automation::Dispatch {
public:
    // `className` names the object in the call log and for faults ("Project.ProjectManager" for a
    // manager, "Project.Project" for a project record); `origin` is the ProgID of the manager (or the
    // moniker) it came from.
    StandInObject(std::string className, std::string origin)
        : className_(std::move(className)), origin_(std::move(origin)) {}

    platform::automation::Variant Invoke(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) final;
    std::string TypeName() const override { return className_; }
    const std::string& className() const { return className_; }
    const std::string& origin() const { return origin_; }

protected:
    // Answers the call; may throw AutomationError (its source defaults to the class name).
    virtual platform::automation::Variant Answer(std::string_view name, platform::automation::CallKind kind,
                                                 std::span<platform::automation::Arg> args) = 0;

private:
    std::string className_;
    std::string origin_;
};

// A stand-in class whose members come from `static const MemberTable<T>& Members()`.
template <class T> class StandIn : public StandInObject {
public:
    using StandInObject::StandInObject;

protected:
    platform::automation::Variant Answer(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) override {
        return T::Members().Dispatch(static_cast<T&>(*this), name, kind, args);
    }
};

// Logs the creation of a stand-in object by ProgID or moniker.
void LogCreation(const std::string& className, const std::string& origin);

// The value a typed argument had: the same number in the caller's integer type (a call id given as a
// 16-bit integer is answered as one).
platform::automation::Variant SameIntegerType(const platform::automation::Variant& like, int32_t value);

} // namespace platform::middleware
