#pragma once
// One day of the standard week or one calendar exception, with up to three working intervals.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaCalendarDetail {
    int32_t EndTime3 = 0;
    int32_t EndTime2 = 0;
    int32_t StartTime3 = 0;
    int32_t StartTime2 = 0;
    platform::automation::Date CalDate;
    std::string CalDay;
    platform::automation::Date EndDate;
    platform::automation::Date StartDate;
    int32_t Endtime1 = 0;
    int32_t StartTime1 = 0;
    bool Working = false;
    std::string Code;

    static const platform::automation::PropertyTable<KovaCalendarDetail>& Properties();
};

} // namespace KovaDataObjects
