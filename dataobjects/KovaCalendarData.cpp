#include "dataobjects/KovaCalendarData.h"

#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kCalendarManager = "Calendars.CalendarManager";
constexpr const char* kAvailabilityTypeManager = "AvailabilityType.AvailabilityTypeManager";
constexpr const char* kNoCalendarManager = "CalendarManager Object could not be created";
constexpr const char* kNoAvailabilityTypeManager = "Availability Type Manager Object could not be created";
constexpr const char* kNoAvailabilityTypeList = "Availability Type List could not be created";
constexpr const char* kNoCalendarList = "Calendars List could not be created";
constexpr const char* kDefaultAvailability = "AVAILABLE";
constexpr int16_t kCalendarPageSize = 500;

const char* const kWeekDays[] = {"1", "2", "3", "4", "5", "6", "7"};

bool ContainsAvailable(const std::string& type) {
    return type.find(kDefaultAvailability) != std::string::npos;
}

} // namespace

OptionalCollection<KovaData> KovaCalendarData::getAvailabilityType(std::string& /*BOIConnector*/) {
    Err().Clear();
    Collection<KovaData> types;
    CurrentManager = CreateObject(kAvailabilityTypeManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoAvailabilityTypeManager);
    } else if (CurrentManager) {
        CurrentList = ObjectOf(Call(CurrentManager, "List", {ByVal(""), ByVal("zzzz")}));
        if (Err().Number != 0) {
            RaiseAbove(kNoAvailabilityTypeList);
        } else if (CurrentList) {
            for (const Object& element : ReadEnumeration(CurrentList)) {
                auto type = std::make_shared<KovaData>();
                Assign(type->Code, [&] { return Trim(CStr(Call(element, "getAvailabilityType"))); });
                Assign(type->Description, [&] { return Trim(CStr(Call(element, "Description"))); });
                types.push_back(type);
            }
        }
        Call(CurrentManager, "releaseAll");
        // The manager and its enumeration stay in the library variables until the next method.
    }
    if (types.empty()) return std::nullopt;
    return types;
}

OptionalCollection<KovaCalendarDetail>
KovaCalendarData::getStandardCalendarDetails(std::string& /*BOIConnector*/, std::string strAvailabilityType) {
    Err().Clear();
    CurrentManager = CreateObject(kCalendarManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoCalendarManager);
        return std::nullopt;
    }
    Variant type = strAvailabilityType;
    Object week = ObjectOf(Call(CurrentManager, "showStandardCalendar", {ByRef(type)}));
    if (Err().Number != 0) {
        Err().Raise(Err().Number + 100, kLibrarySource,
                    std::string("ERROR ") + "Availability Type : " + strAvailabilityType + "\r\n" +
                        ExtractErrorMessage(Err().Description));
        return std::nullopt;
    }
    Object lines = ObjectOf(Call(week, "getStandardCalendarReference"));
    Collection<KovaCalendarDetail> details;
    int32_t size = 0;
    Assign(size, [&] { return CLng(Call(lines, "sizeStandardCalendar")); });
    for (int32_t i = 0; i < size; ++i) {
        Variant index = i;
        Object line = ObjectOf(Call(lines, "getStandardCalendarAt", {ByRef(index)}));
        std::string day;
        Assign(day, [&] { return Trim(CStr(Call(line, "getDayName"))); });
        std::shared_ptr<KovaCalendarDetail> found;
        for (const auto& d : details)
            if (d->CalDay == day) found = d;
        if (!found) {
            auto detail = std::make_shared<KovaCalendarDetail>();
            Assign(detail->Code, [&] { return Trim(CStr(Call(line, "getAvailabilityType"))); });
            detail->CalDay = day;
            Assign(detail->StartTime1, [&] { return CLng(Call(line, "getStartTime")); });
            Assign(detail->Endtime1, [&] { return CLng(Call(line, "getEndTime")); });
            detail->Working = true;
            details.push_back(detail);
            continue;
        }
        KovaCalendarDetail& d = *found;
        int32_t start = 0, end = 0;
        Assign(start, [&] { return CLng(Call(line, "getStartTime")); });
        Assign(end, [&] { return CLng(Call(line, "getEndTime")); });
        if (d.StartTime1 != 0 && d.StartTime2 == 0) {
            d.StartTime2 = start;
            d.EndTime2 = end;
        } else if (d.StartTime2 != 0 && d.StartTime3 == 0) {
            d.StartTime3 = start;
            d.EndTime3 = end;
        } else if (d.StartTime3 != 0) {
            // The third interval reaches to the end of the latest one.
            d.EndTime3 = end;
        }
    }
    if (details.size() < 7) {
        for (const char* name : kWeekDays) {
            bool present = false;
            for (const auto& d : details)
                if (d->CalDay == name) present = true;
            if (present) continue;
            auto missing = std::make_shared<KovaCalendarDetail>();
            missing->CalDay = name;
            missing->Working = false;
            details.push_back(missing);
        }
    }
    CurrentManager.Release();
    return details;
}

void KovaCalendarData::getCalendarList(std::string& BOIConnector) {
    Err().Clear();
    Object manager = CreateObject(kCalendarManager);
    CurrentManager = manager;
    // Any error, also a negative one, means there is no manager to list with.
    if (Err().Number != 0) {
        RaiseAbove(kNoCalendarManager);
        return;
    }
    Calendars = Collection<KovaCalendar>();
    Variant callId = int32_t(0);
    Variant flag = std::string("N");
    // A calendar that cannot be read completely does not end the listing: its failure is kept and
    // reported once the last page is read, so that the other calendars still arrive.
    ErrObject readFailure;
    bool requestFailed = false;
    while (CStr(flag) != "Y") {
        if (Err().Number != 0) {
            readFailure = Err();
            Err().Clear();
        }
        Object set = ObjectOf(Call(manager, "listCalendarSelectionForESP",
                                   {ByVal(kCalendarPageSize), ByRef(callId), ByRef(flag)}));
        if (Err().Number != 0) {
            RaiseAbove(kNoCalendarList);
            flag = std::string("Y");
            requestFailed = true;
            break;
        }
        // A middleware that answers nothing without an error has nothing more to give.
        if (set.IsNothing()) break;
        Assign(callId, [&] { return Variant(CLng(Call(set, "getCallId"))); });
        Assign(flag, [&] { return Variant(Trim(CStr(Call(set, "getSetComplete")))); });
        Object list = ObjectOf(Call(set, "getCalendarSelectionForESPListReference"));
        if (list.IsNothing() || Err().Number != 0) continue;
        int32_t size = 0;
        Assign(size, [&] { return CLng(Call(list, "sizeCalendarCodes")); });
        for (int32_t i = 0; i < size; ++i) {
            Variant index = i;
            Object element = ObjectOf(Call(list, "getCalendarCodesAt", {ByRef(index)}));
            auto calendar = std::make_shared<KovaCalendar>();
            KovaCalendar& c = *calendar;
            Assign(c.Code, [&] { return Trim(CStr(Call(element, "getCalendarCode"))); });
            Assign(c.AvailabilityType, [&] { return Trim(CStr(Call(element, "getAvailabilityType"))); });
            if (c.AvailabilityType.empty()) c.AvailabilityType = kDefaultAvailability;
            Assign(c.StartDate, [&] { return IsoDateToDate(CStr(Call(element, "getStartDate"))); });
            Assign(c.EndDate, [&] { return IsoDateToDate(CStr(Call(element, "getEndDate"))); });
            Assign(c.ParentCalendar, [&] { return Trim(CStr(Call(element, "getParentCalendar"))); });
            if (c.ParentCalendar.empty()) {
                c.CalendarCodeInMsP = Trim("C" + c.AvailabilityType + "." + c.Code);
            } else {
                // The derivation clears the error state when it starts; a failure of this record's
                // reads before it is kept.
                ErrObject before = Err();
                std::string path = getDerivationPath(BOIConnector, c.Code, c.AvailabilityType);
                if (Err().Number == 0) Err() = before;
                c.ParentCalendar = Trim(path);
                c.CalendarCodeInMsP = Trim(c.ParentCalendar + "." + c.Code);
            }
            Calendars->push_back(calendar);
        }
    }
    // A failure on a page that a further request followed is reported as the list failure, as that
    // request's test would; one on the last page stays as the failing call left it.
    if (!requestFailed && readFailure.Number != 0) {
        Err() = readFailure;
        RaiseAbove(kNoCalendarList);
    }
    // No releaseAll: the manager stays in CurrentManager unless a derivation request has cleared it.
}

std::string KovaCalendarData::getDerivationPath(std::string& /*BOIConnector*/, std::string strCalendarCode,
                                                std::string strAvailabilityType) {
    Err().Clear();
    std::string path;
    std::string requestType = ContainsAvailable(strAvailabilityType) ? "" : strAvailabilityType;
    CurrentManager = CreateObject(kCalendarManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoCalendarManager);
    } else {
        Variant code = strCalendarCode;
        Variant type = requestType;
        Object answer = ObjectOf(Call(CurrentManager, "getDerivationPath", {ByRef(code), ByRef(type)}));
        Object steps;
        if (Err().Number == 0 || answer) steps = ObjectOf(Call(answer, "getDerivationPathReference"));
        if (steps && (Err().Number == 0 || steps)) {
            int32_t size = 0;
            Assign(size, [&] { return CLng(Call(steps, "sizeAvailabilityTypesByCalendar")); });
            for (int32_t i = 0; i < size; ++i) {
                Variant index = i;
                Object step = ObjectOf(Call(steps, "getAvailabilityTypesByCalendarAt", {ByRef(index)}));
                std::string parent;
                if (!Assign(parent, [&] { return CStr(Call(step, "getParentCalendar")); })) continue;
                if (i == 0 || path.empty())
                    path = Trim(parent);
                else
                    path = Trim(path) + "." + parent;
            }
        }
    }
    CurrentManager.Release();
    if (path.empty()) return "";
    // The prefix is the caller's own type, also for the default one ("AVAILABLE"), so that the path is
    // the name the parent calendar was given: "CAVAILABLE.<code>".
    return Trim("C" + strAvailabilityType + "." + path);
}

const MemberTable<KovaCalendarData>& KovaCalendarData::Members() {
    using K = KovaCalendarData;
    static const MemberTable<K> table = {
        {"getCalendarList",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             k.getCalendarList(connector);
             return Variant();
         }},
        {"getDerivationPath",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0, "");
             return k.getDerivationPath(connector, a.String(1, ""), a.String(2, ""));
         }},
    };
    return table;
}

} // namespace KovaDataObjects
