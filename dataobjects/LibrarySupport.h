#pragma once
// Helpers for the library's error convention: every public method clears the caller's error state,
// then resumes after each failing statement. A statement that fails is skipped (its assignment does not
// happen) and leaves its error; a statement that succeeds leaves the error state as it was.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

// The source of the errors the library raises.
inline constexpr const char* kLibrarySource = "Kova Data Access Objects";

// A collection of records that belongs to the caller, or nothing (never an empty collection where a
// list is empty or failed).
template <class T> using Collection = std::vector<std::shared_ptr<T>>;
template <class T> using OptionalCollection = std::optional<Collection<T>>;

// Blanks removed at both ends (blanks only, as the runtime's Trim does).
inline std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The object a late-bound result holds; Nothing for any other value.
inline platform::automation::Object ObjectOf(const platform::automation::Variant& value) {
    if (auto object = value.Peek<platform::automation::Object>()) return *object;
    return platform::automation::Object();
}

// Runs one statement; true when it raised no error.
template <class F> bool Statement(F&& statement) {
    using platform::automation::Err;
    platform::automation::ErrObject before = Err();
    Err().Clear();
    statement();
    if (Err().Number != 0) return false;
    Err() = before;
    return true;
}

// `target = expression()` as one statement: assigned only when evaluating it raised no error.
template <class T, class F> bool Assign(T& target, F&& expression) {
    std::optional<T> value;
    if (!Statement([&] { value.emplace(expression()); })) return false;
    target = std::move(*value);
    return true;
}

// Raises the library's error for the failure in the error state: its number + 100, the library's
// source, the given description.
inline void RaiseAbove(const std::string& description) {
    using platform::automation::Err;
    Err().Raise(Err().Number + 100, kLibrarySource, description);
}

// Reads an enumeration (hasMoreElements / nextelement) to its end. Reading stops at the first failing
// call, so that an enumeration that keeps failing cannot hold the caller forever; the failure stays in
// the error state. No enumeration at all is an empty list, not a failure.
inline std::vector<platform::automation::Object> ReadEnumeration(const platform::automation::Object& list) {
    using namespace platform::automation;
    std::vector<Object> elements;
    if (list.IsNothing()) return elements;
    for (;;) {
        bool more = false;
        if (!Assign(more, [&] { return CBool(Call(list, "hasMoreElements")); }) || !more) break;
        Object element;
        if (!Assign(element, [&] { return ObjectOf(Call(list, "nextelement")); })) break;
        elements.push_back(element);
    }
    return elements;
}

} // namespace KovaDataObjects
