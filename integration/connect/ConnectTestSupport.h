#pragma once
// Test helpers of the connection units (header only): a seeded ERP backend on a private machine
// folder and a running planning program with one new plan, attached as the command's program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/middleware/TestBackend.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry::test {

namespace msp = platform::msproject;

class ConnectFixture : public ::testing::Test {
protected:
    explicit ConnectFixture(const std::string& seed) : erp(seed) {}
    void SetUp() override {
        app = msp::StartApplication({});
        ASSERT_TRUE(app);
        app->FileNew(false);
        MSProjectApplication = app;
        BOIConnector = "DEMO";
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        platform::os::CloseAllFiles();
        CurrentConnection.reset();
        CurrentProjectData.reset();
        MSProjectApplication.reset();
        BOIConnector.clear();
        msp::QuitApplication();
        platform::automation::Err().Clear();
    }

    msp::Project Plan() const { return app->ActiveProject(); }

    // Overwrites the start of record `number` (from 1) of a side file with binary junk.
    static void DamageRecord(const std::string& path, size_t length, int number) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(file) << path;
        file.seekp(static_cast<std::streamoff>(length * static_cast<size_t>(number - 1)));
        const char junk[] = {'\x00', '\x01', 'Z', '\x7f', '\x9d', '\x1b', 'q', '\x00'};
        file.write(junk, sizeof junk);
        ASSERT_TRUE(file) << path;
    }

    // Opens the log as a command does; LogText() reads what was written so far.
    void OpenLog() {
        logPath = erp.home() / "run.log";
        ASSERT_TRUE(platform::os::OpenFile(platform::os::LogFileNumber, logPath.string(),
                                           platform::os::FileMode::Output));
    }
    std::string LogText() {
        platform::os::CloseFile(platform::os::LogFileNumber);
        std::ifstream in(logPath, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    platform::middleware::TestBackend erp;
    std::shared_ptr<msp::Application> app;
    std::filesystem::path logPath;
};

} // namespace Grantry::test
