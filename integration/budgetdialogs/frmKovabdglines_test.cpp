// The budget-line dialog on a small plan: a work package with a linked material line and a linked
// labour line, an empty work package, and one with a single line made in the plan.
#include "integration/budgetdialogs/frmKovabdglines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "integration/budgetdialogs/BudgetDialogSupport.h"
#include "integration/budgetdialogs/BudgetDialogTestSupport.h"
#include "integration/core/BudgetLineDetailsCommand.h"
#include "integration/core/CommandFrame.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/Locale.h"
#include "platform/os/Registry.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
namespace st = steps;
namespace msp = platform::msproject;

std::string T(const char* control) {
    return std::string("frmKovabdglines.") + control;
}

using test::Sight;
using WatchingUser = test::WatchingUser<frmKovabdglines>;

class BudgetLineDialog : public test::BudgetDialogFixture {
protected:
    void SetUp() override {
        BudgetDialogFixture::SetUp();
        bridge = Charge("Bridge", 1, "BR", "Project Cost Account");
        deck = Charge("Deck", 2, "BR.10", "Work Package");
        bolts = Line("Steel bolts", 3, "1", "MAT.M100", "3");
        bolts.SetText4("1234");
        bolts.SetText6("12");
        bolts.SetText7("PCS");
        bolts.SetText20("BR.10_1_1234");
        welding = Line("Welding", 3, "2", "LAB.W01", "3");
        welding.SetText4("8");
        welding.SetText6("16");
        piers = Charge("Piers", 2, "BR.20", "Work Package");
        spans = Charge("Spans", 2, "BR.30", "Work Package");
        concrete = Line("Concrete", 3, "1", "MAT.M200", "2");
        concrete.SetText6("4");
        concrete.SetText7("M3");

        Resource("MAT.M100 Steel bolts", "MAT.M100", "Steel bolts", "PCS");
        Resource("MAT.M200 Concrete", "MAT.M200", "Concrete", "M3");
        Resource("EQP.CR20 Crane", "EQP.CR20", "Crane", "H");
        anna = Resource("EMP.E100 Anna Berg", "EMP.E100", "Anna Berg", "");
        Resource("EMP.E200 Ole Dahl", "EMP.E200", "Ole Dahl", "");
        Resource("TRG.T20 Welders", "TRG.T20", "Welders", "");
        welding.Assignments().Add(anna.Id(), 1.0);
        WriteLaborFile({{"", "W01", "Welding", "H"}, {"", "", "Nothing", ""}, {"P1", "W02", "Rigging", "H"}});
        SetProperty("OwnershipChBSAndBudgQty", 2);
        SetProperty("KovaMatBudgLnAsSubTask", true);
        SetProperty("KovaLabBudgLnAsSubTask", false);
        InstallBudgetLineDialog();
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    // Opens the dialog on `task` as the command does, and lets `user` work it.
    void Open(const msp::Task& task, WatchingUser& user, const std::string& tag = "") {
        app->ViewApply(kKovaGanttView, true);
        app->SelectRow(task.Id(), false);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        {
            ScopedUser on(user);
            ShowBudgetLineDialog(tag);
            EXPECT_TRUE(user.Finish());
        }
        EXPECT_FALSE(IsFormLoaded<frmKovabdglines>());
        ASSERT_FALSE(user.sights.empty());
    }
    msp::Task bridge, deck, bolts, welding, piers, spans, concrete;
    msp::Resource anna;
};

TEST_F(BudgetLineDialog, AChargeElementWithoutLinesOpensAsANewMaterialLine) {
    for (bool materialAsSubTask : {true, false}) {
        SetProperty("KovaMatBudgLnAsSubTask", materialAsSubTask);
        WatchingUser user({st::Click(T("cmdCancel"))});
        Open(piers, user, kNewBudgetLineTaskTag);
        const Sight& s = user.sights[0];
        EXPECT_EQ(s.text.at("txtLinkedCE"), "BR.20");
        EXPECT_EQ(s.text.at("cmbLnkType"), "Create");
        EXPECT_EQ(s.text.at("cmbCostType"), "Material");
        EXPECT_THAT(s.list.at("cmbCostObj"), ::testing::ElementsAre("MAT.M100 Steel bolts", "MAT.M200 Concrete"));
        EXPECT_FALSE(s.enabled.at("cmdMore"));
        EXPECT_FALSE(s.enabled.at("cmdOK")); // no cost object yet
        EXPECT_TRUE(s.enabled.at("txtBudgetQuantity"));
        EXPECT_FALSE(s.enabled.at("cmbEmpTrg"));
        EXPECT_EQ(s.option.at("optSubtask"), materialAsSubTask);
        EXPECT_EQ(s.option.at("optResAssgnt"), !materialAsSubTask);
    }
    EXPECT_EQ(piers.OutlineChildren().Count(), 0);
    EXPECT_EQ(piers.Assignments().Count(), 0);
}

TEST_F(BudgetLineDialog, MoreIsEnabledOnlyWithTwoLinesUnderTheChargeElement) {
    // Deck has two lines; Spans one, then also an ordinary subtask, then a budget-line assignment.
    struct Case {
        std::function<void()> arrange;
        msp::Task* line;
        bool enabled;
    };
    msp::Task cableDrum;
    const Case cases[] = {
        {[] {}, &bolts, true},
        {[] {}, &welding, true},
        {[] {}, &concrete, false},
        {[&] { AddTask("Inspection", 3); }, &concrete, false},
        {[&] {
             msp::Assignment a = spans.Assignments().Add(anna.Id(), 0.0);
             a.SetText8("2");
         },
         &concrete, true},
    };
    for (const Case& c : cases) {
        c.arrange();
        WatchingUser user({st::Click(T("cmdCancel"))});
        Open(*c.line, user);
        EXPECT_EQ(user.sights[0].enabled.at("cmdMore"), c.enabled) << c.line->Name();
    }
}

TEST_F(BudgetLineDialog, MoreDoesNothingUntilABrowserIsPluggedInThenReplacesTheDialog) {
    WatchingUser user({st::Click(T("cmdMore")), st::Click(T("cmdCancel"))});
    Open(bolts, user);
    EXPECT_EQ(user.sights.size(), 2u); // the dialog stayed

    int browsed = 0;
    ShowBudgetLineBrowser = [&] {
        EXPECT_FALSE(IsFormLoaded<frmKovabdglines>());
        ++browsed;
    };
    WatchingUser second({st::Click(T("cmdMore"))});
    Open(bolts, second);
    EXPECT_EQ(browsed, 1);
}

TEST_F(BudgetLineDialog, LinkExistsCannotBeChosenByHand) {
    WatchingUser user({st::Pick(T("cmbLnkType"), "Link Exists"),
                       st::Answer(vbOK, "This Value can not be set manually"), st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    ASSERT_EQ(user.sights.size(), 2u);
    EXPECT_EQ(user.sights[1].text.at("cmbLnkType"), "Create");
    EXPECT_TRUE(user.sights[1].enabled.at("cmbLnkType"));
    EXPECT_TRUE(user.sights[1].enabled.at("cmbCostObj"));
    EXPECT_EQ(Boxes(user)[0], std::string(kMessageTitle) + ": This Value can not be set manually");
}

TEST_F(BudgetLineDialog, OwnershipDecidesWhatALinkedLineLetsTheUserChange) {
    struct Case {
        int32_t ownership;
        msp::Task* line;
        bool quantity, costObject, employee;
    };
    const Case cases[] = {
        {2, &bolts, true, false, false},  {4, &bolts, true, false, false},
        {1, &bolts, false, true, false},  {3, &bolts, false, true, false},
        {1, &welding, false, true, true}, {2, &welding, false, false, true},
    };
    for (const Case& c : cases) {
        SetProperty("OwnershipChBSAndBudgQty", c.ownership);
        WatchingUser user({st::Click(T("cmdCancel"))});
        Open(*c.line, user);
        const Sight& s = user.sights[0];
        const std::string what = c.line->Name() + " ownership " + std::to_string(c.ownership);
        EXPECT_EQ(s.text.at("cmbLnkType"), "Link Exists") << what;
        EXPECT_FALSE(s.enabled.at("cmbLnkType")) << what;
        EXPECT_FALSE(s.enabled.at("cmbCostType")) << what;
        EXPECT_EQ(s.enabled.at("txtBudgetQuantity"), c.quantity) << what;
        EXPECT_EQ(s.enabled.at("cmbCostObj"), c.costObject) << what;
        EXPECT_EQ(s.enabled.at("cmbEmpTrg"), c.employee) << what;
        EXPECT_TRUE(s.option.at("optSubtask")) << what;
    }
}

TEST_F(BudgetLineDialog, ALinkedLineShowsWhatThePlanHolds) {
    WatchingUser user({st::Click(T("cmdCancel"))});
    Open(welding, user);
    const Sight& s = user.sights[0];
    EXPECT_EQ(s.text.at("txtLinkedCE"), "BR.10");
    EXPECT_EQ(s.text.at("txtBudgetLine"), "8");
    EXPECT_EQ(s.text.at("cmbCostType"), "Labor");
    EXPECT_EQ(s.text.at("cmbCostObj"), "LAB.W01 Welding");
    EXPECT_EQ(s.text.at("txtBudgetQuantity"), "16");
    EXPECT_EQ(s.text.at("cmbEmpTrg"), "EMP.E100 Anna Berg");
    // The record without a code is left out of the list.
    EXPECT_THAT(s.list.at("cmbCostObj"), ::testing::ElementsAre("LAB.W01 Welding", "LAB.P1.W02 Rigging"));
    EXPECT_THAT(s.list.at("cmbEmpTrg"),
                ::testing::ElementsAre("EMP.E100 Anna Berg", "EMP.E200 Ole Dahl", "TRG.T20 Welders"));
}

TEST_F(BudgetLineDialog, TheQuantityTakesOnlyDigitsSignAndPoint) {
    const std::pair<std::string, std::string> cases[] = {{"12a", "12"}, {"-1.5", "-1.5"}, {"x7,5 kg", "75"}};
    for (const auto& [typed, kept] : cases) {
        WatchingUser user({st::Type(T("txtBudgetQuantity"), typed), st::Click(T("cmdCancel"))});
        Open(piers, user, kNewBudgetLineTaskTag);
        EXPECT_EQ(user.sights[1].text.at("txtBudgetQuantity"), kept) << typed;
    }
    WatchingUser user({st::Type(T("txtBudgetQuantity"), "123"), st::PressKey(T("txtBudgetQuantity"), 8),
                       st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(user.sights[2].text.at("txtBudgetQuantity"), "12");
}

TEST_F(BudgetLineDialog, ALabourFileThatBeginsWithItsEndRecordGivesNoCostObjects) {
    WriteLaborFile({});
    WatchingUser user({st::Pick(T("cmbCostType"), "Labor"), st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_TRUE(user.sights[1].list["cmbCostObj"].empty());
    EXPECT_EQ(user.sights[1].list.at("cmbEmpTrg").size(), 3u);
    EXPECT_TRUE(user.sights[1].enabled.at("cmbEmpTrg"));
    EXPECT_FALSE(user.sights[1].enabled.at("txtBudgetQuantity"));
}

// A damaged labour file lists only its whole records and says which file is damaged.
TEST_F(BudgetLineDialog, ADamagedLabourFileListsNoJunkAndIsNamed) {
    DamageRecord(GetLcoFilePath(), LaborCostObjectRecord::kLength, 2);
    WatchingUser user({st::Pick(T("cmbCostType"), "Labor"),
                       st::Answer(vbOK, "The file " + GetLcoFilePath() +
                                            " is damaged: record 2 is not text. Its damaged records are left out; "
                                            "synchronize the master data to write it again."),
                       st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"), st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_THAT(user.sights.back().list.at("cmbCostObj"),
                ::testing::ElementsAre("LAB.W01 Welding", "LAB.P1.W02 Rigging"));
}

TEST_F(BudgetLineDialog, ChoosingTheSameCostTypeAgainKeepsTheList) {
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"), st::Pick(T("cmbCostType"), "Material"),
                       st::Pick(T("cmbCostType"), "Equipment"), st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    ASSERT_EQ(user.sights.size(), 4u);
    EXPECT_EQ(user.sights[1].text.at("txtBudgetUnit"), "M3");
    // The same type again: the chosen cost object stays, only quantity and unit are emptied.
    EXPECT_EQ(user.sights[2].text.at("cmbCostObj"), "MAT.M200 Concrete");
    EXPECT_EQ(user.sights[2].text.at("txtBudgetUnit"), "");
    EXPECT_EQ(user.sights[3].text.at("cmbCostObj"), "");
    EXPECT_THAT(user.sights[3].list.at("cmbCostObj"), ::testing::ElementsAre("EQP.CR20 Crane"));
    EXPECT_FALSE(user.sights[3].enabled.at("txtBudgetQuantity"));
}

TEST_F(BudgetLineDialog, AcceptingRefusesWhatCannotMakeALine) {
    const Step invalid = st::Answer(vbOK, "Please Select a Valid Cost Object.");
    struct Case {
        int32_t ownership;
        std::vector<Step> input;
        const char* message;
        std::vector<Step> after; // the focus went back to the box named
    };
    const Case cases[] = {
        // A typed cost object is not one of the list, whoever owns the quantities.
        {2, {st::Type(T("cmbCostObj"), "MAT.M999 Gold"), st::Type(T("txtBudgetQuantity"), "3"), invalid},
         "Please select a Cost Object for creating a Kova budget line", {invalid}},
        {1, {st::Type(T("cmbCostObj"), "MAT.M999 Gold"), st::Type(T("txtBudgetQuantity"), "3"), invalid},
         "Please select a Cost Object for creating a Kova budget line", {invalid}},
        {2, {st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts")},
         "Please enter a quantity for creating the Kova budget line", {}},
    };
    for (const Case& c : cases) {
        SetProperty("OwnershipChBSAndBudgQty", c.ownership);
        std::vector<Step> steps = c.input;
        steps.push_back(st::Click(T("cmdOK")));
        steps.push_back(st::Answer(vbOK, c.message));
        steps.push_back(st::Click(T("cmdCancel")));
        steps.insert(steps.end(), c.after.begin(), c.after.end());
        WatchingUser user(steps);
        Open(piers, user, kNewBudgetLineTaskTag);
        EXPECT_THAT(Boxes(user), ::testing::Contains(std::string(kMessageTitle) + ": " + c.message));
        EXPECT_EQ(piers.OutlineChildren().Count(), 0);
        EXPECT_EQ(piers.Assignments().Count(), 0);
    }
}

TEST_F(BudgetLineDialog, TheLineTheDialogOpenedOnIsTheActiveRowAgainAfterALookUp) {
    SetProperty("OwnershipChBSAndBudgQty", 1); // the linked line's cost object can be changed
    for (msp::Task* opened : {&bolts, &piers}) {
        WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"), st::Click(T("cmdCancel"))});
        Open(*opened, user, opened == &piers ? kNewBudgetLineTaskTag : "");
        EXPECT_EQ(app->ActiveCell().Task(), *opened) << opened->Name();
        EXPECT_EQ(Plan().CurrentView(), kKovaGanttView);
    }
}

TEST_F(BudgetLineDialog, AQuantityThatIsNoNumberTheErpCanHoldIsRefused) {
    for (const std::string& typed : {std::string("-5"), std::string("1.2.3"), std::string("--5"), std::string("."),
                                     std::string(400, '9')}) {
        SCOPED_TRACE(typed.substr(0, 10));
        for (bool asSubtask : {true, false}) {
            WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"),
                               st::Type(T("txtBudgetQuantity"), typed),
                               st::Choose(T(asSubtask ? "optSubtask" : "optResAssgnt")), st::Click(T("cmdOK")),
                               st::Answer(vbOK, kInvalidQuantityMessage), st::Click(T("cmdCancel"))});
            Open(piers, user, kNewBudgetLineTaskTag);
            EXPECT_EQ(piers.OutlineChildren().Count(), 0);
            EXPECT_EQ(piers.Assignments().Count(), 0);
        }
    }
}

TEST_F(BudgetLineDialog, AQuantityIsReadWithEitherSeparatorAndStoredInTheUsersForm) {
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER, platform::os::kInternationalKey,
                                                "sDecimal", ","));
    for (const auto& [typed, value] : {std::pair<std::string, double>{"7.5", 7.5}, {"12,5", 12.5}}) {
        SCOPED_TRACE(typed);
        WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Type(T("txtBudgetQuantity"), typed),
                           st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
        Open(piers, user, kNewBudgetLineTaskTag);
        ASSERT_EQ(piers.Assignments().Count(), 1);
        msp::Assignment a = piers.Assignments().Item(1);
        EXPECT_DOUBLE_EQ(a.Units(), value);
        EXPECT_EQ(a.Text6(), typed.substr(0, typed.size() - 2) + ",5");
        a.Delete();
    }
}

// ---- storing -------------------------------------------------------------------------------------

TEST_F(BudgetLineDialog, ANewSubtaskGoesAfterTheLastDescendantOneLevelBelow) {
    msp::Task railing = Plan().Tasks().Add("Railing", welding.Id() + 1); // below Welding: Deck's last descendant
    railing.SetOutlineLevel(4);
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"), st::Type(T("txtBudgetQuantity"), "7.5"),
                       st::Choose(T("optSubtask")), st::Click(T("cmdOK"))});
    Open(deck, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(Outline(), "Bridge:1 Deck:2 Steel bolts:3 Welding:3 Railing:4 Concrete:3 Piers:2 Spans:2 Concrete:3");
    msp::Task added = Plan().Tasks().Item(railing.Id() + 1);
    EXPECT_EQ(Fields(added), "Concrete|1|MAT.M200||7.5|M3|2||3|");
    EXPECT_EQ(deck.Assignments().Count(), 0);
}

TEST_F(BudgetLineDialog, ANewLabourSubtaskGetsItsEmployee) {
    WatchingUser user({st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"),
                       st::Pick(T("cmbEmpTrg"), "EMP.E200 Ole Dahl"), st::Choose(T("optSubtask")),
                       st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    ASSERT_EQ(piers.OutlineChildren().Count(), 1);
    // The file's blank record does not shift the lookup: the second entry is the third record.
    EXPECT_EQ(Fields(piers.OutlineChildren().Item(1)), "Rigging|2|LAB.P1.W02||||2||3|EMP.E200 Ole Dahl");
}

TEST_F(BudgetLineDialog, TheEmployeeIsTheResourceOfExactlyItsName) {
    // A resource whose name contains the chosen one comes first in the plan.
    Resource("EMP.E1 Annabel", "EMP.E9", "Annabel", "");
    Resource("EMP.E1 Anna", "EMP.E1", "Anna", "");
    WatchingUser user({st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostObj"), "LAB.W01 Welding"),
                       st::Pick(T("cmbEmpTrg"), "EMP.E1 Anna"), st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    ASSERT_EQ(piers.Assignments().Count(), 1);
    msp::Assignment a = piers.Assignments().Item(1);
    EXPECT_EQ(a.ResourceName() + "|" + a.Text13(), "EMP.E1 Anna|EMP.E1");
}

TEST_F(BudgetLineDialog, AnEmployeeTypedThatThePlanLacksIsRefusedAndTheDialogStays) {
    const Step invalid = st::Answer(vbOK, "Please Select a Valid Employee/TradeGroup.");
    for (bool asSubtask : {true, false}) {
        SCOPED_TRACE(asSubtask ? "subtask" : "assignment");
        WatchingUser user({st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostObj"), "LAB.W01 Welding"),
                           st::Type(T("cmbEmpTrg"), "EMP.E100 Anna"), st::Choose(T(asSubtask ? "optSubtask" : "optResAssgnt")),
                           invalid, st::Click(T("cmdOK")), invalid, st::Click(T("cmdCancel")), invalid});
        Open(piers, user, kNewBudgetLineTaskTag);
        EXPECT_EQ(piers.OutlineChildren().Count(), 0);
        EXPECT_EQ(piers.Assignments().Count(), 0);
    }
}

TEST_F(BudgetLineDialog, ACostTypeTypedRatherThanPickedIsRefused) {
    const Step invalid = st::Answer(vbOK, "Please Select a Valid Cost Type.");
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Type(T("txtBudgetQuantity"), "3"),
                       st::Type(T("cmbCostType"), "Materials"), st::Choose(T("optSubtask")), invalid,
                       st::Click(T("cmdOK")),
                       st::Answer(vbOK, "Please select a Cost Type for creating a Kova budget line"),
                       st::Click(T("cmdCancel")), invalid});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(piers.OutlineChildren().Count(), 0);
    EXPECT_EQ(piers.Assignments().Count(), 0);
}

TEST_F(BudgetLineDialog, ANewMaterialAssignmentMakesTheTaskFixedWork) {
    piers.SetMilestone(true);
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Type(T("txtBudgetQuantity"), "40"),
                       st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(piers.Type(), 2);
    EXPECT_FALSE(piers.Milestone());
    // A milestone has no work: the task is given a minute of it, so that it stays no milestone.
    EXPECT_DOUBLE_EQ(piers.Work(), 1);
    ASSERT_EQ(piers.Assignments().Count(), 1);
    msp::Assignment a = piers.Assignments().Item(1);
    EXPECT_EQ(a.ResourceName(), "MAT.M100 Steel bolts");
    EXPECT_DOUBLE_EQ(a.Units(), 40);
    EXPECT_EQ(a.Text2() + "|" + a.Text3() + "|" + a.Text6() + "|" + a.Text7() + "|" + a.Text8() + "|" + a.Text11(),
              "1|MAT.M100|40|PCS|2|Steel bolts");
    EXPECT_EQ(piers.OutlineChildren().Count(), 0);
}

TEST_F(BudgetLineDialog, ANewLabourAssignmentIsTheEmployeesWithTheCostObjectBeside) {
    SetProperty("KovaLabBudgLnAsSubTask", false);
    WatchingUser user({st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostObj"), "LAB.W01 Welding"),
                       st::Pick(T("cmbEmpTrg"), "EMP.E100 Anna Berg"), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_TRUE(user.sights[0].option.at("optSubtask")); // material first: its default
    EXPECT_TRUE(user.sights[1].option.at("optResAssgnt"));
    ASSERT_EQ(piers.Assignments().Count(), 1);
    msp::Assignment a = piers.Assignments().Item(1);
    EXPECT_EQ(a.ResourceName(), "EMP.E100 Anna Berg");
    EXPECT_DOUBLE_EQ(a.Work(), 240);
    EXPECT_EQ(a.Text2() + "|" + a.Text3() + "|" + a.Text8() + "|" + a.Text11() + "|" + a.Text13(),
              "2|LAB.W01|2|Welding|EMP.E100");
}

TEST_F(BudgetLineDialog, ChangingTheQuantityOfALinkedLineKeepsItsNumberAndName) {
    const std::string longName(60, 'x');
    bolts.SetName(longName);
    WatchingUser user({st::Type(T("txtBudgetQuantity"), "15"), st::Click(T("cmdOK"))});
    Open(bolts, user);
    EXPECT_EQ(Fields(bolts), longName + "|1|MAT.M100|1234|15|PCS|3|BR.10_1_1234|3|");
}

TEST_F(BudgetLineDialog, UnderTheERPsOwnershipOnlyAChangedEmployeeIsStored) {
    SetProperty("OwnershipChBSAndBudgQty", 1);
    // Another cost object alone is not stored: the ERP owns the line.
    WatchingUser unchanged({st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"),
                            st::Pick(T("cmbEmpTrg"), "EMP.E100 Anna Berg"), st::Click(T("cmdOK"))});
    Open(welding, unchanged);
    EXPECT_FALSE(unchanged.sights[0].enabled.at("cmdOK"));
    EXPECT_EQ(Fields(welding), "Welding|2|LAB.W01|8|16||3||3|EMP.E100 Anna Berg");

    WatchingUser user({st::Pick(T("cmbEmpTrg"), "TRG.T20 Welders"), st::Click(T("cmdOK"))});
    Open(welding, user);
    EXPECT_EQ(Fields(welding), "Welding|2|LAB.W01|8|16||3||3|TRG.T20 Welders");
}

TEST_F(BudgetLineDialog, NoLinkDetachesALineMadeInThePlan) {
    spans.Assignments().Add(anna.Id(), 1.0);
    concrete.Assignments().Add(anna.Id(), 1.0);
    concrete.SetText20("BR.30_1_");
    WatchingUser user({st::Pick(T("cmbLnkType"), "No Link"), st::Click(T("cmdOK"))});
    Open(concrete, user);
    EXPECT_EQ(Fields(concrete), "Concrete||||||1||3|");
    EXPECT_EQ(spans.Assignments().Count(), 1); // only the line's own assignments go
}

TEST_F(BudgetLineDialog, AnotherCostObjectMakesALinkedLineNewOnlyWhenThePlanOwnsQuantities) {
    for (int32_t ownership : {1, 2, 3, 4}) {
        bolts.SetText3("MAT.M100");
        bolts.SetText4("1234");
        bolts.SetText8("3");
        SetProperty("OwnershipChBSAndBudgQty", ownership);
        app->SelectRow(bolts.Id(), false);
        frmKovabdglines& dialog = DefaultInstance<frmKovabdglines>();
        dialog.Load();
        dialog.PreviousCostObjectText = dialog.cmbCostObj.Text();
        dialog.cmbCostObj.SetListIndex(1); // MAT.M200 Concrete
        dialog.SaveDataToTaskInformation();
        const bool planOwns = ownership == 2 || ownership == 4;
        EXPECT_EQ(bolts.Text8(), planOwns ? "2" : "3") << ownership;
        EXPECT_EQ(bolts.Text4(), planOwns ? "" : "1234") << ownership;
        EXPECT_EQ(bolts.Text3(), planOwns ? "MAT.M200" : "MAT.M100") << ownership;
        dialog.Unload();
        ReleaseUnloadedForms();
    }
}

TEST_F(BudgetLineDialog, AnEmptiedCostTypeComesBackAsMaterialWithItsList) {
    WatchingUser user({st::Type(T("cmbCostType"), "Steel"), st::Focus(T("txtBudgetQuantity")),
                       st::Answer(vbOK, "Please Select a Valid Cost Type."), st::Type(T("cmbCostType"), ""),
                       st::Focus(T("txtBudgetQuantity")), st::Answer(vbOK, "Please Select a Cost Type."),
                       st::Click(T("cmdCancel"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    const Sight& last = user.sights.back();
    EXPECT_EQ(last.text.at("cmbCostType"), "Material");
    EXPECT_THAT(last.list.at("cmbCostObj"), ::testing::ElementsAre("MAT.M100 Steel bolts", "MAT.M200 Concrete"));
    for (const std::string& box : Boxes(user)) EXPECT_THAT(box, ::testing::StartsWith("KovaProject - MS Project Integration: "));
}

TEST_F(BudgetLineDialog, ANewLineWithNoLinkIsNotStored) {
    const std::string before = Outline();
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"), st::Type(T("txtBudgetQuantity"), "3"),
                       st::Pick(T("cmbLnkType"), "No Link"), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(Outline(), before);
    EXPECT_EQ(piers.Assignments().Count(), 0);
}

TEST_F(BudgetLineDialog, ALinkedLabourLineWithoutEmployeeOffersOneOnceItsCostObjectIsChosen) {
    SetProperty("OwnershipChBSAndBudgQty", 1);
    welding.Assignments().Item(1).Delete();
    WatchingUser user({st::Pick(T("cmbCostObj"), "LAB.P1.W02 Rigging"), st::Click(T("cmdCancel"))});
    Open(welding, user);
    EXPECT_FALSE(user.sights[0].enabled.at("cmbEmpTrg"));
    EXPECT_TRUE(user.sights[1].enabled.at("cmbEmpTrg"));
}

TEST_F(BudgetLineDialog, ANewSubtaskAtTheEndOfThePlanIsOutdentedIntoPlace) {
    AddTask("Formwork", 4); // below Concrete, the plan's last row
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Type(T("txtBudgetQuantity"), "2"),
                       st::Choose(T("optSubtask")), st::Click(T("cmdOK"))});
    Open(spans, user, kNewBudgetLineTaskTag);
    EXPECT_THAT(Outline(), ::testing::EndsWith("Spans:2 Concrete:3 Formwork:4 Steel bolts:3"));
}

TEST_F(BudgetLineDialog, AResourceTheChargeElementHasAlreadyTurnsBothLinesIntoSubtasks) {
    msp::Assignment linked = piers.Assignments().Add(Plan().Resources().Item("MAT.M100 Steel bolts").Id(), 30.0);
    linked.SetText2("1");
    linked.SetText3("MAT.M100");
    linked.SetText4("7");
    linked.SetText6("30");
    linked.SetText7("PCS");
    linked.SetText8("3");
    linked.SetText11("Steel bolts");
    linked.SetText20("BR.20_1_7");
    WatchingUser user({st::Pick(T("cmbCostObj"), "MAT.M100 Steel bolts"), st::Type(T("txtBudgetQuantity"), "5"),
                       st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(piers.Assignments().Count(), 0);
    ASSERT_EQ(piers.OutlineChildren().Count(), 2);
    EXPECT_EQ(Fields(piers.OutlineChildren().Item(1)), "Steel bolts|1|MAT.M100|7|30|PCS|3|BR.20_1_7|3|");
    EXPECT_EQ(Fields(piers.OutlineChildren().Item(2)), "Steel bolts|1|MAT.M100||5|PCS|2|BR.20_1_|3|");
}

TEST_F(BudgetLineDialog, AnEquipmentLineTurnedIntoASubtaskKeepsItsQuantity) {
    msp::Assignment linked = piers.Assignments().Add(Plan().Resources().Item("EQP.CR20 Crane").Id(), 0.0);
    linked.SetText2("3");
    linked.SetText3("EQP.CR20");
    linked.SetText4("4");
    linked.SetText6("200");
    linked.SetText8("3");
    linked.SetWork(12000.0);
    WatchingUser user({st::Pick(T("cmbCostType"), "Equipment"), st::Pick(T("cmbCostObj"), "EQP.CR20 Crane"),
                       st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    EXPECT_EQ(piers.Assignments().Count(), 0);
    ASSERT_EQ(piers.OutlineChildren().Count(), 2);
    msp::Task moved = piers.OutlineChildren().Item(1);
    EXPECT_EQ(moved.Text4() + "|" + moved.Text6() + "|" + moved.Text8(), "4|200|3");
    EXPECT_DOUBLE_EQ(moved.Work(), 12000);

    // A labour line of the same employee: found by the employee's name.
    msp::Assignment labour = spans.Assignments().Add(anna.Id(), 0.0);
    labour.SetText2("2");
    labour.SetText3("LAB.W01");
    labour.SetText4("5");
    labour.SetText6("16");
    labour.SetText8("3");
    WatchingUser second({st::Pick(T("cmbCostType"), "Labor"), st::Pick(T("cmbCostObj"), "LAB.W01 Welding"),
                         st::Pick(T("cmbEmpTrg"), "EMP.E100 Anna Berg"), st::Choose(T("optResAssgnt")),
                         st::Click(T("cmdOK"))});
    Open(spans, second, kNewBudgetLineTaskTag);
    EXPECT_EQ(spans.Assignments().Count(), 0);
    ASSERT_EQ(spans.OutlineChildren().Count(), 3);
    EXPECT_EQ(Fields(spans.OutlineChildren().Item(2)), "|2|LAB.W01|5|16||3|BR.30_2_5|3|EMP.E100 Anna Berg");
}

TEST_F(BudgetLineDialog, AnAssignmentWhoseSubtaskCannotBeMadeKeepsItsLine) {
    // The planning program cannot assign a resource by a name that ends in a blank.
    msp::Resource odd = Resource("EQP.BARGE Pontoon barge ", "EQP.BARGE", "Pontoon barge", "day");
    msp::Assignment linked = piers.Assignments().Add(odd.Id(), 0.0);
    linked.SetText2("3");
    linked.SetText3("EQP.BARGE");
    linked.SetText4("9");
    linked.SetText8("3");
    linked.SetText20("BR.20_3_9");
    linked.SetWork(960.0);
    WatchingUser user({st::Pick(T("cmbCostType"), "Equipment"), st::Pick(T("cmbCostObj"), "EQP.BARGE Pontoon barge "),
                       st::Choose(T("optResAssgnt")), st::Click(T("cmdOK"))});
    Open(piers, user, kNewBudgetLineTaskTag);
    ASSERT_EQ(piers.Assignments().Count(), 1);
    msp::Assignment kept = piers.Assignments().Item(1);
    EXPECT_EQ(kept.Text8() + "|" + kept.Text4() + "|" + kept.Text20(), "3|9|BR.20_3_9");
    EXPECT_DOUBLE_EQ(kept.Work(), 960);
    EXPECT_EQ(piers.OutlineChildren().Count(), 0);
}

TEST_F(BudgetLineDialog, TheUnitComesFromTheResourceOfThatVeryName) {
    // Names that contain the chosen one, before and after it in the resource sheet, the search
    // starting at the second row.
    Plan().Resources().Add("MAT.M200 Concrete C50", 2).SetText1("T");
    Plan().Resources().Add("MAT.M200 Concrete C50 fast", 4).SetText1("KG");
    for (const char* other : {"MAT.M100 Steel bolts", "MAT.M200 Concrete C50 fast"}) {
        WatchingUser user({st::Pick(T("cmbCostObj"), other), st::Pick(T("cmbCostObj"), "MAT.M200 Concrete"),
                           st::Click(T("cmdCancel"))});
        Open(piers, user, kNewBudgetLineTaskTag);
        EXPECT_EQ(user.sights[2].text.at("txtBudgetUnit"), "M3") << other;
    }
}

} // namespace
} // namespace Grantry
