#pragma once
// Assignments of resources to tasks, and a task's live collection of them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/Fields.h"
#include "platform/msproject/Handle.h"
#include "platform/msproject/Resource.h"

namespace platform::msproject {

namespace detail {
struct AssignmentData;
struct TaskData;
} // namespace detail

class Task;

class Assignment : public Handle<detail::AssignmentData> {
public:
    int32_t UniqueID() const;
    int32_t TaskID() const;
    int32_t TaskUniqueID() const;
    std::string TaskName() const;
    int32_t ResourceID() const;
    int32_t ResourceUniqueID() const;
    platform::msproject::Resource Resource() const;
    // Writing the name moves the assignment to the resource of that name (1004 when there is none or
    // the task already has an assignment of it).
    std::string ResourceName() const;
    void SetResourceName(const std::string& value);

    double Units() const;
    void SetUnits(const platform::automation::Variant& value); // a number, or a number as text
    double Work() const;                                       // minutes
    void SetWork(const platform::automation::Variant& value);  // minutes, or text in the default work unit
    double ActualWork() const;
    void SetActualWork(const platform::automation::Variant& value);
    double PercentWorkComplete() const;
    void SetPercentWorkComplete(double value);
    double Cost() const;
    void SetCost(double value);
    platform::automation::Date Start() const; // the task's unless written
    void SetStart(const platform::automation::Date& value);
    platform::automation::Date Finish() const;
    void SetFinish(const platform::automation::Date& value);
    platform::automation::Variant ActualStart() const; // a date or "NA"
    void SetActualStart(const platform::automation::Variant& value);
    platform::automation::Variant ActualFinish() const;
    void SetActualFinish(const platform::automation::Variant& value);
    std::string Notes() const;
    void SetNotes(const std::string& value);

    std::string Text(int n) const;
    void SetText(int n, const std::string& value);
    bool Flag(int n) const;
    void SetFlag(int n, bool value);
    double Number(int n) const;
    void SetNumber(int n, double value);
    platform::automation::Variant DateField(int n) const;
    void SetDateField(int n, const platform::automation::Variant& value);
    KOVA_MSP_CUSTOM_FIELDS

    platform::automation::Variant GetField(std::string_view name) const;
    void SetField(std::string_view name, const platform::automation::Variant& value);

    void Delete();
};

// A task's assignments, live: Count and Item are read again at every use.
class Assignments : public Handle<detail::TaskData> {
public:
    int32_t Count() const;
    Assignment Item(int32_t index) const; // 1-based; out of range: 1004
    // Assigns the resource with that Id; a resource the task already has is refused with 1004.
    Assignment Add(int32_t ResourceID, const platform::automation::Variant& Units = 1.0);
    LiveIterator<Assignments, Assignment> begin() const { return {this, 1}; }
    LiveIterator<Assignments, Assignment> end() const { return {this, 0}; }
    std::vector<Assignment> Snapshot() const;
};

} // namespace platform::msproject
