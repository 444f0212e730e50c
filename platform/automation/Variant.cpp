#include "platform/automation/Variant.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/automation/Error.h"

namespace platform::automation {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool IEquals(const std::string& a, const char* b) {
    size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Numeric text as the runtime reads it: blanks around, sign, digits with one ".", exponent, or &H / &O.
bool ParseNumber(const std::string& raw, double& out) {
    std::string s = Trim(raw);
    if (s.empty()) return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        char* end = nullptr;
        unsigned long long v = std::strtoull(s.c_str() + 2, &end, base);
        if (*end != '\0' && *end != '&') return false;
        // Hex literals of up to four digits are 16-bit values, up to eight 32-bit ones.
        size_t digits = static_cast<size_t>(end - (s.c_str() + 2));
        if (base == 16 && digits <= 4)
            out = static_cast<int16_t>(static_cast<uint16_t>(v));
        else if (v <= 0xFFFFFFFFull)
            out = static_cast<int32_t>(static_cast<uint32_t>(v));
        else
            return false;
        return true;
    }
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            ++j;
            expDigits = true;
        }
        if (!expDigits) return false;
        i = j;
    }
    if (i != s.size()) return false;
    std::string copy = s;
    for (char& c : copy)
        if (c == 'd' || c == 'D') c = 'e';
    out = std::strtod(copy.c_str(), nullptr);
    return true;
}

double RoundHalfEven(double v) {
    return std::nearbyint(v);
} // default rounding mode is to nearest even

[[noreturn]] void Mismatch() {
    throw AutomationError(errors::TypeMismatch);
}
[[noreturn]] void Overflow() {
    throw AutomationError(errors::Overflow);
}

template <class F> auto Recording(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const AutomationError& e) {
        Err().Raise(e.number, e.source, e.description);
        return decltype(f()){};
    }
}

} // namespace

Currency Currency::FromDouble(double value) {
    double scaled = RoundHalfEven(value * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) Overflow();
    return Currency{static_cast<int64_t>(scaled)};
}

Variant::Variant(int64_t l) {
    if (l >= std::numeric_limits<int32_t>::min() && l <= std::numeric_limits<int32_t>::max())
        v_ = static_cast<int32_t>(l);
    else
        v_ = static_cast<double>(l);
}

VarType Variant::Type() const {
    static constexpr VarType kinds[] = {VarType::Empty, VarType::Null,   VarType::Boolean, VarType::Integer,
                                        VarType::Long,  VarType::Single, VarType::Double,  VarType::Currency,
                                        VarType::Date,  VarType::String, VarType::Object};
    return kinds[v_.index()];
}

bool Variant::IsNumeric() const {
    switch (Type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency: return true;
    case VarType::String: {
        double d;
        return ParseNumber(*Peek<std::string>(), d);
    }
    default: return false;
    }
}

std::string NumberText(double value, int significantDigits) {
    if (value == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", significantDigits, value);
    std::string s = buf;
    auto e = s.find('E');
    std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    if (e == std::string::npos) return mantissa;
    // The runtime writes at least two exponent digits with an explicit sign: 1E+20, 1.5E-07.
    std::string exp = s.substr(e + 1);
    char sign = '+';
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) {
        sign = exp[0];
        exp = exp.substr(1);
    }
    while (exp.size() > 2 && exp[0] == '0')
        exp = exp.substr(1);
    if (exp.size() < 2) exp = "0" + exp;
    return mantissa + "E" + sign + exp;
}

std::string DateText(const Date& date) {
    auto p = SplitDate(date);
    char buf[48];
    std::string datePart, timePart;
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", p.month, p.day, p.year);
    datePart = buf;
    int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
    timePart = buf;
    bool hasTime = date.TimePart() != 0.0;
    bool hasDate = date.DatePart().Serial() != 0.0;
    if (!hasDate && hasTime) return timePart;
    if (!hasTime) return datePart;
    return datePart + " " + timePart;
}

bool ParseDateText(const std::string& raw, Date& out) {
    std::string s = Trim(raw);
    if (s.empty()) return false;
    int a = 0, b = 0, c = 0, h = 0, mi = 0, sec = 0;
    char s1 = 0, s2 = 0;
    int consumed = 0;
    bool haveDate = false;
    if (std::sscanf(s.c_str(), "%d%c%d%c%d%n", &a, &s1, &b, &s2, &c, &consumed) == 5 && s1 == s2 &&
        (s1 == '-' || s1 == '/' || s1 == '.')) {
        int year, month, day;
        if (a > 31) { // yyyy-mm-dd
            year = a;
            month = b;
            day = c;
        } else if (s1 == '.') { // d.m.yyyy
            day = a;
            month = b;
            year = c;
        } else { // m/d/yyyy, swapped when the first cannot be a month
            month = a;
            day = b;
            year = c;
            if (month > 12 && day <= 12) std::swap(month, day);
        }
        if (year < 100) year += year < 30 ? 2000 : 1900;
        if (month < 1 || month > 12 || day < 1 || day > 31) return false;
        Date d = Date::FromParts(year, month, day);
        if (d.Month() != month) return false; // 31 April and the like
        out = d;
        haveDate = true;
        s = Trim(s.substr(static_cast<size_t>(consumed)));
        if (!s.empty() && (s[0] == 'T' || s[0] == 't')) s = s.substr(1);
        if (s.empty()) return true;
    }
    int n = 0;
    if (std::sscanf(s.c_str(), "%d:%d%n", &h, &mi, &n) < 2) return false;
    std::string rest = s.substr(static_cast<size_t>(n));
    if (!rest.empty() && rest[0] == ':') {
        int m2 = 0;
        if (std::sscanf(rest.c_str(), ":%d%n", &sec, &m2) < 1) return false;
        rest = rest.substr(static_cast<size_t>(m2));
    }
    rest = Trim(rest);
    if (IEquals(rest, "PM")) {
        if (h < 1 || h > 12) return false;
        if (h != 12) h += 12;
    } else if (IEquals(rest, "AM")) {
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
    } else if (!rest.empty()) {
        return false;
    }
    if (h > 23 || mi > 59 || sec > 59 || h < 0 || mi < 0 || sec < 0) return false;
    double time = (h * 3600 + mi * 60 + sec) / 86400.0;
    out = haveDate ? Date(out.Serial() + time) : Date(time);
    return true;
}

double Val(const std::string& text) {
    std::string digits;
    size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
    bool point = false, any = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t') continue;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            any = true;
        } else if (c == '.' && !point) {
            digits += c;
            point = true;
        } else {
            break;
        }
    }
    if (!any) return 0.0;
    return std::strtod(digits.c_str(), nullptr);
}

namespace strict {

std::string ToString(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return "";
    case VarType::Null: throw AutomationError(94);
    case VarType::Boolean: return *v.Peek<bool>() ? "True" : "False";
    case VarType::Integer: return std::to_string(*v.Peek<int16_t>());
    case VarType::Long: return std::to_string(*v.Peek<int32_t>());
    case VarType::Single: return NumberText(*v.Peek<float>(), 7);
    case VarType::Double: return NumberText(*v.Peek<double>(), 15);
    case VarType::Currency: return NumberText(v.Peek<Currency>()->ToDouble(), 19);
    case VarType::Date: return DateText(*v.Peek<Date>());
    case VarType::String: return *v.Peek<std::string>();
    case VarType::Object: Mismatch();
    }
    Mismatch();
}

double ToDouble(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: return 0.0;
    case VarType::Null: throw AutomationError(94);
    case VarType::Boolean: return *v.Peek<bool>() ? -1.0 : 0.0;
    case VarType::Integer: return *v.Peek<int16_t>();
    case VarType::Long: return *v.Peek<int32_t>();
    case VarType::Single: return *v.Peek<float>();
    case VarType::Double: return *v.Peek<double>();
    case VarType::Currency: return v.Peek<Currency>()->ToDouble();
    case VarType::Date: return v.Peek<Date>()->Serial();
    case VarType::String: {
        const std::string& s = *v.Peek<std::string>();
        double d;
        if (ParseNumber(s, d)) return d;
        std::string t = Trim(s);
        if (IEquals(t, "True")) return -1.0;
        if (IEquals(t, "False")) return 0.0;
        Date date;
        if (ParseDateText(s, date)) return date.Serial();
        Mismatch();
    }
    case VarType::Object: Mismatch();
    }
    Mismatch();
}

int16_t ToInteger(const Variant& v) {
    if (auto p = v.Peek<int16_t>()) return *p;
    double d = RoundHalfEven(ToDouble(v));
    if (!(d >= -32768.0 && d <= 32767.0)) Overflow();
    return static_cast<int16_t>(d);
}

int32_t ToLong(const Variant& v) {
    if (auto p = v.Peek<int32_t>()) return *p;
    double d = RoundHalfEven(ToDouble(v));
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) Overflow();
    return static_cast<int32_t>(d);
}

float ToSingle(const Variant& v) {
    if (auto p = v.Peek<float>()) return *p;
    double d = ToDouble(v);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) Overflow();
    return static_cast<float>(d);
}

Currency ToCurrency(const Variant& v) {
    if (auto p = v.Peek<Currency>()) return *p;
    return Currency::FromDouble(ToDouble(v));
}

bool ToBoolean(const Variant& v) {
    switch (v.Type()) {
    case VarType::Boolean: return *v.Peek<bool>();
    case VarType::String: {
        std::string t = Trim(*v.Peek<std::string>());
        if (IEquals(t, "True")) return true;
        if (IEquals(t, "False")) return false;
        double d;
        if (ParseNumber(t, d)) return d != 0.0;
        Mismatch();
    }
    default: return ToDouble(v) != 0.0;
    }
}

Date ToDate(const Variant& v) {
    switch (v.Type()) {
    case VarType::Date: return *v.Peek<Date>();
    case VarType::String: {
        Date d;
        if (ParseDateText(*v.Peek<std::string>(), d)) return d;
        double n;
        if (ParseNumber(*v.Peek<std::string>(), n)) return Date(n);
        Mismatch();
    }
    case VarType::Boolean: Mismatch();
    default: {
        double d = ToDouble(v);
        if (!(d >= -657434.0 && d < 2958466.0)) Overflow(); // years 100 to 9999
        return Date(d);
    }
    }
}

Object ToObject(const Variant& v) {
    if (auto p = v.Peek<Object>()) return *p;
    if (v.IsEmpty()) return Object();
    Mismatch();
}

} // namespace strict

std::string CStr(const Variant& v) {
    return Recording([&] { return strict::ToString(v); });
}
int16_t CInt(const Variant& v) {
    return Recording([&] { return strict::ToInteger(v); });
}
int32_t CLng(const Variant& v) {
    return Recording([&] { return strict::ToLong(v); });
}
float CSng(const Variant& v) {
    return Recording([&] { return strict::ToSingle(v); });
}
double CDbl(const Variant& v) {
    return Recording([&] { return strict::ToDouble(v); });
}
Currency CCur(const Variant& v) {
    return Recording([&] { return strict::ToCurrency(v); });
}
bool CBool(const Variant& v) {
    return Recording([&] { return strict::ToBoolean(v); });
}
Date CDate(const Variant& v) {
    return Recording([&] { return strict::ToDate(v); });
}

} // namespace platform::automation
