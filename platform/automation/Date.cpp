#include "platform/automation/Date.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace platform::automation {
namespace {

// Days since 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kEpochOffset = 25569; // 1970-01-01 as an automation day number

// Day number and seconds within the day. Before the epoch the serial's fraction still counts
// forward from midnight (-1.25 is 29 December 1899, 06:00).
// Serials beyond the automation date's range (years 100 to 9999) are taken as its first or last
// moment, so that no arithmetic on them overflows.
constexpr double kFirstSerial = -657434.0;
constexpr double kLastSerial = 2958465.0 + 86399.0 / 86400.0;

void Split(double serial, int64_t& day, int64_t& seconds) {
    if (std::isnan(serial)) serial = 0;
    serial = std::clamp(serial, kFirstSerial, kLastSerial);
    double whole = std::trunc(serial);
    double frac = std::fabs(serial - whole);
    seconds = std::llround(frac * 86400.0);
    day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += serial < 0 ? -1 : 1;
    }
}

double Join(int64_t day, int64_t seconds) {
    double frac = static_cast<double>(seconds) / 86400.0;
    return day < 0 ? static_cast<double>(day) - frac : static_cast<double>(day) + frac;
}

} // namespace

Date Date::FromParts(int year, int month, int day, int hour, int minute, int second) {
    int64_t m0 = static_cast<int64_t>(month) - 1;
    int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    int64_t m = ((m0 % 12) + 12) % 12 + 1;
    int64_t days = DaysFromCivil(y, m, 1) + kEpochOffset + (day - 1);
    int64_t secs = static_cast<int64_t>(hour) * 3600 + static_cast<int64_t>(minute) * 60 + second;
    int64_t carry = secs >= 0 ? secs / 86400 : (secs - 86399) / 86400;
    days += carry;
    secs -= carry * 86400;
    return Date(Join(days, secs));
}

Date Date::Now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                     local.tm_sec);
}

Date Date::Today() {
    return Now().DatePart();
}

DateParts SplitDate(const Date& date) {
    int64_t day, secs;
    Split(date.Serial(), day, secs);
    DateParts p{};
    CivilFromDays(day - kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

int Date::Year() const {
    return SplitDate(*this).year;
}
int Date::Month() const {
    return SplitDate(*this).month;
}
int Date::Day() const {
    return SplitDate(*this).day;
}
int Date::Hour() const {
    return SplitDate(*this).hour;
}
int Date::Minute() const {
    return SplitDate(*this).minute;
}
int Date::Second() const {
    return SplitDate(*this).second;
}

int Date::Weekday() const {
    int64_t day, secs;
    Split(serial_, day, secs);
    // 30 December 1899 was a Saturday (7).
    int64_t w = ((day + 6) % 7 + 7) % 7;
    return static_cast<int>(w) + 1;
}

Date Date::DatePart() const {
    int64_t day, secs;
    Split(serial_, day, secs);
    return Date(static_cast<double>(day));
}

double Date::TimePart() const {
    int64_t day, secs;
    Split(serial_, day, secs);
    return static_cast<double>(secs) / 86400.0;
}

Date Date::AddDays(double days) const {
    return AddSeconds(days * 86400.0);
}

Date Date::AddSeconds(double seconds) const {
    int64_t day, secs;
    Split(serial_, day, secs);
    // Beyond the whole range either way the result is the range's end.
    constexpr double span = (kLastSerial - kFirstSerial + 1) * 86400.0;
    int64_t total = day * 86400 + secs + std::llround(std::isnan(seconds) ? 0.0 : std::clamp(seconds, -span, span));
    int64_t d = total >= 0 ? total / 86400 : (total - 86399) / 86400;
    return Date(Join(d, total - d * 86400));
}

int32_t Date::DaysUntil(const Date& other) const {
    int64_t a, b, s;
    Split(serial_, a, s);
    Split(other.serial_, b, s);
    return static_cast<int32_t>(b - a);
}

std::string Date::Iso() const {
    auto p = SplitDate(*this);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buf;
}

} // namespace platform::automation
