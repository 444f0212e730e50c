#pragma once
// The automation date: days since 30 December 1899 as a double, the fraction being the time of day.
// The zero date (0.0) means "no date" throughout the system.
#include <cstdint>
#include <string>

namespace platform::automation {

class Date {
public:
    constexpr Date() = default;
    constexpr explicit Date(double serial) : serial_(serial) {}

    // Builds a date from its parts with carry-over in every part, as DateSerial and TimeSerial do:
    // month 13 is January of the next year, day 0 the last day of the month before, minute 60 the next hour.
    static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static Date Now();
    static Date Today();
    static constexpr Date Zero() { return Date(); }

    constexpr double Serial() const { return serial_; }
    constexpr bool IsZero() const { return serial_ == 0.0; }

    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;
    int Weekday() const; // 1 = Sunday ... 7 = Saturday

    Date DatePart() const;   // the day at midnight
    double TimePart() const; // fraction of the day, 0 <= t < 1

    Date AddDays(double days) const;
    Date AddSeconds(double seconds) const;
    // Whole days from this date to `other` (ignoring the time of day).
    int32_t DaysUntil(const Date& other) const;

    // "yyyy-mm-dd hh:mm:ss", the form used in stored files and logs.
    std::string Iso() const;

    friend constexpr bool operator==(const Date& a, const Date& b) = default;
    friend constexpr auto operator<=>(const Date& a, const Date& b) = default;

private:
    double serial_ = 0.0;
};

struct DateParts {
    int year, month, day, hour, minute, second;
};
DateParts SplitDate(const Date& date);

} // namespace platform::automation
