#include "integration/core/KovaMSP.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "integration/core/CoreTestSupport.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/frmAbout.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/Registry.h"
#include "platform/os/ServerRegistration.h"

namespace Grantry {
namespace {

namespace automation = platform::automation;
namespace os = platform::os;
using namespace platform::forms;
using test::ApplicationFolder;
using ::testing::HasSubstr;

class KovaMSPTest : public ::testing::Test {
protected:
    void SetUp() override {
        automation::Err().Clear();
        app_.InstallProgram(1, 2, 3, 45);
        RegisterKovaMSP(app_.program().string());
    }
    void TearDown() override {
        UnregisterKovaMSP();
        DiscardAllForms();
        SetProgramTitle("");
    }
    ApplicationFolder app_;
};

TEST_F(KovaMSPTest, TheClassIsRegisteredForTheProgramFile) {
    auto info = automation::FindClass("grantry.kovamsp");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->classId, "{AF3E0421-602E-40FC-A2ED-95D64C579D46}");
    EXPECT_EQ(info->interfaceId, "{3A46AA95-6D0F-4C5B-84AF-9A7B80FB729F}");
    EXPECT_EQ(os::RegisteredServerPath("Grantry.KovaMSP"), app_.program().string());
    std::string value;
    ASSERT_TRUE(os::RegistryGetString(os::HKEY_CLASSES_ROOT, "Grantry.KovaMSP\\CLSID", "", value));
    EXPECT_EQ(value, "{AF3E0421-602E-40FC-A2ED-95D64C579D46}");
    EXPECT_TRUE(
        os::RegistryKeyExists(os::HKEY_CLASSES_ROOT, "Interface\\{3A46AA95-6D0F-4C5B-84AF-9A7B80FB729F}"));

    automation::Object command = automation::CreateObject("Grantry.KovaMSP");
    ASSERT_FALSE(command.IsNothing());
    EXPECT_EQ(automation::Err().Number, 0);
    automation::Call(command, "NoSuchCommand");
    EXPECT_EQ(automation::Err().Number, automation::errors::NotSupported);
}

// The macro's call: the About dialog of the registered program opens modally, needing no plan,
// with this program's title for untitled boxes; the host's title is back afterwards.
TEST_F(KovaMSPTest, OrbelAboutShowsTheAboutDialog) {
    class TitleWatcher : public ScriptedUser {
    public:
        using ScriptedUser::ScriptedUser;
        UserAction NextAction(Form& form) override {
            titleWhileShown = ProgramTitle();
            versionShown = static_cast<frmAbout&>(form).lblCurrVer.Caption;
            return ScriptedUser::NextAction(form);
        }
        std::string titleWhileShown, versionShown;
    } user({steps::Click("frmAbout.btnOK")});
    user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
    ScopedUser on(user);
    SetProgramTitle("Host");

    automation::Object command = automation::CreateObject("Grantry.KovaMSP");
    automation::Call(command, "orbelabout");
    EXPECT_EQ(automation::Err().Number, 0) << automation::Err().Description;
    EXPECT_TRUE(user.Finish());
    EXPECT_TRUE(user.transcript().Contains("show frmAbout \"About the Orbel MS Project  \" modal"));
    EXPECT_EQ(user.versionShown, "1.2.3.45");
    EXPECT_EQ(user.titleWhileShown, "KovaProject - MsProject Integration");
    EXPECT_EQ(ProgramTitle(), "Host");
    EXPECT_FALSE(IsFormLoaded<frmAbout>());
}


// Macros call the commands late-bound: a failure a command has handled never reaches them, while the
// methods without error handling still hand theirs on.
TEST_F(KovaMSPTest, AHandledFailureNeverReachesTheMacro) {
    // No planning program is running: every command's attach fails.
    for (const char* name : {"connectProject", "disconnectProject", "ConnectionDetails", "TransferStandardCE",
                             "SynchronizeMasterData"}) {
        SCOPED_TRACE(name);
        ScriptedUser user;
        ScopedUser on(user);
        automation::Object command = automation::CreateObject("Grantry.KovaMSP");
        automation::Err().Raise(5);
        automation::Call(command, name);
        EXPECT_EQ(automation::Err().Number, 0) << automation::Err().Description;
    }
    for (const char* name : {"KovaProjectOpen", "RemoveCustomDocumentProperties"}) {
        SCOPED_TRACE(name);
        automation::Object command = automation::CreateObject("Grantry.KovaMSP");
        automation::Call(command, name);
        EXPECT_NE(automation::Err().Number, 0);
    }
}

} // namespace
} // namespace Grantry
