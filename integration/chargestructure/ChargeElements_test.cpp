#include "integration/chargestructure/ChargeElements.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/core/GlobalDeclarations.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Err;

TEST(ChargeElementTypes, NamesAndCodesOnlyForTheExactTexts) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"1", "WBS Element"},
        {"2", "Project Cost Account"},
        {"3", "Planning Package"},
        {"4", "Work Package"},
        {"5", "Milestone"},
        {"0", "Error"},
        {"6", "Error"},
        {"", "Error"},
        {" 1", "Error"},
        {"01", "Error"},
        {"1.0", "Error"},
    };
    for (const auto& [code, name] : names)
        EXPECT_EQ(GetChargeElementTypeName(code), name) << "'" << code << "'";

    const std::vector<std::pair<std::string, int16_t>> codes = {
        {"WBS Element", 1},
        {"Project Cost Account", 2},
        {"Planning Package", 3},
        {"Work Package", 4},
        {"Milestone", 5},
        {"milestone", 0},
        {"MILESTONE", 0},
        {"Work package", 0},
        {" Milestone", 0},
        {"", 0},
        {"Error", 0},
    };
    for (const auto& [name, code] : codes)
        EXPECT_EQ(GetChargeElementTypeCode(name), code) << "'" << name << "'";
}

TEST(ChargeElementTypes, TableInCodeOrderWithAbbreviations) {
    std::string out;
    for (const ChargeElementType& type : ChargeElementTypes()) {
        out += std::to_string(type.code) + ":" + type.abbreviation + ";";
        // The table and the two conversions agree both ways.
        EXPECT_EQ(GetChargeElementTypeCode(GetChargeElementTypeName(std::to_string(type.code))), type.code);
    }
    EXPECT_EQ(out, "1:WBS;2:PCA;3:PP;4:WP;5:Mil;");
}

// A task row of a test plan: name ("" for a blank row), Flag3 and Text10.
struct TaskRow {
    std::string name;
    bool mark = false;
    std::string type;
};

class ChargeStructureQueries : public ::testing::Test {
protected:
    void SetUp() override {
        app = msp::StartApplication({});
        ASSERT_TRUE(app);
        app->FileNew(false);
        MSProjectApplication = app;
        Err().Clear();
    }
    void TearDown() override {
        MSProjectApplication.reset();
        msp::QuitApplication();
        Err().Clear();
    }
    void Build(const std::vector<TaskRow>& rows) {
        msp::Tasks tasks = app->ActiveProject().Tasks();
        for (const TaskRow& row : rows) {
            if (row.name.empty()) {
                app->SelectRow(tasks.Count() + 1, false);
                app->EditInsert();
                continue;
            }
            msp::Task task = tasks.Add(row.name);
            task.SetFlag3(row.mark);
            task.SetText10(row.type);
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }

    platform::os::TempKovaHome home;
    std::shared_ptr<msp::Application> app;
};

TEST_F(ChargeStructureQueries, WalkSkipsBlankRowsAndTellsMilestonesApart) {
    struct Case {
        const char* title;
        std::vector<TaskRow> rows;
        bool empty, present;
        int32_t top;
    } cases[] = {
        {"NoTasks", {}, true, false, 0},
        {"PlainTasksOnly", {{"A"}, {"B", false, "Work Package"}}, true, false, 0},
        {"OnlyMilestones", {{"M1", true, "Milestone"}, {"M2", true, "Milestone"}}, true, true, 0},
        {"BlankRowsBeforeTheTop",
         {{""},
          {"Plain"},
          {""},
          {"M1", true, "Milestone"},
          {"Top", true, "WBS Element"},
          {"WP", true, "Work Package"}},
         false,
         true,
         5},
        // A marked task counts whatever its type text; only the exact name "Milestone" is a milestone.
        {"LowerCaseMilestoneIsNoMilestone", {{"M", true, "milestone"}}, false, true, 1},
        {"UntypedMarkedTask", {{"A"}, {"X", true, ""}}, false, true, 2},
        {"OnlyBlankRows", {{""}, {""}}, true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        app->FileNew(false);
        Build(c.rows);
        EXPECT_EQ(IsChargeStructureEmpty(), c.empty);
        EXPECT_EQ(IsChargeStructurePresent(), c.present);
        EXPECT_EQ(GetTopChargeElementTaskId(), c.top);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
    }
}

TEST_F(ChargeStructureQueries, TaskHelpersFollowTheMarkAndTheTypeName) {
    Build({{"WP", true, "Work Package"}, {"M", true, "Milestone"}, {"Plain", false, "Milestone"}});
    msp::Tasks tasks = app->ActiveProject().Tasks();
    EXPECT_TRUE(IsChargeElementTask(tasks.Item(1)));
    EXPECT_FALSE(IsMilestoneChargeElement(tasks.Item(1)));
    EXPECT_TRUE(IsMilestoneChargeElement(tasks.Item(2)));
    EXPECT_FALSE(IsChargeElementTask(tasks.Item(3)));
    EXPECT_FALSE(IsMilestoneChargeElement(tasks.Item(3)));
    EXPECT_FALSE(IsChargeElementTask(msp::Task()));
}

TEST_F(ChargeStructureQueries, WithoutAPlanTheStartingAnswersAndTheFailure) {
    app->FileCloseAll(msp::pjDoNotSave);
    ASSERT_EQ(app->Projects().Count(), 0);
    EXPECT_TRUE(IsChargeStructureEmpty());
    EXPECT_NE(Err().Number, 0);
    EXPECT_FALSE(IsChargeStructurePresent());
    EXPECT_NE(Err().Number, 0);
    EXPECT_EQ(GetTopChargeElementTaskId(), 0);
    EXPECT_NE(Err().Number, 0);
}

} // namespace
} // namespace Grantry
