#include "platform/os/Windows1252.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

TEST(Windows1252, ConvertsEachCharacterToOneByte) {
    struct Case {
        const char* utf8;
        std::string bytes;
    };
    const Case cases[] = {
        {"plain ASCII", "plain ASCII"},
        {"Größe", "Gr\xF6\xDF"
                  "e"},
        {"Ausführungsplanung á í", "Ausf\xFChrungsplanung \xE1 \xED"},
        {"€ – „quoted“ ™ Ÿ", "\x80 \x96 \x84quoted\x93 \x99 \x9F"},
        {"日本", "??"},          // three-byte characters the code page lacks
        {"a😀b", "a?b"},          // four-byte character
        {"x\xC3", "x?"},         // cut-off sequence
        {"\xE2\x82", "??"},      // cut-off three-byte sequence
        {"\xC0\xAF", "??"},      // overlong encoding
        {"\xED\xA0\x80", "???"}, // surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.bytes) << c.utf8;
}

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_EQ(Utf8ToWindows1252(utf8), all);
    EXPECT_EQ(Windows1252ToUtf8("\x80\xF6\xDF"), "€öß");
}

} // namespace
} // namespace platform::os
