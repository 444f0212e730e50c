// The synchronisation command as the host installs it: the plan's top task checked against the
// connection node, the dialog shown inside the plan's log, the plan saved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "dataobjects/ClassRegistration.h"
#include "integration/budget/BudgetScheduleRun.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/budget/frmSyncOptions.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeElementPlacement.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/SynchronizeBudgetSchedule.h"
#include "platform/automation/Variant.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using namespace platform::forms;
using platform::automation::Variant;
using ::testing::HasSubstr;

class InstalledSyncCommandTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        // The connection needs the company's planning parameters.
        erp.Open()->Run("INSERT INTO planning_parameters(company_number, currency, default_availability_type) "
                        "VALUES (7, 'EUR', 'STANDARD')");
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        InstallSyncOptionsDialog();
        InstallBudgetScheduleRun();
        app->ViewEditSingle(kKovaGanttView, true, true, "Entry");
        app->FilterEdit(kAllKovaProjectTasksFilter, true, true);
        msp::CustomDocumentProperties properties = Plan().CustomDocumentProperties();
        properties.Item("KovaProject").SetValue(Variant("BRIDGE"));
        properties.Item("KovaProjectPlan").SetValue(Variant("MAIN"));
        properties.Item("KovaCompany").SetValue(Variant(int32_t(7)));
        properties.Item("KovaConnectionNode").SetValue(Variant("BR"));
        SetOption("KovaTransferChargeStructure", true);
        // The plan as the connection left it: a stand-alone milestone above the top element.
        WriteChargeElementFile();
        LoadChargeElementFile();
        PlaceChargeElementTasks({});
        ChargeElements() = {};
        app->FileSave();
        platform::os::CloseAllFiles();
        CurrentProjectData.reset();
        CurrentConnection.reset();
    }
    void TearDown() override {
        SyncProgressLabel() = nullptr;
        ShowSyncOptionsDialog = nullptr;
        BudgetScheduleRun() = nullptr;
        ChargeElements() = {};
        DiscardAllForms();
        StructureFixture::TearDown();
    }
    std::string PlanLog() {
        std::ifstream in(erp.home() / "plans" / "Bridge.log", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(InstalledSyncCommandTest, TheDialogRunsInsideThePlansLog) {
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    user.Add(steps::Answer(vbNo, kLogOfferMessage));
    KovaMSP command;
    command.SynchronizeBudgetSchedule();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(PlanLog(),
              "*** Process *** Synchronize ChBS/Budget/Schedule with Kova Project BRIDGE...\r\n"
              "General note: For a project with \"Free\" status, the Charge Element Progress and Actual dates "
              "will not be updated\r\n"
              "Synchronizing the Charge Breakdown Structure in MS Project from Kova...\r\n"
                  "Creating new Budget Line Tasks in MsProject from Kova...\r\n"
                  "Updating Scheduling Information for Budget Lines and Charge Elements in Kova...\r\n"
                  "Creating / Updating Budget Lines in Kova...\r\n"
                  "Updating the Kova Project definition in MsProject...\r\n"
                  "Synchronization completed with Kova Project BRIDGE\r\n" +
                  std::string(kPlanSavedLine) + "\r\n");
    EXPECT_FALSE(CurrentProjectData);
}

TEST_F(InstalledSyncCommandTest, AnotherTopTaskStopsTheCommandBeforeTheDialog) {
    Plan().CustomDocumentProperties().Item("KovaConnectionNode").SetValue(Variant("BR10"));
    user.Add(steps::Answer(vbOK, kTopTaskMismatchMessage));
    KovaMSP command;
    command.SynchronizeBudgetSchedule();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(PlanLog(), "");
    EXPECT_FALSE(IsFormLoaded<frmSyncOptions>());
}

} // namespace
} // namespace Grantry
