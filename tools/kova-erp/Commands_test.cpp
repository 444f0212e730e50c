#include "tools/kova-erp/Commands.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/middleware/AdapterConfig.h"
#include "platform/os/TestSupport.h"

using namespace platform::middleware;

namespace {

const std::string kDemoSeed = std::string(KOVA_SOURCE_DIR) + "/testdata/demo-erp.json";

struct Result {
    int code;
    std::string out, err;
};

Result Erp(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = kova_erp::Run(args, out, err);
    return {code, out.str(), err.str()};
}

} // namespace

class KovaErpTest : public ::testing::Test {
protected:
    platform::os::TempKovaHome home;
};

TEST_F(KovaErpTest, CreatesTheDemoBackendAndListsItsProjects) {
    Result created = Erp({"create", "DEMO", "--seed", kDemoSeed});
    ASSERT_EQ(created.code, 0) << created.err;
    EXPECT_EQ(DefaultBackendName(), "DEMO") << "the first backend becomes the default";
    auto config = FindBackend("DEMO");
    ASSERT_TRUE(config);
    EXPECT_EQ(config->companyNumber, 100) << "taken from the seed's company";
    EXPECT_TRUE(config->maintained && config->started);

    Result listed = Erp({"list"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_NE(listed.out.find("Projects of company 100 \"Kova Demo Construction\":"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("BRIDGE     Lasse river bridge"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("2024-03-01 to 2025-06-30  plans MAIN, ALT (leading MAIN)"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("DEPOT"), std::string::npos);
    EXPECT_NE(listed.out.find("OFFICE"), std::string::npos);

    Result summary = Erp({"list", "DEMO", "summary"});
    EXPECT_NE(summary.out.find("budget_line"), std::string::npos) << summary.out;
    EXPECT_EQ(summary.out.find("Projects of"), std::string::npos);
}

TEST_F(KovaErpTest, SetsTheAdapterConfiguration) {
    ASSERT_EQ(Erp({"create", "DEMO"}).code, 0);
    ASSERT_EQ(Erp({"create", "SECOND", "--company", "9"}).code, 0);
    EXPECT_EQ(DefaultBackendName(), "DEMO") << "a later backend becomes the default only when asked";

    Result changed = Erp({"config", "SECOND", "--started", "no", "--maintained", "yes", "--company", "12"});
    ASSERT_EQ(changed.code, 0) << changed.err;
    auto second = FindBackend("SECOND");
    EXPECT_FALSE(second->started);
    EXPECT_EQ(second->companyNumber, 12);

    ASSERT_EQ(Erp({"default", "  SECOND "}).code, 0);
    EXPECT_EQ(DefaultBackendName(), "  SECOND ") << "kept with its blanks";
    Result shown = Erp({"config"});
    EXPECT_NE(shown.out.find("Default backend: \"  SECOND \""), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Backend SECOND: maintained, not started, company 12"), std::string::npos)
        << shown.out;
    EXPECT_EQ(Erp({"list"}).code, 0) << "listing needs no started backend";
}

TEST_F(KovaErpTest, WrongUseAndFailures) {
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{}, 2, "usage:"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"create"}, 2, "create takes one backend name"},
        {{"create", "X", "--colour", "red"}, 2, "unknown option --colour"},
        {{"list", "NOPE"}, 1, "there is no backend NOPE"},
        {{"list"}, 1, "no default backend is set"},
        {{"config", "NOPE", "--started", "no"}, 1, "there is no backend NOPE"},
        {{"load", "NOPE", kDemoSeed}, 1, "there is no backend NOPE"},
    };
    for (const auto& c : cases) {
        Result r = Erp(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    ASSERT_EQ(Erp({"create", "DEMO"}).code, 0);
    EXPECT_EQ(Erp({"config", "DEMO", "--started", "maybe"}).code, 2);
    std::string bad = (home.path() / "bad.json").string();
    std::ofstream(bad) << R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
        "chargeElements": [{"id": "X", "type": 9}]}]}]})";
    Result loaded = Erp({"load", "DEMO", bad});
    EXPECT_EQ(loaded.code, 1);
    EXPECT_NE(loaded.err.find("projects[0].plans[0].chargeElements[0]: type must be 1 to 5"),
              std::string::npos)
        << loaded.err;
}

TEST_F(KovaErpTest, ListsAProjectsBaselinesAndApprovesAFreeOne) {
    ASSERT_EQ(Erp({"create", "DEMO", "--seed", kDemoSeed}).code, 0);
    Result listed = Erp({"baselines", "DEMO", "BRIDGE"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "Baselines of project BRIDGE:\n"
              "    1  approved  Contract baseline               derived from -  changed 2024-02-20 10:00\n"
              "    2  free      Revision after design review    derived from 1  changed 2024-05-13 15:30\n");

    Result approved = Erp({"approve", "DEMO", "BRIDGE", "2"});
    ASSERT_EQ(approved.code, 0) << approved.err;
    EXPECT_EQ(approved.out, "Approved baseline 2 of project BRIDGE\n");
    EXPECT_NE(Erp({"baselines", "DEMO", "BRIDGE"}).out.find("    2  approved  Revision"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{"approve", "DEMO", "BRIDGE", "2"}, 1, "the baseline 2 is approved already"},
        {{"approve", "DEMO", "BRIDGE", "7"}, 1, "the project BRIDGE has no baseline 7"},
        {{"approve", "DEMO", "NOPE", "1"}, 1, "there is no project NOPE"},
        {{"approve", "DEMO", "BRIDGE", "two"}, 2, "the baseline is given by its number"},
        {{"approve", "DEMO", "BRIDGE"}, 2, "approve takes a backend name, a project and a baseline"},
        {{"baselines", "DEMO"}, 2, "baselines takes a backend name and a project"},
    };
    for (const auto& c : cases) {
        Result r = Erp(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Erp({"baselines", "DEMO", "OFFICE"}).out, "Baselines of project OFFICE:\n  (none)\n");
}

TEST_F(KovaErpTest, TheProgramItselfMakesAndListsTheDemoBackend) {
    auto run = [](const std::string& command) {
        std::string output;
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        if (!pipe) return std::make_pair(-1, output);
        std::array<char, 512> buffer;
        while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            output.append(buffer.data(), n);
        return std::make_pair(::pclose(pipe), output);
    };
    auto [created, createOut] =
        run(std::string(KOVA_ERP_COMMAND) + " create DEMO --seed '" + kDemoSeed + "'");
    ASSERT_EQ(created, 0) << createOut;
    auto [listed, listOut] = run(std::string(KOVA_ERP_COMMAND) + " list DEMO projects");
    ASSERT_EQ(listed, 0) << listOut;
    EXPECT_NE(listOut.find("BRIDGE"), std::string::npos) << listOut;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "erp" / "DEMO.db")) << "under the machine folder";
}
