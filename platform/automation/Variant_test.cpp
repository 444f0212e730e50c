#include "platform/automation/Variant.h"

#include <gtest/gtest.h>

#include "platform/automation/Error.h"

using namespace platform::automation;

TEST(Variant, KeepsItsType) {
    EXPECT_EQ(Variant(int16_t(500)).Type(), VarType::Integer);
    EXPECT_EQ(Variant(int32_t(500)).Type(), VarType::Long);
    EXPECT_NE(Variant(int16_t(500)), Variant(int32_t(500)));
    EXPECT_EQ(Variant(500).Type(), VarType::Long);
    EXPECT_EQ(Variant(1.5f).Type(), VarType::Single);
    EXPECT_EQ(Variant("x").Type(), VarType::String);
    EXPECT_EQ(Variant().Type(), VarType::Empty);
    EXPECT_EQ(Variant::Null().Type(), VarType::Null);
    EXPECT_EQ(Variant(Date(1)).Type(), VarType::Date);
    EXPECT_EQ(Variant(Object()).Type(), VarType::Object);
    EXPECT_EQ(Variant(int64_t(5000000000)).Type(), VarType::Double);
}

struct Conversion {
    Variant input;
    enum Kind { Str, Int, Lng, Dbl, Bool } to;
    Variant expected; // Empty when an error is expected
    int32_t error;
};

TEST(Variant, ConversionsFollowTheRuntime) {
    const Conversion cases[] = {
        {true, Conversion::Str, "True", 0},
        {false, Conversion::Str, "False", 0},
        {int16_t(-7), Conversion::Str, "-7", 0},
        {0.1, Conversion::Str, "0.1", 0},
        {1e20, Conversion::Str, "1E+20", 0},
        {1.5e-7, Conversion::Str, "1.5E-07", 0},
        {2.5, Conversion::Str, "2.5", 0},
        {Variant(), Conversion::Str, "", 0},
        {Date::FromParts(2024, 3, 9), Conversion::Str, "3/9/2024", 0},
        {Date::FromParts(2024, 3, 9, 14, 5, 0), Conversion::Str, "3/9/2024 2:05:00 PM", 0},
        {2.5, Conversion::Int, int16_t(2), 0},
        {3.5, Conversion::Int, int16_t(4), 0},
        {-2.5, Conversion::Int, int16_t(-2), 0},
        {" 12 ", Conversion::Int, int16_t(12), 0},
        {"1.5", Conversion::Int, int16_t(2), 0},
        {true, Conversion::Int, int16_t(-1), 0},
        {"&HFFFF", Conversion::Int, int16_t(-1), 0},
        {32768, Conversion::Int, Variant(), 6},
        {"abc", Conversion::Int, Variant(), 13},
        {"", Conversion::Lng, Variant(), 13},
        {"123456", Conversion::Lng, int32_t(123456), 0},
        {4.5, Conversion::Lng, int32_t(4), 0},
        {3e9, Conversion::Lng, Variant(), 6},
        {Variant(), Conversion::Lng, int32_t(0), 0},
        {"1E3", Conversion::Dbl, 1000.0, 0},
        {"-0.25", Conversion::Dbl, -0.25, 0},
        {"12a", Conversion::Dbl, Variant(), 13},
        {"true", Conversion::Bool, true, 0},
        {"False", Conversion::Bool, false, 0},
        {"0", Conversion::Bool, false, 0},
        {"-3", Conversion::Bool, true, 0},
        {2.0, Conversion::Bool, true, 0},
        {"yes", Conversion::Bool, Variant(), 13},
        {Variant::Null(), Conversion::Str, Variant(), 94},
    };
    for (const auto& c : cases) {
        Err().Clear();
        Variant got;
        switch (c.to) {
        case Conversion::Str: got = CStr(c.input); break;
        case Conversion::Int: got = CInt(c.input); break;
        case Conversion::Lng: got = CLng(c.input); break;
        case Conversion::Dbl: got = CDbl(c.input); break;
        case Conversion::Bool: got = CBool(c.input); break;
        }
        SCOPED_TRACE(CStr(c.input) + " case, expected error " + std::to_string(c.error));
        EXPECT_EQ(Err().Number, c.error);
        if (c.error == 0) {
            EXPECT_EQ(got, c.expected);
        }
    }
    Err().Clear();
    CInt(40000);
    EXPECT_EQ(Err().Description, "Overflow");
    CLng("x");
    EXPECT_EQ(Err().Description, "Type mismatch");
    Err().Clear();
}

TEST(Variant, SingleTextUsesSevenDigits) {
    EXPECT_EQ(CStr(Variant(0.1f)), "0.1");
    EXPECT_EQ(CStr(Variant(1.0f / 3.0f)), "0.3333333");
}

TEST(Variant, DatesFromText) {
    const std::pair<const char*, Date> cases[] = {
        {"2037-01-01", Date::FromParts(2037, 1, 1)},
        {"01-01-2037", Date::FromParts(2037, 1, 1)},
        {"12/31/2024", Date::FromParts(2024, 12, 31)},
        {"31/12/2024", Date::FromParts(2024, 12, 31)},
        {"3/9/2024 2:05:00 PM", Date::FromParts(2024, 3, 9, 14, 5, 0)},
        {"2024-03-09 08:30", Date::FromParts(2024, 3, 9, 8, 30, 0)},
        {"12:00 AM", Date(0.0)},
        {"6:00 PM", Date(0.75)},
    };
    for (const auto& [text, expected] : cases) {
        Err().Clear();
        EXPECT_EQ(CDate(text), expected) << text;
        EXPECT_EQ(Err().Number, 0) << text;
    }
    CDate("2024-02-30");
    EXPECT_EQ(Err().Number, 13);
    Err().Clear();
    EXPECT_EQ(CDate(45000), Date(45000));
    // Text written by CStr reads back as the same date.
    Date d = Date::FromParts(2031, 11, 5, 23, 59, 58);
    EXPECT_EQ(CDate(CStr(d)), d);
}

TEST(Variant, ValReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(Val(" 1 2.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(Val("-3.25"), -3.25);
    EXPECT_DOUBLE_EQ(Val("abc"), 0.0);
    EXPECT_DOUBLE_EQ(Val("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(Val("2.5.1"), 2.5);
}
