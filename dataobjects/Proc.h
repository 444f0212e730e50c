#pragma once
// Shared routines of the library: item codes, time stamps, the middleware's date objects, the scrub of
// special characters, the reduction of middleware error texts, line appending.
//
// A time stamp is 14 digits, YYYYMMDDhhmmss; the empty text means no date.
#include <string>

#include "platform/automation/Date.h"
#include "platform/automation/Variant.h"

namespace KovaDataObjects {

// "P.ITEM" (or "ITEM") to the ERP's item code, through the middleware's item-code object; "" when the
// object cannot be created.
std::string BuildItemCode(const std::string& item, const std::string& connector);
// The ERP's item code back to "P.ITEM", or "ITEM" for a standard item.
std::string FormatItemCode(const std::string& connector, const std::string& erpCode);

std::string DateToTimeStamp(platform::automation::Date date);
// Reading shifts midnight to one second past it, and 24:00:00 to 23:59:59 of the same day.
platform::automation::Date TimeStampToDate(const std::string& stamp);
// "YYYY-MM-DD" to that day at 00:00:00 (the empty text gives the zero date).
platform::automation::Date IsoDateToDate(const std::string& isoDate);
// Each of , [ ] ( ) becomes one blank.
std::string ReplaceSpecialCharacters(std::string text);
// A new middleware date object holding the stamp, or Nothing for the empty stamp.
platform::automation::Object TimeStampToJavaDate(const std::string& stamp);
// The stamp of a middleware date object; "" for Nothing, a failing object or a year up to 1901.
std::string JavaDateToTimeStamp(const platform::automation::Object& javaDate);
// The readable part of a middleware error text (see the .cpp for the forms it knows).
std::string ExtractErrorMessage(const std::string& text);
// buffer = buffer & CRLF & text.
void AppendLine(const std::string& text, std::string& buffer);

} // namespace KovaDataObjects
