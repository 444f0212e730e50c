// A task's Id is its row in the task list, blank rows counted, however many tasks were put in above
// it since: single inserts at every place, long runs of them, and inserts mixed with the changes that
// number the list afresh (deletes, cut and paste, blank rows, sorting).
#include <random>

#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class TaskIds : public MsProjectTest {
protected:
    // Blank rows at the top, inside and at the end; S is a collapsed summary, E has an assignment.
    void Lay() {
        Build({{"", 0}, {"S", 1}, {"A", 2}, {"", 0}, {"B", 2}, {"T", 1}, {"E", 2}, {"", 0}});
        Named("S").OutlineHideSubTasks();
        Resource r = Plan().Resources().Add("Crane");
        Named("E").Assignments().Add(r.Id());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }

    // Every task's Id, its "ID" field, the list's item of that Id and each assignment's task Id
    // against the task's place in the list.
    void ExpectIdsAreRows(const std::string& after) {
        const std::vector<Task> rows = PlanTasks().Snapshot();
        for (size_t i = 0; i < rows.size(); ++i) {
            const Task& t = rows[i];
            if (!t) continue;
            const int32_t row = static_cast<int32_t>(i + 1);
            ASSERT_EQ(t.Id(), row) << t.Name() << " after " << after;
            ASSERT_EQ(automation::CLng(t.GetField("ID")), row) << t.Name() << " after " << after;
            ASSERT_EQ(PlanTasks().Item(row).UniqueID(), t.UniqueID()) << t.Name() << " after " << after;
            for (const Assignment& a : t.Assignments().Snapshot())
                ASSERT_EQ(a.TaskID(), row) << t.Name() << "'s assignment after " << after;
        }
        // Each task's outline parent is the nearest task above it at a lower level (else the summary).
        std::vector<std::pair<int, Task>> open; // the chain of tasks above, by level
        for (const Task& t : rows) {
            if (!t) continue;
            const int level = t.OutlineLevel();
            while (!open.empty() && open.back().first >= level)
                open.pop_back();
            Task parent = t.OutlineParent();
            if (open.empty())
                ASSERT_EQ(parent.OutlineLevel(), 0) << t.Name() << " after " << after;
            else
                ASSERT_EQ(parent, open.back().second) << t.Name() << " after " << after;
            open.emplace_back(level, t);
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }

    // The task found by its code through the view is the one coded, at its own Id.
    void ExpectFoundByCode(const std::string& code, const std::string& name) {
        app->OutlineShowAllTasks();
        app->SelectRow(1, false);
        ASSERT_TRUE(app->Find("Text1", "equals", code)) << code;
        Task found = app->ActiveCell().Task();
        ASSERT_TRUE(found);
        EXPECT_EQ(found.Name(), name);
        EXPECT_EQ(found.Id(), Named(name).Id());
        Err().Clear();
    }
};

TEST_F(TaskIds, AfterATaskIsInsertedAtAnyPlace) {
    Lay();
    const int32_t count = PlanTasks().Count();
    for (int32_t before = 1; before <= count + 2; ++before) {
        SCOPED_TRACE("inserted before row " + std::to_string(before));
        TearDown();
        SetUp();
        Lay();
        Task added = PlanTasks().Add("N", before);
        added.SetText1("N-CODE");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(added.Id(), std::min(before, count + 1));
        ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows("the insert"));
        ASSERT_NO_FATAL_FAILURE(ExpectFoundByCode("N-CODE", "N"));
    }
}

TEST_F(TaskIds, AfterLongRunsOfInsertsMixedWithChanges) {
    Lay();
    std::mt19937 random(34);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Tasks tasks = PlanTasks();
    for (int step = 0; step < 400; ++step) {
        const int count = tasks.Count();
        const std::string name = "N" + std::to_string(step);
        std::string what;
        const int kind = pick(0, 19);
        if (kind < 14) { // mostly inserts, so that runs of them grow long
            const int before = pick(1, count + 1);
            Task t = tasks.Add(name, before);
            t.SetText1(name);
            if (pick(0, 3) == 0) t.OutlineIndent();
            what = "insert of " + name + " before row " + std::to_string(before);
        } else if (kind == 14) {
            app->SelectRow(pick(1, count + 1), false);
            app->EditInsert();
            what = "a blank row";
        } else if (kind == 15 && count > 20) {
            Task t = tasks.Item(pick(1, count));
            what = "a delete";
            if (t) t.Delete();
        } else if (kind == 16) {
            app->OutlineShowAllTasks();
            app->SelectRow(pick(1, count), false);
            app->EditCut();
            app->SelectRow(pick(1, tasks.Count()), false);
            app->EditPaste();
            what = "a cut and paste";
        } else if (kind == 17) {
            for (int tries = 0; tries < 5; ++tries)
                if (Task t = tasks.Item(pick(1, count)); t && t.OutlineChildren().Count() > 0) {
                    t.OutlineHideSubTasks();
                    break;
                }
            what = "a collapse";
        } else if (kind == 18 && pick(0, 5) == 0) {
            app->Sort({.Key1 = "Text1", .Ascending1 = pick(0, 1) == 1});
            what = "a sort";
        } else if (kind == 19) {
            if (Task t = tasks.Item(pick(1, count)); t) t.OutlineOutdent();
            what = "an outdent";
        } else {
            what = "nothing";
        }
        Err().Clear();
        ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows(what + " (step " + std::to_string(step) + ")"));
        if (kind < 14 && step % 25 == 0) ASSERT_NO_FATAL_FAILURE(ExpectFoundByCode(name, name));
    }
    for (const Task& t : PlanTasks().Snapshot())
        if (t && !t.Text1().empty()) {
            ASSERT_NO_FATAL_FAILURE(ExpectFoundByCode(t.Text1(), t.Name()));
            break;
        }
}

// A cut task keeps the Id it had while inserts go on above where it stood; pasted, it takes its row.
TEST_F(TaskIds, ACutTaskKeepsItsIdUntilItIsPastedBack) {
    Lay();
    Task b = Named("B");
    app->OutlineShowAllTasks();
    app->SelectRow(b.Id(), false);
    const int32_t was = b.Id();
    app->EditCut();
    for (int i = 0; i < 100; ++i)
        PlanTasks().Add("N" + std::to_string(i), 1);
    EXPECT_EQ(b.Id(), was);
    app->SelectRow(3, false);
    app->EditPaste();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows("the paste"));
    EXPECT_EQ(Named("B").Id(), 3);
}

// Cut or deleted after inserts above them that were not numbered yet, tasks keep the Id of the row
// they stood in, and those below take theirs; two cut blocks at once as well.
TEST_F(TaskIds, TasksTakenOutAfterInsertsAboveKeepTheRowTheyHad) {
    Lay();
    for (int i = 0; i < 3; ++i)
        PlanTasks().Add("N" + std::to_string(i), 1);
    app->OutlineShowAllTasks();
    Task b = Named("B"), e = Named("E"), a = Named("A");
    const int32_t bRow = b.Id(), eRow = e.Id();
    app->SelectRow(bRow, false);
    app->SelectRow(eRow, false, false, true);
    app->EditCut();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(b.Id(), bRow);
    EXPECT_EQ(e.Id(), eRow);
    ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows("the cut of two blocks"));
    PlanTasks().Add("M", 1);
    a.Delete();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(b.Id(), bRow);
    ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows("the delete"));
    app->SelectRow(2, false);
    app->EditPaste();
    ASSERT_NO_FATAL_FAILURE(ExpectIdsAreRows("the paste"));
    EXPECT_EQ(Named("B").Id(), 2);
}

} // namespace
} // namespace platform::msproject::testing
