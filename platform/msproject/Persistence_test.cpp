// Plans and the global template on disk: saving, reopening, the Saved flag, server plans, and the
// global template shared by separate processes.
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "platform/msproject/TestFixture.h"
#include "platform/os/KovaHome.h"

namespace platform::msproject::testing {
namespace {

namespace fs = std::filesystem;

class Persistence : public MsProjectTest {
protected:
    fs::path Folder() const {
        fs::path f = home.path() / "plans";
        fs::create_directories(f);
        return f;
    }
    // Quits, starts a fresh instance and opens the plan again, so that everything comes from the file.
    void Reopen(const fs::path& file, ApplicationOptions options = {}) {
        QuitApplication();
        app = StartApplication(options);
        app->FileOpen(file.string());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
};

TEST_F(Persistence, PlanRoundTrip) {
    Build({{"Top", 1}, {"Child", 2}, {"", 0}, {"Leaf", 2}, {"Other", 1}});
    Project p = Plan();
    Task child = Named("Child"), leaf = Named("Leaf"), other = Named("Other");
    child.SetText1("CE01");
    child.SetText20("A100_2_15");
    child.SetFlag3(true);
    child.SetNumber20(42.5);
    child.SetDate9("NA");
    child.SetDate10(At(2024, 6, 7, 8, 0));
    child.SetStart(At(2024, 6, 7, 8, 0));
    child.SetDuration(960.0);
    child.SetConstraintType(4);
    child.SetConstraintDate(At(2024, 6, 7, 8, 0));
    child.SetActualStart(At(2024, 6, 7, 9, 0));
    child.SetNotes("line one\r\nline two");
    leaf.SetMilestone(true);
    leaf.SetDuration(0.0);
    leaf.LinkPredecessors(child, pjStartToStart, "2");
    other.LinkPredecessors(leaf, pjFinishToStart, -60.0);
    app->SelectRow(1, false);
    app->Font({.Italic = true, .Color = 1});

    Resource crane = p.Resources().Add("EQP.CR20 Crane");
    crane.SetText2("EQP.CR20");
    crane.SetMaxUnits(2);
    crane.SetStandardRate(55);
    app->ViewApply("Resource Sheet", true);
    app->SelectRow(2, false);
    app->EditInsert(); // a blank resource row
    app->ViewApply("Gantt Chart", true);
    app->BaseCalendarCreate("CX");
    app->BaseCalendarEditDays({.Name = "CX", .StartDate = At(2024, 6, 10), .Working = false});
    crane.SetBaseCalendar("CX");
    Assignment a = child.Assignments().Add(crane.Id(), 0.0);
    a.SetWork(240.0);
    a.SetText4("17");
    a.SetFlag1(true);

    p.CustomDocumentProperties().Add("OBSCode", false, msoPropertyTypeString, "OBS1");
    p.CustomDocumentProperties().Add("KovaCompany", false, msoPropertyTypeNumber, int32_t{100});
    p.CustomDocumentProperties().Add("Owned", false, msoPropertyTypeBoolean, true);
    p.SetCurrencySymbol("EUR");
    p.SetHonorConstraints(false);
    app->ProjectSummaryInfo({.Calendar = "CX"});
    int32_t childUid = child.UniqueID();
    ASSERT_EQ(Err().Number, 0) << Err().Description;

    fs::path file = Folder() / "Round.mpp";
    app->FileSaveAs(file.string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_TRUE(Plan().Saved());
    EXPECT_EQ(Plan().Name(), "Round.mpp");
    // Saved atomically: the plan file and nothing half-written beside it.
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(Folder()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, (std::vector<std::string>{"Round.mpp"}));

    Reopen(file);
    p = Plan();
    EXPECT_TRUE(p.Saved());
    EXPECT_EQ(p.Name(), "Round.mpp");
    EXPECT_EQ(Layout(), "Top1 Child2 - Leaf2 Other1");
    child = Named("Child");
    leaf = Named("Leaf");
    EXPECT_EQ(child.UniqueID(), childUid);
    EXPECT_EQ(child.Text1(), "CE01");
    EXPECT_EQ(child.Text20(), "A100_2_15");
    EXPECT_TRUE(child.Flag3());
    EXPECT_DOUBLE_EQ(child.Number20(), 42.5);
    EXPECT_EQ(child.Date9(), Variant("NA"));
    EXPECT_EQ(child.Date10(), Variant(At(2024, 6, 7, 8, 0)));
    EXPECT_EQ(child.Start(), At(2024, 6, 7, 8, 0));
    EXPECT_DOUBLE_EQ(child.Duration(), 960);
    EXPECT_EQ(child.ConstraintType(), 4);
    EXPECT_EQ(child.ActualStart(), Variant(At(2024, 6, 7, 9, 0)));
    EXPECT_EQ(child.ActualFinish(), Variant("NA"));
    EXPECT_EQ(child.Notes(), "line one\r\nline two");
    EXPECT_TRUE(leaf.Milestone());
    EXPECT_TRUE(Named("Top").FontItalic());
    EXPECT_EQ(Named("Top").FontColor(), 1);
    auto deps = leaf.TaskDependencies();
    ASSERT_EQ(deps.Count(), 1);
    EXPECT_EQ(deps.Item(1).From, child);
    EXPECT_EQ(deps.Item(1).Type, pjStartToStart);
    EXPECT_DOUBLE_EQ(deps.Item(1).Lag, 2 * 480);
    EXPECT_DOUBLE_EQ(Named("Other").TaskDependencies().Item(1).Lag, -60);

    ASSERT_EQ(p.Resources().Count(), 2);
    EXPECT_FALSE(p.Resources().Item(2));
    Resource r = p.Resources().Item("eqp.cr20 crane");
    EXPECT_EQ(r.Text2(), "EQP.CR20");
    EXPECT_DOUBLE_EQ(r.MaxUnits(), 2);
    EXPECT_EQ(r.BaseCalendar(), "CX");
    ASSERT_EQ(child.Assignments().Count(), 1);
    Assignment back = child.Assignments().Item(1);
    EXPECT_EQ(back.ResourceName(), "EQP.CR20 Crane");
    EXPECT_DOUBLE_EQ(back.Work(), 240);
    EXPECT_EQ(back.Text4(), "17");
    EXPECT_TRUE(back.Flag1());
    EXPECT_EQ(back.TaskID(), child.Id());

    EXPECT_EQ(p.CustomDocumentProperties().Item("obscode").Value(), Variant("OBS1"));
    EXPECT_EQ(p.CustomDocumentProperties().Item("KovaCompany").Value(), Variant(int32_t{100}));
    EXPECT_EQ(p.CustomDocumentProperties().Item("Owned").Type(), msoPropertyTypeBoolean);
    EXPECT_EQ(p.CurrencySymbol(), "EUR");
    EXPECT_FALSE(p.HonorConstraints());
    EXPECT_EQ(p.Calendar().Name(), "CX");
    EXPECT_FALSE(p.BaseCalendars().Item("CX").IsWorkingDay(At(2024, 6, 10)));
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    // New tasks go on from the stored counter.
    EXPECT_GT(p.Tasks().Add("New").UniqueID(), childUid);
}

TEST_F(Persistence, SavedFlagAndTheSaveAsAnswer) {
    std::optional<std::string> answer;
    int asked = 0;
    QuitApplication();
    ApplicationOptions o;
    o.saveAsPrompt = [&](const Project& p) {
        ++asked;
        EXPECT_EQ(p.Name(), "Project1");
        return answer;
    };
    app = StartApplication(o);
    app->FileNew(false);
    EXPECT_FALSE(Plan().Saved());
    Plan().Tasks().Add("A");

    // Cancel: nothing written, still unsaved, no error.
    app->FileSave();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(Plan().Saved());

    answer = (Folder() / "Answered").string();
    app->FileSave();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(Plan().Saved());
    EXPECT_EQ(Plan().Name(), "Answered.mpp");
    EXPECT_TRUE(fs::exists(Folder() / "Answered.mpp"));

    Named("A").SetText1("X");
    EXPECT_FALSE(Plan().Saved());
    app->FileSave();
    EXPECT_EQ(asked, 2); // a plan with a file is saved without asking
    EXPECT_TRUE(Plan().Saved());
    // Looking does not change anything.
    app->SelectRow(1, false);
    app->Find("Text1", "equals", "X");
    EXPECT_TRUE(Plan().Saved());
}

TEST_F(Persistence, ServerPlansLiveUnderTheMachineFolder) {
    Build({{"A", 1}});
    app->FileSaveAs("<>/Kova Plans/Server Plan.mpp");
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Plan().Path(), "<>/Kova Plans");
    EXPECT_TRUE(fs::exists(home.path() / "server" / "Kova Plans" / "Server Plan.mpp"));
    app->FileClose(pjDoNotSave);
    EXPECT_EQ(app->Projects().Count(), 0);
    app->FileOpen("<>/Kova Plans/Server Plan.mpp");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Plan().Path().front(), '<');
    EXPECT_EQ(Layout(), "A1");
}

TEST_F(Persistence, FileFailures) {
    struct Case {
        const char* title;
        std::function<void()> call;
    };
    std::ofstream(Folder() / "garbage.mpp") << "not a plan";
    const Case cases[] = {
        {"OpenMissing", [&] { app->FileOpen((Folder() / "missing.mpp").string()); }},
        {"OpenNotAPlan", [&] { app->FileOpen((Folder() / "garbage.mpp").string()); }},
        {"SaveIntoMissingFolder", [&] { app->FileSaveAs((Folder() / "no" / "such" / "x.mpp").string()); }},
        {"SaveInAnotherFormat", [&] { app->FileSaveAs((Folder() / "x.xml").string(), "MSProject.XML"); }},
        {"ActivateMissingWindow", [&] { app->WindowActivate("nowhere"); }},
    };
    for (const auto& c : cases) {
        Err().Clear();
        c.call();
        EXPECT_EQ(Err().Number, 1004) << c.title;
    }
    EXPECT_EQ(app->Projects().Count(), 1);
    EXPECT_FALSE(fs::exists(Folder() / "x.xml"));
}

TEST_F(Persistence, OpenPlansAndWindows) {
    Build({{"A", 1}});
    app->FileSaveAs((Folder() / "KovaProject.mpp").string());
    app->FileNew(false);
    EXPECT_EQ(app->Projects().Count(), 2);
    EXPECT_EQ(Plan().Name(), "Project2");
    app->WindowActivate("kovaproject");
    EXPECT_EQ(Plan().Name(), "KovaProject.mpp");
    app->WindowActivate("kovaproject.mpp");
    EXPECT_EQ(Err().Number, 0);
    Task a = Named("A");
    app->FileClose(pjDoNotSave);
    EXPECT_EQ(Plan().Name(), "Project2");
    // Objects of a closed plan are gone.
    EXPECT_EQ(a.Name(), "");
    EXPECT_EQ(Err().Number, 91);
    Err().Clear();
    app->FileCloseAll(pjDoNotSave);
    EXPECT_EQ(app->Projects().Count(), 0);
    EXPECT_FALSE(app->ActiveProject());
    EXPECT_EQ(Err().Number, 1004);
}

// Runs `body` in a child process, as a separate program of the machine would, and returns its exit code.
int InChildProcess(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


std::string Bytes(const fs::path& file) {
    std::string text;
    platform::os::ReadWholeFile(file, text);
    return text;
}

// Plans that the program could not have written, and a file of a newer format: each is refused with
// the file, the row and the field in the message, and stays on disk byte for byte.
TEST_F(Persistence, DamagedPlansAreRefusedWithTheReasonAndLeftAsTheyAre) {
    Build({{"Design", 1}, {"Drawings", 2}});
    Resource crane = Plan().Resources().Add("Crane");
    PlanTasks().Item(2).Assignments().Add(crane.Id(), 1.0);
    const fs::path good = Folder() / "Good.mpp";
    app->FileSaveAs(good.string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    const auto original = nlohmann::json::parse(Bytes(good));

    using Edit = std::function<void(nlohmann::json&)>;
    struct Case {
        const char* name;
        Edit edit;
        const char* says;
    };
    const Case cases[] = {
        {"level0", [](auto& j) { j["tasks"][0]["level"] = 0; }, "task 1 (\"Design\", unique id 1): Outline Level 0"},
        {"levelNegative", [](auto& j) { j["tasks"][1]["level"] = -5; }, "task 2 (\"Drawings\", unique id 2): Outline Level -5"},
        {"levelSkipped", [](auto& j) { j["tasks"][1]["level"] = 3; }, "Outline Level 3 must be from 1 to 2"},
        {"startFarBack", [](auto& j) { j["tasks"][0]["start"] = -1e300; }, "task 1 (\"Design\", unique id 1): Start -1e+300 is outside"},
        {"startFarAhead", [](auto& j) { j["tasks"][1]["start"] = 1e300; }, "Start 1e+300 is outside"},
        {"projectStart", [](auto& j) { j["project"]["start"] = 1e300; }, "the project: Start 1e+300"},
        {"startIn2200", [](auto& j) { j["tasks"][0]["start"] = 109575; }, "Start 2200-01-01 00:00:00 is outside"},
        {"duration", [](auto& j) { j["tasks"][0]["duration"] = 1e300; }, "Duration 1e+300 minutes"},
        {"sameUid", [](auto& j) { j["tasks"][1]["uid"] = 1; }, "task 2 (\"Drawings\", unique id 1): the unique id is used by another task"},
        {"nextUidNegative", [](auto& j) { j["project"]["nextTaskUid"] = -1; }, "the next task unique id -1 must be above"},
        {"nextUidInUse", [](auto& j) { j["project"]["nextResourceUid"] = 1; }, "the next resource unique id 1"},
        {"shiftBackwards", [](auto& j) { j["calendars"][0]["week"][1]["shifts"][0] = {600, 480}; },
         "calendar \"Standard\": the shift 600 to 480"},
        {"wrongType", [](auto& j) { j["tasks"][1]["name"] = 5; }, "task 2 cannot be read"},
        {"missingResource", [](auto& j) { j["tasks"][1]["assignments"][0]["resource"] = 9; },
         "task 2 (\"Drawings\", unique id 2), assignment 1: resource unique id 9 is not in the plan"},
        {"noResource", [](auto& j) { j["tasks"][1]["assignments"][0].erase("resource"); },
         "task 2 (\"Drawings\", unique id 2), assignment 1: resource unique id 0 is not in the plan"},
        {"newerFormat", [](auto& j) { j["formatVersion"] = 99; }, "newer file format (version 99)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = original;
        c.edit(doc);
        const fs::path file = Folder() / (std::string(c.name) + ".mpp");
        std::ofstream(file, std::ios::binary) << doc.dump(1);
        const std::string before = Bytes(file);
        const int32_t open = app->Projects().Count();
        app->FileOpen(file.string());
        EXPECT_EQ(Err().Number, 1004);
        EXPECT_NE(Err().Description.find(file.string()), std::string::npos) << Err().Description;
        EXPECT_NE(Err().Description.find(c.says), std::string::npos) << Err().Description;
        Err().Clear();
        EXPECT_EQ(app->Projects().Count(), open);
        EXPECT_EQ(Bytes(file), before);
    }
    // Cut short anywhere, a plan is refused as damaged.
    const std::string text = Bytes(good);
    std::ofstream(Folder() / "Cut.mpp", std::ios::binary) << text.substr(0, text.size() / 2);
    app->FileOpen((Folder() / "Cut.mpp").string());
    EXPECT_NE(Err().Description.find("is damaged or cut short"), std::string::npos) << Err().Description;
    Err().Clear();
    QuitApplication();
    EXPECT_EQ(Bytes(Folder() / "newerFormat.mpp").find("\"formatVersion\": 99") != std::string::npos, true);
}

// What the reader refuses cannot be set: a plan the program saves can always be opened again.
TEST_F(Persistence, ValuesTheReaderRefusesAreRefusedWhenSet) {
    Build({{"Design", 1}, {"Drawings", 2}});
    Task task = PlanTasks().Item(2);
    const Date in2200 = Date::FromParts(2200, 1, 1);
    struct Case {
        const char* field;
        Variant value;
        const char* says;
    };
    const Case cases[] = {
        {"Start", Variant(in2200), "The date 2200-01-01 00:00:00 is outside the dates the program schedules"},
        {"Start", Variant(Date(1e300)), "The date 1e+300 is outside"},
        {"Start", Variant(Date::FromParts(1970, 1, 1)), "is outside"},
        {"Finish", Variant(in2200), "is outside"},
        {"ConstraintDate", Variant(in2200), "is outside"},
        {"ActualStart", Variant(Date::FromParts(1970, 1, 1)), "is outside"},
        {"Duration", Variant(1e300), "The duration cannot be negative or end after 2149-12-31"},
        {"Number1", Variant(std::nan("")), "The argument value is not valid"},
        {"Date1", Variant(Date(1e300)), "is not a valid date"},
        {"Start1", Variant(Date(-1e300)), "is not a valid date"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.says);
        const std::string before = automation::CStr(task.GetField(c.field));
        task.SetField(c.field, c.value);
        EXPECT_NE(Err().Number, 0);
        EXPECT_NE(Err().Description.find(c.says), std::string::npos) << Err().Description;
        Err().Clear();
        EXPECT_EQ(automation::CStr(task.GetField(c.field)), before);
    }
    // A start near the end of the dates takes no duration that ends after them.
    task.SetField("Duration", Variant(int32_t(480)));
    task.SetField("Start", Variant(Date::FromParts(2149, 12, 31, 8)));
    EXPECT_NE(Err().Number, 0);
    Err().Clear();
    Plan().SetStart(Date::FromParts(1900, 1, 1));
    EXPECT_NE(Err().Description.find("is outside"), std::string::npos) << Err().Description;
    Err().Clear();
    app->ProjectSummaryInfo({.Start = in2200});
    EXPECT_NE(Err().Description.find("The date 2200-01-01 00:00:00 is outside"), std::string::npos)
        << Err().Description;
    Err().Clear();
    EXPECT_GT(Plan().Start().Serial(), Date::FromParts(1984, 1, 1).Serial());

    const fs::path file = Folder() / "Edited.mpp";
    app->FileSaveAs(file.string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    app->FileClose(pjDoNotSave);
    app->FileOpen(file.string());
    EXPECT_EQ(Err().Number, 0) << Err().Description;
}

TEST_F(Persistence, ASaveLeavesNoTemporaryFileAndRemovesThoseOfKilledWriters) {
    const fs::path file = Folder() / "Plan.mpp";
    // A writer that was killed: its process is gone. A writer still at work keeps its file.
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const fs::path stale = Folder() / ("Plan.mpp.tmp." + std::to_string(gone));
    const fs::path busy = Folder() / ("Plan.mpp.tmp." + std::to_string(getppid()));
    std::ofstream(stale) << "half a plan";
    std::ofstream(busy) << "another writer's plan";
    app->FileSaveAs(file.string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(busy));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(Folder()))
        ++entries;
    EXPECT_EQ(entries, 2); // the plan and the busy writer's file
}

TEST_F(Persistence, AReadOnlyPlanIsNotReplaced) {
    const fs::path file = Folder() / "Plan.mpp";
    app->FileSaveAs(file.string());
    ASSERT_EQ(Err().Number, 0);
    const std::string before = Bytes(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    PlanTasks().Add("More");
    app->FileSave();
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_NE(Err().Description.find("\"" + file.string() + "\" could not be saved (Permission denied)"),
              std::string::npos)
        << Err().Description;
    Err().Clear();
    EXPECT_EQ(Bytes(file), before);
}

class GlobalTemplate : public Persistence {};

TEST_F(GlobalTemplate, InstallAndRemovalReachTheNextProcess) {
    fs::path server = home.path() / "kova";
    fs::create_directories(server);
    std::ofstream(server / "Grantry.exe") << "program";
    // The template plan with the integration's items.
    app->ViewEditSingle("Kova Proj Gantt", true, true, "KovaProjectIntegration", "");
    app->TableEdit("KovaProjectIntegration", true, true, {"ID", "Name", "Text1"});
    app->FilterEdit("AllKovaProjectTasks", true, true);
    VBComponent module = app->VBE().VBProjects(2).VBComponents().Add(vbext_ct_StdModule);
    module.SetName("KovaProjectIntegration");
    module.CodeModule().AddFromString("Sub ConnectProject()\r\nEnd Sub");
    CommandBar bar = app->CommandBars().Add("KovaProjectToolBar");
    for (int i = 0; i < 6; ++i)
        bar.Controls().Add(msoControlButton).SetCaption("Button " + std::to_string(i + 1));
    app->OrganizerMoveItem(pjToolbars, "GLOBAL.MPT", "Project1", "KovaProjectToolBar");
    app->OrganizerDeleteItem(pjToolbars, "GLOBAL.MPT", "KovaProjectToolBar");
    app->FileSaveAs((server / "KovaProject.mpp").string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    QuitApplication();

    // The installer, as a program of its own.
    int installed = InChildProcess([&] {
        auto a = StartApplication();
        a->FileNew(false);
        a->Alerts(false);
        a->FileOpen((server / "KovaProject.mpp").string());
        const std::pair<int32_t, const char*> items[] = {{pjModules, "KovaProjectIntegration"},
                                                         {pjTables, "KovaProjectIntegration"},
                                                         {pjFilters, "AllKovaProjectTasks"},
                                                         {pjViews, "Kova Proj Gantt"},
                                                         {pjToolbars, "KovaProjectToolBar"}};
        for (auto [type, name] : items)
            a->OrganizerMoveItem(type, "KovaProject.mpp", "GLOBAL.MPT", name, true);
        a->WindowActivate("kovaproject.mpp");
        a->FileClose(pjDoNotSave);
        CommandBarControl menu = a->CommandBars("File").Controls().Add(msoControlPopup, 5);
        menu.SetCaption("&KovaProject");
        menu.Controls().Add(msoControlButton).SetCaption("&Connect Project");
        a->VBE().VBProjects(1).References().AddFromFile((server / "Grantry.exe").string());
        CodeModule code = a->VBE().VBProjects("ProjectGlobal").VBComponents().Item(1).CodeModule();
        int32_t line = code.CreateEventProc("Activate", "Project");
        code.InsertLines(line + 1, "\r\n   KovaProjectOpen");
        a->FileSaveAs((server / "ThisFileIsSafeToDelete.mpp").string());
        a->FileClose();
        if (automation::Err().Number != 0) return 1;
        // Quit without saving the plans still keeps the template.
        a->Quit(pjDoNotSave);
        return 0;
    });
    ASSERT_EQ(installed, 0);

    app = StartApplication();
    app->FileNew(false);
    EXPECT_EQ(app->CommandBars("File").Controls().Item(5).Caption(), "&KovaProject");
    EXPECT_EQ(app->CommandBars("File").Controls().Item(5).Controls().Item(1).Caption(), "&Connect Project");
    EXPECT_EQ(app->CommandBars("KovaProjectToolBar").Controls().Count(), 6);
    auto views = Plan().ViewList();
    EXPECT_NE(std::find(views.begin(), views.end(), "Kova Proj Gantt"), views.end());
    app->ViewApply("Kova Proj Gantt", true);
    app->FilterApply("AllKovaProjectTasks");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    auto refs = app->VBE().VBProjects(1).References();
    EXPECT_EQ(refs.Item(refs.Count()).Name(), "Grantry");
    CodeModule code = app->VBE().VBProjects(1).VBComponents().Item(1).CodeModule();
    EXPECT_EQ(code.ProcStartLine("Project_Activate", 0), 1);
    EXPECT_EQ(code.ProcCountLines("Project_Activate", 0), 5);
    EXPECT_EQ(
        app->VBE().VBProjects(1).VBComponents().Item("KovaProjectIntegration").CodeModule().CountOfLines(),
        2);
    QuitApplication();

    // The removal program.
    int removed = InChildProcess([&] {
        auto a = StartApplication();
        a->FileNew(false);
        a->Alerts(false);
        for (CommandBarControl c : a->CommandBars("File").Controls())
            if (c.Caption() == "&KovaProject") {
                c.Delete();
                break;
            }
        const std::pair<int32_t, const char*> items[] = {{pjToolbars, "KovaProjectToolBar"},
                                                         {pjViews, "Kova Proj Gantt"},
                                                         {pjFilters, "AllKovaProjectTasks"},
                                                         {pjTables, "KovaProjectIntegration"},
                                                         {pjModules, "KovaProjectIntegration"}};
        for (auto [type, name] : items)
            a->OrganizerDeleteItem(type, "GLOBAL.MPT", name, true);
        CodeModule m = a->VBE().VBProjects(1).VBComponents().Item(1).CodeModule();
        int32_t start = m.ProcStartLine("Project_Activate", 0);
        int32_t count = m.ProcCountLines("Project_Activate", 0);
        m.DeleteLines(start, count);
        a->FileCloseAll(pjDoNotSave);
        auto r = a->VBE().VBProjects(1).References();
        for (int32_t i = 1; i <= r.Count(); ++i)
            if (r.Item(i).Name() == "Grantry") {
                r.Remove(r.Item(i));
                break;
            }
        if (automation::Err().Number != 0) return 1;
        a->Quit(pjDoNotSave);
        return 0;
    });
    ASSERT_EQ(removed, 0);

    app = StartApplication();
    app->FileNew(false);
    for (CommandBarControl c : app->CommandBars("File").Controls())
        EXPECT_NE(c.Caption(), "&KovaProject");
    app->CommandBars("KovaProjectToolBar");
    EXPECT_EQ(Err().Number, 5);
    Err().Clear();
    app->ViewApply("Kova Proj Gantt");
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    for (Reference r : app->VBE().VBProjects(1).References())
        EXPECT_NE(r.Name(), "Grantry");
    EXPECT_EQ(app->VBE().VBProjects(1).VBComponents().Item(1).CodeModule().CountOfLines(), 0);
    EXPECT_EQ(app->VBE().VBProjects(1).VBComponents().Count(), 1);
}


// A template that cannot be read is set aside under a new name, with a message, and a fresh one made;
// one that is missing is made afresh without a word.
TEST_F(GlobalTemplate, ADamagedTemplateIsKeptBesideAndReported) {
    const fs::path file = app->GlobalTemplatePath();
    QuitApplication();
    const std::string good = Bytes(file);
    auto newer = nlohmann::json::parse(good);
    newer["formatVersion"] = 2;
    auto wrongType = nlohmann::json::parse(good);
    wrongType["items"]["views"] = "Gantt Chart";
    const std::pair<const char*, std::string> cases[] = {
        {"cut short", good.substr(0, good.size() / 3)},
        {"not a template", "[]"},
        {"empty", ""},
        {"newer", newer.dump()},
        {"wrong type", wrongType.dump()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        app = StartApplication();
        ASSERT_TRUE(app->Running());
        const fs::path kept = file.string() + ".damaged";
        ASSERT_EQ(app->StartNotices().size(), 1u);
        EXPECT_NE(app->StartNotices()[0].find("The global template \"" + file.string() + "\" could not be read"),
                  std::string::npos)
            << app->StartNotices()[0];
        EXPECT_NE(app->StartNotices()[0].find("It was kept as \"" + kept.string() + "\""), std::string::npos)
            << app->StartNotices()[0];
        EXPECT_EQ(Bytes(kept), bytes);
        QuitApplication();
        fs::remove(kept);
        app = StartApplication(); // the new one reads
        EXPECT_TRUE(app->StartNotices().empty());
        QuitApplication();
    }
    fs::remove(file);
    app = StartApplication();
    EXPECT_TRUE(app->StartNotices().empty());
    EXPECT_TRUE(fs::exists(file));
}

// An install (or a removal) made while an instance runs is still there after that instance saved a
// plan and quit.
TEST_F(GlobalTemplate, AnInstallSurvivesAnInstanceThatWasRunning) {
    app->FileSaveAs((Folder() / "Open.mpp").string());
    int installed = InChildProcess([] {
        auto a = StartApplication();
        a->FileNew(false);
        a->CommandBars().Add("Installed Meanwhile");
        a->Quit(pjDoNotSave);
        return automation::Err().Number == 0 ? 0 : 1;
    });
    ASSERT_EQ(installed, 0);
    PlanTasks().Add("Work goes on");
    app->FileSave();
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    QuitApplication();
    app = StartApplication();
    app->CommandBars("Installed Meanwhile");
    EXPECT_EQ(Err().Number, 0) << Err().Description;
}

TEST_F(GlobalTemplate, AReadOnlyTemplateIsReportedAndKept) {
    const fs::path file = app->GlobalTemplatePath();
    const std::string before = Bytes(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    app->CommandBars().Add("Cannot Stay");
    app->FileSaveAs((Folder() / "Plan.mpp").string());
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_NE(Err().Description.find("The global template \"" + file.string() +
                                     "\" could not be written (Permission denied)"),
              std::string::npos)
        << Err().Description;
    Err().Clear();
    EXPECT_EQ(Bytes(file), before);
}


// A plan open in one instance opens read-only in an instance of another process, after its message;
// a save there goes to another file and never over the plan. Once the first closes it, it is free.
TEST_F(GlobalTemplate, APlanOpenElsewhereOpensReadOnly) {
    const fs::path file = Folder() / "Shared.mpp", other = Folder() / "Mine.mpp";
    app->FileSaveAs(file.string());
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    const std::string before = Bytes(file);
    auto second = [&](bool answer, std::optional<std::string> saveAs) {
        return InChildProcess([&] {
            std::string said;
            ApplicationOptions o;
            o.alertPrompt = [&](const std::string& m) {
                said = m;
                return answer;
            };
            if (saveAs) o.saveAsPrompt = [&](const Project&) { return saveAs; };
            auto a = StartApplication(o);
            a->FileOpen(file.string());
            if (!answer) return automation::Err().Description.find("is in use and was not opened") !=
                                           std::string::npos && a->Projects().Count() == 0
                                       ? 0
                                       : 1;
            if (automation::Err().Number != 0) return 2;
            if (said.find("\"Shared.mpp\" is in use by another user or program. It opens read-only") ==
                std::string::npos)
                return said.empty() ? 9 : 3;
            a->ActiveProject().Tasks().Add("Stale change");
            a->FileSave();
            if (!saveAs) {
                return automation::Err().Description == "\"Shared.mpp\" is open read-only: save it under another name."
                           ? 0
                           : 4;
            }
            if (automation::Err().Number != 0) return 5;
            return a->ActiveProject().Name() == "Mine.mpp" ? 0 : 6;
        });
    };
    EXPECT_EQ(second(false, std::nullopt), 0);
    EXPECT_EQ(second(true, std::nullopt), 0);
    EXPECT_EQ(second(true, other.string()), 0);
    EXPECT_EQ(Bytes(file), before);
    EXPECT_TRUE(fs::exists(other));
    app->FileClose(pjDoNotSave);
    // Free now: it opens without a word (9 is the exit code for no message).
    EXPECT_EQ(second(true, std::nullopt), 9);
}

TEST_F(GlobalTemplate, OnePerLanguageFolder) {
    EXPECT_EQ(fs::path(app->GlobalTemplatePath()), home.path() / "msproject" / "1033" / "GLOBAL.MPT");
    EXPECT_TRUE(fs::exists(app->GlobalTemplatePath()));
    app->CommandBars().Add("English Only");
    QuitApplication();
    ApplicationOptions german;
    german.uiLanguage = 1031;
    app = StartApplication(german);
    EXPECT_TRUE(fs::exists(home.path() / "msproject" / "1031" / "GLOBAL.MPT"));
    app->CommandBars("English Only");
    EXPECT_EQ(Err().Number, 5);
}

} // namespace
} // namespace platform::msproject::testing
