#include "integration/budget/frmSaveBaseline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "dataobjects/ClassRegistration.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/SaveBaselineCommand.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::CStr;
using platform::automation::Date;
using platform::automation::Err;
using platform::automation::Variant;
using platform::middleware::Fault;
using ::testing::HasSubstr;
using ::testing::Not;
namespace st = steps;
namespace fs = std::filesystem;
namespace msp = platform::msproject;

constexpr char kForm[] = "frmSaveBaseline";
constexpr char kSynchronizeFirst[] =
    "Budget/Schedule must be synchronized before saving a Baseline\r\n\r\n"
    "Choose OK, if the schedule is already synchronized, to continue with saving the baseline in Kova";

std::string T(const char* name) {
    return std::string(kForm) + "." + name;
}

// Project BRIDGE of company 7, leading plan MAIN, linked with Bridge.mpp, and the baselines given.
std::string Seed(const std::string& baselines, const std::string& linkedFile = "Bridge.mpp") {
    return R"({"release": "tt7.1_a", "company": {"number": 7}, "planningParameters": {"currency": "EUR"},
               "projects": [{"id": "BRIDGE", "leadingPlan": "MAIN", "baselines": [)" +
           baselines + R"(], "plans": [{"id": "MAIN", "links": [
                   {"node": "BR", "ownership": 1, "externalSchedule": ")" +
           linkedFile + R"("}]}, {"id": "ALT"}]}]})";
}

constexpr char kBothKinds[] = R"({"id": 1, "description": "Contract baseline", "status": 2},
                                 {"id": 2, "description": "Design review", "status": 1},
                                 {"id": 4, "description": "Second approval", "status": 2})";

// A user that records how the dialog looked each time it waited.
class WatchingUser : public ScriptedUser {
public:
    using ScriptedUser::ScriptedUser;
    std::vector<std::vector<std::string>> sights;
    UserAction NextAction(Form& form) override {
        if (form.Name() == kForm) sights.push_back(DescribeForm(form));
        return ScriptedUser::NextAction(form);
    }
    // How `control` looked when the dialog waited the n-th time.
    std::string Shows(size_t sight, const std::string& control) const {
        if (sight >= sights.size()) return "not waited";
        for (const std::string& line : sights[sight])
            if (line.rfind(control + ": ", 0) == 0) return line.substr(control.size() + 2);
        return "hidden";
    }
};

// Each box the user saw: title, text and flags (buttons and icon).
std::vector<std::string> Boxes(const ScriptedUser& user) {
    std::vector<std::string> out;
    for (const auto& b : user.transcript().Boxes())
        out.push_back(b.box.title + "|" + b.box.prompt + "|" + std::to_string(b.box.flags));
    return out;
}
constexpr char kTitle[] = "Kova Project - MsProject Integration|";

struct Stored {
    int32_t status = 0;
    std::string description;
    int32_t derivedFrom = 0;
    std::string changed;
};

class SaveBaselineDialog : public test::ConnectFixture {
protected:
    explicit SaveBaselineDialog(const std::string& baselines = kBothKinds,
                                const std::string& linkedFile = "Bridge.mpp")
        : ConnectFixture(Seed(baselines, linkedFile)) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        erp.Control().SetNow(Date::FromParts(2024, 6, 1, 9));
        msp::Tasks tasks = Plan().Tasks();
        msp::Task design = tasks.Add("Design");
        design.SetStart(Date::FromParts(2024, 3, 4, 8));
        design.SetDuration(960.0);
        msp::Task build = tasks.Add("Build");
        build.SetStart(Date::FromParts(2024, 3, 11, 8));
        build.SetDuration(480.0);
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        Set("KovaCompany", int32_t{7});
        Set("KovaProject", std::string("BRIDGE"));
        Set("KovaProjectPlan", std::string("MAIN"));
        Set("KovaConnectionNode", std::string("BR"));
        Set("KovaBaseline", int32_t{9});
        fs::create_directories(erp.home() / "Plans");
        app->FileSaveAs((erp.home() / "Plans" / "Bridge.mpp").string());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        // Changed since the last save: the dialog's save shows.
        design.SetText(1, "BR10");
        ASSERT_FALSE(Plan().Saved());
        OpenLog();
        Err().Clear();
    }
    void TearDown() override {
        DiscardAllForms();
        ShowSaveBaselineDialog = nullptr;
        ConnectFixture::TearDown();
    }

    void Set(const char* name, const Variant& value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(value);
    }
    std::string Baseline() {
        Variant value;
        return ReadDocumentProperty("KovaBaseline", value) ? CStr(value) : "missing";
    }
    msp::Task Task(int id) { return Plan().Tasks().Item(id); }

    std::map<int32_t, Stored> ErpBaselines() {
        std::map<int32_t, Stored> out;
        auto db = erp.Open();
        auto st = db->Prepare(
            "SELECT baseline_id, status, description, derived_from, changed_ts FROM baseline "
            "WHERE project_id = 'BRIDGE'");
        while (st.Step())
            out[static_cast<int32_t>(st.Int(0))] = {static_cast<int32_t>(st.Int(1)), st.Text(2),
                                                    static_cast<int32_t>(st.Int(3)), st.Text(4)};
        return out;
    }

    // The dialog as the command shows it: connection open, project data loaded, log open.
    void Run(WatchingUser& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        ASSERT_TRUE(OpenKovaConnection()) << Err().Description;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        LoadProjectDataFromProperties();
        InstallSaveBaselineDialog();
        ShowSaveBaselineDialog();
        EXPECT_TRUE(user.Finish());
        EXPECT_FALSE(IsFormLoaded<frmSaveBaseline>());
    }
};

TEST_F(SaveBaselineDialog, OpensWithThePlansBaselineChosenAndTheErpChoicesOffered) {
    WatchingUser user({st::Click(T("cmdCancel"))});
    Run(user);
    EXPECT_THAT(user.transcript().Text(), HasSubstr("show frmSaveBaseline \"Save Baseline\" modal"));
    // The leading plan: the ERP box can be ticked, the rest waits for it.
    EXPECT_EQ(user.sights.at(0),
              (std::vector<std::string>{
                  "fraMSProjectBaseline: Frame \"MS Project Baseline\"",
                  "optSaveMSBaseline: OptionButton \"Save Baseline\" (o) focus",
                  "optSaveInterimPlan: OptionButton \"Save Interim Plan\" ( )",
                  "cboSavePlanInto: ComboBox \"Start1/Finish1\" [*\"Start1/Finish1\", \"Start2/Finish2\", "
                  "\"Start3/Finish3\", \"Start4/Finish4\", \"Start5/Finish5\", \"Start6/Finish6\", "
                  "\"Start7/Finish7\", \"Start8/Finish8\", \"Start9/Finish9\", \"Start10/Finish10\"] list disabled",
                  "fraMSBaselineOptions: Frame \" \"",
                  "lblEntireOrSelectedProject: Label \"For\"",
                  "optEntireProject: OptionButton \"Entire Project\" (o)",
                  "optSelectedTask: OptionButton \"Selected tasks\" ( )",
                  "fraBaseline: Frame \"Kova Baseline\"",
                  "chkSaveKovaBaseline: CheckBox \"Save Baseline\" [ ]",
                  "optCreateKovaBaseline: OptionButton \"Create a new Baseline\" ( ) disabled",
                  "txtBaselineDescription: TextBox \"\"",
                  "chkDerivedFrom: CheckBox \"Derived from Approved Baseline\" [ ] disabled",
                  "cboApproved: ComboBox \"\" [] list disabled",
                  "optUpdateKovaBaseline: OptionButton \"Update existing Baseline\" ( ) disabled",
                  "cboBaseline: ComboBox \"\" [] list disabled",
                  "cmdContinue: CommandButton \"C&ontinue..\" default",
                  "cmdCancel: CommandButton \"&Cancel\" cancel",
              }));
    EXPECT_EQ(DefaultInstance<frmSaveBaseline>().cboSavePlanInto.ToolTipText,
              "Select the MS Project Interim plan into which the current plan must be saved");
    EXPECT_EQ(LogText(), "Process Cancelled ...\r\n");
    // Cancel saves nothing.
    EXPECT_EQ(Task(1).BaselineStart(), Variant("NA"));
    EXPECT_FALSE(Plan().Saved());
    EXPECT_EQ(ErpBaselines().size(), 3u);
}

TEST_F(SaveBaselineDialog, ANewErpBaselineIsCreatedRecordedAndThePlanSaved) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Type(T("txtBaselineDescription"), "Before tender"), st::Click(T("cmdContinue")),
                       st::Answer(vbOK, kSynchronizeFirst)});
    Run(user);
    const auto stored = ErpBaselines();
    ASSERT_EQ(stored.count(5), 1u);
    EXPECT_EQ(stored.at(5).description, "Before tender");
    EXPECT_EQ(stored.at(5).status, 1);
    EXPECT_EQ(stored.at(5).derivedFrom, 0);
    EXPECT_EQ(Baseline(), "5");
    EXPECT_EQ(Task(1).BaselineStart(), Variant(Date::FromParts(2024, 3, 4, 8)));
    EXPECT_EQ(Task(2).BaselineFinish(), Variant(Date::FromParts(2024, 3, 11, 17)));
    EXPECT_EQ(Task(1).StartN(1), Variant("NA"));
    EXPECT_TRUE(Plan().Saved());
    EXPECT_EQ(LogText(), "");
}

TEST_F(SaveBaselineDialog, AFreeBaselineIsUpdatedAndItsOwnNumberRecorded) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optUpdateKovaBaseline")),
                       st::Click(T("cmdContinue")), st::Answer(vbOK, kSynchronizeFirst)});
    Run(user);
    // Only the free baseline is offered, "number: description", the first one chosen.
    EXPECT_EQ(user.Shows(2, "cboBaseline"), "ComboBox \"2: Design review\" [*\"2: Design review\"] list");
    EXPECT_THAT(user.Shows(2, "txtBaselineDescription"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(2, "chkDerivedFrom"), HasSubstr("disabled"));
    const auto stored = ErpBaselines();
    EXPECT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored.at(2).changed, "20240601090000");
    EXPECT_EQ(Baseline(), "2");
    EXPECT_EQ(LogText(), "Retrieving Baselines from Kova... \r\n");
    EXPECT_TRUE(Plan().Saved());
}

TEST_F(SaveBaselineDialog, ANewBaselineDerivesFromTheChosenApprovedOne) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Tick(T("chkDerivedFrom")), st::Pick(T("cboApproved"), "4:Second approval"),
                       st::Type(T("txtBaselineDescription"), "Derived"), st::Click(T("cmdContinue")),
                       st::Answer(vbOK, kSynchronizeFirst)});
    Run(user);
    EXPECT_EQ(user.Shows(3, "cboApproved"),
              "ComboBox \"1:Contract baseline\" [*\"1:Contract baseline\", \"4:Second approval\"] list");
    const auto stored = ErpBaselines();
    ASSERT_EQ(stored.count(5), 1u);
    EXPECT_EQ(stored.at(5).derivedFrom, 4);
    EXPECT_EQ(stored.at(5).description, "Derived");
    EXPECT_EQ(Baseline(), "5");
    EXPECT_EQ(LogText(), "Retrieving approved Baselines from Kova ... \r\n");
}

// Clearing the ERP box takes every ERP choice away; ticking it again brings back what the chosen
// process needs.
TEST_F(SaveBaselineDialog, ClearingTheErpBoxDisablesItsChoices) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Tick(T("chkDerivedFrom")), st::Untick(T("chkSaveKovaBaseline")),
                       st::Tick(T("chkSaveKovaBaseline")), st::Click(T("cmdCancel"))});
    Run(user);
    for (const char* control : {"optCreateKovaBaseline", "optUpdateKovaBaseline", "txtBaselineDescription",
                                "chkDerivedFrom", "cboApproved", "cboBaseline"}) {
        SCOPED_TRACE(control);
        EXPECT_THAT(user.Shows(4, control), HasSubstr("disabled"));
        const bool stillDisabled = user.Shows(5, control).find("disabled") != std::string::npos;
        EXPECT_EQ(stillDisabled, control == std::string("cboBaseline"));
    }
}

// A press that the checks refuse keeps the dialog open and saves no baseline in the plan; the next,
// valid press saves it once.
TEST_F(SaveBaselineDialog, RefusedInputSavesNothingAndKeepsTheDialogOpen) {
    struct Case {
        const char* name;
        std::vector<Step> choices;
        const char* message;
    } cases[] = {
        {"ERP box without a process", {st::Tick(T("chkSaveKovaBaseline"))},
         "Please choose to create a new Baseline or update an existing one."},
        {"blank description",
         {st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
          st::Type(T("txtBaselineDescription"), "   ")},
         "Cannot leave the Baseline Description Empty"},
        {"create chosen, then the ERP box cleared",
         {st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
          st::Untick(T("chkSaveKovaBaseline"))},
         "Cannot leave the Baseline Description Empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Task(1).SetStart(Date::FromParts(2024, 3, 5, 8));
        Set("KovaBaseline", int32_t{9});
        std::vector<Step> script = c.choices;
        script.push_back(st::Click(T("cmdContinue")));
        script.push_back(st::Answer(vbOK, c.message));
        script.push_back(st::Click(T("cmdCancel")));
        WatchingUser user(script);
        Run(user);
        EXPECT_EQ(Boxes(user), (std::vector<std::string>{kTitle + std::string(c.message) + "|16"}));
        EXPECT_EQ(Task(1).BaselineStart(), Variant("NA"));
        EXPECT_EQ(Baseline(), "9");
        EXPECT_EQ(ErpBaselines().size(), 3u);
        EXPECT_NE(user.Shows(c.choices.size() + 1, "cmdCancel"), "not waited");
        EXPECT_EQ(LogText(), "Process Cancelled ...\r\n");
        OpenLog();
    }
}

// The refusal leaves the baseline to the next press, which the user has put right.
TEST_F(SaveBaselineDialog, ThePressAfterARefusalSavesTheBaseline) {
    // The plan moves between the two presses: the baseline holds the dates of the second.
    class MovingUser : public WatchingUser {
    public:
        MovingUser(std::vector<Step> steps, msp::Task task) : WatchingUser(std::move(steps)), task_(task) {}
        UserAction NextAction(Form& form) override {
            if (sights.size() == 2) task_.SetStart(Date::FromParts(2024, 3, 6, 8));
            return WatchingUser::NextAction(form);
        }

    private:
        msp::Task task_;
    };
    MovingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Click(T("cmdContinue")),
                     st::Answer(vbOK, "Please choose to create a new Baseline or update an existing one."),
                     st::Untick(T("chkSaveKovaBaseline")), st::Click(T("cmdContinue"))},
                    Task(1));
    Run(user);
    EXPECT_EQ(Task(1).BaselineStart(), Variant(Date::FromParts(2024, 3, 6, 8)));
    EXPECT_EQ(Baseline(), "9");
    EXPECT_TRUE(Plan().Saved());
}

TEST_F(SaveBaselineDialog, CancelAtTheSynchronisationWarningStillSavesThePlan) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Type(T("txtBaselineDescription"), "Not now"), st::Click(T("cmdContinue")),
                       st::Answer(vbCancel, kSynchronizeFirst)});
    Run(user);
    EXPECT_EQ(ErpBaselines().size(), 3u);
    EXPECT_EQ(Baseline(), "9");
    EXPECT_EQ(Task(1).BaselineStart(), Variant(Date::FromParts(2024, 3, 4, 8)));
    EXPECT_TRUE(Plan().Saved());
}

// The list position is the interim plan; left untouched the list saves into the first, the one it
// shows. The ERP baseline saved with it is recorded as with the baseline.
TEST_F(SaveBaselineDialog, AnInterimPlanGoesIntoTheChosenStartAndFinishFields) {
    const std::pair<const char*, int> cases[] = {{nullptr, 1}, {"Start1/Finish1", 1}, {"Start5/Finish5", 5},
                                                 {"Start10/Finish10", 10}};
    int32_t next = 5;
    for (const auto& [entry, position] : cases) {
        SCOPED_TRACE(position);
        for (int n = 1; n <= 10; ++n)
            Task(1).SetStartN(n, Variant("NA"));
        std::vector<Step> script = {st::Choose(T("optSaveInterimPlan"))};
        if (entry) script.push_back(st::Pick(T("cboSavePlanInto"), entry));
        for (Step s : {st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Type(T("txtBaselineDescription"), "Interim"), st::Click(T("cmdContinue")),
                       st::Answer(vbOK, kSynchronizeFirst)})
            script.push_back(s);
        WatchingUser user(script);
        Run(user);
        for (int n = 1; n <= 10; ++n)
            EXPECT_EQ(Task(1).StartN(n), n == position ? Variant(Date::FromParts(2024, 3, 4, 8)) : Variant("NA"))
                << n;
        EXPECT_EQ(Task(2).FinishN(position), Variant(Date::FromParts(2024, 3, 11, 17)));
        EXPECT_EQ(Task(1).BaselineStart(), Variant("NA"));
        EXPECT_EQ(Baseline(), std::to_string(next++));
    }
}

// Should the list lose its choice, the plan still goes into the interim plan the list shows, never
// into the baseline.
TEST_F(SaveBaselineDialog, AnInterimPlanWithoutAChosenEntryGoesIntoTheFirst) {
    WatchingUser user({st::Choose(T("optSaveInterimPlan")), st::Click(T("cmdContinue"))});
    DefaultInstance<frmSaveBaseline>().Load();
    DefaultInstance<frmSaveBaseline>().cboSavePlanInto.SetListIndex(-1);
    Run(user);
    EXPECT_EQ(Task(1).StartN(1), Variant(Date::FromParts(2024, 3, 4, 8)));
    EXPECT_EQ(Task(1).BaselineStart(), Variant("NA"));
}

TEST_F(SaveBaselineDialog, TheSelectedTasksOnlyWhenAsked) {
    app->SelectRow(2, false);
    WatchingUser user({st::Choose(T("optSelectedTask")), st::Click(T("cmdContinue"))});
    Run(user);
    EXPECT_EQ(Task(1).BaselineStart(), Variant("NA"));
    EXPECT_EQ(Task(2).BaselineStart(), Variant(Date::FromParts(2024, 3, 11, 8)));
}

TEST_F(SaveBaselineDialog, TheDescriptionTakesThirtyCharactersAndThenNoKeyAtAll) {
    WatchingUser user({st::Type(T("txtBaselineDescription"), "123456789012345678901234567890X"),
                       st::PressKey(T("txtBaselineDescription"), vbKeyBack), st::Click(T("cmdCancel"))});
    Run(user);
    EXPECT_EQ(user.Shows(1, "txtBaselineDescription"), "TextBox \"123456789012345678901234567890\" focus");
    EXPECT_EQ(user.Shows(2, "txtBaselineDescription"), "TextBox \"123456789012345678901234567890\" focus");
}

TEST_F(SaveBaselineDialog, AnErpRefusalIsLoggedAndThePlanStillSaved) {
    erp.Control().ArmFault(Fault::Error("Baseline.BaselineManager", "createBaseline", 5, 0, "Refused today"));
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Type(T("txtBaselineDescription"), "Refused"), st::Click(T("cmdContinue")),
                       st::Answer(vbOK, kSynchronizeFirst)});
    Run(user);
    EXPECT_EQ(Baseline(), "9");
    EXPECT_EQ(LogText(), "Baseline could not be created\r\nRefused today\r\n");
    EXPECT_EQ(Task(1).BaselineStart(), Variant(Date::FromParts(2024, 3, 4, 8)));
    EXPECT_TRUE(Plan().Saved());
}

// ERP failures while the dialog reads are logged as they are, and the dialog goes on.
TEST_F(SaveBaselineDialog, ErpFailuresWhileReadingAreLoggedAndTheDialogGoesOn) {
    {
        SCOPED_TRACE("the leading-plan test");
        int fault = erp.Control().ArmFault(Fault::Error("Project.ProjectManager", "Show", 17, 0, "Project locked"));
        WatchingUser user({st::Click(T("cmdCancel"))});
        Run(user);
        EXPECT_THAT(user.Shows(0, "chkSaveKovaBaseline"), HasSubstr("disabled"));
        EXPECT_EQ(Boxes(user), std::vector<std::string>{});
        EXPECT_EQ(LogText(), "Project locked\r\nProcess Cancelled ...\r\n");
        erp.Control().DisarmFault(fault);
    }
    {
        SCOPED_TRACE("the baseline lists");
        OpenLog();
        erp.Control().ArmFault(Fault::Error("Baseline.BaselineManager", "List", 17));
        WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optUpdateKovaBaseline")),
                           st::Choose(T("optCreateKovaBaseline")), st::Tick(T("chkDerivedFrom")),
                           st::AnswerContaining(vbOK, "No Approved baselines"), st::Click(T("cmdCancel"))});
        Run(user);
        EXPECT_EQ(LogText(), "Retrieving Baselines from Kova... \r\nBaselineList could not be created\r\n"
                             "Retrieving approved Baselines from Kova ... \r\nBaselineList could not be created\r\n"
                             "Process Cancelled ...\r\n");
    }
}

class OneOfEach : public SaveBaselineDialog {
protected:
    OneOfEach()
        : SaveBaselineDialog(R"({"id": 1, "description": "Approved", "status": 2},
                                {"id": 2, "description": "Free", "status": 1})") {}
};

// Back from the update to the new baseline, the derived choice and its list are there again, and
// the lists are not fetched a second time.
TEST_F(OneOfEach, ReturningToANewBaselineKeepsTheDerivedChoice) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Tick(T("chkDerivedFrom")), st::Choose(T("optUpdateKovaBaseline")),
                       st::Choose(T("optCreateKovaBaseline")), st::Type(T("txtBaselineDescription"), "Again"),
                       st::Click(T("cmdContinue")), st::Answer(vbOK, kSynchronizeFirst)});
    Run(user);
    EXPECT_THAT(user.Shows(4, "cboApproved"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(4, "cboBaseline"), Not(HasSubstr("disabled")));
    EXPECT_EQ(user.Shows(5, "cboApproved"), "ComboBox \"1:Approved\" [*\"1:Approved\"] list");
    EXPECT_THAT(user.Shows(5, "cboBaseline"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(5, "txtBaselineDescription"), Not(HasSubstr("disabled")));
    EXPECT_EQ(ErpBaselines().at(3).derivedFrom, 1);
    EXPECT_EQ(Baseline(), "3");
    EXPECT_EQ(LogText(), "Retrieving approved Baselines from Kova ... \r\nRetrieving Baselines from Kova... \r\n");
}

// The second choice of the update finds its list filled: it still takes the derived choice away.
TEST_F(OneOfEach, ChoosingTheUpdateAgainDisablesTheDerivedChoice) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optUpdateKovaBaseline")),
                       st::Choose(T("optCreateKovaBaseline")), st::Tick(T("chkDerivedFrom")),
                       st::Choose(T("optUpdateKovaBaseline")), st::Click(T("cmdCancel"))});
    Run(user);
    EXPECT_EQ(user.Shows(4, "cboApproved"), "ComboBox \"1:Approved\" [*\"1:Approved\"] list");
    EXPECT_THAT(user.Shows(5, "cboApproved"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(5, "chkDerivedFrom"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(5, "cboBaseline"), Not(HasSubstr("disabled")));
}

class WithoutApprovedBaselines : public SaveBaselineDialog {
protected:
    WithoutApprovedBaselines() : SaveBaselineDialog(R"({"id": 1, "description": "Free", "status": 1})") {}
};

TEST_F(WithoutApprovedBaselines, DerivingIsRefusedWithTheProjectAndTheBoxClearedAgain) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Tick(T("chkDerivedFrom")),
                       st::Answer(vbOK), st::Click(T("cmdCancel"))});
    Run(user);
    EXPECT_EQ(Boxes(user), (std::vector<std::string>{"KovaProject - MS Project Integration| No Approved "
                                                     "baselines in Kova for the Project : BRIDGE|0"}));
    EXPECT_THAT(user.Shows(3, "chkDerivedFrom"), HasSubstr("[ ]"));
    EXPECT_THAT(user.Shows(3, "cboApproved"), HasSubstr("disabled"));
}

class WithoutBaselines : public SaveBaselineDialog {
protected:
    WithoutBaselines() : SaveBaselineDialog("") {}
};

TEST_F(WithoutBaselines, UpdateIsDisabledWithoutAMessageAndDerivingLogsTheEmptyList) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optUpdateKovaBaseline")),
                       st::Choose(T("optCreateKovaBaseline")), st::Tick(T("chkDerivedFrom")),
                       st::AnswerContaining(vbOK, "No Approved baselines"), st::Click(T("cmdCancel"))});
    Run(user);
    EXPECT_THAT(user.Shows(2, "optUpdateKovaBaseline"), HasSubstr("disabled"));
    EXPECT_THAT(user.Shows(2, "cboBaseline"), HasSubstr("disabled"));
    EXPECT_EQ(LogText(), "Retrieving Baselines from Kova... \r\nNo BaseLines retrieved \r\n"
                         "Retrieving approved Baselines from Kova ... \r\nNo BaseLines retrieved \r\n"
                         "Process Cancelled ...\r\n");
}

class LinkedToAnotherPlan : public SaveBaselineDialog {
protected:
    LinkedToAnotherPlan() : SaveBaselineDialog(kBothKinds, "Other.mpp") {}
};

TEST_F(LinkedToAnotherPlan, TheErpBaselineIsAbortedAndThePlanNotSaved) {
    WatchingUser user({st::Tick(T("chkSaveKovaBaseline")), st::Choose(T("optCreateKovaBaseline")),
                       st::Type(T("txtBaselineDescription"), "Elsewhere"), st::Click(T("cmdContinue")),
                       st::Answer(vbOK)});
    Run(user);
    EXPECT_EQ(Boxes(user), (std::vector<std::string>{std::string(kTitle) +
                                                     "The Current Project is not linked to Kova. The "
                                                     "connection is made with Other.mpp|16"}));
    EXPECT_EQ(ErpBaselines().size(), 3u);
    EXPECT_EQ(LogText(), "The Process of Saving the Baseline is aborted ....\r\n");
    EXPECT_FALSE(Plan().Saved());
}

class NotTheLeadingPlan : public SaveBaselineDialog {
protected:
    void SetUp() override {
        SaveBaselineDialog::SetUp();
        Set("KovaProjectPlan", std::string("ALT"));
    }
};

TEST_F(NotTheLeadingPlan, TheErpBoxStaysDisabledAfterTheMessage) {
    WatchingUser user({st::Answer(vbOK), st::Click(T("cmdContinue"))});
    Run(user);
    EXPECT_EQ(Boxes(user), (std::vector<std::string>{std::string(kTitle) +
                                                     "The current connected Plan is not the leading plan\r\n\r\n"
                                                     "You will not be able to save a Baseline for the "
                                                     "connected Kova Project from this Plan |0"}));
    EXPECT_THAT(user.Shows(0, "chkSaveKovaBaseline"), HasSubstr("disabled"));
    // The plan's baseline is saved all the same.
    EXPECT_EQ(Task(1).BaselineStart(), Variant(Date::FromParts(2024, 3, 4, 8)));
    EXPECT_TRUE(Plan().Saved());
}

} // namespace
} // namespace Grantry
