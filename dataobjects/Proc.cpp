#include "dataobjects/Proc.h"

#include <cctype>

#include "dataobjects/LibrarySupport.h"
#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Object.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kItemProgId = "KovaItem.KovaItem";
constexpr const char* kDateMoniker = "java:java.util.Date";

// The numeric value of `length` characters from the 1-based `start`; a character that is missing or
// no digit counts 0.
int DigitsAt(const std::string& text, size_t start, size_t length) {
    int value = 0;
    for (size_t i = start - 1; i < start - 1 + length; ++i) {
        int digit = i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : 0;
        value = value * 10 + digit;
    }
    return value;
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// 1-based position of `marker` in `text`, ignoring case; 0 when absent.
size_t Find(const std::string& text, const std::string& marker) {
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    size_t at = lower(text).find(lower(marker));
    return at == std::string::npos ? 0 : at + 1;
}

// Characters from the 1-based `from` up to, not including, the 1-based `to`; "" when `to` is not after it.
std::string Between(const std::string& text, size_t from, size_t to) {
    if (to <= from || from > text.size()) return {};
    return text.substr(from - 1, to - from);
}

} // namespace

std::string BuildItemCode(const std::string& item, const std::string& connector) {
    std::string project, itemPart;
    size_t dot = item.find('.');
    if (dot == std::string::npos) {
        itemPart = Trim(item);
    } else {
        project = Trim(item.substr(0, dot));
        itemPart = Trim(item.substr(dot + 1));
    }
    Object code = CreateObject(kItemProgId);
    Call(code, "Initialize", {ByVal(connector)});
    Call(code, "setKovaItemAll",
         {ByVal(itemPart), ByVal(project), ByVal(""), ByVal(""), ByVal(""), ByVal(""), ByVal("")});
    std::string result;
    Assign(result, [&] { return CStr(Call(code, "getKovaItem")); });
    code.Release();
    return result;
}

std::string FormatItemCode(const std::string& connector, const std::string& erpCode) {
    Object code = CreateObject(kItemProgId);
    Call(code, "Initialize", {ByVal(connector)});
    Call(code, "setKovaItem", {ByVal(erpCode)});
    std::string project = Trim(CStr(Call(code, "getproject")));
    std::string item = Trim(CStr(Call(code, "getItem")));
    code.Release();
    return project.empty() ? item : project + "." + item;
}

std::string DateToTimeStamp(Date date) {
    if (date.IsZero()) return {};
    DateParts p = SplitDate(date);
    return std::to_string(p.year) + TwoDigits(p.month) + TwoDigits(p.day) + TwoDigits(p.hour) +
           TwoDigits(p.minute) + TwoDigits(p.second);
}

Date TimeStampToDate(const std::string& stamp) {
    if (stamp.empty()) return NoDate;
    int year = DigitsAt(stamp, 1, 4), month = DigitsAt(stamp, 5, 2), day = DigitsAt(stamp, 7, 2);
    int hour = DigitsAt(stamp, 9, 2), minute = DigitsAt(stamp, 11, 2), second = DigitsAt(stamp, 13, 2);
    if (hour == 0 && minute == 0 && second == 0) second = 1;
    if (hour == 24 && minute == 0 && second == 0) {
        hour = 23;
        minute = 59;
        second = 59;
    }
    return Date::FromParts(year, month, day, hour, minute, second);
}

Date IsoDateToDate(const std::string& isoDate) {
    if (isoDate.empty()) return NoDate;
    return Date::FromParts(DigitsAt(isoDate, 1, 4), DigitsAt(isoDate, 6, 2), DigitsAt(isoDate, 9, 2));
}

std::string ReplaceSpecialCharacters(std::string text) {
    for (char special : std::string(",[]()"))
        for (char& c : text)
            if (c == special) c = ' ';
    return text;
}

Object TimeStampToJavaDate(const std::string& stamp) {
    if (stamp.empty()) return Object();
    auto i2 = [](int v) { return ByVal(Variant(static_cast<int16_t>(v))); };
    int year = DigitsAt(stamp, 1, 4) - 1900, month = DigitsAt(stamp, 5, 2) - 1, day = DigitsAt(stamp, 7, 2);
    Object date = GetObject(kDateMoniker);
    Call(date, "setDate", {i2(day)});
    Call(date, "setMonth", {i2(month)});
    Call(date, "setYear", {i2(year)});
    // The object starts at the current moment: setting the day first carries it into the next month when
    // the current month is too short for it (the 31st while it is February). Then the date is set again,
    // from a day that every month has. The time comes after, so that 24:00:00 still means the next day.
    if (date && (CLng(Call(date, "getDate")) != day || CLng(Call(date, "getmonth")) != month ||
                 CLng(Call(date, "getyear")) != year)) {
        Call(date, "setDate", {i2(1)});
        Call(date, "setMonth", {i2(month)});
        Call(date, "setYear", {i2(year)});
        Call(date, "setDate", {i2(day)});
    }
    Call(date, "setHours", {i2(DigitsAt(stamp, 9, 2))});
    Call(date, "setMinutes", {i2(DigitsAt(stamp, 11, 2))});
    Call(date, "setSeconds", {i2(DigitsAt(stamp, 13, 2))});
    return date;
}

std::string JavaDateToTimeStamp(const Object& javaDate) {
    // No date object is how the middleware says "no date"; it is not an error.
    if (javaDate.IsNothing()) return {};
    int32_t year = CLng(Call(javaDate, "getyear"));
    if (year <= 1) return {};
    std::string stamp =
        std::to_string(year + 1900) + TwoDigits(CLng(Call(javaDate, "getmonth")) + 1) +
        TwoDigits(CLng(Call(javaDate, "getDate"))) + TwoDigits(CLng(Call(javaDate, "gethours"))) +
        TwoDigits(CLng(Call(javaDate, "getminutes"))) + TwoDigits(CLng(Call(javaDate, "getseconds")));
    return Trim(stamp);
}

// Two forms are known:
//   "...<MessageDescription>text</MessageDescription>..." gives the text between the markers, as it is;
//   "...MessageCode= X, ActionType= ..., Error: text, FieldName= ..." gives "   X: text".
// Anything else comes back whole.
std::string ExtractErrorMessage(const std::string& text) {
    if (size_t open = Find(text, "<MessageDescription>")) {
        size_t start = open + 20;
        size_t end = Find(text, "</MessageDescription>");
        if (end > start) return Between(text, start, end);
        return text;
    }
    std::string code, error;
    size_t messageCode = Find(text, "MessageCode="), actionType = Find(text, "ActionType=");
    size_t errorAt = Find(text, "Error:"), fieldName = Find(text, "FieldName=");
    if (messageCode != 0 && actionType >= 3) code = Between(text, messageCode + 13, actionType - 2);
    if (errorAt != 0 && fieldName >= 3)
        error = Between(text, errorAt + 7, fieldName - 2);
    else
        code.clear();
    if (code.empty() && error.empty()) return text;
    return "   " + Trim(code) + ": " + Trim(error);
}

void AppendLine(const std::string& text, std::string& buffer) {
    buffer = buffer + "\r\n" + text;
}

} // namespace KovaDataObjects
