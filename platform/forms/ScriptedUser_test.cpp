#include "platform/forms/ScriptedUser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/forms/TestForms.h"

namespace platform::forms {
namespace {

using platform::automation::Err;
using test::FormsTest;
using ::testing::ElementsAre;
namespace st = steps;

class ScriptedUserTest : public FormsTest {};

TEST_F(ScriptedUserTest, ScriptTextGivesEveryKindOfStep) {
    const char* script = "# connect a project\n"
                         "\n"
                         "type frmLogin.txtName \"Jo \\\"Ann\\\"\"   # quotes inside\n"
                         "append frmLogin.txtName more\n"
                         "pick frmConnect.cboPlan \"P 100\"\n"
                         "pick frmConnect.lstResources #7\n"
                         "tick frmConnect.chkSort\n"
                         "untick frmConnect.chkSort\r\n"
                         "choose frmConnect.optEqpSubTask\n"
                         "click frmConnect.cmdConnectProject\n"
                         "dblclick frmConnect.lstKovaProject\n"
                         "tab frmConnect.tsrConnect Resources\n"
                         "tab frmConnect.tsrConnect #3\n"
                         "node frmChargeElement.treChargeElements \"E.100.\"\n"
                         "key frmLogin.txtDomain Enter\n"
                         "key frmLogin.txtDomain \"a\"\n"
                         "key frmLogin.txtDomain 8\n"
                         "focus frmConnect.cboAvailabilityType\n"
                         "close frmConnect\n"
                         "box yes\n"
                         "box OK \"Line one\\r\\nLine two\"\n"
                         "box Cancel contains \"saved first\"\n"
                         "text \"jdoe\"\n"
                         "text cancel\n"
                         "text \"cancel\"\n"
                         "saveas /plans/p.mpp\n"
                         "saveas cancel\n";
    std::vector<Step> steps = ParseScript(script);
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    std::vector<std::string> described;
    for (const Step& step : steps)
        described.push_back(step.Describe());
    EXPECT_THAT(described,
                ElementsAre("type frmLogin.txtName \"Jo \\\"Ann\\\"\"", "append frmLogin.txtName \"more\"",
                            "pick frmConnect.cboPlan \"P 100\"", "pick frmConnect.lstResources #7",
                            "tick frmConnect.chkSort", "untick frmConnect.chkSort",
                            "choose frmConnect.optEqpSubTask", "click frmConnect.cmdConnectProject",
                            "dblclick frmConnect.lstKovaProject", "tab frmConnect.tsrConnect \"Resources\"",
                            "tab frmConnect.tsrConnect #3",
                            "node frmChargeElement.treChargeElements \"E.100.\"",
                            "key frmLogin.txtDomain Enter", "key frmLogin.txtDomain \"a\"",
                            "key frmLogin.txtDomain Backspace", "focus frmConnect.cboAvailabilityType",
                            "close frmConnect", "box Yes", "box OK \"Line one\\r\\nLine two\"",
                            "box Cancel contains \"saved first\"", "text \"jdoe\"", "text cancel",
                            "text \"cancel\"", "saveas \"/plans/p.mpp\"", "saveas cancel"));
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].action.text, "Jo \"Ann\"");
    EXPECT_EQ(steps[12].action.keyCode, vbKeyReturn);
    EXPECT_EQ(steps[13].action.keyCode, 'A');
    EXPECT_EQ(steps[13].action.keyAscii, 'a');
    EXPECT_EQ(steps[14].action.keyAscii, vbKeyBack);
    EXPECT_EQ(steps[18].shown, "Line one\r\nLine two");
    EXPECT_TRUE(steps[19].partial);
    EXPECT_EQ(steps[23].reply, "/plans/p.mpp");
    EXPECT_EQ(steps[23].shown, std::string(SaveAsPrompt));
    // A described step reads back as the same step.
    std::string again;
    for (const std::string& line : described)
        again += line + "\n";
    std::vector<Step> reread = ParseScript(again);
    ASSERT_EQ(reread.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(reread[i].Describe(), described[i]);
}

TEST_F(ScriptedUserTest, BadScriptLinesAreNamedByNumber) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"clik frmA.cmdOK", "line 2: unknown step clik"},
        {"click cmdOK", "line 2: click needs FORM.CONTROL, not cmdOK"},
        {"click frmA.cmdOK now", "line 2: click takes no words after the control"},
        {"type frmA.txtName", "line 2: type takes one word after the control"},
        {"type frmA.txtName \"open", "line 2: a quoted text is not closed"},
        {"type frmA.txtName \"\\q\"", "line 2: unknown escape \\q"},
        {"box Maybe", "line 2: box needs an answer"},
        {"box OK \"a\" \"b\"", "line 2: box takes an answer"},
        {"key frmA.txtName F13", "line 2: unknown key F13"},
        {"saveas", "line 2: saveas takes one word"},
        {"\"click\" frmA.cmdOK", "line 2: a step starts with its verb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Err().Clear();
        std::string script = std::string("click frmA.cmdOK\n") + c.line + "\n";
        EXPECT_TRUE(ParseScript(script).empty());
        EXPECT_EQ(Err().Number, errors::InvalidProcedureCall);
        EXPECT_EQ(Err().Description.rfind(c.message, 0), 0u) << Err().Description;
        ScriptedUser user;
        EXPECT_FALSE(user.AddScript(script));
        EXPECT_EQ(user.Remaining(), 0u);
    }
}

// A form for the strict failures: one of each thing a script can get wrong.
class frmStrict : public Form {
public:
    frmStrict() : Form("frmStrict", "Strict") {
        lstProjects.AddItem("P1");
        cboList.AddItem("Start1/Finish1");
        cboList.Style = ComboBox::vbComboDropdownList;
        chkSort.SetValue(vbChecked);
        cmdDisabled.Enabled = false;
        fraHidden.Visible = false;
        cmdBox.Click = [this] { answers.push_back(MsgBox("Proceed?", vbYesNo + vbQuestion, "T")); };
        cmdClose.Click = [this] { Unload(); };
    }
    TextBox txtName{*this, "txtName"};
    ListBox lstProjects{*this, "lstProjects"};
    ComboBox cboList{*this, "cboList"};
    CheckBox chkSort{*this, "chkSort"};
    CommandButton cmdDisabled{*this, "cmdDisabled"};
    Frame fraHidden{*this, "fraHidden"};
    TextBox txtHidden{*this, "txtHidden", &fraHidden};
    CommandButton cmdBox{*this, "cmdBox"};
    CommandButton cmdClose{*this, "cmdClose"};
    std::vector<int32_t> answers;
};

TEST_F(ScriptedUserTest, EveryStrictFailureIsReportedOnceAndEndsTheRun) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* failure;
    };
    const Case cases[] = {
        {"missing control",
         {st::Click("frmStrict.cmdMissing")},
         "`click frmStrict.cmdMissing`: frmStrict has no control named cmdMissing"},
        {"disabled",
         {st::Click("frmStrict.cmdDisabled")},
         "`click frmStrict.cmdDisabled`: cmdDisabled is disabled"},
        {"invisible",
         {st::Type("frmStrict.txtHidden", "x")},
         "`type frmStrict.txtHidden \"x\"`: txtHidden is not visible (its container fraHidden is hidden)"},
        {"not fitting",
         {st::Tick("frmStrict.txtName")},
         "`tick frmStrict.txtName`: cannot tick txtName, a TextBox"},
        {"ticked already",
         {st::Tick("frmStrict.chkSort")},
         "`tick frmStrict.chkSort`: chkSort is ticked already"},
        {"no such entry",
         {st::Pick("frmStrict.lstProjects", "P9")},
         "`pick frmStrict.lstProjects \"P9\"`: lstProjects has no entry \"P9\""},
        {"typing into a list",
         {st::Type("frmStrict.cboList", "Start2")},
         "cboList is a drop-down list; pick one of its entries"},
        {"another form",
         {st::Click("frmOther.cmdOK")},
         "the script expects `click frmOther.cmdOK`, but frmStrict \"Strict\" waits for the user"},
        {"form instead of box",
         {st::Answer(vbOK)},
         "frmStrict \"Strict\" waits for the user, but the script expects `box OK`"},
        {"box instead of action",
         {st::Click("frmStrict.cmdBox"), st::Click("frmStrict.cmdClose")},
         "unexpected message box \"T\" \"Proceed?\" [Yes/No]; the script expects `click frmStrict.cmdClose`"},
        {"box text differs",
         {st::Click("frmStrict.cmdBox"), st::Answer(vbYes, "Go on?")},
         "`box Yes \"Go on?\"`: the message box shows \"T\" \"Proceed?\" [Yes/No]"},
        {"box part missing",
         {st::Click("frmStrict.cmdBox"), st::AnswerContaining(vbYes, "sure")},
         "`box Yes contains \"sure\"`: the message box shows"},
        {"answer not offered",
         {st::Click("frmStrict.cmdBox"), st::Answer(vbOK)},
         "`box OK`: OK is not a button of the message box \"T\" \"Proceed?\" [Yes/No]"},
        {"prompt instead of box", {st::Click("frmStrict.cmdBox"), st::Reply("x")}, "unexpected message box"},
        {"script used up", {}, "frmStrict \"Strict\" waits for the user, but the script has no steps left"},
        {"steps left over",
         {st::Click("frmStrict.cmdClose"), st::Click("frmStrict.cmdClose"), st::Answer(vbOK)},
         "2 step(s) left over: `click frmStrict.cmdClose`, `box OK`"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> failures;
        ScriptedUser user(c.steps);
        user.OnFailure([&](const std::string& message) { failures.push_back(message); });
        ScopedUser on(user);
        frmStrict& f = DefaultInstance<frmStrict>();
        f.Show(vbModal); // returns: a failed script abandons the form
        EXPECT_FALSE(user.Finish());
        EXPECT_FALSE(f.IsLoaded());
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(user.Failures(), failures);
        EXPECT_NE(failures[0].find(c.failure), std::string::npos) << failures[0];
        EXPECT_TRUE(user.transcript().Contains("! script failure: " + failures[0]));
        // A box that did not go as scripted is backed out of.
        for (int32_t answer : f.answers)
            EXPECT_EQ(answer, vbNo);
        EXPECT_EQ(f.chkSort.Value(), vbChecked);
        DiscardAllForms();
    }
}

TEST_F(ScriptedUserTest, FailuresFromAScriptFileNameTheLine) {
    std::vector<std::string> failures;
    ScriptedUser user;
    ASSERT_TRUE(user.AddScript("# line 1\nclick frmStrict.cmdBox\nbox OK\n"));
    user.OnFailure([&](const std::string& message) { failures.push_back(message); });
    ScopedUser on(user);
    DefaultInstance<frmStrict>().Show(vbModal);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("`box OK` (script line 3): OK is not a button", 0), 0u) << failures[0];
}

class frmStubborn : public Form {
public:
    frmStubborn() : Form("frmStubborn", "Stubborn") {}
    int asked = 0;

private:
    void Form_QueryUnload(int16_t& Cancel, int16_t) override {
        ++asked;
        Cancel = 1;
    }
};

TEST_F(ScriptedUserTest, AfterAFailureFormsAreAbandonedAndBoxesBackedOut) {
    std::vector<std::string> failures;
    ScriptedUser user({st::Click("frmStubborn.cmdGone")});
    user.OnFailure([&](const std::string& message) { failures.push_back(message); });
    ScopedUser on(user);
    // Its QueryUnload refuses every close; abandoning does not ask it.
    frmStubborn& stubborn = DefaultInstance<frmStubborn>();
    stubborn.Show(vbModal);
    EXPECT_EQ(stubborn.asked, 0);
    EXPECT_FALSE(stubborn.IsLoaded());
    DefaultInstance<frmStrict>().Show(vbModal);
    EXPECT_EQ(MsgBox("Save?", vbOKCancel), vbCancel);
    EXPECT_EQ(MsgBox("Go?", vbYesNo), vbNo);
    EXPECT_EQ(MsgBox("Done.", vbOKOnly), vbOK);
    EXPECT_EQ(AskText(SaveAsPrompt), std::nullopt);
    EXPECT_FALSE(user.Finish());
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_TRUE(user.transcript().Contains("abandon frmStubborn"));
    EXPECT_TRUE(user.transcript().Contains("abandon frmStrict"));
}

TEST_F(ScriptedUserTest, APromptStepMustMeetItsPrompt) {
    std::vector<std::string> failures;
    ScriptedUser user({st::SaveAs("/p.mpp")});
    user.OnFailure([&](const std::string& message) { failures.push_back(message); });
    ScopedUser on(user);
    EXPECT_EQ(AskText("User name"), std::nullopt);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "`saveas \"/p.mpp\"`: the prompt is \"User name\"");
}

TEST_F(ScriptedUserTest, LeftOverStepsAreReportedWhenTheUserGoesAway) {
    std::vector<std::string> failures;
    {
        ScriptedUser user({st::Answer(vbOK)});
        user.OnFailure([&](const std::string& message) { failures.push_back(message); });
    }
    EXPECT_THAT(failures, ElementsAre("1 step(s) left over: `box OK`"));
}

class frmStatus : public Form {
public:
    frmStatus() : Form("frmStatus", "Status") {}
    Label lblStatus{*this, "lblStatus"};
};

class frmAccount : public Form {
public:
    frmAccount() : Form("frmAccount", "Account Details") {
        lblName.Caption = "User Name";
        txtPW.PasswordChar = "*";
        cboDomain.AddItem("NORTH");
        cboDomain.AddItem("SOUTH");
        cmdOK.Caption = "&OK";
        cmdOK.Default = true;
        cmdOK.Click = [this] {
            if (MsgBox("Log in as " + txtName.Text() + "?", vbYesNo + vbQuestion) == vbYes)
                path = AskText(SaveAsPrompt);
            Unload();
        };
    }
    Label lblName{*this, "lblName"};
    TextBox txtName{*this, "txtName"};
    TextBox txtPW{*this, "txtPW"};
    ComboBox cboDomain{*this, "cboDomain"};
    CommandButton cmdOK{*this, "cmdOK"};
    std::optional<std::string> path;
};

TEST_F(ScriptedUserTest, TheTranscriptRecordsWhatTheUserSawAndDid) {
    SetProgramTitle("Kova");
    ScriptedUser user({st::Type("frmAccount.txtName", "jo"), st::Type("frmAccount.txtPW", "pw"),
                       st::Pick("frmAccount.cboDomain", "SOUTH"), st::Click("frmAccount.cmdOK"),
                       st::Answer(vbYes, "Log in as jo?"), st::SaveAs("/tmp/x.mpp")});
    Strict(user);
    ScopedUser on(user);
    frmStatus& status = DefaultInstance<frmStatus>();
    status.Show();
    status.lblStatus.Caption = "Connecting...";
    status.lblStatus.Refresh();
    frmAccount& account = DefaultInstance<frmAccount>();
    account.Show(vbModal);
    status.Unload();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(account.path, "/tmp/x.mpp");
    EXPECT_THAT(
        user.transcript().Lines(),
        ElementsAre("load frmStatus", "show frmStatus \"Status\" modeless",
                    "refresh frmStatus.lblStatus: Label \"Connecting...\"", "load frmAccount",
                    "show frmAccount \"Account Details\" modal", "form frmAccount \"Account Details\"",
                    "  lblName: Label \"User Name\"", "  txtName: TextBox \"\" focus",
                    "  txtPW: TextBox \"\"", "  cboDomain: ComboBox \"\" [\"NORTH\", \"SOUTH\"]",
                    "  cmdOK: CommandButton \"&OK\" default", "> type frmAccount.txtName \"jo\"",
                    "form frmAccount \"Account Details\"", "  txtName: TextBox \"jo\" focus",
                    "> type frmAccount.txtPW \"**\"", "form frmAccount \"Account Details\"",
                    "  txtName: TextBox \"jo\"", "  txtPW: TextBox \"**\" focus",
                    "> pick frmAccount.cboDomain \"SOUTH\"", "form frmAccount \"Account Details\"",
                    "  txtPW: TextBox \"**\"",
                    "  cboDomain: ComboBox \"SOUTH\" [\"NORTH\", *\"SOUTH\"] focus",
                    "> click frmAccount.cmdOK", "box \"Kova\" YesNo Question: \"Log in as jo?\"", "-> Yes",
                    "ask \"Save As\" -> \"/tmp/x.mpp\"", "unload frmAccount", "unload frmStatus"));

    std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("forms-transcript-" + std::to_string(::getpid()));
    ASSERT_TRUE(user.transcript().WriteTo(file.string()));
    std::ifstream in(file, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), user.transcript().Text());
    std::filesystem::remove(file);
    EXPECT_FALSE(user.transcript().WriteTo((file / "no" / "such" / "folder").string()));
    EXPECT_EQ(Err().Number, platform::automation::errors::PathFileAccessError);
}

TEST_F(ScriptedUserTest, TheTranscriptsActionsReplayAsAScript) {
    ScriptedUser first({st::Type("frmAccount.txtName", "jo"), st::Pick("frmAccount.cboDomain", 1),
                        st::PressKey("frmAccount.txtPW", vbKeyReturn), st::Answer(vbNo)});
    Strict(first);
    {
        ScopedUser on(first);
        DefaultInstance<frmAccount>().Show(vbModal);
    }
    EXPECT_TRUE(first.Finish());
    std::string script;
    for (const std::string& line : first.transcript().Lines()) {
        if (line.rfind("> ", 0) == 0) script += line.substr(2) + "\n";
        if (line.rfind("-> ", 0) == 0) script += "box " + line.substr(3) + "\n";
    }
    DiscardAllForms();
    ScriptedUser again;
    ASSERT_TRUE(again.AddScript(script)) << script;
    Strict(again);
    ScopedUser on(again);
    frmAccount& account = DefaultInstance<frmAccount>();
    account.Show(vbModal);
    EXPECT_TRUE(again.Finish());
    EXPECT_EQ(account.txtName.Text(), "jo");
    EXPECT_EQ(again.transcript().Lines(), first.transcript().Lines());
}

} // namespace
} // namespace platform::forms
