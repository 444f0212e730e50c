#include "integration/connect/frmConnectProject.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dataobjects/ClassRegistration.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
using platform::middleware::Fault;
using ::testing::HasSubstr;
using ::testing::Not;
namespace st = steps;
namespace msp = platform::msproject;

constexpr char kForm[] = "frmConnectProject";

std::string Seed(const std::string& parameters = R"("transferEquipment": 1, "transferEmployees": 1,
    "dateTypeForScheduling": 2, "currency": "NOK", "defaultAvailabilityType": "SHIFT")",
                 const std::string& types = R"([{"code": "STANDARD"}, {"code": "SHIFT"}])") {
    return std::string(R"({
  "company": {"number": 7},
  "planningParameters": {)") +
           parameters + R"(},
  "availabilityTypes": )" +
           types + R"(,
  "projects": [
    {"id": "BRIDGE", "description": "Lasse bridge", "start": "2024-03-01", "finish": "2024-12-20",
     "leadingPlan": "MAIN",
     "plans": [
       {"id": "MAIN", "topChargeElement": "TOP",
        "chargeElements": [{"id": "TOP", "type": 1},
                           {"id": "DES", "type": 4, "parent": "TOP"},
                           {"id": "BLD", "type": 4, "parent": "TOP", "connectable": 2}]},
       {"id": "ALT"}]},
    {"id": "ROAD", "description": "Ring road", "leadingPlan": "R1",
     "plans": [{"id": "R1", "topChargeElement": "RTOP", "chargeElements": [{"id": "RTOP", "type": 1}]},
               {"id": "R2"}]},
    {"id": "EMPTY"}]
})";
}

// A scripted user that runs a check on the dialog each time it waits (before the step is taken).
class WatchingUser : public ScriptedUser {
public:
    using ScriptedUser::ScriptedUser;
    std::vector<std::function<void(frmConnectProject&)>> checks; // by wait, in order
    std::vector<std::vector<std::string>> sights;

    UserAction NextAction(Form& form) override {
        if (form.Name() == kForm) {
            sights.push_back(DescribeForm(form));
            size_t n = sights.size() - 1;
            if (n < checks.size() && checks[n]) checks[n](static_cast<frmConnectProject&>(form));
        }
        return ScriptedUser::NextAction(form);
    }
};

// How a control looked: its state as the user saw it, or "hidden".
std::string Shows(const std::vector<std::string>& sight, const std::string& control) {
    for (const std::string& line : sight)
        if (line.rfind(control + ": ", 0) == 0) return line.substr(control.size() + 2);
    return "hidden";
}

class ConnectDialog : public test::ConnectFixture {
protected:
    explicit ConnectDialog(const std::string& seed = Seed()) : ConnectFixture(seed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        ASSERT_TRUE(OpenKovaConnection()) << Err().Description;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        OpenLog();
        Err().Clear();
        frmConnectProject::ConnectRun = nullptr;
    }
    void TearDown() override {
        frmConnectProject::ConnectRun = nullptr;
        DiscardAllForms();
        ConnectFixture::TearDown();
    }

    // Shows the dialog modally and lets `user` drive it to its end.
    void Run(WatchingUser& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        DefaultInstance<frmConnectProject>().Show(vbModal);
        EXPECT_TRUE(user.Finish());
    }

    // Marks tasks of the plan as charge-element tasks: the first as the top with `topCode`.
    void AddChargeTasks(const std::string& topCode) {
        msp::Tasks tasks = Plan().Tasks();
        msp::Task top = tasks.Add("Top");
        top.SetFlag3(true);
        top.SetText1(topCode);
        top.SetText10("WBS Element");
        msp::Task child = tasks.Add("Child");
        child.SetFlag3(true);
        child.SetText1("DES");
        child.SetText10("Work Package");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }

    bool HasProperty(const std::string& name) const {
        for (msp::DocumentProperty p : Plan().CustomDocumentProperties())
            if (platform::automation::NamesEqual(p.Name(), name)) return true;
        return false;
    }

    static Step Cancel() { return st::Click("frmConnectProject.cmdCancel"); }
};

TEST_F(ConnectDialog, OpensWithTheCompanysProjectsAndTheFirstOneLoaded) {
    WatchingUser user({st::PickTab("frmConnectProject.tsrConnect", "&Resources"),
                       st::PickTab("frmConnectProject.tsrConnect", "&Budget"), Cancel()});
    Run(user);
    ASSERT_EQ(user.sights.size(), 3u);
    const auto& connection = user.sights[0];
    EXPECT_THAT(user.transcript().Text(),
                HasSubstr("show frmConnectProject \"Connect MS Project to Kova Project\" modal"));
    EXPECT_EQ(Shows(connection, "txtCompanyNo"), "TextBox \"7\"");
    EXPECT_EQ(Shows(connection, "lstKovaProject"), "ListBox [*\"BRIDGE\", \"ROAD\", \"EMPTY\"]");
    EXPECT_EQ(Shows(connection, "txtDescription"), "TextBox \"Lasse bridge\"");
    // The data library reads midnight as one second past it; the dialog shows the date's text.
    EXPECT_EQ(Shows(connection, "txtStartDate"), "TextBox \"3/1/2024 12:00:01 AM\"");
    EXPECT_EQ(Shows(connection, "txtFinishDate"), "TextBox \"12/20/2024 12:00:01 AM\"");
    EXPECT_EQ(Shows(connection, "cboPlan"), "ComboBox \"MAIN\" [\"MAIN\", \"ALT\"]");
    EXPECT_EQ(Shows(connection, "txtConnectionNode"), "TextBox \"TOP\"");
    EXPECT_EQ(Shows(connection, "cmdConnectionNode"), "CommandButton \"&Select Node\"");
    EXPECT_EQ(Shows(connection, "cmdConnectProject"), "CommandButton \"&Connect Project\"");
    EXPECT_EQ(Shows(connection, "cmbOwnership"), "ComboBox \"Kova\" [\"Kova\", \"MsP\"]");
    EXPECT_EQ(Shows(connection, "cboAvailabilityType"), "hidden");
    EXPECT_EQ(Shows(connection, "chkSort"), "hidden");

    // Planning parameters: equipment and employees, and always the standard charge elements.
    const auto& resources = user.sights[1];
    EXPECT_EQ(Shows(resources, "lstKovaProject"), "hidden");
    EXPECT_EQ(Shows(resources, "cboAvailabilityType"), "ComboBox \"SHIFT\" [\"STANDARD\", \"SHIFT\"]");
    EXPECT_EQ(Shows(resources, "chkResourcesToProject"),
              "CheckBox \"Transfer Resources/Cost Objects to Project\" [x]");
    EXPECT_EQ(Shows(resources, "lstResources"),
              "ListBox [*\"Equipment\", \"Trade Groups\", *\"Employees\", \"Material\", \"Labor\", "
              "\"Subcontracting\", \"Sundry\", *\"StandardChargeElements\", *\"ProjectEquipment\", "
              "\"ProjectMaterial\", \"ProjectLabor\", \"ProjectSubcontracting\", \"ProjectSundry\"] multi");

    const auto& budget = user.sights[2];
    EXPECT_EQ(Shows(budget, "chkSort"), "CheckBox \"Sort Activities based on Charge Element Code\" [x]");
    EXPECT_EQ(Shows(budget, "chkCreateActivity"),
              "CheckBox \"Create &Activitites based on Charge Breakdown Structure and Budget Lines\" [x]");
    for (const char* option :
         {"optEqpResAssgn", "optMatResAssgn", "optLabResAssgn", "optSubResAssgn", "optSunResAssgn"})
        EXPECT_THAT(Shows(budget, option), HasSubstr("(o)")) << option;
    for (const char* option :
         {"optEqpSubTask", "optMatSubTask", "optLabSubTask", "optSubSubTask", "optSunSubTask"})
        EXPECT_THAT(Shows(budget, option), HasSubstr("( )")) << option;

    EXPECT_EQ(
        user.transcript().Progress("frmIntegrationStatus.lblStatus"),
        (std::vector<std::string>{
            "Retrieving the Default Kova Company ...", "Building the Kova Project List...",
            "Retrieving the Defaults from Kova Parameters..... ", "Building the Availability Type List...",
            "Building the Kova Project Plan List.....", "Retrieving the Details of Selected Project....."}));
    EXPECT_EQ(LogText(), "Building the Kova Project Plan List.....\r\n");
}

TEST_F(ConnectDialog, TheRunGetsThePlanningDefaultsAndTheUsersChoices) {
    ConnectChoices seen;
    bool ran = false;
    frmConnectProject::ConnectRun = [&](frmConnectProject& dialog) {
        ran = true;
        seen = dialog.GatherChoices();
        dialog.Hide();
        dialog.Unload();
    };
    WatchingUser user({st::PickTab("frmConnectProject.tsrConnect", "&Budget"),
                       st::Choose("frmConnectProject.optMatSubTask"),
                       st::Choose("frmConnectProject.optSunSubTask"), st::Untick("frmConnectProject.chkSort"),
                       st::Click("frmConnectProject.cmdConnectProject")});
    Run(user);
    ASSERT_TRUE(ran);
    EXPECT_EQ(seen.node, "TOP");
    EXPECT_EQ(seen.ownership, 1);
    EXPECT_EQ(CurrentProjectData->Ownership, 1);
    EXPECT_EQ(seen.availabilityType, "SHIFT");
    EXPECT_EQ(seen.company, "7");
    EXPECT_EQ(seen.scheduleBase, 2);
    EXPECT_EQ(seen.currency, "NOK");
    std::array<bool, 13> transfer{};
    transfer[0] = transfer[2] = transfer[7] = transfer[8] = true;
    EXPECT_EQ(seen.transfer, transfer);
    EXPECT_TRUE(seen.matSubTask);
    EXPECT_TRUE(seen.sunSubTask);
    EXPECT_FALSE(seen.labSubTask || seen.eqpSubTask || seen.subSubTask);
    EXPECT_FALSE(seen.sort);
    EXPECT_TRUE(seen.createStructure);
    EXPECT_EQ(CurrentProjectData->ProjectCode, "BRIDGE");
    EXPECT_FALSE(IsFormLoaded<frmConnectProject>());
}

struct ParameterCase {
    const char* name;
    const char* parameters;
    std::vector<int> selected;
    bool ticked;
};

class PlanningDefaults : public ConnectDialog, public ::testing::WithParamInterface<ParameterCase> {
protected:
    PlanningDefaults() : ConnectDialog(Seed(GetParam().parameters)) {}
};

TEST_P(PlanningDefaults, SelectTheirResourceItems) {
    ScriptedUser user;
    ScopedUser on(user);
    frmConnectProject& dialog = DefaultInstance<frmConnectProject>();
    dialog.Load();
    std::vector<int> selected;
    for (int i = 0; i < dialog.lstResources.ListCount(); ++i)
        if (dialog.lstResources.Selected(i)) selected.push_back(i);
    EXPECT_EQ(selected, GetParam().selected);
    EXPECT_EQ(dialog.chkResourcesToProject.Value() == vbChecked, GetParam().ticked);
    EXPECT_EQ(dialog.lstResources.Enabled, GetParam().ticked);
    EXPECT_TRUE(user.Finish());
}

INSTANTIATE_TEST_SUITE_P(
    ConnectDialog, PlanningDefaults,
    ::testing::Values(ParameterCase{"Nothing", R"("transferEquipment": 0)", {7}, false},
                      ParameterCase{"TradeGroups", R"("transferTradeGroups": 1)", {1, 7}, true},
                      ParameterCase{"Labor", R"("transferLabor": 1)", {4, 7, 10}, true},
                      ParameterCase{"Subcontracting", R"("transferSubcontracting": 1)", {5, 7, 11}, true},
                      ParameterCase{"Sundry", R"("transferSundry": 1)", {6, 7, 12}, true},
                      ParameterCase{"Material", R"("transferMaterial": 1)", {3, 7, 9}, true}),
    [](const ::testing::TestParamInfo<ParameterCase>& info) { return std::string(info.param.name); });

TEST_F(ConnectDialog, UntickingTheBoxesDisablesWhatTheyGovern) {
    WatchingUser user({st::PickTab("frmConnectProject.tsrConnect", "&Resources"),
                       st::Untick("frmConnectProject.chkResourcesToProject"),
                       st::PickTab("frmConnectProject.tsrConnect", "&Budget"),
                       st::Untick("frmConnectProject.chkCreateActivity"), Cancel()});
    Run(user);
    ASSERT_EQ(user.sights.size(), 5u);
    EXPECT_EQ(Shows(user.sights[2], "lstResources"),
              "ListBox [\"Equipment\", \"Trade Groups\", \"Employees\", \"Material\", \"Labor\", "
              "\"Subcontracting\", \"Sundry\", *\"StandardChargeElements\", *\"ProjectEquipment\", "
              "\"ProjectMaterial\", \"ProjectLabor\", \"ProjectSubcontracting\", \"ProjectSundry\"] multi "
              "disabled");
    EXPECT_THAT(Shows(user.sights[3], "optMatSubTask"), Not(HasSubstr("disabled")));
    EXPECT_THAT(Shows(user.sights[4], "optMatSubTask"), HasSubstr("disabled"));
    EXPECT_THAT(Shows(user.sights[4], "optSunResAssgn"), HasSubstr("disabled"));
    EXPECT_THAT(Shows(user.sights[4], "chkSort"), Not(HasSubstr("disabled")));
}

TEST_F(ConnectDialog, OnlyEnterOrAMousePressLoadsAnotherProject) {
    WatchingUser user({st::PressKey("frmConnectProject.lstKovaProject", 'x'),
                       st::PressKey("frmConnectProject.lstKovaProject", 13),
                       st::Pick("frmConnectProject.lstKovaProject", "EMPTY"), Cancel()});
    // After a key that is not Enter, moving the selection (as the arrow keys do) loads nothing.
    user.checks = {nullptr, [](frmConnectProject& d) {
                       d.lstKovaProject.SetListIndex(1);
                       EXPECT_EQ(d.cboPlan.ListCount(), 2);
                       EXPECT_EQ(d.cboPlan.List(0), "MAIN");
                   }};
    Run(user);
    ASSERT_EQ(user.sights.size(), 4u);
    EXPECT_EQ(Shows(user.sights[2], "cboPlan"), "ComboBox \"R1\" [\"R1\", \"R2\"]");
    EXPECT_EQ(Shows(user.sights[2], "txtDescription"), "TextBox \"Ring road\"");
    EXPECT_EQ(Shows(user.sights[2], "txtConnectionNode"), "TextBox \"RTOP\"");
    EXPECT_EQ(Shows(user.sights[2], "txtStartDate"), "TextBox \"\"");
    // A project without plans: nothing to connect to.
    EXPECT_EQ(Shows(user.sights[3], "cboPlan"), "ComboBox \"\" []");
    EXPECT_EQ(Shows(user.sights[3], "cmdConnectProject"), "CommandButton \"&Connect Project\" disabled");
    EXPECT_EQ(Shows(user.sights[3], "cmdConnectionNode"), "CommandButton \"&Select Node\" disabled");
    EXPECT_THAT(LogText(), HasSubstr("No plans retrieved for project:EMPTY\r\n"));
    // Enter raises the key both down and up, a mouse press also clicks: each one loads.
    std::vector<std::string> load = {"Retrieving Kova Project Details.......",
                                     "Building the Kova Project Plan List.....",
                                     "Retrieving the Details of Selected Project.....", " ", " "};
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), load.begin(), load.end());
    EXPECT_EQ(user.transcript().Progress("frmConnectProject.sbrConnectProject"), expected);
}

// A typed ownership is stored as the text says, not by the list index it left alone.
TEST_F(ConnectDialog, ATypedOwnershipIsStoredAsItReads) {
    AddChargeTasks("TOP");
    ConnectChoices seen;
    frmConnectProject::ConnectRun = [&](frmConnectProject& dialog) {
        seen = dialog.GatherChoices();
        dialog.Hide();
        dialog.Unload();
    };
    WatchingUser user({st::Type("frmConnectProject.cmbOwnership", "MsP"),
                       st::Click("frmConnectProject.cmdConnectProject")});
    Run(user);
    EXPECT_EQ(seen.ownershipText, "MsP");
    EXPECT_EQ(seen.ownership, 2);
    EXPECT_EQ(CurrentProjectData->Ownership, 2);
}

// The plan check: by ownership, node and the charge-element tasks of the plan.
TEST_F(ConnectDialog, PlanCheckSettlesTheButtons) {
    struct Case {
        const char* title;
        std::string topTask; // "" for a plan without charge-element tasks
        std::vector<Step> steps;
        std::string box; // "" for none
        bool connect, chooseNode, defaultStructure;
        int32_t icon = vbExclamation;
    } cases[] = {
        {"KovaPlanWithoutTop",
         "",
         {st::Pick("frmConnectProject.cboPlan", "ALT"), st::Answer(vbOK)},
         "No plan selected or the Selected Plan has no Charge Elements defined",
         false,
         false,
         false},
        {"KovaPlanWithTop", "", {st::Pick("frmConnectProject.cboPlan", "MAIN")}, "", true, true, false},
        {"MsPNoTasksYes",
         "",
         {st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Answer(vbYes)},
         "There are no tasks in MsP representinga valid Kova CE.\r\nDo you want the existing structure in "
         "Kova to be transferred as the default structure in MsP?",
         true,
         true,
         true,
         vbQuestion},
        // A typed ownership gets the same check as a chosen one.
        {"MsPTypedNoTasksYes",
         "",
         {st::Type("frmConnectProject.cmbOwnership", "MsP"), st::Focus("frmConnectProject.lstKovaProject"),
          st::Answer(vbYes)},
         "There are no tasks in MsP representinga valid Kova CE.\r\nDo you want the existing structure in "
         "Kova to be transferred as the default structure in MsP?",
         true,
         true,
         true,
         vbQuestion},
        {"MsPNoNodeNoPlan",
         "TOP",
         {st::Type("frmConnectProject.txtConnectionNode", ""), st::Type("frmConnectProject.cboPlan", ""),
          st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Answer(vbOK)},
         "No plan selected ",
         true,
         true,
         false},
        {"MsPNoTasksNo",
         "",
         {st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Answer(vbNo), st::Answer(vbOK)},
         "There are no tasks in MsP representinga valid Kova CE. So ownership in MsP is not possible.",
         false,
         false,
         false},
        {"MsPSameTop", "TOP", {st::Pick("frmConnectProject.cmbOwnership", "MsP")}, "", true, true, false},
        {"MsPOtherTop",
         "XTOP",
         {st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Answer(vbOK)},
         "The selected node and highest summary task in MsP differ",
         false,
         true,
         false},
        {"MsPNoNodeTasks",
         "TOP",
         {st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Pick("frmConnectProject.cboPlan", "ALT")},
         "",
         true,
         true,
         false},
        {"MsPNoNodeNoTasks",
         "",
         {st::Pick("frmConnectProject.cmbOwnership", "MsP"), st::Answer(vbYes),
          st::Pick("frmConnectProject.cboPlan", "ALT"), st::Answer(vbOK)},
         "The are no tasks in MsP representing a Kova Charge Element",
         false,
         false,
         true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.title);
        app->FileNew(false);
        if (!c.topTask.empty()) AddChargeTasks(c.topTask);
        c.steps.push_back(Cancel());
        WatchingUser user(c.steps);
        bool defaultStructure = false;
        size_t waits = 0;
        for (const Step& step : c.steps)
            waits += step.kind == Step::Kind::Act;
        user.checks.resize(waits);
        user.checks.back() = [&](frmConnectProject& d) { defaultStructure = d.blnDefaultKovaStructure; };
        Run(user);
        const auto& last = user.sights.back();
        EXPECT_EQ(Shows(last, "cmdConnectProject").find("disabled") == std::string::npos, c.connect);
        EXPECT_EQ(Shows(last, "cmdConnectionNode").find("disabled") == std::string::npos, c.chooseNode);
        EXPECT_EQ(defaultStructure, c.defaultStructure);
        const auto& boxes = user.transcript().Boxes();
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes.back().box.prompt, c.box);
            EXPECT_EQ(boxes.back().box.title, "Kova Project - MsProject Integration");
            EXPECT_EQ(boxes.back().box.Icon(), c.icon);
        }
        ReleaseUnloadedForms();
    }
}

TEST_F(ConnectDialog, OwnershipSwitchesTheStructureCaptionAndFallsBackToKova) {
    AddChargeTasks("TOP");
    WatchingUser user({st::Pick("frmConnectProject.cmbOwnership", "MsP"),
                       st::Type("frmConnectProject.cmbOwnership", "Other"),
                       st::Focus("frmConnectProject.lstKovaProject"),
                       st::Pick("frmConnectProject.cmbOwnership", "Kova"), Cancel()});
    user.checks = {nullptr,
                   [](frmConnectProject& d) {
                       EXPECT_EQ(d.chkCreateActivity.Caption, "Create &ChBS in Kova based on activities");
                   },
                   nullptr, [](frmConnectProject& d) { EXPECT_EQ(d.cmbOwnership.Text(), "Kova"); },
                   [](frmConnectProject& d) {
                       EXPECT_EQ(d.chkCreateActivity.Caption,
                                 "Create &Activitites based on Charge Breakdown Structure and Budget Lines");
                   }};
    Run(user);
    // The ownership change re-ran the check without asking the ERP for the top element again.
    EXPECT_THAT(LogText(), Not(HasSubstr("Retrieving Top Charge Element")));
}

TEST_F(ConnectDialog, AnAvailabilityTypeMustBeOneOfTheList) {
    WatchingUser user({st::PickTab("frmConnectProject.tsrConnect", "&Resources"),
                       st::Type("frmConnectProject.cboAvailabilityType", "NIGHT"),
                       st::Focus("frmConnectProject.chkResourcesToProject"), st::Answer(vbOK),
                       st::Type("frmConnectProject.cboAvailabilityType", "STANDARD"),
                       st::Focus("frmConnectProject.chkResourcesToProject"), Cancel()});
    user.checks.resize(6);
    user.checks[3] = [](frmConnectProject& d) {
        EXPECT_EQ(d.ActiveControl(), &d.cboAvailabilityType);
        EXPECT_EQ(d.cboAvailabilityType.ListIndex(), -1);
    };
    user.checks[5] = [](frmConnectProject& d) {
        EXPECT_EQ(d.ActiveControl(), &d.chkResourcesToProject);
        EXPECT_EQ(d.cboAvailabilityType.ListIndex(), 0);
    };
    Run(user);
    const auto& boxes = user.transcript().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].box.prompt, "Select an existing Availability Type");
    EXPECT_EQ(boxes[0].box.title, "KovaProject - MsProject Integration");
}

TEST_F(ConnectDialog, ConnectChecksTheNodeAgainstTheStructure) {
    struct Case {
        const char* title;
        std::string node;
        bool faulty;
        std::string box;
        bool closes;
    } cases[] = {
        {"Connectable", "DES", false, "", true},
        {"NotConnectable", "BLD", false, "", false},
        {"Unknown", "NONE", false,
         "A Connection can not be made to the Selected Charge Element: NONE\r\n Charge BreakDown Structure "
         "Could not be retrieved !",
         false},
        {"Unreadable", "TOP", true,
         "A Connection can not be made to the Selected Charge Element: TOP\r\n Charge BreakDown Structure "
         "Could not be retrieved !",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<Step> steps = {st::Type("frmConnectProject.txtConnectionNode", c.node),
                                   st::Click("frmConnectProject.cmdConnectProject")};
        if (!c.box.empty()) steps.push_back(st::Answer(vbOK, c.box));
        if (!c.closes) steps.push_back(Cancel());
        WatchingUser user(steps);
        // The structure becomes unreadable only once the dialog is up.
        user.checks = {nullptr, [&](frmConnectProject&) {
                           if (c.faulty)
                               erp.Control().ArmFault(
                                   Fault::Error("ChargeElement.ChargeElementManager", "*", 5));
                       }};
        Run(user);
        if (!c.box.empty()) {
            ASSERT_EQ(user.transcript().Boxes().size(), 1u);
            EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbCritical);
            EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Kova Project - MsProject Integration");
        } else {
            EXPECT_TRUE(user.transcript().Boxes().empty());
        }
        // Without a connect run, the dialog closes at once when the node passed; else it waits again.
        EXPECT_EQ(user.sights.size(), c.closes ? 2u : 3u);
        erp.Control().ClearFaults();
        ReleaseUnloadedForms();
    }
}

TEST_F(ConnectDialog, CancelTakesTheConnectionPropertiesOutAgain) {
    for (const char* name : {"KovaProject", "KovaTransferEquipment", "OBSCode"})
        Plan().CustomDocumentProperties().Add(name, false, 4, std::string("x"));
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        WatchingUser user({closeBox ? st::CloseForm(kForm) : Cancel()});
        // A failure left from earlier must not count as a failed connection.
        user.checks = {[](frmConnectProject&) { Err().Raise(5); }};
        Run(user);
        EXPECT_EQ(Err().Number, 0);
        EXPECT_FALSE(IsFormLoaded<frmConnectProject>());
        EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
        EXPECT_FALSE(HasProperty("KovaProject"));
        EXPECT_FALSE(HasProperty("KovaTransferEquipment"));
        EXPECT_TRUE(HasProperty("OBSCode"));
        Plan().CustomDocumentProperties().Add("KovaProject", false, 4, std::string("x"));
        ReleaseUnloadedForms();
    }
}

TEST_F(ConnectDialog, HelpNamesTheManual) {
    WatchingUser user(
        {st::Click("frmConnectProject.cmdHelp"),
         st::Answer(vbOK, "Please refer to the User and Installation Manual(KPI-UIM-0102)\r\non "
                          "the Documentation CD"),
         Cancel()});
    Run(user);
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbInformation);
    EXPECT_EQ(user.transcript().Boxes()[0].box.title, "Kova Project - MsProject Integration");
}

class ConnectDialogWithoutProjects : public ConnectDialog {
protected:
    ConnectDialogWithoutProjects()
        : ConnectDialog(R"({"company": {"number": 9}, "planningParameters": {}})") {}
};

TEST_F(ConnectDialogWithoutProjects, ShowsEmptyListsAndLogsWhy) {
    WatchingUser user({Cancel()});
    Run(user);
    ASSERT_EQ(user.sights.size(), 1u);
    EXPECT_EQ(Shows(user.sights[0], "lstKovaProject"), "ListBox []");
    EXPECT_EQ(Shows(user.sights[0], "cboPlan"), "ComboBox \"\" []");
    EXPECT_EQ(Shows(user.sights[0], "cmdConnectProject"), "CommandButton \"&Connect Project\" disabled");
    EXPECT_EQ(CurrentProjectData->ProjectCode, "");
    std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("NO projects retrieved from company \r\n"));
    EXPECT_THAT(log, HasSubstr("No availability  type  retrieved \r\n"));
    EXPECT_TRUE(user.transcript().Boxes().empty());
}

TEST_F(ConnectDialog, AFailedProjectListIsShownToTheUser) {
    erp.Control().ArmFault(Fault::Error("Project.ProjectManager", "List", 17));
    WatchingUser user({st::Answer(vbOK, "Error While retrieving Project List "), Cancel()});
    Run(user);
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    EXPECT_EQ(user.transcript().Boxes()[0].box.Icon(), vbCritical);
    EXPECT_EQ(user.transcript().Boxes()[0].box.title, "KovaProject - MsProject Integration");
    ASSERT_FALSE(user.sights.empty());
    EXPECT_EQ(Shows(user.sights[0], "lstKovaProject"), "ListBox []");
    // Nothing after the failed list was fetched: no planning defaults, no availability types.
    EXPECT_EQ(DefaultInstance<frmConnectProject>().strDefaultAvailabilityType, "");
    // The failure's description, shortened as the log has it.
    EXPECT_EQ(LogText().rfind("   ", 0), 0u);
}

} // namespace
} // namespace Grantry
