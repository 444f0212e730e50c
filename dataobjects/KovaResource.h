#pragma once
// This Object reprsents a Generic Kova Cost OBject or Resource.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaResource {
    std::string Email;
    std::string Project;
    std::string ResourceNameInMsP;
    std::string ResourceCodeInMsP;
    float StandardRate = 0;
    int32_t AvailableUnits = 0;
    std::string Unit;
    std::string Calendar;
    std::string Description;
    std::string Code;

    static const platform::automation::PropertyTable<KovaResource>& Properties();
};

} // namespace KovaDataObjects
