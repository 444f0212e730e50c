#include "platform/middleware/Seed.h"

#include <gtest/gtest.h>

#include "platform/middleware/Admin.h"
#include "platform/middleware/Backend.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/Schema.h"
#include "platform/middleware/TestBackend.h"
#include "platform/os/Registry.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

int64_t Count(Database& db, const std::string& sql) {
    return CLng(db.Scalar(sql));
}

} // namespace

TEST(Backend, CreatedWithTheWholeVersionedSchemaAndItsAdapterEntry) {
    platform::os::TempKovaHome home;
    BackendConfig wanted(" ERP1 ");
    wanted.started = false;
    wanted.companyNumber = 42;
    BackendConfig config = CreateBackend(wanted, true);
    EXPECT_EQ(config.name, "ERP1");
    EXPECT_EQ(DefaultBackendName(), "ERP1");
    auto found = FindBackend("  ERP1");
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->started);
    EXPECT_EQ(found->companyNumber, 42);
    EXPECT_EQ(DatabasePath(*found), home.path() / "erp" / "ERP1.db");
    uint32_t started = 1;
    EXPECT_TRUE(platform::os::RegistryGetDword(
        platform::os::HKEY_LOCAL_MACHINE, "SOFTWARE\\Kova\\Meridane\\Backends\\ERP1", "Started", started));
    EXPECT_EQ(started, 0u);

    auto db = OpenBackendDatabase(*found);
    EXPECT_EQ(SchemaVersion(*db), kSchemaVersion);
    std::vector<std::string> tables;
    for (const auto& [table, rows] : TableCounts(*db))
        tables.push_back(table);
    EXPECT_EQ(tables, (std::vector<std::string>{"company",
                                                "erp_release",
                                                "planning_parameters",
                                                "availability_type",
                                                "project",
                                                "plan",
                                                "baseline",
                                                "charge_element",
                                                "external_schedule_link",
                                                "standard_charge_element",
                                                "code_counter",
                                                "budget_line",
                                                "cost_object",
                                                "employee",
                                                "trade_group",
                                                "obs_element",
                                                "calendar",
                                                "standard_calendar_line",
                                                "calendar_exception_line",
                                                "actual_calendar_line"}));
    EXPECT_EQ(CStr(db->Scalar("SELECT release_id FROM erp_release")), "tt7.1_a");
}

TEST(Backend, RefusesFilesThatAreNoBackendOrComeFromANewerVersion) {
    platform::os::TempKovaHome home;
    BackendConfig config = CreateBackend(BackendConfig("NEW"), true);
    Database::Open(DatabasePath(config), false)->Exec("PRAGMA user_version = 99");
    EXPECT_THROW(OpenBackendDatabase(config), DatabaseError);
    try {
        OpenDefaultBackend();
        FAIL() << "a newer backend must not open";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number, failures::BackendNotAvailable);
    }
    BackendConfig empty("EMPTY");
    SaveBackend(empty);
    Database::Open(DatabasePath(empty), true);
    EXPECT_THROW(OpenBackendDatabase(empty), DatabaseError);
    BackendConfig missing("MISSING");
    EXPECT_THROW(OpenBackendDatabase(missing), DatabaseError) << "a missing file is not created on open";
}

TEST(Seed, DemoSeedHoldsEveryKindOfData) {
    TestBackend erp;
    erp.Config().companyNumber = 0;
    erp.Save();
    BackendConfig config =
        SeedBackendFromFile(erp.Config(), std::string(KOVA_SOURCE_DIR) + "/testdata/demo-erp.json");
    EXPECT_NE(config.companyNumber, 0) << "the backend takes the seed's company";
    auto db = erp.Open();
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM company"), 1);
    EXPECT_EQ(CStr(db->Scalar("SELECT release_id FROM erp_release")), "tt7.1_a");
    int64_t projects = Count(*db, "SELECT COUNT(*) FROM project");
    EXPECT_TRUE(projects >= 2 && projects <= 3);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM project p WHERE NOT EXISTS "
                         "(SELECT 1 FROM plan WHERE project_id = p.project_id)"),
              0)
        << "every project has plans";
    EXPECT_EQ(Count(*db, "SELECT COUNT(DISTINCT cost_type) FROM budget_line"), 5);
    EXPECT_EQ(Count(*db, "SELECT COUNT(DISTINCT kind) FROM cost_object WHERE project_id = ''"), 5);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM cost_object WHERE project_id <> ''"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM budget_line WHERE reference_type = 1"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM budget_line WHERE employee <> ''"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM budget_line WHERE trade_group <> ''"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM employee"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM trade_group"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM calendar WHERE parent_code <> ''"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM calendar_exception_line"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM standard_calendar_line"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM obs_element WHERE parent_id <> ''"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM standard_charge_element"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM baseline WHERE status = 2"), 0);
    EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM charge_element WHERE ce_type = 5"), 0);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM plan WHERE top_ce_id = ''"), 0);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM planning_parameters"), 1);
}

TEST(Seed, TimesParentsAndDefaultsAreStoredAsTheBackendKeepsThem) {
    TestBackend erp(R"({
      "company": {"number": 3},
      "costObjects": [{"kind": "MAT", "code": "SAND", "unit": "t"}],
      "projects": [{"id": "P1", "start": "2024-05-06", "finish": "2024-06-30 17:30",
        "plans": [{"id": "A", "chargeElements": [{"id": "TOP", "type": 1}, {"id": "W1  ", "type": 4, "parent": "TOP"}],
                   "budgetLines": [{"chargeElement": "W1  ", "costType": 1, "costObject": "SAND"},
                                   {"chargeElement": "W1  ", "costType": 1, "costObject": "SAND"}]},
                  {"id": "B"}]}]
    })");
    auto db = erp.Open();
    EXPECT_EQ(CStr(db->Scalar("SELECT start_ts || '/' || finish_ts FROM project")),
              "20240506000000/20240630173000");
    EXPECT_EQ(CStr(db->Scalar("SELECT leading_plan_id FROM project")), "A")
        << "the first plan leads by default";
    EXPECT_EQ(CStr(db->Scalar("SELECT top_ce_id FROM plan WHERE plan_id = 'A'")), "TOP");
    EXPECT_EQ(CStr(db->Scalar(
                  "SELECT group_concat(seq_no || unit || schedule_link || reference_type) FROM budget_line")),
              "1t22,2t22")
        << "numbered within the element, the cost object's unit, waiting, standard";
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM charge_element WHERE ce_id = 'W1  '"), 1) << "padding is kept";
}

TEST(Seed, RefusesWrongSeedsWithThePlaceAndKeepsNothing) {
    struct Case {
        const char* seed;
        const char* message;
    } cases[] = {
        {R"({"compnay": {}})", "seed: unknown key \"compnay\""},
        {R"({"version": 2})", "only version 1"},
        {R"({"projects": [{"id": "P1"}]})", "projects[0]: projects need a company"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P.1"}]})", "projects[0]: a project id has no"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
             "chargeElements": [{"id": "TOOLONGID", "type": 1}]}]}]})",
         "projects[0].plans[0].chargeElements[0]: a charge element id has 1 to 8 characters"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
             "chargeElements": [{"id": "C_1", "type": 1}]}]}]})",
         "no \".\" or \"_\""},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
             "chargeElements": [{"id": "KID", "type": 4, "parent": "TOP"}, {"id": "TOP", "type": 1}]}]}]})",
         "the parent TOP must come before it"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "plans": [{"id": "A",
             "chargeElements": [{"id": "TOP", "type": 1}],
             "budgetLines": [{"chargeElement": "TOP", "costType": 3, "costObject": "CRANE"}]}]}]})",
         "budgetLines[0]: there is no EQP cost object CRANE"},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "start": "2024-02-30"}]})",
         "projects[0]: start is no time: \"2024-02-30\""},
        {R"({"company": {"number": 1}, "projects": [{"id": "P1", "start": "2200-03-01", "finish": "2025-06-30"}]})",
         "projects[0]: the project P1 starts (2200-03-01) after it finishes (2025-06-30)"},
        {R"({"calendars": [{"code": "KID", "parent": "STD"}, {"code": "STD"}]})",
         "calendars[0]: the parent calendar STD must come before it"},
        {R"({"company": {"number": 1}, "obs": [{"id": "X"}, {"id": "X"}]})", "the backend refused the seed"},
    };
    for (const auto& c : cases) {
        TestBackend erp;
        try {
            SeedBackend(erp.Config(), nlohmann::json::parse(c.seed));
            ADD_FAILURE() << "accepted: " << c.seed;
        } catch (const SeedError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        auto db = erp.Open();
        EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM company") +
                      Count(*db, "SELECT COUNT(*) FROM obs_element") +
                      Count(*db, "SELECT COUNT(*) FROM calendar"),
                  0)
            << c.seed;
    }
}
