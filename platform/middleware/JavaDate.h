#pragma once
// The middleware's date objects (moniker "java:java.util.Date"): fields as the Java date class has them,
// year counted from 1900 and months from 0. A new object starts at "now" (settable in TestControl).
// Every setter carries over at once, as the Java class does (day 31 in a 30-day month is the 1st of
// the next month), unless TestControl turns the rollover off.
#include <string>

#include "platform/automation/Date.h"
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

inline constexpr const char* kDateMoniker = "java:java.util.Date";
inline constexpr const char* kDateClass = "java.util.Date";

class JavaDate : public StandIn<JavaDate> {
public:
    explicit JavaDate(platform::automation::Date start);
    static const platform::automation::MemberTable<JavaDate>& Members();

    // Full year, month 1-12 and the rest, as they stand.
    int year, month, day, hour, minute, second;
    // The fields as a 14-digit stamp "YYYYMMDDhhmmss".
    std::string Stamp() const;

private:
    void Set(int& field, int value);
    void Normalize();
};

// A new date object holding a 14-digit stamp; Nothing for the empty stamp.
platform::automation::Object MakeJavaDate(const std::string& stamp);
// The stamp a date object holds; empty for Nothing or an object that is no date object.
std::string JavaDateStamp(const platform::automation::Object& date);

// "YYYYMMDDhhmmss" of a date, and back (false when the text is not 14 digits).
std::string StampOf(const platform::automation::Date& date);
bool ParseStamp(const std::string& stamp, platform::automation::DateParts& parts);

} // namespace platform::middleware
