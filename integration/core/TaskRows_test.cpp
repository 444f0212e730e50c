#include "integration/core/TaskRows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/core/CoreTestSupport.h"
#include "integration/core/PlanLayoutTestSupport.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/os/TestSupport.h"
#include "platform/os/TextFiles.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Err;
using ::testing::HasSubstr;

class TaskRowsTest : public test::PlanFixture, public ::testing::WithParamInterface<test::PlanLayout> {
protected:
    void SetUp() override {
        test::PlanFixture::SetUp();
        logPath = home.path() / "run.log";
        ASSERT_TRUE(platform::os::OpenFile(platform::os::LogFileNumber, logPath.string(),
                                           platform::os::FileMode::Output));
        msp::Tasks tasks = Plan().Tasks();
        auto add = [&](const char* name, int level) {
            msp::Task t = tasks.Add(name);
            t.SetOutlineLevel(level);
        };
        add("Alpha", 1);
        add("Alpha one", 2);
        add("Alpha two", 2);
        add("Beta", 1);
        add("Beta one", 2);
        add("Beta one a", 3);
        add("Beta two", 2);
        test::ApplyPlanLayout(*app, GetParam(), "Beta one", {"Alpha", "Beta one"});
    }
    std::string LogText() {
        platform::os::CloseFile(platform::os::LogFileNumber);
        return test::ReadFile(logPath);
    }
    msp::Task ByName(const std::string& name) {
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t && t.Name() == name) return t;
        ADD_FAILURE() << "no task " << name;
        return {};
    }
    int32_t IdOf(const std::string& name) { return ByName(name).Id(); }
    // "Name:level" of every task, in row order, blank rows left out.
    std::string Outline() {
        std::string out;
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t) out += (out.empty() ? "" : " ") + t.Name() + ":" + std::to_string(t.OutlineLevel());
        return out;
    }

    platform::os::TempKovaHome home;
    std::filesystem::path logPath;
};

TEST_P(TaskRowsTest, EveryTasksRowIsReachedAndOnlyThatTasksRow) {
    const std::vector<std::string> names = {"Alpha",    "Alpha one",  "Alpha two", "Beta",
                                            "Beta one", "Beta one a", "Beta two"};
    // Each name twice, in an order where the previous active row is never the one wanted.
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[round == 0 ? i : names.size() - 1 - i];
            SCOPED_TRACE(name);
            msp::Task wanted = ByName(name);
            ASSERT_TRUE(SelectTaskRow(*app, wanted));
            EXPECT_EQ(Err().Number, 0);
            EXPECT_EQ(app->ActiveCell().Task().UniqueID(), wanted.UniqueID());
            // The next row is what a paste before it would follow.
            ASSERT_TRUE(SelectTaskRowById(*app, wanted.Id()));
            EXPECT_EQ(app->ActiveCell().Task().Name(), name);
        }
    EXPECT_THAT(LogText(), ::testing::Not(HasSubstr("FAILURE")));
}

TEST_P(TaskRowsTest, ABlankRowOrAHiddenTaskIsNoRowToWorkOn) {
    // A filter that shows none of the tasks: no row holds the task.
    app->FilterEdit("OnlyFlagged", true, true, "Flag1", "equals", "Yes");
    app->FilterApply("OnlyFlagged");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(SelectTaskRow(*app, ByName("Beta two")));
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(SelectTaskRowById(*app, 0));
    EXPECT_FALSE(SelectTaskRowById(*app, Plan().Tasks().Count() + 1));
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("*** FAILURE: *** Selecting failed for Task ID " +
                               std::to_string(ByName("Beta two").Id()) + ", Beta two\r\n"));
    EXPECT_THAT(log, HasSubstr("*** FAILURE: *** Selecting failed for Task ID 0\r\n"));
}

TEST_P(TaskRowsTest, ATaskMovesBelowAnotherSubtreeWithItsSubtasks) {
    msp::Task moved = MoveTaskBelowSubtree(*app, ByName("Beta one"), ByName("Alpha"));
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved.Name(), "Beta one");
    EXPECT_EQ(app->ActiveCell().Task().Name(), "Beta one");
    // Right after Alpha's last subtask, its own subtask with it; the level is the caller's to set.
    const std::string outline = Outline();
    const std::string alphaLast = GetParam().sorted ? "Alpha one" : "Alpha two";
    EXPECT_THAT(outline, HasSubstr(alphaLast + ":2 Beta one:"));
    EXPECT_EQ(ByName("Beta one a").OutlineParent().Name(), "Beta one");

    // Below one of its own subtasks, or itself, it cannot go: nothing moves.
    EXPECT_FALSE(MoveTaskBelowSubtree(*app, ByName("Beta one"), ByName("Beta one a")));
    EXPECT_FALSE(MoveTaskBelowSubtree(*app, ByName("Beta one"), ByName("Beta one")));
    EXPECT_EQ(Outline(), outline);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TaskRowsTest, ::testing::ValuesIn(test::kPlanLayouts), test::PlanLayoutName);

} // namespace
} // namespace Grantry
