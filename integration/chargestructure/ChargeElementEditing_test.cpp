#include "integration/chargestructure/ChargeElementEditing.h"

#include <gtest/gtest.h>

#include "integration/chargestructure/ChargeElementEditingTestSupport.h"
#include "platform/forms/MsgBox.h"

namespace Grantry {
namespace {

using namespace platform::forms;
namespace msp = platform::msproject;
namespace st = steps;

class ChargeElementValidation : public test::EditingFixture {};

// The rules in their order: the first one broken is the one the user is told of.
TEST_F(ChargeElementValidation, EachRuleHasItsMessage) {
    struct Case {
        const char* name;
        const char* parentType; // "" for a new element at level 1, under the project summary
        std::string type, code, standard;
        bool standAlone;
        std::string message; // "" when the values pass
    } cases[] = {
        {"8 characters", "WBS Element", "Work Package", "ABCDEFGH", "", false, ""},
        {"9 characters", "WBS Element", "Work Package", "ABCDEFGHI", "", false,
         "The Charge Element ID should be less than 8 characters long"},
        {"no code but a standard element", "WBS Element", "Work Package", "", "WP.DES . Design", false, ""},
        {"neither", "WBS Element", "Work Package", "", "", false,
         "Please derive the Charge Element from a Standard Charge Element or enter a Charge Element ID "},
        {"dot", "WBS Element", "Work Package", "A.B", "", false,
         "The Charge Element ID cannot have . character in it"},
        {"underscore", "WBS Element", "Work Package", "A_B", "", false,
         "The Charge Element ID cannot have _ character in it"},
        {"unknown type", "WBS Element", "Bogus", "X1", "", false,
         "The parent or entered Charge Element type is not valid."},
        {"work package under planning package", "Planning Package", "Work Package", "X1", "", false, ""},
        {"WBS under work package", "Work Package", "WBS Element", "X1", "", false,
         "WBS Element type is not allowed as a child for Work Package type"},
        {"second cost account", "Project Cost Account", "Project Cost Account", "X1", "", false,
         "Charge Element of type Project Cost Account already exists in branch of the ChBS"},
        {"milestone under milestone", "Milestone", "Milestone", "X1", "", false,
         "A milestone cannot be under another milestone in the ChBS"},
        {"stand-alone milestone", "Milestone", "Milestone", "X1", "", true, ""},
        {"level 1 under the summary task", "", "WBS Element", "X1", "", false, ""},
        {"code taken in other letter case", "WBS Element", "Work Package", "taken", "", false,
         "Another Charge Element has already beenassigned the ID requested"},
        {"8 characters between blanks", "WBS Element", "Work Package", " ABCDEFGH ", "", false, ""},
        {"blanks only", "WBS Element", "Work Package", "   ", "", false,
         "Please derive the Charge Element from a Standard Charge Element or enter a Charge Element ID "},
        {"blanks only but a standard element", "WBS Element", "Work Package", "   ", "WP.DES . Design", false,
         ""},
        {"blank inside", "WBS Element", "Work Package", "OF 5", "", false,
         "The Charge Element ID cannot have a blank in it"},
        {"code taken, with a blank before it", "WBS Element", "Work Package", " taken", "", false,
         "Another Charge Element has already beenassigned the ID requested"},
        {"code taken in other letter case beyond ASCII", "WBS Element", "Work Package", "äre1", "", false,
         "Another Charge Element has already beenassigned the ID requested"},
        {"code taken, stored with blanks", "WBS Element", "Work Package", "OF10", "", false,
         "Another Charge Element has already beenassigned the ID requested"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewPlan();
        AddElement("Other", "TAKEN", "WBS Element", 1);
        AddElement("Letters", "ÄRE1", "WBS Element", 1);
        AddElement("Padded", " of10", "WBS Element", 1);
        msp::Task placeholder;
        if (*c.parentType) {
            AddElement("Parent", "P", c.parentType, 1);
            placeholder = Plan().Tasks().Add("New Charge Element");
            placeholder.SetOutlineLevel(2);
        } else {
            placeholder = Plan().Tasks().Add("Top Charge Element");
            placeholder.SetOutlineLevel(1);
        }
        Select(placeholder);
        if (!c.message.empty()) user.Add(st::Answer(vbOK, c.message));
        bool standAlone = c.standAlone;
        EXPECT_EQ(ValidateChargeElement(c.standard, c.type, c.code, "", standAlone, kNewChargeElementTag),
                  c.message.empty());
        EXPECT_EQ(user.Remaining(), 0u);
    }
    EXPECT_TRUE(Finish());
}

// A change must suit the element's children too; a parent at level 2 without a type is no parent.
TEST_F(ChargeElementValidation, AChangeIsCheckedAgainstTheChildren) {
    struct Case {
        const char* name;
        const char* childType;
        std::string type;
        std::string message;
    } cases[] = {
        {"children, to milestone", "Milestone", "Milestone",
         "The charge element being modified has child charge elements. It thereforecannot be of type Milestone"},
        {"child of a higher type", "Planning Package", "Work Package",
         "Planning Package type is not allowed as a child for Work Package type"},
        {"cost account child", "Project Cost Account", "Project Cost Account",
         "Charge Element of type Project Cost Account already existsin branch of the ChBS"},
        {"suitable child", "Work Package", "Planning Package", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewPlan();
        AddElement("Top", "T", "WBS Element", 1);
        msp::Task element = AddElement("Element", "E", "WBS Element", 2, false, "T");
        AddElement("Child", "C", c.childType, 3, false, "E");
        Select(element);
        if (!c.message.empty()) user.Add(st::Answer(vbOK, c.message));
        bool standAlone = false;
        EXPECT_EQ(ValidateChargeElement("", c.type, "E", "", standAlone, kModifyChargeElementTag), c.message.empty());
        EXPECT_EQ(user.Remaining(), 0u);
    }

    NewPlan();
    Plan().Tasks().Add("Untyped");
    msp::Task below = Plan().Tasks().Add("Below");
    below.SetOutlineLevel(2);
    msp::Task placeholder = Plan().Tasks().Add("New Charge Element");
    placeholder.SetOutlineLevel(3);
    Select(placeholder);
    user.Add(st::Answer(vbOK, "The parent or entered Charge Element type is not valid."));
    bool standAlone = false;
    EXPECT_FALSE(ValidateChargeElement("", "Work Package", "X", "", standAlone, kNewChargeElementTag));
    EXPECT_TRUE(Finish());
}

TEST_F(ChargeElementValidation, TheEntryIsWrittenIntoTheActiveTask) {
    AddElement("Top", "T", "WBS Element", 1);
    msp::Task task = Plan().Tasks().Add("New Charge Element");
    task.SetOutlineLevel(2);
    Select(task);
    InsertChargeElementTask("Design", "de10", "PCA.ACC . Cost account", "Project Cost Account", " t ", false,
                            " ENG ");
    EXPECT_EQ(task.Name(), "Design");
    EXPECT_EQ(task.Text1(), "DE10");
    EXPECT_EQ(task.Text9(), "PCA.ACC . Cost account");
    EXPECT_EQ(task.Text10(), "Project Cost Account");
    EXPECT_EQ(task.Text15(), "T");
    EXPECT_EQ(task.Text12(), "ENG");
    EXPECT_TRUE(task.Flag3());
    EXPECT_FALSE(task.Flag1()) << "not at level 1";
    EXPECT_FALSE(task.Milestone());
    EXPECT_EQ(platform::automation::CDate(task.Date9()), task.Start());
}

// The stored code is the typed one without its blanks, in upper case letter by letter.
TEST_F(ChargeElementValidation, TheCodeIsStoredTrimmedInUpperCase) {
    const std::pair<std::string, std::string> cases[] = {
        {" de10 ", "DE10"}, {"ä1", "Ä1"}, {"øst", "ØST"}, {"ÿ", "Ÿ"}, {"łódź", "ŁÓDŹ"},
        {"ŋ", "Ŋ"},         {"ωя", "ΩЯ"}, {"ё", "Ё"},     {"Ä1", "Ä1"}, {"1-2", "1-2"},
        // the last letters of their ranges
        {"ňžџķŷ", "ŇŽЏĶŶ"}, {"ϋþ", "ΫÞ"}};
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(typed);
        NewPlan();
        AddElement("Top", "T", "WBS Element", 1);
        msp::Task task = Plan().Tasks().Add("New Charge Element");
        task.SetOutlineLevel(2);
        Select(task);
        InsertChargeElementTask("Design", typed, "", "Work Package", "t", false, "");
        EXPECT_EQ(task.Text1(), stored);
    }
}

// A milestone entered deeper than its parent comes up to it step by step, here two levels; the row
// after it stays where it was and does not become the milestone's child.
TEST_F(ChargeElementValidation, AMilestoneComesUpTwoLevelsAndLeavesTheNextRowAlone) {
    msp::Task top = AddElement("Top", "T", "WBS Element", 1);
    msp::Task parent = AddElement("Parent", "P", "Planning Package", 2, false, "T");
    AddElement("Child", "C", "Work Package", 3, false, "P");
    msp::Task task = Plan().Tasks().Add("New Charge Element");
    task.SetOutlineLevel(4);
    msp::Task next = AddElement("Next", "N", "Planning Package", 2, false, "T");
    Select(task);
    InsertChargeElementTask("Gate", "G", "", "Milestone", "P", false, "");
    EXPECT_EQ(Names(), "1:Top 2:Parent 3:Child 2:Gate 2:Next ");
    EXPECT_EQ(task.OutlineChildren().Count(), 0);
    EXPECT_EQ(next.OutlineParent().Text1(), top.Text1());
    EXPECT_EQ(task.PredecessorTasks().Count(), 1);
    EXPECT_EQ(parent.OutlineLevel(), 2);
}

// A milestone beside its parent goes to the parent's level, linked finish-to-finish; with milestones
// as subtasks it stays where it is, unlinked.
TEST_F(ChargeElementValidation, AMilestoneIsPlacedBesideItsParent) {
    for (bool milestoneAsSubtask : {false, true}) {
        SCOPED_TRACE(milestoneAsSubtask);
        NewPlan();
        SetProperty("MilestoneAsSubtask", platform::automation::Variant(milestoneAsSubtask));
        AddElement("Top", "T", "WBS Element", 1);
        msp::Task parent = AddElement("Parent", "P", "Planning Package", 2, false, "T");
        parent.SetDuration(platform::automation::Variant(960.0));
        msp::Task task = Plan().Tasks().Add("New Charge Element");
        task.SetOutlineLevel(3);
        Select(task);
        InsertChargeElementTask("Gate", "G", "", "Milestone", "P", false, "");
        EXPECT_TRUE(task.Milestone());
        EXPECT_EQ(task.OutlineLevel(), milestoneAsSubtask ? 3 : 2);
        EXPECT_EQ(task.PredecessorTasks().Count(), milestoneAsSubtask ? 0 : 1);
        if (!milestoneAsSubtask) {
            ASSERT_EQ(task.TaskDependencies().Count(), 1);
            EXPECT_EQ(task.TaskDependencies().Item(1).Type, msp::pjFinishToFinish);
        }
    }
}

} // namespace
} // namespace Grantry
