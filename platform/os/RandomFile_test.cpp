#include "platform/os/RandomFile.h"

#include "platform/automation/Error.h"
#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

using platform::automation::Err;

// A record of the labour cost-object side file.
constexpr size_t kLength = 50;
constexpr RecordField Project{0, 9}, Code{9, 8}, Description{17, 30}, Unit{47, 3};

class RandomFileTest : public ::testing::Test {
protected:
    void SetUp() override { Err().Clear(); }
    TempKovaHome home;
    std::string path = (home.path() / "plan.lco").string();
};

TEST_F(RandomFileTest, RecordsFollowEachOtherWithoutAHeader) {
    RandomFile file;
    ASSERT_TRUE(file.Open(path, kLength));
    FixedRecord record(kLength);
    for (const char* code : {"A1", "B2"}) {
        record.SetText(Project, "");
        record.SetText(Code, code);
        record.SetText(Description, std::string("Labour ") + code);
        record.SetText(Unit, "h");
        ASSERT_TRUE(file.Put(record));
    }
    // The end record sets only two fields; the others keep the last record's text.
    record.SetText(Project, ".");
    record.SetText(Code, "");
    ASSERT_TRUE(file.Put(record));
    EXPECT_EQ(file.Lof(), 150);
    EXPECT_EQ(file.RecordCount(), 3);
    file.Close();

    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    ASSERT_EQ(bytes.size(), 150u);
    EXPECT_EQ(bytes.substr(50, 50), "         B2      Labour B2                     h  ");
    EXPECT_EQ(bytes.substr(100, 50), ".                Labour B2                     h  ");
}

TEST_F(RandomFileTest, ReadingInOrderAndByNumber) {
    {
        RandomFile file;
        ASSERT_TRUE(file.Open(path, kLength, RandomAccess::Write));
        FixedRecord record(kLength);
        for (const char* code : {"one", "two", "three"}) {
            record.SetText(Code, code);
            ASSERT_TRUE(file.Put(record));
        }
    }
    RandomFile file;
    ASSERT_TRUE(file.Open(path, kLength, RandomAccess::Read));
    FixedRecord record(kLength);
    std::vector<std::string> codes;
    while (!file.Eof()) {
        ASSERT_TRUE(file.Get(record));
        codes.push_back(record.Text(Code));
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"one     ", "two     ", "three   "}));
    EXPECT_FALSE(file.Get(record)); // past the end: nothing read, buffer kept
    EXPECT_EQ(record.Text(Code), "three   ");
    EXPECT_EQ(Err().Number, 0);

    ASSERT_TRUE(file.Get(2, record));
    EXPECT_EQ(record.Text(Code), "two     ");
    ASSERT_TRUE(file.Get(record)); // "next" follows the record read by number
    EXPECT_EQ(record.Text(Code), "three   ");
    EXPECT_TRUE(file.Eof());
}

TEST_F(RandomFileTest, WritingByNumberBeyondTheEndLeavesZeroRecordsBetween) {
    RandomFile file;
    ASSERT_TRUE(file.Open(path, 4));
    FixedRecord record(4);
    record.SetText({0, 4}, "abcd");
    ASSERT_TRUE(file.Put(3, record));
    EXPECT_EQ(file.RecordCount(), 3);
    ASSERT_TRUE(file.Get(1, record));
    EXPECT_EQ(record.Bytes(), std::string(4, '\0'));
    record.SetText({0, 4}, "wxyz");
    ASSERT_TRUE(file.Put(1, record));
    ASSERT_TRUE(file.Get(3, record));
    EXPECT_EQ(record.Bytes(), "abcd");
}

TEST_F(RandomFileTest, FailuresAreRecordedWithTheRuntimeNumbers) {
    RandomFile missing;
    EXPECT_FALSE(missing.Open((home.path() / "none.obs").string(), 38, RandomAccess::Read));
    EXPECT_EQ(Err().Number, 53);
    Err().Clear();
    EXPECT_FALSE(missing.Open((home.path() / "no" / "x.obs").string(), 38));
    EXPECT_EQ(Err().Number, 76);

    Err().Clear();
    FixedRecord record(38);
    EXPECT_FALSE(missing.Put(record));
    EXPECT_EQ(Err().Number, 52);

    RandomFile file;
    ASSERT_TRUE(file.Open(path, 38));
    Err().Clear();
    EXPECT_FALSE(file.Get(0, record));
    EXPECT_EQ(Err().Number, 63);
    Err().Clear();
    FixedRecord tooLong(39);
    EXPECT_FALSE(file.Put(tooLong));
    EXPECT_EQ(Err().Number, 59);
    EXPECT_EQ(file.Lof(), 0);
    file.Close();

    ASSERT_TRUE(file.Open(path, 38, RandomAccess::Read));
    Err().Clear();
    EXPECT_FALSE(file.Put(record));
    EXPECT_EQ(Err().Number, 54);
    EXPECT_TRUE(file.Eof()); // an empty file
}

} // namespace
} // namespace platform::os
