// The global template's machinery: command bars and controls, the organizer, the macro code module
// and references.
#include <fstream>

#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

class Template : public MsProjectTest {};

TEST_F(Template, MenuPopUpWithItems) {
    CommandBarControls file = app->CommandBars("File").Controls();
    int32_t before = file.Count();
    CommandBarControl menu = file.Add(msoControlPopup, 5);
    menu.SetCaption("&KovaProject");
    menu.SetBeginGroup(true);
    const char* captions[] = {"&Connect Project",
                              "Co&nnection Details",
                              "Synchronize &Master Data",
                              "Save &Baseline",
                              "&Synchronize ChBS/Budget/Schedule",
                              "&Disconnect Project",
                              "About..."};
    for (const char* caption : captions) {
        CommandBarControl b = menu.Controls().Add(msoControlButton);
        b.SetCaption(caption);
        b.SetEnabled(std::string(caption) == "&Connect Project" || std::string(caption) == "About...");
    }
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(file.Count(), before + 1);
    EXPECT_EQ(file.Item(5).Caption(), "&KovaProject");
    EXPECT_EQ(file.Item(5).Index(), 5);
    EXPECT_EQ(file.Item("&KovaProject").Controls().Count(), 7);
    std::vector<bool> enabled;
    for (CommandBarControl c : file.Item(5).Controls())
        enabled.push_back(c.Enabled());
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, false, true}));
    // Captions are matched exactly.
    file.Item("&kovaproject");
    EXPECT_EQ(Err().Number, 5);
    Err().Clear();
    // A button has no items.
    EXPECT_FALSE(file.Item(5).Controls().Item(1).Controls());
    file.Add(msoControlButton, before + 3);
    EXPECT_EQ(Err().Number, 5);
    Err().Clear();

    file.Item(5).Delete();
    EXPECT_EQ(file.Count(), before);
    EXPECT_NE(file.Item(5).Caption(), "&KovaProject");
    EXPECT_EQ(menu.Caption(), "");
    EXPECT_EQ(Err().Number, 91);
    Err().Clear();
    app->CommandBars("File").Delete();
    EXPECT_EQ(Err().Number, 5);
    app->CommandBars("NoSuchBar");
    EXPECT_EQ(Err().Number, 5);
}

TEST_F(Template, OrganizerCopiesReplaceAndDeletesFail) {
    app->ViewEditSingle("Kova Proj Resources", true, false);
    app->FilterEdit("AllKovaProjectResources", false, true);
    app->TableEdit("KovaProjectResources", false, true, {"Name", "Text2"});
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    struct Step {
        const char* title;
        std::function<void()> call;
        int32_t error;
    };
    const Step steps[] = {
        // A resource view carries Task True in the item table: views are matched by name alone.
        {"CopyResourceView",
         [&] { app->OrganizerMoveItem(pjViews, "Project1", "GLOBAL.MPT", "Kova Proj Resources", true); }, 0},
        {"CopyAgainReplaces",
         [&] { app->OrganizerMoveItem(pjViews, "Project1", "GLOBAL.MPT", "Kova Proj Resources", true); }, 0},
        {"FilterOfTheOtherKindIsMissing",
         [&] {
             app->OrganizerMoveItem(pjFilters, "Project1", "GLOBAL.MPT", "AllKovaProjectResources", true);
         },
         1004},
        {"ResourceFilter",
         [&] {
             app->OrganizerMoveItem(pjFilters, "Project1", "GLOBAL.MPT", "AllKovaProjectResources", false);
         },
         0},
        {"ResourceTable",
         [&] { app->OrganizerMoveItem(pjTables, "Project1", "GLOBAL.MPT", "KovaProjectResources", false); },
         0},
        {"MissingItem", [&] { app->OrganizerMoveItem(pjViews, "Project1", "GLOBAL.MPT", "Nope", true); },
         1004},
        {"PlanNotOpen",
         [&] { app->OrganizerMoveItem(pjViews, "KovaProject.mpp", "GLOBAL.MPT", "Kova Proj Resources"); },
         1004},
        {"UnknownType", [&] { app->OrganizerMoveItem(7, "Project1", "GLOBAL.MPT", "Kova Proj Resources"); },
         1004},
        {"DeleteMissing",
         [&] { app->OrganizerDeleteItem(pjModules, "GLOBAL.MPT", "KovaProjectIntegration"); }, 1004},
    };
    for (const auto& s : steps) {
        Err().Clear();
        s.call();
        EXPECT_EQ(Err().Number, s.error) << s.title;
    }
    auto views = Plan().ViewList();
    EXPECT_EQ(std::count(views.begin(), views.end(), "Kova Proj Resources"), 1);
    // The copy in the global template works in a new plan.
    Err().Clear();
    app->FileNew(false);
    Plan().Resources().Add("R");
    app->ViewApply("Kova Proj Resources");
    app->FilterApply("AllKovaProjectResources");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(app->ActiveCell().Resource().Name(), "R");
    Err().Clear();
    app->OrganizerDeleteItem(pjViews, "GLOBAL.MPT", "Kova Proj Resources", true);
    EXPECT_EQ(Err().Number, 0);
    app->OrganizerDeleteItem(pjViews, "GLOBAL.MPT", "Kova Proj Resources", true);
    EXPECT_EQ(Err().Number, 1004);
}

// The activation procedure as the installer writes it and the uninstaller removes it.
const char* kEventCode = "\r\n   On Error GoTo ContinueSearch\r\n   Dim Counter As "
                         "Integer\r\nContinueSearch:\r\n   KovaProjectOpen";

TEST_F(Template, EventProcedureInTheProjectModule) {
    CodeModule m = app->VBE().VBProjects("ProjectGlobal").VBComponents().Item(1).CodeModule();
    EXPECT_EQ(app->VBE().VBProjects(1).Name(), "ProjectGlobal");
    m.AddFromString("Option Explicit");
    m.ProcCountLines("Project_Activate", vbext_pk_Proc);
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();

    int32_t line = m.CreateEventProc("Activate", "Project");
    EXPECT_EQ(line, 3);
    m.InsertLines(line + 1, kEventCode);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    std::vector<std::string> expected = {"Option Explicit",
                                         "",
                                         "Private Sub Project_Activate(ByVal pj As Project)",
                                         "",
                                         "   On Error GoTo ContinueSearch",
                                         "   Dim Counter As Integer",
                                         "ContinueSearch:",
                                         "   KovaProjectOpen",
                                         "",
                                         "End Sub"};
    EXPECT_EQ(m.AllLines(), expected);
    // The blank line above the declaration belongs to the procedure.
    EXPECT_EQ(m.ProcStartLine("project_activate", 0), 2);
    EXPECT_EQ(m.ProcCountLines("Project_Activate", 0), 9);
    EXPECT_EQ(m.ProcBodyLine("Project_Activate", 0), 3);
    // A second one is refused; the existing one is deleted and made again instead.
    m.CreateEventProc("Activate", "Project");
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    m.DeleteLines(m.ProcStartLine("Project_Activate", 0), m.ProcCountLines("Project_Activate", 0));
    EXPECT_EQ(m.AllLines(), std::vector<std::string>{"Option Explicit"});
    EXPECT_EQ(m.CreateEventProc("Activate", "Project"), 3);
    EXPECT_EQ(m.CountOfLines(), 5);
    m.DeleteLines(5, 2);
    EXPECT_EQ(Err().Number, 9);
    EXPECT_EQ(m.CountOfLines(), 5);
    Err().Clear();
    m.CreateEventProc("Open", "Application");
    EXPECT_EQ(Err().Number, 1004);
}

TEST_F(Template, ReferencesFromFiles) {
    References refs = app->VBE().VBProjects(1).References();
    int32_t builtIn = refs.Count();
    EXPECT_GT(builtIn, 0);
    refs.AddFromFile((home.path() / "kova" / "Grantry.exe").string());
    EXPECT_EQ(Err().Number, 48);
    EXPECT_EQ(refs.Count(), builtIn);
    Err().Clear();

    std::filesystem::create_directories(home.path() / "kova");
    std::ofstream(home.path() / "kova" / "Grantry.exe") << "program";
    Reference r = refs.AddFromFile((home.path() / "kova" / "Grantry.exe").string());
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(r.Name(), "Grantry");
    EXPECT_EQ(refs.Item(builtIn + 1), r);
    refs.AddFromFile((home.path() / "kova" / "Grantry.exe").string());
    EXPECT_NE(Err().Number, 0);
    Err().Clear();
    refs.Remove(refs.Item(1));
    EXPECT_NE(Err().Number, 0); // the built-in ones stay
    Err().Clear();
    refs.Remove(r);
    EXPECT_EQ(refs.Count(), builtIn);
    refs.Item(builtIn + 1);
    EXPECT_EQ(Err().Number, 9);
}

} // namespace
} // namespace platform::msproject::testing
