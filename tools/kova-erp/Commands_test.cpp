#include "tools/kova-erp/Commands.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/Backend.h"
#include "platform/os/TestSupport.h"

using namespace platform::middleware;
using platform::automation::CLng;
using platform::automation::CStr;

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
    // Columns line up by characters: a description with letters of two bytes is padded as wide.
    OpenBackendDatabase(*FindBackend("DEMO"))
        ->Run("UPDATE baseline SET description = 'Überprüfung' "
              "WHERE trim(project_id, ' ') = 'BRIDGE' AND baseline_id = 1",
              {});
    EXPECT_NE(Erp({"baselines", "DEMO", "BRIDGE"})
                  .out.find("    1  approved  Überprüfung                     derived from -"),
              std::string::npos);

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

TEST_F(KovaErpTest, AppliesAChangeSetToAPlansStructureAllOrNothing) {
    ASSERT_EQ(Erp({"create", "DEMO", "--seed", kDemoSeed}).code, 0);
    auto write = [&](const std::string& name, const std::string& text) {
        std::string path = (home.path() / name).string();
        std::ofstream(path) << text;
        return path;
    };
    auto structure = [&] {
        auto db = OpenBackendDatabase(*FindBackend("DEMO"));
        Statement st = db->Prepare("SELECT ce_id, parent_ce_id, description, sched_start_ts FROM charge_element "
                                   "WHERE project_id = 'BRIDGE' AND plan_id = 'MAIN' ORDER BY ce_id");
        std::string rows;
        while (st.Step())
            rows += st.Text(0) + "<" + st.Text(1) + " " + st.Text(2) + " " + st.Text(3) + "\n";
        auto link = db->Scalar("SELECT ownership FROM external_schedule_link WHERE ce_id = 'BR'");
        return rows + "link " + (link.IsEmpty() ? "-" : std::to_string(CLng(link)));
    };
    const std::string before = structure();

    // The last change fails: nothing of the set is kept.
    std::string bad = write("bad.json", R"({"project": "BRIDGE", "plan": "MAIN", "changes": [
        {"op": "remove", "id": "BR12"}, {"op": "change", "id": "BR21", "parent": "BR99"}]})");
    Result refused = Erp({"change", "DEMO", bad});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("changes[1]: there is no element BR99 for parent"), std::string::npos) << refused.err;
    EXPECT_EQ(structure(), before);

    std::string good = write("good.json", R"({"project": "BRIDGE", "plan": "MAIN", "changes": [
        {"op": "remove", "id": "BR11"},
        {"op": "change", "id": "BR21", "parent": "BR10", "start": "2024-09-02 08:00"},
        {"op": "add", "id": "BR13", "description": "Tender", "type": 4, "parent": "BR10"}]})");
    Result applied = Erp({"change", "DEMO", good});
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_EQ(applied.out, "removed BR11 (2 elements)\nchanged BR21 (parent_ce_id, sched_start_ts)\n"
                           "added BR13\nApplied " + good + " to backend DEMO\n");
    const std::string after = structure();
    EXPECT_EQ(after.find("BR11<"), std::string::npos);
    EXPECT_EQ(after.find("BRM1<"), std::string::npos) << "the milestone linked to BR11 goes with it";
    EXPECT_NE(after.find("BR21<BR10 Foundations 20240902080000"), std::string::npos) << after;
    EXPECT_NE(after.find("BR13<BR10 Tender"), std::string::npos) << after;

    // A loop in the parent chain, and an ownership for a link that does not exist, are refused.
    for (const char* change : {R"({"op": "change", "id": "BR10", "parent": "BR21"})",
                               R"({"op": "ownership", "node": "BR", "ownership": 2})",
                               R"({"op": "rename", "id": "BR10"})"}) {
        std::string path =
            write("one.json", std::string(R"({"project": "BRIDGE", "plan": "MAIN", "changes": [)") + change + "]}");
        EXPECT_EQ(Erp({"change", "DEMO", path}).code, 1) << change;
    }
    EXPECT_EQ(structure(), after);
    EXPECT_NE(Erp({"--help"}).out.find("kova-erp change NAME FILE"), std::string::npos);
}

TEST_F(KovaErpTest, ChangesAndRemovesBudgetLinesOfAnElement) {
    ASSERT_EQ(Erp({"create", "DEMO", "--seed", kDemoSeed}).code, 0);
    auto write = [&](const std::string& text) {
        std::string path = (home.path() / "lines.json").string();
        std::ofstream(path) << R"({"project": "BRIDGE", "plan": "MAIN", "changes": [)" << text << "]}";
        return path;
    };
    auto lines = [&] {
        auto db = OpenBackendDatabase(*FindBackend("DEMO"));
        Statement st = db->Prepare("SELECT ce_id, seq_no, required_quantity, unit, start_ts FROM budget_line "
                                   "WHERE project_id = 'BRIDGE' AND ce_id = 'BR21' ORDER BY seq_no");
        std::string rows;
        while (st.Step())
            rows += st.Text(0) + "_" + st.Text(1) + " " + st.Text(2) + " " + st.Text(3) + " " + st.Text(4) + "\n";
        return rows;
    };
    const std::string before = lines();
    Result applied = Erp({"change", "DEMO", write(R"({"op": "changeLine", "ce": "BR21", "line": 1,
        "requiredQuantity": 450.5, "unit": "m3", "start": "2024-09-09 08:00"}, {"op": "removeLine", "ce": "BR21", "line": 2})")});
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_NE(applied.out.find("changed BR21 line 1 (required_quantity, unit, start_ts)\nremoved BR21 line 2\n"),
              std::string::npos)
        << applied.out;
    const std::string after = lines();
    EXPECT_NE(after.find("BR21_1 450.5 m3 20240909080000\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("BR21_2 "), std::string::npos) << after;
    // A line that does not exist, or a change that sets nothing, refuses the whole set.
    for (const char* change : {R"({"op": "removeLine", "ce": "BR21", "line": 99})",
                               R"({"op": "changeLine", "ce": "BR21", "line": 1})"})
        EXPECT_EQ(Erp({"change", "DEMO", write(std::string(R"({"op": "removeLine", "ce": "BR21", "line": 3}, )") + change)}).code, 1)
            << change;
    EXPECT_EQ(lines(), after);
    EXPECT_NE(before, after);
}

// A change set holds only quantities, amounts and percentages the ERP can hold; a refused one names the
// file, the change and the key, and nothing of the set is kept.
TEST_F(KovaErpTest, AChangeSetRefusesNumbersTheErpCannotHold) {
    ASSERT_EQ(Erp({"create", "DEMO", "--seed", kDemoSeed}).code, 0);
    const std::string path = (home.path() / "numbers.json").string();
    auto state = [&] {
        auto db = OpenBackendDatabase(*FindBackend("DEMO"));
        Statement st = db->Prepare("SELECT seq_no, quantity, required_quantity, duration, cost_amount FROM budget_line "
                                   "WHERE project_id = 'BRIDGE' AND ce_id = 'BR21' ORDER BY seq_no");
        std::string rows;
        while (st.Step())
            rows += st.Text(0) + " " + st.Text(1) + " " + st.Text(2) + " " + st.Text(3) + " " + st.Text(4) + "\n";
        return rows + CStr(db->Scalar("SELECT percent_complete FROM charge_element WHERE ce_id = 'BR21'"));
    };
    const struct {
        const char* change;
        const char* refusal; // "" when the change is taken
    } cases[] = {
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "requiredQuantity": 1e308})",
         "requiredQuantity must be a number of 0 or more, below 1000000000000000"},
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "quantity": -450})",
         "quantity must be a number of 0 or more"},
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "netQuantity": 1e15})", "netQuantity must be a number of 0 or more"},
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "duration": -0.5})", "duration must be a number of 0 or more"},
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "costAmount": 1e300})",
         "costAmount must be a number above -1000000000000000 and below 1000000000000000"},
        {R"({"op": "change", "id": "BR21", "percentComplete": 500})", "percentComplete must be a percentage from 0 to 100"},
        {R"({"op": "change", "id": "BR21", "percentComplete": -1})", "percentComplete must be a percentage from 0 to 100"},
        {R"({"op": "add", "id": "BR14", "type": 4, "parent": "BR10", "percentComplete": 101})",
         "percentComplete must be a percentage from 0 to 100"},
        {R"({"op": "changeLine", "ce": "BR21", "line": 1, "requiredQuantity": 999999999999999, "quantity": 0,
             "costAmount": -250})", ""},
        {R"({"op": "change", "id": "BR21", "percentComplete": 100})", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        // The refused change comes second, so that the first one shows nothing of the set is kept.
        std::ofstream(path) << R"({"project": "BRIDGE", "plan": "MAIN", "changes": [
            {"op": "changeLine", "ce": "BR21", "line": 1, "unit": "t"}, )" << c.change << "]}";
        const std::string before = state();
        const Result result = Erp({"change", "DEMO", path});
        if (*c.refusal) {
            EXPECT_EQ(result.code, 1);
            EXPECT_NE(result.err.find(path + ": changes[1]: " + c.refusal), std::string::npos) << result.err;
            EXPECT_EQ(state(), before);
        } else {
            EXPECT_EQ(result.code, 0) << result.err;
            EXPECT_NE(state(), before);
        }
    }
}

// A seed that is refused names its file as well as the record.
TEST_F(KovaErpTest, ASeedRefusedNamesItsFileAndTheRecord) {
    const std::string path = (home.path() / "bad-seed.json").string();
    const struct {
        const char* seed;
        const char* refusal;
    } cases[] = {
        {R"({"compnay": {}})", ": unknown key \"compnay\""},
        {R"({"company": {"number": 0}})", ": company: number is missing"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
             "chargeElements": [{"id": "TOP", "type": 1, "percentComplete": 500}]}]}]})",
         ": projects[0].plans[0].chargeElements[0]: percentComplete must be a percentage from 0 to 100"},
        {R"({"company": {"number": 1}, "costObjects": [{"kind": "MAT", "code": "SAND", "unit": "t"}],
             "projects": [{"id": "P1", "plans": [{"id": "A", "chargeElements": [{"id": "TOP", "type": 1}],
             "budgetLines": [{"chargeElement": "TOP", "costType": 1, "costObject": "SAND", "requiredQuantity": -450}]}]}]})",
         ": projects[0].plans[0].budgetLines[0]: requiredQuantity must be a number of 0 or more"},
        {R"({"company": {"number": 1}, "obs": [{"id": "X"}, {"id": "X"}]})", ": the backend refused the seed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        std::ofstream(path) << c.seed;
        const Result result = Erp({"create", "BAD", "--seed", path});
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.err.find(path + c.refusal), std::string::npos) << result.err;
        EXPECT_FALSE(FindBackend("BAD")) << "a refused seed leaves no backend";
    }
}
