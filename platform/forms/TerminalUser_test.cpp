#include "platform/forms/TerminalUser.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/forms/TestForms.h"

namespace platform::forms {
namespace {

using test::FormsTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class frmTerminal : public Form {
public:
    frmTerminal() : Form("frmTerminal", "Connect") {
        lblName.Caption = "User Name";
        txtPW.PasswordChar = "*";
        cboPlan.AddItem("P100");
        cboPlan.AddItem("P200");
        fraHidden.Visible = false;
        cmdAsk.Caption = "&Ask";
        cmdAsk.Click = [this] {
            answer = MsgBox("Connect now?\r\nThe plan is saved first.", vbYesNo + vbQuestion, "Kova");
            path = AskText(SaveAsPrompt);
        };
        cmdClose.Click = [this] { Unload(); };
    }
    Label lblName{*this, "lblName"};
    TextBox txtName{*this, "txtName"};
    TextBox txtPW{*this, "txtPW"};
    ComboBox cboPlan{*this, "cboPlan"};
    Frame fraHidden{*this, "fraHidden"};
    CheckBox chkHidden{*this, "chkHidden", &fraHidden};
    CommandButton cmdAsk{*this, "cmdAsk"};
    CommandButton cmdClose{*this, "cmdClose"};
    int32_t answer = 0;
    std::optional<std::string> path;
};

class TerminalUserTest : public FormsTest {};

TEST_F(TerminalUserTest, APersonDrivesAFormLineByLine) {
    std::istringstream in("help\n"
                          "frobnicate\n"
                          "tick txtName\n"
                          "type txtName \"Jo Ann\"\n"
                          "type frmTerminal.txtPW secret\n"
                          "pick cboPlan #1\n"
                          "click cmdAsk\n"
                          "maybe\n"
                          "n\n"
                          "/plans/new plan.mpp\n"
                          "click cmdClose\n");
    std::ostringstream out;
    TerminalUser person(in, out);
    ScopedUser on(person);
    frmTerminal& f = DefaultInstance<frmTerminal>();
    f.Show(vbModal);

    EXPECT_EQ(f.txtName.Text(), "Jo Ann");
    EXPECT_EQ(f.txtPW.Text(), "secret");
    EXPECT_EQ(f.cboPlan.Text(), "P200");
    EXPECT_EQ(f.answer, vbNo);
    EXPECT_EQ(f.path, "/plans/new plan.mpp");
    EXPECT_FALSE(f.IsLoaded());

    std::string shown = out.str();
    EXPECT_THAT(shown, HasSubstr("[frmTerminal] Connect\n"
                                 "  lblName: Label \"User Name\"\n"
                                 "  txtName: TextBox \"\" focus\n"
                                 "  txtPW: TextBox \"\"\n"
                                 "  cboPlan: ComboBox \"\" [\"P100\", \"P200\"]\n"
                                 "  cmdAsk: CommandButton \"&Ask\"\n"
                                 "  cmdClose: CommandButton \"\"\n"
                                 "action> "));
    EXPECT_THAT(shown, HasSubstr("actions: type CONTROL"));
    EXPECT_THAT(shown, HasSubstr("! unknown action frobnicate"));
    EXPECT_THAT(shown, HasSubstr("! cannot tick txtName, a TextBox\n"));
    EXPECT_THAT(shown, HasSubstr("  txtPW: TextBox \"******\""));
    EXPECT_THAT(shown, HasSubstr("+-- Kova [Question]\n"
                                 "| Connect now?\n"
                                 "| The plan is saved first.\n"
                                 "+-- [Yes] [No] (empty line: Yes)\n"
                                 "answer> "));
    EXPECT_THAT(shown, HasSubstr("! answer with one of the buttons"));
    EXPECT_THAT(shown, HasSubstr("Save As (an empty line cancels)\ntext> "));
    EXPECT_EQ(shown.find("chkHidden"), std::string::npos);
    // What the person saw is in the transcript as for a scripted user.
    EXPECT_TRUE(person.transcript().Contains("> type frmTerminal.txtName \"Jo Ann\""));
    EXPECT_TRUE(person.transcript().Contains("-> No"));
}

TEST_F(TerminalUserTest, BoxAnswersByNameLetterOrTheDefaultButton) {
    struct Case {
        int32_t flags;
        const char* input;
        int32_t answer;
    };
    const Case cases[] = {
        {vbYesNo, "\n", vbYes},
        {vbYesNo + vbDefaultButton2, "\n", vbNo},
        {vbYesNo, "NO\n", vbNo},
        {vbOKCancel, "c\n", vbCancel},
        {vbOKCancel, "y\nok\n", vbOK},
        {vbOKCancel, "", vbCancel}, // the input ended: backed out
        {vbAbortRetryIgnore, "i\n", vbIgnore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        std::istringstream in(c.input);
        std::ostringstream out;
        TerminalUser person(in, out);
        ScopedUser on(person);
        EXPECT_EQ(MsgBox("Proceed?", c.flags, "T"), c.answer);
    }
}

TEST_F(TerminalUserTest, AtTheEndOfInputFormsAreAbandonedAndPromptsCancelled) {
    std::istringstream in("type txtName x\n");
    std::ostringstream out;
    TerminalUser person(in, out);
    ScopedUser on(person);
    frmTerminal& f = DefaultInstance<frmTerminal>();
    f.Show(vbModal);
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_EQ(f.txtName.Text(), "x");
    EXPECT_EQ(AskText("Name"), std::nullopt);
    EXPECT_THAT(out.str(), HasSubstr("(end of input)"));
    EXPECT_TRUE(person.transcript().Contains("abandon frmTerminal"));
}

TEST_F(TerminalUserTest, ProgressTextsArePrintedAsTheyAreRepainted) {
    std::istringstream in("\n");
    std::ostringstream out;
    TerminalUser person(in, out);
    ScopedUser on(person);
    frmTerminal& f = DefaultInstance<frmTerminal>();
    f.Show();
    const std::string calendars = "refresh frmTerminal.lblName: Label \"Transferring Base Calendars ...\"\n";
    f.lblName.Caption = "Transferring Base Calendars ...";
    f.lblName.Refresh();
    EXPECT_EQ(out.str(), calendars);

    // A run repaints its label after each step as well: the screen shows no change, nothing is printed.
    f.lblName.Refresh();
    f.lblName.Refresh();
    EXPECT_EQ(out.str(), calendars);
    // Another control's repaint leaves the label's as it was on the screen.
    f.cmdAsk.Refresh();
    f.lblName.Refresh();
    const std::string ask = "refresh frmTerminal.cmdAsk: CommandButton \"&Ask\"\n";
    EXPECT_EQ(out.str(), calendars + ask);
    f.lblName.Caption = "Transferring Resources/Cost Objects...";
    f.lblName.Refresh();
    const std::string resources = "refresh frmTerminal.lblName: Label \"Transferring Resources/Cost Objects...\"\n";
    EXPECT_EQ(out.str(), calendars + ask + resources);
    // Once something else was printed, the same repaint shows again.
    MsgBox("Done", vbOKOnly, "T");
    out.str("");
    f.lblName.Refresh();
    EXPECT_EQ(out.str(), resources);
    EXPECT_EQ(person.transcript().Progress("frmTerminal.lblName").size(), 6u); // the transcript keeps each one
}

// A form put before the person scrolls the repaints away too: the same repaint, made while the form
// is shown, is printed once more.
TEST_F(TerminalUserTest, AFormShownLetsTheSameRepaintShowAgain) {
    std::istringstream in("click cmdAsk\nclick cmdClose\n");
    std::ostringstream out;
    TerminalUser person(in, out);
    ScopedUser on(person);
    frmTerminal& f = DefaultInstance<frmTerminal>();
    f.cmdAsk.Click = [&f] { f.lblName.Refresh(); };
    f.Show();
    f.lblName.Refresh();
    f.Hide();
    f.Show(vbModal);
    const std::string repaint = "refresh frmTerminal.lblName: Label \"User Name\"\n";
    const std::string shown = out.str();
    const size_t first = shown.find(repaint);
    ASSERT_EQ(first, 0u) << shown;
    EXPECT_NE(shown.find(repaint, first + 1), std::string::npos) << shown;
}

} // namespace
} // namespace platform::forms
