#pragma once
// Variant: an automation value that keeps its type, with the conversions of the automation runtime.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "platform/automation/Date.h"

namespace platform::automation {

class Dispatch;

// A shared reference to an automation object; an empty reference is Nothing.
class Object {
public:
    Object() = default;
    Object(std::nullptr_t) {}
    explicit Object(std::shared_ptr<Dispatch> target) : target_(std::move(target)) {}

    bool IsNothing() const { return !target_; }
    explicit operator bool() const { return static_cast<bool>(target_); }
    Dispatch* get() const { return target_.get(); }
    const std::shared_ptr<Dispatch>& shared() const { return target_; }
    void Release() { target_.reset(); }

    // Late-bound calls; defined in Object.h (include it to call members).
    template <class T> std::shared_ptr<T> As() const { return std::dynamic_pointer_cast<T>(target_); }

    friend bool operator==(const Object& a, const Object& b) { return a.target_ == b.target_; }

private:
    std::shared_ptr<Dispatch> target_;
};

// Currency: a fixed-point number with four decimals, kept as an integer of ten-thousandths.
struct Currency {
    int64_t scaled = 0;
    static Currency FromDouble(double value);
    double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
    friend bool operator==(const Currency&, const Currency&) = default;
};

struct NullValue {
    friend bool operator==(const NullValue&, const NullValue&) = default;
};

// Type numbers as the automation runtime's VarType reports them.
enum class VarType : int16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11,
};

class Variant {
public:
    Variant() = default;
    Variant(NullValue) : v_(NullValue{}) {}
    Variant(bool b) : v_(b) {}
    Variant(int16_t i) : v_(i) {}
    Variant(int32_t l) : v_(l) {}
    Variant(float f) : v_(f) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(Date d) : v_(d) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(std::string_view s) : v_(std::string(s)) {}
    Variant(Object o) : v_(std::move(o)) {}
    // Plain int and 64-bit literals would be ambiguous; they become Long (or Double when too large).
    Variant(int64_t l);
    template <class T>
    requires std::is_same_v<T, long> &&(!std::is_same_v<long, int64_t>)Variant(T l)
        : Variant(static_cast<int64_t>(l)) {}

    static Variant Null() { return Variant(NullValue{}); }

    VarType Type() const;
    bool IsEmpty() const { return v_.index() == 0; }
    bool IsNull() const { return std::holds_alternative<NullValue>(v_); }
    bool IsObject() const { return std::holds_alternative<Object>(v_); }
    bool IsString() const { return std::holds_alternative<std::string>(v_); }
    bool IsNumeric() const; // numbers, Boolean, Empty and numeric text, as IsNumeric does

    // Direct access when the type is known; nullptr otherwise.
    template <class T> const T* Peek() const { return std::get_if<T>(&v_); }

    friend bool operator==(const Variant& a, const Variant& b) = default;

private:
    std::variant<std::monostate, NullValue, bool, int16_t, int32_t, float, double, Currency, Date,
                 std::string, Object>
        v_;
};

// Conversions that throw AutomationError (13 "Type mismatch", 6 "Overflow", 94 "Invalid use of Null");
// for stand-in code that runs inside a call which records the error.
namespace strict {
std::string ToString(const Variant& v);
int16_t ToInteger(const Variant& v);
int32_t ToLong(const Variant& v);
float ToSingle(const Variant& v);
double ToDouble(const Variant& v);
Currency ToCurrency(const Variant& v);
bool ToBoolean(const Variant& v);
Date ToDate(const Variant& v);
Object ToObject(const Variant& v);
} // namespace strict

// The runtime's conversion functions: a failure is recorded in Err() and a neutral value returned.
std::string CStr(const Variant& v);
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
float CSng(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
bool CBool(const Variant& v);
Date CDate(const Variant& v);

// Val: the leading number of a text with "." as decimal point, blanks ignored; 0 when there is none.
double Val(const std::string& text);

// Text of a number the way CStr writes it (up to 15 significant digits, no trailing zeros).
std::string NumberText(double value, int significantDigits = 15);
// Text of a date the way CStr writes it: "M/d/yyyy", "h:mm:ss AM" or both.
std::string DateText(const Date& date);
// Reads a date from text: "yyyy-mm-dd", "m/d/yyyy", "m-d-yyyy", "d.m.yyyy", optionally with a time
// "h:mm[:ss] [AM|PM]"; false when the text is not a date.
bool ParseDateText(const std::string& text, Date& out);

} // namespace platform::automation
