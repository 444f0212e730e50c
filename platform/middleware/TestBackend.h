#pragma once
// Test helper (header only; tests link kova_testsupport): a private machine folder with one backend made
// from a seed, set as the maintained and started default backend, the stand-in registered and its test
// controls reset.
//
//   platform::middleware::TestBackend erp(R"({"company": {"number": 7}, "projects": [{"id": "P1"}]})");
//   erp.Config().started = false; erp.Save();     // switch the adapter configuration
#include <string>

#include <nlohmann/json.hpp>

#include "platform/automation/Error.h"
#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Registration.h"
#include "platform/middleware/TestControl.h"
#include "platform/os/TestSupport.h"

namespace platform::middleware {

class TestBackend {
public:
    explicit TestBackend(const std::string& seedJson = "{}", const std::string& name = "DEMO") {
        RegisterMiddleware();
        TestControl::Instance().Reset();
        config_ = CreateBackend(BackendConfig(name), true);
        config_ = SeedBackend(config_, nlohmann::json::parse(seedJson));
        platform::automation::Err().Clear();
    }
    ~TestBackend() { TestControl::Instance().Reset(); }
    TestBackend(const TestBackend&) = delete;
    TestBackend& operator=(const TestBackend&) = delete;

    BackendConfig& Config() { return config_; }
    void Save() { SaveBackend(config_); }
    // A connection of its own, for checking what the stand-in wrote.
    std::unique_ptr<Database> Open() { return OpenBackendDatabase(config_); }
    TestControl& Control() { return TestControl::Instance(); }
    const std::filesystem::path& home() const { return home_.path(); }

private:
    platform::os::TempKovaHome home_;
    BackendConfig config_;
};

} // namespace platform::middleware
