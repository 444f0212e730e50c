#pragma once
// Plain record structs that also answer by name: a static property table maps each field to its
// member, and RecordObject wraps a shared record as a late-bound object.
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/automation/Object.h"

namespace platform::automation {

template <class T> class PropertyTable {
public:
    using Field = std::variant<std::string T::*, int16_t T::*, int32_t T::*, float T::*, double T::*,
                               bool T::*, Date T::*, Variant T::*>;
    struct Entry {
        std::string name;
        Field field;
    };

    PropertyTable(std::initializer_list<Entry> entries) : entries_(entries) {}

    const Entry* Find(std::string_view name) const {
        for (const auto& e : entries_)
            if (NamesEqual(e.name, name)) return &e;
        return nullptr;
    }

    Variant Read(const T& record, std::string_view name) const {
        const Entry* e = Find(name);
        if (!e) throw AutomationError(errors::NotSupported);
        return std::visit([&](auto member) { return Variant(record.*member); }, e->field);
    }

    void Write(T& record, std::string_view name, const Variant& value) const {
        const Entry* e = Find(name);
        if (!e) throw AutomationError(errors::NotSupported);
        std::visit(
            [&](auto member) {
                using V = std::remove_reference_t<decltype(record.*member)>;
                if constexpr (std::is_same_v<V, std::string>)
                    record.*member = strict::ToString(value);
                else if constexpr (std::is_same_v<V, int16_t>)
                    record.*member = strict::ToInteger(value);
                else if constexpr (std::is_same_v<V, int32_t>)
                    record.*member = strict::ToLong(value);
                else if constexpr (std::is_same_v<V, float>)
                    record.*member = strict::ToSingle(value);
                else if constexpr (std::is_same_v<V, double>)
                    record.*member = strict::ToDouble(value);
                else if constexpr (std::is_same_v<V, bool>)
                    record.*member = strict::ToBoolean(value);
                else if constexpr (std::is_same_v<V, Date>)
                    record.*member = strict::ToDate(value);
                else
                    record.*member = value;
            },
            e->field);
    }

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// T provides `static const PropertyTable<T>& Properties();`.
template <class T> class RecordObject : public Dispatch {
public:
    explicit RecordObject(std::shared_ptr<T> record) : record_(std::move(record)) {}

    Variant Invoke(std::string_view name, CallKind kind, std::span<Arg> args) override {
        const auto& table = T::Properties();
        if (kind == CallKind::PropertyLet || kind == CallKind::PropertySet) {
            if (args.empty()) throw AutomationError(errors::ArgumentNotOptional);
            table.Write(*record_, name, args.back().value);
            return Variant();
        }
        if (!args.empty()) throw AutomationError(errors::WrongNumberOfArguments);
        return table.Read(*record_, name);
    }

    const std::shared_ptr<T>& record() const { return record_; }

private:
    std::shared_ptr<T> record_;
};

template <class T> Object AsObject(std::shared_ptr<T> record) {
    return Object(std::make_shared<RecordObject<T>>(std::move(record)));
}

} // namespace platform::automation
