#include "platform/middleware/JavaDate.h"

#include <cstdio>

#include "platform/middleware/TestControl.h"

namespace platform::middleware {

using namespace platform::automation;

JavaDate::JavaDate(Date start) : StandIn(kDateClass, kDateMoniker) {
    DateParts p = SplitDate(start);
    year = p.year;
    month = p.month;
    day = p.day;
    hour = p.hour;
    minute = p.minute;
    second = p.second;
}

void JavaDate::Set(int& field, int value) {
    field = value;
    if (TestControl::Instance().DateRollover()) Normalize();
}

void JavaDate::Normalize() {
    DateParts p = SplitDate(Date::FromParts(year, month, day, hour, minute, second));
    year = p.year;
    month = p.month;
    day = p.day;
    hour = p.hour;
    minute = p.minute;
    second = p.second;
}

std::string JavaDate::Stamp() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second);
    return buf;
}

const MemberTable<JavaDate>& JavaDate::Members() {
    using D = JavaDate;
    auto setter = [](int D::*field, int offset) {
        return [field, offset](D& d, CallArgs& a) -> Variant {
            d.Set(d.*field, a.Long(0) + offset);
            return Variant();
        };
    };
    auto getter = [](int D::*field, int offset) {
        return [field, offset](D& d, CallArgs&) -> Variant { return Variant(int32_t(d.*field - offset)); };
    };
    static const MemberTable<D> table = {
        {"setDate", setter(&D::day, 0)},
        {"setMonth", setter(&D::month, 1)},
        {"setYear", setter(&D::year, 1900)},
        {"setHours", setter(&D::hour, 0)},
        {"setMinutes", setter(&D::minute, 0)},
        {"setSeconds", setter(&D::second, 0)},
        {"getYear", getter(&D::year, 1900)},
        {"getMonth", getter(&D::month, 1)},
        {"getDate", getter(&D::day, 0)},
        {"getHours", getter(&D::hour, 0)},
        {"getMinutes", getter(&D::minute, 0)},
        {"getSeconds", getter(&D::second, 0)},
        // Day of the week, 0 = Sunday.
        {"getDay",
         [](D& d, CallArgs&) -> Variant {
             return Variant(int32_t(Date::FromParts(d.year, d.month, d.day).Weekday() - 1));
         }},
        {"toString", [](D& d, CallArgs&) -> Variant { return d.Stamp(); }},
    };
    return table;
}

std::string StampOf(const Date& date) {
    DateParts p = SplitDate(date);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buf;
}

bool ParseStamp(const std::string& stamp, DateParts& parts) {
    if (stamp.size() != 14) return false;
    for (char c : stamp)
        if (c < '0' || c > '9') return false;
    auto field = [&](size_t at, size_t len) { return std::stoi(stamp.substr(at, len)); };
    parts = {field(0, 4), field(4, 2), field(6, 2), field(8, 2), field(10, 2), field(12, 2)};
    return true;
}

Object MakeJavaDate(const std::string& stamp) {
    DateParts p;
    if (!ParseStamp(stamp, p)) return Object();
    auto date = std::make_shared<JavaDate>(Date());
    date->year = p.year;
    date->month = p.month;
    date->day = p.day;
    date->hour = p.hour;
    date->minute = p.minute;
    date->second = p.second;
    return Object(date);
}

std::string JavaDateStamp(const Object& date) {
    auto d = date.As<JavaDate>();
    return d ? d->Stamp() : std::string();
}

} // namespace platform::middleware
