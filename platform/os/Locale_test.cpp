#include "platform/os/Locale.h"

#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace platform::os {
namespace {

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The process locale of the tests is the plain one, whatever the machine's user has.
        if (const char* all = std::getenv("LC_ALL")) previous_ = all, hadPrevious_ = true;
        ::setenv("LC_ALL", "C", 1);
    }
    void TearDown() override {
        if (hadPrevious_)
            ::setenv("LC_ALL", previous_.c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }
    static void Set(const char* name, const std::string& value) {
        ASSERT_TRUE(RegistrySetString(HKEY_CURRENT_USER, kInternationalKey, name, value));
    }
    TempKovaHome home;
    std::string previous_;
    bool hadPrevious_ = false;
};

TEST_F(LocaleTest, ThePlainLocaleGivesTheDefaultUsersSettings) {
    EXPECT_EQ(GetUserDefaultLCID(), 1033u);
    EXPECT_EQ(LocaleDecimalSeparator(), ".");
    EXPECT_EQ(LocaleListSeparator(), ",");
    EXPECT_EQ(LocaleAmDesignator(), "AM");
    EXPECT_EQ(LocalePmDesignator(), "PM");
    EXPECT_EQ(LocaleShortDatePattern(), "M/d/yyyy");
    EXPECT_EQ(FormatShortDate(2037, 1, 1), "1/1/2037");
}

TEST_F(LocaleTest, TheRegistryOverridesEachSetting) {
    Set("sDecimal", ",");
    EXPECT_EQ(LocaleDecimalSeparator(), ",");
    EXPECT_EQ(LocaleListSeparator(), ";"); // follows the decimal separator
    Set("sList", "|");
    EXPECT_EQ(LocaleListSeparator(), "|");
    Set("s1159", "vorm.");
    Set("s2359", ""); // an empty designator is a setting too
    EXPECT_EQ(LocaleAmDesignator(), "vorm.");
    EXPECT_EQ(LocalePmDesignator(), "");
    Set("Locale", "00000407");
    EXPECT_EQ(GetUserDefaultLCID(), 1031u);
    Set("Locale", "rubbish");
    EXPECT_EQ(GetUserDefaultLCID(), 1033u);
}

TEST_F(LocaleTest, ShortDatePatterns) {
    struct Case {
        const char* pattern;
        int year, month, day;
        const char* text;
    };
    const Case cases[] = {
        {"M/d/yyyy", 2024, 3, 7, "3/7/2024"},     {"MM/dd/yyyy", 2024, 3, 7, "03/07/2024"},
        {"dd.MM.yyyy", 2037, 1, 1, "01.01.2037"}, {"yy-MM-dd", 2005, 12, 31, "05-12-31"},
        {"d 'de' M", 1999, 11, 2, "2 de 11"},     {"yyyy''M", 1899, 12, 30, "1899'12"},
    };
    for (const auto& c : cases) {
        Set("sShortDate", c.pattern);
        EXPECT_EQ(LocaleShortDatePattern(), c.pattern);
        EXPECT_EQ(FormatShortDate(c.year, c.month, c.day), c.text) << c.pattern;
    }
}

TEST_F(LocaleTest, GetLocaleInfoFirstTellsTheLengthThenCopies) {
    Set("sList", ";");
    int32_t needed = GetLocaleInfo(GetUserDefaultLCID(), LOCALE_SLIST, nullptr, 0);
    EXPECT_EQ(needed, 2);
    std::string buffer(needed, '#');
    EXPECT_EQ(GetLocaleInfo(GetUserDefaultLCID(), LOCALE_SLIST, buffer.data(), needed), 2);
    EXPECT_EQ(buffer, std::string(";\0", 2));

    char small[2] = {'#', '#'};
    Set("s1159", "AM");
    EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_S1159, small, 2), 0);
    EXPECT_EQ(small[0], '#');
    EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, 0x9999, small, 2), 0);
}

} // namespace
} // namespace platform::os
