// The integration's menu and toolbar follow the active plan, also when a plan is activated.
#include <gtest/gtest.h>

#include <functional>

#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/os/TestSupport.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace msp = platform::msproject;
using automation::Err;

class CommandBarStateTest : public test::PlanFixture {
protected:
    platform::os::TempKovaHome home;
};

TEST_F(CommandBarStateTest, TheStateFollowsConnectionAndOwnership) {
    struct Case {
        const char* name;
        std::function<void(msp::CustomDocumentProperties)> plan;
        const char* menu;    // items 1 to 7; item 7 keeps its state
        const char* toolbar; // buttons 1 to 6
    } cases[] = {
        {"no properties", [](auto) {}, "1000001", "111100"},
        {"not connected", [](auto p) { p.Add("KovaProject", false, kPropertyText, ""); }, "1000001",
         "111100"},
        {"owned by the ERP",
         [](auto p) {
             p.Add("KovaProject", false, kPropertyText, "BRIDGE");
             p.Add("OwnershipChBSAndBudgQty", false, kPropertyNumber, int32_t(1));
         },
         "1111111", "000011"},
        {"owned here",
         [](auto p) {
             p.Add("KovaProject", false, kPropertyText, "BRIDGE");
             p.Add("OwnershipChBSAndBudgQty", false, kPropertyNumber, int32_t(2));
         },
         "1111111", "111111"},
        {"being transferred to the ERP",
         [](auto p) {
             p.Add("KovaProject", false, kPropertyText, "BRIDGE");
             p.Add("OwnershipChBSAndBudgQty", false, kPropertyNumber, int32_t(3));
         },
         "1111111", "000011"},
        {"being transferred here",
         [](auto p) {
             p.Add("KovaProject", false, kPropertyText, "BRIDGE");
             p.Add("OwnershipChBSAndBudgQty", false, kPropertyNumber, int32_t(4));
         },
         "1111111", "111111"},
        {"connected without ownership", [](auto p) { p.Add("KovaProject", false, kPropertyText, "BRIDGE"); },
         "1111111", "000011"},
    };
    test::InstallMenuAndToolbar(*app, true);
    for (const Case& c : cases) {
        for (bool before : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (before ? ", all on before" : ", all off before"));
            for (msp::CommandBarControl item :
                 app->CommandBars("File").Controls().Item("&KovaProject").Controls())
                item.SetEnabled(before);
            for (msp::CommandBarControl button : app->CommandBars("KovaProjectToolBar").Controls())
                button.SetEnabled(before);
            app->FileNew(false);
            c.plan(Properties());
            UpdateCommandBarState();
            EXPECT_EQ(Err().Number, 0);
            std::string menu = c.menu;
            menu[6] = before ? '1' : '0';
            EXPECT_EQ(test::MenuState(*app), menu);
            EXPECT_EQ(test::ToolbarState(*app), c.toolbar);
        }
    }
}

TEST_F(CommandBarStateTest, WithoutTheMenuTheToolbarKeepsItsStateToo) {
    test::InstallMenuAndToolbar(*app, false, false);
    Properties().Add("KovaProject", false, kPropertyText, "BRIDGE");
    UpdateCommandBarState();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(test::ToolbarState(*app), "000000");
}

TEST_F(CommandBarStateTest, AMissingToolbarLeavesTheMenuToBeSet) {
    test::InstallMenuAndToolbar(*app, false);
    app->CommandBars("KovaProjectToolBar").Delete();
    UpdateCommandBarState();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(test::MenuState(*app), "1000000");
}

class KovaProjectOpenTest : public CommandBarStateTest {
protected:
    void SetUp() override {
        CommandBarStateTest::SetUp();
        RegisterKovaMSP("/opt/kova/Grantry.exe");
        test::InstallMenuAndToolbar(*app, false);
    }
    void TearDown() override {
        UnregisterKovaMSP();
        CommandBarStateTest::TearDown();
    }
};

TEST_F(KovaProjectOpenTest, ActivatingAPlanSetsTheStateAndReleasesNothingOfARunningCommand) {
    for (bool commandRunning : {false, true}) {
        SCOPED_TRACE(commandRunning ? "inside a command" : "no command");
        MSProjectApplication = commandRunning ? app : nullptr;
        app->FileNew(false);
        Properties().Add("KovaProject", false, kPropertyText, "BRIDGE");
        automation::Object command = automation::CreateObject(kKovaMSPProgId);
        automation::Call(command, "KovaProjectOpen");
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(test::MenuState(*app), "1111110");
        EXPECT_EQ(test::ToolbarState(*app), "000011");
        EXPECT_EQ(MSProjectApplication, commandRunning ? app : nullptr);
    }
}

TEST_F(KovaProjectOpenTest, WithoutThePlanningProgramTheFailureReachesTheCaller) {
    msp::QuitApplication();
    MSProjectApplication.reset();
    automation::Object command = automation::CreateObject(kKovaMSPProgId);
    automation::Call(command, "KovaProjectOpen");
    EXPECT_NE(Err().Number, 0);
    EXPECT_EQ(MSProjectApplication, nullptr);
}

} // namespace
} // namespace Grantry
