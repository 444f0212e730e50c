// The budget-line browser on a small plan: a work package with two budget-line subtasks (and an
// ordinary subtask and a deeper line that are not its lines) and three budget-line assignments, a
// work package with a single line, and one with none.
#include "integration/budgetdialogs/frmKovabdgview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/budgetdialogs/BudgetDialogSupport.h"
#include "integration/budgetdialogs/BudgetDialogTestSupport.h"
#include "integration/budgetdialogs/frmKovabdglines.h"
#include "integration/core/GlobalDeclarations.h"
#include "platform/forms/MsgBox.h"
#include "platform/os/Locale.h"
#include "platform/os/Registry.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
using ::testing::ElementsAre;
namespace st = steps;
namespace msp = platform::msproject;

std::string T(const char* control) {
    return std::string("frmKovabdgview.") + control;
}

using test::Sight;
using WatchingUser = test::WatchingUser<frmKovabdgview>;

class BudgetLineBrowser : public test::BudgetDialogFixture {
protected:
    void SetUp() override {
        BudgetDialogFixture::SetUp();
        Plan().SetDefaultWorkUnits(msp::pjHour);
        Charge("Bridge", 1, "BR", "Project Cost Account");
        deck = Charge("Deck", 2, "BR.10", "Work Package");
        bolts = Line("Steel bolts", 3, "1", "MAT.M100", "3");
        bolts.SetText4("1234");
        bolts.SetText6("12");
        bolts.SetText7("PCS");
        Line("Railing", 4, "1", "MAT.M100", "3"); // below a line: not Deck's own
        AddTask("Inspection", 3);                 // no budget line
        welding = Line("Welding", 3, "2", "LAB.W01", "3");
        welding.SetText4("8");
        welding.SetText6("16");
        piers = Charge("Piers", 2, "BR.20", "Work Package");
        concrete = Line("Concrete", 3, "1", "MAT.M200", "2");
        concrete.SetText6("4");
        concrete.SetText7("M3");
        spans = Charge("Spans", 2, "BR.30", "Work Package");

        Resource("MAT.M100 Steel bolts", "MAT.M100", "Steel bolts", "PCS");
        Resource("MAT.M200 Concrete", "MAT.M200", "Concrete", "M3");
        Resource("EQP.CR20 Crane", "EQP.CR20", "Crane", "H");
        Resource("EQP.CR30 Excavator", "EQP.CR30", "Excavator", "H");
        anna = Resource("EMP.E100 Anna Berg", "EMP.E100", "Anna Berg", "");
        Resource("EMP.E200 Ole Dahl", "EMP.E200", "Ole Dahl", "");
        Resource("TRG.T20 Welders", "TRG.T20", "Welders", "");
        welding.Assignments().Add(anna.Id(), 1.0);
        crane = Assign(deck, "EQP.CR20 Crane", "3", "EQP.CR20", "4", "3");
        crane.SetWork(960.0);
        crane.SetText6("200");
        crane.SetText7("H");
        steel = Assign(deck, "MAT.M200 Concrete", "1", "MAT.M200", "", "2");
        steel.SetUnits(5.0);
        steel.SetText6("5");
        steel.SetText7("M3");
        ole = Assign(deck, "EMP.E200 Ole Dahl", "2", "LAB.W01", "9", "3");
        ole.SetText11("Welding");
        ole.SetWork(480.0);
        WriteLaborFile({{"", "W01", "Welding", "H"}, {"", "", "Nothing", ""}, {"P1", "W02", "Rigging", "H"}});
        SetProperty("OwnershipChBSAndBudgQty", 1);
        InstallBudgetLineBrowser();
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }

    msp::Assignment Assign(msp::Task& task, const std::string& resource, const std::string& costType,
                           const std::string& code, const std::string& line, const std::string& link) {
        msp::Assignment a = task.Assignments().Add(Plan().Resources().Item(resource).Id(), 0.0);
        a.SetText2(costType);
        a.SetText3(code);
        a.SetText4(line);
        a.SetText8(link);
        return a;
    }

    // Opens the browser on `task` in the budget view, as the command does, and lets `user` work it.
    void Open(const msp::Task& task, WatchingUser& user) {
        app->ViewApply(kKovaBudgetView, true);
        app->SelectRow(task.Id(), false);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        {
            ScopedUser on(user);
            ShowBudgetLineBrowser();
            EXPECT_TRUE(user.Finish());
        }
        EXPECT_FALSE(IsFormLoaded<frmKovabdgview>());
    }

    // The shown line as "cost object|employee|quantity|kind".
    static std::string Shown(const Sight& s) {
        return s.text.at("cmbCostObj") + "|" + s.text.at("cmbEmpTrg") + "|" + s.text.at("txtBudgetQuantity") + "|" +
               (s.option.at("optSubtask") ? "ST" : "RA");
    }
    // Which of Top, Previous, Next, Bottom and Save could be used, as "TPNBS" with "-" for disabled.
    static std::string Buttons(const Sight& s) {
        std::string out;
        for (const char* b : {"TopBL", "PreviousBL", "NextBL", "BottomBL", "cmdSave"})
            out += s.enabled.at(b) ? b[0] == 'c' ? 'S' : b[0] : '-';
        return out;
    }
    msp::Assignment AssignmentOf(const msp::Task& task, const std::string& resource) {
        for (msp::Assignment a : task.Assignments())
            if (a.ResourceName() == resource) return a;
        return {};
    }

    msp::Task deck, bolts, welding, piers, concrete, spans;
    msp::Resource anna;
    msp::Assignment crane, steel, ole;
};

TEST_F(BudgetLineBrowser, ListsTheSubtasksFirstThenTheAssignmentsAndNothingDeeper) {
    // Opened on a line, the browser finds its charge element.
    for (msp::Task* opened : {&deck, &welding}) {
        WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                           st::Click(T("NextBL")), st::Click(T("cmdclose"))});
        Open(*opened, user);
        std::vector<std::string> shown;
        for (const Sight& s : user.sights) shown.push_back(Shown(s));
        EXPECT_THAT(shown, ElementsAre("MAT.M100 Steel bolts||12|ST", "LAB.W01 Welding|EMP.E100 Anna Berg|16|ST",
                                       "EQP.CR20 Crane||16|RA", "MAT.M200 Concrete||5|RA",
                                       "LAB.W01 Welding|EMP.E200 Ole Dahl|8|RA"))
            << opened->Name();
        EXPECT_EQ(user.sights[0].text.at("txtLinkedCE"), "BR.10");
        EXPECT_EQ(user.sights[0].text.at("txtBudgetLine"), "1234");
        EXPECT_EQ(user.sights[3].text.at("cmbLnkType"), "Create");
        EXPECT_EQ(user.sights[3].text.at("txtBudgetUnit"), "M3");
    }
}

TEST_F(BudgetLineBrowser, TheFourButtonsMoveThroughTheLinesAndSaveWaitsForAnEdit) {
    struct Case {
        const char* button; // "" for the opening
        const char* shown;
        const char* buttons;
    };
    const Case cases[] = {
        {"", "MAT.M100 Steel bolts||12|ST", "--NBS"}, // the opening's own choices enable Save
        {"BottomBL", "LAB.W01 Welding|EMP.E200 Ole Dahl|8|RA", "TP---"},
        {"PreviousBL", "MAT.M200 Concrete||5|RA", "TPNB-"},
        {"TopBL", "MAT.M100 Steel bolts||12|ST", "--NB-"},
        {"NextBL", "LAB.W01 Welding|EMP.E100 Anna Berg|16|ST", "TPNB-"},
        {"PreviousBL", "MAT.M100 Steel bolts||12|ST", "--NB-"},
    };
    std::vector<Step> steps;
    for (const Case& c : cases)
        if (*c.button) steps.push_back(st::Click(T(c.button)));
    steps.push_back(st::Click(T("cmdclose")));
    WatchingUser user(steps);
    Open(deck, user);
    ASSERT_EQ(user.sights.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Shown(user.sights[i]), cases[i].shown) << i << " " << cases[i].button;
        EXPECT_EQ(Buttons(user.sights[i]), cases[i].buttons) << i << " " << cases[i].button;
    }
    EXPECT_TRUE(Boxes(user).empty());
}

TEST_F(BudgetLineBrowser, ASingleLineDisablesAllFourButtons) {
    WatchingUser user({st::Click(T("cmdclose"))});
    Open(piers, user);
    ASSERT_EQ(user.sights.size(), 1u);
    EXPECT_EQ(Buttons(user.sights[0]), "----S");
    EXPECT_EQ(Shown(user.sights[0]), "MAT.M200 Concrete||4|ST");
}

TEST_F(BudgetLineBrowser, WithoutLinesItSaysSoAndCloses) {
    // A charge element without lines, and a task with no charge element above it.
    msp::Task loose = AddTask("Loose end", 1);
    const std::string title = SetProgramTitle(kProgramTitle);
    for (msp::Task* task : {&spans, &loose}) {
        WatchingUser user({st::Answer(vbOK, "No budget lines are present for the linked Charge Element")});
        Open(*task, user);
        EXPECT_TRUE(user.sights.empty()) << task->Name();
        EXPECT_THAT(Boxes(user), ElementsAre(std::string(kProgramTitle) +
                                             ": No budget lines are present for the linked Charge Element"));
        EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbInformation);
    }
    SetProgramTitle(title);
}

TEST_F(BudgetLineBrowser, LinkExistsIsRefusedByHandButNotAtOpening) {
    WatchingUser user({st::Pick(T("cmbLnkType"), "Link Exists"),
                       st::Answer(vbOK, "This Value can not be set manually"), st::Click(T("cmdclose"))});
    Open(piers, user);
    ASSERT_EQ(user.sights.size(), 2u);
    EXPECT_EQ(user.sights[1].text.at("cmbLnkType"), "Create");
    EXPECT_THAT(Boxes(user), ElementsAre(std::string(kMessageTitle) + ": This Value can not be set manually"));

    WatchingUser linked({st::Click(T("cmdclose"))});
    Open(deck, linked);
    EXPECT_EQ(linked.sights[0].text.at("cmbLnkType"), "Link Exists");
    EXPECT_FALSE(linked.sights[0].enabled.at("cmbLnkType"));
    EXPECT_TRUE(Boxes(linked).empty());
}

TEST_F(BudgetLineBrowser, MovingOnAfterAnEditDropsIt) {
    SetProperty("OwnershipChBSAndBudgQty", 2);
    WatchingUser user({st::Type(T("txtBudgetQuantity"), "99"), st::Click(T("NextBL")), st::Click(T("PreviousBL")),
                       st::Click(T("cmdclose"))});
    Open(deck, user);
    ASSERT_EQ(user.sights.size(), 4u);
    EXPECT_EQ(user.sights[1].text.at("txtBudgetQuantity"), "99");
    EXPECT_TRUE(user.sights[1].enabled.at("cmdSave"));
    EXPECT_EQ(Shown(user.sights[3]), "MAT.M100 Steel bolts||12|ST");
    EXPECT_FALSE(user.sights[3].enabled.at("cmdSave"));
    EXPECT_EQ(bolts.Text6(), "12");
}

TEST_F(BudgetLineBrowser, WhoOwnsTheQuantitiesDecidesWhatALinkedLineLetsTheUserChange) {
    struct Case {
        int32_t ownership;
        int moves; // Next clicks: 0 bolts, 1 welding, 2 crane
        bool quantity, costObject, employee;
    };
    const Case cases[] = {
        {1, 0, false, true, false}, {2, 0, true, false, false}, {4, 0, true, false, false},
        {3, 1, false, true, true},  {2, 1, false, false, true}, {2, 2, false, false, false},
        {1, 2, false, true, false},
    };
    for (const Case& c : cases) {
        SetProperty("OwnershipChBSAndBudgQty", c.ownership);
        std::vector<Step> steps(static_cast<size_t>(c.moves), st::Click(T("NextBL")));
        steps.push_back(st::Click(T("cmdclose")));
        WatchingUser user(steps);
        Open(deck, user);
        const Sight& s = user.sights.back();
        const std::string what = "ownership " + std::to_string(c.ownership) + " line " + std::to_string(c.moves);
        EXPECT_EQ(s.enabled.at("txtBudgetQuantity"), c.quantity) << what;
        EXPECT_EQ(s.enabled.at("cmbCostObj"), c.costObject) << what;
        EXPECT_EQ(s.enabled.at("cmbEmpTrg"), c.employee) << what;
        EXPECT_FALSE(s.enabled.at("cmbCostType")) << what;
    }
}

TEST_F(BudgetLineBrowser, LabourAndEquipmentAssignmentsShowTheirWorkInThePlansWorkUnit) {
    struct Case {
        int32_t unit;
        const char* crane;
        const char* ole;
    };
    const Case cases[] = {{msp::pjHour, "16", "8"}, {msp::pjDay, "2", "1"}, {msp::pjMinute, "960", "480"}};
    for (const Case& c : cases) {
        Plan().SetDefaultWorkUnits(c.unit);
        WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("BottomBL")),
                           st::Click(T("cmdclose"))});
        Open(deck, user);
        EXPECT_EQ(user.sights[2].text.at("txtBudgetQuantity"), c.crane) << c.unit;
        EXPECT_EQ(user.sights[3].text.at("txtBudgetQuantity"), c.ole) << c.unit;
    }
}

TEST_F(BudgetLineBrowser, ALabourEntryReadsTheRecordItWasListedFrom) {
    // The file's record without a code is not listed: the second entry is the third record.
    WatchingUser user({st::Click(T("NextBL")), st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"),
                       st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_THAT(user.sights[1].list.at("cmbCostObj"), ElementsAre("LAB.W01 Welding", "LAB.P1.W02 Rigging"));
    EXPECT_EQ(user.sights[2].text.at("txtBudgetUnit"), "");
    EXPECT_EQ(Fields(welding), "Rigging|2|LAB.P1.W02|8|16||3||3|EMP.E100 Anna Berg");
    EXPECT_FALSE(user.sights[3].enabled.at("cmdSave"));
}

TEST_F(BudgetLineBrowser, AnotherCostObjectOrEmployeeKeepsTheAssignmentsWork) {
    WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Pick(T("cmbCostObj"), "EQP.CR30 Excavator"),
                       st::Click(T("cmdSave")), st::Click(T("BottomBL")), st::Pick(T("cmbEmpTrg"), "TRG.T20 Welders"),
                       st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(user.sights[3].text.at("txtBudgetUnit"), "H");
    ASSERT_EQ(deck.Assignments().Count(), 3);
    msp::Assignment excavator = AssignmentOf(deck, "EQP.CR30 Excavator");
    ASSERT_TRUE(excavator);
    EXPECT_DOUBLE_EQ(excavator.Work(), 960);
    EXPECT_EQ(excavator.Text3() + "|" + excavator.Text4() + "|" + excavator.Text6() + "|" + excavator.Text8() + "|" +
                  excavator.Text11(),
              "EQP.CR30|4|200|3|Excavator");
    msp::Assignment welders = AssignmentOf(deck, "TRG.T20 Welders");
    ASSERT_TRUE(welders);
    EXPECT_DOUBLE_EQ(welders.Work(), 480);
    EXPECT_EQ(welders.Text3() + "|" + welders.Text4() + "|" + welders.Text8() + "|" + welders.Text13(),
              "LAB.W01|9|3|TRG.T20");
    EXPECT_FALSE(AssignmentOf(deck, "EQP.CR20 Crane"));
    EXPECT_FALSE(AssignmentOf(deck, "EMP.E200 Ole Dahl"));
}

TEST_F(BudgetLineBrowser, AQuantityTheChangedLineHoldsIsWrittenToThePlanAndTheRecord) {
    SetProperty("OwnershipChBSAndBudgQty", 2);
    WatchingUser user({st::Type(T("txtBudgetQuantity"), "15.5"), st::Click(T("cmdSave")), st::Click(T("NextBL")),
                       st::Click(T("PreviousBL")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(Fields(bolts), "Steel bolts|1|MAT.M100|1234|15.5|PCS|3||3|");
    EXPECT_FALSE(user.sights[2].enabled.at("cmdSave"));
    EXPECT_EQ(user.sights[4].text.at("txtBudgetQuantity"), "15.5"); // the record was saved too
}

TEST_F(BudgetLineBrowser, AMaterialAssignmentTakesItsQuantityAsUnits) {
    // A line made in the plan: its quantity can be changed while the ERP owns the quantities.
    WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                       st::Type(T("txtBudgetQuantity"), "7"), st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_DOUBLE_EQ(steel.Units(), 7);
    EXPECT_EQ(steel.Text6() + "|" + steel.Text8() + "|" + steel.Text4(), "7|2|");
    EXPECT_EQ(steel.ResourceName(), "MAT.M200 Concrete");
}

TEST_F(BudgetLineBrowser, ALineMadeInThePlanMayTakeAnotherCostType) {
    Resource("SUB.S10 Survey", "SUB.S10", "Survey", "LS");
    WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                       st::Pick(T("cmbCostType"), "Subcontracting"), st::Pick(T("cmbCostObj"), "SUB.S10 Survey"),
                       st::Type(T("txtBudgetQuantity"), "3"), st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_THAT(user.sights[4].list.at("cmbCostObj"), ElementsAre("SUB.S10 Survey"));
    EXPECT_EQ(user.sights[4].text.at("txtBudgetQuantity"), ""); // emptied with the cost type
    EXPECT_EQ(user.sights[5].text.at("txtBudgetUnit"), "LS");
    EXPECT_EQ(steel.ResourceName(), "SUB.S10 Survey");
    EXPECT_EQ(steel.Text2() + "|" + steel.Text3() + "|" + steel.Text6() + "|" + steel.Text8() + "|" + steel.Text11(),
              "4|SUB.S10|3|2|Survey");
    EXPECT_DOUBLE_EQ(steel.Units(), 3);
}

TEST_F(BudgetLineBrowser, ANoLinkLineShownAfterAnotherCostTypeIsNotSaved) {
    ole.SetText8("1");
    WatchingUser user({st::Click(T("BottomBL")), st::Click(T("cmdclose"))});
    Open(deck, user);
    const Sight& s = user.sights[1];
    EXPECT_EQ(s.text.at("cmbLnkType") + "|" + s.text.at("cmbCostType"), "No Link|Labor");
    for (const char* box : {"cmbCostType", "cmbCostObj", "txtBudgetQuantity", "cmbEmpTrg"})
        EXPECT_FALSE(s.enabled.at(box)) << box;
}

TEST_F(BudgetLineBrowser, AnotherCostObjectMakesALinkedLineNewOnlyWhenThePlanOwnsQuantities) {
    // The bolts subtask and the crane assignment, each given the second entry of its list.
    for (int32_t ownership : {1, 2, 3, 4}) {
        for (int32_t index : {0, 2}) {
            bolts.SetText3("MAT.M100");
            bolts.SetName("Steel bolts");
            bolts.SetText4("1234");
            bolts.SetText8("3");
            if (crane.ResourceName() != "EQP.CR20 Crane") crane.SetResourceName("EQP.CR20 Crane");
            crane.SetText4("4");
            crane.SetText8("3");
            SetProperty("OwnershipChBSAndBudgQty", ownership);
            app->ViewApply(kKovaBudgetView, true);
            app->SelectRow(deck.Id(), false);
            frmKovabdgview& dialog = DefaultInstance<frmKovabdgview>();
            dialog.Load();
            dialog.CurrentIndex = index;
            dialog.DisplayLinkType();
            dialog.display_from_array(index);
            dialog.PreviousCostObjectText = dialog.cmbCostObj.Text();
            dialog.cmbCostObj.SetListIndex(1);
            dialog.save_current_details();
            const bool planOwns = ownership == 2 || ownership == 4;
            const std::string what = "ownership " + std::to_string(ownership) + " line " + std::to_string(index);
            if (index == 0)
                EXPECT_EQ(bolts.Text8() + "|" + bolts.Text4(), planOwns ? "2|" : "3|1234") << what;
            else
                EXPECT_EQ(crane.Text8() + "|" + crane.Text4(), planOwns ? "2|" : "3|4") << what;
            EXPECT_EQ(dialog.Records[static_cast<size_t>(index)].LinkType, planOwns ? 2 : 3) << what;
            dialog.Unload();
            ReleaseUnloadedForms();
        }
    }
}

TEST_F(BudgetLineBrowser, SavingChecksTheInputAndAlwaysDisablesSave) {
    struct Case {
        int32_t ownership;
        std::vector<Step> edit;
        const char* message;
    };
    const Case cases[] = {
        {2, {st::Type(T("txtBudgetQuantity"), "")}, "Please enter a quantity for creating the Kova budget line"},
        // The labour assignment, the last line: another cost object, then no employee.
        {1,
         {st::Click(T("BottomBL")), st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"), st::Type(T("cmbEmpTrg"), "")},
         "Please enter an Employee or Trade Group"},
    };
    for (const Case& c : cases) {
        SetProperty("OwnershipChBSAndBudgQty", c.ownership);
        std::vector<Step> steps = c.edit;
        steps.push_back(st::Click(T("cmdSave")));
        steps.push_back(st::Answer(vbOK, c.message));
        steps.push_back(st::Click(T("cmdclose")));
        WatchingUser user(steps);
        Open(deck, user);
        EXPECT_THAT(Boxes(user), ElementsAre(std::string(kMessageTitle) + ": " + c.message));
        EXPECT_FALSE(user.sights.back().enabled.at("cmdSave")) << c.message;
    }
    EXPECT_EQ(bolts.Text6(), "12");
    EXPECT_EQ(ole.ResourceName(), "EMP.E200 Ole Dahl");
    EXPECT_EQ(ole.Text3(), "LAB.W01");
}

TEST_F(BudgetLineBrowser, ANoLinkLineIsNotSaved) {
    concrete.SetText8("1");
    WatchingUser user({st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(piers, user);
    EXPECT_FALSE(user.sights[1].enabled.at("cmdSave"));
    EXPECT_EQ(Fields(concrete), "Concrete|1|MAT.M200||4|M3|1||3|");
}

TEST_F(BudgetLineBrowser, AnotherEmployeeOfALabourSubtaskReplacesItsAssignment) {
    WatchingUser user({st::Click(T("NextBL")), st::Pick(T("cmbEmpTrg"), "TRG.T20 Welders"), st::Click(T("cmdSave")),
                       st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(Fields(welding), "Welding|2|LAB.W01|8|16||3||3|TRG.T20 Welders");
}

TEST_F(BudgetLineBrowser, AResourceAnotherAssignmentHasTurnsBothLinesIntoSubtasks) {
    msp::Assignment excavator = Assign(deck, "EQP.CR30 Excavator", "3", "EQP.CR30", "5", "3");
    excavator.SetWork(240.0);
    WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Pick(T("cmbCostObj"), "EQP.CR30 Excavator"),
                       st::Click(T("cmdSave")), st::Click(T("BottomBL")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_FALSE(AssignmentOf(deck, "EQP.CR20 Crane"));
    EXPECT_FALSE(AssignmentOf(deck, "EQP.CR30 Excavator"));
    ASSERT_EQ(deck.OutlineChildren().Count(), 5);
    msp::Task moved = deck.OutlineChildren().Item(4);
    msp::Task line = deck.OutlineChildren().Item(5);
    EXPECT_EQ(Fields(moved), "|3|EQP.CR30|5|||3|BR.10_3_5|3|EQP.CR30 Excavator");
    EXPECT_DOUBLE_EQ(moved.Work(), 240);
    // The shown line keeps its number, its link and the crane's work.
    EXPECT_EQ(Fields(line), "Excavator|3|EQP.CR30|4|16|H|3|BR.10_3_4|3|EQP.CR30 Excavator");
    EXPECT_DOUBLE_EQ(line.Work(), 960);
    // Both records now show subtasks.
    EXPECT_TRUE(user.sights.back().option.at("optSubtask"));
    EXPECT_EQ(user.sights.back().text.at("cmbCostObj"), "EQP.CR30 Excavator");
}

TEST_F(BudgetLineBrowser, AClashIsLookedForAmongTheAssignmentsOnly) {
    // A crane subtask whose cost object and name read as the crane resource's name.
    msp::Task craneLine = Plan().Tasks().Add("Crane", piers.Id());
    craneLine.SetOutlineLevel(3);
    craneLine.SetText2("3");
    craneLine.SetText3("EQP.CR20");
    craneLine.SetText4("2");
    craneLine.SetText8("3");
    craneLine.SetWork(200.0 * 60);
    msp::Assignment excavator = Assign(deck, "EQP.CR30 Excavator", "3", "EQP.CR30", "7", "3");
    excavator.SetWork(24.0 * 60);
    // The excavator line takes the crane, which the crane assignment has: both become subtasks. Then
    // the crane subtask is given the excavator.
    WatchingUser user({st::Click(T("BottomBL")), st::Pick(T("cmbCostObj"), "EQP.CR20 Crane"), st::Click(T("cmdSave")),
                       st::Click(T("TopBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                       st::Pick(T("cmbCostObj"), "EQP.CR30 Excavator"), st::Click(T("cmdSave")),
                       st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(user.sights[6].text.at("txtBudgetLine"), "2");
    EXPECT_EQ(craneLine.Text3() + "|" + craneLine.Text4() + "|" + craneLine.Name(), "EQP.CR30|2|Excavator");
    EXPECT_DOUBLE_EQ(craneLine.Work(), 200.0 * 60);
    // The crane assignment's own subtask keeps its cost object, number and work.
    int crane4 = 0;
    for (msp::Task t : deck.OutlineChildren()) {
        if (t.Text4() != "4") continue;
        ++crane4;
        EXPECT_EQ(t.Text3(), "EQP.CR20");
        EXPECT_DOUBLE_EQ(t.Work(), 960);
    }
    EXPECT_EQ(crane4, 1);
}

TEST_F(BudgetLineBrowser, AnotherCostObjectBringsItsUnit) {
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"), st::Click(T("cmdSave")),
                       st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                       st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Click(T("cmdSave")),
                       st::Click(T("TopBL")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(bolts.Text3() + "|" + bolts.Text7(), "MAT.M200|M3");
    msp::Assignment moved = AssignmentOf(deck, "MAT.M100 Steel bolts");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved.Text3() + "|" + moved.Text7(), "MAT.M100|PCS");
    EXPECT_EQ(user.sights.back().text.at("txtBudgetUnit"), "M3"); // the record shows it again
}

TEST_F(BudgetLineBrowser, LabourAndEquipmentChosenForANewLineTakeNoQuantity) {
    // The material assignment made in the plan, the ERP owning the quantities: its box is open.
    WatchingUser user({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                       st::Pick(T("cmbCostType"), "Equipment"), st::Pick(T("cmbCostType"), "Sundry"),
                       st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostType"), "Subcontracting"),
                       st::Click(T("cmdclose"))});
    Open(deck, user);
    std::vector<bool> open;
    for (size_t i = 3; i < user.sights.size(); ++i) open.push_back(user.sights[i].enabled.at("txtBudgetQuantity"));
    EXPECT_THAT(open, ElementsAre(true, false, true, false, true));
}

TEST_F(BudgetLineBrowser, AQuantityIsReadAndWrittenInTheUsersNumberForm) {
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER, platform::os::kInternationalKey,
                                                "sDecimal", ","));
    // The plan owns the quantities: the linked subtask saved as it opened, then typed with a period.
    SetProperty("OwnershipChBSAndBudgQty", 2);
    bolts.SetText6("85,5");
    WatchingUser user({st::Click(T("cmdSave")), st::Type(T("txtBudgetQuantity"), "9.25"), st::Click(T("cmdSave")),
                       st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(user.sights[0].text.at("txtBudgetQuantity"), "85,5");
    EXPECT_EQ(user.sights[1].text.at("txtBudgetQuantity"), "85,5"); // the first save kept it
    EXPECT_EQ(bolts.Text6(), "9,25");
    // The ERP owns them: the material assignment made in the plan takes its units so.
    SetProperty("OwnershipChBSAndBudgQty", 1);
    WatchingUser second({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                         st::Type(T("txtBudgetQuantity"), "7.5"), st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, second);
    EXPECT_DOUBLE_EQ(steel.Units(), 7.5);
    EXPECT_EQ(steel.Text6(), "7,5");
}

TEST_F(BudgetLineBrowser, AQuantityThatIsNoNumberTheErpCanHoldIsRefused) {
    for (const std::string& typed : {std::string("-5"), std::string("1.2.3"), std::string("--5"), std::string("."),
                                     std::string(400, '9')}) {
        SCOPED_TRACE(typed.substr(0, 10));
        SetProperty("OwnershipChBSAndBudgQty", 2);
        WatchingUser user({st::Type(T("txtBudgetQuantity"), typed), st::Click(T("cmdSave")),
                           st::Answer(vbOK, kInvalidQuantityMessage), st::Click(T("cmdclose"))});
        Open(deck, user);
        EXPECT_EQ(bolts.Text6(), "12");
        SetProperty("OwnershipChBSAndBudgQty", 1);
        WatchingUser second({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Click(T("NextBL")),
                             st::Type(T("txtBudgetQuantity"), typed), st::Click(T("cmdSave")),
                             st::Answer(vbOK, kInvalidQuantityMessage), st::Click(T("cmdclose"))});
        Open(deck, second);
        EXPECT_EQ(steel.Text6(), "5");
        EXPECT_DOUBLE_EQ(steel.Units(), 5);
    }
}

TEST_F(BudgetLineBrowser, MoreOfTheSingleLineDialogOpensTheBrowser) {
    InstallBudgetLineDialog();
    WatchingUser user({st::Click("frmKovabdglines.cmdMore"), st::Click(T("NextBL")),
                       st::Pick(T("cmbCostObj"), "LAB.W01 Welding"), st::Click(T("cmdclose"))});
    app->ViewApply(kKovaGanttView, true);
    app->SelectRow(bolts.Id(), false);
    user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    {
        ScopedUser on(user);
        ShowBudgetLineDialog("");
        EXPECT_TRUE(user.Finish());
    }
    ASSERT_EQ(user.sights.size(), 3u);
    EXPECT_EQ(Shown(user.sights[0]), "MAT.M100 Steel bolts||12|ST");
    // Opened from the Gantt view, the browser comes back to it after a lookup.
    EXPECT_EQ(Plan().CurrentView(), kKovaGanttView);
    EXPECT_FALSE(IsFormLoaded<frmKovabdglines>());
    EXPECT_FALSE(IsFormLoaded<frmKovabdgview>());
}

TEST_F(BudgetLineBrowser, LongNumbersAndNamesAreWrittenBackWhole) {
    const std::string longName = "EQP.CR20 Crane with a name much longer than fifty characters in all";
    Plan().Resources().Item("EQP.CR20 Crane").SetName(longName);
    crane.SetText4("12345");
    bolts.SetText4("1000");
    SetProperty("OwnershipChBSAndBudgQty", 2);
    WatchingUser user({st::Type(T("txtBudgetQuantity"), "13"), st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, user);
    EXPECT_EQ(bolts.Text4() + "|" + bolts.Text6(), "1000|13");

    SetProperty("OwnershipChBSAndBudgQty", 1);
    WatchingUser second({st::Click(T("NextBL")), st::Click(T("NextBL")), st::Pick(T("cmbCostObj"), longName),
                         st::Click(T("cmdSave")), st::Click(T("cmdclose"))});
    Open(deck, second);
    EXPECT_EQ(second.sights[2].text.at("cmbCostObj"), longName);
    EXPECT_EQ(second.sights[2].text.at("txtBudgetLine"), "12345");
    EXPECT_EQ(crane.Text4() + "|" + crane.ResourceName(), "12345|" + longName);
    EXPECT_DOUBLE_EQ(crane.Work(), 960);
}

} // namespace
} // namespace Grantry
