#include "integration/connect/frmConnectionDetail.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "dataobjects/ClassRegistration.h"
#include "integration/connect/ConnectRun.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/ConnectionDetailsCommand.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::CStr;
using platform::automation::Err;
using platform::automation::Variant;
using ::testing::HasSubstr;
namespace st = steps;
namespace fs = std::filesystem;
namespace msp = platform::msproject;

constexpr char kForm[] = "frmConnectionDetail";

// Company 7; the ERP links BRIDGE/MAIN at node TOP with the plan file `linkedFile`.
std::string Seed(const std::string& linkedFile) {
    return R"({"release": "tt7.1_a", "company": {"number": 7}, "planningParameters": {"currency": "EUR"},
               "availabilityTypes": [{"code": "STANDARD"}, {"code": "SHIFT"}],
               "projects": [{"id": "BRIDGE", "plans": [{"id": "MAIN", "links": [
                   {"node": "TOP", "ownership": 2, "externalSchedule": ")" +
           linkedFile + R"("}]}]}]})";
}

std::string T(const char* name) {
    return std::string(kForm) + "." + name;
}

// A user that records how the dialog looked each time it waited.
class WatchingUser : public ScriptedUser {
public:
    using ScriptedUser::ScriptedUser;
    std::vector<std::vector<std::string>> sights;
    UserAction NextAction(Form& form) override {
        if (form.Name() == kForm) sights.push_back(DescribeForm(form));
        return ScriptedUser::NextAction(form);
    }
};

std::string Shows(const std::vector<std::string>& sight, const std::string& control) {
    for (const std::string& line : sight)
        if (line.rfind(control + ": ", 0) == 0) return line.substr(control.size() + 2);
    return "hidden";
}

class ConnectionDetail : public test::ConnectFixture {
protected:
    explicit ConnectionDetail(const std::string& linkedFile = "Bridge.mpp")
        : ConnectFixture(Seed(linkedFile)) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        fs::create_directories(erp.home() / "Plans");
        app->FileSaveAs((erp.home() / "Plans" / "Bridge.mpp").string());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        Err().Clear();
    }
    void TearDown() override {
        DiscardAllForms();
        ShowConnectionDetailsDialog = nullptr;
        ConnectFixture::TearDown();
    }

    // Every integration property, then the connection of BRIDGE/MAIN with the options given.
    void ConnectedPlan(int32_t ownership = 2) {
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        Set("KovaCompany", int32_t{7});
        Set("KovaProject", std::string("BRIDGE"));
        Set("KovaProjectDescription", std::string("Lasse bridge"));
        Set("KovaProjectBudgetCombination", int32_t{2});
        Set("KovaProjectPlan", std::string("MAIN"));
        Set("KovaConnectionNode", std::string("TOP"));
        Set("KovaProjectStartDate", platform::automation::Date::FromParts(2024, 3, 1));
        Set("KovaBaseline", int32_t{3});
        Set("OwnershipChBSAndBudgQty", ownership);
        Set("KovaScheduleBase", int32_t{2});
        Set("KovaAvailabilityType", std::string("SHIFT"));
        Set("KovaTransferEquipment", true);
        Set("KovaTransferProjectSundry", true);
        Set("KovaMatBudgLnAsSubTask", true);
        Set("DeleteKovaMSPTask", true);
        Set("SortTasksOnCECode", false);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    void Set(const char* name, const Variant& value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(value);
    }
    std::string Get(const char* name) {
        Variant value;
        if (!ReadDocumentProperty(name, value)) return "missing";
        return CStr(value);
    }
    std::map<std::string, std::string> AllProperties() {
        std::map<std::string, std::string> all;
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            all[d.name] = Get(d.name);
        return all;
    }

    // The dialog as the command shows it: connection open, project data loaded.
    void Run(WatchingUser& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        ASSERT_TRUE(OpenKovaConnection()) << Err().Description;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        LoadProjectDataFromProperties();
        DefaultInstance<frmConnectionDetail>().Show(vbModal);
        EXPECT_TRUE(user.Finish());
        EXPECT_FALSE(IsFormLoaded<frmConnectionDetail>());
    }
};

TEST_F(ConnectionDetail, ShowsThePlansConnectionAndOptionsAndCancelChangesNothing) {
    ConnectedPlan();
    const auto before = AllProperties();
    WatchingUser user({st::PickTab(T("tsrConnectionDetails"), "&Resources"),
                       st::PickTab(T("tsrConnectionDetails"), "&Budget/Schedule"),
                       st::Untick(T("chkDeleteTask")), st::Click(T("cmdCancel"))});
    Run(user);
    ASSERT_EQ(user.sights.size(), 4u);
    EXPECT_THAT(user.transcript().Text(),
                HasSubstr("show frmConnectionDetail \"Kova Connection Details\" modal"));
    const auto& connection = user.sights[0];
    EXPECT_EQ(Shows(connection, "txtCompanyNumber"), "TextBox \"7\"");
    EXPECT_EQ(Shows(connection, "txtKovaProject"), "TextBox \"BRIDGE\"");
    EXPECT_EQ(Shows(connection, "txtBudgetCombination"), "TextBox \"Element / Activity\"");
    EXPECT_EQ(Shows(connection, "txtDescription"), "TextBox \"Lasse bridge\"");
    EXPECT_EQ(Shows(connection, "txtStartDate"), "TextBox \"3/1/2024\"");
    EXPECT_EQ(Shows(connection, "txtFinishDate"), "TextBox \"\""); // the zero date
    EXPECT_EQ(Shows(connection, "txtPlan"), "TextBox \"MAIN\"");
    EXPECT_EQ(Shows(connection, "txtConnectionNode"), "TextBox \"TOP\"");
    EXPECT_EQ(Shows(connection, "txtKovaBaseline"), "TextBox \"3\"");
    EXPECT_EQ(Shows(connection, "cmbOwnership"), "ComboBox \"MsP\" [*\"MsP\", \"Transfer to Kova\"]");
    EXPECT_EQ(Shows(connection, "lstResourceType"), "hidden");

    const auto& resources = user.sights[1];
    EXPECT_EQ(Shows(resources, "txtKovaProject"), "hidden");
    EXPECT_EQ(Shows(resources, "lstResourceType"),
              "ListBox [*\"Equipment\", \"Trade Groups\", \"Employees\", \"Material\", \"Labor\", "
              "\"Subcontracting\", \"Sundry\", \"Standard Charge Elements\", \"ProjectEquipment\", "
              "\"ProjectMaterial\", \"ProjectLabor\", \"ProjectSubcontracting\", *\"ProjectSundry\"] multi");
    EXPECT_EQ(Shows(resources, "cboAvailabilityType"), "ComboBox \"SHIFT\" [\"STANDARD\", \"SHIFT\"]");

    const auto& budget = user.sights[2];
    EXPECT_THAT(Shows(budget, "cboDateType"), HasSubstr("\"Early Dates\""));
    EXPECT_THAT(Shows(budget, "optMatSubTask"), HasSubstr("(o)"));
    EXPECT_THAT(Shows(budget, "optLabResAssgn"), HasSubstr("(o)"));
    EXPECT_THAT(Shows(budget, "optLabSubTask"), HasSubstr("( )"));
    EXPECT_THAT(Shows(budget, "chkDeleteTask"), HasSubstr("[x]"));
    EXPECT_THAT(Shows(budget, "chkDeleteBudgetLines"), HasSubstr("[ ]"));
    EXPECT_THAT(Shows(budget, "chkSort"), HasSubstr("[ ]"));

    EXPECT_EQ(AllProperties(), before);
}

TEST_F(ConnectionDetail, SaveWritesTheChangedOptions) {
    ConnectedPlan();
    WatchingUser user(
        {st::PickTab(T("tsrConnectionDetails"), "&Resources"), st::Pick(T("lstResourceType"), "Equipment"),
         st::Pick(T("lstResourceType"), "Labor"), st::Type(T("cboAvailabilityType"), "STANDARD"),
         st::PickTab(T("tsrConnectionDetails"), "&Budget/Schedule"),
         st::Pick(T("cboDateType"), "Scheduled Dates"), st::Choose(T("optMatResAssgn")),
         st::Choose(T("optSunSubTask")), st::Tick(T("chkCreateTask")), st::Untick(T("chkDeleteTask")),
         st::Tick(T("ChkDeleteKovaCETask")), st::Tick(T("chkSort")), st::Click(T("cmdOK"))});
    Run(user);
    EXPECT_EQ(Get("KovaTransferEquipment"), "False");
    EXPECT_EQ(Get("KovaTransferLabor"), "True");
    EXPECT_EQ(Get("KovaTransferProjectSundry"), "True");
    EXPECT_EQ(Get("KovaScheduleBase"), "1");
    EXPECT_EQ(Get("KovaAvailabilityType"), "STANDARD");
    EXPECT_EQ(Get("KovaMatBudgLnAsSubTask"), "False");
    EXPECT_EQ(Get("KovaSunBudgLnAsSubTask"), "True");
    EXPECT_EQ(Get("KovaTransferChargeStructure"), "True");
    EXPECT_EQ(Get("DeleteKovaMSPTask"), "False");
    EXPECT_EQ(Get("DeleteMSPCETask"), "True");
    EXPECT_EQ(Get("SortTasksOnCECode"), "True");
    EXPECT_EQ(Get("OwnershipChBSAndBudgQty"), "2");
    // Shown only: never written back.
    EXPECT_EQ(Get("KovaProject"), "BRIDGE");
    EXPECT_EQ(Get("KovaBaseline"), "3");
}

TEST_F(ConnectionDetail, AnAvailabilityTypeMustBeOneOfTheListOrNone) {
    ConnectedPlan();
    WatchingUser user({st::PickTab(T("tsrConnectionDetails"), "&Resources"),
                       st::Type(T("cboAvailabilityType"), "NIGHT"), st::Click(T("cmdOK")),
                       st::Answer(vbOK, "Select an existing Availability Type"),
                       st::Type(T("cboAvailabilityType"), ""), st::Click(T("cmdOK"))});
    Run(user);
    EXPECT_EQ(Get("KovaAvailabilityType"), "");
}

struct OwnershipCase {
    const char* name;
    int32_t stored;
    std::vector<Step> choice; // what the user does with the ownership combo
    const char* question;     // part of the confirmation, "" for none
    int32_t answer;
    const char* saved;
    bool refused = false; // the dialog stays open after the box
};

class OwnershipChange : public ConnectionDetail, public ::testing::WithParamInterface<OwnershipCase> {};

TEST_P(OwnershipChange, AsksBeforeATransferIsRecorded) {
    const OwnershipCase& c = GetParam();
    ConnectedPlan(c.stored);
    const auto before = AllProperties();
    std::vector<Step> script = c.choice;
    script.push_back(st::Click(T("cmdOK")));
    if (*c.question) script.push_back(st::AnswerContaining(c.answer, c.question));
    if (c.answer == vbCancel || c.refused) script.push_back(st::Click(T("cmdCancel"))); // it stayed open
    WatchingUser user(script);
    Run(user);
    EXPECT_EQ(Get("OwnershipChBSAndBudgQty"), c.saved);
    // A cancelled question writes nothing at all.
    if (c.answer == vbCancel || c.refused) {
        EXPECT_EQ(AllProperties(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ownership, OwnershipChange,
    ::testing::Values(
        OwnershipCase{"MsPToTransferToKova",
                      2,
                      {st::Pick(T("cmbOwnership"), "Transfer to Kova")},
                      "quantities in MsP will be lost",
                      vbOK,
                      "3"},
        OwnershipCase{"TransferToKovaRefused",
                      2,
                      {st::Pick(T("cmbOwnership"), "Transfer to Kova")},
                      "transferred to Kova",
                      vbCancel,
                      "2"},
        OwnershipCase{"PendingTransferBackToMsP",
                      3,
                      {st::Pick(T("cmbOwnership"), "MsP")},
                      "quantities in Kova will be lost",
                      vbOK,
                      "2"},
        OwnershipCase{"KovaToTransferToMsP",
                      1,
                      {st::Pick(T("cmbOwnership"), "Transfer to MsP")},
                      "buttons for insertion and modification of ChBS to be enabled",
                      vbOK,
                      "4"},
        // Never entered: nothing to compare with, so no question.
        OwnershipCase{"ComboNeverEntered", 3, {}, "", vbOK, "3"},
        // A typed text that is no ownership is refused: the dialog stays open and nothing is saved.
        OwnershipCase{"UnknownTextIsRefused",
                      2,
                      {st::Type(T("cmbOwnership"), "Nobody")},
                      "Please choose the Ownership from the list",
                      vbOK,
                      "2",
                      true}),
    [](const ::testing::TestParamInfo<OwnershipCase>& info) { return std::string(info.param.name); });

class LinkedElsewhere : public ConnectionDetail {
protected:
    LinkedElsewhere() : ConnectionDetail("Other.mpp") {}
};

TEST_F(LinkedElsewhere, TheDialogClosesDuringLoadWithoutWriting) {
    ConnectedPlan();
    const auto before = AllProperties();
    WatchingUser user({st::Answer(
        vbOK, "The Current Project is not linked to Kova. The connection is made with Other.mpp")});
    Run(user);
    EXPECT_TRUE(user.sights.empty());
    EXPECT_EQ(AllProperties(), before);
}

// The command, with the dialog plugged in as the program does it.
class ConnectionDetailsCommand : public ConnectionDetail {
protected:
    void RunCommand(WatchingUser& user) {
        InstallConnectDialog();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        test::RunAsMacro("ConnectionDetails");
        EXPECT_TRUE(user.Finish());
        EXPECT_FALSE(MSProjectApplication);
        EXPECT_FALSE(CurrentConnection);
        EXPECT_FALSE(CurrentProjectData);
    }
};

TEST_F(ConnectionDetailsCommand, ShowsTheDialogForAConnectedPlanWithoutWritingALog) {
    ConnectedPlan();
    WatchingUser user({st::Click(T("cmdCancel"))});
    RunCommand(user);
    ASSERT_EQ(user.sights.size(), 1u);
    EXPECT_EQ(Shows(user.sights[0], "txtKovaProject"), "TextBox \"BRIDGE\"");
    EXPECT_FALSE(fs::exists(erp.home() / "Plans" / "Bridge.log"));
}

TEST_F(ConnectionDetailsCommand, RefusesAPlanThatIsNotConnectedOrOfAnotherCompany) {
    for (bool connected : {false, true}) {
        SCOPED_TRACE(connected ? "another company" : "not connected");
        if (connected) {
            ConnectedPlan();
            Set("KovaCompany", int32_t{8});
        }
        WatchingUser user({st::AnswerContaining(vbOK, "Cannnot continue with the Process")});
        RunCommand(user);
        EXPECT_TRUE(user.sights.empty());
    }
}

TEST_F(ConnectionDetailsCommand, RefusesWithoutAnOpenPlan) {
    app->FileClose(msp::pjDoNotSave);
    WatchingUser user({st::Answer(vbOK, kNoPlanMessage)});
    RunCommand(user);
    EXPECT_TRUE(user.sights.empty());
}

} // namespace
} // namespace Grantry
