// The budget-line details command: which task and view open which dialog, and which are refused.
#include "integration/core/BudgetLineDetailsCommand.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "integration/core/CommandFrame.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace st = platform::forms::steps;
using automation::Err;
using platform::forms::ScopedUser;
using platform::forms::ScriptedUser;

constexpr char kWrongTypeMessage[] =
    "Budget lines can be inserted only for the tasks of the type Project Cost Account and Work Packages";
constexpr char kNoAddingMessage[] =
    "Budget lines cannot be added\r\n\r\nfor the Project Budget combination (Element / Activity)";

class BudgetLineDetailsTest : public test::PlanFixture {
protected:
    void SetUp() override {
        test::PlanFixture::SetUp();
        app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
        app->ViewEditSingle(kKovaBudgetView, true, true, "Entry");
        app->ViewEditSingle("Gantt Chart", true, true, "Entry");
        Plan().CustomDocumentProperties().Add("KovaProjectBudgetCombination", false, msp::msoPropertyTypeNumber, 1);
        msp::Tasks tasks = Plan().Tasks();
        AddCharge("Bridge", 1, "BR", "Project Cost Account");
        AddCharge("Deck", 2, "BR.10", "Work Package");
        msp::Task line = tasks.Add("Steel bolts");
        line.SetOutlineLevel(3);
        line.SetText8("3");
        AddCharge("Piers", 2, "BR.20", "Planning Package");
        AddCharge("Spans", 2, "BR.30", "WBS Element");
        msp::Task gate = AddCharge("Gate", 2, "BR.40", "Work Package");
        gate.SetMilestone(true);
        msp::Task stray = tasks.Add("Stray code");
        stray.SetOutlineLevel(2);
        stray.SetText1("XX");
        app->SelectRow(tasks.Count() + 1, false);
        app->EditInsert(); // a blank row at the end
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        ShowBudgetLineDialog = [this](const std::string& tag) {
            shown.push_back("dialog[" + tag + "] " + app->ActiveCell().Task().Name());
            app->ViewApply("Gantt Chart"); // a dialog may leave another view behind
        };
        ShowBudgetLineBrowser = [this] { shown.push_back("browser " + app->ActiveCell().Task().Name()); };
    }
    void TearDown() override {
        ShowBudgetLineDialog = nullptr;
        ShowBudgetLineBrowser = nullptr;
        test::PlanFixture::TearDown();
    }
    msp::Task AddCharge(const std::string& name, int level, const std::string& code, const std::string& type) {
        msp::Task task = Plan().Tasks().Add(name);
        task.SetOutlineLevel(level);
        task.SetText1(code);
        task.SetText10(type);
        task.SetFlag3(true);
        return task;
    }
    // Runs the command on row `row` of `view`; the boxes it showed, and the view it ended in.
    std::vector<std::string> Run(const std::string& view, int32_t row, std::vector<platform::forms::Step> steps) {
        app->ViewApply(view, true);
        app->SelectRow(row, false);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        ScriptedUser user(std::move(steps));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        {
            ScopedUser on(user);
            automation::Call(automation::MakeObject<KovaMSP>(), "BudgetLineDetails");
            EXPECT_TRUE(user.Finish());
        }
        std::vector<std::string> boxes;
        for (const auto& box : user.transcript().Boxes())
            boxes.push_back(box.box.title + ": " + box.box.prompt);
        MSProjectApplication = app;
        EXPECT_EQ(Plan().CurrentView(), kKovaGanttView);
        return boxes;
    }
    platform::os::TempKovaHome home;
    std::vector<std::string> shown;
};

TEST_F(BudgetLineDetailsTest, OpensTheDialogOrTheBrowserByViewAndTask) {
    struct Case {
        const char* view;
        int32_t row;
        int32_t combination;
        const char* opened;
    };
    const Case cases[] = {
        {kKovaGanttView, 2, 1, "dialog[NewBudgetLineTask] Deck"},
        {kKovaGanttView, 1, 3, "dialog[NewBudgetLineTask] Bridge"},
        {kKovaGanttView, 3, 1, "dialog[] Steel bolts"},
        {kKovaBudgetView, 2, 1, "browser Deck"},
        {kKovaBudgetView, 3, 1, "browser Steel bolts"},
        // Budget combination 2 refuses new lines only in the Gantt view.
        {kKovaBudgetView, 2, 2, "browser Deck"},
        // The milestone rule holds in the Gantt view only: here the milestone is a work package.
        {kKovaBudgetView, 6, 1, "browser Gate"},
    };
    for (const Case& c : cases) {
        shown.clear();
        Plan().CustomDocumentProperties().Item("KovaProjectBudgetCombination").SetValue(c.combination);
        EXPECT_TRUE(Run(c.view, c.row, {}).empty());
        ASSERT_EQ(shown.size(), 1u) << c.opened;
        EXPECT_EQ(shown[0], c.opened);
    }
}

TEST_F(BudgetLineDetailsTest, RefusesWithItsMessage) {
    const std::string chooseTask =
        "Please Select a Charge Element Task to insert a Budget Line Task\r\nor Select a Budget Line Task to View / "
        "Modify ";
    struct Case {
        const char* view;
        int32_t row;
        int32_t combination;
        std::string box;
    };
    const Case cases[] = {
        {"Gantt Chart", 2, 1,
         std::string(kProgramTitle) + ": Please select Kova Proj Gantt view or the Kova Proj Budget View"},
        {kKovaGanttView, 9, 1, std::string(kMessageTitle) + ": An Invalid Task has been selected\r\n\r\n" + chooseTask},
        {kKovaGanttView, 7, 1,
         std::string(kMessageTitle) +
             ": The selected task contains an invalid Kova Charge Element\r\n\r\nCannot insert a budget line"},
        {kKovaGanttView, 6, 1,
         std::string(kMessageTitle) +
             ": A Milestone has been Selected\r\nIt is not possible to add budget line Information to "
             "Milestones\r\n\r\n" +
             chooseTask},
        {kKovaGanttView, 4, 1, std::string(kMessageTitle) + ": " + kWrongTypeMessage},
        {kKovaGanttView, 5, 1, std::string(kMessageTitle) + ": " + kWrongTypeMessage},
        {kKovaBudgetView, 4, 1, std::string(kMessageTitle) + ": " + kWrongTypeMessage},
        {kKovaBudgetView, 5, 1, std::string(kMessageTitle) + ": " + kWrongTypeMessage},
        {kKovaGanttView, 2, 2, std::string(kMessageTitle) + ": " + kNoAddingMessage},
    };
    for (const Case& c : cases) {
        shown.clear();
        Plan().CustomDocumentProperties().Item("KovaProjectBudgetCombination").SetValue(c.combination);
        std::vector<std::string> boxes = Run(c.view, c.row, {st::Answer(platform::forms::vbOK)});
        ASSERT_EQ(boxes.size(), 1u) << c.box;
        EXPECT_EQ(boxes[0], c.box);
        EXPECT_TRUE(shown.empty()) << shown[0];
    }
}

TEST_F(BudgetLineDetailsTest, APlainTaskBelowAChargeElementIsRefusedInTheGanttView) {
    msp::Task prep = Plan().Tasks().Add("Prep work", 4);
    prep.SetOutlineLevel(3);
    prep.SetWork(automation::Variant(40.0 * 60));
    std::vector<std::string> boxes = Run(kKovaGanttView, prep.Id(), {st::Answer(platform::forms::vbOK)});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string(kMessageTitle) +
                            ": An Invalid Task has been selected\r\n\r\nPlease Select a Charge Element Task to "
                            "insert a Budget Line Task\r\nor Select a Budget Line Task to View / Modify ");
    EXPECT_TRUE(shown.empty());
    EXPECT_DOUBLE_EQ(prep.Work(), 40.0 * 60);
    // The browser shows the lines of its charge element, as for any task below one.
    shown.clear();
    EXPECT_TRUE(Run(kKovaBudgetView, prep.Id(), {}).empty());
    EXPECT_EQ(shown, std::vector<std::string>{"browser Prep work"});
}

TEST_F(BudgetLineDetailsTest, APlanWithoutBudgetCombinationTakesNoNewLines) {
    Plan().CustomDocumentProperties().Item("KovaProjectBudgetCombination").Delete();
    std::vector<std::string> boxes = Run(kKovaGanttView, 2, {st::Answer(platform::forms::vbOK)});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string(kMessageTitle) + ": " + kNoAddingMessage);
    EXPECT_TRUE(shown.empty());
}

TEST_F(BudgetLineDetailsTest, WithoutAPlanOnlyTheNoPlanMessage) {
    app->FileCloseAll(msp::pjDoNotSave);
    ScriptedUser user({st::Answer(platform::forms::vbOK, kNoPlanMessage)});
    user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    ScopedUser on(user);
    automation::Call(automation::MakeObject<KovaMSP>(), "BudgetLineDetails");
    EXPECT_TRUE(user.Finish());
    EXPECT_TRUE(shown.empty());
}

} // namespace
} // namespace Grantry
