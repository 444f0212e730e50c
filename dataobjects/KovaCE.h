#pragma once
// One charge element of the plan's charge breakdown structure.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaCE {
    bool EVasMileStone = false;
    bool StandAlone = false;
    double PercentComplete = 0;
    platform::automation::Date ActualFinish;
    platform::automation::Date ActualStart;
    std::string SCECode;
    int32_t SeqNumber = 0;
    std::string OBSelement;
    int32_t Duration = 0;
    int16_t AccessMode = 0;
    int16_t CEType = 0;
    platform::automation::Date FinishDate;
    platform::automation::Date StartDate;
    std::string Plan;
    std::string Project;
    std::string CEParent;
    bool Milestone = false;
    bool Connectable = false;
    std::string CEDescription;
    std::string CECode;

    static const platform::automation::PropertyTable<KovaCE>& Properties();
};

} // namespace KovaDataObjects
