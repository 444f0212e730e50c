#pragma once
// Shared by the tests of this folder: a private machine folder, a running instance with one new plan,
// and helpers that lay out and describe a task outline.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TestSupport.h"

namespace platform::msproject::testing {

using automation::Date;
using automation::Err;
using automation::Variant;

// A row of an outline: a name and a level; an empty name is a blank row.
using Row = std::pair<std::string, int>;

class MsProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = StartApplication(Options());
        ASSERT_TRUE(app);
        app->FileNew(false);
        Err().Clear();
    }
    void TearDown() override { QuitApplication(); }
    virtual ApplicationOptions Options() { return {}; }

    Project Plan() const { return app->ActiveProject(); }
    Tasks PlanTasks() const { return Plan().Tasks(); }

    // Appends the rows to the active plan: tasks at their levels, blank rows where the name is empty.
    void Build(const std::vector<Row>& rows) {
        auto tasks = PlanTasks();
        for (const auto& [name, level] : rows) {
            if (name.empty()) {
                app->SelectRow(tasks.Count() + 1, false);
                app->EditInsert();
                continue;
            }
            Task t = tasks.Add(name);
            t.SetOutlineLevel(level);
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        app->SelectRow(1, false);
    }

    // "A1 B2 - C2": each row's name and level, "-" for a blank row.
    std::string Layout() const {
        std::string out;
        for (const Task& t : PlanTasks().Snapshot()) {
            if (!out.empty()) out += ' ';
            out += t ? t.Name() + std::to_string(t.OutlineLevel()) : "-";
        }
        return out;
    }

    // "A:- B:A C:A": each task's parent ("-" for the project summary task).
    std::string Parents() const {
        std::string out;
        for (const Task& t : PlanTasks().Snapshot()) {
            if (!t) continue;
            if (!out.empty()) out += ' ';
            Task parent = t.OutlineParent();
            out += t.Name() + ":" + (parent.OutlineLevel() == 0 ? std::string("-") : parent.Name());
        }
        return out;
    }

    std::string ActiveName() const {
        Task t = app->ActiveCell().Task();
        return t ? t.Name() : std::string("<none>");
    }

    Task Named(const std::string& name) const {
        for (const Task& t : PlanTasks().Snapshot())
            if (t && t.Name() == name) return t;
        ADD_FAILURE() << "no task " << name;
        return Task();
    }

    platform::os::TempKovaHome home;
    std::shared_ptr<Application> app;
};

inline Date At(int y, int m, int d, int h = 0, int min = 0) {
    return Date::FromParts(y, m, d, h, min);
}

} // namespace platform::msproject::testing
