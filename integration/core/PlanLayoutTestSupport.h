#pragma once
// Test helpers (header only): plans as planners keep them. Blank rows as spacers (which an applied
// filter hides), collapsed summaries (which hide their subtasks) and a sort that keeps the Ids, so
// that a task's row is no longer its Id. One table of layouts for every test of work done through
// the selection.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "integration/core/ChargeElementCommands.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"

namespace Grantry::test {

struct PlanLayout {
    const char* name;
    bool blankTop, blankInside, blankEnd;
    bool collapsed;
    bool sorted;
    bool filtered;
};

inline const PlanLayout kPlanLayouts[] = {
    {"Plain", false, false, false, false, false, false},
    {"PlainFiltered", false, false, false, false, false, true},
    {"BlankTopFiltered", true, false, false, false, false, true},
    {"BlanksEverywhereFiltered", true, true, true, false, false, true},
    {"BlanksEverywhereUnfiltered", true, true, true, false, false, false},
    {"Collapsed", false, false, false, true, false, false},
    {"CollapsedBlanksFiltered", true, true, false, true, false, true},
    {"Sorted", false, false, false, false, true, false},
    {"SortedCollapsedBlanksFiltered", true, true, true, true, true, true},
};

inline void PrintTo(const PlanLayout& layout, std::ostream* out) {
    *out << layout.name;
}

inline std::string PlanLayoutName(const ::testing::TestParamInfo<PlanLayout>& info) {
    return info.param.name;
}

// The active plan's first task of that name (or code in Text1), Nothing when there is none.
inline platform::msproject::Task TaskNamed(platform::msproject::Application& app, const std::string& name) {
    for (const platform::msproject::Task& t : app.ActiveProject().Tasks().Snapshot())
        if (t && (t.Name() == name || t.Text1() == name)) return t;
    return {};
}

// What a user's click does: the row of the view that shows the task becomes the active one, found
// row by row. False when no row shows it.
inline bool ClickRowOf(platform::msproject::Application& app, const platform::msproject::Task& task) {
    const int32_t rows = app.ActiveProject().Tasks().Count();
    for (int32_t row = 1; row <= rows; ++row) {
        app.SelectRow(row, false);
        platform::msproject::Task shown = app.ActiveCell().Task();
        if (shown && shown.UniqueID() == task.UniqueID()) return true;
    }
    platform::automation::Err().Clear();
    return false;
}

// Lays the layout over the active plan: blank rows at the top, before the task `inside` and at the
// end; the `collapse` tasks collapsed; the tasks sorted on their names, descending, keeping their
// Ids; the integration's filter (defined when missing) applied.
inline void ApplyPlanLayout(platform::msproject::Application& app, const PlanLayout& l, const std::string& inside,
                            const std::vector<std::string>& collapse) {
    namespace msp = platform::msproject;
    app.FilterApply("All Tasks");
    app.OutlineShowAllTasks();
    auto blankAt = [&](int32_t row) {
        app.SelectRow(row, false);
        app.EditInsert();
    };
    if (l.blankEnd) blankAt(app.ActiveProject().Tasks().Count() + 1);
    if (l.blankInside) {
        ASSERT_TRUE(ClickRowOf(app, TaskNamed(app, inside))) << inside;
        app.EditInsert();
    }
    if (l.blankTop) blankAt(1);
    if (l.sorted) {
        msp::SortArgs sort;
        sort.Key1 = "Name";
        sort.Ascending1 = false;
        app.Sort(sort);
    }
    if (l.collapsed)
        for (const std::string& name : collapse)
            TaskNamed(app, name).OutlineHideSubTasks();
    ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
    app.FilterEdit(kAllKovaProjectTasksFilter, true, true);
    if (l.filtered) app.FilterApply(kAllKovaProjectTasksFilter);
    ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
}

} // namespace Grantry::test
