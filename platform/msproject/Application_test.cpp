// The running instance: reached through the class registry, late-bound members, and what is left
// once the program has ended.
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Object.h"
#include "platform/msproject/TestFixture.h"

namespace platform::msproject::testing {
namespace {

using automation::CreateObject;
using automation::Object;

TEST(RunningInstance, CreateObjectFailsWith429WhenNoneRuns) {
    os::TempKovaHome home;
    QuitApplication();
    RegisterApplicationClass();
    Err().Clear();
    Object o = CreateObject("MSProject.Application");
    EXPECT_TRUE(o.IsNothing());
    EXPECT_EQ(Err().Number, 429);
}

class RunningApp : public MsProjectTest {};

TEST_F(RunningApp, CreateObjectGivesTheRunningInstance) {
    Object o = CreateObject("MSProject.Application");
    ASSERT_FALSE(o.IsNothing());
    auto typed = o.As<Application>();
    EXPECT_EQ(typed, app);
    // Two attachments reach the same plan.
    auto again = CreateObject("msproject.application").As<Application>();
    EXPECT_EQ(again->ActiveProject(), app->ActiveProject());

    // Late-bound members for callers that hold it as an Object.
    EXPECT_EQ(automation::CStr(automation::Get(o, "Path")), app->Path());
    EXPECT_EQ(app->Path(), (home.path() / "msproject").string());
    EXPECT_EQ(automation::CStr(automation::Get(o, "Version")), "11.0");
    EXPECT_EQ(automation::CStr(automation::Get(o, "Name")), "Microsoft Project");
    automation::Let(o, "Visible", false);
    EXPECT_FALSE(app->Visible());
    automation::Call(o, "Alerts", {automation::Named("Show", false)});
    EXPECT_FALSE(app->DisplayAlerts());
    EXPECT_EQ(Err().Number, 0);
    automation::Call(o, "FileOpen", {automation::Named("Name", "/no/such/plan.mpp")});
    EXPECT_EQ(Err().Number, 1004);
    Err().Clear();
    automation::Call(o, "NoSuchMember");
    EXPECT_EQ(Err().Number, 438);
}

TEST_F(RunningApp, AfterQuitTheInstanceIsGone) {
    Build({{"A", 1}});
    Task a = Named("A");
    auto held = app;
    app->Quit(pjDoNotSave);
    EXPECT_FALSE(RunningApplication());
    Object o = CreateObject("MSProject.Application");
    EXPECT_TRUE(o.IsNothing());
    EXPECT_EQ(Err().Number, 429);
    Err().Clear();
    held->FileNew(false);
    EXPECT_EQ(Err().Number, 462);
    Err().Clear();
    EXPECT_EQ(a.Name(), "");
    EXPECT_NE(Err().Number, 0);
}

TEST_F(RunningApp, FailuresLeaveANeutralValueAndTheErrorRecord) {
    Build({{"A", 1}, {"", 0}});
    struct Case {
        const char* title;
        std::function<void()> call;
        int32_t error;
    };
    const Case cases[] = {
        {"MemberOfABlankRow", [&] { PlanTasks().Item(2).Name(); }, 91},
        {"MemberOfNothing", [&] { Task().OutlineIndent(); }, 91},
        {"TaskOutOfRange", [&] { PlanTasks().Item(9); }, 1004},
        {"ChainAfterAFailedItem", [&] { PlanTasks().Item(9).Name(); }, 1004},
        {"FieldOutOfRange", [&] { Named("A").SetText(31, "x"); }, 1004},
        {"UnknownFieldByName", [&] { Named("A").GetField("Text31"); }, 1004},
        {"FlagFromNoYesNoText", [&] { Named("A").SetField("Flag1", "perhaps"); }, 13},
        {"DateFromNoDateText", [&] { Named("A").SetDate1("someday"); }, 13},
        {"NegativeDuration", [&] { Named("A").SetDuration(-5.0); }, 1004},
        {"SummaryTaskCannotBeChanged", [&] { Plan().ProjectSummaryTask().SetText1("x"); }, 1004},
    };
    for (const auto& c : cases) {
        Err().Clear();
        c.call();
        EXPECT_EQ(Err().Number, c.error) << c.title;
        EXPECT_FALSE(Err().Description.empty()) << c.title;
    }
    EXPECT_EQ(Named("A").Text1(), "");
    Err().Clear();
    EXPECT_EQ(Named("A").GetField("Flag1"), Variant(false));
    Named("A").SetField("flag1", "Yes");
    EXPECT_TRUE(Named("A").Flag1());
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(RunningApp, OptionsAreKept) {
    app->SetMacroVirusProtection(false);
    app->SetShowAssignmentUnitsAs(1);
    EXPECT_FALSE(app->MacroVirusProtection());
    EXPECT_EQ(app->ShowAssignmentUnitsAs(), 1);
    app->VBE().MainWindow().SetVisible(false);
    EXPECT_FALSE(app->VBE().MainWindow().Visible());
}

TEST_F(RunningApp, AlertsAskWhileOn) {
    QuitApplication();
    std::vector<std::string> asked;
    ApplicationOptions o;
    o.alertPrompt = [&](const std::string& message) {
        asked.push_back(message);
        return false;
    };
    app = StartApplication(o);
    app->FileNew(false);
    Build({{"A", 1}, {"B", 2}});
    app->SelectRow(1, false);
    app->EditDelete(); // refused at the prompt
    EXPECT_EQ(Layout(), "A1 B2");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("summary task"), std::string::npos);
    app->Alerts(false);
    app->EditDelete();
    EXPECT_EQ(Layout(), "");
    EXPECT_EQ(app->AlertsShown(), 1);
}

TEST_F(RunningApp, ProjectActivationIsReported) {
    QuitApplication();
    std::vector<std::string> activated;
    ApplicationOptions o;
    o.projectActivated = [&](const Project& p) { activated.push_back(p.Name()); };
    app = StartApplication(o);
    app->FileNew(false);
    app->FileNew(false);
    app->WindowActivate("Project1");
    EXPECT_EQ(activated, (std::vector<std::string>{"Project1", "Project2", "Project1"}));
}

} // namespace
} // namespace platform::msproject::testing
