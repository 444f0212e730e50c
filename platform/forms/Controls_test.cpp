#include "platform/forms/Controls.h"

#include <gtest/gtest.h>

#include "platform/forms/TestForms.h"

namespace platform::forms {
namespace {

using platform::automation::Err;
using test::FormsTest;
using test::frmEvents;
using ::testing::ElementsAre;
namespace st = steps;

class frmChargeElement : public Form {
public:
    frmChargeElement() : Form("frmChargeElement", "Charge Elements") {
        treChargeElements.Images = &imgCE;
        treChargeElements.NodeClick = [this](Node& node) { clicked.push_back(node.Key()); };
        cmdOK.Click = [this] { Unload(); };
    }
    TreeView treChargeElements{*this, "treChargeElements"};
    ImageList imgCE{*this, "imgCE"};
    StatusBar sbrStatus{*this, "sbrStatus"};
    ProgressBar ProgressBar1{*this, "ProgressBar1"};
    CommandButton cmdOK{*this, "cmdOK"};
    std::vector<std::string> clicked;

    std::vector<std::string> Order() const {
        std::vector<std::string> keys;
        for (Node* node : treChargeElements.Nodes().InDisplayOrder())
            keys.push_back(node->Key());
        return keys;
    }
};

class ControlsTest : public FormsTest {};

TEST_F(ControlsTest, TreeNodesArePlacedByRelationship) {
    frmChargeElement& f = DefaultInstance<frmChargeElement>();
    NodeCollection& nodes = f.treChargeElements.Nodes();
    Node* top = nodes.Add("", tvwFirst, "E.1.", "1.:Top");
    ASSERT_NE(top, nullptr);
    nodes.Add("E.1.", tvwChild, "E.11.", "11.:A");
    nodes.Add("E.1.", tvwChild, "E.12.", "12.:B");
    nodes.Add("E.12.", tvwPrevious, "E.115.", "115.:between");
    nodes.Add("E.11.", tvwFirst, "E.10.", "10.:first child");
    nodes.Add("E.11.", tvwNext, "E.111.", "111.:after A");
    nodes.Add("E.1.", tvwLast, "E.2.", "2.:second root");
    nodes.Add(nodes.Item(1), tvwLast, "E.3.", "3.:stand-alone"); // against the first node, as last sibling
    EXPECT_EQ(Err().Number, 0);

    EXPECT_THAT(f.Order(),
                ElementsAre("E.1.", "E.10.", "E.11.", "E.111.", "E.115.", "E.12.", "E.2.", "E.3."));
    EXPECT_EQ(nodes.Count(), 8);
    Node* between = nodes.Item("E.115.");
    EXPECT_EQ(between->Parent(), top);
    EXPECT_EQ(between->Previous()->Key(), "E.111.");
    EXPECT_EQ(between->Next()->Key(), "E.12.");
    EXPECT_EQ(between->FirstSibling()->Key(), "E.10.");
    EXPECT_EQ(between->Root(), top);
    EXPECT_EQ(top->Children(), 5);
    EXPECT_EQ(top->Child()->Key(), "E.10.");
    EXPECT_EQ(nodes.Item("E.2.")->Parent(), nullptr);
    EXPECT_EQ(nodes.Item("E.3.")->Previous()->Key(), "E.2.");
    EXPECT_EQ(nodes.Item("E.10.")->Index(), 5); // indexes follow the order of adding
    EXPECT_EQ(nodes.Roots().size(), 3u);
}

TEST_F(ControlsTest, DuplicateKeysAndMissingRelativesAreErrors) {
    frmChargeElement& f = DefaultInstance<frmChargeElement>();
    NodeCollection& nodes = f.treChargeElements.Nodes();
    nodes.Add("", tvwFirst, "E.1.", "1");
    struct Case {
        const char* relative;
        int16_t relationship;
        const char* key;
        int32_t error;
        const char* description;
    };
    const Case cases[] = {
        {"", tvwFirst, "E.1.", errors::KeyNotUnique, "Key is not unique in collection"},
        {"E.1.", tvwChild, "E.1.", errors::KeyNotUnique, "Key is not unique in collection"},
        {"E.9.", tvwChild, "E.91.", errors::ElementNotFound, "Element not found"},
        {"E.1.", 7, "E.17.", errors::InvalidProcedureCall, "Invalid procedure call or argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Err().Clear();
        EXPECT_EQ(nodes.Add(c.relative, c.relationship, c.key, "x"), nullptr);
        EXPECT_EQ(Err().Number, c.error);
        EXPECT_EQ(Err().Description, c.description);
        EXPECT_EQ(nodes.Count(), 1);
    }
    Err().Clear();
    EXPECT_EQ(nodes.Item("E.9."), nullptr);
    EXPECT_EQ(Err().Number, errors::ElementNotFound);
    Err().Clear();
    EXPECT_EQ(nodes.Item(2), nullptr);
    EXPECT_EQ(Err().Number, errors::IndexOutOfBounds);
    // Nodes without a key may repeat; they are found by position only.
    Err().Clear();
    EXPECT_NE(nodes.Add("E.1.", tvwChild, "", "a"), nullptr);
    EXPECT_NE(nodes.Add("E.1.", tvwChild, "", "b"), nullptr);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(nodes.Count(), 3);
}

TEST_F(ControlsTest, RemovingANodeTakesItsSubtreeAndTheSelection) {
    frmChargeElement& f = DefaultInstance<frmChargeElement>();
    NodeCollection& nodes = f.treChargeElements.Nodes();
    nodes.Add("", tvwFirst, "E.1.", "1");
    nodes.Add("E.1.", tvwChild, "E.11.", "11");
    nodes.Add("E.11.", tvwChild, "E.111.", "111");
    nodes.Add("", tvwFirst, "E.2.", "2");
    f.treChargeElements.SetSelectedItem(nodes.Item("E.111."));
    nodes.Remove("E.11.");
    EXPECT_THAT(f.Order(), ElementsAre("E.1.", "E.2."));
    EXPECT_EQ(f.treChargeElements.SelectedItem(), nullptr);
    EXPECT_EQ(nodes.Item("E.1.")->Children(), 0);
    nodes.Clear();
    EXPECT_EQ(nodes.Count(), 0);
}

TEST_F(ControlsTest, TheUserClicksATreeNodeByKeyOrText) {
    ScriptedUser user({st::PickNode("frmChargeElement.treChargeElements", "E.11."),
                       st::PickNode("frmChargeElement.treChargeElements", "1.:Top"),
                       st::Click("frmChargeElement.cmdOK")});
    Strict(user);
    ScopedUser on(user);
    frmChargeElement& f = DefaultInstance<frmChargeElement>();
    f.treChargeElements.Nodes().Add("", tvwFirst, "E.1.", "1.:Top");
    f.treChargeElements.Nodes().Add("E.1.", tvwChild, "E.11.", "11.:Child");
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.clicked, ElementsAre("E.11.", "E.1."));
    EXPECT_EQ(f.treChargeElements.SelectedItem()->Key(), "E.1.");
    EXPECT_TRUE(user.transcript().Contains("    \"E.11.\" \"11.:Child\""));
    EXPECT_TRUE(user.transcript().Contains("  *\"E.1.\" \"1.:Top\""));
}

TEST_F(ControlsTest, StatusBarProgressBarAndTabsKeepTheirRanges) {
    frmChargeElement& f = DefaultInstance<frmChargeElement>();
    EXPECT_EQ(f.sbrStatus.PanelCount(), 1);
    f.sbrStatus.Panels(1).Text = "Verifying the network connection...";
    EXPECT_EQ(f.sbrStatus.DisplayText(), "Verifying the network connection...");
    f.sbrStatus.Style = sbrSimple;
    f.sbrStatus.SimpleText = "Transferring Standard Charge Elements...";
    EXPECT_EQ(f.sbrStatus.DisplayText(), "Transferring Standard Charge Elements...");
    f.sbrStatus.Panels(2).Text = "lost";
    EXPECT_EQ(Err().Number, errors::IndexOutOfBounds);

    Err().Clear();
    f.ProgressBar1.SetValue(35);
    EXPECT_EQ(f.ProgressBar1.State(), "35 of 0..100");
    f.ProgressBar1.SetValue(101);
    EXPECT_EQ(Err().Number, errors::InvalidPropertyValue);
    EXPECT_EQ(f.ProgressBar1.Value(), 35);

    EXPECT_EQ(f.imgCE.Add("wbs"), 1);
    EXPECT_EQ(f.imgCE.Add("pca"), 2);
    f.Show();
    for (const std::string& line : DescribeForm(f))
        EXPECT_EQ(line.find("imgCE"), std::string::npos);
}

class frmStatus : public Form {
public:
    frmStatus() : Form("frmStatus", "Installing...") {
        Label1.Caption = "Please wait while the template is changed...";
    }
    ProgressBar ProgressBar1{*this, "ProgressBar1"};
    Label Label1{*this, "Label1"};
};

TEST_F(ControlsTest, RepaintsOfAShownWindowRecordWhatChanged) {
    ScriptedUser user;
    Strict(user);
    ScopedUser on(user);
    frmStatus& f = DefaultInstance<frmStatus>();
    f.Label1.Refresh(); // not shown yet: nobody sees it
    f.Show();
    for (float value : {0.0f, 5.0f, 5.0f, 10.0f}) {
        f.ProgressBar1.SetValue(value);
        f.Refresh();
    }
    f.Unload();
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(user.transcript().Lines(),
                ElementsAre("load frmStatus", "show frmStatus \"Installing...\" modeless",
                            "refresh frmStatus", "  ProgressBar1: ProgressBar 0 of 0..100",
                            "  Label1: Label \"Please wait while the template is changed...\"",
                            "refresh frmStatus", "  ProgressBar1: ProgressBar 5 of 0..100",
                            "refresh frmStatus", "refresh frmStatus",
                            "  ProgressBar1: ProgressBar 10 of 0..100", "unload frmStatus"));
}

TEST_F(ControlsTest, TabsAreFoundByCaptionWithOrWithoutAccelerator) {
    frmEvents& f = DefaultInstance<frmEvents>();
    f.tsrConnect.Tabs().Add("&Budget", "budget", "Budget Details");
    EXPECT_EQ(f.tsrConnect.Tabs(3).ToolTipText, "Budget Details");
    EXPECT_EQ(f.tsrConnect.Tabs(3).Index, 3);
    ScriptedUser user({st::PickTab("frmEvents.tsrConnect", "&Budget"),
                       st::PickTab("frmEvents.tsrConnect", "Resources"),
                       st::PickTab("frmEvents.tsrConnect", 1), st::Click("frmEvents.cmdClose")});
    Strict(user);
    ScopedUser on(user);
    std::vector<int> selected;
    f.tsrConnect.Click = [&] { selected.push_back(f.tsrConnect.SelectedIndex()); };
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(selected, ElementsAre(3, 2, 1));
}

} // namespace
} // namespace platform::forms
