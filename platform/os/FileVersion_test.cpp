#include "platform/os/FileVersion.h"

#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

// This test program carries a version of its own, as every program of the project does.
KOVA_DEFINE_FILE_VERSION(7, 8, 9, 10);

namespace platform::os {
namespace {

// Runs a program and returns its exit status.
int RunProgram(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid;
    if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads the version the way the system's callers do: size, block, fixed record, 16-bit halves.
std::string VersionText(const std::string& path) {
    uint32_t size = GetFileVersionInfoSize(path);
    if (size == 0) return "none";
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfo(path, size, block.data())) return "unreadable";
    VS_FIXEDFILEINFO* info = nullptr;
    uint32_t length = 0;
    if (!VerQueryValue(block.data(), "\\", reinterpret_cast<void**>(&info), &length)) return "no record";
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    return std::to_string(info->dwFileVersionMS >> 16) + "." +
           std::to_string(info->dwFileVersionMS & 0xFFFF) + "." +
           std::to_string(info->dwFileVersionLS >> 16) + "." + std::to_string(info->dwFileVersionLS & 0xFFFF);
}

class FileVersionTest : public ::testing::Test {
protected:
    std::string P(const std::string& name) const { return (home.path() / name).string(); }
    TempKovaHome home;
};

TEST_F(FileVersionTest, AProgramCarriesTheVersionItDefines) {
    EXPECT_EQ(VersionText("/proc/self/exe"), "7.8.9.10");
}

TEST_F(FileVersionTest, AFileWithoutABlockHasNoVersion) {
    ASSERT_TRUE(WriteFileAtomically(P("WinProj.exe"), "not a program"));
    EXPECT_EQ(GetFileVersionInfoSize(P("WinProj.exe")), 0u);
    EXPECT_EQ(GetFileVersionInfoSize(P("missing.exe")), 0u);
    FileVersion version;
    EXPECT_FALSE(ReadFileVersion(P("WinProj.exe"), version));
    // The reader's own program must not look as if it carried one.
    EXPECT_EQ(GetFileVersionInfoSize(KOVA_STAMP_VERSION_COMMAND), 0u);
}

TEST_F(FileVersionTest, StampingGivesAnyFileAVersion) {
    ASSERT_TRUE(WriteFileAtomically(P("plain.bin"), std::string("\x00\x01 data", 7)));
    ASSERT_TRUE(StampFileVersion(P("plain.bin"), P("Grantry.exe"), 1, 2, 3, 45));
    EXPECT_EQ(VersionText(P("Grantry.exe")), "1.2.3.45");
    EXPECT_EQ(VersionText(P("plain.bin")), "none");
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(P("Grantry.exe"), bytes));
    EXPECT_EQ(bytes.substr(0, 7), std::string("\x00\x01 data", 7));
    EXPECT_EQ(bytes.size(), 7 + kFileVersionBlockSize);

    // Stamping again rewrites the block instead of adding one.
    ASSERT_TRUE(StampFileVersion(P("Grantry.exe"), P("Grantry.exe"), 11, 0, 40000, 65535));
    EXPECT_EQ(VersionText(P("Grantry.exe")), "11.0.40000.65535");
    ASSERT_TRUE(ReadWholeFile(P("Grantry.exe"), bytes));
    EXPECT_EQ(bytes.size(), 7 + kFileVersionBlockSize);
}

TEST_F(FileVersionTest, AStampedProgramKeepsRunning) {
    // The command itself has no block: the copy gets one appended and must still start.
    ASSERT_TRUE(StampFileVersion(KOVA_STAMP_VERSION_COMMAND, P("stamper"), 3, 1, 4, 1));
    EXPECT_EQ(VersionText(P("stamper")), "3.1.4.1");
    EXPECT_EQ(RunProgram({P("stamper")}), 2); // usage
    // A program that carries a block has it rewritten in place.
    ASSERT_TRUE(StampFileVersion("/proc/self/exe", P("copy_of_tests"), 2, 0, 40000, 12));
    EXPECT_EQ(VersionText(P("copy_of_tests")), "2.0.40000.12");
    EXPECT_EQ(std::filesystem::file_size(P("copy_of_tests")), std::filesystem::file_size("/proc/self/exe"));
    EXPECT_EQ(RunProgram({P("copy_of_tests"), "--gtest_filter=NoSuchTest"}), 0);
}

TEST_F(FileVersionTest, TheStampCommand) {
    ASSERT_TRUE(WriteFileAtomically(P("src"), "anything"));
    EXPECT_EQ(RunProgram({KOVA_STAMP_VERSION_COMMAND, P("src"), P("dst"), "1.2.3.45"}), 0);
    EXPECT_EQ(VersionText(P("dst")), "1.2.3.45");
    for (const char* bad : {"1.2.3", "1.2.3.70000", "1.2.3.4.5", "a.b.c.d", "1..3.4"})
        EXPECT_EQ(RunProgram({KOVA_STAMP_VERSION_COMMAND, P("src"), P("bad"), bad}), 2) << bad;
    EXPECT_FALSE(std::filesystem::exists(P("bad")));
    EXPECT_EQ(RunProgram({KOVA_STAMP_VERSION_COMMAND, P("missing"), P("dst2"), "1.0.0.0"}), 1);
}

TEST_F(FileVersionTest, OnlyTheRootRecordIsThere) {
    ASSERT_TRUE(StampFileVersion(KOVA_STAMP_VERSION_COMMAND, P("v"), 1, 0, 0, 0));
    std::vector<unsigned char> block(GetFileVersionInfoSize(P("v")));
    ASSERT_TRUE(GetFileVersionInfo(P("v"), uint32_t(block.size()), block.data()));
    void* record = nullptr;
    uint32_t length = 0;
    EXPECT_FALSE(VerQueryValue(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", &record, &length));
    EXPECT_FALSE(GetFileVersionInfo(P("v"), 10, block.data())); // too small for the record
    FileVersion version;
    ASSERT_TRUE(ReadFileVersion(P("v"), version));
    EXPECT_EQ(version.Text(), "1.0.0.0");
}

} // namespace
} // namespace platform::os
