#include "integration/chargestructure/ChargeElementFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "integration/chargestructure/ChargeStructureTestSupport.h"

namespace Grantry {
namespace {

using KovaDataObjects::KovaCE;
using platform::automation::Date;
using platform::automation::Err;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Field(const std::string& bytes, size_t record, platform::os::RecordField f) {
    return bytes.substr(record * ChargeElementRecord::kLength + f.offset, f.width);
}

class ChargeElementFileTest : public test::StructureFixture {
protected:
    void TearDown() override {
        ChargeElements() = {};
        StructureFixture::TearDown();
    }
};

TEST_F(ChargeElementFileTest, StandAloneElementsFirstThenTheOthersInTheErpsOrder) {
    WriteChargeElementFile();
    EXPECT_EQ(Err().Number, 0);
    ASSERT_EQ(ChargeElements().recordCount, 8);
    const std::string bytes = ReadBytes(BcePath());
    ASSERT_EQ(bytes.size(), 8 * ChargeElementRecord::kLength);

    const char* order[] = {"BRM2    ", "BR      ", "BR10    ", "BR11    ",
                           "BRM1    ", "BR12    ", "BR20    ", "BR21    "};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(Field(bytes, i, ChargeElementRecord::Code), order[i]) << i;

    // The stand-alone milestone: no parent, type 5, a milestone and not connectable; nothing was
    // written before it, so its OBS field holds zero bytes.
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::Milestone), std::string("\xFF\xFF", 2));
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::Connectable), std::string(2, '\0'));
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::Parent), std::string(8, ' '));
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::CEType), "5");
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::OBSelement), std::string(8, '\0'));
    EXPECT_EQ(Field(bytes, 0, ChargeElementRecord::Start), "20241220170000");

    // The top element: connectable, no parent, its OBS element, dates as time stamps.
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::Connectable), std::string("\xFF\xFF", 2));
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::Milestone), std::string(2, '\0'));
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::Description).substr(0, 19), "Lasse river bridge ");
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::OBSelement), "ORG     ");
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::CEType), "1");
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::Start), "20240304080000");
    EXPECT_EQ(Field(bytes, 1, ChargeElementRecord::Finish), "20241220170000");
    // The linked milestone names the element it is linked to; a non-connectable one says so.
    EXPECT_EQ(Field(bytes, 4, ChargeElementRecord::Parent), "BR11    ");
    EXPECT_EQ(Field(bytes, 4, ChargeElementRecord::Milestone), std::string("\xFF\xFF", 2));
    EXPECT_EQ(Field(bytes, 7, ChargeElementRecord::Connectable), std::string(2, '\0'));
    EXPECT_EQ(Field(bytes, 7, ChargeElementRecord::Parent), "BR20    ");
}

TEST_F(ChargeElementFileTest, ReadBackTheCodesAreTrimmedAndLongTextsCut) {
    auto& list = *CurrentProjectData->ChargeElements;
    auto longOne = std::make_shared<KovaCE>();
    longOne->CECode = "LONG";
    longOne->CEDescription = std::string(60, 'x');
    longOne->CEParent = " BR ";
    longOne->CEType = 4;
    list.push_back(longOne);
    WriteChargeElementFile();
    LoadChargeElementFile();
    const ChargeElementTable& table = ChargeElements();
    ASSERT_EQ(table.records.size(), 9u);
    ASSERT_EQ(table.changed.size(), 9u);
    ASSERT_TRUE(table.records[8]);
    EXPECT_EQ(table.records[8]->code, "LONG");
    EXPECT_EQ(table.records[8]->description, std::string(50, 'x'));
    EXPECT_EQ(table.records[8]->parent, "BR      ");
    EXPECT_EQ(table.records[8]->ceType, "4");
    EXPECT_EQ(table.records[1]->code, "BR");
    EXPECT_EQ(table.records[1]->connectable, -1);

    EXPECT_FALSE(IsChargeElementDeletedInKova(" BR21 "));
    EXPECT_TRUE(IsChargeElementDeletedInKova("br21")); // letter case counts
    EXPECT_TRUE(IsChargeElementDeletedInKova("GONE"));
}

// The look-up keeps an index of the codes: it must follow the records however they change.
TEST_F(ChargeElementFileTest, TheDeletedLookUpFollowsRecordsChangedAfterItWasAsked) {
    WriteChargeElementFile();
    LoadChargeElementFile();
    auto& records = ChargeElements().records;
    ASSERT_TRUE(records[1] && records[1]->code == "BR");
    EXPECT_FALSE(IsChargeElementDeletedInKova("BR"));
    EXPECT_TRUE(IsChargeElementDeletedInKova("NEW1"));

    records[1]->code = "NEW1"; // the index still places BR there
    EXPECT_TRUE(IsChargeElementDeletedInKova("BR"));
    EXPECT_FALSE(IsChargeElementDeletedInKova("NEW1"));
    std::swap(records[1], records[2]);
    EXPECT_FALSE(IsChargeElementDeletedInKova("NEW1"));
    records.back().reset();
    records.push_back(ChargeElementEntry{"NEW2"});
    EXPECT_FALSE(IsChargeElementDeletedInKova("NEW2"));
    records.resize(1);
    EXPECT_TRUE(IsChargeElementDeletedInKova("NEW1"));
    EXPECT_TRUE(IsChargeElementDeletedInKova("NEW2"));

    // Records put in whole, made before the last look-up: no code changed since, the list did.
    std::vector<std::optional<ChargeElementEntry>> other(3);
    other[1] = ChargeElementEntry{"NEW3"};
    records.assign(3, std::nullopt);
    EXPECT_TRUE(IsChargeElementDeletedInKova("NEW3"));
    records = std::move(other);
    EXPECT_FALSE(IsChargeElementDeletedInKova("NEW3"));

    // A read of the file starts again from what it holds.
    LoadChargeElementFile();
    EXPECT_FALSE(IsChargeElementDeletedInKova("BR"));
    EXPECT_TRUE(IsChargeElementDeletedInKova("NEW1"));
}

TEST_F(ChargeElementFileTest, WithoutAStructureTheFileIsEmptyAndEveryCodeDeleted) {
    std::ofstream(BcePath()) << "old content";
    CurrentProjectData->ChargeElements.reset();
    WriteChargeElementFile();
    EXPECT_EQ(ChargeElements().recordCount, 0);
    EXPECT_TRUE(std::filesystem::exists(BcePath()));
    EXPECT_EQ(std::filesystem::file_size(BcePath()), 0u);
    LoadChargeElementFile();
    EXPECT_TRUE(ChargeElements().records.empty());
    EXPECT_TRUE(IsChargeElementDeletedInKova("BR"));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ChargeElementFileTest, AStructureOfMoreThan32767ElementsIsWrittenAndReadWhole) {
    auto& list = *CurrentProjectData->ChargeElements;
    const size_t demo = list.size();
    for (int i = 1; i <= 33000; ++i) {
        auto ce = std::make_shared<KovaCE>();
        ce->CECode = "X" + std::to_string(i);
        ce->CEParent = "BR";
        ce->CEType = 4;
        list.push_back(ce);
    }
    WriteChargeElementFile();
    ASSERT_EQ(ChargeElements().recordCount, static_cast<int32_t>(demo + 33000));
    EXPECT_EQ(std::filesystem::file_size(BcePath()), (demo + 33000) * ChargeElementRecord::kLength);
    LoadChargeElementFile();
    ASSERT_EQ(ChargeElements().records.size(), demo + 33000);
    ASSERT_TRUE(ChargeElements().records.back());
    EXPECT_EQ(ChargeElements().records.back()->code, "X33000");
    EXPECT_FALSE(IsChargeElementDeletedInKova("X33000"));
    EXPECT_EQ(Err().Number, 0);
}

TEST(ChargeElementRecordFill, SetsOnlyTheFirstTransfersFields) {
    platform::os::FixedRecord record(ChargeElementRecord::kLength);
    KovaCE ce;
    ce.CECode = " M1 ";
    ce.CEDescription = " Handover ";
    ce.CEParent = " P ";
    ce.CEType = 5;
    ce.Connectable = true;
    ce.OBSelement = "ORG";
    ce.StartDate = Date(45000);
    FillChargeElementRecord(ce, record);
    const std::string& b = record.Bytes();
    EXPECT_EQ(b.substr(0, 8), "M1      ");
    EXPECT_EQ(b.substr(8, 9), "Handover ");
    EXPECT_EQ(b.substr(58, 4), std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(b.substr(62, 8), "P       ");
    EXPECT_EQ(b.substr(78, 1), "5");
    EXPECT_EQ(b.substr(70, 8), std::string(8, '\0'));
    EXPECT_EQ(b.substr(79), std::string(ChargeElementRecord::kLength - 79, '\0'));
}

} // namespace
} // namespace Grantry
