#include "platform/msproject/Calendar.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/msproject/Model.h"

namespace platform::msproject {
namespace detail {

DayDef DefaultWorkingDay() {
    return DayDef{true, {{8 * 60, 12 * 60}, {13 * 60, 17 * 60}}};
}

std::array<DayDef, 7> DefaultWeek() {
    std::array<DayDef, 7> week;
    for (int d = 1; d <= 5; ++d)
        week[d] = DefaultWorkingDay();
    return week;
}

namespace {

int64_t DayNumber(Date d) {
    return static_cast<int64_t>(std::floor(d.Serial() + 1e-9));
}

// Minutes of the day of a moment, 0..1440, rounded to the nearest second's fraction of a minute.
double MinuteOfDay(Date d, int64_t day) {
    double m = (d.Serial() - static_cast<double>(day)) * 1440.0;
    m = std::round(m * 60.0) / 60.0;
    return std::clamp(m, 0.0, 1440.0);
}

int WeekdayIndex(int64_t day) {
    // Day 0 (30 December 1899) was a Saturday; index 0 is Sunday.
    int64_t w = (day + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w);
}

Date FromDayMinute(int64_t day, double minute) {
    return Date(static_cast<double>(day) + minute / 1440.0);
}

// Working calendars that have no working time for this long are treated as having none at all.
constexpr int64_t kSearchDays = 366 * 50;

} // namespace

const DayDef& DayOf(const CalendarData& cal, int64_t day) {
    auto it = cal.exceptions.find(day);
    if (it != cal.exceptions.end()) return it->second;
    return cal.week[WeekdayIndex(day)];
}

double WorkingMinutes(const CalendarData& cal, Date from, Date to) {
    if (to < from) return -WorkingMinutes(cal, to, from);
    int64_t d0 = DayNumber(from), d1 = DayNumber(to);
    double total = 0;
    for (int64_t day = d0; day <= d1; ++day) {
        const DayDef& def = DayOf(cal, day);
        if (!def.working) continue;
        double lo = day == d0 ? MinuteOfDay(from, day) : 0;
        double hi = day == d1 ? MinuteOfDay(to, day) : 1440;
        for (const auto& s : def.shifts) {
            double a = std::max<double>(lo, s.from), b = std::min<double>(hi, s.to);
            if (b > a) total += b - a;
        }
    }
    return total;
}

Date AddWorkingMinutes(const CalendarData& cal, Date start, double minutes) {
    if (minutes <= 0) return start;
    double remaining = minutes;
    int64_t day = DayNumber(start);
    double m = MinuteOfDay(start, day);
    for (int64_t n = 0; n < kSearchDays; ++n, ++day, m = 0) {
        const DayDef& def = DayOf(cal, day);
        if (!def.working) continue;
        for (const auto& s : def.shifts) {
            if (s.to <= m) continue;
            double from = std::max<double>(m, s.from);
            double available = s.to - from;
            if (remaining <= available + 1e-9) return FromDayMinute(day, from + remaining);
            remaining -= available;
        }
    }
    Fail(kAppError, "The calendar has no working time.");
}

std::optional<int> ParseTimeText(std::string_view text, const std::string& am, const std::string& pm) {
    std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    size_t i = 0;
    auto digits = [&](int& out) {
        size_t start = i;
        out = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            out = out * 10 + (t[i++] - '0');
        return i > start;
    };
    int hour = 0, minute = 0;
    if (!digits(hour)) Fail(kAppError, "The time is not valid: " + t);
    if (i < t.size() && (t[i] == ':' || t[i] == '.')) {
        ++i;
        if (!digits(minute)) Fail(kAppError, "The time is not valid: " + t);
    }
    std::string designator = Fold(Trim(t.substr(i)));
    bool isAm = false, isPm = false;
    if (!designator.empty()) {
        if (designator == "am" || (!am.empty() && designator == Fold(am)))
            isAm = true;
        else if (designator == "pm" || (!pm.empty() && designator == Fold(pm)))
            isPm = true;
        else
            Fail(kAppError, "The time is not valid: " + t);
    }
    if (minute > 59) Fail(kAppError, "The time is not valid: " + t);
    if (isAm || isPm) {
        // "00:00 AM" is midnight as well as "12:00 AM".
        if (hour > 12) Fail(kAppError, "The time is not valid: " + t);
        if (hour == 12) hour = 0;
        if (isPm) hour += 12;
    } else if (hour > 24 || (hour == 24 && minute != 0)) {
        Fail(kAppError, "The time is not valid: " + t);
    }
    return hour * 60 + minute;
}

} // namespace detail

using namespace detail;

std::string Calendar::Name() const {
    return Guard([&] { return Live(*this).name; });
}

std::vector<std::pair<int32_t, int32_t>> Calendar::WorkingTimes(const automation::Date& day) const {
    return Guard([&] {
        std::vector<std::pair<int32_t, int32_t>> out;
        const DayDef& def = DayOf(Live(*this), static_cast<int64_t>(std::floor(day.Serial() + 1e-9)));
        if (def.working)
            for (const auto& s : def.shifts)
                out.emplace_back(s.from, s.to);
        return out;
    });
}

bool Calendar::IsWorkingDay(const automation::Date& day) const {
    return Guard([&] {
        const DayDef& def = DayOf(Live(*this), static_cast<int64_t>(std::floor(day.Serial() + 1e-9)));
        return def.working && !def.shifts.empty();
    });
}

double Calendar::WorkingMinutes(const automation::Date& from, const automation::Date& to) const {
    return Guard([&] { return detail::WorkingMinutes(Live(*this), from, to); });
}

int32_t Calendars::Count() const {
    return Guard([&] { return static_cast<int32_t>(LivePlan(*this).calendars.size()); });
}

Calendar Calendars::Item(int32_t index) const {
    return Guard([&] {
        auto& plan = LivePlan(*this);
        if (index < 1 || index > static_cast<int32_t>(plan.calendars.size()))
            Fail(kAppError, "The argument value is not valid.");
        return MakeHandle<Calendar>(plan.calendars[index - 1]);
    });
}

Calendar Calendars::Item(std::string_view name) const {
    return Guard([&] {
        auto& plan = LivePlan(*this);
        auto c = plan.CalendarByName(name);
        if (!c) Fail(kAppError, "There is no base calendar \"" + std::string(name) + "\".");
        return MakeHandle<Calendar>(c);
    });
}

} // namespace platform::msproject
