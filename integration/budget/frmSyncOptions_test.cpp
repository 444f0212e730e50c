#include "integration/budget/frmSyncOptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "integration/budget/BudgetScheduleRun.h"
#include "integration/budget/KovaUpdateBudgetSchedule.h"
#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeStructureOwnership.h"
#include "integration/chargestructure/ChargeStructureSync.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "integration/core/SynchronizeBudgetSchedule.h"
#include "platform/automation/Variant.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Variant;
using ::testing::HasSubstr;
using ::testing::Not;

class SyncOptionsTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        InstallSyncOptionsDialog();
        SetOption("KovaTransferChargeStructure", true);
    }
    void TearDown() override {
        BudgetScheduleRun() = nullptr;
        SyncProgressLabel() = nullptr;
        ShowSyncOptionsDialog = nullptr;
        ChargeElements() = {};
        NetChangeOption = false;
        DiscardAllForms();
        StructureFixture::TearDown();
    }
    void CountBudgetRuns() {
        BudgetScheduleRun() = [this] {
            ++budgetRuns;
            netChangeSeen = NetChangeOption;
        };
    }
    void Disagree() {
        // The ERP link was set to plan ownership behind the plan's back.
        Plan().CustomDocumentProperties().Item("OwnershipChBSAndBudgQty").SetValue(Variant(int32_t(1)));
        erp.Open()->Run("INSERT INTO external_schedule_link(project_id, plan_id, ce_id, ownership, "
                        "external_schedule) VALUES ('BRIDGE', 'MAIN', 'BR', 2, 'Bridge.mpp')");
    }
    bool SendActualDates() {
        return platform::automation::CBool(Plan().CustomDocumentProperties().Item("SendActualDates").Value());
    }
    int budgetRuns = 0;
    bool netChangeSeen = false;
    ScriptedUser user;
    ScopedUser on{user};
};

TEST_F(SyncOptionsTest, BothBoxesClearOnlyTellTheUser) {
    CountBudgetRuns();
    user.Add(steps::Untick("frmSyncOptions.chkSynCHBS"));
    user.Add(steps::Untick("frmSyncOptions.chkSynBudgetSchedule"));
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    user.Add(steps::Answer(vbOK, kNothingSynchronizedMessage));
    user.Add(steps::Click("frmSyncOptions.cmdCancel"));
    ShowSyncOptionsDialog();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(budgetRuns, 0);
    EXPECT_EQ(Plan().Tasks().Count(), 0);
}

TEST_F(SyncOptionsTest, BothBoxesRunTheStructureThenTheBudget) {
    CountBudgetRuns();
    user.Add(steps::Tick("frmSyncOptions.chkNetChange"));
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    ShowSyncOptionsDialog();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(Plan().Tasks().Count(), 8);
    EXPECT_EQ(budgetRuns, 1);
    EXPECT_TRUE(netChangeSeen);
    EXPECT_FALSE(IsFormLoaded<frmSyncOptions>());
}

TEST_F(SyncOptionsTest, TheInstalledRunIsTheBudgetAndScheduleRun) {
    InstallBudgetScheduleRun();
    user.Add(steps::Untick("frmSyncOptions.chkSynCHBS"));
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    ShowSyncOptionsDialog();
    EXPECT_TRUE(user.Finish());
    EXPECT_THAT(LogText(), HasSubstr("Creating new Budget Line Tasks in MsProject from Kova...\r\n"));
    EXPECT_THAT(LogText(), HasSubstr(std::string(kSynchronizationCompletedLine)));
}

TEST_F(SyncOptionsTest, TheBudgetRunsAlsoWhenThePlanDoesNotTransferTheStructure) {
    CountBudgetRuns();
    SetOption("KovaTransferChargeStructure", false);
    user.Add(steps::Click("frmSyncOptions.cmdSync"));
    ShowSyncOptionsDialog();
    EXPECT_TRUE(user.Finish());
    EXPECT_EQ(Plan().Tasks().Count(), 0);
    EXPECT_EQ(budgetRuns, 1);
    EXPECT_THAT(LogText(), HasSubstr(std::string(kStructureOptionOffLine) + "\r\n"));
}

TEST_F(SyncOptionsTest, AnUnsettledOwnershipRunsNothing) {
    for (bool structure : {false, true}) {
        SCOPED_TRACE(structure);
        CountBudgetRuns();
        if (!structure) Disagree();
        if (!structure) user.Add(steps::Untick("frmSyncOptions.chkSynCHBS"));
        user.Add(steps::Click("frmSyncOptions.cmdSync"));
        user.Add(steps::Answer(vbOK, kOwnershipUndeterminedMessage));
        ShowSyncOptionsDialog();
        EXPECT_TRUE(user.Finish());
        EXPECT_EQ(budgetRuns, 0);
        EXPECT_EQ(Plan().Tasks().Count(), 0);
        EXPECT_FALSE(IsFormLoaded<frmSyncOptions>());
    }
    EXPECT_THAT(LogText(), HasSubstr("Synchronizing of the Charge Breakdown Structure was aborted\r\n"));
}

TEST_F(SyncOptionsTest, SendActualDatesIsKeptInThePlanAndNetChangeStartsOff) {
    Plan().CustomDocumentProperties().Item("SendActualDates").Delete();
    user.Add(steps::Tick("frmSyncOptions.chkNetChange"));
    user.Add(steps::Click("frmSyncOptions.cmdCancel"));
    ShowSyncOptionsDialog();
    // The dialog added the missing property, clear.
    EXPECT_FALSE(SendActualDates());

    user.Add(steps::Tick("frmSyncOptions.chkSendActDt"));
    user.Add(steps::Click("frmSyncOptions.cmdCancel"));
    ShowSyncOptionsDialog();
    EXPECT_TRUE(SendActualDates());

    frmSyncOptions& dialog = DefaultInstance<frmSyncOptions>();
    dialog.Load();
    EXPECT_EQ(dialog.chkSendActDt.Value(), vbChecked);
    EXPECT_EQ(dialog.chkNetChange.Value(), vbUnchecked);
    EXPECT_FALSE(NetChangeOption);
    EXPECT_TRUE(user.Finish());
}

} // namespace
} // namespace Grantry
