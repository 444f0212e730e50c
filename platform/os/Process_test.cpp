#include "platform/os/Process.h"

#include "platform/automation/Error.h"
#include "platform/os/KovaHome.h"
#include "platform/os/TestSupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <thread>

namespace platform::os {
namespace {

using platform::automation::Err;
using namespace std::chrono_literals;

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void Set(const std::string& name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

template <class F> bool WaitFor(F condition) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Err().Clear();
        // The viewer writes each argument it got on a line of its own.
        viewer = (home.path() / "viewer.sh").string();
        output = (home.path() / "arguments.txt").string();
        ASSERT_TRUE(WriteFileAtomically(
            viewer, "#!/bin/sh\n"
                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$VIEWER_OUT.part\"\n"
                    "mv \"$VIEWER_OUT.part\" \"$VIEWER_OUT\"\n"));
        std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
        env.Set("VIEWER_OUT", output.c_str());
        for (const char* name : {"KOVA_LOG_VIEWER", "VISUAL", "EDITOR"})
            env.Set(name, nullptr);
    }

    // What the viewer received, once it has run.
    std::string Received() {
        if (!WaitFor([&] { return std::filesystem::exists(output); })) return "<viewer did not run>";
        std::string text;
        ReadWholeFile(output, text);
        std::filesystem::remove(output);
        return text;
    }

    TempKovaHome home;
    ScopedEnvironment env;
    std::string viewer, output;
};

TEST_F(ProcessTest, TheLogPathArrivesAsOneUnchangedArgument) {
    const std::string log = (home.path() / "my plan; $(touch pwned) `id` | & > 'q' \"d\" *.log").string();
    env.Set("KOVA_LOG_VIEWER", (viewer + "  --readonly").c_str());
    int32_t task = StartLogViewer(log);
    EXPECT_GT(task, 0);
    EXPECT_EQ(Received(), "--readonly\n" + log + "\n");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "pwned"));
}

TEST_F(ProcessTest, TheViewerSettingsInOrder) {
    const std::string other = (home.path() / "missing-viewer").string();
    struct Case {
        const char* kova;
        const char* visual;
        const char* editor;
    };
    const Case cases[] = {
        {viewer.c_str(), other.c_str(), other.c_str()},
        {"", viewer.c_str(), other.c_str()},
        {nullptr, nullptr, viewer.c_str()},
    };
    for (const auto& c : cases) {
        env.Set("KOVA_LOG_VIEWER", c.kova);
        env.Set("VISUAL", c.visual);
        env.Set("EDITOR", c.editor);
        EXPECT_GT(StartLogViewer("/x.log"), 0);
        EXPECT_EQ(Received(), "/x.log\n");
    }
}

TEST_F(ProcessTest, NoViewerOrAMissingOneStartsNothing) {
    EXPECT_EQ(StartLogViewer("/x.log"), 0);
    EXPECT_EQ(Err().Number, 53);
    Err().Clear();
    env.Set("KOVA_LOG_VIEWER", (home.path() / "no-such-program").c_str());
    EXPECT_EQ(StartLogViewer("/x.log"), 0);
    EXPECT_EQ(Err().Number, 53);
    Err().Clear();
    EXPECT_EQ(StartProgram({}), 0);
    EXPECT_EQ(Err().Number, 53);
}

TEST_F(ProcessTest, AnEndedProgramLeavesNoZombie) {
    int32_t task = StartProgram({"true"});
    ASSERT_GT(task, 0);
    // A zombie still answers kill(); only a reaped process is gone.
    EXPECT_TRUE(WaitFor([&] { return ::kill(task, 0) != 0 && errno == ESRCH; }));
    EXPECT_FALSE(AppActivate(task));
}

TEST_F(ProcessTest, AppActivateOfARunningProgram) {
    int32_t task = StartProgram({"sleep", "30"});
    ASSERT_GT(task, 0);
    EXPECT_TRUE(AppActivate(task));
    ::kill(task, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return !AppActivate(task); }));
    EXPECT_FALSE(AppActivate(0));
}

} // namespace
} // namespace platform::os
