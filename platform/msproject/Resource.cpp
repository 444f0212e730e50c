#include "platform/msproject/Resource.h"

#include "platform/msproject/Assignment.h"
#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;
using automation::Variant;

namespace {

template <class F> auto WithResource(const Resource& h, F&& f) {
    return Guard([&] {
        auto& r = Live(h);
        return f(PlanOf(r.plan), r);
    });
}

void SetNamed(const Resource& h, std::string_view name, const Variant& v) {
    WithResource(h, [&](PlanData& p, ResourceData& r) {
        SetResourceField(p, r, *LookupField(FieldRef::ResourceField, name), v);
    });
}

Resource Wrap(const std::shared_ptr<ResourceData>& r) {
    return r ? MakeHandle<Resource>(r) : Resource();
}

} // namespace

int32_t Resource::Id() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.id; });
}
int32_t Resource::UniqueID() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.uid; });
}
std::string Resource::Name() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.name; });
}
void Resource::SetName(const std::string& v) {
    SetNamed(*this, "Name", v);
}
std::string Resource::Initials() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.initials; });
}
void Resource::SetInitials(const std::string& v) {
    SetNamed(*this, "Initials", v);
}
std::string Resource::Group() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.group; });
}
void Resource::SetGroup(const std::string& v) {
    SetNamed(*this, "Group", v);
}
std::string Resource::EMailAddress() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.emailAddress; });
}
void Resource::SetEMailAddress(const std::string& v) {
    SetNamed(*this, "EMailAddress", v);
}
double Resource::MaxUnits() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.maxUnits; });
}
void Resource::SetMaxUnits(double v) {
    SetNamed(*this, "MaxUnits", v);
}
double Resource::StandardRate() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.standardRate; });
}
void Resource::SetStandardRate(double v) {
    SetNamed(*this, "StandardRate", v);
}
double Resource::OvertimeRate() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.overtimeRate; });
}
void Resource::SetOvertimeRate(double v) {
    SetNamed(*this, "OvertimeRate", v);
}
double Resource::CostPerUse() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.costPerUse; });
}
void Resource::SetCostPerUse(double v) {
    SetNamed(*this, "CostPerUse", v);
}
int32_t Resource::AccrueAt() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.accrueAt; });
}
void Resource::SetAccrueAt(int32_t v) {
    SetNamed(*this, "AccrueAt", v);
}
int32_t Resource::Type() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.type; });
}
void Resource::SetType(int32_t v) {
    SetNamed(*this, "Type", v);
}
std::string Resource::BaseCalendar() const {
    return WithResource(*this, [](PlanData&, ResourceData& r) { return r.baseCalendar; });
}
void Resource::SetBaseCalendar(const std::string& v) {
    SetNamed(*this, "BaseCalendar", v);
}

std::string Resource::Text(int n) const {
    return WithResource(*this, [&](PlanData&, ResourceData& r) {
        CheckFieldIndex(n, 30);
        return r.f.text[n - 1];
    });
}
void Resource::SetText(int n, const std::string& v) {
    WithResource(*this, [&](PlanData& p, ResourceData& r) {
        CheckFieldIndex(n, 30);
        SetResourceField(p, r, *LookupField(FieldRef::ResourceField, "Text" + std::to_string(n)), Variant(v));
    });
}
bool Resource::Flag(int n) const {
    return WithResource(*this, [&](PlanData&, ResourceData& r) {
        CheckFieldIndex(n, 20);
        return r.f.flag[n - 1];
    });
}
void Resource::SetFlag(int n, bool v) {
    WithResource(*this, [&](PlanData& p, ResourceData& r) {
        CheckFieldIndex(n, 20);
        SetResourceField(p, r, *LookupField(FieldRef::ResourceField, "Flag" + std::to_string(n)), v);
    });
}
double Resource::Number(int n) const {
    return WithResource(*this, [&](PlanData&, ResourceData& r) {
        CheckFieldIndex(n, 20);
        return r.f.number[n - 1];
    });
}
void Resource::SetNumber(int n, double v) {
    WithResource(*this, [&](PlanData& p, ResourceData& r) {
        CheckFieldIndex(n, 20);
        SetResourceField(p, r, *LookupField(FieldRef::ResourceField, "Number" + std::to_string(n)), v);
    });
}
Variant Resource::DateField(int n) const {
    return WithResource(*this, [&](PlanData&, ResourceData& r) {
        CheckFieldIndex(n, 10);
        return MaybeDateValue(r.f.date[n - 1]);
    });
}
void Resource::SetDateField(int n, const Variant& v) {
    WithResource(*this, [&](PlanData& p, ResourceData& r) {
        CheckFieldIndex(n, 10);
        SetResourceField(p, r, *LookupField(FieldRef::ResourceField, "Date" + std::to_string(n)), v);
    });
}

Variant Resource::GetField(std::string_view name) const {
    return WithResource(*this, [&](PlanData&, ResourceData& r) {
        auto f = LookupField(FieldRef::ResourceField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for resources.");
        return GetResourceField(r, *f);
    });
}
void Resource::SetField(std::string_view name, const Variant& v) {
    WithResource(*this, [&](PlanData& p, ResourceData& r) {
        auto f = LookupField(FieldRef::ResourceField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for resources.");
        SetResourceField(p, r, *f, v);
    });
}

List<Assignment> Resource::Assignments() const {
    return WithResource(*this, [](PlanData& p, ResourceData& r) {
        std::vector<Assignment> out;
        for (const auto& t : p.tasks)
            if (t)
                for (const auto& a : t->assignments)
                    if (a->resource.get() == &r) out.push_back(MakeHandle<Assignment>(a));
        return List<Assignment>(std::move(out));
    });
}

void Resource::Delete() {
    WithResource(*this, [](PlanData& p, ResourceData& r) {
        for (const auto& t : p.tasks)
            if (t)
                std::erase_if(t->assignments, [&](const std::shared_ptr<AssignmentData>& a) {
                    if (a->resource.get() != &r) return false;
                    a->deleted = true;
                    return true;
                });
        for (size_t i = 0; i < p.resources.size(); ++i)
            if (p.resources[i].get() == &r) {
                p.resources.erase(p.resources.begin() + static_cast<long>(i));
                p.ResourcesChanged(i);
                break;
            }
        r.deleted = true;
        p.Touch();
    });
}

int32_t Resources::Count() const {
    return Guard([&] { return static_cast<int32_t>(LivePlan(*this).resources.size()); });
}
Resource Resources::Item(int32_t index) const {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (index < 1 || index > static_cast<int32_t>(p.resources.size()))
            Fail(kAppError, "The argument value is not valid.");
        return Wrap(p.resources[index - 1]);
    });
}
Resource Resources::Item(std::string_view name) const {
    return Guard([&] {
        auto r = LivePlan(*this).ResourceByName(name);
        if (!r) Fail(kAppError, "There is no resource \"" + std::string(name) + "\".");
        return Wrap(r);
    });
}
Resource Resources::UniqueID(int32_t uid) const {
    return Guard([&] {
        for (const auto& r : LivePlan(*this).resources)
            if (r && r->uid == uid) return Wrap(r);
        Fail(kAppError, "The argument value is not valid.");
    });
}
Resource Resources::Add(const std::string& Name, std::optional<int32_t> Before) {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (Before && *Before < 1) Fail(kAppError, "The argument value is not valid.");
        auto r = std::make_shared<ResourceData>();
        r->plan = p.weak_from_this();
        r->uid = p.nextResourceUid++;
        r->name = Name;
        size_t slot =
            Before && static_cast<size_t>(*Before) <= p.resources.size() ? *Before - 1 : p.resources.size();
        p.resources.insert(p.resources.begin() + static_cast<long>(slot), r);
        p.ResourcesChanged(slot, 1);
        p.Touch();
        return Wrap(r);
    });
}
std::vector<Resource> Resources::Snapshot() const {
    return Guard([&] {
        std::vector<Resource> out;
        for (const auto& r : LivePlan(*this).resources)
            out.push_back(Wrap(r));
        return out;
    });
}

} // namespace platform::msproject
