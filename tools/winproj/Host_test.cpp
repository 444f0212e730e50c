// The host's macro call path inside one process: a small command class stands in for the server's,
// registered under the server's ProgID, and the global template gets its reference and activation
// procedure through the planning program's macro-editor API.
#include "tools/winproj/Host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/Registry.h"
#include "platform/os/TestSupport.h"

namespace winproj {
namespace {

namespace automation = platform::automation;
namespace forms = platform::forms;
namespace msp = platform::msproject;
namespace fs = std::filesystem;
using automation::CallArgs;
using automation::Err;
using automation::Variant;

// What the command objects were asked, shared by every object of the test class.
struct CommandLog {
    int created = 0;
    std::vector<std::string> calls; // "member@active plan"
    bool failOnOpen = false;        // KovaProjectOpen opens another plan, then fails
};
CommandLog& Log() {
    static CommandLog log;
    return log;
}

std::string ActivePlan() {
    auto app = msp::RunningApplication();
    std::string name = app && app->Projects().Count() > 0 ? app->ActiveProject().Name() : "-";
    Err().Clear();
    return name;
}

class TestCommands : public automation::Dispatchable<TestCommands> {
public:
    TestCommands() { ++Log().created; }
    static const automation::MemberTable<TestCommands>& Members() {
        static const automation::MemberTable<TestCommands> table = {
            {"connectProject",
             [](TestCommands&, CallArgs&) -> Variant {
                 Log().calls.push_back("connectProject@" + ActivePlan());
                 return {};
             }},
            {"KovaProjectOpen",
             [](TestCommands&, CallArgs&) -> Variant {
                 Log().calls.push_back("KovaProjectOpen@" + ActivePlan());
                 if (Log().failOnOpen) {
                     msp::RunningApplication()->FileNew(false);
                     Err().Raise(91);
                 }
                 return {};
             }},
            // A command without error handling of its own leaves its failure for the macro.
            {"leavesAnError",
             [](TestCommands&, CallArgs&) -> Variant {
                 Log().calls.push_back("leavesAnError@" + ActivePlan());
                 Err().Raise(1004, "Microsoft Project", "No project is open.");
                 return {};
             }},
        };
        return table;
    }
};

const char* const kEventCode =
    "\r\n   If IntegrationReferenceExists then\r\n       KovaProjectOpen\r\n   End If";

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log() = {};
        automation::RegisterClass({"Grantry.KovaMSP", "{5E7B1C22-0D4A-4C53-9F0E-7A1D2B3C4D5E}", "",
                                   [] { return automation::MakeObject<TestCommands>(); }, ""});
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ASSERT_TRUE(host.Start({}));
    }
    void TearDown() override {
        automation::UnregisterClass("Grantry.KovaMSP");
        forms::DiscardAllForms();
    }

    msp::VBProject Global() const { return host.app().VBE().VBProjects(1); }
    // A reference is made from a file; its name is the file's base name.
    void AddReference(const std::string& name) {
        fs::path file = home.path() / "kova" / (name + ".exe");
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "program";
        Global().References().AddFromFile(file.string());
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    void AddActivationProcedure() {
        msp::CodeModule code = Global().VBComponents().Item(1).CodeModule();
        code.InsertLines(code.CreateEventProc("Activate", "Project") + 1, kEventCode);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    const forms::Transcript& Shown() const { return user.transcript(); }

    platform::os::TempKovaHome home;
    forms::ScriptedUser user;
    forms::ScopedUser on{user};
    Host host;
};

// The macro creates the referenced library's class and calls the member of the macro's name, letter
// case aside; what it cannot call, or what the call leaves in Err(), is a run-time error box.
TEST_F(HostTest, MacrosCallTheReferencedClassByName) {
    AddReference("Grantry");
    host.NewPlan();
    struct Case {
        std::string macro;
        bool succeeds;
        std::string call;  // "" when no member runs
        std::string shown; // the box's text, "" for none
    } cases[] = {
        {"ConnectProject", true, "connectProject@Project1", ""},
        {"CONNECTPROJECT", true, "connectProject@Project1", ""},
        {"NoSuchCommand", false, "",
         "Run-time error '438' in macro NoSuchCommand:\r\n\r\n" + automation::StandardErrorText(438)},
        {"LeavesAnError", false, "leavesAnError@Project1",
         "Run-time error '1004' in macro LeavesAnError:\r\n\r\nNo project is open."},
    };
    int failures = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.macro);
        Log().calls.clear();
        const int created = Log().created;
        if (!c.shown.empty()) user.Add(forms::steps::Answer(forms::vbOK, c.shown));
        EXPECT_EQ(host.RunMacro(c.macro), c.succeeds);
        failures += c.succeeds ? 0 : 1;
        EXPECT_EQ(Log().calls,
                  c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call});
        EXPECT_EQ(Log().created, created + 1);
        EXPECT_EQ(Err().Number, 0);
        EXPECT_TRUE(Shown().Contains("run " + c.macro));
    }
    EXPECT_EQ(host.MacroFailures(), failures);
    EXPECT_TRUE(user.Finish());
    EXPECT_TRUE(Shown().Contains("box \"Microsoft Visual Basic\" OKOnly Critical: \"Run-time error '1004'"));
}

TEST_F(HostTest, AMacroWithoutTheTemplateReferenceFailsWithAClearMessage) {
    AddReference("Other"); // another library's reference does not count
    host.NewPlan();
    user.Add(forms::steps::Answer(forms::vbOK,
                                  "Compile error in macro ConnectProject:\r\n\r\nThe global macro "
                                  "project has no reference named \"Grantry\", so the class "
                                  "Grantry.KovaMSP is not defined. Install the integration into "
                                  "the global template first."));
    EXPECT_FALSE(host.RunMacro("ConnectProject"));
    EXPECT_EQ(Log().created, 0);
    EXPECT_TRUE(Log().calls.empty());
    EXPECT_EQ(host.MacroFailures(), 1);
    EXPECT_TRUE(user.Finish());
}

// The installed activation code runs KovaProjectOpen on every activation, only when the procedure
// and the reference (named exactly "Grantry", as the code compares it) are both there.
TEST_F(HostTest, ActivationRunsKovaProjectOpenOnlyWithTheInstalledCode) {
    struct Case {
        bool procedure;
        std::string reference; // "" for none
        bool runs;
    } cases[] = {
        {true, "Grantry", true},
        {false, "Grantry", false},
        {true, "", false},
        {true, "grantry", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.procedure ? "procedure" : "no procedure") + ", reference " + c.reference);
        platform::os::TempKovaHome caseHome;
        Host caseHost;
        ASSERT_TRUE(caseHost.Start({}));
        Log() = {};
        user.transcript().Clear();
        msp::VBProject global = caseHost.app().VBE().VBProjects(1);
        if (c.procedure) {
            msp::CodeModule code = global.VBComponents().Item(1).CodeModule();
            code.InsertLines(code.CreateEventProc("Activate", "Project") + 1, kEventCode);
        }
        if (!c.reference.empty()) {
            fs::path file = caseHome.path() / (c.reference + ".exe");
            std::ofstream(file) << "program";
            global.References().AddFromFile(file.string());
        }
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(caseHost.HasActivationCode(), c.runs);

        caseHost.NewPlan();
        caseHost.NewPlan();
        caseHost.app().WindowActivate("Project1");
        EXPECT_EQ(Err().Number, 0);
        std::vector<std::string> expected;
        if (c.runs)
            expected = {"KovaProjectOpen@Project1", "KovaProjectOpen@Project2", "KovaProjectOpen@Project1"};
        EXPECT_EQ(Log().calls, expected);
        EXPECT_EQ(Shown().Contains("run KovaProjectOpen"), c.runs);
        EXPECT_TRUE(Shown().Contains("activate \"Project2\""));
    }
    EXPECT_TRUE(user.Finish());
}

// What the activation macro does stays with it: a plan it activates does not start it again, and its
// failure is a box, not an error of the call that activated the plan.
TEST_F(HostTest, TheActivationMacroNeitherNestsNorLeaksItsError) {
    AddReference("Grantry");
    AddActivationProcedure();
    Log().failOnOpen = true;
    user.Add(forms::steps::AnswerContaining(forms::vbOK, "Run-time error '91' in macro KovaProjectOpen"));
    host.NewPlan();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Log().calls, std::vector<std::string>{"KovaProjectOpen@Project1"});
    EXPECT_EQ(host.app().Projects().Count(), 2);
    EXPECT_EQ(host.MacroFailures(), 1);
    EXPECT_TRUE(user.Finish());
}

// The planning program's own dialogs are the user's: the Save As prompt of a never-saved plan (a
// relative answer is taken from the working folder, cancel leaves the plan unsaved) and its alerts.
TEST_F(HostTest, TheSaveAsPromptAndTheAlertsAreAnsweredByTheUser) {
    struct WorkingFolder {
        explicit WorkingFolder(const fs::path& folder) : previous(fs::current_path()) {
            fs::current_path(folder);
        }
        ~WorkingFolder() { fs::current_path(previous); }
        fs::path previous;
    };
    fs::create_directories(home.path() / "plans");
    WorkingFolder inHome(home.path());
    user.Add(forms::steps::SaveAs("plans/First.mpp"));
    user.Add(forms::steps::CancelSaveAs());
    user.Add(forms::steps::Answer(forms::vbCancel));

    host.NewPlan();
    host.app().FileSave();
    msp::Project first = host.app().ActiveProject();
    EXPECT_EQ(first.Name(), "First.mpp");
    EXPECT_EQ(first.Path(), (home.path() / "plans").string());
    EXPECT_TRUE(fs::is_regular_file(home.path() / "plans" / "First.mpp"));

    host.NewPlan();
    host.app().FileSave();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(host.app().ActiveProject().Saved());

    // Deleting a summary task asks first; Cancel keeps it.
    msp::Tasks tasks = host.app().ActiveProject().Tasks();
    tasks.Add("Summary");
    tasks.Add("Child").SetOutlineLevel(2);
    host.app().SelectRow(1, false);
    host.app().EditDelete();
    EXPECT_EQ(tasks.Count(), 2);
    EXPECT_TRUE(user.Finish());
    EXPECT_TRUE(Shown().Contains("ask \"Save As\" \"Microsoft Project\" -> \"plans/First.mpp\""));
    EXPECT_TRUE(Shown().Contains("ask \"Save As\" \"Microsoft Project\" -> cancel"));
    EXPECT_TRUE(Shown().Contains("box \"Microsoft Project\" OKCancel Exclamation"));
}

TEST_F(HostTest, APlanFileThatDoesNotExistYetIsCreated) {
    const fs::path file = home.path() / "New.mpp";
    ASSERT_TRUE(host.OpenPlan(file.string()));
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(host.app().ActiveProject().Name(), "New.mpp");
    EXPECT_FALSE(host.OpenPlan((home.path() / "missing" / "Plan.mpp").string()));
    EXPECT_NE(Err().Number, 0);
    EXPECT_TRUE(user.Finish());
}

// The server's class is made creatable in the process only when the machine's registry has it.
TEST_F(HostTest, TheServerClassIsCreatableWhenTheRegistryHasIt) {
    namespace os = platform::os;
    automation::UnregisterClass("Grantry.KovaMSP");
    EXPECT_FALSE(MakeServerClassesCreatable());
    EXPECT_FALSE(automation::IsClassRegistered("Grantry.KovaMSP"));

    const std::string program = (home.path() / "kova" / "Grantry.exe").string();
    const std::string clsid = "{AF3E0421-602E-40FC-A2ED-95D64C579D46}";
    ASSERT_TRUE(os::RegistrySetString(os::HKEY_CLASSES_ROOT, "Grantry.KovaMSP\\CLSID", "", clsid));
    ASSERT_TRUE(
        os::RegistrySetString(os::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\LocalServer32", "", program));
    EXPECT_TRUE(MakeServerClassesCreatable());
    auto info = automation::FindClass("Grantry.KovaMSP");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->serverPath, program);
    automation::Object command = automation::CreateObject("Grantry.KovaMSP");
    ASSERT_FALSE(command.IsNothing());
    EXPECT_EQ(command.get()->TypeName(), "KovaMSP");
    EXPECT_TRUE(user.Finish());
}

} // namespace

// Plans on the project server are named "<>/folder/name", as the object model names them.
TEST_F(HostTest, ServerPlansAreMadeAndOpenedByTheirServerNames) {
    EXPECT_EQ(FullPath("<>/Kova Plans/Srv.mpp"), "<>/Kova Plans/Srv.mpp");
    ASSERT_TRUE(host.OpenPlan("<>/Kova Plans/Srv.mpp")) << Err().Description;
    EXPECT_EQ(host.app().ActiveProject().Path(), "<>/Kova Plans");
    host.app().ActiveProject().Tasks().Add("Kept");
    host.app().FileSave();
    host.app().FileClose(msp::pjDoNotSave);
    ASSERT_TRUE(host.OpenPlan("<>/Kova Plans/Srv.mpp")) << Err().Description;
    EXPECT_EQ(host.app().ActiveProject().Tasks().Count(), 1);

    user.Add(forms::steps::SaveAs("<>/Kova Plans/Other.mpp"));
    host.NewPlan();
    host.app().FileSave();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(host.app().ActiveProject().Path(), "<>/Kova Plans");
    EXPECT_EQ(host.app().ActiveProject().Name(), "Other.mpp");
    EXPECT_TRUE(user.Finish());
}

} // namespace winproj
