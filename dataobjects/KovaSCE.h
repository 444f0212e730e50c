#pragma once
// One standard charge element; callers read it by name as well.
// A property bag: every property stores and returns its value unchanged; a new record holds empty
// texts, zeros, the zero date and False. The property table, in interface order, lets it answer by name.
#include <cstdint>
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/RecordObject.h"

namespace KovaDataObjects {

struct KovaSCE {
    std::string SCEType;
    std::string Description;
    std::string Code;

    static const platform::automation::PropertyTable<KovaSCE>& Properties();
};

} // namespace KovaDataObjects
