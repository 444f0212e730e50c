// Rows of the view versus task Ids: absolute and relative SelectRow, views and filters, blank rows.
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class SelectRow : public MsProjectTest {
protected:
    void SetUp() override {
        MsProjectTest::SetUp();
        // The integration's filter: every non-blank task.
        app->FilterEdit("AllKovaProjectTasks", true, true);
        Err().Clear();
    }
};

TEST_F(SelectRow, AbsoluteAndRelativeMoves) {
    Build({{"A", 1}, {"B", 2}, {"C", 2}, {"D", 1}, {"E", 2}});
    struct Step {
        int32_t row;
        bool relative;
        const char* active;
        int32_t error;
    };
    const Step steps[] = {
        {3, false, "C", 0},    {1, true, "D", 0},       {-2, true, "B", 0},
        {0, true, "B", 0},     {-2, true, "B", 1004},   // below row 1: refused, the active row stays
        {0, false, "B", 1004}, {6, false, "<none>", 0}, // the empty row after the last task
        {-1, true, "E", 0},
    };
    for (const Step& s : steps) {
        Err().Clear();
        app->SelectRow(s.row, s.relative);
        EXPECT_EQ(Err().Number, s.error) << s.row << (s.relative ? " relative" : " absolute");
        EXPECT_EQ(ActiveName(), s.active) << s.row << (s.relative ? " relative" : " absolute");
    }
}

TEST_F(SelectRow, FilterApplyPutsTheActiveCellOnRowOne) {
    Build({{"A", 1}, {"B", 2}, {"C", 2}, {"D", 1}, {"E", 2}});
    app->SelectRow(4, false);
    int32_t id = app->ActiveCell().Task().Id();
    app->FilterApply("AllKovaProjectTasks");
    EXPECT_EQ(ActiveName(), "A");
    // The relative move by ID - 1 lands back on the task.
    app->SelectRow(id - 1);
    EXPECT_EQ(ActiveName(), "D");
    // With no task active (ID 0) the move by -1 from row 1 fails.
    app->FilterApply("AllKovaProjectTasks");
    app->SelectRow(0 - 1);
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(ActiveName(), "A");
}

TEST_F(SelectRow, FilterHidesBlankRowsSoRowsAreIdsLessTheBlanksAbove) {
    Build({{"A", 1}, {"", 0}, {"B", 1}, {"", 0}, {"C", 1}});
    Task c = Named("C");
    EXPECT_EQ(c.Id(), 5);
    EXPECT_EQ(PlanTasks().Count(), 5);
    EXPECT_FALSE(PlanTasks().Item(2));
    EXPECT_EQ(Err().Number, 0);
    app->SelectRow(5, false);
    EXPECT_EQ(ActiveName(), "C");
    app->SelectRow(2, false);
    EXPECT_EQ(ActiveName(), "<none>");

    app->ViewApply("Gantt Chart", true);
    app->FilterApply("AllKovaProjectTasks");
    int32_t blanksAbove = 2;
    app->SelectRow(c.Id() - blanksAbove, false);
    EXPECT_EQ(ActiveName(), "C");
    app->SelectRow(2, false);
    EXPECT_EQ(ActiveName(), "B");
    // ViewApply drops the filter: the blank rows are back.
    app->ViewApply("Gantt Chart", true);
    EXPECT_EQ(Plan().CurrentFilter(), "All Tasks");
    EXPECT_EQ(ActiveName(), "A");
    app->SelectRow(2, false);
    EXPECT_EQ(ActiveName(), "<none>");
}

TEST_F(SelectRow, ViewsAndFiltersByName) {
    Build({{"A", 1}});
    struct Case {
        const char* view;
        const char* filter;
        int32_t error;
    };
    const Case cases[] = {
        {"Task Sheet", "AllKovaProjectTasks", 0},
        {"No Such View", nullptr, 1004},
        {"Gantt Chart", "No Such Filter", 1004},
        {"Resource Sheet", "AllKovaProjectTasks", 1004}, // a task filter in a resource view
        {"Resource Sheet", "All Resources", 0},
    };
    for (const Case& c : cases) {
        Err().Clear();
        app->ViewApply(c.view, true);
        if (c.filter) app->FilterApply(c.filter);
        EXPECT_EQ(Err().Number, c.error) << c.view << " / " << (c.filter ? c.filter : "");
    }
    app->ViewApply("task sheet");
    EXPECT_EQ(Plan().CurrentView(), "Task Sheet");
}

TEST_F(SelectRow, FontFormatsTheSelectedRow) {
    Build({{"A", 1}, {"B", 2}, {"C", 2}});
    app->SelectRow(2, false);
    app->Font({.Italic = true, .Color = "1"});
    app->SelectRow(3, false);
    app->Font({.Italic = false, .Color = 0});
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(Named("B").FontItalic());
    EXPECT_EQ(Named("B").FontColor(), 1);
    EXPECT_FALSE(Named("C").FontItalic());
    EXPECT_EQ(Named("C").FontColor(), 0);
    EXPECT_FALSE(Named("A").FontItalic());
    app->Font({.Color = "red"});
    EXPECT_EQ(Err().Number, 13);
}

TEST_F(SelectRow, ResourceViewSelectsResourceRows) {
    Build({{"A", 1}, {"B", 1}});
    Plan().Resources().Add("R1");
    Plan().Resources().Add("R2");
    app->ViewApply("Resource Sheet", true);
    app->SelectRow(2, false);
    EXPECT_EQ(app->ActiveCell().Resource().Name(), "R2");
    EXPECT_FALSE(app->ActiveCell().Task());
}

} // namespace
} // namespace platform::msproject::testing
