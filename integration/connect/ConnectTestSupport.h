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
