// The toolbar's charge-element commands with the charge-element dialog installed as the host installs
// it: what they refuse, where a new task goes, and what deleting, marking and restoring do to the plan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "integration/chargestructure/ChargeElementEditingTestSupport.h"
#include "integration/core/KovaMSP.h"
#include "platform/forms/MsgBox.h"

namespace Grantry {
namespace {

using namespace platform::forms;
namespace msp = platform::msproject;
using platform::automation::Variant;
using ::testing::HasSubstr;
namespace st = steps;

constexpr char kCRLF[] = "\r\n";
const std::string kInsertQuestion = std::string("Insert a new Charge Element?") + kCRLF + kCRLF +
                                    "This action will also expand all the Outline levels in the Plan";
const std::string kTopQuestion = "Insert a Top Charge Element?";
const std::string kCancelQuestion = "Are you sure you want to Cancel the operation?";
const std::string kNotInKova = std::string(" is not present in Kova. It will be removed immediately,along with ") +
                               "its children, if any.";
const std::string kRemoveQuestion = "This charge element" + kNotInKova + kCRLF + kCRLF +
                                    "Do you want to proceed with deletion?";
const std::string kMarkQuestion = std::string("This charge element is present in Kova. It will be removed, at ") +
                                  "the next synchronization, along with its children,if any." + kCRLF + kCRLF +
                                  "Do you want to mark it for deletion?";
const std::string kRestoreQuestion = "Do you want to restore the charge element and its children, if any?";

class ChargeElementCommands : public test::EditingFixture {
protected:
    // Fills the open dialog with a code and a type and confirms it.
    void FillDialog(const std::string& code, const std::string& type) {
        user.Add(st::Type("frmKovaChargeElements.txtChargeElementID", code));
        user.Add(st::Pick("frmKovaChargeElements.cmbChargeElementType", type));
        user.Add(st::Click("frmKovaChargeElements.cmdOK"));
    }
    KovaMSP command;
};

TEST_F(ChargeElementCommands, APlanWithoutElementsGetsItsTopElementAtTheEnd) {
    Plan().Tasks().Add("Own task");
    Select(Plan().Tasks().Item(1));
    user.Add(st::Answer(vbYes, kInsertQuestion));
    user.Add(st::Answer(vbYes, kTopQuestion));
    user.Add(st::Type("frmKovaChargeElements.txtChargeElementDesc", "Bridge"));
    FillDialog("br", "WBS Element");
    command.InsertChargeElement();
    ASSERT_TRUE(Finish());
    ASSERT_EQ(Plan().Tasks().Count(), 2);
    msp::Task top = Plan().Tasks().Item(2);
    EXPECT_EQ(top.Name(), "Bridge");
    EXPECT_EQ(top.Text1(), "BR");
    EXPECT_EQ(top.Text10(), "WBS Element");
    EXPECT_TRUE(top.Flag3());
    EXPECT_TRUE(top.Flag1()) << "a top element at level 1";
    EXPECT_EQ(top.OutlineLevel(), 1);
    EXPECT_EQ(top.Text15(), "");
}

TEST_F(ChargeElementCommands, WithoutElementsNothingIsInsertedOnNoAndNothingCanBeModified) {
    user.Add(st::Answer(vbYes, kInsertQuestion));
    user.Add(st::Answer(vbNo, kTopQuestion));
    command.InsertChargeElement();
    EXPECT_EQ(Plan().Tasks().Count(), 0);
    user.Add(st::Answer(vbOK, std::string("No Charge Element has been entered yet") + kCRLF + kCRLF +
                                  "Please enter a Charge Element firstusing the Insert Button"));
    command.ModifyChargeElementDetails();
    EXPECT_TRUE(Finish());
}

TEST_F(ChargeElementCommands, ASelectedMilestoneIsRefusedBeforeAnyQuestion) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task milestone = AddElement("Gate", "M", "Milestone", 1);
    Select(milestone);
    user.Add(st::Answer(vbOK, "A milestone cannot be used as a parent charge element."));
    command.InsertChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Plan().Tasks().Count(), 2);
    EXPECT_EQ(Plan().CurrentFilter(), kAllKovaProjectTasksFilter);
}

// Ownership with the ERP (1) or moving there (3) asks first; a No ends the command. With the plan
// owning the structure (2, 4) the dialog opens at once; its Cancel takes the placeholder away again.
TEST_F(ChargeElementCommands, TheOwnershipQuestionComesOnlyWhenTheErpOwnsTheStructure) {
    const std::string question =
        std::string("Ownership of ChBS and Quantity is presently with Kova or is being transferred to Kova at "
                    "next synchronization.") +
        kCRLF + kCRLF +
        "This will cause any modifications of ChBS and Quantity in MsP to be lost when synchronization "
        "occurs. Proceed anyway?";
    msp::Task top = AddElement("Top", "T", "WBS Element", 1, true);
    for (int32_t ownership : {1, 2, 3, 4}) {
        SCOPED_TRACE(ownership);
        SetProperty("OwnershipChBSAndBudgQty", Variant(ownership));
        Select(top);
        user.Add(st::Answer(vbYes, kInsertQuestion));
        if (ownership == 1 || ownership == 3) {
            user.Add(st::Answer(vbNo, question));
        } else {
            user.Add(st::Click("frmKovaChargeElements.cmdCancel"));
            user.Add(st::Answer(vbYes, kCancelQuestion));
        }
        command.InsertChargeElement();
        EXPECT_EQ(user.Remaining(), 0u);
        EXPECT_EQ(Names(), "1:Top ");
    }
    EXPECT_TRUE(Finish());
}

// A new child goes right after its parent's whole subtree, one level below the parent, and takes the
// parent's code; a blank row above (hidden by the integration's filter) does not move it elsewhere.
TEST_F(ChargeElementCommands, AChildGoesAfterItsParentsSubtreeOneLevelBelow) {
    struct Case {
        const char* name;
        const char* parent;
        const char* outline;
    } cases[] = {
        {"deep subtree", "P", "1:Top 2:P 3:C 4:G 3:NEW 2:Q - 2:R "},
        {"no children", "Q", "1:Top 2:P 3:C 4:G 2:Q 3:NEW - 2:R "},
        {"below a blank row", "R", "1:Top 2:P 3:C 4:G 2:Q - 2:R 3:NEW "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewPlan();
        AddElement("Top", "T", "WBS Element", 1);
        AddElement("P", "P", "Planning Package", 2, false, "T");
        AddElement("C", "C", "Work Package", 3, false, "P");
        AddElement("G", "G", "Work Package", 4, false, "C");
        AddElement("Q", "Q", "Planning Package", 2, false, "T");
        app->SelectRow(Plan().Tasks().Count() + 1, false);
        app->EditInsert();
        AddElement("R", "R", "Planning Package", 2, false, "T");
        for (msp::Task t : Plan().Tasks())
            if (t && t.Name() == c.parent) Select(t);
        user.Add(st::Answer(vbYes, kInsertQuestion));
        user.Add(st::Type("frmKovaChargeElements.txtChargeElementDesc", "NEW"));
        FillDialog("N1", "Work Package");
        command.InsertChargeElement();
        EXPECT_EQ(user.Remaining(), 0u);
        EXPECT_EQ(Names(), c.outline);
        for (msp::Task t : Plan().Tasks())
            if (t && t.Name() == "NEW") EXPECT_EQ(t.Text15(), c.parent);
    }
    EXPECT_TRUE(Finish());
}

// A task without code and standard element (a budget line) is no parent and cannot be modified; a
// task that is no charge element cannot be modified either.
TEST_F(ChargeElementCommands, TasksThatAreNoChargeElementsAreRefused) {
    msp::Task top = AddElement("Top", "T", "WBS Element", 1);
    msp::Task line = Plan().Tasks().Add("Budget line");
    line.SetOutlineLevel(2);
    msp::Task uncoded = AddElement("Uncoded", "", "Work Package", 2);
    const std::string budgetLine = "A budget line/invalid task Task has been selected";
    struct Case {
        const char* name;
        msp::Task task;
        bool insert;
        std::string message;
    } cases[] = {
        {"insert under a budget line", line, true,
         budgetLine + kCRLF + kCRLF +
             "Please Select an existing Charge Element Task as parent for the new Charge Element"},
        {"modify a budget line", line, false, "An invalid Charge Element has been selected"},
        {"modify an element without code", uncoded, false,
         budgetLine + kCRLF + kCRLF + "Please Select a Charge Element to View / Modify"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select(c.task);
        if (c.insert) user.Add(st::Answer(vbYes, kInsertQuestion));
        user.Add(st::Answer(vbOK, c.message));
        if (c.insert)
            command.InsertChargeElement();
        else
            command.ModifyChargeElementDetails();
        EXPECT_EQ(user.Remaining(), 0u);
    }
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Top 2:Budget line 2:Uncoded ");
    (void)top;
}

TEST_F(ChargeElementCommands, DeleteRefusesWithoutPlanTaskOrChargeElement) {
    msp::Task own = Plan().Tasks().Add("Own task");
    Select(own);
    user.Add(st::Answer(vbOK, "The selected task is not a valid KovaCE"));
    command.DeleteChargeElement();
    EXPECT_EQ(Plan().CurrentFilter(), kAllKovaProjectTasksFilter);

    // No task in the active cell at the start (return Id 0).
    app->SelectRow(5, false);
    user.Add(st::Answer(vbOK, "An invalid Task has been selected"));
    command.DeleteChargeElement();
    EXPECT_EQ(Names(), "1:Own task ");

    app->FileClose(msp::pjDoNotSave);
    user.Add(st::Answer(vbOK, std::string("No active project found") + kCRLF + kCRLF +
                                  "Please open a new/existing project before selecting this button"));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
}

// The top element of a connected plan stays; in a plan not connected it is removed like any other
// element the ERP does not know, with its subtasks.
TEST_F(ChargeElementCommands, TheTopElementIsRefusedOnlyInAConnectedPlan) {
    msp::Task top = AddElement("Top", "T", "WBS Element", 1);
    top.SetFlag1(true);
    AddElement("Child", "C", "Work Package", 2, false, "T");
    Connect();
    Select(top);
    user.Add(st::Answer(vbOK, std::string("The Selected Task is the Connected ChargeElement in Kova.") + kCRLF +
                                  " Deletion of the Summary Task is not possible."));
    command.DeleteChargeElement();
    EXPECT_EQ(Names(), "1:Top 2:Child ");

    SetProperty("KovaProject", Variant(std::string()));
    Select(top);
    user.Add(st::Answer(vbYes, kRemoveQuestion));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "");
}

// Removing an element the ERP does not know takes its subtasks and the milestones that name it as
// parent beside it (two in a row included); the planning program's alerts are on again afterwards.
// With milestones as subtasks the command looks for none beside it.
TEST_F(ChargeElementCommands, RemovingTakesSubtasksAndTheMilestonesBesideIt) {
    for (bool milestoneAsSubtask : {false, true}) {
        SCOPED_TRACE(milestoneAsSubtask);
        NewPlan();
        SetProperty("MilestoneAsSubtask", Variant(milestoneAsSubtask));
        AddElement("Top", "T", "WBS Element", 1, true);
        msp::Task gone = AddElement("Gone", "G", "Planning Package", 2, false, "T");
        AddElement("Sub", "S", "Work Package", 3, false, "G");
        AddElement("M1", "M1", "Milestone", 2, false, "G");
        AddElement("M2", "M2", "Milestone", 2, false, "G");
        AddElement("Stays", "K", "Work Package", 2, true, "T");
        Select(gone);
        user.Add(st::Answer(vbYes, kRemoveQuestion));
        command.DeleteChargeElement();
        EXPECT_EQ(user.Remaining(), 0u);
        EXPECT_EQ(Names(), milestoneAsSubtask ? "1:Top 2:M1 2:M2 2:Stays " : "1:Top 2:Stays ");
        EXPECT_TRUE(app->DisplayAlerts());
    }
    EXPECT_TRUE(Finish());
}

// Marking an element the ERP knows marks its children the ERP knows and the milestones beside it,
// and removes at once a child the ERP does not know, after saying so.
TEST_F(ChargeElementCommands, MarkingMarksWhatTheErpKnowsAndRemovesTheRest) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task parent = AddElement("Parent", "P", "Planning Package", 2, true, "T");
    msp::Task known = AddElement("Known", "K", "Work Package", 3, true, "P");
    AddElement("Unknown", "U", "Work Package", 3, false, "P");
    AddElement("Below", "B", "Work Package", 4, false, "U");
    // The child after a removed one is marked too.
    msp::Task next = AddElement("Next", "N", "Work Package", 3, true, "P");
    msp::Task milestone = AddElement("Gate", "M", "Milestone", 2, true, "P");
    Select(parent);
    user.Add(st::Answer(vbYes, kMarkQuestion));
    user.Add(st::Answer(vbOK, "Charge element U" + kNotInKova + kCRLF + kCRLF + "Proceeding with deletion!"));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Top 2:Parent 3:Known 3:Next 2:Gate ");
    for (const msp::Task& t : {parent, known, next}) {
        EXPECT_TRUE(t.Flag4()) << t.Name();
        EXPECT_TRUE(t.FontItalic()) << t.Name();
        EXPECT_EQ(t.FontColor(), 1) << t.Name();
    }
    EXPECT_TRUE(milestone.Flag4());
    EXPECT_FALSE(milestone.FontItalic());
    EXPECT_EQ(milestone.FontColor(), 1);
    EXPECT_FALSE(Plan().Tasks().Item(1).Flag4());
}

// Restoring gives back the element, its children and the milestones beside it; a child the ERP does
// not know yet (entered after the mark) stays, and nobody is told of a deletion.
TEST_F(ChargeElementCommands, RestoringUnmarksAndKeepsNewChildren) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task parent = AddElement("Parent", "P", "Planning Package", 2, true, "T");
    msp::Task known = AddElement("Known", "K", "Work Package", 3, true, "P");
    msp::Task fresh = AddElement("Fresh", "F", "Work Package", 3, false, "P");
    msp::Task milestone = AddElement("Gate", "M", "Milestone", 2, true, "P");
    Select(parent);
    user.Add(st::Answer(vbYes, kMarkQuestion));
    user.Add(st::Answer(vbOK, "Charge element F" + kNotInKova + kCRLF + kCRLF + "Proceeding with deletion!"));
    command.DeleteChargeElement();
    // Fresh is gone with the mark; a new one is entered under the marked parent.
    fresh = Plan().Tasks().Add("Fresh", 4);
    fresh.SetOutlineLevel(3);
    fresh.SetText1("F");
    fresh.SetFlag3(true);
    Select(parent);
    user.Add(st::Answer(vbYes, kRestoreQuestion));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Top 2:Parent 3:Known 3:Fresh 2:Gate ");
    for (const msp::Task& t : {parent, known, milestone}) {
        EXPECT_FALSE(t.Flag4()) << t.Name();
        EXPECT_FALSE(t.FontItalic()) << t.Name();
        EXPECT_EQ(t.FontColor(), 0) << t.Name();
    }
}

// Budget-line subtasks are no elements of their own: marking an element keeps them, under it and
// under its children, marked with it, and a restore gives them back with it. Nobody is told of a
// deletion.
TEST_F(ChargeElementCommands, BudgetLinesAreMarkedAndRestoredWithTheirElement) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task parent = AddElement("Design", "P", "Planning Package", 2, true, "T");
    msp::Task child = AddElement("Structural design", "K", "Work Package", 3, true, "P");
    auto addLine = [&](const std::string& name, int level) {
        msp::Task line = Plan().Tasks().Add(name);
        line.SetOutlineLevel(level);
        line.SetText2("2");
        line.SetText8("3");
        return line;
    };
    msp::Task childLine = addLine("Engineering hour", 4);
    msp::Task parentLine = addLine("Site work hour", 3);
    AddElement("Stays", "S", "Work Package", 2, true, "T");
    const std::string before = Names();
    Select(parent);
    user.Add(st::Answer(vbYes, kMarkQuestion));
    command.DeleteChargeElement();
    EXPECT_EQ(user.Remaining(), 0u);
    EXPECT_EQ(Names(), before);
    for (const msp::Task& t : {parent, child, childLine, parentLine}) {
        EXPECT_TRUE(t.Flag4()) << t.Name();
        EXPECT_TRUE(t.FontItalic()) << t.Name();
        EXPECT_EQ(t.FontColor(), 1) << t.Name();
    }
    EXPECT_FALSE(childLine.Flag3());
    Select(parent);
    user.Add(st::Answer(vbYes, kRestoreQuestion));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), before);
    for (const msp::Task& t : {parent, child, childLine, parentLine}) {
        EXPECT_FALSE(t.Flag4()) << t.Name();
        EXPECT_FALSE(t.FontItalic()) << t.Name();
        EXPECT_EQ(t.FontColor(), 0) << t.Name();
    }
}

// A new element still without a code (derived from a standard one) names no milestone: removing it
// leaves the milestones without a parent code alone, the plan's own and the stand-alone ones.
TEST_F(ChargeElementCommands, RemovingAnElementWithoutCodeKeepsMilestonesWithoutParent) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task derived = AddElement("Derived", "", "Work Package", 2, false, "T");
    derived.SetText9("WP.DES . Design");
    AddElement("Stays", "K", "Work Package", 2, true, "T");
    msp::Task handover = Plan().Tasks().Add("Handover");
    handover.SetOutlineLevel(1);
    handover.SetDuration(Variant(0.0));
    handover.SetMilestone(true);
    AddElement("Opened", "SM", "Milestone", 1, true);
    Select(derived);
    user.Add(st::Answer(vbYes, kRemoveQuestion));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Top 2:Stays 1:Handover 1:Opened ");
}

// The synchronisation removes a marked branch without sending it: nothing can be entered below it.
TEST_F(ChargeElementCommands, NoChildGoesBelowAMarkedElement) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task marked = AddElement("Marked", "M", "Planning Package", 2, true, "T");
    marked.SetFlag4(true);
    const std::string before = Names();
    Select(marked);
    user.Add(st::Answer(vbYes, kInsertQuestion));
    user.Add(st::Answer(vbOK, std::string("The selected Charge Element is marked for deletion.") + kCRLF +
                                  kCRLF + "Please restore it before inserting a Charge Element below it"));
    command.InsertChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), before);
}

TEST_F(ChargeElementCommands, NoAnswerChangesNothing) {
    AddElement("Top", "T", "WBS Element", 1, true);
    msp::Task known = AddElement("Known", "K", "Work Package", 2, true, "T");
    msp::Task unknown = AddElement("Unknown", "U", "Work Package", 2, false, "T");
    Select(known);
    user.Add(st::Answer(vbNo, kMarkQuestion));
    command.DeleteChargeElement();
    Select(unknown);
    user.Add(st::Answer(vbNo, kRemoveQuestion));
    command.DeleteChargeElement();
    EXPECT_TRUE(Finish());
    EXPECT_EQ(Names(), "1:Top 2:Known 2:Unknown ");
    EXPECT_FALSE(known.Flag4());
}

} // namespace
} // namespace Grantry
