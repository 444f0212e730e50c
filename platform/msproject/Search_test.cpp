// Find answered from the field indexes and the kept rows must find what a row-by-row search of the
// view finds, however the plan was changed in between: tasks added, moved, renamed, deleted,
// indented, collapsed, sorted and copied, resources added, recoded and deleted.
#include <algorithm>
#include <random>

#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

class SearchAfterChanges : public MsProjectTest {
protected:
    std::mt19937 random{20261210};

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    // Codes that share pieces and differ in letter case, so that "contains" and "equals" meet often.
    std::string Code() {
        static const char* const kCodes[] = {"a1", "A1", "b12", "B123", "x", "Ab", "ab1", "Zz9", ""};
        if (Pick(0, 2) > 0) return kCodes[Pick(0, 8)];
        std::string s;
        for (int n = Pick(1, 5); n > 0; --n)
            s += "aAbB12"[Pick(0, 5)];
        return s;
    }

    // The view's rows as the user sees them: what each row's active cell shows.
    template <class H> std::vector<H> ViewRows() {
        std::vector<H> rows;
        for (int32_t row = 1;; ++row) {
            app->SelectRow(row, false);
            H h;
            if constexpr (std::is_same_v<H, Task>)
                h = app->ActiveCell().Task();
            else
                h = app->ActiveCell().Resource();
            if (!h) break;
            rows.push_back(h);
        }
        Err().Clear();
        return rows;
    }

    // One Find from a random row, checked against the rows read one by one afterwards, once the view
    // has worked its rows out afresh (so that rows kept wrongly since the last change show).
    template <class H> void CheckFind(const char* fields[2]) {
        const std::string field = fields[Pick(0, 1)];
        const bool contains = Pick(0, 1) == 1, forward = Pick(0, 3) > 0;
        const std::string value = Code();
        if (value.empty()) return; // an empty value is searched row by row anyway
        const int32_t active = Pick(1, static_cast<int>(ViewRows<H>().size()) + 1);
        app->SelectRow(active, false);
        const bool found = app->Find(field, contains ? "contains" : "equals", value, forward);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        H now;
        if constexpr (std::is_same_v<H, Task>)
            now = app->ActiveCell().Task();
        else
            now = app->ActiveCell().Resource();

        // Applied again, the filter in use makes the view work its rows out afresh.
        app->FilterApply(!filter.empty() ? filter : std::is_same_v<H, Task> ? "All Tasks" : "All Resources");
        const std::vector<H> rows = ViewRows<H>();
        const int n = static_cast<int>(rows.size());
        auto text = [&](const H& h) {
            return Lower(field == "Name" ? h.Name() : h.Text(field == "Text1" ? 1 : 2));
        };
        int expected = 0; // 1-based row
        for (int k = 0; k < n && !expected; ++k) {
            int row;
            if (active <= n)
                row = forward ? (active - 1 + k + 1) % n + 1 : ((active - 1 - k - 1) % n + n) % n + 1;
            else
                row = forward ? k + 1 : n - k;
            const std::string t = text(rows[row - 1]);
            if (contains ? t.find(Lower(value)) != std::string::npos : t == Lower(value)) expected = row;
        }
        ASSERT_EQ(found, expected != 0) << field << (contains ? " contains " : " equals ") << value
                                        << " from row " << active << (forward ? " forward" : " backward");
        if (expected)
            ASSERT_TRUE(now == rows[expected - 1]) << field << " " << value << " from row " << active;
        else if (active <= n)
            ASSERT_TRUE(now == rows[active - 1]) << "a search that finds nothing keeps the active row";
    }

    std::string filter; // applied during the run; empty: none

    Task AnyTask() {
        Tasks tasks = PlanTasks();
        return tasks.Count() ? tasks.Item(Pick(1, tasks.Count())) : Task();
    }
};

// Seed, and whether a filter without criteria (which hides the blank rows) is applied throughout;
// with it, blank rows are inserted too, and a criterion comes and goes on the applied filter.
class TaskSearchAfterChanges : public SearchAfterChanges,
                               public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(TaskSearchAfterChanges, FindsWhatTheRowByRowSearchFinds) {
    random.seed(std::get<0>(GetParam()));
    const bool filtered = std::get<1>(GetParam());
    if (filtered) {
        filter = "Coded";
        app->FilterEdit(filter, true, true);
        app->FilterApply(filter);
    }
    Tasks tasks = PlanTasks();
    for (int i = 0; i < 30; ++i) {
        Task t = tasks.Add("T" + std::to_string(i));
        t.SetText1(Code());
        if (i > 0 && Pick(0, 2) == 0) t.OutlineIndent();
    }
    Err().Clear();
    static const char* fields[2] = {"Text1", "Name"};
    for (int step = 0; step < 300; ++step) {
        const int count = tasks.Count();
        switch (Pick(0, filtered ? 12 : 10)) {
        case 0: tasks.Add("T" + std::to_string(100 + step)).SetText1(Code()); break;
        case 1: tasks.Add("T" + std::to_string(100 + step), Pick(1, count + 1)).SetText1(Code()); break;
        case 2:
        case 3:
            if (Task t = AnyTask()) t.SetText1(Code());
            break;
        case 4:
            if (Task t = AnyTask()) t.SetName(Code() + "n");
            break;
        case 5:
            if (count > 10)
                if (Task t = AnyTask()) t.Delete();
            break;
        case 6: // cut a row and paste it elsewhere
            app->SelectRow(Pick(1, count), false);
            app->EditCut();
            app->SelectRow(Pick(1, std::max(1, tasks.Count())), false);
            app->EditPaste();
            break;
        case 7:
            if (Task t = AnyTask()) Pick(0, 1) ? t.OutlineIndent() : t.OutlineOutdent();
            break;
        case 8: // hidden rows: a summary task collapsed now and then, all shown again seldom
            if (Pick(0, 3) == 0) {
                if (Task t = AnyTask(); t && Pick(0, 1) == 0)
                    t.OutlineShowAllTasks(); // its own subtree
                else
                    app->OutlineShowAllTasks();
            } else {
                for (int tries = 0; tries < 10; ++tries)
                    if (Task t = AnyTask(); t && t.OutlineChildren().Count() > 0) {
                        t.OutlineHideSubTasks();
                        break;
                    }
            }
            break;
        case 9: // copies enter the plan with the values of their originals
            app->SelectRow(Pick(1, count), false);
            app->EditCopy();
            app->SelectRow(Pick(1, count), false);
            app->EditPaste();
            break;
        case 10:
            if (Pick(0, 4) == 0) app->Sort({.Key1 = "Text1", .Ascending1 = Pick(0, 1) == 1});
            break;
        case 11: // a blank row, which the filter hides
            app->SelectRow(Pick(1, count + 1), false);
            app->EditInsert();
            break;
        case 12: // the applied filter gains a criterion now and then, and loses it again
            if (Pick(0, 1) == 0)
                app->FilterEdit(filter, true, true); // made anew, without criteria
            else
                app->FilterEdit(filter, true, false, "Name", "contains", "1");
            break;
        }
        Err().Clear();
        for (int f = 0; f < 3; ++f)
            ASSERT_NO_FATAL_FAILURE(CheckFind<Task>(fields)) << "after step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TaskSearchAfterChanges,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4), ::testing::Bool()));

TEST_F(SearchAfterChanges, CopiesOfACollapsedSummaryPastedLaterHideTheirSubtasks) {
    Build({{"S", 1}, {"C", 2}, {"D", 1}});
    Named("C").SetText1("child");
    Named("S").OutlineHideSubTasks();
    app->SelectRow(1, false);
    app->EditCopy(); // the copy keeps S collapsed
    app->OutlineShowAllTasks();
    ASSERT_TRUE(app->Find("Text1", "equals", "child"));
    app->SelectRow(3, false);
    app->EditPaste(); // S' C' before D, S' collapsed
    ASSERT_EQ(Layout(), "S1 C2 S1 C2 D1");
    app->SelectRow(1, false);
    ASSERT_TRUE(app->Find("Text1", "equals", "child", false));
    EXPECT_TRUE(app->ActiveCell().Task() == PlanTasks().Item(2)) << "the pasted child is hidden";
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(SearchAfterChanges, ResourceSearchesFindWhatTheRowByRowSearchFinds) {
    app->ViewApply("Resource Sheet", true);
    Resources resources = Plan().Resources();
    static const char* fields[2] = {"text2", "Name"};
    for (int step = 0; step < 300; ++step) {
        const int count = resources.Count();
        switch (count < 5 ? 0 : Pick(0, 4)) {
        case 0: resources.Add(Code() + " r" + std::to_string(step)).SetText2(Code()); break;
        case 1: resources.Add(Code() + " r" + std::to_string(step), Pick(1, count)).SetText2(Code()); break;
        case 2:
        case 3: resources.Item(Pick(1, count)).SetText2(Code()); break;
        case 4: resources.Item(Pick(1, count)).Delete(); break;
        }
        Err().Clear();
        for (int f = 0; f < 3; ++f)
            ASSERT_NO_FATAL_FAILURE(CheckFind<Resource>(fields)) << "after step " << step;
    }
}

} // namespace
} // namespace platform::msproject::testing
