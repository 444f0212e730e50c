#include "dataobjects/KovaCalendar.h"

#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kCalendarManager = "Calendars.CalendarManager";
constexpr const char* kNoCalendarManager = "CalendarManager Object could not be created";
constexpr const char* kNoExceptionList = "Exception List could not be Retreived for the Calendar";
constexpr int16_t kExceptionPageSize = 1000;

// Adds a line's interval to a day or date that already has one: into the first free pair after the
// first; a day with three gets nothing more.
void AddSecondOrThirdInterval(KovaCalendarDetail& detail, int32_t start, int32_t end) {
    if (detail.StartTime1 != 0 && detail.StartTime2 == 0) {
        detail.StartTime2 = start;
        detail.EndTime2 = end;
    } else if (detail.StartTime2 != 0 && detail.StartTime3 == 0) {
        detail.StartTime3 = start;
        detail.EndTime3 = end;
    }
}

} // namespace

OptionalCollection<KovaCalendarDetail> KovaCalendar::getCalendarExceptions(std::string /*BOIConnector*/,
                                                                           KovaCalendar& objKovaCalendar) {
    Err().Clear();
    CurrentManager = CreateObject(kCalendarManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoCalendarManager);
        return std::nullopt;
    }
    Object manager = CurrentManager;
    Collection<KovaCalendarDetail> details;
    auto current = std::make_shared<KovaCalendarDetail>();
    bool pending = false;
    Date lastDate = NoDate;
    int intervals = 0;
    Variant callId = int32_t(0);
    Variant flag = std::string("N");
    const std::string code = objKovaCalendar.Code;
    const std::string requestType = objKovaCalendar.AvailabilityType.find("AVAILABLE") != std::string::npos
                                        ? ""
                                        : objKovaCalendar.AvailabilityType;

    // A line that cannot be read does not end the listing: its failure is kept and reported once the
    // last page is read, so that the calendar's other dates still arrive.
    ErrObject lineFailure;
    bool requestFailed = false;
    while (CStr(flag) != "Y") {
        if (Err().Number != 0) {
            lineFailure = Err();
            Err().Clear();
        }
        Variant type = requestType;
        Object set =
            ObjectOf(Call(manager, "getCalendarException",
                          {ByVal(code), ByRef(type), ByVal(kExceptionPageSize), ByRef(callId), ByRef(flag)}));
        if (Err().Number != 0) {
            RaiseAbove(kNoExceptionList);
            flag = std::string("Y");
            requestFailed = true;
            break;
        }
        // A middleware that answers nothing without an error has nothing more to give.
        if (set.IsNothing()) break;
        Assign(callId, [&] { return Variant(CLng(Call(set, "getCallId"))); });
        Assign(flag, [&] { return Variant(Trim(CStr(Call(set, "getSetComplete")))); });
        Object page = ObjectOf(Call(set, "getCalendarExceptionReference"));
        int32_t size = 0;
        Assign(size, [&] { return CLng(Call(page, "sizeCalendarLines")); });
        for (int32_t i = 0; i < size; ++i) {
            Variant index = i;
            Object line = ObjectOf(Call(page, "getCalendarLinesAt", {ByRef(index)}));
            Date date = NoDate;
            Assign(date, [&] { return IsoDateToDate(Trim(CStr(Call(line, "getDate")))); });
            if (date != lastDate) {
                if (pending) {
                    details.push_back(current);
                    current = std::make_shared<KovaCalendarDetail>();
                }
                pending = true;
                lastDate = date;
                intervals = 0;
            }
            ++intervals;
            KovaCalendarDetail& d = *current;
            Assign(d.Code, [&] { return Trim(CStr(Call(line, "getCalendar"))); });
            d.CalDate = date;
            Assign(d.Working, [&] { return CLng(Call(line, "getWorking")) == 1; });
            int32_t* starts[] = {&d.StartTime1, &d.StartTime2, &d.StartTime3};
            int32_t* ends[] = {&d.Endtime1, &d.EndTime2, &d.EndTime3};
            if (intervals <= 3) {
                Assign(*starts[intervals - 1], [&] { return CLng(Call(line, "getStartTime")); });
                Assign(*ends[intervals - 1], [&] { return CLng(Call(line, "getEndTime")); });
            }
            d.StartDate = date;
            d.EndDate = date;
        }
    }
    if (pending) details.push_back(current);
    // A failure on a page that a further request followed is reported as the list failure, as that
    // request's test would; one on the last page stays as the failing call left it.
    if (!requestFailed && lineFailure.Number != 0) {
        Err() = lineFailure;
        RaiseAbove(kNoExceptionList);
    }
    manager.Release();
    CurrentManager.Release();
    return details;
}

OptionalCollection<KovaCalendarDetail> KovaCalendar::getActualCalendarDetails(std::string /*BOIConnector*/) {
    Err().Clear();
    CurrentManager = CreateObject(kCalendarManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoCalendarManager);
        return std::nullopt;
    }
    Object manager = CurrentManager;
    OptionalCollection<KovaCalendarDetail> result;
    CurrentList = ObjectOf(Call(manager, "showActualCalendarLine", {ByVal(Code), ByVal(AvailabilityType)}));
    if (Err().Number != 0) {
        RaiseAbove(kNoExceptionList);
    } else if (CurrentList) {
        std::vector<Object> lines = ReadEnumeration(CurrentList);
        result = Collection<KovaCalendarDetail>();
        for (const Object& line : lines) {
            // A line takes part when it belongs to this calendar's availability type; a line without a
            // type belongs to the default one, which the library calls "AVAILABLE".
            std::string lineType;
            if (!Assign(lineType, [&] { return Trim(CStr(Call(line, "getAvailabilityType"))); })) continue;
            if (lineType.empty()) lineType = "AVAILABLE";
            if (lineType != AvailabilityType) continue;
            Date start = NoDate;
            Assign(start, [&] { return IsoDateToDate(Trim(CStr(Call(line, "getStartDate")))); });
            std::shared_ptr<KovaCalendarDetail> found;
            for (const auto& d : *result)
                if (d->StartDate == start) found = d;
            int32_t startTime = 0, endTime = 0;
            Assign(startTime, [&] { return CLng(Call(line, "getStartTime")); });
            Assign(endTime, [&] { return CLng(Call(line, "getEndTime")); });
            if (found) {
                AddSecondOrThirdInterval(*found, startTime, endTime);
                continue;
            }
            auto detail = std::make_shared<KovaCalendarDetail>();
            Assign(detail->Code, [&] { return Trim(CStr(Call(line, "getCalendar"))); });
            detail->StartDate = start;
            Assign(detail->EndDate, [&] { return IsoDateToDate(Trim(CStr(Call(line, "getEndDate")))); });
            detail->StartTime1 = startTime;
            detail->Endtime1 = endTime;
            detail->Working = true;
            result->push_back(detail);
        }
    }
    Call(manager, "releaseAll");
    manager.Release();
    CurrentManager.Release();
    // The enumeration stays in CurrentList until the next method replaces it.
    return result;
}

const MemberTable<KovaCalendar>& KovaCalendar::Members() {
    using K = KovaCalendar;
    auto text = [](std::string K::*field) {
        return std::pair{
            typename MemberTable<K>::Handler([field](K& k, CallArgs&) -> Variant { return k.*field; }),
            typename MemberTable<K>::Handler([field](K& k, CallArgs& a) -> Variant {
                k.*field = strict::ToString(a.Value());
                return Variant();
            })};
    };
    auto date = [](Date K::*field) {
        return std::pair{
            typename MemberTable<K>::Handler([field](K& k, CallArgs&) -> Variant { return k.*field; }),
            typename MemberTable<K>::Handler([field](K& k, CallArgs& a) -> Variant {
                k.*field = strict::ToDate(a.Value());
                return Variant();
            })};
    };
    static const auto codeInMsP = text(&K::CalendarCodeInMsP), parent = text(&K::ParentCalendar),
                      type = text(&K::AvailabilityType), code = text(&K::Code);
    static const auto start = date(&K::StartDate), end = date(&K::EndDate);
    static const MemberTable<K> table = {
        {"CalendarCodeInMsP", CallKind::PropertyLet, codeInMsP.second},
        {"CalendarCodeInMsP", codeInMsP.first},
        {"ParentCalendar", CallKind::PropertyLet, parent.second},
        {"ParentCalendar", parent.first},
        {"AvailabilityType", CallKind::PropertyLet, type.second},
        {"AvailabilityType", type.first},
        {"StartDate", CallKind::PropertyLet, start.second},
        {"StartDate", start.first},
        {"EndDate", CallKind::PropertyLet, end.second},
        {"EndDate", end.first},
        {"Details", [](K&, CallArgs&) -> Variant { return Variant(Object()); }},
        {"Code", CallKind::PropertyLet, code.second},
        {"Code", code.first},
    };
    return table;
}

} // namespace KovaDataObjects
