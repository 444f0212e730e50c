#include "platform/middleware/JavaDate.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/KovaItem.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

class JavaDateTest : public ::testing::Test {
protected:
    TestBackend erp;
    Object Fresh() { return GetObject(kDateMoniker); }
    static void Set(const Object& d, const char* member, int value) {
        Call(d, member, {ByVal(Variant(static_cast<int16_t>(value)))});
    }
};

TEST_F(JavaDateTest, StartsAtTheSettableNowWithJavaFields) {
    erp.Control().SetNow(Date::FromParts(2024, 3, 9, 14, 5, 59));
    Object d = Fresh();
    ASSERT_FALSE(d.IsNothing());
    EXPECT_EQ(CLng(Call(d, "getyear")), 124);
    EXPECT_EQ(CLng(Call(d, "getmonth")), 2) << "months count from 0";
    EXPECT_EQ(CLng(Call(d, "getDate")), 9);
    EXPECT_EQ(CLng(Call(d, "gethours")), 14);
    EXPECT_EQ(CLng(Call(d, "getminutes")), 5);
    EXPECT_EQ(CLng(Call(d, "getseconds")), 59);
    EXPECT_EQ(CLng(Call(d, "getDay")), 6) << "a Saturday";
}

TEST_F(JavaDateTest, SettersCarryOverAtOnceUnlessRolloverIsOff) {
    erp.Control().SetNow(Date::FromParts(2023, 2, 10));
    Object d = Fresh();
    Set(d, "setDate", 31); // 31 February 2023 is 3 March
    EXPECT_EQ(CLng(Call(d, "getmonth")), 2);
    EXPECT_EQ(CLng(Call(d, "getDate")), 3);
    Set(d, "setHours", 24);
    EXPECT_EQ(JavaDateStamp(d), "20230304000000");

    erp.Control().SetDateRollover(false);
    Object raw = Fresh();
    Set(raw, "setHours", 24);
    EXPECT_EQ(CLng(Call(raw, "gethours")), 24);
}

TEST_F(JavaDateTest, StampsGoInAndOut) {
    EXPECT_TRUE(MakeJavaDate("").IsNothing());
    EXPECT_TRUE(MakeJavaDate("2024").IsNothing());
    Object d = MakeJavaDate("20241231235958");
    EXPECT_EQ(CLng(Call(d, "getyear")), 124);
    EXPECT_EQ(CLng(Call(d, "getmonth")), 11);
    EXPECT_EQ(JavaDateStamp(d), "20241231235958");
    EXPECT_EQ(JavaDateStamp(Object()), "");
    EXPECT_EQ(StampOf(Date::FromParts(2024, 2, 29, 7, 8, 9)), "20240229070809");
}

TEST(KovaItemCode, EncodesProjectItemsAndKeepsStandardItemsBare) {
    struct Case {
        std::string project, item, code;
    } cases[] = {{"", "CONCRETE", "CONCRETE"}, {"BRIDGE", "STEEL", "BRIDGE#STEEL"}, {"P", "A.B", "P#A.B"}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeItemCode(c.project, c.item), c.code);
        std::string project, item;
        DecodeItemCode(c.code, project, item);
        EXPECT_EQ(project, c.project);
        EXPECT_EQ(item, c.item);
    }
}
