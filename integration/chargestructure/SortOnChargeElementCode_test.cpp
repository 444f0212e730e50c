#include "integration/chargestructure/SortOnChargeElementCode.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "integration/chargestructure/ChargeStructureTransfer.h"
#include "integration/core/CommandFrame.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Err;
using ::testing::HasSubstr;

// A row of the plan: an empty name is a blank row; a task without a type is an ordinary task.
struct Row {
    const char* name;
    int32_t level;
    const char* code = "";
    const char* type = "";
    const char* parent = "";
};

class SortTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
        Err().Clear();
    }
    void TearDown() override {
        SortTasksOnChargeElementCodeStep() = nullptr;
        StructureFixture::TearDown();
    }
    void Build(const std::vector<Row>& rows) {
        msp::Tasks tasks = Plan().Tasks();
        for (const Row& r : rows) {
            if (*r.name == '\0') {
                app->SelectRow(tasks.Count() + 1, false);
                app->EditInsert();
                continue;
            }
            msp::Task t = tasks.Add(r.name);
            t.SetOutlineLevel(r.level);
            t.SetText1(r.code);
            t.SetText10(r.type);
            t.SetText15(r.parent);
            t.SetFlag3(*r.type != '\0');
            if (std::string(r.type) == "Milestone") t.SetMilestone(true);
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    // "name:level:code" per row in task order, "-" for a blank row.
    std::string Layout() {
        std::string out;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!out.empty()) out += ' ';
            out += t ? t.Name() + ":" + std::to_string(t.OutlineLevel()) + ":" + t.Text1() : "-";
        }
        return out;
    }
};

TEST_F(SortTest, OrdersSiblingsOnCodesKeepingTheOutline) {
    Build({
        {"Sheds", 1, "BS", "WBS Element"},
        {"Opened", 1, "BRM1", "Milestone", "BR"}, // beside its parent BR
        {"Bridge", 1, "BR", "WBS Element"},
        {"Build", 2, "BR20", "Project Cost Account", "BR"},
        {"Concrete", 3}, // a budget line under its element
        {"Deck", 3, "BR22", "Work Package", "BR20"},
        {"Piles", 3, "BR21", "Work Package", "BR20"},
        {"Design", 2, "BR10", "Project Cost Account", "BR"},
        {"", 0},
        {"Notes", 1},
        {"Ramp", 1, "BR5", "WBS Element"},
        {"Start", 1, "ZZ1", "Milestone"}, // stand-alone
    });

    SortTasksOnChargeElementCode();

    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Plan().CurrentView(), kKovaGanttView);
    EXPECT_EQ(Layout(), "Start:1:ZZ1 Bridge:1:BR Design:2:BR10 Build:2:BR20 Piles:3:BR21 Deck:3:BR22 "
                        "Concrete:3: Ramp:1:BR5 Opened:1:BRM1 Sheds:1:BS Notes:1: -");
    msp::Tasks tasks = Plan().Tasks();
    for (int32_t i = 1; i <= tasks.Count(); ++i) {
        msp::Task t = tasks.Item(i);
        if (!t) continue;
        EXPECT_EQ(t.Id(), i) << t.Name();
        EXPECT_EQ(t.Text16(), "") << t.Name();
    }
    EXPECT_EQ(tasks.Item(6).OutlineParent().Name(), "Build");
    EXPECT_THAT(LogText(), HasSubstr("Sorting based on charge element code ... "));
}

// A milestone of a parent element sorts right after that parent, unless milestones are subtasks: then
// it sorts on its own code.
TEST_F(SortTest, MilestoneOfAParentFollowsTheOption) {
    struct Case {
        bool asSubtask;
        const char* layout;
    };
    for (const Case& c : {Case{true, "Handover:1:AAM Build:1:BR20 Walls:1:CC1"},
                          Case{false, "Build:1:BR20 Handover:1:AAM Walls:1:CC1"}}) {
        SCOPED_TRACE(c.asSubtask);
        msp::Tasks tasks = Plan().Tasks();
        while (tasks.Count() > 0) {
            app->SelectRow(1, false);
            app->EditDelete();
        }
        SetOption("MilestoneAsSubtask", c.asSubtask);
        Build({
            {"Walls", 1, "CC1", "Work Package"},
            {"Handover", 1, "AAM", "Milestone", "BR20"},
            {"Build", 1, "BR20", "Project Cost Account"},
        });
        SortTasksOnChargeElementCode();
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(Layout(), c.layout);
        EXPECT_EQ(Plan().Tasks().Item(c.asSubtask ? 1 : 2).Text16(), "");
    }
}

TEST_F(SortTest, IsTheTransfersSortStep) {
    InstallSortTasksOnChargeElementCode();
    Build({{"B", 1, "B1", "WBS Element"}, {"A", 1, "A1", "WBS Element"}});
    ASSERT_TRUE(SortTasksOnChargeElementCodeStep());
    SortTasksOnChargeElementCodeStep()();
    EXPECT_EQ(Layout(), "A:1:A1 B:1:B1");
}

} // namespace
} // namespace Grantry
