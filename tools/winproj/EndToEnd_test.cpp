// The programs as a person or a script runs them: kova-setup lays out a temporary machine folder,
// winproj runs on it with a script, and its transcript and dump are compared with the expected files
// in testdata/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileVersion.h"
#include "platform/os/TestSupport.h"

namespace winproj {
namespace {

namespace automation = platform::automation;
namespace msp = platform::msproject;
namespace fs = std::filesystem;
using automation::Date;
using automation::Err;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Result {
    int exitCode = -1;
    std::string out, err;
};

// Runs a program with `input` on its standard input, in `folder`.
Result RunProgram(const std::vector<std::string>& args, const fs::path& folder,
                  const std::string& input = {}) {
    const fs::path in = folder / "stdin.txt", out = folder / "stdout.txt", err = folder / "stderr.txt";
    std::ofstream(in, std::ios::binary) << input;
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::dup2(::open(in.c_str(), O_RDONLY), 0);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Result result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

// The machine folder's paths vary from run to run; expected files write them as $HOME.
std::string Portable(std::string text, const fs::path& home) {
    const std::string path = home.string();
    for (size_t at = text.find(path); at != std::string::npos; at = text.find(path, at))
        text.replace(at, path.size(), "$HOME");
    return text;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        Result setup = RunProgram({KOVA_SETUP_COMMAND, "--home", home.path().string()}, home.path());
        ASSERT_EQ(setup.exitCode, 0) << setup.out << setup.err;
    }

    std::string Expected(const std::string& name) const {
        return ReadFile(fs::path(WINPROJ_TESTDATA) / name);
    }
    std::string Script(const std::string& name) const { return (fs::path(WINPROJ_TESTDATA) / name).string(); }
    fs::path TranscriptFile() const { return home.path() / "transcript.txt"; }

    Result Winproj(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {KOVA_WINPROJ_COMMAND, "--home", home.path().string()});
        return RunProgram(args, home.path(), input);
    }

    // The installer's reference to the integration in the global template, made as it makes it. The
    // program file gets a version of the test's own, so that the About dialog shows a known one.
    void InstallServerReference(int32_t language = 1033) {
        const fs::path server = home.path() / "kova" / "Grantry.exe";
        ASSERT_TRUE(platform::os::StampFileVersion(KOVA_STAMP_VERSION_COMMAND, server, 3, 1, 4, 15))
            << Err().Description;
        msp::ApplicationOptions options;
        options.uiLanguage = language;
        auto app = msp::StartApplication(options);
        app->VBE().VBProjects(1).References().AddFromFile(server.string());
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        msp::QuitApplication();
    }

    // The integration's menu in the File menu, as the installer adds it (only the first and the last
    // item enabled).
    void InstallMenu(int32_t language) {
        msp::ApplicationOptions options;
        options.uiLanguage = language;
        auto app = msp::StartApplication(options);
        msp::CommandBarControl menu = app->CommandBars("File").Controls().Add(msp::msoControlPopup, 5);
        menu.SetCaption("&KovaProject");
        menu.SetBeginGroup(true);
        const std::pair<const char*, const char*> items[] = {
            {"&Connect Project", "ConnectProject"},
            {"Co&nnection Details", "ConnectionDetails"},
            {"Synchronize &Master Data", "SynchronizeMasterData"},
            {"Save &Baseline", "SaveBaseline"},
            {"&Synchronize ChBS/Budget/Schedule", "SynchronizeBudgetSchedule"},
            {"&Disconnect Project", "DisconnectProject"},
            {"About...", "OrbelAbout"},
        };
        for (const auto& [caption, macro] : items) {
            msp::CommandBarControl item = menu.Controls().Add(msp::msoControlButton);
            item.SetCaption(caption);
            item.SetEnabled(menu.Controls().Count() == 1 || menu.Controls().Count() == 7);
            item.SetOnAction(macro);
        }
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        msp::QuitApplication();
    }

    // A plan with what the dump shows: an outline with a blank row, the integration's fields, a link,
    // a resource with an assignment, a calendar with a holiday, and document properties.
    fs::path WriteFixturePlan() {
        const fs::path file = home.path() / "Fixture.mpp";
        auto app = msp::StartApplication();
        app->FileNew(false);
        msp::Project plan = app->ActiveProject();
        plan.SetStart(Date::FromParts(2024, 3, 4, 8));
        plan.SetTitle("Fixture");
        msp::Tasks tasks = plan.Tasks();
        msp::Task top = tasks.Add("Top Charge Element");
        top.SetText(1, "P100");
        top.SetText(2, "Project Cost Account");
        top.SetFlag(1, true);
        top.SetFlag(2, true);
        top.SetNumber(20, 7);
        msp::Task work = tasks.Add("Work Package");
        work.SetOutlineLevel(2);
        work.SetText(1, "P100.10");
        work.SetStart(Date::FromParts(2024, 3, 5, 8));
        work.SetDuration(960.0);
        work.SetDateField(9, Date::FromParts(2024, 3, 1));
        msp::Task milestone = tasks.Add("Gate");
        milestone.SetMilestone(true);
        milestone.SetDuration(0.0);
        milestone.LinkPredecessors(work);
        app->SelectRow(tasks.Count() + 1, false);
        app->EditInsert();
        app->SelectRow(1, false);
        app->BaseCalendarCreate("C1.HOLIDAYS");
        app->BaseCalendarEditDays({.Name = "C1.HOLIDAYS",
                                   .StartDate = Date::FromParts(2024, 3, 29),
                                   .EndDate = Date::FromParts(2024, 4, 1),
                                   .Working = false});
        msp::Resource welder = plan.Resources().Add("Welder");
        welder.SetText(1, "EQ-7");
        welder.SetStandardRate(42.5);
        work.Assignments().Add(welder.Id(), 0.5);
        plan.CustomDocumentProperties().Add("KovaProject", false, msp::msoPropertyTypeString, "P100");
        plan.CustomDocumentProperties().Add("KovaScheduleBase", false, msp::msoPropertyTypeNumber, 2);
        plan.CustomDocumentProperties().Add("KovaProjectStartDate", false, msp::msoPropertyTypeDate,
                                            Date::FromParts(2024, 3, 4));
        app->FileSaveAs(file.string());
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        msp::QuitApplication();
        return file;
    }

    platform::os::TempKovaHome home;
};

// A scripted run: the plan opens, a menu macro runs the server's command in this process (its dialog
// answered by the script), and the dump shows the plan.
TEST_F(EndToEnd, AScriptedRunShowsTheExpectedTranscriptAndDump) {
    InstallServerReference();
    const fs::path plan = WriteFixturePlan();
    Result run = Winproj({"--script", Script("about.script"), "--transcript", TranscriptFile().string(),
                          plan.string(), "--run", "OrbelAbout", "--dump"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Portable(ReadFile(TranscriptFile()), home.path()), Expected("about.transcript"));
    EXPECT_EQ(Portable(run.out, home.path()), Expected("fixture.dump"));
}

// Without the installer's reference the macro cannot create its class: the user is told so, and a
// scripted run that met a failure ends with a non-zero exit code whatever the script answered.
TEST_F(EndToEnd, AMissingReferenceIsReportedAndFailsTheRun) {
    Result run = Winproj({"--script", Script("missing-reference.script"), "--transcript",
                          TranscriptFile().string(), "--run", "ConnectProject"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Portable(ReadFile(TranscriptFile()), home.path()), Expected("missing-reference.transcript"));
}

// Script failures end the run with exit code 1, and a wrong command line with 2.
TEST_F(EndToEnd, FailuresSetTheExitCode) {
    const fs::path script = home.path() / "script.txt";
    struct Case {
        std::string name;
        std::string script; // "" for no --script
        std::vector<std::string> args;
        int exitCode;
        std::string said; // part of the error output
    } cases[] = {
        {"unexpected box", "# nothing expected\n", {"--run", "ConnectProject"}, 1, "unexpected message box"},
        {"steps left over", "box OK\n", {"--dump"}, 1, "1 step(s) left over: `box OK`"},
        {"bad script line", "bogus step\n", {"--dump"}, 2, "line 1"},
        {"no macro name", "", {"--run"}, 2, "--run needs a value"},
        {"unknown view", "", {"--view", "Kova Proj Nothing", "--run", "OrbelAbout"}, 2,
         "cannot apply the view Kova Proj Nothing"},
        {"no view name", "", {"--view"}, 2, "--view needs a value"},
        {"unknown option", "", {"--bogus"}, 2, "unknown option --bogus"},
        {"two plans", "", {"a.mpp", "b.mpp"}, 2, "one plan only"},
        {"plan folder missing", "", {"missing/Plan.mpp", "--dump"}, 2, "cannot open missing/Plan.mpp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        if (!c.script.empty()) {
            std::ofstream(script) << c.script;
            args.insert(args.begin(), {"--script", script.string()});
        }
        Result run = Winproj(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

// A person at the prompt, on a machine set up with another language and version: the banner tells
// them, the File menu shows the integration's items, a disabled one is refused, and "About..." runs
// its macro, whose dialog is answered at the same terminal.
TEST_F(EndToEnd, APersonWorksAtThePrompt) {
    Result setup = RunProgram(
        {KOVA_SETUP_COMMAND, "--home", home.path().string(), "--language", "1031", "--version", "12.0.0.0"},
        home.path());
    ASSERT_EQ(setup.exitCode, 0) << setup.err;
    platform::os::FileVersion version;
    ASSERT_TRUE(platform::os::ReadFileVersion(home.path() / "msproject" / "WinProj.exe", version));
    EXPECT_EQ(version.Text(), "12.0.0.0");
    InstallServerReference(1031);
    InstallMenu(1031);

    Result run = Winproj({}, "menu\nmenu 5.2\nmenu 5.7\nclick btnOK\nplans\nquit\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Portable(run.out, home.path()), Expected("interactive.out"));
}


// Every program answers --help and -h with its usage, exit code 0, and does nothing else.
TEST_F(EndToEnd, EveryProgramPrintsItsUsageOnHelp) {
    const std::string registry = ReadFile(home.path() / "registry.json");
    const char* programs[] = {KOVA_WINPROJ_COMMAND, KOVA_SETUP_COMMAND,   KOVA_ERP_COMMAND,
                              KOVA_TOLVANE_COMMAND, KOVA_DREMICA_COMMAND, KOVA_GRANTRY_COMMAND,
                              KOVA_TEMPLATE_PLAN_COMMAND, KOVA_STAMP_VERSION_COMMAND};
    for (const char* program : programs)
        for (const char* option : {"--help", "-h"}) {
            SCOPED_TRACE(std::string(program) + " " + option);
            Result run = RunProgram({program, option}, home.path(), "click cmdContinue\nOK\n");
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
            EXPECT_EQ(run.out.rfind("usage:", 0), 0u) << run.out;
            EXPECT_EQ(run.err, "");
        }
    EXPECT_EQ(ReadFile(home.path() / "registry.json"), registry);
    EXPECT_FALSE(fs::exists(home.path() / "-h.mpp"));
}

// A folder kova-setup did not lay out is named, with how to lay it out.
TEST_F(EndToEnd, AFolderNotLaidOutIsNamedWithHowToLayItOut) {
    platform::os::TempKovaHome bare;
    const std::string folder = bare.path().string();
    Result host = RunProgram({KOVA_WINPROJ_COMMAND, "--home", folder}, bare.path(), "quit\n");
    EXPECT_EQ(host.exitCode, 2);
    EXPECT_NE(host.err.find(folder + " is not a machine folder laid out by kova-setup"), std::string::npos)
        << host.err;
    EXPECT_NE(host.err.find("kova-setup --home " + folder), std::string::npos) << host.err;
    Result installer = RunProgram({"/usr/bin/env", "KOVA_HOME=" + folder, KOVA_TOLVANE_COMMAND}, bare.path(),
                                  "click cmdContinue\nOK\n");
    EXPECT_EQ(installer.exitCode, 1);
    EXPECT_NE(installer.err.find("kova-setup --home " + folder), std::string::npos) << installer.err;
}

// A registry file that is damaged is named by every program, which ends at once and leaves it as it is.
TEST_F(EndToEnd, ADamagedRegistryIsNamedAndNeverWrittenOver) {
    const fs::path file = home.path() / "registry.json";
    const std::string good = ReadFile(file);
    ASSERT_NE(good.find("\"UILanguage\""), std::string::npos);
    const std::pair<const char*, std::string> damages[] = {
        {"cut short", good.substr(0, good.size() / 2)},
        {"empty", ""},
        {"a list", "[]"},
        {"not JSON", "registry"},
        {"wrong type", "{\"HKEY_LOCAL_MACHINE\": {\"values\": {\"x\": {\"type\": \"four\", \"data\": \"\"}}}}"},
        {"ten-byte DWORD",
         "{\"HKEY_LOCAL_MACHINE\": {\"values\": {\"x\": {\"type\": 4, \"data\": \"00000000000000000000\"}}}}"},
    };
    const std::vector<std::string> programs[] = {
        {KOVA_WINPROJ_COMMAND, "--home", home.path().string(), "--dump"},
        {KOVA_ERP_COMMAND, "create", "Z"},
        {KOVA_TOLVANE_COMMAND},
        {KOVA_DREMICA_COMMAND},
        {KOVA_SETUP_COMMAND},
    };
    for (const auto& [name, bytes] : damages)
        for (const auto& program : programs) {
            SCOPED_TRACE(std::string(name) + ": " + program[0]);
            { std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes; }
            Result run = RunProgram(program, home.path(), "click cmdContinue\nOK\n");
            EXPECT_NE(run.exitCode, 0);
            EXPECT_NE(run.err.find("The registry \"" + file.string() + "\" is damaged ("), std::string::npos)
                << run.out << run.err;
            EXPECT_EQ(ReadFile(file), bytes);
        }
}

// What cannot be written is reported as a failure, and nothing is left as if it had worked.
TEST_F(EndToEnd, ARegistryOrTemplateThatCannotBeWrittenIsReported) {
    const fs::path registry = home.path() / "registry.json";
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(registry, readOnly);
    Result create = RunProgram({KOVA_ERP_COMMAND, "create", "Z"}, home.path());
    EXPECT_EQ(create.exitCode, 1);
    EXPECT_EQ(create.out, "");
    EXPECT_NE(create.err.find("The registry \"" + registry.string() + "\" could not be written (Permission denied)"),
              std::string::npos)
        << create.err;
    EXPECT_FALSE(fs::exists(home.path() / "erp" / "Z.db"));
    fs::permissions(registry, fs::perms::owner_write, fs::perm_options::add);

    const fs::path global = home.path() / "msproject" / "1033" / "GLOBAL.MPT";
    { msp::StartApplication(); msp::QuitApplication(); }
    const std::string before = ReadFile(global);
    fs::permissions(global, readOnly);
    Result install = RunProgram({KOVA_TOLVANE_COMMAND}, home.path(), "click cmdContinue\nOK\n");
    EXPECT_EQ(install.exitCode, 1);
    EXPECT_EQ(install.out.find("installed succesfully"), std::string::npos) << install.out;
    EXPECT_NE(install.out.find("could not be installed: the global template was not saved"), std::string::npos)
        << install.out;
    EXPECT_NE(install.out.find("\"" + global.string() + "\" could not be written"), std::string::npos)
        << install.out;
    EXPECT_EQ(ReadFile(global), before);
}

// A person who leaves the prompt, or closes a plan, with unsaved changes is asked as the planning
// program asks; where the input ends before an answer, the changes are kept in a copy beside the plan
// and the plan's own file stays as it was, with exit code 1.
TEST_F(EndToEnd, UnsavedChangesAreAskedAboutAndNeverLostSilently) {
    const fs::path plan = home.path() / "Plan.mpp", copy = home.path() / "Plan.unsaved.mpp";
    const std::string question = "Do you want to save changes to Plan.mpp?";
    struct Case {
        std::string name;
        std::string input;     // after the plan is opened
        bool asked;            // the question was shown
        int exitCode;
        bool saved;            // Plan.mpp holds the task "New"
        bool kept;             // Plan.unsaved.mpp holds it
        std::string said = {}; // part of the output
    } cases[] = {
        {"yes saves", "add New\nquit\ny\n", true, 0, true, false},
        {"no lets the changes go", "add New\nquit\nno\n", true, 0, false, false},
        {"cancel goes on", "add New\nquit\ncancel\nplans\nsave\nquit\n", true, 0, true, false, "(not saved)"},
        {"the menu's Exit asks", "add New\nmenu 11\nyes\n", true, 0, true, false},
        {"the input ends at the question", "add New\nquit\n", true, 1, false, true, "are kept in " + copy.string()},
        {"the input ends at the prompt", "add New\n", true, 1, false, true, "own file is as it was"},
        {"close asks too", "add New\nclose\n", true, 1, false, true},
        {"nothing changed", "quit\n", false, 0, false, false},
        {"saved already", "add New\nsave\n", false, 0, true, false},
    };
    // The plan files hold the tasks' names as quoted texts.
    auto holds = [](const fs::path& file, const std::string& task) {
        return ReadFile(file).find("\"" + task + "\"") != std::string::npos;
    };
    const fs::path original = home.path() / "Original.mpp";
    ASSERT_EQ(Winproj({original.string()}, "add Old\nsave\nquit\n").exitCode, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(copy);
        fs::copy_file(original, plan, fs::copy_options::overwrite_existing);
        Result run = Winproj({plan.string()}, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_EQ(run.out.find(question) != std::string::npos, c.asked) << run.out;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
        EXPECT_TRUE(holds(plan, "Old"));
        EXPECT_EQ(holds(plan, "New"), c.saved);
        EXPECT_EQ(fs::exists(copy), c.kept);
        if (c.kept) EXPECT_TRUE(holds(copy, "Old") && holds(copy, "New"));
    }
    // A save that fails (the plan's file made read-only) says so, and the session goes on: nothing is
    // left behind without a word.
    fs::copy_file(original, plan, fs::copy_options::overwrite_existing);
    fs::permissions(plan, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Result refused = Winproj({plan.string()}, "add New\nquit\ny\nplans\nquit\nno\n");
    fs::permissions(plan, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(refused.exitCode, 0) << refused.out;
    EXPECT_NE(refused.out.find("Plan.mpp  " + plan.string() + " (not saved)"), std::string::npos) << refused.out;
    EXPECT_FALSE(holds(plan, "New"));
    // A plan never saved is saved through the Save As dialog, or kept in the working folder when the
    // input ends there; a copy never replaces another file.
    Result named = Winproj({}, "add New\nquit\ny\nNamed.mpp\n");
    EXPECT_EQ(named.exitCode, 0) << named.out;
    EXPECT_TRUE(holds(home.path() / "Named.mpp", "New"));
    std::ofstream(home.path() / "Project1.unsaved.mpp") << "someone's file";
    Result unnamed = Winproj({}, "add New\nquit\ny\n");
    EXPECT_EQ(unnamed.exitCode, 1) << unnamed.out;
    EXPECT_EQ(ReadFile(home.path() / "Project1.unsaved.mpp"), "someone's file");
    EXPECT_TRUE(holds(home.path() / "Project1.unsaved-2.mpp", "New")) << unnamed.out;
}

// The prompt's own plan commands on a stored plan: open makes it the active one; unassign takes a
// resource off a task, assign puts one on, and assign with a second name puts that one in its place.
TEST_F(EndToEnd, ThePromptOpensAPlanAndChangesItsAssignments) {
    const fs::path plan = WriteFixturePlan();
    {
        auto app = msp::StartApplication();
        app->FileOpen(plan.string());
        app->ActiveProject().Resources().Add("Fitter");
        app->FileSave();
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        msp::QuitApplication();
    }
    // Row 2 is the work package, which the welder works on.
    Result run = Winproj({}, "open " + plan.string() +
                                 "\nplans\nunassign 2 Welder\ndump\nassign 2 Fitter\ndump\n"
                                 "assign 2 Fitter Welder\ndump\nquit\nno\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("* Fixture.mpp"), std::string::npos) << run.out;
    // Each dump's assignments, resource names only.
    std::vector<std::string> dumps;
    for (size_t at = run.out.find("\nassignments "); at != std::string::npos;
         at = run.out.find("\nassignments ", at + 1)) {
        const size_t end = run.out.find("\ncalendars ", at);
        std::string names;
        const std::string part = run.out.substr(at, end - at);
        for (size_t r = part.find(" resource "); r != std::string::npos; r = part.find(" resource ", r + 1))
            names += part.substr(part.find('"', r), part.find('\n', r) - part.find('"', r)) + ";";
        dumps.push_back(names);
    }
    ASSERT_EQ(dumps.size(), 3u) << run.out;
    EXPECT_EQ(dumps[0], "");
    EXPECT_EQ(dumps[1], "\"Fitter\";");
    EXPECT_EQ(dumps[2], "\"Welder\";");
}

// At the prompt set says what the program stored (a duration in minutes, a date with its time), a
// refused value says why and nothing else; view applies a view as --view does, and an unknown one is
// refused with the program's message.
TEST_F(EndToEnd, ThePromptSaysWhatSetStoredAndAppliesViews) {
    const fs::path plan = WriteFixturePlan();
    Result run = Winproj({plan.string()}, "set 2 Text3 \"Site A\"\nset 2 Flag4 TRUE\nset 2 Duration 3d\n"
                                          "set 2 Start \"2024-03-06 09:30\"\nset 2 Nonsense 1\nview \"Task Sheet\"\n"
                                          "view Nowhere\ntask 2\ndump\nquit\nno\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const char* said : {"Task 2 \"Work Package\": Text3 \"Site A\"\n", "Task 2 \"Work Package\": Flag4 true\n",
                             "Task 2 \"Work Package\": Duration 1440\n",
                             "Task 2 \"Work Package\": Start 2024-03-06 09:30:00\n",
                             "winproj> ! The field \"Nonsense\" is not valid for tasks. (error 1004)\n",
                             "View: Task Sheet\n", "! There is no view named \"Nowhere\".", "    Text3 \"Site A\"\n",
                             "    Flag4 true\n", "  View \"Task Sheet\"\n"})
        EXPECT_NE(run.out.find(said), std::string::npos) << said << "\n" << run.out;
    EXPECT_EQ(run.out.find("Nonsense 1"), std::string::npos) << run.out;
}

// Installer code reads the planning program's major version from its file.
TEST(Program, CarriesItsFileVersion) {
    platform::os::FileVersion version;
    ASSERT_TRUE(platform::os::ReadFileVersion(KOVA_WINPROJ_COMMAND, version));
    EXPECT_EQ(version.major, 11);
    EXPECT_EQ(version.minor, 0);
}

} // namespace
} // namespace winproj
