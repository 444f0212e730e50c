#pragma once
// A general code-number-description record.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaData {
    std::string Description;
    int32_t Number = 0;
    std::string Code;

    static const platform::automation::PropertyTable<KovaData>& Properties();
};

} // namespace KovaDataObjects
