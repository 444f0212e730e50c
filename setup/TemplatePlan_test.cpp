// The template plan that ships beside the integration's program, as the build wrote it.
#include "setup/SetupTestSupport.h"
#include "setup/TemplatePlan.h"
#include "setup/Tolvane.h"

namespace setup::test {
namespace {

class TemplatePlanTest : public MachineTest {
protected:
    // The shipped plan open in the running program, its items copied into the global template.
    std::shared_ptr<msp::Application> OpenAndCopy() {
        auto app = basMsPComp::CreateProjectApplication();
        app->FileOpen((Kova() / "KovaProject.mpp").string());
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        basMsPComp::TemplateItemTable items;
        basMsPComp::CopyTemplateItems(items);
        for (const auto& item : items) {
            app->OrganizerMoveItem(item.Type, "KovaProject.mpp", "GLOBAL.MPT", item.Name, item.Task);
            EXPECT_EQ(Err().Number, 0) << item.Name << ": " << Err().Description;
            Err().Clear();
        }
        app->FileClose(msp::pjDoNotSave);
        return app;
    }
};

TEST_F(TemplatePlanTest, EveryItemIsThereWithItsNameAndKind) {
    OpenAndCopy();
}

TEST_F(TemplatePlanTest, TheViewsAndFiltersWorkOnAPlan) {
    auto app = OpenAndCopy();
    app->FileNew(false);
    msp::Project plan = app->ActiveProject();
    plan.Tasks().Add("A");
    app->SelectRow(2, false);
    app->EditInsert();
    plan.Tasks().Add("B");
    plan.Resources().Add("Crane");
    Err().Clear();

    app->ViewApply("Kova Proj Gantt");
    app->FilterApply("AllKovaProjectTasks");
    app->SelectRow(2, false);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(app->ActiveCell().Task().Name(), "B"); // the blank row is hidden
    app->ViewApply("Kova Proj Budget");
    EXPECT_EQ(plan.CurrentView(), "Kova Proj Budget");
    app->ViewApply("Kova Proj Resources");
    app->FilterApply("AllKovaProjectResources");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(app->ActiveCell().Resource().Name(), "Crane");
    EXPECT_EQ(app->CommandBars("KovaProjectToolBar").Controls().Count(), 6);
}

// Every macro that the menu, the toolbar and the activation procedure name is in the module, and
// calls the command object's method of the same name.
TEST_F(TemplatePlanTest, TheModuleHasTheMacroOfEveryMenuItemAndButton) {
    Tolvane::ProjectVersion = 11;
    ASSERT_TRUE(Tolvane::InstallIntoGlobalTemplate());
    auto app = basMsPComp::CreateProjectApplication();
    std::vector<std::string> lines =
        app->VBE().VBProjects(1).VBComponents().Item("KovaProjectIntegration").CodeModule().AllLines();
    ASSERT_FALSE(lines.empty());
    auto hasMacro = [&](const std::string& macro) {
        auto at = std::find(lines.begin(), lines.end(), "Public Sub " + macro + "()");
        if (at == lines.end()) return false;
        for (; at != lines.end() && *at != "End Sub"; ++at) {
            std::string call = "    KovaIntegration." + macro;
            if (at->size() == call.size() &&
                std::equal(at->begin(), at->end(), call.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                }))
                return true;
        }
        return false;
    };
    std::vector<std::string> macros = {"KovaProjectOpen"};
    msp::CommandBarControl menu = app->CommandBars("File").Controls().Item("&KovaProject");
    for (msp::CommandBarControl c : menu.Controls())
        macros.push_back(c.OnAction());
    for (msp::CommandBarControl c : app->CommandBars("KovaProjectToolBar").Controls())
        macros.push_back(c.OnAction());
    EXPECT_EQ(macros.size(), 14u);
    for (const auto& macro : macros)
        EXPECT_TRUE(hasMacro(macro)) << macro;
}

// The generator leaves the program's global template without the toolbar it made on the way.
TEST_F(TemplatePlanTest, WritingThePlanLeavesTheGlobalTemplateAlone) {
    auto app = basMsPComp::CreateProjectApplication();
    const fs::path written = home.path() / "again" / "KovaProject.mpp";
    fs::create_directories(written.parent_path());
    ASSERT_TRUE(basMsPComp::WriteTemplatePlan(*app, written.string())) << Err().Description;
    EXPECT_EQ(app->Projects().Count(), 0);
    app->CommandBars("KovaProjectToolBar");
    EXPECT_EQ(Err().Number, 5);
    Err().Clear();
    EXPECT_EQ(nlohmann::json::parse(ReadFile(written)).at("items"),
              nlohmann::json::parse(ReadFile(KOVA_TEMPLATE_PLAN_FILE)).at("items"));
}

} // namespace
} // namespace setup::test
