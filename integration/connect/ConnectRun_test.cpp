#include "integration/connect/ConnectRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "dataobjects/ClassRegistration.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/connect/frmConnectProject.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Variant.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::CStr;
using platform::automation::Err;
using platform::middleware::Fault;
using ::testing::HasSubstr;
namespace st = steps;
namespace msp = platform::msproject;

// Project BRIDGE leads with plan MAIN (top TOP, OBS O1 with one child); BLD is not connectable.
// SHIFT is the default availability type and has one ERP calendar, DAY.
constexpr char kSeed[] = R"json({
  "release": "tt7.1_a",
  "company": {"number": 7},
  "planningParameters": {"transferEquipment": 1, "transferLabor": 1, "dateTypeForScheduling": 2,
                         "currency": "NOK", "defaultAvailabilityType": "SHIFT"},
  "availabilityTypes": [{"code": "STANDARD"}, {"code": "SHIFT"}],
  "obs": [{"id": "O1", "description": "Site"}, {"id": "O11", "parent": "O1", "description": "Crew"}],
  "standardWeeks": [
    {"availabilityType": "SHIFT", "lines": [{"day": "2", "start": 600, "end": 1400}]},
    {"availabilityType": "STANDARD", "lines": [{"day": "2", "start": 800, "end": 1600}]}],
  "calendars": [{"code": "DAY", "availabilityType": "SHIFT",
                 "exceptions": [{"date": "2024-12-25", "working": 0}]}],
  "projects": [
    {"id": "BRIDGE", "description": "Lasse bridge", "start": "2024-03-01", "finish": "2024-12-20",
     "leadingPlan": "MAIN", "obs": "O1",
     "plans": [
       {"id": "MAIN", "topChargeElement": "TOP",
        "chargeElements": [{"id": "TOP", "type": 1},
                           {"id": "DES", "type": 4, "parent": "TOP"},
                           {"id": "BLD", "type": 4, "parent": "TOP", "connectable": 2}]}]}]
})json";

constexpr char kConnect[] = "frmConnectProject.cmdConnectProject";

// What the steps provided by other units were given.
struct StepCalls {
    std::optional<std::pair<std::string, std::array<bool, 10>>> resources;
    std::optional<std::pair<bool, bool>> labor;
    std::optional<std::string> standardElements;
    std::optional<std::string> projectWhenBuilding; // KovaProject as the structure step found it
    std::optional<platform::automation::Date> startWhenBuilding; // the plan's start, likewise
};

class ConnectRunTest : public test::ConnectFixture {
protected:
    ConnectRunTest() : ConnectFixture(kSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Bridge.mpp").string());
        // As connectProject leaves the plan before it shows the dialog.
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        ASSERT_TRUE(OpenKovaConnection()) << Err().Description;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        OpenLog();
        ASSERT_EQ(Err().Number, 0) << Err().Description;

        InstallConnectDialog();
        ConnectRunSteps& hooks = ConnectRunHooks();
        hooks.transferResourcesAndCostObjects = [this](const std::string& type,
                                                       const std::array<bool, 10>& s) {
            calls.resources = {type, s};
        };
        hooks.writeLaborCostObjectsFile = [this](bool labor, bool project) {
            calls.labor = {labor, project};
        };
        hooks.transferStandardChargeElements = [this](const std::string& company) {
            calls.standardElements = company;
        };
        hooks.buildStructure = [this](const ConnectChoices&) {
            calls.projectWhenBuilding = Property("KovaProject");
            calls.startWhenBuilding = Plan().Start();
        };
    }
    void TearDown() override {
        ConnectRunHooks() = {};
        ShowConnectDialog = nullptr;
        frmConnectProject::ConnectRun = nullptr;
        DiscardAllForms();
        ConnectFixture::TearDown();
    }

    // Shows the dialog as connectProject does and lets `user` drive it.
    void Run(ScriptedUser& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        ShowConnectDialog();
        failure = Err().Number;
        EXPECT_TRUE(user.Finish());
    }

    std::string Property(const std::string& name) const {
        return CStr(Plan().CustomDocumentProperties().Item(name).Value());
    }
    std::vector<std::string> CalendarNames() const {
        std::vector<std::string> names;
        for (msp::Calendar c : Plan().BaseCalendars())
            names.push_back(c.Name());
        return names;
    }
    bool HasCalendar(const std::string& name) const {
        for (const std::string& n : CalendarNames())
            if (n == name) return true;
        return false;
    }
    // The ownership the ERP's link records for this plan file on MAIN and `node`; 0 for none.
    int32_t LinkOwnership(const std::string& node) {
        KovaDataObjects::KovaProjectData check;
        check.ProjectCode = "BRIDGE";
        check.Plan = "MAIN";
        check.ConnectedCE = node;
        check.ESProject = Plan().Name();
        int32_t ownership = check.determineCHBSOwnership(BOIConnector);
        Err().Clear();
        return ownership;
    }

    StepCalls calls;
    int32_t failure = 0;
};

TEST_F(ConnectRunTest, ConnectsThePlanWithTheDialogsChoices) {
    ScriptedUser user({st::PickTab("frmConnectProject.tsrConnect", "&Budget"),
                       st::Choose("frmConnectProject.optLabSubTask"), st::Untick("frmConnectProject.chkSort"),
                       st::Click(kConnect)});
    Run(user);
    EXPECT_EQ(failure, 0) << Err().Description;

    // The connection, in the ERP and in the plan.
    EXPECT_EQ(LinkOwnership("TOP"), 1);
    const std::vector<std::pair<std::string, std::string>> properties = {
        {"KovaCompany", "7"},
        {"KovaProject", "BRIDGE"},
        {"KovaProjectDescription", "Lasse bridge"},
        {"KovaProjectPlan", "MAIN"},
        {"KovaConnectionNode", "TOP"},
        {"OBSCode", "O1"},
        {"OwnershipChBSAndBudgQty", "1"},
        {"KovaScheduleBase", "2"},
        {"KovaAvailabilityType", "SHIFT"},
        {"KovaTransferEquipment", "True"},
        {"KovaTransferTradegroup", "False"},
        {"KovaTransferLabor", "True"},
        {"KovaTransferStandardChargeElement", "True"},
        {"KovaTransferProjectEquipment", "True"},
        {"KovaTransferProjectLabor", "True"},
        {"KovaTransferProjectItem", "False"},
        {"KovaLabBudgLnAsSubTask", "True"},
        {"KovaMatBudgLnAsSubTask", "False"},
        {"KovaTransferChargeStructure", "True"},
        {"SortTasksOnCECode", "False"},
    };
    for (const auto& [name, value] : properties)
        EXPECT_EQ(Property(name), value) << name;

    // Master data: calendars, the project calendar, the currency and the OBS file.
    EXPECT_TRUE(HasCalendar("CSHIFT"));
    EXPECT_TRUE(HasCalendar("CSHIFT.DAY"));
    EXPECT_EQ(Plan().Calendar().Name(), "CSHIFT");
    EXPECT_EQ(Plan().CurrencySymbol(), "NOK");
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(erp.home() / "plans" / "Bridge.obs", ec), 2u * 38u) << ec.message();

    // The provided steps got their switches; the structure step ran after the connection was written.
    ASSERT_TRUE(calls.resources);
    EXPECT_EQ(calls.resources->first, "SHIFT");
    EXPECT_EQ(calls.resources->second,
              (std::array<bool, 10>{true, false, false, false, false, false, true, false, false, false}));
    EXPECT_EQ(calls.labor, std::make_optional(std::make_pair(true, true)));
    EXPECT_EQ(calls.standardElements, std::make_optional(std::string("7")));
    EXPECT_EQ(calls.projectWhenBuilding, std::make_optional(std::string("BRIDGE")));
    // The plan is scheduled from the ERP project's start (a date alone: from 08:00) before the
    // structure's tasks come in.
    const platform::automation::Date start = platform::automation::Date::FromParts(2024, 3, 1, 8, 0, 0);
    EXPECT_EQ(Plan().Start(), start);
    EXPECT_EQ(calls.startWhenBuilding, std::make_optional(start));

    // Progress, in the window and in the log; both windows are gone.
    const std::vector<std::string> shown = user.transcript().Progress("frmIntegrationStatus.lblStatus");
    for (const char* text : {"Establishing Connection between Kova and Microsoft Project ...",
                             "Transferring Standard Charge Elements ..."}) {
        bool seen = false;
        for (const std::string& state : shown)
            seen = seen || state.find(text) != std::string::npos;
        EXPECT_TRUE(seen) << text;
    }
    const std::string log = LogText();
    size_t at = 0;
    for (const char* line :
         {"Establishing Connection between Kova and Microsoft Project ...\r\n",
          "Transferring OBS Elements ...\r\n", "Transferring Base Calendars ...\r\n",
          "Transferring Resources/Cost Objects...\r\n", "Transferring Standard Charge Elements ...\r\n"}) {
        size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << " in order in\n" << log;
        if (found != std::string::npos) at = found;
    }
    EXPECT_FALSE(IsFormLoaded<frmConnectProject>());
    EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
}

TEST_F(ConnectRunTest, WithoutTypeTransfersOrStructureTheDefaultsHold) {
    ScriptedUser user({st::PickTab("frmConnectProject.tsrConnect", "&Resources"),
                       st::Type("frmConnectProject.cboAvailabilityType", ""),
                       st::Untick("frmConnectProject.chkResourcesToProject"),
                       st::PickTab("frmConnectProject.tsrConnect", "&Budget"),
                       st::Untick("frmConnectProject.chkCreateActivity"), st::Click(kConnect)});
    Run(user);
    EXPECT_EQ(failure, 0) << Err().Description;
    EXPECT_EQ(Property("KovaProject"), "BRIDGE");
    // An empty type has the availability calendar the calendar transfer makes for it.
    EXPECT_TRUE(HasCalendar("CAVAILABLE"));
    EXPECT_EQ(Plan().Calendar().Name(), "CAVAILABLE");
    EXPECT_EQ(Property("KovaAvailabilityType"), "");
    for (const char* name :
         {"KovaTransferEquipment", "KovaTransferLabor", "KovaTransferStandardChargeElement",
          "KovaTransferProjectEquipment", "KovaTransferChargeStructure"})
        EXPECT_EQ(Property(name), "False") << name;
    ASSERT_TRUE(calls.resources);
    EXPECT_EQ(calls.resources->first, "");
    EXPECT_EQ(calls.resources->second, (std::array<bool, 10>{}));
    EXPECT_EQ(calls.labor, std::make_optional(std::make_pair(false, false)));
    EXPECT_FALSE(calls.standardElements);
    EXPECT_FALSE(calls.projectWhenBuilding);
    EXPECT_THAT(LogText(), ::testing::Not(HasSubstr("Transferring Standard Charge Elements")));
}

// A resource kind chosen alone lands in its own property and in no other.
TEST_F(ConnectRunTest, AResourceKindChosenAloneIsWrittenToItsOwnPropertyOnly) {
    const char* properties[] = {
        "KovaTransferEquipment",        "KovaTransferTradegroup",           "KovaTransferEmployee",
        "KovaTransferItem",             "KovaTransferLabor",                "KovaTransferSubcontracting",
        "KovaTransferSundry",           "KovaTransferStandardChargeElement", "KovaTransferProjectEquipment",
        "KovaTransferProjectItem",      "KovaTransferProjectLabor",         "KovaTransferProjectSubcontracting",
        "KovaTransferProjectSundry"};
    const int chosen = 11;
    // The kinds the ERP's planning parameters choose are taken away, the project subcontracting chosen.
    std::vector<platform::forms::Step> steps = {st::PickTab("frmConnectProject.tsrConnect", "&Resources")};
    for (int item : {0, 4, 7, 8, 10, chosen}) steps.push_back(st::Pick("frmConnectProject.lstResources", item));
    steps.push_back(st::Click(kConnect));
    ScriptedUser user(steps);
    Run(user);
    EXPECT_EQ(failure, 0) << Err().Description;
    for (int i = 0; i < 13; ++i) EXPECT_EQ(Property(properties[i]), i == chosen ? "True" : "False") << properties[i];
}

class ConnectRunStartTest : public ConnectRunTest, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(ConnectRunStartTest, AProjectStartThePlanCannotHoldIsLoggedAndTheConnectGoesOn) {
    const auto [stamp, start] = GetParam();
    erp.Open()->Exec(std::string("UPDATE project SET start_ts = '") + stamp + "' WHERE project_id = 'BRIDGE'");
    const platform::automation::Date before = Plan().Start();
    ScriptedUser user({st::Click(kConnect)});
    Run(user);
    EXPECT_EQ(failure, 0) << Err().Description;
    EXPECT_EQ(Plan().Start(), before);
    EXPECT_THAT(LogText(), HasSubstr(std::string("The start ") + start +
                                     " of Kova Project BRIDGE is outside the dates Microsoft Project "
                                     "schedules (1984-01-01 to 2149-12-31); the plan keeps its own start."));
    EXPECT_EQ(calls.startWhenBuilding, std::make_optional(before));
    EXPECT_EQ(Property("KovaProject"), "BRIDGE");
}

INSTANTIATE_TEST_SUITE_P(Dates, ConnectRunStartTest, ::testing::Values(std::pair{"19500102080000", "1950-01-02 08:00:00"},
                                           std::pair{"19000301080000", "1900-03-01 08:00:00"},
                                           std::pair{"22000301080000", "2200-03-01 08:00:00"}),
                         [](const auto& info) { return "Year" + std::string(info.param.first).substr(0, 4); });

TEST_F(ConnectRunTest, ANodeTheStructureRefusesStartsNoRun) {
    ScriptedUser user({st::Type("frmConnectProject.txtConnectionNode", "BLD"), st::Click(kConnect),
                       st::Click("frmConnectProject.cmdCancel")});
    Run(user);
    EXPECT_EQ(failure, 0);
    EXPECT_TRUE(user.transcript().Boxes().empty());
    EXPECT_FALSE(HasCalendar("CSHIFT"));
    EXPECT_NE(Plan().CurrencySymbol(), "NOK");
    EXPECT_EQ(LinkOwnership("BLD"), 0);
    EXPECT_FALSE(calls.resources);
    EXPECT_THAT(LogText(), ::testing::Not(HasSubstr("Establishing Connection")));
}

TEST_F(ConnectRunTest, ARefusedRecordingKeepsTheMasterDataButNoConnection) {
    erp.Control().ArmFault(Fault::Error("ChargeElement.ExternalScheduleLinkManager", "*", 5));
    ScriptedUser user(
        {st::Click(kConnect), st::Answer(vbOK, "Connection not established with Kova Project"),
         st::Answer(vbOK, "A Connection can not be made to the selected Charge Element : TOP\r\n\r\n"
                          "Please check if any External Schedule links already exist for this "
                          "project")});
    Run(user);
    // connectProject sees the failure.
    EXPECT_NE(failure, 0);
    ASSERT_EQ(user.transcript().Boxes().size(), 2u);
    for (const auto& box : user.transcript().Boxes()) {
        EXPECT_EQ(box.box.Icon(), vbCritical);
        EXPECT_EQ(box.box.title, "Kova Project - MsProject Integration");
    }
    erp.Control().ClearFaults();
    EXPECT_EQ(Property("KovaProject"), "");
    EXPECT_EQ(Property("KovaProjectPlan"), "");
    EXPECT_TRUE(calls.resources) << "the master data came before the recording";
    EXPECT_TRUE(HasCalendar("CSHIFT"));
    EXPECT_EQ(Plan().CurrencySymbol(), "NOK");
    EXPECT_FALSE(calls.projectWhenBuilding);
    EXPECT_FALSE(IsFormLoaded<frmConnectProject>());
    EXPECT_FALSE(IsFormLoaded<frmIntegrationStatus>());
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Transferring Base Calendars ...\r\n"));
    // The failure's own text follows the last step in the log.
    EXPECT_THAT(
        log, ::testing::ContainsRegex("Transferring Standard Charge Elements \\.\\.\\.\r\n   [^\r\n]+\r\n"));
}

// The command with the dialog installed as the programs install it: its outcome follows the run's.
class ConnectCommandTest : public test::ConnectFixture {
protected:
    ConnectCommandTest() : ConnectFixture(kSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Bridge.mpp").string());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        InstallConnectDialog();
    }
    void TearDown() override {
        ShowConnectDialog = nullptr;
        frmConnectProject::ConnectRun = nullptr;
        DiscardAllForms();
        ConnectFixture::TearDown();
    }
};

TEST_F(ConnectCommandTest, TheCommandReportsWhatTheRunAchieved) {
    struct Case {
        const char* title;
        bool refused;
        const char* outcome;
        const char* project;
    } cases[] = {
        // A refused recording leaves the plan unconnected, so the same plan can connect next.
        {"Refused", true, "Connection to Kova Project failed.........", ""},
        {"Connected", false, "Connection Established with Kova Project : BRIDGE", "BRIDGE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        app->FileSave(); // what the refused run changed in the plan
        if (c.refused)
            erp.Control().ArmFault(Fault::Error("ChargeElement.ExternalScheduleLinkManager", "*", 5));
        std::vector<Step> script = {st::Click(kConnect)};
        if (c.refused) {
            script.push_back(st::Answer(vbOK, "Connection not established with Kova Project"));
            script.push_back(st::AnswerContaining(vbOK, "Please check if any External Schedule links"));
        }
        script.push_back(st::Answer(vbNo, kLogOfferMessage));
        ScriptedUser user(script);
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        {
            ScopedUser on(user);
            KovaMSP().connectProject();
        }
        EXPECT_TRUE(user.Finish());
        erp.Control().ClearFaults();
        std::ifstream in(erp.home() / "plans" / "Bridge.log", std::ios::binary);
        std::ostringstream log;
        log << in.rdbuf();
        EXPECT_THAT(log.str(), HasSubstr("Transferring Base Calendars ...\r\n"));
        EXPECT_THAT(log.str(), HasSubstr(std::string(c.outcome) + "\r\n"));
        EXPECT_EQ(CStr(Plan().CustomDocumentProperties().Item("KovaProject").Value()), c.project);
    }
}

} // namespace
} // namespace Grantry
