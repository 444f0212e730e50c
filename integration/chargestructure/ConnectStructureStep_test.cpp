#include "integration/chargestructure/ConnectStructureStep.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "integration/chargestructure/ChargeElementFile.h"
#include "integration/chargestructure/ChargeStructureTestSupport.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"

namespace Grantry {
namespace {

using namespace platform::forms;
using platform::automation::Err;
using ::testing::HasSubstr;
using ::testing::Not;
namespace st = steps;

class ConnectStructureTest : public test::StructureFixture {
protected:
    void SetUp() override {
        StructureFixture::SetUp();
        ConnectStructureHooks().createBudgetLineTasksFromKova = [this](const BudgetLineSubTaskSwitches& s) {
            budgetSwitches = s;
        };
        ConnectStructureHooks().sendChargeStructureToKova = [this](const std::string& node) {
            sentNode = node;
        };
    }
    void TearDown() override {
        ConnectStructureHooks() = {};
        ChargeElements() = {};
        DiscardAllForms();
        StructureFixture::TearDown();
    }
    void Run(const ConnectStructureChoices& choices, std::vector<Step> script = {}) {
        ScriptedUser user(std::move(script));
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ScopedUser on(user);
        BuildChargeStructureOnConnect(choices);
        EXPECT_TRUE(user.Finish());
    }
    void AddOwnTasks() {
        Plan().Tasks().Add("Own task");
        Plan().Tasks().Add("Another");
    }

    std::optional<BudgetLineSubTaskSwitches> budgetSwitches;
    std::optional<std::string> sentNode;
};

TEST_F(ConnectStructureTest, KovaOwnedIntoAnEmptyPlanBringsTheStructureThenTheBudgetLines) {
    Run({"Kova", false, "BR", {true, false, true, false, true}});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Plan().Tasks().Count(), 8);
    EXPECT_EQ(app->ShowAssignmentUnitsAs(), 1);
    EXPECT_FALSE(Plan().HonorConstraints());
    ASSERT_TRUE(budgetSwitches);
    EXPECT_EQ(*budgetSwitches, (BudgetLineSubTaskSwitches{true, false, true, false, true}));
    EXPECT_FALSE(sentNode);
    EXPECT_THAT(LogText(), HasSubstr("Transferring Charge Breakdown Structure to Microsoft Project ...\r\n"
                                     "Transferring Charge Breakdown Structure...\r\n"
                                     "Transferring Budget Line Tasks...\r\n"
                                     "Transferring Budget Line Tasks from Kova...\r\n"));
}

TEST_F(ConnectStructureTest, ThePlansOwnTasksGoOnlyWhenTheUserAgrees) {
    AddOwnTasks();
    Run({"Kova", false, "BR", {}}, {st::Answer(vbCancel, kTasksPresentQuestion)});
    EXPECT_EQ(Plan().Tasks().Count(), 2);
    EXPECT_FALSE(budgetSwitches);
    const std::string cancelled = LogText();
    EXPECT_THAT(
        cancelled,
        HasSubstr("Transfer of Charge Breakdown Structure aborteddue to presence of tasks on MsP side."));
    EXPECT_THAT(cancelled, Not(HasSubstr("Transferring Charge Breakdown Structure")));

    OpenLog();
    Run({"Kova", false, "BR", {}}, {st::Answer(vbOK, kTasksPresentQuestion)});
    ASSERT_EQ(Plan().Tasks().Count(), 8);
    for (int32_t i = 1; i <= 8; ++i)
        EXPECT_TRUE(Plan().Tasks().Item(i).Flag3()) << i;
    EXPECT_TRUE(budgetSwitches);
}

TEST_F(ConnectStructureTest, PlanOwnedSendsItsStructureUnlessTheErpsIsTheDefault) {
    Run({"MsP", false, "BR", {}});
    EXPECT_EQ(sentNode, "BR");
    EXPECT_FALSE(budgetSwitches);
    EXPECT_EQ(Plan().Tasks().Count(), 0);
    EXPECT_THAT(LogText(), HasSubstr("Transferring Charge Breakdown Structure to Kova...\r\n"
                                     "Transferring Budget Line Tasks...\r\n"
                                     "Transferring Budget Line Tasks from Kova ...\r\n"));

    OpenLog();
    sentNode.reset();
    Run({"MsP", true, "BR", {}});
    EXPECT_FALSE(sentNode);
    EXPECT_TRUE(budgetSwitches);
    EXPECT_EQ(Plan().Tasks().Count(), 8);
    EXPECT_THAT(LogText(), HasSubstr("Defaulting Charge Breakdown Structure from Kova...\r\n"));
}

} // namespace
} // namespace Grantry
