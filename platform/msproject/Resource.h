#pragma once
// Resources of a plan: the resource sheet's rows (blank rows are Nothing) and their fields.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Variant.h"
#include "platform/msproject/Fields.h"
#include "platform/msproject/Handle.h"

namespace platform::msproject {

namespace detail {
struct ResourceData;
struct PlanData;
} // namespace detail

class Assignment;

class Resource : public Handle<detail::ResourceData> {
public:
    int32_t Id() const;
    int32_t UniqueID() const;
    std::string Name() const;
    void SetName(const std::string& value);
    std::string Initials() const;
    void SetInitials(const std::string& value);
    std::string Group() const;
    void SetGroup(const std::string& value);
    std::string EMailAddress() const;
    void SetEMailAddress(const std::string& value);
    double MaxUnits() const;
    void SetMaxUnits(double value);
    double StandardRate() const;
    void SetStandardRate(double value);
    double OvertimeRate() const;
    void SetOvertimeRate(double value);
    double CostPerUse() const;
    void SetCostPerUse(double value);
    int32_t AccrueAt() const; // 1 start, 2 end, 3 prorated
    void SetAccrueAt(int32_t value);
    int32_t Type() const; // 0 work, 1 material
    void SetType(int32_t value);
    // The resource calendar's base calendar; an unknown name fails with 1004.
    std::string BaseCalendar() const;
    void SetBaseCalendar(const std::string& value);

    std::string Text(int n) const;
    void SetText(int n, const std::string& value);
    bool Flag(int n) const;
    void SetFlag(int n, bool value);
    double Number(int n) const;
    void SetNumber(int n, double value);
    platform::automation::Variant DateField(int n) const; // a date or "NA"
    void SetDateField(int n, const platform::automation::Variant& value);
    KOVA_MSP_CUSTOM_FIELDS

    // Any field by its name, without regard to case ("text2", "Name", "MaxUnits").
    platform::automation::Variant GetField(std::string_view name) const;
    void SetField(std::string_view name, const platform::automation::Variant& value);

    // The assignments of this resource, in task order.
    List<Assignment> Assignments() const;
    // Deletes the resource and its assignments; the rows below move up.
    void Delete();
};

// The plan's resources by row (1..Count, blank rows Nothing) or by name.
class Resources : public Handle<detail::PlanData> {
public:
    int32_t Count() const;
    Resource Item(int32_t index) const;         // out of range: 1004
    Resource Item(std::string_view name) const; // without regard to case; missing: 1004
    Resource UniqueID(int32_t uid) const;
    Resource Add(const std::string& Name = {}, std::optional<int32_t> Before = {});
    LiveIterator<Resources, Resource> begin() const { return {this, 1}; }
    LiveIterator<Resources, Resource> end() const { return {this, 0}; }
    std::vector<Resource> Snapshot() const;
};

} // namespace platform::msproject
