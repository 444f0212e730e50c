#pragma once
// A plan's custom document properties: ordered, names matched without regard to case, each keeping
// the type it was created with (a written value is converted to it).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/Variant.h"
#include "platform/msproject/Handle.h"

namespace platform::msproject {

namespace detail {
struct PropertyData;
struct PlanData;
} // namespace detail

enum MsoDocProperties : int32_t {
    msoPropertyTypeNumber = 1,
    msoPropertyTypeBoolean = 2,
    msoPropertyTypeDate = 3,
    msoPropertyTypeString = 4,
    msoPropertyTypeFloat = 5,
};

class DocumentProperty : public Handle<detail::PropertyData> {
public:
    std::string Name() const;
    int32_t Type() const;
    bool LinkToContent() const { return false; }
    platform::automation::Variant Value() const;
    void SetValue(const platform::automation::Variant& value); // 13 when it cannot take the type
    void Delete();
};

class CustomDocumentProperties : public Handle<detail::PlanData> {
public:
    int32_t Count() const;
    DocumentProperty Item(std::string_view name) const; // missing: 5
    DocumentProperty Item(int32_t index) const;         // 1-based; out of range: 5
    // Fails with 5 when a property of that name exists; the existing one keeps its type and value.
    DocumentProperty Add(const std::string& Name, bool LinkToContent, int32_t Type,
                         const platform::automation::Variant& Value);
    LiveIterator<CustomDocumentProperties, DocumentProperty> begin() const { return {this, 1}; }
    LiveIterator<CustomDocumentProperties, DocumentProperty> end() const { return {this, 0}; }
};

} // namespace platform::msproject
