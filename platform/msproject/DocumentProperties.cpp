#include "platform/msproject/DocumentProperties.h"

#include <algorithm>

#include "platform/msproject/Model.h"

namespace platform::msproject {

using namespace detail;
using automation::Variant;

namespace {

Variant Convert(int32_t type, const Variant& v) {
    using namespace automation::strict;
    switch (type) {
    case msoPropertyTypeNumber: return Variant(ToLong(v));
    case msoPropertyTypeBoolean: return Variant(ToBoolean(v));
    case msoPropertyTypeDate: return Variant(ToDate(v));
    case msoPropertyTypeString: return Variant(ToString(v));
    case msoPropertyTypeFloat: return Variant(ToDouble(v));
    }
    Fail(kInvalidCall, "Invalid procedure call or argument");
}

std::shared_ptr<PropertyData> Find(const PlanData& p, std::string_view name) {
    for (const auto& d : p.properties)
        if (SameText(d->name, name)) return d;
    return nullptr;
}

template <class F> auto WithProperty(const DocumentProperty& h, F&& f) {
    return Guard([&] {
        auto& d = Live(h);
        return f(PlanOf(d.plan), d);
    });
}

} // namespace

std::string DocumentProperty::Name() const {
    return WithProperty(*this, [](PlanData&, PropertyData& d) { return d.name; });
}
int32_t DocumentProperty::Type() const {
    return WithProperty(*this, [](PlanData&, PropertyData& d) { return d.type; });
}
Variant DocumentProperty::Value() const {
    return WithProperty(*this, [](PlanData&, PropertyData& d) { return d.value; });
}
void DocumentProperty::SetValue(const Variant& value) {
    WithProperty(*this, [&](PlanData& p, PropertyData& d) {
        d.value = Convert(d.type, value);
        p.Touch();
    });
}
void DocumentProperty::Delete() {
    WithProperty(*this, [&](PlanData& p, PropertyData& d) {
        std::erase_if(p.properties, [&](const std::shared_ptr<PropertyData>& x) { return x.get() == &d; });
        d.deleted = true;
        p.Touch();
    });
}

int32_t CustomDocumentProperties::Count() const {
    return Guard([&] { return static_cast<int32_t>(LivePlan(*this).properties.size()); });
}
DocumentProperty CustomDocumentProperties::Item(std::string_view name) const {
    return Guard([&] {
        auto d = Find(LivePlan(*this), name);
        if (!d) Fail(kInvalidCall, "Invalid procedure call or argument");
        return MakeHandle<DocumentProperty>(d);
    });
}
DocumentProperty CustomDocumentProperties::Item(int32_t index) const {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (index < 1 || index > static_cast<int32_t>(p.properties.size()))
            Fail(kInvalidCall, "Invalid procedure call or argument");
        return MakeHandle<DocumentProperty>(p.properties[index - 1]);
    });
}
DocumentProperty CustomDocumentProperties::Add(const std::string& Name, bool LinkToContent, int32_t Type,
                                               const Variant& Value) {
    return Guard([&] {
        auto& p = LivePlan(*this);
        if (Name.empty() || LinkToContent || Find(p, Name))
            Fail(kInvalidCall, "Invalid procedure call or argument");
        auto d = std::make_shared<PropertyData>();
        d->plan = p.weak_from_this();
        d->name = Name;
        d->type = Type;
        d->value = Convert(Type, Value);
        p.properties.push_back(d);
        p.Touch();
        return MakeHandle<DocumentProperty>(d);
    });
}

} // namespace platform::msproject
