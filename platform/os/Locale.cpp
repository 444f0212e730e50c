#include "platform/os/Locale.h"

#include "platform/os/Registry.h"

#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace platform::os {

namespace {

// One item of the process locale.
std::string LangInfo(nl_item item) {
    locale_t loc = ::newlocale(LC_ALL_MASK, "", nullptr);
    if (!loc) loc = ::newlocale(LC_ALL_MASK, "C", nullptr);
    if (!loc) return {};
    std::string text = ::nl_langinfo_l(item, loc);
    ::freelocale(loc);
    return text;
}

bool Override(const char* name, std::string& value) {
    return RegistryGetString(HKEY_CURRENT_USER, kInternationalKey, name, value);
}

// strftime's date format in the short-date pattern language.
std::string PatternFromStrftime(const std::string& format) {
    if (format == "%m/%d/%y") return "M/d/yyyy"; // the POSIX locale: no one's choice, take the default user's
    std::string pattern;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            pattern += format[i];
            continue;
        }
        bool unpadded = false;
        char c = format[++i];
        while ((c == '-' || c == '_' || c == '0' || c == 'E' || c == 'O') && i + 1 < format.size()) {
            unpadded |= c == '-';
            c = format[++i];
        }
        switch (c) {
        case 'd': pattern += unpadded ? "d" : "dd"; break;
        case 'e': pattern += "d"; break;
        case 'm': pattern += unpadded ? "M" : "MM"; break;
        case 'y': pattern += "yy"; break;
        case 'Y': pattern += "yyyy"; break;
        case 'D': pattern += "MM/dd/yy"; break;
        case 'F': pattern += "yyyy-MM-dd"; break;
        case '%': pattern += '%'; break;
        default: break;
        }
    }
    return pattern;
}

std::string Padded(int value, size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

} // namespace

uint32_t GetUserDefaultLCID() {
    std::string text;
    if (Override("Locale", text) && !text.empty()) {
        char* end = nullptr;
        unsigned long lcid = std::strtoul(text.c_str(), &end, 16);
        if (end && *end == '\0' && lcid > 0) return static_cast<uint32_t>(lcid);
    }
    return 1033;
}

std::string LocaleDecimalSeparator() {
    std::string value;
    if (Override("sDecimal", value)) return value;
    value = LangInfo(RADIXCHAR);
    return value.empty() ? "." : value;
}

std::string LocaleListSeparator() {
    std::string value;
    if (Override("sList", value)) return value;
    return LocaleDecimalSeparator() == "," ? ";" : ",";
}

std::string LocaleAmDesignator() {
    std::string value;
    return Override("s1159", value) ? value : LangInfo(AM_STR);
}

std::string LocalePmDesignator() {
    std::string value;
    return Override("s2359", value) ? value : LangInfo(PM_STR);
}

std::string LocaleShortDatePattern() {
    std::string value;
    if (Override("sShortDate", value)) return value;
    value = PatternFromStrftime(LangInfo(D_FMT));
    return value.empty() ? "M/d/yyyy" : value;
}

std::string FormatShortDate(int year, int month, int day) {
    const std::string pattern = LocaleShortDatePattern();
    std::string text;
    for (size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'') { // quoted literal; '' inside stands for one quote
            size_t end = ++i;
            while (end < pattern.size() && pattern[end] != '\'')
                ++end;
            text += end == i ? "'" : pattern.substr(i, end - i);
            i = end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == 'd') {
            text += Padded(day, run >= 2 ? 2 : 1);
        } else if (c == 'M') {
            text += Padded(month, run >= 2 ? 2 : 1);
        } else if (c == 'y') {
            text += run >= 3 ? Padded(year, 4) : Padded(year % 100, run == 2 ? 2 : 1);
        } else {
            text.append(run, c);
        }
        i += run;
    }
    return text;
}

int32_t GetLocaleInfo(uint32_t /*lcid*/, uint32_t lcType, char* buffer, int32_t size) {
    std::string text;
    switch (lcType) {
    case LOCALE_SLIST: text = LocaleListSeparator(); break;
    case LOCALE_SDECIMAL: text = LocaleDecimalSeparator(); break;
    case LOCALE_SSHORTDATE: text = LocaleShortDatePattern(); break;
    case LOCALE_S1159: text = LocaleAmDesignator(); break;
    case LOCALE_S2359: text = LocalePmDesignator(); break;
    default: return 0;
    }
    auto needed = static_cast<int32_t>(text.size() + 1);
    if (size == 0) return needed;
    if (!buffer || size < needed) return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return needed;
}

} // namespace platform::os
