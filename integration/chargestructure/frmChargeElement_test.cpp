#include "integration/chargestructure/frmChargeElement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
using platform::middleware::Fault;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace st = steps;

constexpr char kTree[] = "frmChargeElement.treChargeElements";

class NodeChooser : public test::StructureFixture {
protected:
    void TearDown() override {
        DiscardAllForms();
        StructureFixture::TearDown();
    }
    frmChargeElement& Filled() {
        frmChargeElement& f = DefaultInstance<frmChargeElement>();
        f.Load();
        FillChargeElementTree(f.treChargeElements);
        return f;
    }
};

TEST_F(NodeChooser, TheTreeMirrorsTheWholeErpStructure) {
    frmChargeElement& f = Filled();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    struct Shown {
        std::string key, text, tag, parent;
        int image;
    };
    std::vector<Shown> shown;
    for (Node* node : f.treChargeElements.Nodes().InDisplayOrder())
        shown.push_back(
            {node->Key(), node->Text, node->Tag, node->Parent() ? node->Parent()->Key() : "", node->Image});
    // The whole structure, not only what lies below the connected element; the stand-alone
    // milestone comes last, as a top node of its own.
    const Shown expected[] = {
        {"E.BR.", "BR.:Lasse river bridge", "11", "", 1},
        {"E.BR10.", "BR10.:Design", "12", "E.BR.", 2},
        {"E.BR11.", "BR11.:Structural design", "14", "E.BR10.", 4},
        {"E.BRM1.", "BRM1.:Design approved", "15", "E.BR11.", 5},
        {"E.BR12.", "BR12.:Permits", "14", "E.BR10.", 4},
        {"E.BR20.", "BR20.:Construction", "12", "E.BR.", 2},
        {"E.BR21.", "BR21.:Foundations", "04", "E.BR20.", 4},
        {"E.BRM2.", "BRM2.:Bridge opened", "15", "", 5},
    };
    ASSERT_EQ(shown.size(), std::size(expected));
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(shown[i].key, expected[i].key);
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].tag, expected[i].tag);
        EXPECT_EQ(shown[i].parent, expected[i].parent);
        EXPECT_EQ(shown[i].image, expected[i].image);
    }
    EXPECT_EQ(f.imgCE.Count(), 5);
    // A tree that already has nodes is left as it is.
    FillChargeElementTree(f.treChargeElements);
    EXPECT_EQ(f.treChargeElements.Nodes().Count(), 8);
}

TEST_F(NodeChooser, AnElementWithoutItsParentIsLeftOut) {
    TreeView& tree = DefaultInstance<frmChargeElement>().treChargeElements;
    EXPECT_EQ(AddChargeElementNode("SM", "alone", true, "", tree), nullptr); // nothing to stand beside
    ASSERT_NE(AddChargeElementNode("A", "top", false, "", tree), nullptr);
    EXPECT_EQ(AddChargeElementNode("B", "orphan", false, "X", tree), nullptr);
    EXPECT_EQ(Err().Number, 0);
    ASSERT_NE(AddChargeElementNode("C", "child", false, "A", tree), nullptr);
    EXPECT_EQ(tree.Nodes().Item("E.C.")->Parent()->Key(), "E.A.");
    EXPECT_EQ(tree.Nodes().Count(), 2);
}

TEST_F(NodeChooser, AFailedReadIsLoggedAndLeavesTheTreeEmpty) {
    erp.Control().ArmFault(Fault::Error("ChargeElement.ChargeElementManager", "*", 5));
    frmChargeElement& f = Filled();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(f.treChargeElements.Nodes().Count(), 0);
    EXPECT_THAT(LogText(), HasSubstr("NO CHBS not present for the Project: BRIDGE: Plan : MAIN"));
    erp.Control().ClearFaults();
}

TEST_F(NodeChooser, OkTakesOnlyAConfirmedConnectableElement) {
    const std::string critical = "A Connection cannot be made to the selected Charge Element : BR21\r\n\r\n"
                                 "Please check if any External Schedule links already exist for this project";
    const std::string milestone =
        "The selection made is a Milestone\r\n\r\nPlease select a Charge Element for the Connection Node";
    struct Case {
        const char* title;
        std::string key; // empty: nothing picked
        int32_t answer;  // to the one box
        std::string box, boxTitle;
        int32_t icon;
        std::string written; // empty: nothing written, the dialog stays and is cancelled
    } cases[] = {
        {"NothingPicked", "", vbOK, "No Charge Element Selected", kMessageTitle, vbExclamation, ""},
        {"Milestone", "E.BRM1.", vbOK, milestone, "Kova Project - MsProject integration", vbExclamation, ""},
        {"NotConnectable", "E.BR21.", vbOK, critical, kMessageTitle, vbCritical, ""},
        {"ConfirmationCancelled", "E.BR11.", vbCancel, "Connect MsProject to Charge Element\r\n\r\nBR11",
         kMessageTitle, vbQuestion, ""},
        {"Confirmed", "E.BR11.", vbOK, "Connect MsProject to Charge Element\r\n\r\nBR11", kMessageTitle,
         vbQuestion, "BR11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<Step> steps;
        if (!c.key.empty()) steps.push_back(st::PickNode(kTree, c.key));
        steps.push_back(st::Click("frmChargeElement.cmdOK"));
        steps.push_back(st::Answer(c.answer, c.box));
        if (c.written.empty()) steps.push_back(st::Click("frmChargeElement.cmdCancel"));
        ScriptedUser user(steps);
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        std::vector<std::string> written;
        frmChargeElement& f = Filled();
        f.ConnectionNodeChosen = [&](const std::string& code) { written.push_back(code); };
        f.Show(vbModal);
        EXPECT_TRUE(user.Finish());
        ASSERT_EQ(user.transcript().Boxes().size(), 1u);
        EXPECT_EQ(user.transcript().Boxes()[0].box.title, c.boxTitle);
        EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), c.icon);
        if (c.written.empty())
            EXPECT_TRUE(written.empty());
        else
            EXPECT_THAT(written, ElementsAre(c.written));
        EXPECT_FALSE(IsFormLoaded<frmChargeElement>());
        ReleaseUnloadedForms();
    }
}

} // namespace
} // namespace Grantry
