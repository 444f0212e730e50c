#include "dataobjects/Proc.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::TestBackend;

TEST(Proc, TimeStampToDateShiftsMidnightAndEndOfDay) {
    struct Case {
        const char* stamp;
        Date expected;
    } cases[] = {
        {"20240305143015", Date::FromParts(2024, 3, 5, 14, 30, 15)},
        {"20240305000000", Date::FromParts(2024, 3, 5, 0, 0, 1)},
        {"20240305240000", Date::FromParts(2024, 3, 5, 23, 59, 59)},
        {"20240305", Date::FromParts(2024, 3, 5, 0, 0, 1)},
        {"20240305240001", Date::FromParts(2024, 3, 6, 0, 0, 1)},
        {"", Date()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeStampToDate(c.stamp), c.expected)
            << c.stamp << " gave " << TimeStampToDate(c.stamp).Iso();
}

TEST(Proc, DateToTimeStampPadsAllButTheYear) {
    EXPECT_EQ(DateToTimeStamp(Date()), "");
    EXPECT_EQ(DateToTimeStamp(Date::FromParts(2024, 3, 5, 4, 5, 6)), "20240305040506");
    EXPECT_EQ(DateToTimeStamp(Date::FromParts(1000, 1, 1)), "10000101000000");
    EXPECT_EQ(DateToTimeStamp(Date::FromParts(9999, 12, 31, 23, 59, 59)), "99991231235959");
    EXPECT_EQ(IsoDateToDate("2024-12-25"), Date::FromParts(2024, 12, 25));
    EXPECT_EQ(IsoDateToDate(""), Date());
}

TEST(Proc, ExtractErrorMessageKnowsBothForms) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"ERP: <MessageDescription> Line refused </MessageDescription> (code 7)", " Line refused "},
        {"<messagedescription>any case</MESSAGEDESCRIPTION>", "any case"},
        {"only <MessageDescription>the opening marker", "only <MessageDescription>the opening marker"},
        {"<MessageDescription></MessageDescription>", "<MessageDescription></MessageDescription>"},
        {"plain text", "plain text"},
        {"MessageCode= E42, ActionType= Save, Error: Value too long , FieldName= Name",
         "   E42: Value too long"},
        {"Error: no code here, FieldName= Name", "   : no code here"},
        {"MessageCode= E1, ActionType= Save", "MessageCode= E1, ActionType= Save"},
        {"FieldName= X, Error: closing first", "FieldName= X, Error: closing first"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractErrorMessage(c.text), c.expected) << c.text;
}

TEST(Proc, ReplaceSpecialCharactersAndAppendLine) {
    EXPECT_EQ(ReplaceSpecialCharacters(",[]()"), "     ");
    EXPECT_EQ(ReplaceSpecialCharacters("Hall (north), [A]"), "Hall  north    A ");
    std::string buffer;
    AppendLine("first", buffer);
    EXPECT_EQ(buffer, "\r\nfirst");
    AppendLine("second", buffer);
    EXPECT_EQ(buffer, "\r\nfirst\r\nsecond");
}

class ProcWithErp : public ::testing::Test {
protected:
    TestBackend erp;
    void SetUp() override { erp.Control().StartCallLog(); }
};

TEST_F(ProcWithErp, ItemCodesSplitAtTheFirstDotAndRoundTrip) {
    struct Case {
        const char* text;
        const char* item;
        const char* project;
        const char* formatted;
    } cases[] = {
        {"  IT  ", "IT", "", "IT"},
        {" P1 . IT ", "IT", "P1", "P1.IT"},
        {"P1.A.B", "A.B", "P1", "P1.A.B"},
    };
    for (const auto& c : cases) {
        erp.Control().ClearCallLog();
        std::string code = BuildItemCode(c.text, "DEMO");
        EXPECT_EQ(Err().Number, 0);
        auto calls = erp.Control().CallsTo("setKovaItemAll");
        ASSERT_EQ(calls.size(), 1u);
        ASSERT_EQ(calls[0].args.size(), 7u);
        EXPECT_EQ(calls[0].args[0].value, Variant(c.item)) << c.text;
        EXPECT_EQ(calls[0].args[1].value, Variant(c.project)) << c.text;
        for (size_t i = 2; i < 7; ++i)
            EXPECT_EQ(calls[0].args[i].value, Variant(""));
        EXPECT_EQ(erp.Control().CallsTo("Initialize").at(0).args.at(0).value, Variant("DEMO"));
        EXPECT_EQ(FormatItemCode("DEMO", code), c.formatted);
    }
}

TEST_F(ProcWithErp, ItemCodeWithoutTheItemObjectIsEmpty) {
    erp.Control().UnregisterProgId("KovaItem.KovaItem");
    EXPECT_EQ(BuildItemCode("P1.IT", "DEMO"), "");
    EXPECT_NE(Err().Number, 0) << "the failure stays in the error state";
    Err().Clear();
    EXPECT_EQ(FormatItemCode("DEMO", "P1#IT"), "");
}

TEST_F(ProcWithErp, JavaDatesCarryTheStampWhateverTheCurrentDate) {
    struct Case {
        Date now;
        const char* stamp;
        const char* back;
    } cases[] = {
        {Date::FromParts(2024, 5, 15), "20240229101112", "20240229101112"},
        {Date::FromParts(2025, 1, 31), "20240229101112", "20240229101112"}, // day first would give 1 March
        {Date::FromParts(2024, 2, 10), "20230331235959", "20230331235959"}, // 31 February
        {Date::FromParts(2024, 4, 30), "20241231000000", "20241231000000"}, // no midnight shift
        {Date::FromParts(2024, 4, 30), "20240229240000", "20240301000000"}, // 24:00 is the next day
    };
    for (const auto& c : cases) {
        erp.Control().SetNow(c.now);
        Object date = TimeStampToJavaDate(c.stamp);
        ASSERT_FALSE(date.IsNothing());
        EXPECT_EQ(JavaDateToTimeStamp(date), c.back) << c.stamp << " at " << c.now.Iso();
    }
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(TimeStampToJavaDate("").IsNothing());
}

TEST_F(ProcWithErp, JavaDateSettersComeInTheirOrderAsShortIntegers) {
    erp.Control().SetNow(Date::FromParts(2024, 5, 15));
    TimeStampToJavaDate("20240607080910");
    std::vector<std::string> setters;
    for (const auto& call : erp.Control().Calls()) {
        if (call.member.rfind("set", 0) != 0) continue;
        setters.push_back(call.member + "=" + CStr(call.args.at(0).value));
        EXPECT_EQ(call.args.at(0).type, VarType::Integer) << call.Describe();
    }
    EXPECT_EQ(setters, (std::vector<std::string>{"setDate=7", "setMonth=5", "setYear=124", "setHours=8",
                                                 "setMinutes=9", "setSeconds=10"}));
}

TEST_F(ProcWithErp, JavaDateToTimeStampTreatsEarlyYearsAndMissingObjectsAsNoDate) {
    EXPECT_EQ(JavaDateToTimeStamp(Object()), "");
    EXPECT_EQ(Err().Number, 0) << "no date object is no error";
    EXPECT_EQ(JavaDateToTimeStamp(TimeStampToJavaDate("19010601120000")), "");
    EXPECT_EQ(JavaDateToTimeStamp(TimeStampToJavaDate("19020101000000")), "19020101000000");
    Object date = TimeStampToJavaDate("20240101000000");
    erp.Control().ArmFault(platform::middleware::Fault::Error("java.util.Date", "getyear", 5));
    EXPECT_EQ(JavaDateToTimeStamp(date), "");
    EXPECT_EQ(Err().Number, 5);
}
