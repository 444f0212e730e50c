#include "platform/msproject/Assignment.h"

#include "platform/msproject/Model.h"
#include "platform/msproject/Task.h"

namespace platform::msproject {

using namespace detail;
using automation::Date;
using automation::Variant;

namespace {

template <class F> auto WithAssignment(const Assignment& h, F&& f) {
    return Guard([&] {
        auto& a = Live(h);
        if (!a.task || a.task->deleted) Fail(kObjectNotSet, "The object has been deleted.");
        return f(PlanOf(a.task->plan), a);
    });
}

Variant GetNamed(const Assignment& h, std::string_view name) {
    return WithAssignment(h, [&](PlanData& p, AssignmentData& a) {
        return GetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, name));
    });
}

void SetNamed(const Assignment& h, std::string_view name, const Variant& v) {
    WithAssignment(h, [&](PlanData& p, AssignmentData& a) {
        SetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, name), v);
    });
}

double AsDouble(const Variant& v) {
    return automation::strict::ToDouble(v);
}

} // namespace

int32_t Assignment::UniqueID() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.uid; });
}
int32_t Assignment::TaskID() const {
    return WithAssignment(*this, [](PlanData& p, AssignmentData& a) { return TaskId(p, *a.task); });
}
int32_t Assignment::TaskUniqueID() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.task->uid; });
}
std::string Assignment::TaskName() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.task->name; });
}
int32_t Assignment::ResourceID() const {
    return WithAssignment(*this,
                          [](PlanData&, AssignmentData& a) { return a.resource ? a.resource->id : 0; });
}
int32_t Assignment::ResourceUniqueID() const {
    return WithAssignment(*this,
                          [](PlanData&, AssignmentData& a) { return a.resource ? a.resource->uid : 0; });
}
platform::msproject::Resource Assignment::Resource() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) {
        return a.resource ? MakeHandle<platform::msproject::Resource>(a.resource)
                          : platform::msproject::Resource();
    });
}
std::string Assignment::ResourceName() const {
    return WithAssignment(*this,
                          [](PlanData&, AssignmentData& a) { return a.resource ? a.resource->name : ""; });
}
void Assignment::SetResourceName(const std::string& v) {
    SetNamed(*this, "ResourceName", v);
}
double Assignment::Units() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.units; });
}
void Assignment::SetUnits(const Variant& v) {
    SetNamed(*this, "Units", v);
}
double Assignment::Work() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.work; });
}
void Assignment::SetWork(const Variant& v) {
    SetNamed(*this, "Work", v);
}
double Assignment::ActualWork() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.actualWork; });
}
void Assignment::SetActualWork(const Variant& v) {
    SetNamed(*this, "ActualWork", v);
}
double Assignment::PercentWorkComplete() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.percentWorkComplete; });
}
void Assignment::SetPercentWorkComplete(double v) {
    SetNamed(*this, "PercentWorkComplete", v);
}
double Assignment::Cost() const {
    return AsDouble(GetNamed(*this, "Cost"));
}
void Assignment::SetCost(double v) {
    SetNamed(*this, "Cost", v);
}
Date Assignment::Start() const {
    return WithAssignment(*this, [](PlanData& p, AssignmentData& a) {
        return automation::strict::ToDate(
            GetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Start")));
    });
}
void Assignment::SetStart(const Date& v) {
    SetNamed(*this, "Start", v);
}
Date Assignment::Finish() const {
    return WithAssignment(*this, [](PlanData& p, AssignmentData& a) {
        return automation::strict::ToDate(
            GetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Finish")));
    });
}
void Assignment::SetFinish(const Date& v) {
    SetNamed(*this, "Finish", v);
}
Variant Assignment::ActualStart() const {
    return GetNamed(*this, "ActualStart");
}
void Assignment::SetActualStart(const Variant& v) {
    SetNamed(*this, "ActualStart", v);
}
Variant Assignment::ActualFinish() const {
    return GetNamed(*this, "ActualFinish");
}
void Assignment::SetActualFinish(const Variant& v) {
    SetNamed(*this, "ActualFinish", v);
}
std::string Assignment::Notes() const {
    return WithAssignment(*this, [](PlanData&, AssignmentData& a) { return a.notes; });
}
void Assignment::SetNotes(const std::string& v) {
    SetNamed(*this, "Notes", v);
}

std::string Assignment::Text(int n) const {
    return WithAssignment(*this, [&](PlanData&, AssignmentData& a) {
        CheckFieldIndex(n, 30);
        return a.f.text[n - 1];
    });
}
void Assignment::SetText(int n, const std::string& v) {
    WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        CheckFieldIndex(n, 30);
        SetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Text" + std::to_string(n)),
                           Variant(v));
    });
}
bool Assignment::Flag(int n) const {
    return WithAssignment(*this, [&](PlanData&, AssignmentData& a) {
        CheckFieldIndex(n, 20);
        return a.f.flag[n - 1];
    });
}
void Assignment::SetFlag(int n, bool v) {
    WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        CheckFieldIndex(n, 20);
        SetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Flag" + std::to_string(n)),
                           Variant(v));
    });
}
double Assignment::Number(int n) const {
    return WithAssignment(*this, [&](PlanData&, AssignmentData& a) {
        CheckFieldIndex(n, 20);
        return a.f.number[n - 1];
    });
}
void Assignment::SetNumber(int n, double v) {
    WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        CheckFieldIndex(n, 20);
        SetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Number" + std::to_string(n)),
                           Variant(v));
    });
}
Variant Assignment::DateField(int n) const {
    return WithAssignment(*this, [&](PlanData&, AssignmentData& a) {
        CheckFieldIndex(n, 10);
        return MaybeDateValue(a.f.date[n - 1]);
    });
}
void Assignment::SetDateField(int n, const Variant& v) {
    WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        CheckFieldIndex(n, 10);
        SetAssignmentField(p, a, *LookupField(FieldRef::AssignmentField, "Date" + std::to_string(n)), v);
    });
}

Variant Assignment::GetField(std::string_view name) const {
    return WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        auto f = LookupField(FieldRef::AssignmentField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for assignments.");
        return GetAssignmentField(p, a, *f);
    });
}
void Assignment::SetField(std::string_view name, const Variant& v) {
    WithAssignment(*this, [&](PlanData& p, AssignmentData& a) {
        auto f = LookupField(FieldRef::AssignmentField, name);
        if (!f) Fail(kAppError, "The field \"" + std::string(name) + "\" is not valid for assignments.");
        SetAssignmentField(p, a, *f, v);
    });
}

void Assignment::Delete() {
    WithAssignment(*this, [](PlanData& p, AssignmentData& a) {
        std::erase_if(a.task->assignments,
                      [&](const std::shared_ptr<AssignmentData>& x) { return x.get() == &a; });
        a.deleted = true;
        p.Touch();
    });
}

// ---------------------------------------------------------------- a task's assignments

namespace {

template <class F> auto WithTaskOf(const Assignments& h, F&& f) {
    return Guard([&] {
        auto& t = Live(h);
        return f(PlanOf(t.plan), t);
    });
}

} // namespace

int32_t Assignments::Count() const {
    return WithTaskOf(*this,
                      [](PlanData&, TaskData& t) { return static_cast<int32_t>(t.assignments.size()); });
}
Assignment Assignments::Item(int32_t index) const {
    return WithTaskOf(*this, [&](PlanData&, TaskData& t) {
        if (index < 1 || index > static_cast<int32_t>(t.assignments.size()))
            Fail(kAppError, "The argument value is not valid.");
        return MakeHandle<Assignment>(t.assignments[index - 1]);
    });
}
Assignment Assignments::Add(int32_t ResourceID, const Variant& Units) {
    return WithTaskOf(*this, [&](PlanData& p, TaskData& t) {
        if (t.level == 0) Fail(kAppError, "Resources cannot be assigned to the project summary task.");
        if (ResourceID < 1 || ResourceID > static_cast<int32_t>(p.resources.size()) ||
            !p.resources[ResourceID - 1])
            Fail(kAppError, "There is no resource with the ID " + std::to_string(ResourceID) + ".");
        auto r = p.resources[ResourceID - 1];
        for (const auto& a : t.assignments)
            if (a->resource == r) Fail(kAppError, "The resource is already assigned to this task.");
        auto a = std::make_shared<AssignmentData>();
        a->uid = p.nextAssignmentUid++;
        a->task = &t;
        a->resource = r;
        if (!Units.IsEmpty())
            SetAssignmentField(p, *a, *LookupField(FieldRef::AssignmentField, "Units"), Units);
        t.assignments.push_back(a);
        p.Touch();
        return MakeHandle<Assignment>(a);
    });
}
std::vector<Assignment> Assignments::Snapshot() const {
    return WithTaskOf(*this, [](PlanData&, TaskData& t) {
        std::vector<Assignment> out;
        for (const auto& a : t.assignments)
            out.push_back(MakeHandle<Assignment>(a));
        return out;
    });
}

} // namespace platform::msproject
