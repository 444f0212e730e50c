#pragma once
// The user's locale: taken from the process locale (LANG, LC_*), each setting overridable in the
// registry stand-in under HKEY_CURRENT_USER "Control Panel\International" (text values "sList",
// "sDecimal", "s1159", "s2359", "sShortDate", and "Locale" as hexadecimal text such as "00000407"),
// where Windows keeps them too. Text is UTF-8.
#include <cstdint>
#include <string>

namespace platform::os {

inline constexpr const char* kInternationalKey = "Control Panel\\International";

inline constexpr uint32_t LOCALE_USER_DEFAULT = 0x0400;
inline constexpr uint32_t LOCALE_SLIST = 0x0C;
inline constexpr uint32_t LOCALE_SDECIMAL = 0x0E;
inline constexpr uint32_t LOCALE_SSHORTDATE = 0x1F;
inline constexpr uint32_t LOCALE_S1159 = 0x28;
inline constexpr uint32_t LOCALE_S2359 = 0x29;

// 1033 unless the registry says otherwise.
uint32_t GetUserDefaultLCID();
// Shaped like the call of the same name: with `size` 0 it returns the length the text needs
// (terminating zero included); otherwise it copies the text and returns that length, or 0 when the
// buffer is too small or the kind is unknown. Every locale id answers with the user's settings.
int32_t GetLocaleInfo(uint32_t lcid, uint32_t lcType, char* buffer, int32_t size);

// ";" when the decimal separator is ",", else ",".
std::string LocaleListSeparator();
std::string LocaleDecimalSeparator();
std::string LocaleAmDesignator();
std::string LocalePmDesignator();
// A pattern of d, dd, M, MM, yy, yyyy and literal text ("M/d/yyyy"); the process's "C" locale
// counts as the default user's.
std::string LocaleShortDatePattern();
// A date in the user's short date form.
std::string FormatShortDate(int year, int month, int day);

} // namespace platform::os
