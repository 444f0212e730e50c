// The uninstaller, run in this process after the installer.
#include "platform/os/WindowSearch.h"
#include "setup/Dremica.h"
#include "setup/SetupTestSupport.h"
#include "setup/Tolvane.h"
#include "setup/frmUnChgMsP.h"

namespace setup::test {
namespace {

using forms::steps::Answer;
using forms::steps::Click;

class DremicaTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        FirstStartOfThePlanningProgram();
        pristine = Global();
        Tolvane::ProjectVersion = 11;
        ASSERT_TRUE(Tolvane::InstallIntoGlobalTemplate());
        msp::QuitApplication();
        installed = ReadFile(GlobalFile());
        ASSERT_EQ(Global().Menus().size(), 1u);
    }
    void RunByHand() {
        forms::RunUntilEnd([] { Dremica::Main(); });
    }
    void RunSilently() {
        os::PublishedWindow wizard(basMsPComp::kInstallerWindowTitle);
        forms::RunUntilEnd([] { Dremica::Main(); });
    }
    void ConfirmAndExpect(const std::string& message) {
        user.Add(Click("frmUnChgMsP.cmdContinue"));
        user.Add(Answer(forms::vbYes, Dremica::kQuestion));
        user.Add(Answer(forms::vbOK, message));
    }

    GlobalTemplate pristine;
    std::string installed;
};

// Everything the installer added goes: the template is again what the program wrote on its first
// start. The user saw the four steps and the success message, and the program was ended.
TEST_F(DremicaTest, ByHandTheConfirmedRemovalTakesEveryAdditionOut) {
    ConfirmAndExpect(Dremica::kRemovedMessage);
    RunByHand();
    EXPECT_TRUE(user.transcript().Contains(
        "form frmUnChgMsP \"Uninstall Changes to Microsoft Project Global Template\""));
    EXPECT_EQ(user.transcript().Progress("frmUnChgMsP.sbrUninstallStatus"),
              (std::vector<std::string>{Dremica::kStatusMenu, Dremica::kStatusItems,
                                        Dremica::kStatusEventCode, Dremica::kStatusReference}));
    const auto& boxes = user.transcript().Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].box.title, "Kova Production Phase Plan Integration");
    EXPECT_EQ(boxes[0].box.Buttons(), forms::vbYesNo);
    EXPECT_EQ(boxes[1].box.title, "Kova Production Phase Plan Integration");
    EXPECT_FALSE(msp::RunningApplication());
    EXPECT_FALSE(forms::IsFormLoaded<Dremica::frmUnChgMsP>());
    EXPECT_EQ(Global().items, pristine.items);
    EXPECT_TRUE(Dremica::LastRunLeftOver().empty());
}

TEST_F(DremicaTest, CancelOrNoChangesNothing) {
    struct Case {
        const char* name;
        std::vector<forms::Step> steps;
        bool ended;
    };
    const Case cases[] = {
        {"cancel", {Click("frmUnChgMsP.cmdCancel")}, true},
        {"no", {Click("frmUnChgMsP.cmdContinue"), Answer(forms::vbNo, Dremica::kQuestion)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& step : c.steps)
            user.Add(step);
        EXPECT_EQ(forms::RunUntilEnd([] { Dremica::Main(); }), c.ended);
        EXPECT_EQ(ReadFile(GlobalFile()), installed);
        EXPECT_FALSE(msp::RunningApplication());
        EXPECT_FALSE(forms::IsFormLoaded<Dremica::frmUnChgMsP>());
        EXPECT_FALSE(Dremica::RemovalRan());
    }
}

TEST_F(DremicaTest, WithTheSetupWizardOpenItRemovesWithoutWindowOrMessage) {
    RunSilently();
    EXPECT_FALSE(ShowedForm("frmUnChgMsP"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(msp::RunningApplication());
    EXPECT_EQ(Global().items, pristine.items);
}

TEST_F(DremicaTest, ASecondRemovalStillReportsSuccess) {
    RunSilently();
    const std::string removed = ReadFile(GlobalFile());
    ConfirmAndExpect(Dremica::kRemovedMessage);
    RunByHand();
    EXPECT_EQ(ReadFile(GlobalFile()), removed);
    EXPECT_TRUE(Dremica::LastRunLeftOver().empty());
}

// Only the first "&KovaProject" menu goes; the user is told that one is left instead of success.
TEST_F(DremicaTest, WhatIsLeftIsReportedInsteadOfSuccess) {
    {
        auto app = basMsPComp::CreateProjectApplication();
        ASSERT_TRUE(app);
        app->CommandBars("File").Controls().Add(msp::msoControlPopup, 2).SetCaption("&KovaProject");
        msp::QuitApplication();
    }
    ASSERT_EQ(Global().Menus().size(), 2u);
    ConfirmAndExpect(std::string(Dremica::kIncompleteMessage) + "\r\nthe \"&KovaProject\" menu");
    RunByHand();
    EXPECT_EQ(Global().Menus().size(), 1u);
    EXPECT_EQ(Global().ActivateProcedures(), 0);
    EXPECT_TRUE(Global().ReferencePaths("Grantry").empty());
    EXPECT_EQ(Dremica::LastRunLeftOver(), std::vector<std::string>{"the \"&KovaProject\" menu"});
}

TEST_F(DremicaTest, WithoutThePlanningProgramItSaysNothingWasRemoved) {
    fs::remove(Msproject() / "WinProj.exe");
    ConfirmAndExpect(Dremica::kNotStartedMessage);
    RunByHand();
    EXPECT_EQ(ReadFile(GlobalFile()), installed);
    EXPECT_FALSE(Dremica::LastRunLeftOver().empty());
}

} // namespace
} // namespace setup::test
