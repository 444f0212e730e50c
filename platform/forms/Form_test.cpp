#include "platform/forms/Form.h"

#include <gtest/gtest.h>

#include "platform/forms/TestForms.h"

namespace platform::forms {
namespace {

using platform::automation::Err;
using test::FormsTest;
using test::frmEvents;
using ::testing::ElementsAre;
namespace st = steps;

// A form whose lifecycle events land in `log`, with hooks a test can set.
class frmHooks : public Form {
public:
    explicit frmHooks(std::string name = "frmHooks") : Form(std::move(name), "Hooks") {
        cmdOK.Caption = "OK";
        cmdOK.Click = [this] {
            log.push_back("cmdOK_Click");
            if (onOK) onOK();
        };
    }
    CommandButton cmdOK{*this, "cmdOK"};
    Label lblInfo{*this, "lblInfo"};
    std::vector<std::string> log;
    std::function<void()> onLoad, onActivate, onOK;
    std::function<void(int16_t& Cancel, int16_t UnloadMode)> onQueryUnload;

private:
    void Form_Load() override {
        log.push_back(std::string("Load visible=") + (Visible() ? "1" : "0") + " tag=" + Tag);
        if (onLoad) onLoad();
    }
    void Form_Activate() override {
        log.push_back(std::string("Activate visible=") + (Visible() ? "1" : "0") + " tag=" + Tag);
        if (onActivate) onActivate();
    }
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override {
        log.push_back("QueryUnload mode=" + std::to_string(UnloadMode));
        if (onQueryUnload) onQueryUnload(Cancel, UnloadMode);
    }
    void Form_Unload(int16_t&) override { log.push_back("Unload"); }
};
struct frmOuter : frmHooks {
    frmOuter() : frmHooks("frmOuter") {}
};
struct frmInner : frmHooks {
    frmInner() : frmHooks("frmInner") {}
};
struct frmProgress : frmHooks {
    frmProgress() : frmHooks("frmProgress") {}
};

class FormTest : public FormsTest {};

TEST_F(FormTest, ProgrammaticChangeRaisesTheSameEventAsTheUsersChoice) {
    struct Case {
        const char* what;
        std::function<void(frmEvents&)> byCode;
        Step byUser;
        const char* event;
        std::function<std::string(frmEvents&)> state;
    };
    const Case cases[] = {
        {"list index", [](frmEvents& f) { f.lstProjects.SetListIndex(1); },
         st::Pick("frmEvents.lstProjects", "P2"), "lstProjects_Click",
         [](frmEvents& f) { return f.lstProjects.Text(); }},
        {"combo index", [](frmEvents& f) { f.cboPlan.SetListIndex(2); }, st::Pick("frmEvents.cboPlan", 2),
         "cboPlan_Click",
         [](frmEvents& f) { return f.cboPlan.Text() + std::to_string(f.cboPlan.ListIndex()); }},
        {"combo text", [](frmEvents& f) { f.cboPlan.SetText("B2"); }, st::Type("frmEvents.cboPlan", "B2"),
         "cboPlan_Change",
         [](frmEvents& f) { return f.cboPlan.Text() + std::to_string(f.cboPlan.ListIndex()); }},
        {"check box", [](frmEvents& f) { f.chkSort.SetValue(vbChecked); }, st::Tick("frmEvents.chkSort"),
         "chkSort_Click", [](frmEvents& f) { return std::to_string(f.chkSort.Value()); }},
        {"option", [](frmEvents& f) { f.optResAssgn.SetValue(true); }, st::Choose("frmEvents.optResAssgn"),
         "optResAssgn_Click",
         [](frmEvents& f) {
             return std::to_string(f.optSubTask.Value()) + std::to_string(f.optResAssgn.Value());
         }},
        {"text", [](frmEvents& f) { f.txtName.SetText("Jo"); }, st::Type("frmEvents.txtName", "Jo"),
         "txtName_Change", [](frmEvents& f) { return f.txtName.Text(); }},
        {"tab", [](frmEvents& f) { f.tsrConnect.SelectTab(2); },
         st::PickTab("frmEvents.tsrConnect", "Resources"), "tsrConnect_Click",
         [](frmEvents& f) { return f.tsrConnect.SelectedItem()->Caption; }},
        {"multi-select mark", [](frmEvents& f) { f.lstResources.SetSelected(2, true); },
         st::Pick("frmEvents.lstResources", "Employees"), "lstResources_Click",
         [](frmEvents& f) {
             return std::to_string(f.lstResources.Selected(2)) + std::to_string(f.lstResources.SelCount());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmEvents& coded = DefaultInstance<frmEvents>();
        coded.Load();
        c.byCode(coded);
        EXPECT_THAT(coded.log, ElementsAre(c.event));
        c.byCode(coded); // the same value again changes nothing and raises nothing
        EXPECT_EQ(coded.log.size(), 1u);
        std::string codedState = c.state(coded);
        DiscardAllForms();

        ScriptedUser user({c.byUser, st::Click("frmEvents.cmdClose")});
        Strict(user);
        ScopedUser on(user);
        frmEvents& clicked = DefaultInstance<frmEvents>();
        clicked.Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_NE(std::find(clicked.log.begin(), clicked.log.end(), c.event), clicked.log.end());
        EXPECT_EQ(c.state(clicked), codedState);
        DiscardAllForms();
    }
}

TEST_F(FormTest, UserPicksRaiseTheirEventsInOrderAndTypedTextSelectsNoEntry) {
    ScriptedUser user({st::Pick("frmEvents.lstProjects", "P1"), st::Type("frmEvents.cboPlan", "C"),
                       st::Pick("frmEvents.cboPlan", "A"), st::Pick("frmEvents.cboPlan", "A"),
                       st::Click("frmEvents.cmdClose")});
    Strict(user);
    ScopedUser on(user);
    frmEvents& f = DefaultInstance<frmEvents>();
    f.cboPlan.SetListIndex(0);
    f.log.clear();
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    // The mouse comes down before the selection changes; the user's pick of the entry already selected
    // is a click as well; typing the text of an entry does not select it.
    EXPECT_THAT(f.log, ElementsAre("lstProjects_MouseDown", "lstProjects_Click", "cboPlan_Change",
                                   "cboPlan_Click", "cboPlan_Click"));
    EXPECT_EQ(f.lstProjects.ListIndex(), 0);
}

TEST_F(FormTest, TypedComboTextLeavesTheListUnselected) {
    frmEvents& f = DefaultInstance<frmEvents>();
    f.cboPlan.SetListIndex(1);
    f.cboPlan.SetText("B"); // the selected entry's own text keeps it selected
    EXPECT_EQ(f.cboPlan.ListIndex(), 1);
    f.cboPlan.SetText("A");
    EXPECT_EQ(f.cboPlan.ListIndex(), -1);
    EXPECT_EQ(f.cboPlan.FindEntry("A"), 0);
    f.cboPlan.SetListIndex(0);
    f.cboPlan.SetListIndex(-1);
    EXPECT_EQ(f.cboPlan.Text(), "");
    EXPECT_THAT(f.log, ElementsAre("cboPlan_Click", "cboPlan_Change", "cboPlan_Click"));

    ComboBox& list = f.cboPlan;
    list.Style = ComboBox::vbComboDropdownList;
    list.SetText("C");
    EXPECT_EQ(list.ListIndex(), 2);
    list.SetText("Z");
    EXPECT_EQ(Err().Number, errors::TextReadOnly);
    EXPECT_EQ(list.Text(), "C");
}

TEST_F(FormTest, ListIndexAndEntriesOutOfRangeAreErrors) {
    frmEvents& f = DefaultInstance<frmEvents>();
    f.lstProjects.SetListIndex(3);
    EXPECT_EQ(Err().Number, errors::InvalidPropertyValue);
    EXPECT_EQ(f.lstProjects.ListIndex(), -1);
    Err().Clear();
    EXPECT_EQ(f.lstProjects.List(7), "");
    EXPECT_EQ(Err().Number, errors::InvalidPropertyIndex);
    Err().Clear();
    f.tsrConnect.SelectTab(3);
    EXPECT_EQ(Err().Number, errors::IndexOutOfBounds);
    EXPECT_EQ(f.tsrConnect.SelectedIndex(), 1);
    EXPECT_TRUE(f.log.empty());

    f.lstProjects.SetListIndex(1);
    f.lstProjects.AddItem("P0", 0); // inserting before the selection moves it along
    EXPECT_EQ(f.lstProjects.Text(), "P2");
    f.lstProjects.RemoveItem(2);
    EXPECT_EQ(f.lstProjects.ListIndex(), -1);
}

TEST_F(FormTest, LoadRunsOnceBeforeActivateAndTheFormIsHiddenDuringLoad) {
    ScriptedUser user({st::Click("frmHooks.cmdOK")});
    Strict(user);
    ScopedUser on(user);
    frmHooks& f = DefaultInstance<frmHooks>();
    f.onLoad = [&] {
        f.cmdOK.SetFocus(); // a hidden form's control cannot take the focus
        f.log.push_back("SetFocus error " + std::to_string(Err().Number));
    };
    f.onOK = [&] { f.Unload(); };
    f.Load();
    f.Load();
    f.Tag = "ModifyChargeElement"; // set between loading and showing, read by Activate
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag=", "SetFocus error 5",
                                   "Activate visible=1 tag=ModifyChargeElement", "cmdOK_Click",
                                   "QueryUnload mode=1", "Unload"));
}

TEST_F(FormTest, UnloadDuringLoadMakesShowReturnAtOnce) {
    ScriptedUser user; // nothing may be asked
    Strict(user);
    ScopedUser on(user);
    frmHooks& f = DefaultInstance<frmHooks>();
    f.onLoad = [&] { f.Unload(); };
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag=", "QueryUnload mode=1", "Unload"));
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_FALSE(f.Visible());
    EXPECT_THAT(user.transcript().Lines(), ElementsAre("load frmHooks", "unload frmHooks"));
    EXPECT_NE(&DefaultInstance<frmHooks>(), &f);
}

TEST_F(FormTest, HideEndsTheModalWaitOnceTheHandlerReturns) {
    ScriptedUser user({st::Click("frmHooks.cmdOK"), st::Click("frmHooks.cmdOK")});
    Strict(user);
    ScopedUser on(user);
    frmHooks& f = DefaultInstance<frmHooks>();
    f.onOK = [&] {
        f.Hide();
        f.log.push_back(std::string("after Hide visible=") + (f.Visible() ? "1" : "0"));
    };
    f.Show(vbModal);
    f.log.push_back("Show returned");
    EXPECT_TRUE(f.IsLoaded());
    f.Show(vbModal); // shown again, it waits again
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag=", "Activate visible=1 tag=", "cmdOK_Click",
                                   "after Hide visible=0", "Show returned",
                                   "Activate visible=1 tag=", "cmdOK_Click", "after Hide visible=0"));
}

TEST_F(FormTest, HidingAFormThatIsNotLoadedLoadsIt) {
    frmHooks& f = DefaultInstance<frmHooks>();
    f.Hide();
    EXPECT_TRUE(f.IsLoaded());
    EXPECT_FALSE(f.Visible());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag="));
}

TEST_F(FormTest, UnloadFromTheUnloadHandlersIsNotRepeated) {
    frmHooks& f = DefaultInstance<frmHooks>();
    f.onQueryUnload = [&](int16_t&, int16_t) { f.Unload(); };
    f.Load();
    f.Unload();
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag=", "QueryUnload mode=1", "Unload"));
}

TEST_F(FormTest, ShowingAVisibleFormModallyIsAnError) {
    frmHooks& f = DefaultInstance<frmHooks>();
    f.Show();
    f.Show(vbModal);
    EXPECT_EQ(Err().Number, errors::FormAlreadyShown);
    EXPECT_FALSE(f.IsShownModal());
}

TEST_F(FormTest, NestedModalFormsWithAProgressWindowBeside) {
    ScriptedUser user(
        {st::Click("frmOuter.cmdOK"), st::Click("frmInner.cmdOK"), st::Answer(vbYes, "Go on?")});
    Strict(user);
    ScopedUser on(user);
    frmOuter& outer = DefaultInstance<frmOuter>();
    outer.onLoad = [&] {
        frmProgress& progress = DefaultInstance<frmProgress>();
        progress.Show();
        for (const char* text : {"Building the list...", "Retrieving the details..."}) {
            progress.lblInfo.Caption = text;
            progress.lblInfo.Refresh();
        }
    };
    outer.onOK = [&] {
        DefaultInstance<frmInner>().Show(vbModal);
        outer.log.push_back("inner returned");
        UnloadForm<frmProgress>();
        outer.Unload();
    };
    frmInner& inner = DefaultInstance<frmInner>();
    inner.onOK = [&] {
        inner.log.push_back(std::string("outer visible=") + (outer.Visible() ? "1" : "0") +
                            " progress visible=" + (IsFormLoaded<frmProgress>() ? "1" : "0"));
        inner.log.push_back("answer " + std::to_string(MsgBox("Go on?", vbYesNo + vbQuestion, "Nested")));
        inner.Unload();
    };
    outer.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(inner.log, ElementsAre("Load visible=0 tag=", "Activate visible=1 tag=", "cmdOK_Click",
                                       "outer visible=1 progress visible=1", "answer 6", "QueryUnload mode=1",
                                       "Unload"));
    EXPECT_THAT(user.transcript().Progress("frmProgress.lblInfo"),
                ElementsAre("Building the list...", "Retrieving the details..."));
    EXPECT_TRUE(LoadedForms().empty());
    // The progress window is never asked for an action: it shows beside the modal forms.
    for (const std::string& line : user.transcript().Lines())
        EXPECT_EQ(line.rfind("form frmProgress", 0), std::string::npos);
}

// Focus handlers and a validation that refuses the text "bad".
class frmFocus : public Form {
public:
    frmFocus() : Form("frmFocus", "Focus") {
        cmdCancel.Cancel = true;
        txtA.GotFocus = [this] { log.push_back("txtA_GotFocus"); };
        txtA.LostFocus = [this] { log.push_back("txtA_LostFocus"); };
        txtA.Validate = [this](bool& Cancel) {
            log.push_back("txtA_Validate");
            if (txtA.Text() != "bad") return;
            MsgBox("Bad value", vbOKOnly + vbExclamation, "Focus");
            Cancel = true;
        };
        txtB.GotFocus = [this] { log.push_back("txtB_GotFocus"); };
        txtB.LostFocus = [this] {
            log.push_back("txtB_LostFocus");
            if (redirect) txtA.SetFocus();
        };
        cmdOK.Click = [this] { log.push_back("cmdOK_Click"); };
        cmdCancel.Click = [this] {
            log.push_back("cmdCancel_Click");
            Unload();
        };
    }
    TextBox txtA{*this, "txtA"};
    TextBox txtB{*this, "txtB"};
    CommandButton cmdOK{*this, "cmdOK"};
    CommandButton cmdCancel{*this, "cmdCancel"};
    std::vector<std::string> log;
    bool redirect = false;
};

TEST_F(FormTest, FocusMovesThroughValidateLostFocusGotFocusAndCancelKeepsIt) {
    ScriptedUser user({st::Type("frmFocus.txtA", "bad"), st::Click("frmFocus.cmdOK"),
                       st::Answer(vbOK, "Bad value"), st::Type("frmFocus.txtA", "good"),
                       st::Click("frmFocus.cmdOK"), st::Type("frmFocus.txtA", "bad"),
                       st::Click("frmFocus.cmdCancel")});
    Strict(user);
    ScopedUser on(user);
    frmFocus& f = DefaultInstance<frmFocus>();
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    // The first click is swallowed by the refusing Validate; a Cancel button does not validate.
    EXPECT_THAT(f.log, ElementsAre("txtA_GotFocus", "txtA_Validate", "txtA_Validate", "txtA_LostFocus",
                                   "cmdOK_Click", "txtA_GotFocus", "txtA_LostFocus", "cmdCancel_Click"));
    EXPECT_TRUE(user.transcript().Contains("note the focus stays on txtA"));
}

TEST_F(FormTest, InitialFocusSkipsControlsWithFocusHandlers) {
    ScriptedUser user({st::Focus("frmFocus.txtB"), st::Click("frmFocus.cmdCancel")});
    Strict(user);
    ScopedUser on(user);
    frmFocus& f = DefaultInstance<frmFocus>();
    Control* initial = nullptr;
    f.cmdOK.Click = [&] {};
    f.cmdCancel.Click = [&] { f.Unload(); };
    f.txtB.GotFocus = [&] {
        if (!initial) initial = &f.txtB;
        f.log.push_back("txtB_GotFocus");
    };
    f.Show();
    EXPECT_EQ(f.ActiveControl(), &f.cmdOK);
    f.Hide();
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.log, ElementsAre("txtB_GotFocus", "txtB_LostFocus"));
}

TEST_F(FormTest, SetFocusFromLostFocusSendsTheFocusElsewhere) {
    ScriptedUser user(
        {st::Focus("frmFocus.txtB"), st::Click("frmFocus.cmdOK"), st::Click("frmFocus.cmdCancel")});
    Strict(user);
    ScopedUser on(user);
    frmFocus& f = DefaultInstance<frmFocus>();
    f.redirect = true;
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    // The click on OK does not happen: the focus went to txtA instead.
    EXPECT_THAT(f.log, ElementsAre("txtB_GotFocus", "txtB_LostFocus", "txtA_GotFocus", "txtA_LostFocus",
                                   "cmdCancel_Click"));
    EXPECT_TRUE(user.transcript().Contains("note the focus went on to txtA"));
}

// A quantity box whose KeyPress filter the test chooses.
class frmTyping : public Form {
public:
    enum class Filter { None, Digits, Limit3, Upper };
    frmTyping() : Form("frmTyping", "Typing") {
        txtQty.KeyPress = [this](int16_t& KeyAscii) {
            ++keys;
            switch (filter) {
            case Filter::None: break;
            case Filter::Digits:
                if (!(KeyAscii >= '0' && KeyAscii <= '9') && KeyAscii != '-' && KeyAscii != '.' &&
                    KeyAscii != vbKeyBack)
                    KeyAscii = 0;
                break;
            case Filter::Limit3:
                if (txtQty.Text().size() == 3) KeyAscii = 0; // every key, Backspace included
                break;
            case Filter::Upper:
                if (KeyAscii >= 'a' && KeyAscii <= 'z') KeyAscii = static_cast<int16_t>(KeyAscii - 32);
                break;
            }
        };
        txtQty.Change = [this] { ++changes; };
        cmdOK.Click = [this] { Unload(); };
    }
    TextBox txtQty{*this, "txtQty"};
    CommandButton cmdOK{*this, "cmdOK"};
    Filter filter = Filter::None;
    int keys = 0;
    int changes = 0;
};

TEST_F(FormTest, TypingGoesKeyByKeyThroughKeyPress) {
    using F = frmTyping::Filter;
    struct Case {
        F filter;
        const char* before;
        bool append;
        const char* typed;
        const char* after;
        int keys;
        int changes;
    };
    const Case cases[] = {
        {F::Digits, "", false, "12a3", "123", 4, 3},
        {F::Digits, "5", true, "0x", "50", 2, 1},
        {F::Digits, "77", false, "\b9", "9", 2, 2}, // Backspace removes the selected text
        {F::Digits, "77", true, "\b\b\b", "", 3, 2},
        {F::Limit3, "abc", true, "\bd", "abc", 2, 0},
        {F::Limit3, "", false, "abcd", "abc", 4, 3},
        {F::Limit3, "xy", false, "", "", 0, 1}, // typing nothing over the selection deletes it
        {F::Upper, "", false, "ab", "AB", 2, 2},
        {F::None, "", false, "M\xC3\xBCller", "M\xC3\xBCller", 6, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " over " + c.before);
        frmTyping& f = DefaultInstance<frmTyping>();
        f.txtQty.SetText(c.before);
        f.filter = c.filter;
        f.keys = f.changes = 0;
        ScriptedUser user(
            {c.append ? st::Append("frmTyping.txtQty", c.typed) : st::Type("frmTyping.txtQty", c.typed),
             st::Click("frmTyping.cmdOK")});
        Strict(user);
        ScopedUser on(user);
        f.Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_EQ(f.txtQty.Text(), c.after);
        EXPECT_EQ(f.keys, c.keys);
        EXPECT_EQ(f.changes, c.changes);
        DiscardAllForms();
    }
}

class frmKeys : public Form {
public:
    frmKeys() : Form("frmKeys", "Keys") {
        txtDomain.KeyPress = [this](int16_t& KeyAscii) {
            log.push_back("KeyPress " + std::to_string(KeyAscii));
            if (KeyAscii == vbKeyReturn) log.push_back("acts as OK");
        };
        txtDomain.KeyDown = [this](int16_t& KeyCode, int16_t) {
            log.push_back("KeyDown " + std::to_string(KeyCode));
        };
        txtDomain.KeyUp = [this](int16_t& KeyCode, int16_t) {
            log.push_back("KeyUp " + std::to_string(KeyCode));
        };
        cmdOK.Click = [this] {
            log.push_back("cmdOK_Click");
            Unload();
        };
        cmdCancel.Click = [this] {
            log.push_back("cmdCancel_Click");
            Unload();
        };
    }
    TextBox txtDomain{*this, "txtDomain"};
    CommandButton cmdOK{*this, "cmdOK"};
    CommandButton cmdCancel{*this, "cmdCancel"};
    std::vector<std::string> log;
};

TEST_F(FormTest, EnterAndEscapeGoToTheDefaultAndCancelButtonsOrToTheControl) {
    struct Case {
        bool buttons;
        int16_t key;
        bool staysOpen; // the key closes nothing: the script then cancels
        std::vector<std::string> log;
        const char* text;
    };
    const Case cases[] = {
        {true, vbKeyReturn, false, {"cmdOK_Click"}, ""},
        {true, vbKeyEscape, false, {"cmdCancel_Click"}, ""},
        {false,
         vbKeyReturn,
         true,
         {"KeyDown 13", "KeyPress 13", "acts as OK", "KeyUp 13", "cmdCancel_Click"},
         ""},
        {true, 'x', true, {"KeyDown 88", "KeyPress 120", "KeyUp 88", "cmdCancel_Click"}, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        frmKeys& f = DefaultInstance<frmKeys>();
        f.cmdOK.Default = f.cmdCancel.Cancel = c.buttons;
        std::vector<Step> script{st::PressKey("frmKeys.txtDomain", c.key)};
        if (c.staysOpen) script.push_back(st::Click("frmKeys.cmdCancel"));
        ScriptedUser user(script);
        Strict(user);
        ScopedUser on(user);
        f.Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_EQ(f.log, c.log);
        EXPECT_EQ(f.txtDomain.Text(), c.text);
        DiscardAllForms();
    }
}

class frmContainers : public Form {
public:
    frmContainers() : Form("frmContainers", "Containers") {
        cmdClose.Click = [this] { Unload(); };
    }
    Frame fraOuter{*this, "fraOuter"};
    Frame fraInner{*this, "fraInner", &fraOuter};
    CheckBox chkInner{*this, "chkInner", &fraInner};
    CommandButton cmdClose{*this, "cmdClose"};
};

TEST_F(FormTest, EnabledAndVisibleWorkThroughContainers) {
    struct Case {
        const char* what;
        std::function<void(frmContainers&)> setup;
        const char* refusal; // "" when the tick goes through
    };
    const Case cases[] = {
        {"all on", [](frmContainers&) {}, ""},
        {"own flag", [](frmContainers& f) { f.chkInner.Enabled = false; }, "chkInner is disabled"},
        {"inner frame", [](frmContainers& f) { f.fraInner.Enabled = false; },
         "chkInner is disabled (its container fraInner is disabled)"},
        {"outer frame", [](frmContainers& f) { f.fraOuter.Enabled = false; },
         "chkInner is disabled (its container fraOuter is disabled)"},
        {"hidden", [](frmContainers& f) { f.chkInner.Visible = false; }, "chkInner is not visible"},
        {"hidden page", [](frmContainers& f) { f.fraOuter.Visible = false; },
         "chkInner is not visible (its container fraOuter is hidden)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmContainers& f = DefaultInstance<frmContainers>();
        c.setup(f);
        std::vector<std::string> failures;
        ScriptedUser user({st::Tick("frmContainers.chkInner"), st::Click("frmContainers.cmdClose")});
        user.OnFailure([&](const std::string& message) { failures.push_back(message); });
        ScopedUser on(user);
        f.Show(vbModal);
        user.Finish();
        bool refused = *c.refusal != '\0';
        EXPECT_EQ(f.chkInner.Value(), refused ? vbUnchecked : vbChecked);
        ASSERT_EQ(failures.size(), refused ? 1u : 0u);
        if (refused) {
            EXPECT_NE(failures[0].find(std::string(": ") + c.refusal), std::string::npos) << failures[0];
        }
        DiscardAllForms();
    }
}

TEST_F(FormTest, TheUserSeesOnlyEffectivelyVisibleControlsAndWhichAreDisabled) {
    frmContainers& f = DefaultInstance<frmContainers>();
    f.fraOuter.Caption = "Outer";
    f.fraInner.Enabled = false;
    f.Show();
    EXPECT_THAT(DescribeForm(f),
                ElementsAre("fraOuter: Frame \"Outer\"", "fraInner: Frame \"\" disabled",
                            "chkInner: CheckBox \"\" [ ] disabled", "cmdClose: CommandButton \"\" focus"));
    f.fraOuter.Visible = false;
    EXPECT_FALSE(f.chkInner.EffectiveVisible());
    EXPECT_TRUE(f.chkInner.Visible);
    EXPECT_THAT(DescribeForm(f), ElementsAre("cmdClose: CommandButton \"\" focus"));
}

class frmOptions : public Form {
public:
    frmOptions() : Form("frmOptions", "Options") {
        for (OptionButton* option :
             {&optEqpSubTask, &optEqpResAssgn, &optMatSubTask, &optMatResAssgn, &optA, &optB})
            option->Click = [this, option] { log.push_back(option->Name() + "_Click"); };
        optEqpResAssgn.SetValue(true);
        optMatResAssgn.SetValue(true);
        optA.SetValue(true);
        log.clear();
        cmdClose.Click = [this] { Unload(); };
    }
    Frame Frame2{*this, "Frame2"};
    OptionButton optEqpSubTask{*this, "optEqpSubTask", &Frame2};
    OptionButton optEqpResAssgn{*this, "optEqpResAssgn", &Frame2};
    Frame Frame3{*this, "Frame3"};
    OptionButton optMatSubTask{*this, "optMatSubTask", &Frame3};
    OptionButton optMatResAssgn{*this, "optMatResAssgn", &Frame3};
    OptionButton optA{*this, "optA"};
    OptionButton optB{*this, "optB"};
    CommandButton cmdClose{*this, "cmdClose"};
    std::vector<std::string> log;

    std::string Values() const {
        std::string out;
        for (const OptionButton* o :
             {&optEqpSubTask, &optEqpResAssgn, &optMatSubTask, &optMatResAssgn, &optA, &optB})
            out += o->Value() ? '1' : '0';
        return out;
    }
};

TEST_F(FormTest, OptionButtonsExcludeEachOtherOnlyInTheirContainer) {
    ScriptedUser user({st::Choose("frmOptions.optMatSubTask"), st::Choose("frmOptions.optB"),
                       st::Choose("frmOptions.optB"), st::Click("frmOptions.cmdClose")});
    Strict(user);
    ScopedUser on(user);
    frmOptions& f = DefaultInstance<frmOptions>();
    EXPECT_EQ(f.Values(), "010110");
    f.optEqpSubTask.SetValue(true);
    EXPECT_EQ(f.Values(), "100110");
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(f.Values(), "101001");
    // Only the chosen button clicks, and the user's click on a set button clicks again.
    EXPECT_THAT(f.log, ElementsAre("optEqpSubTask_Click", "optMatSubTask_Click", "optB_Click", "optB_Click"));
}

TEST_F(FormTest, OneDefaultInstancePerFormThatStartsFreshAfterUnload) {
    frmHooks& first = DefaultInstance<frmHooks>();
    EXPECT_EQ(&DefaultInstance<frmHooks>(), &first);
    EXPECT_NE(static_cast<Form*>(&DefaultInstance<frmOuter>()), static_cast<Form*>(&first));
    first.Tag = "NewChargeElement";
    EXPECT_FALSE(IsFormLoaded<frmHooks>());
    first.Load();
    EXPECT_TRUE(IsFormLoaded<frmHooks>());
    EXPECT_THAT(LoadedForms(), ElementsAre(&first));
    UnloadForm<frmInner>(); // not loaded: nothing happens, nothing is made
    EXPECT_FALSE(IsFormLoaded<frmInner>());

    UnloadForm<frmHooks>();
    EXPECT_FALSE(IsFormLoaded<frmHooks>());
    frmHooks& second = DefaultInstance<frmHooks>();
    EXPECT_NE(&second, &first);
    EXPECT_EQ(second.Tag, "");
    EXPECT_TRUE(second.log.empty());
    // The unloaded instance lives on until released, so its handlers may finish.
    EXPECT_EQ(first.Tag, "NewChargeElement");
    ReleaseUnloadedForms();
    EXPECT_EQ(&DefaultInstance<frmHooks>(), &second);
}

TEST_F(FormTest, TheCloseBoxAsksQueryUnloadWhichMayRefuse) {
    ScriptedUser user({st::CloseForm("frmHooks"), st::CloseForm("frmHooks")});
    Strict(user);
    ScopedUser on(user);
    frmHooks& f = DefaultInstance<frmHooks>();
    int asked = 0;
    f.onQueryUnload = [&](int16_t& Cancel, int16_t) { Cancel = ++asked == 1 ? 1 : 0; };
    f.Show(vbModal);
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(f.log, ElementsAre("Load visible=0 tag=", "Activate visible=1 tag=", "QueryUnload mode=0",
                                   "QueryUnload mode=0", "Unload"));
}

TEST_F(FormTest, UnloadAllFormsClosesWhatACommandLeftOpen) {
    frmOuter& outer = DefaultInstance<frmOuter>();
    frmInner& inner = DefaultInstance<frmInner>();
    outer.Show();
    inner.Load();
    UnloadAllForms();
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_EQ(outer.log.back(), "Unload");
    EXPECT_EQ(inner.log.back(), "Unload");
}

TEST_F(FormTest, EndClosesEveryFormAndStopsTheProgram) {
    ScriptedUser user({st::Click("frmOuter.cmdOK")});
    Strict(user);
    ScopedUser on(user);
    frmOuter& outer = DefaultInstance<frmOuter>();
    bool after = false;
    outer.onOK = [&] {
        End();
        after = true;
    };
    DefaultInstance<frmProgress>().Show();
    EXPECT_TRUE(RunUntilEnd([&] { outer.Show(vbModal); }));
    EXPECT_TRUE(user.Finish());
    EXPECT_FALSE(after);
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_EQ(outer.log.back(), "cmdOK_Click"); // no unload handlers run at End
    EXPECT_FALSE(RunUntilEnd([] {}));
}

} // namespace
} // namespace platform::forms
