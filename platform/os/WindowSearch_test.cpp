#include "platform/os/WindowSearch.h"

#include "platform/os/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::os {
namespace {

class WindowSearchTest : public ::testing::Test {
protected:
    TempKovaHome home;
};

TEST_F(WindowSearchTest, APublishedTitleIsFoundExactlyWhileTheWindowIsOpen) {
    EXPECT_FALSE(FindWindow("InstallShield Wizard"));
    {
        PublishedWindow installer("InstallShield Wizard");
        EXPECT_TRUE(FindWindow("InstallShield Wizard"));
        for (const char* other : {"InstallShield", "installshield wizard", "InstallShield Wizard ", ""})
            EXPECT_FALSE(FindWindow(other)) << other;

        PublishedWindow moved = std::move(installer);
        EXPECT_TRUE(FindWindow("InstallShield Wizard"));
        moved.SetTitle("Installing...");
        EXPECT_FALSE(FindWindow("InstallShield Wizard"));
        EXPECT_TRUE(FindWindow("Installing..."));
    }
    EXPECT_FALSE(FindWindow("Installing..."));
    EXPECT_TRUE(std::filesystem::is_empty(home.path() / "windows"));
}

TEST_F(WindowSearchTest, WindowsOfAnotherProgramCountOnlyWhileItRuns) {
    int ready[2], finish[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(finish), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        new PublishedWindow("InstallShield Wizard"); // never closed: the process just ends
        char c = 'r';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(finish[0], &c, 1);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(FindWindow("InstallShield Wizard"));

    ASSERT_EQ(::write(finish[1], &c, 1), 1);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, pid, &info, WEXITED | WNOWAIT), 0); // ended, not yet reaped
    EXPECT_FALSE(FindWindow("InstallShield Wizard"));
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(FindWindow("InstallShield Wizard"));
    EXPECT_FALSE(std::filesystem::is_empty(home.path() / "windows")); // its entry is still there
    for (int fd : {ready[0], ready[1], finish[0], finish[1]})
        ::close(fd);
}

} // namespace
} // namespace platform::os
