#include "dataobjects/KovaCalendarDetail.h"

namespace KovaDataObjects {

const platform::automation::PropertyTable<KovaCalendarDetail>& KovaCalendarDetail::Properties() {
    static const platform::automation::PropertyTable<KovaCalendarDetail> table = {
        {"EndTime3", &KovaCalendarDetail::EndTime3},     {"EndTime2", &KovaCalendarDetail::EndTime2},
        {"StartTime3", &KovaCalendarDetail::StartTime3}, {"StartTime2", &KovaCalendarDetail::StartTime2},
        {"CalDate", &KovaCalendarDetail::CalDate},       {"CalDay", &KovaCalendarDetail::CalDay},
        {"EndDate", &KovaCalendarDetail::EndDate},       {"StartDate", &KovaCalendarDetail::StartDate},
        {"Endtime1", &KovaCalendarDetail::Endtime1},     {"StartTime1", &KovaCalendarDetail::StartTime1},
        {"Working", &KovaCalendarDetail::Working},       {"Code", &KovaCalendarDetail::Code},
    };
    return table;
}

} // namespace KovaDataObjects
