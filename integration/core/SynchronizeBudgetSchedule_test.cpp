#include "integration/core/SynchronizeBudgetSchedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/core/PlanTestSupport.h"
#include "platform/automation/Variant.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Variant;

struct Row {
    const char* name; // nullptr: a blank row
    const char* code;
    bool top;         // Flag1: a charge element without parent
    const char* type; // Text10
};

struct TopTaskCase {
    const char* name;
    std::vector<Row> rows;
    bool passes;
    const char* selected; // the task of the selected row, or nullptr when nothing is selected
};

class TopTaskTest : public test::PlanFixture, public ::testing::WithParamInterface<TopTaskCase> {
protected:
    platform::os::TempKovaHome home;
};

TEST_P(TopTaskTest, TheFirstParentlessElementMustBeTheConnectionNode) {
    const TopTaskCase& c = GetParam();
    Properties().Add("KovaConnectionNode", false, kPropertyText, Variant("BR"));
    app->FilterEdit(kAllKovaProjectTasksFilter, true, true);
    msp::Tasks tasks = Plan().Tasks();
    for (const Row& r : c.rows) {
        if (!r.name) {
            // A blank row at the end: the empty row after the last task, then a row inserted before it.
            tasks.Add("placeholder");
            app->SelectRow(tasks.Count(), false);
            app->EditInsert();
            tasks.Item(tasks.Count()).Delete();
            continue;
        }
        msp::Task t = tasks.Add(r.name);
        t.SetText1(r.code);
        t.SetFlag1(r.top);
        t.SetText10(r.type);
    }
    app->FilterApply(kAllKovaProjectTasksFilter);
    EXPECT_EQ(TopTaskIsConnectionNode(), c.passes);
    if (c.selected) {
        msp::Task active = app->ActiveCell().Task();
        ASSERT_TRUE(active);
        EXPECT_EQ(active.Name(), c.selected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TopTaskTest,
    ::testing::Values(
        TopTaskCase{"TheNodeOnTop",
                    {{"Bridge", "BR", true, "WBS Element"}, {"Design", "BR10", false, "Project Cost Account"}},
                    true,
                    "Bridge"},
        TopTaskCase{"AMilestoneAboveIsSkipped",
                    {{"Opened", "BRM2", true, "Milestone"}, {"Bridge", "BR", true, "WBS Element"}},
                    true,
                    "Bridge"},
        TopTaskCase{"NoParentlessTask", {{"Notes", "", false, ""}, {"Design", "BR10", false, "Work Package"}}, true,
                    nullptr},
        TopTaskCase{"BlankRowsAbove",
                    {{"Notes", "", false, ""}, {nullptr, nullptr, false, nullptr}, {nullptr, nullptr, false, nullptr},
                     {"Bridge", "BR", true, "WBS Element"}},
                    true,
                    "Bridge"},
        TopTaskCase{"AnotherCode",
                    {{"Depot", "DP", true, "WBS Element"}, {"Bridge", "BR", true, "WBS Element"}},
                    false,
                    "Depot"}),
    [](const ::testing::TestParamInfo<TopTaskCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace Grantry
