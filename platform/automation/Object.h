#pragma once
// Late binding: objects that answer calls by member name, with arguments by value, by reference or
// by name, and a member table helper so that each class is a list of named handlers.
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"

namespace platform::automation {

enum class CallKind { Method, PropertyGet, PropertyLet, PropertySet };

// One argument of a late-bound call. `ref` set: passed by reference, the callee's writes reach it.
struct Arg {
    Variant value;
    Variant* ref = nullptr;
    std::string name; // named argument when not empty
};

inline Arg ByVal(Variant v) {
    return Arg{std::move(v), nullptr, {}};
}
inline Arg ByRef(Variant& v) {
    return Arg{v, &v, {}};
}
inline Arg Named(std::string name, Variant v) {
    return Arg{std::move(v), nullptr, std::move(name)};
}
inline Arg NamedRef(std::string name, Variant& v) {
    return Arg{v, &v, std::move(name)};
}

bool NamesEqual(std::string_view a, std::string_view b); // without regard to case

// What a handler sees: positional arguments (named ones already put in place), by-reference write-back.
class CallArgs {
public:
    CallArgs(std::span<Arg> args, std::string_view member) : args_(args), member_(member) {}

    size_t size() const { return args_.size(); }
    // Present and not "missing" (an Empty value in a named slot that was not given counts as missing).
    bool Has(size_t i) const { return i < args_.size() && !missing_at(i); }
    const Variant& operator[](size_t i) const;
    // Writes through a by-reference argument; a by-value argument just takes the value locally.
    void Set(size_t i, Variant value);
    bool IsByRef(size_t i) const { return i < args_.size() && args_[i].ref != nullptr; }

    // Typed reads that throw 449 "Argument not optional" when missing and 13 on a bad value.
    std::string String(size_t i) const;
    int16_t Integer(size_t i) const;
    int32_t Long(size_t i) const;
    double Double(size_t i) const;
    float Single(size_t i) const;
    bool Boolean(size_t i) const;
    Date DateAt(size_t i) const;
    Object ObjectAt(size_t i) const;
    // Optional variants with a default.
    std::string String(size_t i, std::string fallback) const { return Has(i) ? String(i) : fallback; }
    int32_t Long(size_t i, int32_t fallback) const { return Has(i) ? Long(i) : fallback; }
    double Double(size_t i, double fallback) const { return Has(i) ? Double(i) : fallback; }
    bool Boolean(size_t i, bool fallback) const { return Has(i) ? Boolean(i) : fallback; }

    // For property let/set: the assigned value is the last argument.
    const Variant& Value() const;
    std::string_view member() const { return member_; }

    // Marks the slots that were filled by neither position nor name.
    std::vector<bool> missing;

private:
    bool missing_at(size_t i) const { return i < missing.size() && missing[i]; }
    std::span<Arg> args_;
    std::string_view member_;
};

// The base of every late-bound object.
class Dispatch : public std::enable_shared_from_this<Dispatch> {
public:
    virtual ~Dispatch() = default;
    // May throw AutomationError; Object::Invoke records it in Err().
    virtual Variant Invoke(std::string_view name, CallKind kind, std::span<Arg> args) = 0;
    // Class name for diagnostics and fault injection ("TypeName").
    virtual std::string TypeName() const { return "Object"; }
};

// Late-bound call on a reference. A call on Nothing records 91, a failure inside records its own error;
// either way the result is Empty. By-reference arguments are written back.
Variant Invoke(const Object& target, std::string_view name, CallKind kind, std::span<Arg> args);
Variant Invoke(const Object& target, std::string_view name, CallKind kind, std::initializer_list<Arg> args);

// Short forms.
Variant Call(const Object& target, std::string_view method, std::initializer_list<Arg> args = {});
Variant Get(const Object& target, std::string_view property, std::initializer_list<Arg> args = {});
void Let(const Object& target, std::string_view property, Variant value);
void SetRef(const Object& target, std::string_view property, Object value);

// A class's members. Build one static table per class:
//   static const MemberTable<Thing> table = {
//       {"Name", [](Thing& t, CallArgs& a) -> Variant { return t.name; }},
//       {"Name", CallKind::PropertyLet, [](Thing& t, CallArgs& a) { t.name = a.String(0); return Variant();
//       }},
//       {"Move", {"Row", "Column"}, [](Thing& t, CallArgs& a) { ... }},
//   };
// A handler without an explicit kind answers both method calls and property gets.
template <class T> class MemberTable {
public:
    using Handler = std::function<Variant(T&, CallArgs&)>;
    struct Member {
        std::string name;
        std::vector<CallKind> kinds;
        std::vector<std::string> params; // for named arguments
        Handler handler;

        Member(std::string n, Handler h)
            : name(std::move(n)), kinds{CallKind::Method, CallKind::PropertyGet}, handler(std::move(h)) {}
        Member(std::string n, CallKind kind, Handler h) : name(std::move(n)), handler(std::move(h)) {
            kinds = {kind};
            if (kind == CallKind::Method || kind == CallKind::PropertyGet)
                kinds = {CallKind::Method, CallKind::PropertyGet};
        }
        Member(std::string n, std::vector<std::string> p, Handler h)
            : name(std::move(n)), kinds{CallKind::Method, CallKind::PropertyGet}, params(std::move(p)),
              handler(std::move(h)) {}
        Member(std::string n, CallKind kind, std::vector<std::string> p, Handler h)
            : Member(std::move(n), kind, std::move(h)) {
            params = std::move(p);
        }
    };

    MemberTable(std::initializer_list<Member> members) : members_(members) {}

    bool Contains(std::string_view name) const {
        for (const auto& m : members_)
            if (NamesEqual(m.name, name)) return true;
        return false;
    }

    Variant Dispatch(T& self, std::string_view name, CallKind kind, std::span<Arg> args) const {
        const Member* found = nullptr;
        bool nameKnown = false;
        CallKind wanted = kind == CallKind::PropertySet ? CallKind::PropertySet : kind;
        for (const auto& m : members_) {
            if (!NamesEqual(m.name, name)) continue;
            nameKnown = true;
            for (CallKind k : m.kinds)
                if (k == wanted || (wanted == CallKind::PropertySet && k == CallKind::PropertyLet) ||
                    (wanted == CallKind::PropertyLet && k == CallKind::PropertySet))
                    found = &m;
            if (found) break;
        }
        if (!found) {
            if (nameKnown) throw AutomationError(errors::WrongNumberOfArguments);
            throw AutomationError(errors::NotSupported);
        }
        return Run(*found, self, args);
    }

private:
    static Variant Run(const Member& m, T& self, std::span<Arg> args) {
        bool anyNamed = false;
        for (const auto& a : args)
            if (!a.name.empty()) anyNamed = true;
        if (!anyNamed) {
            CallArgs call(args, m.name);
            return m.handler(self, call);
        }
        // Put named arguments into the slot of their parameter, keeping by-reference links.
        std::vector<Arg> ordered;
        std::vector<bool> filled;
        for (const auto& a : args) {
            size_t slot;
            if (a.name.empty()) {
                slot = ordered.size();
                for (size_t i = 0; i < filled.size(); ++i)
                    if (!filled[i]) {
                        slot = i;
                        break;
                    }
            } else {
                slot = m.params.size();
                for (size_t i = 0; i < m.params.size(); ++i)
                    if (NamesEqual(m.params[i], a.name)) slot = i;
                if (slot == m.params.size()) throw AutomationError(errors::NamedArgumentNotFound);
            }
            if (slot >= ordered.size()) {
                ordered.resize(slot + 1);
                filled.resize(slot + 1, false);
            }
            ordered[slot] = a;
            ordered[slot].name.clear();
            filled[slot] = true;
        }
        CallArgs call(ordered, m.name);
        call.missing.resize(filled.size());
        for (size_t i = 0; i < filled.size(); ++i)
            call.missing[i] = !filled[i];
        return m.handler(self, call);
    }

    std::vector<Member> members_;
};

// A Dispatch whose members come from a static table: derive as `class Thing : public Dispatchable<Thing>`
// and define `static const MemberTable<Thing>& Members();`.
template <class T> class Dispatchable : public Dispatch {
public:
    Variant Invoke(std::string_view name, CallKind kind, std::span<Arg> args) override {
        return T::Members().Dispatch(static_cast<T&>(*this), name, kind, args);
    }
};

// Makes a new object of a Dispatch class and returns it as a reference.
template <class T, class... A> Object MakeObject(A&&... a) {
    return Object(std::make_shared<T>(std::forward<A>(a)...));
}

} // namespace platform::automation
