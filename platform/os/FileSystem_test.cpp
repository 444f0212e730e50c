#include "platform/os/FileSystem.h"

#include "platform/automation/Error.h"
#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>

namespace platform::os {
namespace {

using platform::automation::Err;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        Err().Clear();
        ASSERT_TRUE(WriteFileAtomically(file, "12345"));
        std::filesystem::create_directories(home.path() / "full" / "inner");
    }
    std::string P(const std::string& name) const { return (home.path() / name).string(); }
    TempKovaHome home;
    std::string file = P("plan.lco");
};

TEST_F(FileSystemTest, EachFailureHasItsNumber) {
    struct Case {
        const char* what;
        std::function<bool()> call;
        int32_t error;
    };
    const Case cases[] = {
        {"Kill missing", [&] { return Kill(P("none.obs")); }, 53},
        {"Kill a folder", [&] { return Kill(P("full")); }, 53},
        {"MkDir existing", [&] { return MkDir(P("full")); }, 75},
        {"MkDir over a file", [&] { return MkDir(file); }, 75},
        {"MkDir parent missing", [&] { return MkDir(P("no/Data")); }, 76},
        {"RmDir not empty", [&] { return RmDir(P("full")); }, 75},
        {"RmDir missing", [&] { return RmDir(P("none")); }, 76},
    };
    for (const auto& c : cases) {
        Err().Clear();
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(Err().Number, c.error) << c.what;
    }
    EXPECT_TRUE(std::filesystem::exists(P("full/inner")));
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(FileSystemTest, SuccessfulCallsChangeTheDisk) {
    EXPECT_TRUE(MkDir(P("Data")));
    EXPECT_TRUE(std::filesystem::is_directory(P("Data")));
    EXPECT_TRUE(RmDir(P("Data")));
    EXPECT_FALSE(std::filesystem::exists(P("Data")));
    EXPECT_TRUE(Kill(file));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(FileSystemTest, DeleteFileReportsAMissingFileWithoutAnError) {
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(DeleteFile(file));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(FileSystemTest, ExistenceAndLength) {
    EXPECT_EQ(Dir(file), "plan.lco");
    EXPECT_TRUE(FileExists(file));
    EXPECT_EQ(Dir(P("full")), ""); // folders are not files
    EXPECT_FALSE(FileExists(P("full")));
    EXPECT_EQ(Dir(P("PLAN.LCO")), ""); // exact path
    EXPECT_EQ(FileLen(file), 5);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(FileLen(P("none")), 0);
    EXPECT_EQ(Err().Number, 53);
}

} // namespace
} // namespace platform::os
