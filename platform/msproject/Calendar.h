#pragma once
// Base calendars of a plan: a standard week of working times plus exceptions by date.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation/Date.h"
#include "platform/msproject/Handle.h"

namespace platform::msproject {

namespace detail {
struct CalendarData;
struct PlanData;
} // namespace detail

class Calendar : public Handle<detail::CalendarData> {
public:
    std::string Name() const;
    // Working times of the day that contains `day`, as minutes after midnight [from, to).
    std::vector<std::pair<int32_t, int32_t>> WorkingTimes(const platform::automation::Date& day) const;
    bool IsWorkingDay(const platform::automation::Date& day) const;
    // Working minutes between two moments on this calendar (negative when `to` is earlier).
    double WorkingMinutes(const platform::automation::Date& from, const platform::automation::Date& to) const;
};

// BaseCalendars: enumerable, by position or by exact name.
class Calendars : public Handle<detail::PlanData> {
public:
    int32_t Count() const;
    Calendar Item(int32_t index) const;
    Calendar Item(std::string_view name) const; // missing: 1004
    LiveIterator<Calendars, Calendar> begin() const { return {this, 1}; }
    LiveIterator<Calendars, Calendar> end() const { return {this, 0}; }
};

} // namespace platform::msproject
