// The program file: started by hand it refuses, started for a client it returns at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sys/wait.h>

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/FileVersion.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

using namespace platform::forms;

struct ProgramRun {
    int exitCode = -1;
    std::string output;
    double seconds = 0;
};

// Runs the program with its input closed, as a start without a person at the screen.
ProgramRun RunProgram(const std::string& arguments) {
    ProgramRun run;
    auto start = std::chrono::steady_clock::now();
    std::string command = std::string("'") + GRANTRY_PROGRAM + "' " + arguments + " </dev/null 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

TEST(GrantryProgram, StartedByHandItShowsTheStandAloneMessageAndEnds) {
    platform::os::TempKovaHome home;
    ProgramRun run = RunProgram("");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Kova Project - MsProject Integration"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("This Application cannot be run in the Stand Alone mode"), std::string::npos)
        << run.output;
    EXPECT_NE(
        run.output.find(" Please refer to the Application Documentation for information on how to use this "
                        "Application"),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Critical"), std::string::npos) << run.output;
}

TEST(GrantryProgram, StartedForAClientItReturnsAtOnce) {
    platform::os::TempKovaHome home;
    for (const char* flag : {"-Embedding", "/Embedding", "-embedding"}) {
        ProgramRun run = RunProgram(flag);
        EXPECT_EQ(run.exitCode, 0) << flag;
        EXPECT_EQ(run.output, "") << flag;
        EXPECT_LT(run.seconds, 10.0) << flag;
    }
}

TEST(GrantryProgram, TheProgramFileCarriesItsVersion) {
    platform::os::FileVersion version;
    ASSERT_TRUE(platform::os::ReadFileVersion(GRANTRY_PROGRAM, version));
    EXPECT_EQ(version.Text(), "5.0.0.1");
}

TEST(GrantryMain, TheStandAloneBoxOnlyWithoutTheStartFlag) {
    struct Case {
        std::vector<std::string> arguments;
        bool refused;
    } cases[] = {
        {{}, true}, {{"-Embedding"}, false}, {{"/automation", "-Embedding"}, false}, {{"Embedding"}, true}};
    for (const Case& c : cases) {
        ScriptedUser user;
        if (c.refused) user.Add(steps::Answer(vbOK, kStandAloneMessage));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        Main(c.arguments);
        EXPECT_TRUE(user.Finish());
        ASSERT_EQ(user.transcript().Boxes().size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Kova Project - MsProject Integration");
            EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbCritical);
        }
    }
}

TEST(frmIntegrationStatus, TheUserSeesEachStepRepainted) {
    ScriptedUser user;
    ScopedUser on(user);
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.Show();
    for (const char* step : {"Transferring Base Calendars ...", "Transferring OBS Elements"}) {
        status.lblStatus.Caption = step;
        status.lblStatus.Refresh();
    }
    status.Unload();
    EXPECT_TRUE(user.transcript().Contains(
        "show frmIntegrationStatus \"Kova Project - MsProject Integration\" modeless"))
        << user.transcript().Text();
    EXPECT_EQ(user.transcript().Progress("frmIntegrationStatus.lblStatus"),
              (std::vector<std::string>{"Transferring Base Calendars ...", "Transferring OBS Elements"}));
    EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
