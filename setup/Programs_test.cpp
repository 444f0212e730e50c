// The two programs as the setup wizard and a person run them, in processes of their own that share
// only the machine folder with this test.
#include "platform/os/WindowSearch.h"
#include "setup/SetupTestSupport.h"

namespace setup::test {
namespace {

class ProgramsTest : public MachineTest {};

TEST_F(ProgramsTest, InstallSilentlyThenRemoveByHandThenAgainSilently) {
    {
        os::PublishedWindow wizard(basMsPComp::kInstallerWindowTitle);
        ProgramRun run = RunProgram(TOLVANE_PROGRAM, "", home.path());
        EXPECT_EQ(run.exitCode, 0) << run.output;
    }
    // A new start of the planning program sees the menu.
    {
        auto app = basMsPComp::CreateProjectApplication();
        ASSERT_TRUE(app);
        msp::CommandBarControl menu = app->CommandBars("File").Controls().Item(5);
        EXPECT_EQ(menu.Caption(), "&KovaProject");
        EXPECT_EQ(menu.Controls().Count(), 7);
        msp::QuitApplication();
    }
    ProgramRun removal = RunProgram(DREMICA_PROGRAM, "click cmdContinue\nYes\nOK\n", home.path());
    EXPECT_EQ(removal.exitCode, 0) << removal.output;
    EXPECT_NE(removal.output.find("Kova Integration components successfully removed from"), std::string::npos)
        << removal.output;
    EXPECT_TRUE(Global().Menus().empty());
    EXPECT_EQ(Global().ActivateProcedures(), 0);

    os::PublishedWindow wizard(basMsPComp::kInstallerWindowTitle);
    ProgramRun again = RunProgram(DREMICA_PROGRAM, "", home.path());
    EXPECT_EQ(again.exitCode, 0) << again.output;
}

TEST_F(ProgramsTest, InstallByHandAtTheTerminal) {
    ProgramRun run = RunProgram(TOLVANE_PROGRAM, "click cmdContinue\nOK\n", home.path());
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("The Kova Integration Components have been installed succesfully."),
              std::string::npos)
        << run.output;
    EXPECT_EQ(Global().Menus().size(), 1u);
    ProgramRun cancelled = RunProgram(TOLVANE_PROGRAM, "click cmdCancel\n", home.path());
    EXPECT_EQ(cancelled.exitCode, 1);
}

} // namespace
} // namespace setup::test
