#include "platform/automation/Object.h"

#include <cctype>

namespace platform::automation {

namespace {
// Member names are ASCII, and the program never changes its C locale, where only A-Z fold: folded here
// without a call per character, as every late-bound call compares names.
constexpr unsigned char FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
} // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const Variant& CallArgs::operator[](size_t i) const {
    static const Variant empty;
    if (i >= args_.size()) return empty;
    return args_[i].value;
}

void CallArgs::Set(size_t i, Variant value) {
    if (i >= args_.size()) return;
    if (args_[i].ref) *args_[i].ref = value;
    args_[i].value = std::move(value);
}

namespace {
const Variant& Required(const CallArgs& a, size_t i) {
    if (!a.Has(i)) throw AutomationError(errors::ArgumentNotOptional);
    return a[i];
}
} // namespace

std::string CallArgs::String(size_t i) const {
    return strict::ToString(Required(*this, i));
}
int16_t CallArgs::Integer(size_t i) const {
    return strict::ToInteger(Required(*this, i));
}
int32_t CallArgs::Long(size_t i) const {
    return strict::ToLong(Required(*this, i));
}
double CallArgs::Double(size_t i) const {
    return strict::ToDouble(Required(*this, i));
}
float CallArgs::Single(size_t i) const {
    return strict::ToSingle(Required(*this, i));
}
bool CallArgs::Boolean(size_t i) const {
    return strict::ToBoolean(Required(*this, i));
}
Date CallArgs::DateAt(size_t i) const {
    return strict::ToDate(Required(*this, i));
}
Object CallArgs::ObjectAt(size_t i) const {
    return strict::ToObject(Required(*this, i));
}

const Variant& CallArgs::Value() const {
    if (args_.empty()) throw AutomationError(errors::ArgumentNotOptional);
    return args_.back().value;
}

Variant Invoke(const Object& target, std::string_view name, CallKind kind, std::span<Arg> args) {
    if (target.IsNothing()) {
        Err().Raise(errors::ObjectNotSet);
        return Variant();
    }
    // Keep the object alive for the whole call, even if the call drops the caller's last reference.
    std::shared_ptr<Dispatch> keep = target.shared();
    try {
        return keep->Invoke(name, kind, args);
    } catch (const AutomationError& e) {
        Err().Raise(e.number, e.source, e.description);
    } catch (const std::exception& e) {
        Err().Raise(440, "", std::string("Automation error: ") + e.what());
    }
    return Variant();
}

Variant Invoke(const Object& target, std::string_view name, CallKind kind, std::initializer_list<Arg> args) {
    std::vector<Arg> copy(args);
    return Invoke(target, name, kind, std::span<Arg>(copy));
}

Variant Call(const Object& target, std::string_view method, std::initializer_list<Arg> args) {
    return Invoke(target, method, CallKind::Method, args);
}

Variant Get(const Object& target, std::string_view property, std::initializer_list<Arg> args) {
    return Invoke(target, property, CallKind::PropertyGet, args);
}

void Let(const Object& target, std::string_view property, Variant value) {
    Invoke(target, property, CallKind::PropertyLet, {ByVal(std::move(value))});
}

void SetRef(const Object& target, std::string_view property, Object value) {
    Invoke(target, property, CallKind::PropertySet, {ByVal(Variant(std::move(value)))});
}

} // namespace platform::automation
