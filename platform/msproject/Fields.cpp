// Fields by name: look-up, reading and writing with the value conventions, and the row tests of
// Find and of filters.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/msproject/Model.h"

namespace platform::msproject::detail {

namespace {

enum Code {
    // shared
    cName = 1,
    cId,
    cUniqueID,
    cNotes,
    cText,
    cFlag,
    cNumber,
    cDate,
    // tasks
    cOutlineLevel,
    cStart,
    cFinish,
    cDuration,
    cMilestone,
    cSummary,
    cConstraintType,
    cConstraintDate,
    cType,
    cFixedCost,
    cCost,
    cWork,
    cActualWork,
    cPercentComplete,
    cPercentWorkComplete,
    cActualStart,
    cActualFinish,
    cEarlyStart,
    cEarlyFinish,
    cBaselineStart,
    cBaselineFinish,
    cBaselineDuration,
    cBaselineWork,
    cBaselineCost,
    cStartN,
    cFinishN,
    cResourceNames,
    // resources
    cInitials,
    cGroup,
    cEMailAddress,
    cMaxUnits,
    cStandardRate,
    cOvertimeRate,
    cCostPerUse,
    cAccrueAt,
    cBaseCalendar,
    cResourceType,
    // assignments
    cTaskID,
    cTaskUniqueID,
    cTaskName,
    cResourceID,
    cResourceUniqueID,
    cResourceName,
    cUnits,
};

struct Entry {
    const char* name;
    int code;
    FieldType type;
};

const Entry kTaskFields[] = {
    {"name", cName, FieldType::Text},
    {"id", cId, FieldType::Integer},
    {"uniqueid", cUniqueID, FieldType::Integer},
    {"notes", cNotes, FieldType::Text},
    {"outlinelevel", cOutlineLevel, FieldType::Integer},
    {"start", cStart, FieldType::Date},
    {"finish", cFinish, FieldType::Date},
    {"duration", cDuration, FieldType::Duration},
    {"milestone", cMilestone, FieldType::YesNo},
    {"summary", cSummary, FieldType::YesNo},
    {"constrainttype", cConstraintType, FieldType::Integer},
    {"constraintdate", cConstraintDate, FieldType::MaybeDate},
    {"type", cType, FieldType::Integer},
    {"fixedcost", cFixedCost, FieldType::Number},
    {"cost", cCost, FieldType::Number},
    {"work", cWork, FieldType::Work},
    {"actualwork", cActualWork, FieldType::Work},
    {"percentcomplete", cPercentComplete, FieldType::Number},
    {"%complete", cPercentComplete, FieldType::Number},
    {"percentworkcomplete", cPercentWorkComplete, FieldType::Number},
    {"%workcomplete", cPercentWorkComplete, FieldType::Number},
    {"actualstart", cActualStart, FieldType::MaybeDate},
    {"actualfinish", cActualFinish, FieldType::MaybeDate},
    {"earlystart", cEarlyStart, FieldType::Date},
    {"earlyfinish", cEarlyFinish, FieldType::Date},
    {"baselinestart", cBaselineStart, FieldType::MaybeDate},
    {"baselinefinish", cBaselineFinish, FieldType::MaybeDate},
    {"baselineduration", cBaselineDuration, FieldType::Duration},
    {"baselinework", cBaselineWork, FieldType::Work},
    {"baselinecost", cBaselineCost, FieldType::Number},
    {"resourcenames", cResourceNames, FieldType::Text},
};

const Entry kResourceFields[] = {
    {"name", cName, FieldType::Text},
    {"id", cId, FieldType::Integer},
    {"uniqueid", cUniqueID, FieldType::Integer},
    {"initials", cInitials, FieldType::Text},
    {"group", cGroup, FieldType::Text},
    {"emailaddress", cEMailAddress, FieldType::Text},
    {"maxunits", cMaxUnits, FieldType::Number},
    {"standardrate", cStandardRate, FieldType::Number},
    {"overtimerate", cOvertimeRate, FieldType::Number},
    {"costperuse", cCostPerUse, FieldType::Number},
    {"accrueat", cAccrueAt, FieldType::Integer},
    {"basecalendar", cBaseCalendar, FieldType::Text},
    {"type", cResourceType, FieldType::Integer},
};

const Entry kAssignmentFields[] = {
    {"uniqueid", cUniqueID, FieldType::Integer},
    {"taskid", cTaskID, FieldType::Integer},
    {"taskuniqueid", cTaskUniqueID, FieldType::Integer},
    {"taskname", cTaskName, FieldType::Text},
    {"resourceid", cResourceID, FieldType::Integer},
    {"resourceuniqueid", cResourceUniqueID, FieldType::Integer},
    {"resourcename", cResourceName, FieldType::Text},
    {"units", cUnits, FieldType::Number},
    {"work", cWork, FieldType::Work},
    {"actualwork", cActualWork, FieldType::Work},
    {"percentworkcomplete", cPercentWorkComplete, FieldType::Number},
    {"cost", cCost, FieldType::Number},
    {"start", cStart, FieldType::Date},
    {"finish", cFinish, FieldType::Date},
    {"actualstart", cActualStart, FieldType::MaybeDate},
    {"actualfinish", cActualFinish, FieldType::MaybeDate},
    {"notes", cNotes, FieldType::Text},
};

std::string Normalize(std::string_view name) {
    std::string out;
    for (char c : Fold(name))
        if (c != ' ' && c != '_') out += c;
    return out;
}

// "text12" -> ("text", 12)
bool SplitNumbered(const std::string& n, const char* prefix, int max, int& index) {
    size_t len = std::char_traits<char>::length(prefix);
    if (n.size() <= len || n.compare(0, len, prefix) != 0) return false;
    int v = 0;
    for (size_t i = len; i < n.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(n[i]))) return false;
        v = v * 10 + (n[i] - '0');
        if (v > 100) return false;
    }
    if (n[len] == '0' || v < 1 || v > max) return false;
    index = v - 1;
    return true;
}

void NotWritable() {
    Fail(kAppError, "This field cannot be changed.");
}

bool ToYesNo(const AppState* app, const Variant& v) {
    if (const auto* s = v.Peek<std::string>()) {
        std::string t = Trim(*s);
        const auto& words = LanguageWords(app ? app->uiLanguage : 1033);
        if (SameText(t, words[12]) || SameText(t, "Yes")) return true;
        if (SameText(t, words[13]) || SameText(t, "No")) return false;
    }
    return automation::strict::ToBoolean(v);
}

} // namespace

std::optional<FieldRef> LookupField(FieldRef::Entity entity, std::string_view name) {
    using Key = std::pair<int, std::string>;
    struct Hash {
        size_t operator()(const Key& k) const { return std::hash<std::string>()(k.second) * 3 + k.first; }
    };
    static thread_local std::unordered_map<Key, std::optional<FieldRef>, Hash> cache;
    std::string n = Normalize(name);
    Key key{entity, n};
    if (auto it = cache.find(key); it != cache.end()) return it->second;

    std::optional<FieldRef> found;
    auto make = [&](int code, int index, FieldType type) { found = FieldRef{entity, code, index, type}; };
    int index = 0;
    if (SplitNumbered(n, "text", 30, index))
        make(cText, index, FieldType::Text);
    else if (SplitNumbered(n, "flag", 20, index))
        make(cFlag, index, FieldType::YesNo);
    else if (SplitNumbered(n, "number", 20, index))
        make(cNumber, index, FieldType::Number);
    else if (SplitNumbered(n, "date", 10, index))
        make(cDate, index, FieldType::MaybeDate);
    else if (entity == FieldRef::TaskField && SplitNumbered(n, "start", 10, index))
        make(cStartN, index, FieldType::MaybeDate);
    else if (entity == FieldRef::TaskField && SplitNumbered(n, "finish", 10, index))
        make(cFinishN, index, FieldType::MaybeDate);
    else {
        auto search = [&](const auto& table) {
            for (const auto& e : table)
                if (n == e.name) make(e.code, 0, e.type);
        };
        if (entity == FieldRef::TaskField) search(kTaskFields);
        if (entity == FieldRef::ResourceField) search(kResourceFields);
        if (entity == FieldRef::AssignmentField) search(kAssignmentFields);
    }
    cache.emplace(key, found);
    return found;
}

// ---------------------------------------------------------------- tasks

Variant GetTaskField(const PlanData& plan, const TaskData& t, const FieldRef& f) {
    switch (f.code) {
    case cName: return t.level == 0 ? Variant(plan.Title()) : Variant(t.name);
    case cId: return Variant(TaskId(plan, t));
    case cUniqueID: return Variant(t.uid);
    case cNotes: return Variant(t.notes);
    case cText: return Variant(t.f.text[f.index]);
    case cFlag: return Variant(t.f.flag[f.index]);
    case cNumber: return Variant(t.f.number[f.index]);
    case cDate: return MaybeDateValue(t.f.date[f.index]);
    case cOutlineLevel: return Variant(static_cast<int16_t>(t.level));
    case cStart:
    case cEarlyStart: return Variant(TaskStart(plan, t));
    case cFinish:
    case cEarlyFinish: return Variant(TaskFinish(plan, t));
    case cDuration: return Variant(TaskDuration(plan, t));
    case cMilestone: return Variant(t.milestone);
    case cSummary: return Variant(HasChildren(plan, t));
    case cConstraintType: return Variant(t.constraintType);
    case cConstraintDate: return MaybeDateValue(t.constraintDate);
    case cType: return Variant(t.type);
    case cFixedCost: return Variant(t.fixedCost);
    case cCost: return Variant(TaskCost(plan, t));
    case cWork: return Variant(t.work);
    case cActualWork: return Variant(t.actualWork);
    case cPercentComplete: return Variant(t.percentComplete);
    case cPercentWorkComplete: return Variant(t.percentWorkComplete);
    case cActualStart: return MaybeDateValue(t.actualStart);
    case cActualFinish: return MaybeDateValue(t.actualFinish);
    case cBaselineStart: return MaybeDateValue(t.baselineStart);
    case cBaselineFinish: return MaybeDateValue(t.baselineFinish);
    case cBaselineDuration: return Variant(t.baselineDuration.value_or(0));
    case cBaselineWork: return Variant(t.baselineWork.value_or(0));
    case cBaselineCost: return Variant(t.baselineCost.value_or(0));
    case cStartN: return MaybeDateValue(t.startN[f.index]);
    case cFinishN: return MaybeDateValue(t.finishN[f.index]);
    case cResourceNames: {
        std::string names;
        for (const auto& a : t.assignments) {
            if (!a->resource) continue;
            if (!names.empty()) names += ",";
            names += a->resource->name;
        }
        return Variant(names);
    }
    }
    Fail(kAppError, "The field is not valid for tasks.");
}

namespace {

// The values the plan file's reader would refuse are refused when they are set, with its reason.
Date ScheduledDate(const Date& d) {
    if (!IsScheduleDate(d))
        Fail(kAppError, "The date " + ShownDate(d) + " is outside the dates the program schedules " +
                            kScheduleDatesText + ".");
    return d;
}
std::optional<Date> ScheduledDate(const std::optional<Date>& d) {
    if (d) ScheduledDate(*d);
    return d;
}
std::optional<Date> StoredDate(const std::optional<Date>& d) {
    if (d && !d->IsZero() && !IsStoredDate(*d)) Fail(kAppError, "The date " + ShownDate(*d) + " is not a valid date.");
    return d;
}
double FiniteNumber(double n) {
    if (!std::isfinite(n)) Fail(kAppError, "The argument value is not valid.");
    return n;
}
void CheckDuration(const Date& start, double minutes) {
    if (!(minutes >= 0 && minutes <= LatestDuration(start)))
        Fail(kAppError, "The duration cannot be negative or end after 2149-12-31.");
}

} // namespace

void SetTaskField(PlanData& plan, TaskData& t, const FieldRef& f, const Variant& v) {
    if (t.level == 0) Fail(kAppError, "The project summary task cannot be changed.");
    const auto& cal = *plan.ProjectCalendar();
    switch (f.code) {
    case cName: t.name = automation::strict::ToString(v); break;
    case cNotes: t.notes = automation::strict::ToString(v); break;
    case cText: t.f.text[f.index] = automation::strict::ToString(v); break;
    case cFlag: t.f.flag[f.index] = ToYesNo(plan.app, v); break;
    case cNumber: t.f.number[f.index] = FiniteNumber(automation::strict::ToDouble(v)); break;
    case cDate: t.f.date[f.index] = StoredDate(ToMaybeDate(v)); break;
    case cStart: {
        const Date start = ScheduledDate(automation::strict::ToDate(v));
        CheckDuration(start, t.duration);
        t.start = start;
        break;
    }
    case cFinish: {
        Date finish = ScheduledDate(automation::strict::ToDate(v));
        if (finish < t.start) {
            t.start = finish;
            t.duration = 0;
        } else {
            t.duration = WorkingMinutes(cal, t.start, finish);
        }
        break;
    }
    case cDuration: {
        double m = ToMinutes(plan, v, plan.defaultDurationUnits);
        if (m < 0) Fail(kAppError, "The duration cannot be negative.");
        CheckDuration(t.start, m);
        t.duration = m;
        break;
    }
    case cMilestone: t.milestone = ToYesNo(plan.app, v); break;
    case cConstraintType: {
        int32_t type = automation::strict::ToLong(v);
        if (type < 0 || type > 7) Fail(kAppError, "The argument value is not valid.");
        t.constraintType = type;
        if (type == 0 || type == 1) t.constraintDate.reset();
        if ((type == 2 || type == 4) && t.constraintDate) t.start = *t.constraintDate;
        break;
    }
    case cConstraintDate: {
        const std::optional<Date> date = ScheduledDate(ToMaybeDate(v));
        if (date && (t.constraintType == 0 || t.constraintType == 1 || t.constraintType == 2 || t.constraintType == 4))
            CheckDuration(*date, t.duration);
        t.constraintDate = date;
        if (!t.constraintDate) break;
        if (t.constraintType == 0 || t.constraintType == 1) t.constraintType = 4;
        if (t.constraintType == 2 || t.constraintType == 4) t.start = *t.constraintDate;
        break;
    }
    case cType: {
        int32_t type = automation::strict::ToLong(v);
        if (type < 0 || type > 2) Fail(kAppError, "The argument value is not valid.");
        t.type = type;
        break;
    }
    case cFixedCost: t.fixedCost = automation::strict::ToDouble(v); break;
    case cWork: t.work = ToMinutes(plan, v, plan.defaultWorkUnits); break;
    case cActualWork: t.actualWork = ToMinutes(plan, v, plan.defaultWorkUnits); break;
    case cPercentComplete:
    case cPercentWorkComplete: {
        double p = automation::strict::ToDouble(v);
        if (p < 0 || p > 100) Fail(kAppError, "The argument value is not valid.");
        (f.code == cPercentComplete ? t.percentComplete : t.percentWorkComplete) = p;
        break;
    }
    case cActualStart: t.actualStart = ScheduledDate(ToMaybeDate(v)); break;
    case cActualFinish: t.actualFinish = ScheduledDate(ToMaybeDate(v)); break;
    case cStartN: t.startN[f.index] = StoredDate(ToMaybeDate(v)); break;
    case cFinishN: t.finishN[f.index] = StoredDate(ToMaybeDate(v)); break;
    default: NotWritable();
    }
    if (f.type == FieldType::Text) FieldWritten(plan, t, f);
    plan.Touch();
}

// ---------------------------------------------------------------- resources

Variant GetResourceField(const ResourceData& r, const FieldRef& f) {
    switch (f.code) {
    case cName: return Variant(r.name);
    case cId: return Variant(r.id);
    case cUniqueID: return Variant(r.uid);
    case cText: return Variant(r.f.text[f.index]);
    case cFlag: return Variant(r.f.flag[f.index]);
    case cNumber: return Variant(r.f.number[f.index]);
    case cDate: return MaybeDateValue(r.f.date[f.index]);
    case cInitials: return Variant(r.initials);
    case cGroup: return Variant(r.group);
    case cEMailAddress: return Variant(r.emailAddress);
    case cMaxUnits: return Variant(r.maxUnits);
    case cStandardRate: return Variant(r.standardRate);
    case cOvertimeRate: return Variant(r.overtimeRate);
    case cCostPerUse: return Variant(r.costPerUse);
    case cAccrueAt: return Variant(r.accrueAt);
    case cBaseCalendar: return Variant(r.baseCalendar);
    case cResourceType: return Variant(r.type);
    }
    Fail(kAppError, "The field is not valid for resources.");
}

void SetResourceField(PlanData& plan, ResourceData& r, const FieldRef& f, const Variant& v) {
    using namespace automation::strict;
    switch (f.code) {
    case cName: r.name = ToString(v); break;
    case cText: r.f.text[f.index] = ToString(v); break;
    case cFlag: r.f.flag[f.index] = ToYesNo(plan.app, v); break;
    case cNumber: r.f.number[f.index] = FiniteNumber(ToDouble(v)); break;
    case cDate: r.f.date[f.index] = StoredDate(ToMaybeDate(v)); break;
    case cInitials: r.initials = ToString(v); break;
    case cGroup: r.group = ToString(v); break;
    case cEMailAddress: r.emailAddress = ToString(v); break;
    case cMaxUnits: {
        double m = ToDouble(v);
        if (m < 0) Fail(kAppError, "The argument value is not valid.");
        r.maxUnits = m;
        break;
    }
    case cStandardRate: r.standardRate = ToDouble(v); break;
    case cOvertimeRate: r.overtimeRate = ToDouble(v); break;
    case cCostPerUse: r.costPerUse = ToDouble(v); break;
    case cAccrueAt: {
        int32_t a = ToLong(v);
        if (a < 1 || a > 3) Fail(kAppError, "The argument value is not valid.");
        r.accrueAt = a;
        break;
    }
    case cBaseCalendar: {
        std::string name = ToString(v);
        if (!plan.CalendarByName(name)) Fail(kAppError, "There is no base calendar \"" + name + "\".");
        r.baseCalendar = name;
        break;
    }
    case cResourceType: r.type = ToLong(v); break;
    default: NotWritable();
    }
    if (f.type == FieldType::Text) FieldWritten(plan, r, f);
    plan.Touch();
}

// ---------------------------------------------------------------- assignments

Variant GetAssignmentField(const PlanData& plan, const AssignmentData& a, const FieldRef& f) {
    switch (f.code) {
    case cUniqueID: return Variant(a.uid);
    case cTaskID: return Variant(a.task ? TaskId(plan, *a.task) : 0);
    case cTaskUniqueID: return Variant(a.task ? a.task->uid : 0);
    case cTaskName: return Variant(a.task ? a.task->name : std::string());
    case cResourceID: return Variant(a.resource ? a.resource->id : 0);
    case cResourceUniqueID: return Variant(a.resource ? a.resource->uid : 0);
    case cResourceName: return Variant(a.resource ? a.resource->name : std::string());
    case cUnits: return Variant(a.units);
    case cWork: return Variant(a.work);
    case cActualWork: return Variant(a.actualWork);
    case cPercentWorkComplete: return Variant(a.percentWorkComplete);
    case cCost:
        return Variant(
            a.cost != 0
                ? a.cost
                : (a.resource ? a.work / 60.0 * a.resource->standardRate + a.resource->costPerUse : 0.0));
    case cStart: return Variant(a.start ? *a.start : (a.task ? TaskStart(plan, *a.task) : Date()));
    case cFinish: return Variant(a.finish ? *a.finish : (a.task ? TaskFinish(plan, *a.task) : Date()));
    case cActualStart: return MaybeDateValue(a.actualStart);
    case cActualFinish: return MaybeDateValue(a.actualFinish);
    case cNotes: return Variant(a.notes);
    case cText: return Variant(a.f.text[f.index]);
    case cFlag: return Variant(a.f.flag[f.index]);
    case cNumber: return Variant(a.f.number[f.index]);
    case cDate: return MaybeDateValue(a.f.date[f.index]);
    }
    Fail(kAppError, "The field is not valid for assignments.");
}

void SetAssignmentField(PlanData& plan, AssignmentData& a, const FieldRef& f, const Variant& v) {
    using namespace automation::strict;
    switch (f.code) {
    case cResourceName: {
        std::string name = ToString(v);
        auto r = plan.ResourceByName(name);
        if (!r) Fail(kAppError, "There is no resource \"" + name + "\".");
        if (r != a.resource && a.task)
            for (const auto& other : a.task->assignments)
                if (other.get() != &a && other->resource == r)
                    Fail(kAppError, "The resource is already assigned to this task.");
        a.resource = r;
        break;
    }
    case cUnits: {
        double u;
        if (const auto* s = v.Peek<std::string>())
            u = ToMinutes(plan, Variant(*s), 3);
        else
            u = ToDouble(v);
        if (u < 0) Fail(kAppError, "The argument value is not valid.");
        a.units = u;
        break;
    }
    case cWork: a.work = ToMinutes(plan, v, plan.defaultWorkUnits); break;
    case cActualWork: a.actualWork = ToMinutes(plan, v, plan.defaultWorkUnits); break;
    case cPercentWorkComplete: {
        double p = ToDouble(v);
        if (p < 0 || p > 100) Fail(kAppError, "The argument value is not valid.");
        a.percentWorkComplete = p;
        break;
    }
    case cCost: a.cost = ToDouble(v); break;
    case cStart: a.start = *StoredDate(std::optional<Date>(ToDate(v))); break;
    case cFinish: a.finish = *StoredDate(std::optional<Date>(ToDate(v))); break;
    case cActualStart: a.actualStart = StoredDate(ToMaybeDate(v)); break;
    case cActualFinish: a.actualFinish = StoredDate(ToMaybeDate(v)); break;
    case cNotes: a.notes = ToString(v); break;
    case cText: a.f.text[f.index] = ToString(v); break;
    case cFlag: a.f.flag[f.index] = ToYesNo(plan.app, v); break;
    case cNumber: a.f.number[f.index] = FiniteNumber(ToDouble(v)); break;
    case cDate: a.f.date[f.index] = StoredDate(ToMaybeDate(v)); break;
    default: NotWritable();
    }
    plan.Touch();
}

// ---------------------------------------------------------------- Find and filters

const std::array<std::string, 14>& LanguageWords(int32_t lcid) {
    static const std::array<std::string, 14> english = {"",
                                                        "equals",
                                                        "does not equal",
                                                        "is greater than",
                                                        "is greater than or equal to",
                                                        "is less than",
                                                        "is less than or equal to",
                                                        "is within",
                                                        "is not within",
                                                        "contains",
                                                        "does not contain",
                                                        "contains exactly",
                                                        "Yes",
                                                        "No"};
    static const std::array<std::string, 14> german = {"",
                                                       "Gleich",
                                                       "Ungleich",
                                                       "Größer",
                                                       "Größer oder Gleich",
                                                       "Kleiner",
                                                       "Kleiner oder Gleich",
                                                       "Innerhalb",
                                                       "Nicht innerhalb",
                                                       "Enthält",
                                                       "Enthält nicht",
                                                       "Enthält genau",
                                                       "Ja",
                                                       "Nein"};
    static const std::array<std::string, 14> spanish = {"",
                                                        "Igual a",
                                                        "Diferente de",
                                                        "Mayor que",
                                                        "Mayor o igual que",
                                                        "Menor que",
                                                        "Menor o igual que",
                                                        "Está comprendido en",
                                                        "No está comprendido en",
                                                        "Contiene",
                                                        "No contiene",
                                                        "Contiene exactamente",
                                                        "Sí",
                                                        "No"};
    static const std::array<std::string, 14> italian = {"",
                                                        "uguale a",
                                                        "diverso da",
                                                        "maggiore di",
                                                        "maggiore di o uguale a",
                                                        "minore di",
                                                        "minore di o uguale a",
                                                        "compreso tra",
                                                        "non compreso tra",
                                                        "contiene",
                                                        "non contiene",
                                                        "contiene esattamente",
                                                        "Sí",
                                                        "No"};
    static const std::array<std::string, 14> dutch = {"",
                                                      "is gelijk aan",
                                                      "is niet gelijk aan",
                                                      "is groter dan",
                                                      "is groter dan of gelijk aan",
                                                      "is kleiner dan",
                                                      "is kleiner dan of gelijk aan",
                                                      "valt binnen",
                                                      "valt niet binnen",
                                                      "bevat",
                                                      "bevat niet",
                                                      "bevat exact",
                                                      "Ja",
                                                      "Nee"};
    switch (lcid) {
    case 1031: return german;
    case 1034:
    case 3082: return spanish;
    case 1040: return italian;
    case 1043: return dutch;
    default: return english;
    }
}

int TestIndex(const std::string& test, int32_t lcid) {
    std::string t = Trim(test);
    if (t == "=") return 1;
    const auto& words = LanguageWords(lcid);
    std::string folded = Fold(t);
    for (int i = 1; i <= 11; ++i)
        if (Fold(words[i]) == folded) return i;
    Fail(kAppError, "The argument value is not valid.");
}

namespace {

bool TextTest(int test, const std::string& field, const std::string& value, bool matchCase) {
    static thread_local std::string folded; // the fold of each row without a new string
    if (!matchCase) FoldInto(field, folded);
    const std::string& a = matchCase ? field : folded;
    const std::string& b = value; // already folded unless matchCase
    switch (test) {
    case 1: return a == b;
    case 2: return a != b;
    case 3: return a > b;
    case 4: return a >= b;
    case 5: return a < b;
    case 6: return a <= b;
    case 9: return a.find(b) != std::string::npos;
    case 10: return a.find(b) == std::string::npos;
    case 11: {
        size_t start = 0;
        while (start <= a.size()) {
            size_t end = a.find_first_of(",;", start);
            if (end == std::string::npos) end = a.size();
            if (Trim(a.substr(start, end - start)) == b) return true;
            start = end + 1;
        }
        return false;
    }
    }
    return false;
}

template <class T> bool OrderTest(int test, const T& a, const T& b) {
    switch (test) {
    case 1: return a == b;
    case 2: return !(a == b);
    case 3: return a > b;
    case 4: return a >= b;
    case 5: return a < b;
    case 6: return a <= b;
    }
    return false;
}

} // namespace

bool HeldAsText(bool taskRows, const FieldRef& f) {
    if (f.code == cName || f.code == cText) return true;
    if (taskRows) return f.code == cNotes;
    return f.code == cInitials || f.code == cGroup || f.code == cEMailAddress || f.code == cBaseCalendar;
}

const std::string* TextOf(const PlanData& plan, bool taskRows, int slot, const FieldRef& f) {
    if (taskRows) {
        const TaskData& t = *plan.tasks[slot];
        switch (f.code) {
        case cName: return &t.name;
        case cNotes: return &t.notes;
        case cText: return &t.f.text[f.index];
        }
    } else {
        const ResourceData& r = *plan.resources[slot];
        switch (f.code) {
        case cName: return &r.name;
        case cText: return &r.f.text[f.index];
        case cInitials: return &r.initials;
        case cGroup: return &r.group;
        case cEMailAddress: return &r.emailAddress;
        case cBaseCalendar: return &r.baseCalendar;
        }
    }
    return nullptr;
}

RowMatcher MakeRowMatcher(const PlanData& plan, bool taskRows, const std::string& field,
                          const std::string& test, const Variant& value, bool matchCase, int32_t lcid) {
    auto ref = LookupField(taskRows ? FieldRef::TaskField : FieldRef::ResourceField, field);
    if (!ref) Fail(kAppError, "The field \"" + field + "\" is not valid in this view.");
    FieldRef f = *ref;
    int t = TestIndex(test, lcid);
    if (t == 7 || t == 8) Fail(kAppError, "The test needs a second value.");
    const PlanData* p = &plan;
    auto read = [p, taskRows, f](int slot) {
        return taskRows ? GetTaskField(*p, *p->tasks[slot], f) : GetResourceField(*p->resources[slot], f);
    };

    switch (f.type) {
    case FieldType::Text: {
        std::string wanted = automation::strict::ToString(value);
        if (!matchCase) wanted = Fold(wanted);
        return [p, taskRows, f, t, wanted, matchCase, read](int slot) {
            if (const std::string* s = TextOf(*p, taskRows, slot, f))
                return TextTest(t, *s, wanted, matchCase);
            return TextTest(t, automation::strict::ToString(read(slot)), wanted, matchCase);
        };
    }
    case FieldType::YesNo: {
        bool wanted;
        const auto& words = LanguageWords(lcid);
        if (const auto* s = value.Peek<std::string>()) {
            if (SameText(Trim(*s), words[12]))
                wanted = true;
            else if (SameText(Trim(*s), words[13]))
                wanted = false;
            else
                Fail(kAppError, "The value \"" + *s + "\" is not valid for a Yes/No field.");
        } else {
            wanted = automation::strict::ToBoolean(value);
        }
        if (t != 1 && t != 2) Fail(kAppError, "The test is not valid for a Yes/No field.");
        return [t, wanted, read](int slot) {
            bool v = automation::strict::ToBoolean(read(slot));
            return t == 1 ? v == wanted : v != wanted;
        };
    }
    case FieldType::Date:
    case FieldType::MaybeDate: {
        std::optional<Date> wanted = ToMaybeDate(value);
        return [t, wanted, read](int slot) {
            std::optional<Date> v = ToMaybeDate(read(slot));
            if (!v || !wanted) return t == 1 ? v == wanted : (t == 2 ? v != wanted : false);
            if (t >= 9) return false;
            return OrderTest(t, v->Serial(), wanted->Serial());
        };
    }
    default: {
        double wanted;
        if (f.type == FieldType::Duration)
            wanted = ToMinutes(plan, value, plan.defaultDurationUnits);
        else if (f.type == FieldType::Work)
            wanted = ToMinutes(plan, value, plan.defaultWorkUnits);
        else
            wanted = automation::strict::ToDouble(value);
        if (t >= 9) {
            std::string text = automation::NumberText(wanted);
            return [t, text, read](int slot) {
                return TextTest(t, automation::NumberText(automation::strict::ToDouble(read(slot))), text,
                                true);
            };
        }
        return [t, wanted, read](int slot) {
            return OrderTest(t, automation::strict::ToDouble(read(slot)), wanted);
        };
    }
    }
}

} // namespace platform::msproject::detail
