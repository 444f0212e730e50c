// The synchronisation command as the host installs it: the plan's top task checked against the
// connection node, the dialog shown inside the plan's log, the plan saved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
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
#include "platform/middleware/TestControl.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using namespace platform::forms;
using platform::automation::CStr;
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

// A plan open read-only (another program has its file) cannot record what a command changes in the
// ERP: every such command says why and sends nothing.
struct ReadOnlyCase {
    const char* name;
    void (KovaMSP::*command)();
};

class ReadOnlyPlanTest : public InstalledSyncCommandTest, public ::testing::WithParamInterface<ReadOnlyCase> {
protected:
    void SetUp() override {
        InstalledSyncCommandTest::SetUp();
        const std::string file = (erp.home() / "plans" / "Bridge.mpp").string();
        app->FileClose(msp::pjDoNotSave);
        // Another program holds the file, as a second planning program would.
        holder = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        app->FileOpen(file);
        ASSERT_TRUE(Plan().ReadOnly());
    }
    void TearDown() override {
        if (holder >= 0) ::close(holder);
        InstalledSyncCommandTest::TearDown();
    }
    int holder = -1;
};

TEST_P(ReadOnlyPlanTest, TheCommandSaysWhyAndSendsNothing) {
    const std::string before = CStr(erp.Open()->Scalar("SELECT count(*) FROM external_schedule_link"));
    user.Add(steps::AnswerContaining(vbOK, std::string(kPlanNotSavableMessage) + kPlanReadOnlyReason));
    erp.Control().StartCallLog();
    KovaMSP command;
    (command.*GetParam().command)();
    erp.Control().StopCallLog();
    EXPECT_TRUE(user.Finish());
    EXPECT_FALSE(erp.Control().WasCalled("synchronize"));
    EXPECT_FALSE(erp.Control().WasCalled("Remove"));
    EXPECT_EQ(CStr(erp.Open()->Scalar("SELECT count(*) FROM external_schedule_link")), before);
    EXPECT_EQ(CStr(Plan().CustomDocumentProperties().Item("KovaProject").Value()), "BRIDGE");
}

INSTANTIATE_TEST_SUITE_P(Commands, ReadOnlyPlanTest,
                         ::testing::Values(ReadOnlyCase{"Synchronize", &KovaMSP::SynchronizeBudgetSchedule},
                                           ReadOnlyCase{"SaveBaseline", &KovaMSP::SaveBaseline},
                                           ReadOnlyCase{"ConnectionDetails", &KovaMSP::ConnectionDetails},
                                           ReadOnlyCase{"Disconnect", &KovaMSP::disconnectProject}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every write of the ERP fails (its database is locked by another writer): the steps log their
// failures and the run ends saying it failed, in the log's last line and in the last message.
TEST_F(InstalledSyncCommandTest, ARunWhoseStepsFailEndsSayingSo) {
    for (const char* write : {"synchronize", "updateSchedule"})
        erp.Control().ArmFault(platform::middleware::Fault::Error("*", write, 7, 0, "database is locked"));
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    user.Add(steps::AnswerContaining(vbNo, std::string(kSynchronizationFailedLine) + "BRIDGE" + kStepsFailedReason));
    KovaMSP command;
    command.SynchronizeBudgetSchedule();
    erp.Control().ClearFaults();
    EXPECT_TRUE(user.Finish());
    const std::string log = PlanLog();
    EXPECT_THAT(log, HasSubstr("database is locked"));
    EXPECT_THAT(log, ::testing::Not(HasSubstr(kSynchronizationCompletedLine)));
    EXPECT_TRUE(log.ends_with(std::string(kPlanSavedLine) + "\r\n" + kSynchronizationFailedLine + "BRIDGE" +
                              kStepsFailedReason + "\r\n"))
        << log;
}

// The plan cannot be saved once the run has sent its changes: the run ends saying the plan is not saved.
TEST_F(InstalledSyncCommandTest, ARunWhosePlanIsNotSavedEndsSayingSo) {
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    user.Add(steps::AnswerContaining(vbNo, std::string(kSynchronizationFailedLine) + "BRIDGE" + kNotSavedReason));
    // The dialog's run takes the plan's folder away before the save.
    BudgetScheduleRun() = [this] {
        UpdateBudgetSchedule();
        std::filesystem::rename(erp.home() / "plans", erp.home() / "gone");
    };
    KovaMSP command;
    command.SynchronizeBudgetSchedule();
    std::filesystem::rename(erp.home() / "gone", erp.home() / "plans");
    EXPECT_TRUE(user.Finish());
    const std::string log = PlanLog();
    EXPECT_TRUE(log.ends_with(std::string(kPlanNotSavedLine) + "\r\n" + kSynchronizationFailedLine + "BRIDGE" +
                              kNotSavedReason + "\r\n"))
        << log;
}

} // namespace
} // namespace Grantry
