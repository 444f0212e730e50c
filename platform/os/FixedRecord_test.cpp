#include "platform/os/FixedRecord.h"

#include "platform/automation/Error.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

using platform::automation::Err;

TEST(FixedRecord, TextIsConvertedThenPaddedOrCut) {
    struct Case {
        const char* utf8;
        size_t width;
        std::string bytes;
    };
    const Case cases[] = {
        {"abc", 5, "abc  "},
        {"abcdefgh", 5, "abcde"},
        {"", 3, "   "},
        {"Größe", 4, "Gr\xF6\xDF"}, // four characters: the UTF-8 form would be six bytes
        {"Kostenstelle ä", 14, "Kostenstelle \xE4"},
        {"日本x", 4, "??x "},
    };
    for (const auto& c : cases) {
        FixedRecord record(c.width + 2);
        record.SetText({1, c.width}, c.utf8);
        EXPECT_EQ(record.Bytes(), std::string(1, '\0') + c.bytes + std::string(1, '\0')) << c.utf8;
    }
}

TEST(FixedRecord, TextReadsBackAsUtf8WithItsPadding) {
    FixedRecord record(12);
    record.SetText({0, 8}, "Maß");
    EXPECT_EQ(record.Text({0, 8}), "Maß     ");
    EXPECT_EQ(record.Text({8, 4}), std::string(4, '\0'));
}

TEST(FixedRecord, IntegersAreSixteenBitLittleEndian) {
    const std::pair<int16_t, std::string> cases[] = {
        {-1, "\xFF\xFF"},    {0, std::string(2, '\0')},
        {300, "\x2C\x01"},   {-32768, std::string("\x00\x80", 2)},
        {32767, "\xFF\x7F"},
    };
    for (const auto& [value, bytes] : cases) {
        FixedRecord record(4);
        record.SetInteger({1, 2}, value);
        EXPECT_EQ(record.Bytes().substr(1, 2), bytes) << value;
        EXPECT_EQ(record.Integer({1, 2}), value);
    }
}

TEST(FixedRecord, FieldsNotSetAgainKeepWhatTheLastRecordLeft) {
    FixedRecord record(20);
    record.SetText({0, 8}, "CE1");
    record.SetText({8, 12}, "First one");
    record.SetText({0, 8}, ".");
    EXPECT_EQ(record.Text({0, 8}), ".       ");
    EXPECT_EQ(record.Text({8, 12}), "First one   ");
}

TEST(FixedRecord, AFieldOutsideTheRecordIsAnError) {
    FixedRecord record(10);
    Err().Clear();
    record.SetText({8, 3}, "abc");
    EXPECT_EQ(Err().Number, 9);
    EXPECT_EQ(record.Bytes(), std::string(10, '\0'));
    Err().Clear();
    record.SetInteger({9, 2}, 1);
    EXPECT_EQ(Err().Number, 9);
    EXPECT_EQ(record.Bytes(), std::string(10, '\0'));
}

} // namespace
} // namespace platform::os
