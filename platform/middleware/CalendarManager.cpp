#include "platform/middleware/CalendarManager.h"

#include <set>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Paging.h"
#include "platform/middleware/ProgIds.h"

namespace platform::middleware {

using namespace platform::automation;

CalendarManager::CalendarManager() : ManagerOf(progids::CalendarManager) {}

const EntityKind& CalendarManager::CalendarKind() {
    static const EntityKind kind{
        "Calendars.CalendarCode",
        "calendar",
        {
            {"Code", "code", FieldType::Text, {"getCalendarCode"}, {}, true},
            {"AvailabilityType", "availability_type", FieldType::Text, {"getAvailabilityType"}, {}, true},
            {"StartDate", "start_date", FieldType::Text, {"getStartDate"}, {}},
            {"EndDate", "end_date", FieldType::Text, {"getEndDate"}, {}},
            {"Parent", "parent_code", FieldType::Text, {"getParentCalendar"}, {}},
        }};
    return kind;
}

namespace {

// One step of a derivation path: the ancestor calendar, answered as the parent calendar.
const EntityKind& DerivationStepKind() {
    static const EntityKind kind{
        "Calendars.AvailabilityTypeByCalendar",
        "calendar",
        {
            {"Code", "code", FieldType::Text, {"getParentCalendar", "getCalendarCode"}, {}, true},
            {"AvailabilityType", "availability_type", FieldType::Text, {"getAvailabilityType"}, {}, true},
        }};
    return kind;
}

const EntityKind& StandardLineKind() {
    static const EntityKind kind{
        "Calendars.StandardCalendarLine",
        "standard_calendar_line",
        {
            {"AvailabilityType", "availability_type", FieldType::Text, {"getAvailabilityType"}, {}, true},
            {"LineNo", "line_no", FieldType::Long, {}, {}, true},
            {"DayName", "day_name", FieldType::Text, {"getDayName"}, {}},
            {"StartTime", "start_time", FieldType::Long, {"getStartTime"}, {}},
            {"EndTime", "end_time", FieldType::Long, {"getEndTime"}, {}},
        }};
    return kind;
}

const EntityKind& ExceptionLineKind() {
    static const EntityKind kind{
        "Calendars.CalendarLine",
        "calendar_exception_line",
        {
            {"Calendar", "calendar_code", FieldType::Text, {"getCalendar"}, {}, true},
            {"AvailabilityType", "availability_type", FieldType::Text, {"getAvailabilityType"}, {}, true},
            {"LineNo", "line_no", FieldType::Long, {}, {}, true},
            {"Date", "date", FieldType::Text, {"getDate"}, {}},
            {"StartTime", "start_time", FieldType::Long, {"getStartTime"}, {}},
            {"EndTime", "end_time", FieldType::Long, {"getEndTime"}, {}},
            {"Working", "working", FieldType::Long, {"getWorking"}, {}},
        }};
    return kind;
}

const EntityKind& ActualLineKind() {
    static const EntityKind kind{
        "Calendars.ActualCalendarLine",
        "actual_calendar_line",
        {
            {"Calendar", "calendar_code", FieldType::Text, {"getCalendar"}, {}, true},
            {"CalendarType", "availability_type", FieldType::Text, {}, {}, true},
            {"LineNo", "line_no", FieldType::Long, {}, {}, true},
            {"AvailabilityType", "line_availability_type", FieldType::Text, {"getAvailabilityType"}, {}},
            {"StartDate", "start_date", FieldType::Text, {"getStartDate"}, {}},
            {"EndDate", "end_date", FieldType::Text, {"getEndDate"}, {}},
            {"StartTime", "start_time", FieldType::Long, {"getStartTime"}, {}},
            {"EndTime", "end_time", FieldType::Long, {"getEndTime"}, {}},
        }};
    return kind;
}

// A result that is not paged: `referenceGetter` gives the list, which answers `sizeGetter` and
// `elementGetter(i&)`.
class LineList : public StandInObject {
public:
    LineList(std::string className, std::string origin, std::string sizeGetter, std::string elementGetter,
             std::vector<Object> elements)
        : StandInObject(std::move(className), std::move(origin)), size_(std::move(sizeGetter)),
          at_(std::move(elementGetter)), elements_(std::move(elements)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg> args) override {
        if (NamesEqual(name, size_)) return Variant(static_cast<int32_t>(elements_.size()));
        if (NamesEqual(name, at_)) {
            CallArgs call(args, name);
            int32_t i = call.Long(0);
            if (i < 0 || static_cast<size_t>(i) >= elements_.size())
                throw Failure(failures::NoSuchElement,
                              "There is no element " + std::to_string(i) + " in this list.");
            return Variant(elements_[static_cast<size_t>(i)]);
        }
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    std::string size_, at_;
    std::vector<Object> elements_;
};

class LineListHolder : public StandInObject {
public:
    LineListHolder(std::string className, std::string origin, std::string referenceGetter, Object list)
        : StandInObject(std::move(className), std::move(origin)), reference_(std::move(referenceGetter)),
          list_(std::move(list)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg>) override {
        if (NamesEqual(name, reference_)) return Variant(list_);
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    std::string reference_;
    Object list_;
};

Object MakeResult(const std::string& origin, const std::string& name, const std::string& reference,
                  const std::string& size, const std::string& at, std::vector<Object> elements) {
    Object list(
        std::make_shared<LineList>("Calendars." + name + "List", origin, size, at, std::move(elements)));
    return Object(std::make_shared<LineListHolder>("Calendars." + name, origin, reference, list));
}

// The calendar of that code and type (both compared without the blanks around them).
EntityPtr FindCalendar(CalendarManager& m, const std::string& code, const std::string& type) {
    auto found = LoadEntities(m.Db(), CalendarManager::CalendarKind(),
                              "trim(code, ' ') = ? AND trim(availability_type, ' ') = ?",
                              {TrimBlanks(code), TrimBlanks(type)}, "sort", m.progId());
    return found.empty() ? nullptr : found.front();
}

EntityPtr RequireCalendar(CalendarManager& m, const std::string& code, const std::string& type) {
    EntityPtr calendar = FindCalendar(m, code, type);
    if (!calendar)
        throw Failure(failures::NotFound, "The calendar " + TrimBlanks(code) + " with availability type '" +
                                              TrimBlanks(type) + "' does not exist.");
    return calendar;
}

// The ancestors of a calendar, root first. A parent is looked for under the same availability type
// first, then under any type.
std::vector<Object> DerivationPath(CalendarManager& m, const std::string& code, const std::string& type) {
    EntityPtr calendar = RequireCalendar(m, code, type);
    std::vector<EntityPtr> ancestors;
    std::set<std::string> seen{TrimBlanks(calendar->Text("Code")) + "\x1f" +
                               TrimBlanks(calendar->Text("AvailabilityType"))};
    for (std::string parent = TrimBlanks(calendar->Text("Parent")); !parent.empty();) {
        EntityPtr next = FindCalendar(m, parent, calendar->Text("AvailabilityType"));
        if (!next) {
            auto any = LoadEntities(m.Db(), CalendarManager::CalendarKind(), "trim(code, ' ') = ?", {parent},
                                    "sort", m.progId());
            if (!any.empty()) next = any.front();
        }
        if (!next) break;
        // A parent loop in the data must not hang the server.
        if (!seen.insert(TrimBlanks(next->Text("Code")) + "\x1f" + TrimBlanks(next->Text("AvailabilityType")))
                 .second)
            break;
        ancestors.insert(ancestors.begin(), next);
        calendar = next;
        parent = TrimBlanks(next->Text("Parent"));
    }
    std::vector<Object> steps;
    for (const auto& a : ancestors) {
        auto step = LoadEntities(m.Db(), DerivationStepKind(), "code = ? AND availability_type = ?",
                                 {a->Value("Code"), a->Value("AvailabilityType")}, "", m.progId());
        for (const auto& s : step)
            steps.emplace_back(s);
    }
    return steps;
}

std::string DefaultAvailabilityType(CalendarManager& m) {
    Variant type =
        m.Db().Scalar("SELECT default_availability_type FROM planning_parameters WHERE company_number = ?",
                      {m.Backend().companyNumber});
    return type.IsEmpty() || type.IsNull() ? std::string() : TrimBlanks(CStr(type));
}

std::vector<Object> StandardWeek(CalendarManager& m, const std::string& requested) {
    std::string type = TrimBlanks(requested);
    if (type.empty()) type = DefaultAvailabilityType(m);
    auto lines = LoadEntities(m.Db(), StandardLineKind(), "trim(availability_type, ' ') = ?", {type},
                              "line_no", m.progId());
    if (lines.empty() && !type.empty() &&
        m.Db().Scalar("SELECT 1 FROM availability_type WHERE trim(code, ' ') = ?", {type}).IsEmpty())
        throw Failure(failures::NotFound, "The availability type " + type + " does not exist.");
    return AsObjects(lines);
}

} // namespace

const MemberTable<CalendarManager>& CalendarManager::Members() {
    using M = CalendarManager;
    static const PagedListNames calendarPages{
        "Calendars.CalendarSelectionForESPSet", "getCalendarSelectionForESPListReference",
        "Calendars.CalendarSelectionForESPList", "sizeCalendarCodes", "getCalendarCodesAt"};
    static const PagedListNames exceptionPages{"Calendars.CalendarExceptionSet",
                                               "getCalendarExceptionReference", "Calendars.CalendarLines",
                                               "sizeCalendarLines", "getCalendarLinesAt"};
    static const MemberTable<M> table = {
        {"listCalendarSelectionForESP",
         [](M& m, CallArgs& a) -> Variant {
             return ServePage(
                 calendarPages, "listCalendarSelectionForESP", a,
                 [&] { return AsObjects(LoadEntities(m.Db(), CalendarKind(), "", {}, "sort", m.progId())); },
                 m.progId());
         }},
        {"getDerivationPath",
         [](M& m, CallArgs& a) -> Variant {
             return Variant(MakeResult(m.progId(), "DerivationPath", "getDerivationPathReference",
                                       "sizeAvailabilityTypesByCalendar", "getAvailabilityTypesByCalendarAt",
                                       DerivationPath(m, a.String(0), a.String(1))));
         }},
        {"showStandardCalendar",
         [](M& m, CallArgs& a) -> Variant {
             return Variant(MakeResult(m.progId(), "StandardCalendar", "getStandardCalendarReference",
                                       "sizeStandardCalendar", "getStandardCalendarAt",
                                       StandardWeek(m, a.String(0, ""))));
         }},
        {"getCalendarException",
         [](M& m, CallArgs& a) -> Variant {
             std::string code = a.String(0), type = a.String(1);
             return ServePage(
                 exceptionPages, "getCalendarException", a,
                 [&] {
                     EntityPtr calendar = RequireCalendar(m, code, type);
                     return AsObjects(LoadEntities(
                         m.Db(), ExceptionLineKind(), "calendar_code = ? AND availability_type = ?",
                         {calendar->Value("Code"), calendar->Value("AvailabilityType")}, "date, line_no",
                         m.progId()));
                 },
                 m.progId());
         }},
        {"showActualCalendarLine",
         [](M& m, CallArgs& a) -> Variant {
             std::string code = a.String(0), type = a.String(1);
             EntityPtr calendar = FindCalendar(m, code, type);
             if (!calendar && TrimBlanks(type) == "AVAILABLE") calendar = FindCalendar(m, code, "");
             if (!calendar) calendar = RequireCalendar(m, code, type);
             auto lines = LoadEntities(
                 m.Db(), ActualLineKind(), "calendar_code = ? AND availability_type = ?",
                 {calendar->Value("Code"), calendar->Value("AvailabilityType")}, "line_no", m.progId());
             return Variant(
                 MakeEnumeration("Calendars.ActualCalendarLineEnumeration", m.progId(), AsObjects(lines)));
         }},
    };
    return table;
}

} // namespace platform::middleware
