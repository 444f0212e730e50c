#pragma once
// The library's start routine and its library-wide variables (one set per process, shared by every
// object of the library).
#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"

namespace KovaDataObjects {

// The middleware manager of the method that runs; set at its start, cleared at its end.
extern platform::automation::Object CurrentManager;
// The set, enumeration or link object the running method got from its manager.
extern platform::automation::Object CurrentList;
// The zero date (30 December 1899 00:00:00) that stands for no date.
inline constexpr platform::automation::Date NoDate{};

// Runs when the library is loaded: returns at once when a client loaded it (`startedByCom`); started on
// its own it tells the user that it cannot run so.
void Main(bool startedByCom);

} // namespace KovaDataObjects
