#include "integration/budget/frmConvertResAssgn.h"

#include <gmock/gmock.h>

#include "integration/budget/BudgetTestSupport.h"
#include "integration/core/PlanLayoutTestSupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/core/ConvertAssignmentsCommand.h"
#include "integration/core/KovaMSP.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
namespace st = platform::forms::steps;
using namespace platform::forms;
using platform::automation::Date;
using platform::automation::Err;
using ::testing::HasSubstr;

TEST(IsConvertibleAssignment, KeepsEquipmentAndPeopleOnLabourLines) {
    struct Case {
        std::string name, code, costType;
        bool keeps;
    } cases[] = {
        {"EQP.CRANE Crane", "EQP.CRANE", "3", true},
        {"Crane without point", "EQP.CRANE", "3", true},
        {"EMP.E100 Anna Berg", "LAB.W01", "2", true},
        {"TRG.CARP Carpenters", "LAB.P1.W01", "2", true},
        {"LAB.W01 Site hour", "LAB.W01", "2", false},
        {"EMP E100", "LAB.W01", "2", false}, // no point in the name
        {"EMP.E100", "W01", "2", false},
        {"MAT.CONCRETE Concrete", "MAT.CONCRETE", "1", false},
        {"EMP.E100", "SUB.SURVEY", "4", false},
        {"EMP.E100", "SUN.PERMIT", "5", false},
        {"EQP.CRANE", "EQP.CRANE", " 3", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsConvertibleAssignment(c.name, c.code, c.costType), c.keeps) << c.name << " / " << c.code;
}

class ConvertTest : public test::BudgetFixture {
protected:
    void SetUp() override {
        BudgetFixture::SetUp();
        DeleteKovaMSPTask = false;
        Plan().SetStart(Date::FromParts(2024, 3, 4, 8));
        ce = AddTask("Foundations", 1, "A100");
        child = AddTask("Piles", 2, "A110");
        AddTask("Existing subtask", 3);
        next = AddTask("Superstructure", 1, "A200");
        concrete = AddResource("MAT.CONCRETE Ready-mix concrete", "MAT.CONCRETE");
        crane = AddResource("EQP.CRANE Mobile crane", "EQP.CRANE");
        labour = AddResource("LAB.W01 Site hour", "LAB.W01");
        anna = AddResource("EMP.E100 Anna Berg", "EMP.E100");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    void TearDown() override {
        DiscardAllForms();
        DeleteKovaMSPTask = false;
        ShowConvertAssignmentsDialog = nullptr;
        BudgetFixture::TearDown();
    }

    // A budget-line assignment as the ERP's lines leave it on a CE task.
    msp::Assignment AddLine(msp::Task& task, const msp::Resource& resource, const std::string& costType,
                            const std::string& code, const std::string& line, double units, double workMinutes,
                            const std::string& description, const std::string& linkState = "3") {
        msp::Assignment a = task.Assignments().Add(resource.Id(), units);
        a.SetText(2, costType);
        a.SetText(3, code);
        a.SetText(4, line);
        a.SetText(6, units > 0 ? "as units" : "7"); // the units are the quantity where there are any
        a.SetText(7, "u" + line);
        a.SetText(8, linkState);
        a.SetText(11, description);
        if (workMinutes > 0) a.SetWork(workMinutes);
        a.SetStart(Date::FromParts(2024, 4, 1, 8));
        a.SetFinish(Date::FromParts(2024, 4, 5, 17));
        if (!linkState.empty()) a.SetText(20, BudgetLineKey(task.Text(1), costType, line));
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        return a;
    }

    msp::Task Subtask(const std::string& key) {
        for (const msp::Task& t : Plan().Tasks().Snapshot())
            if (t && t.Text(20) == key) return t;
        return {};
    }
    std::vector<std::string> ResourcesOf(const msp::Task& t) {
        std::vector<std::string> names;
        for (const msp::Assignment& a : t.Assignments().Snapshot())
            names.push_back(a.ResourceName());
        return names;
    }

    // Shows the dialog for `task` with the user's steps; returns the boxes' texts.
    std::vector<std::string> Run(msp::Task& task, std::vector<Step> steps) {
        app->SelectRow(task.Id(), false);
        ScriptedUser user(std::move(steps));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        DefaultInstance<frmConvertResAssgn>().Show(vbModal);
        EXPECT_TRUE(user.Finish());
        std::vector<std::string> boxes;
        for (const auto& shown : user.transcript().Boxes()) {
            boxes.push_back(shown.box.prompt);
            EXPECT_EQ(shown.box.title, kProgramTitle);
        }
        return boxes;
    }

    msp::Task ce, child, next;
    msp::Resource concrete, crane, labour, anna;
};

TEST_F(ConvertTest, OnlyTheCostTypesOfTheSubtreesBudgetLinesCanBeChosen) {
    AddLine(ce, concrete, "1", "MAT.CONCRETE", "1", 420, 0, "Ready-mix concrete");
    AddLine(child, anna, "2", "LAB.W01", "2", 0, 4800, "Site hour");
    AddLine(ce, crane, "3", "EQP.CRANE", "3", 0, 600, "Mobile crane", ""); // no budget line
    AddLine(next, labour, "5", "SUN.X", "1", 1, 0, "Not in the subtree");
    app->SelectRow(ce.Id(), false);
    frmConvertResAssgn& f = DefaultInstance<frmConvertResAssgn>();
    f.Load();
    EXPECT_EQ(f.Caption, kConvertCaption);
    EXPECT_EQ(f.txtLinkedCE.Text(), "A100");
    EXPECT_TRUE(f.chkMaterial.Enabled);
    EXPECT_TRUE(f.chkLabor.Enabled);
    EXPECT_FALSE(f.chkEquipment.Enabled);
    EXPECT_FALSE(f.chkSubcontracting.Enabled);
    EXPECT_FALSE(f.chkSundry.Enabled);
}

TEST_F(ConvertTest, ChosenAssignmentsBecomeSubtasksAndGo) {
    Plan().SetDefaultWorkUnits(msp::pjHour);
    AddLine(ce, concrete, "1", "MAT.CONCRETE", "1", 420, 0, "Ready-mix concrete");
    AddLine(ce, crane, "3", "EQP.CRANE", "2", 0, 7200, "Mobile crane");
    AddLine(ce, labour, "2", "LAB.W01", "3", 0, 2400, "Site hour");
    AddLine(child, anna, "2", "LAB.W01", "4", 0, 4800, "Site hour by Anna");
    AddLine(child, crane, "1", "MAT.REBAR", "5", 3, 0, "Not a budget line", "");

    std::vector<std::string> boxes = Run(ce, {st::Tick("frmConvertResAssgn.chkMaterial"),
                                              st::Tick("frmConvertResAssgn.chkLabor"),
                                              st::Tick("frmConvertResAssgn.chkEquipment"),
                                              st::Click("frmConvertResAssgn.cmdConvert"),
                                              st::Answer(vbOK, kConvertDone)});
    EXPECT_FALSE(IsFormLoaded<frmConvertResAssgn>());

    struct Expected {
        std::string key, name, text6;
        int32_t type;
        double work; // minutes
        std::vector<std::string> resources;
        std::string parent;
    } expected[] = {
        {"A100_1_1", "Ready-mix concrete", "420", 1, 0, {}, "A100"},
        {"A100_3_2", "Mobile crane", "7", 2, 7200, {"EQP.CRANE Mobile crane"}, "A100"},
        {"A100_2_3", "Site hour", "7", 2, 2400, {}, "A100"},
        {"A110_2_4", "Site hour by Anna", "7", 2, 4800, {"EMP.E100 Anna Berg"}, "A110"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        msp::Task t = Subtask(e.key);
        ASSERT_TRUE(t);
        EXPECT_EQ(t.Name(), e.name);
        EXPECT_EQ(t.Text(6), e.text6);
        EXPECT_EQ(t.Text(8), "3");
        EXPECT_EQ(t.Text(4), e.key.substr(e.key.rfind('_') + 1));
        EXPECT_EQ(t.Text(7), "u" + t.Text(4)); // the assignment's unit
        EXPECT_EQ(t.Type(), e.type);
        EXPECT_DOUBLE_EQ(t.Work(), e.work);
        EXPECT_EQ(t.ConstraintType(), 4);
        EXPECT_EQ(t.Start(), Date::FromParts(2024, 4, 1, 8));
        EXPECT_EQ(ResourcesOf(t), e.resources);
        EXPECT_EQ(t.OutlineParent().Text(1), e.parent);
    }
    // The subtasks follow the last task of their CE task's subtree, in the order converted.
    EXPECT_EQ(Outline(), "Foundations:1 Piles:2 Existing subtask:3 Site hour by Anna:3 Ready-mix concrete:2 "
                         "Mobile crane:2 Site hour:2 Superstructure:1");
    // The converted assignments are gone; the one without a link state stays.
    EXPECT_EQ(ce.Assignments().Count(), 0);
    ASSERT_EQ(child.Assignments().Count(), 1);
    EXPECT_EQ(child.Assignments().Item(1).Text(3), "MAT.REBAR");
}

TEST_F(ConvertTest, NothingCheckedOrNothingFoundLeavesThePlanAndTheDialog) {
    AddLine(ce, concrete, "1", "MAT.CONCRETE", "1", 420, 0, "Ready-mix concrete");
    const std::string before = Outline();
    std::vector<std::string> boxes =
        Run(ce, {st::Click("frmConvertResAssgn.cmdConvert"), st::Answer(vbOK, kConvertNothingChecked),
                 st::Click("frmConvertResAssgn.cmdCancel")});
    EXPECT_EQ(Outline(), before);
    EXPECT_EQ(ce.Assignments().Count(), 1);

    // A box that is ticked although its cost type has no line finds nothing; the dialog stays.
    app->SelectRow(ce.Id(), false);
    frmConvertResAssgn& f = DefaultInstance<frmConvertResAssgn>();
    f.Load();
    f.chkSundry.Enabled = true;
    ScriptedUser user({st::Tick("frmConvertResAssgn.chkSundry"), st::Click("frmConvertResAssgn.cmdConvert"),
                       st::Answer(vbOK, kConvertNothingFound), st::Click("frmConvertResAssgn.cmdCancel")});
    user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    ScopedUser on(user);
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(Outline(), before);
    EXPECT_EQ(ce.Assignments().Count(), 1);
}

TEST_F(ConvertTest, AnAssignmentWhoseSubtaskFailsStaysWithItsBudgetLine) {
    // The planning program cannot assign a resource by a name that ends in a blank.
    msp::Resource odd = AddResource("EQP.BARGE Pontoon barge ", "EQP.BARGE");
    AddLine(ce, odd, "3", "EQP.BARGE", "7", 0, 960, "Pontoon barge");
    AddLine(ce, concrete, "1", "MAT.CONCRETE", "1", 420, 0, "Ready-mix concrete");
    const std::string before = Outline();

    std::vector<std::string> boxes =
        Run(ce, {st::Tick("frmConvertResAssgn.chkEquipment"), st::Click("frmConvertResAssgn.cmdConvert"),
                 st::AnswerContaining(vbOK, "1" + std::string(kConvertSomeKept)),
                 st::Click("frmConvertResAssgn.cmdCancel")});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0], HasSubstr("A100 EQP.BARGE Pontoon barge  (EQP.BARGE)"));
    EXPECT_EQ(Outline(), before); // the half-made subtask went again
    EXPECT_FALSE(Subtask("A100_3_7"));
    msp::Assignment kept = FindBudgetLineAssignment(ce, "A100_3_7");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept.Text(8), "3");
    EXPECT_DOUBLE_EQ(kept.Work(), 960);

    // With another line converted as well the run counts as done and says what stayed.
    boxes = Run(ce, {st::Tick("frmConvertResAssgn.chkEquipment"), st::Tick("frmConvertResAssgn.chkMaterial"),
                     st::Click("frmConvertResAssgn.cmdConvert"), st::AnswerContaining(vbOK, kConvertDone)});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0], HasSubstr("1" + std::string(kConvertSomeKept)));
    EXPECT_TRUE(Subtask("A100_1_1"));
    EXPECT_TRUE(FindBudgetLineAssignment(ce, "A100_3_7"));
    EXPECT_FALSE(FindBudgetLineAssignment(ce, "A100_1_1"));
}

TEST_F(ConvertTest, ATaskHoldingTheKeyIsDetachedOrRewrittenInPlace) {
    for (bool deleteTask : {false, true}) {
        SCOPED_TRACE(deleteTask ? "DeleteKovaMSPTask on" : "DeleteKovaMSPTask off");
        DeleteKovaMSPTask = deleteTask;
        msp::Task old = AddTask("Old holder", 2);
        old.SetText(8, "3");
        old.SetText(20, "A200_1_9");
        BudgetLineSubtaskSource source;
        source.name = "Concrete";
        source.costType = "1";
        source.code = "MAT.CONCRETE";
        source.lineNumber = "9";
        source.quantity = "12";
        source.linkState = "3";
        const int32_t rows = Plan().Tasks().Count();
        msp::Task made;
        ASSERT_TRUE(CreateSubtaskFromAssignment(next, source, made)) << Err().Description;
        EXPECT_EQ(made.Text(20), "A200_1_9");
        EXPECT_EQ(made.Text(6), "12");
        EXPECT_EQ(made.OutlineLevel(), 2);
        EXPECT_EQ(made.OutlineParent(), next);
        if (deleteTask) {
            EXPECT_EQ(made, old);
            EXPECT_EQ(Plan().Tasks().Count(), rows);
        } else {
            EXPECT_NE(made, old);
            EXPECT_EQ(old.Text(8), "1");
            EXPECT_EQ(old.Text(20), "");
            EXPECT_EQ(Plan().Tasks().Count(), rows + 1);
        }
        made.Delete();
        if (!deleteTask) old.Delete();
    }
}

// A line the ERP does not hold yet has no number, so its key names only the element and the cost type:
// two such lines of one type are two subtasks, neither detached nor written over by the other.
TEST_F(ConvertTest, LinesWithoutANumberNeverTakeEachOthersPlace) {
    for (bool deleteTask : {false, true}) {
        SCOPED_TRACE(deleteTask ? "DeleteKovaMSPTask on" : "DeleteKovaMSPTask off");
        DeleteKovaMSPTask = deleteTask;
        BudgetLineSubtaskSource first;
        first.name = "Concrete";
        first.costType = "1";
        first.code = "MAT.CONCRETE";
        first.quantity = "12";
        first.linkState = "2";
        BudgetLineSubtaskSource second = first;
        second.name = "More concrete";
        second.quantity = "5";
        const int32_t rows = Plan().Tasks().Count();
        msp::Task one, two;
        ASSERT_TRUE(CreateSubtaskFromAssignment(next, first, one)) << Err().Description;
        ASSERT_TRUE(CreateSubtaskFromAssignment(next, second, two)) << Err().Description;
        EXPECT_NE(one, two);
        EXPECT_EQ(Plan().Tasks().Count(), rows + 2);
        for (const auto& [task, name, quantity] :
             {std::tuple{one, "Concrete", "12"}, std::tuple{two, "More concrete", "5"}}) {
            EXPECT_EQ(task.Name(), name);
            EXPECT_EQ(task.Text(6), quantity);
            EXPECT_EQ(task.Text(8), "2");
            EXPECT_EQ(task.Text(20), "A200_1_");
            EXPECT_EQ(task.OutlineParent(), next);
        }
        two.Delete();
        one.Delete();
    }
}

TEST_F(ConvertTest, TheCommandChecksTheSelectionAndTheSubtreeFirst) {
    ShowConvertAssignmentsDialog = [] { DefaultInstance<frmConvertResAssgn>().Show(vbModal); };
    app->ViewEditSingle("Kova Proj Gantt", true, true);
    app->ViewApply("Kova Proj Gantt", true);
    msp::Task plain = AddTask("Plain task", 1);
    struct Case {
        std::string title;
        msp::Task select;
        std::vector<Step> steps;
    } cases[] = {
        {"not a charge element", plain, {st::Answer(vbOK, kConvertInvalidTaskMessage)}},
        {"no assignments", next, {st::Answer(vbOK, kConvertNoAssignmentsMessage)}},
        {"assignments below", ce, {st::Click("frmConvertResAssgn.cmdCancel")}},
    };
    AddLine(child, anna, "2", "LAB.W01", "4", 0, 4800, "Site hour by Anna");
    for (Case& c : cases) {
        SCOPED_TRACE(c.title);
        app->SelectRow(c.select.Id(), false);
        ScriptedUser user(c.steps);
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        KovaMSP command;
        command.ConvertAssignmentsToTask();
        EXPECT_TRUE(user.Finish());
        EXPECT_EQ(Plan().CurrentView(), "Kova Proj Gantt");
        MSProjectApplication = app;
    }
}

class ConvertLayoutTest : public ConvertTest, public ::testing::WithParamInterface<test::PlanLayout> {};

TEST_P(ConvertLayoutTest, TheCommandAndTheConversionReachTheTaskTheUserChose) {
    Plan().SetDefaultWorkUnits(msp::pjHour);
    ShowConvertAssignmentsDialog = [] { DefaultInstance<frmConvertResAssgn>().Show(vbModal); };
    app->ViewEditSingle("Kova Proj Gantt", true, true);
    AddLine(ce, crane, "3", "EQP.CRANE", "1", 0, 600, "Mobile crane");
    AddLine(ce, anna, "2", "LAB.W01", "2", 0, 4800, "Site hour by Anna");
    AddLine(next, crane, "3", "EQP.CRANE", "3", 0, 1200, "Crane for the deck");
    test::ApplyPlanLayout(*app, GetParam(), "Superstructure", {"Foundations", "Piles"});
    // The task after a collapsed summary first, then the collapsed summary itself.
    for (msp::Task* chosen : {&next, &ce}) {
        SCOPED_TRACE(chosen->Name());
        ASSERT_TRUE(test::ClickRowOf(*app, *chosen));
        std::vector<Step> steps = {st::Tick("frmConvertResAssgn.chkEquipment")};
        if (chosen == &ce) steps.push_back(st::Tick("frmConvertResAssgn.chkLabor"));
        steps.push_back(st::Click("frmConvertResAssgn.cmdConvert"));
        steps.push_back(st::Answer(vbOK, kConvertDone));
        ScriptedUser user(steps);
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        KovaMSP command;
        command.ConvertAssignmentsToTask();
        EXPECT_TRUE(user.Finish());
        MSProjectApplication = app;
    }
    struct Expected {
        std::string key, resource, parent;
    } expected[] = {
        {"A200_3_3", "EQP.CRANE Mobile crane", "A200"},
        {"A100_3_1", "EQP.CRANE Mobile crane", "A100"},
        {"A100_2_2", "EMP.E100 Anna Berg", "A100"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        msp::Task t = Subtask(e.key);
        ASSERT_TRUE(t);
        EXPECT_EQ(ResourcesOf(t), std::vector<std::string>{e.resource});
        EXPECT_EQ(t.OutlineParent().Text(1), e.parent);
    }
    EXPECT_EQ(ce.Assignments().Count(), 0);
    EXPECT_EQ(next.Assignments().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConvertLayoutTest, ::testing::ValuesIn(test::kPlanLayouts), test::PlanLayoutName);

} // namespace
} // namespace Grantry
