#include "platform/os/PrivateProfile.h"

#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace platform::os {
namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        auto path = (home.path() / name).string();
        EXPECT_TRUE(WriteFileAtomically(path, text));
        return path;
    }
    TempKovaHome home;
};

TEST_F(PrivateProfileTest, LookupRules) {
    const std::string file = Write("KovaMsP.ini", "Version=outside any section\r\n"
                                                  "[Other]\r\n"
                                                  "Version=9.9\r\n"
                                                  "  [ KovaMsPMeridane ]  \r\n"
                                                  "; a comment line\r\n"
                                                  "  Version  =   5.1.2.7   \r\n"
                                                  "Solution=\"  quoted value  \"\r\n"
                                                  "Single='x'\r\n"
                                                  "Nested=\"\"twice\"\"\r\n"
                                                  "Lopsided=\"open\r\n"
                                                  "Empty=\r\n"
                                                  "Version=second one\r\n"
                                                  "Umlaut=Gr\xFC\xDF"
                                                  "e\r\n"
                                                  "[kovamspmeridane]\r\n"
                                                  "Late=never read\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"KovaMsPMeridane", "Version", "5.1.2.7"},
        {"KOVAMSPMERIDANE", "version", "5.1.2.7"},
        {"Other", "Version", "9.9"},
        {"KovaMsPMeridane", "Solution", "  quoted value  "},
        {"KovaMsPMeridane", "Single", "x"},
        {"KovaMsPMeridane", "Nested", "\"twice\""},
        {"KovaMsPMeridane", "Lopsided", "\"open"},
        {"KovaMsPMeridane", "Empty", ""},
        {"KovaMsPMeridane", "Umlaut", "Grüße"},
        {"KovaMsPMeridane", "Missing", "default"},
        {"KovaMsPMeridane", "Late", "default"}, // only the first section of a name counts
        {"Nowhere", "Version", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "default", file), c.expected)
            << c.section << "/" << c.key;
}

TEST_F(PrivateProfileTest, LineFeedsAloneAndMissingFiles) {
    const std::string file = Write("unix.ini", "[S]\nKey=value\nOther=2");
    EXPECT_EQ(GetPrivateProfileString("s", "key", "", file), "value");
    EXPECT_EQ(GetPrivateProfileString("s", "other", "", file), "2");
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "fallback  ", (home.path() / "none.ini").string()),
              "fallback");
}

TEST_F(PrivateProfileTest, TheBufferHoldsAtMostSizeLessOneBytes) {
    const std::string file = Write("b.ini", "[S]\r\nKey=abcdef\r\nWide=a\xFC\r\n");
    struct Case {
        const char* key;
        uint32_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"Key", 100, "abcdef"}, {"Key", 7, "abcdef"}, {"Key", 6, "abcde"},
        {"Key", 1, ""},         {"Wide", 3, "a"}, // "ü" takes two bytes in UTF-8 and is not cut in two
        {"Wide", 4, "aü"},      {"Nope", 3, "de"},
    };
    for (const auto& c : cases) {
        char buffer[100];
        std::memset(buffer, '#', sizeof buffer);
        uint32_t copied = GetPrivateProfileString("S", c.key, "default", buffer, c.size, file);
        EXPECT_EQ(std::string(buffer), c.expected) << c.key << " " << c.size;
        EXPECT_EQ(copied, std::strlen(c.expected)) << c.key << " " << c.size;
    }
}

} // namespace
} // namespace platform::os
