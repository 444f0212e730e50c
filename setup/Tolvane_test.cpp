// The installer, run in this process against a machine folder of its own.
#include <optional>

#include "platform/os/WindowSearch.h"
#include "setup/SetupTestSupport.h"
#include "setup/TemplateAdditions.h"
#include "setup/Tolvane.h"
#include "setup/frmStatus.h"

namespace setup::test {
namespace {

using forms::steps::Answer;
using forms::steps::Click;

const std::vector<std::string> kCaptions = {"&Connect Project",
                                            "Co&nnection Details",
                                            "Synchronize &Master Data",
                                            "Save &Baseline",
                                            "&Synchronize ChBS/Budget/Schedule",
                                            "&Disconnect Project",
                                            "About..."};
const std::vector<std::string> kActions = {
    "ConnectProject", "ConnectionDetails",         "SynchronizeMasterData",
    "SaveBaseline",   "SynchronizeBudgetSchedule", "DisconnectProject",
    "OrbelAbout"};

class TolvaneTest : public MachineTest {
protected:
    // Runs the program's entry with the setup wizard's window open.
    void RunSilently() {
        os::PublishedWindow wizard(basMsPComp::kInstallerWindowTitle);
        forms::RunUntilEnd([] { Tolvane::Main(); });
        forms::ReleaseUnloadedForms();
    }
    bool RunInstall(int16_t version) {
        Tolvane::ProjectVersion = version;
        return Tolvane::InstallIntoGlobalTemplate();
    }

    // One menu of seven items at the File menu's fifth place, only the first and the last enabled, one
    // activation procedure, one reference to the integration's program, and each template item once.
    void ExpectInstalledOnce() {
        GlobalTemplate g = Global();
        auto menus = g.Menus();
        ASSERT_EQ(menus.size(), 1u);
        EXPECT_EQ(g.MenuPosition(), 5);
        EXPECT_TRUE(menus[0].value("beginGroup", false));
        std::vector<std::string> captions, actions;
        std::vector<bool> enabled, groups;
        for (const auto& c : menus[0].at("controls")) {
            captions.push_back(c.value("caption", ""));
            actions.push_back(c.value("onAction", ""));
            enabled.push_back(c.value("enabled", true));
            groups.push_back(c.value("beginGroup", false));
        }
        EXPECT_EQ(captions, kCaptions);
        EXPECT_EQ(actions, kActions);
        EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, false, true}));
        EXPECT_EQ(groups, (std::vector<bool>{false, false, false, false, false, false, true}));
        EXPECT_EQ(g.ActivateProcedures(), 1);
        EXPECT_EQ(g.ReferencePaths("Grantry"), std::vector<std::string>{(Kova() / "Grantry.exe").string()});
        basMsPComp::TemplateItemTable items;
        basMsPComp::CopyTemplateItems(items);
        for (const auto& item : items)
            EXPECT_EQ(g.Count(item.Type, item.Name, item.Task), 1) << item.Name;
    }
};

TEST_F(TolvaneTest, ByHandTheUserConfirmsAndSeesProgressAndSuccess) {
    user.Add(Click("frmTolvane.cmdContinue"));
    user.Add(Answer(forms::vbOK, "The Kova Integration Components have been installed succesfully."));
    forms::RunUntilEnd([] { Tolvane::Main(); });

    EXPECT_TRUE(user.transcript().Contains(
        "form frmTolvane \"Install Changes to Microsoft Project Global Template\""));
    EXPECT_TRUE(user.transcript().Contains("show frmStatus \"Installing...\" modeless"));
    EXPECT_EQ(user.transcript().Progress("frmStatus.ProgressBar1"),
              (std::vector<std::string>{"0", "5", "10", "15", "20", "25", "30", "35", "40", "50", "60", "65",
                                        "70", "75", "80", "85", "90", "100"}));
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    const auto& box = user.transcript().Boxes()[0].box;
    EXPECT_EQ(box.title, "Kova Project - MS Project Integration");
    EXPECT_EQ(box.Icon(), forms::vbInformation);
    EXPECT_TRUE(box.Foreground());
    EXPECT_FALSE(forms::IsFormLoaded<Tolvane::frmStatus>());
    EXPECT_TRUE(Tolvane::LastInstallSucceeded());

    ExpectInstalledOnce();
    // The activation procedure: a blank line, then the check for the reference and the call.
    auto lines = Global().ProjectModuleLines();
    auto at = std::find(lines.begin(), lines.end(), "Private Sub Project_Activate(ByVal pj As Project)");
    ASSERT_NE(at, lines.end());
    ASSERT_GE(lines.end() - at, 19);
    EXPECT_EQ(at[1], "");
    EXPECT_EQ(at[2], "   On Error GoTo ContinueSearch");
    EXPECT_EQ(at[9], "       If GlobalProject.References(Counter).Name = \"Grantry\" then ");
    EXPECT_EQ(at[17], "       KovaProjectOpen");
    EXPECT_EQ(at[18], "   End If");
    EXPECT_FALSE(fs::exists(Kova() / "ThisFileIsSafeToDelete.mpp"));
    EXPECT_TRUE(fs::is_directory(Kova() / "Data"));
}

TEST_F(TolvaneTest, CancelEndsTheProgramAndChangesNothing) {
    FirstStartOfThePlanningProgram();
    std::string before = ReadFile(GlobalFile());
    user.Add(Click("frmTolvane.cmdCancel"));
    EXPECT_TRUE(forms::RunUntilEnd([] { Tolvane::Main(); }));
    EXPECT_EQ(ReadFile(GlobalFile()), before);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(fs::exists(Kova() / "Data"));
}

TEST_F(TolvaneTest, WithTheSetupWizardOpenOnlyTheStatusWindowShows) {
    RunSilently();
    EXPECT_TRUE(ShowedForm("frmStatus"));
    EXPECT_FALSE(ShowedForm("frmTolvane"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Tolvane::LastInstallSucceeded());
    ExpectInstalledOnce();
}

TEST_F(TolvaneTest, InstallingTwiceLeavesOneOfEach) {
    RunSilently();
    RunSilently();
    ExpectInstalledOnce();
}

TEST_F(TolvaneTest, EarlierAdditionsAreReplaced) {
    // An older installation: a menu of its own, views of the table names, an activation procedure
    // with other code.
    {
        auto app = basMsPComp::CreateProjectApplication();
        ASSERT_TRUE(app);
        app->FileNew(false);
        msp::CommandBarControl old = app->CommandBars("File").Controls().Add(msp::msoControlPopup, 2);
        old.SetCaption("&KovaProject");
        old.Controls().Add(msp::msoControlButton).SetCaption("Old item");
        app->ViewEditSingle("KovaProjectBudget", true, true);
        app->OrganizerMoveItem(msp::pjViews, app->ActiveProject().Name(), "GLOBAL.MPT", "KovaProjectBudget");
        msp::CodeModule code = app->VBE().VBProjects(1).VBComponents().Item(1).CodeModule();
        int line = code.CreateEventProc("Activate", "Project");
        code.InsertLines(line + 1, "   OldActivationCode");
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        msp::QuitApplication();
    }
    ASSERT_EQ(Global().Count(msp::pjViews, "KovaProjectBudget", true), 1);
    RunSilently();
    ExpectInstalledOnce();
    GlobalTemplate g = Global();
    EXPECT_EQ(g.Count(msp::pjViews, "KovaProjectBudget", true), 0);
    auto lines = g.ProjectModuleLines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "   OldActivationCode"), lines.end());
}

TEST_F(TolvaneTest, AnExistingMenuIsNotAddedAgain) {
    auto app = basMsPComp::CreateProjectApplication();
    ASSERT_TRUE(app);
    msp::CommandBarControl menu = app->CommandBars("File").Controls().Add(msp::msoControlPopup, 3);
    menu.SetCaption("&KovaProject");
    Tolvane::ProjectApp = app;
    Tolvane::AddIntegrationMenu();
    Tolvane::ProjectApp.reset();
    int menus = 0;
    for (msp::CommandBarControl c : app->CommandBars("File").Controls())
        if (c.Caption() == "&KovaProject") ++menus;
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(menu.Controls().Count(), 0);
}

// Macro security around the copying of the template's items, by version and by what the registry
// holds before: seen when the template plan opens, and again when its window is activated for
// closing, after the level was put back.
TEST_F(TolvaneTest, MacroSecurityIsLoweredWhileTheTemplateIsOpenAndRestored) {
    struct Case {
        int16_t version;
        std::optional<uint32_t> before; // nullopt: no Security key
        uint32_t during;
        uint32_t after;
    };
    const Case cases[] = {
        {10, 3, 1, 3}, {11, 3, 1, 3}, {9, 2, 1, 2}, {11, 1, 1, 1}, {10, std::nullopt, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "version " << c.version << " level "
                                          << (c.before ? std::to_string(*c.before) : "missing"));
        const std::string key = Tolvane::MacroSecurityKey(c.version);
        os::RegistryDeleteTree(os::HKEY_CURRENT_USER, key);
        if (c.before) {
            ASSERT_TRUE(os::RegistrySetDword(os::HKEY_CURRENT_USER, key, "Level", *c.before));
        }
        std::vector<uint32_t> seen;
        onActivated = [&](const msp::Project& p) {
            uint32_t level = 0;
            if (p.Name() == "KovaProject.mpp" &&
                os::RegistryGetDword(os::HKEY_CURRENT_USER, key, "Level", level))
                seen.push_back(level);
        };
        msp::QuitApplication(); // the next start takes the watcher
        EXPECT_TRUE(RunInstall(c.version));
        EXPECT_EQ(seen, (std::vector<uint32_t>{c.during, c.after}));
        uint32_t after = 0;
        EXPECT_TRUE(os::RegistryGetDword(os::HKEY_CURRENT_USER, key, "Level", after));
        EXPECT_EQ(after, c.after);
    }
}

TEST_F(TolvaneTest, VersionEightTurnsTheVirusProtectionOffWhileTheTemplateIsOpen) {
    std::vector<bool> protection;
    onActivated = [&](const msp::Project& p) {
        if (p.Name() != "KovaProject.mpp") return;
        auto app = msp::RunningApplication();
        protection.push_back(app->MacroVirusProtection());
        protection.push_back(app->Visible());
    };
    auto app = basMsPComp::CreateProjectApplication();
    ASSERT_TRUE(app);
    app->SetMacroVirusProtection(true);
    EXPECT_TRUE(RunInstall(8));
    // Off while the template opens; back on before its window is activated for closing.
    EXPECT_EQ(protection, (std::vector<bool>{false, true, true, true}));
    EXPECT_TRUE(app->MacroVirusProtection());
    EXPECT_FALSE(os::RegistryKeyExists(os::HKEY_CURRENT_USER, Tolvane::MacroSecurityKey(8)));
}

// Without a supported program file the program ends at once: no window, no message, and neither
// the global template nor the registry is touched.
TEST_F(TolvaneTest, AnUnsupportedVersionEndsWithoutTouchingAnything) {
    RunSilently();
    msp::QuitApplication();
    const std::string installed = ReadFile(GlobalFile());
    struct Case {
        const char* name;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"version 12", [&] { InstallPlanningProgram(12); }},
        {"version 7", [&] { InstallPlanningProgram(7); }},
        {"no version", [&] { WriteFile(Msproject() / "WinProj.exe", "no version block"); }},
        {"no program file", [&] { fs::remove(Msproject() / "WinProj.exe"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        user.transcript().Clear();
        os::RegistryDeleteTree(os::HKEY_CURRENT_USER, "Software\\Microsoft\\Office");
        forms::RunUntilEnd([] { Tolvane::Main(); });
        EXPECT_FALSE(msp::RunningApplication());
        EXPECT_EQ(ReadFile(GlobalFile()), installed);
        EXPECT_FALSE(os::RegistryKeyExists(os::HKEY_CURRENT_USER, "Software\\Microsoft\\Office"));
        EXPECT_FALSE(ShowedForm("frmTolvane"));
        EXPECT_FALSE(ShowedForm("frmStatus"));
        EXPECT_TRUE(Boxes().empty());
        EXPECT_FALSE(Tolvane::LastInstallSucceeded());
    }
}

// Failures inside the run: each ends with its message and leaves the installed template on disk as
// it was; macro security is back where it was.
TEST_F(TolvaneTest, FailuresOfTheRunLeaveTheGlobalTemplateAsItWas) {
    RunSilently();
    msp::QuitApplication();
    const std::string installed = ReadFile(GlobalFile());
    const std::string key = Tolvane::MacroSecurityKey(11);
    ASSERT_TRUE(os::RegistrySetDword(os::HKEY_CURRENT_USER, key, "Level", 3));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int16_t version;
        std::string message;
    };
    const Case cases[] = {
        {"integration not registered",
         [&] { os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, kServerAppPath); }, 11,
         "The Integration is not installed properly. Please reinstall."},
        {"planning program not installed", [&] { fs::remove(Msproject() / "WinProj.exe"); }, 11,
         "Microsoft Project is not installed. Please install Microsoft Project first\r\nand then run "
         "\"Tolvane.exe\" to install the integration components."},
        {"template plan missing", [&] { fs::remove(Kova() / "KovaProject.mpp"); }, 11,
         "The Integration is not installed properly. Please reinstall."},
        {"version outside the supported ones", [] {}, 12,
         "It seems that your version of Microsoft Project is not supported. Please contact Kova Support."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallPlanningProgram(11);
        InstallIntegrationFiles();
        c.arrange();
        user.transcript().Clear();
        user.Add(Answer(forms::vbOK, c.message));
        EXPECT_FALSE(RunInstall(c.version));
        ASSERT_EQ(user.transcript().Boxes().size(), 1u);
        const auto& box = user.transcript().Boxes()[0].box;
        EXPECT_EQ(box.prompt, c.message);
        EXPECT_EQ(box.title, "Orbel installation error");
        EXPECT_EQ(box.Icon(), forms::vbCritical);
        EXPECT_TRUE(box.Foreground());
        EXPECT_EQ(ReadFile(GlobalFile()), installed);
        uint32_t level = 0;
        EXPECT_TRUE(os::RegistryGetDword(os::HKEY_CURRENT_USER, key, "Level", level));
        EXPECT_EQ(level, 3u);
        if (auto app = msp::RunningApplication()) {
            EXPECT_EQ(app->Projects().Count(), 0);
        }
        msp::QuitApplication();
        // Quitting wrote what the failed run held: put the installed template back for the next case.
        WriteFile(GlobalFile(), installed);
    }
}

TEST_F(TolvaneTest, AReferenceThatCannotBeLoadedIsReportedAndTheRestIsInstalled) {
    fs::remove(Kova() / "Grantry.exe");
    user.Add(Answer(forms::vbOK, Tolvane::kReferenceFailed));
    EXPECT_TRUE(RunInstall(11));
    ASSERT_EQ(user.transcript().Boxes().size(), 1u);
    const auto& box = user.transcript().Boxes()[0].box;
    EXPECT_EQ(box.prompt, Tolvane::kReferenceFailed);
    EXPECT_EQ(box.title, "Tolvane");
    EXPECT_EQ(box.Icon(), forms::vbExclamation);
    GlobalTemplate g = Global();
    EXPECT_EQ(g.Menus().size(), 1u);
    EXPECT_EQ(g.ActivateProcedures(), 1);
    EXPECT_TRUE(g.ReferencePaths("Grantry").empty());
}

TEST_F(TolvaneTest, TheDataFolderIsMadeAfreshUnlessItHoldsFiles) {
    // Missing: made.
    EXPECT_TRUE(RunInstall(11));
    EXPECT_TRUE(fs::is_directory(Kova() / "Data"));
    // Holding a file: kept with it.
    WriteFile(Kova() / "Data" / "1000.sce", "standard charge elements");
    EXPECT_TRUE(RunInstall(11));
    EXPECT_EQ(ReadFile(Kova() / "Data" / "1000.sce"), "standard charge elements");
}

TEST_F(TolvaneTest, ServerPathFromTheAppPathsEntry) {
    struct Case {
        std::optional<std::string> stored;
        std::string expected;
    };
    const std::string folder = Kova().string();
    const Case cases[] = {{folder, folder + "/"}, {folder + "/", folder + "/"}, {std::nullopt, ""}, {"", ""}};
    for (const Case& c : cases) {
        os::RegistryDeleteTree(os::HKEY_LOCAL_MACHINE, kServerAppPath);
        if (c.stored) {
            ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kServerAppPath, "Path", *c.stored));
        }
        EXPECT_EQ(Tolvane::GetServerPath(), c.expected) << (c.stored ? *c.stored : "<missing>");
    }
}

TEST_F(TolvaneTest, TheItemTableRefusesIndexesOutsideItsRange) {
    EXPECT_FALSE(Tolvane::SetTemplateItem(10, 0, "Extra", true));
    EXPECT_FALSE(Tolvane::SetTemplateItem(-1, 0, "Extra", true));
    Tolvane::CopyTemplateItems();
    EXPECT_TRUE(Tolvane::SetTemplateItem(9, 6, "Other", true));
    EXPECT_EQ(Tolvane::TemplateItems[9].Name, "Other");
    Tolvane::CopyTemplateItems();
    EXPECT_EQ(Tolvane::TemplateItems[9].Name, "KovaProjectToolBar");
    EXPECT_EQ(Tolvane::TemplateItems[7].Name, "Kova Proj Resources");
    EXPECT_TRUE(Tolvane::TemplateItems[7].Task);
    EXPECT_FALSE(Tolvane::TemplateItems[3].Task);
}

} // namespace
} // namespace setup::test

namespace setup::test {
namespace {

// The planning program starts in the language its installation recorded, so the additions land in
// that language's global template.
TEST_F(MachineTest, TheRecordedLanguageChoosesTheGlobalTemplate) {
    ASSERT_TRUE(os::RegistrySetDword(os::HKEY_LOCAL_MACHINE, basMsPComp::kPlanningProgramSettingsKey,
                                     "UILanguage", 1031));
    Tolvane::ProjectVersion = 11;
    EXPECT_TRUE(Tolvane::InstallIntoGlobalTemplate());
    EXPECT_EQ(GlobalTemplate::Read(Msproject() / "1031" / "GLOBAL.MPT").Menus().size(), 1u);
    EXPECT_FALSE(fs::exists(GlobalFile()));
}

} // namespace
} // namespace setup::test
