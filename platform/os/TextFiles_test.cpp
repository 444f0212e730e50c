#include "platform/os/TextFiles.h"

#include "platform/automation/Error.h"
#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

using platform::automation::Err;

class TextFilesTest : public ::testing::Test {
protected:
    void SetUp() override { Err().Clear(); }
    void TearDown() override { CloseAllFiles(); }
    std::string Path(const std::string& name) const { return (home.path() / name).string(); }
    static std::string Contents(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }
    TempKovaHome home;
};

TEST_F(TextFilesTest, PrintWritesAnsiLinesWithCrLf) {
    const auto log = Path("plan.log");
    ASSERT_TRUE(WriteFileAtomically(log, "old contents that must go\r\n"));
    ASSERT_TRUE(OpenFile(LogFileNumber, log, FileMode::Output));
    EXPECT_TRUE(PrintLine(LogFileNumber, "Größe: 5 €"));
    EXPECT_TRUE(PrintLine(LogFileNumber, ""));
    EXPECT_TRUE(PrintLine(LogFileNumber, "日"));
    // Every line is on disk at once, before the file is closed.
    EXPECT_EQ(Contents(log), "Gr\xF6\xDF"
                             "e: 5 \x80\r\n\r\n?\r\n");
    CloseFile(LogFileNumber);

    ASSERT_TRUE(OpenFile(LogFileNumber, log, FileMode::Append));
    EXPECT_TRUE(PrintLine(LogFileNumber, "more"));
    CloseFile(LogFileNumber);
    EXPECT_EQ(Contents(log), "Gr\xF6\xDF"
                             "e: 5 \x80\r\n\r\n?\r\nmore\r\n");
}

// A whole file comes back byte for byte, whatever its size against the pieces it is read in.
TEST_F(TextFilesTest, AWholeFileIsReadByteForByteAtAnySize) {
    const size_t piece = size_t(1) << 20;
    for (size_t size : {size_t(0), size_t(1), piece - 1, piece, piece + 1, 3 * piece - 1}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
        const auto file = Path("whole.bin");
        ASSERT_TRUE(WriteFileAtomically(file, bytes));
        EXPECT_TRUE(Contents(file) == bytes) << "a file of " << size << " bytes";
    }
    std::string untouched = "as it was";
    EXPECT_FALSE(ReadWholeFile(Path("missing.bin"), untouched));
    EXPECT_EQ(untouched, "as it was");
}

TEST_F(TextFilesTest, LineInputReadsEachKindOfLineEnd) {
    const auto file = Path("in.txt");
    ASSERT_TRUE(WriteFileAtomically(file, "first\r\nGr\xFC\xDF"
                                          "e\nthird\r\rlast"));
    ASSERT_TRUE(OpenFile(3, file, FileMode::Input));
    std::vector<std::string> lines;
    std::string line;
    while (!Eof(3)) {
        ASSERT_TRUE(LineInput(3, line));
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "Grüße", "third", "", "last"}));
    EXPECT_FALSE(LineInput(3, line));
    EXPECT_EQ(Err().Number, 62);
}

TEST_F(TextFilesTest, FailuresAreRecordedWithTheRuntimeNumbers) {
    EXPECT_FALSE(PrintLine(LogFileNumber, "nobody listens"));
    EXPECT_EQ(Err().Number, 52);
    EXPECT_EQ(Err().Description, "Bad file name or number");

    struct Case {
        int16_t number;
        std::string path;
        FileMode mode;
        int32_t error;
    };
    ASSERT_TRUE(OpenFile(1, Path("open.txt"), FileMode::Output));
    const Case cases[] = {
        {1, Path("other.txt"), FileMode::Output, 55},  // number in use
        {2, Path("missing.txt"), FileMode::Input, 53}, // no such file
        {2, Path("no/such/folder/x.log"), FileMode::Output, 76},
        {2, home.path().string(), FileMode::Output, 75}, // a folder
        {0, Path("zero.txt"), FileMode::Output, 52},
    };
    for (const auto& c : cases) {
        Err().Clear();
        EXPECT_FALSE(OpenFile(c.number, c.path, c.mode)) << c.path;
        EXPECT_EQ(Err().Number, c.error) << c.path;
    }
    std::string line;
    Err().Clear();
    EXPECT_FALSE(LineInput(1, line)); // opened for writing
    EXPECT_EQ(Err().Number, 54);
}

TEST_F(TextFilesTest, FreeFileGivesTheLowestUnusedNumber) {
    EXPECT_EQ(FreeFile(), 1);
    ASSERT_TRUE(OpenFile(1, Path("a"), FileMode::Output));
    ASSERT_TRUE(OpenFile(2, Path("b"), FileMode::Output));
    EXPECT_EQ(FreeFile(), 3);
    CloseFile(1);
    CloseFile(1); // closing again does nothing
    EXPECT_EQ(FreeFile(), 1);
    EXPECT_EQ(Err().Number, 0);
}

} // namespace
} // namespace platform::os
