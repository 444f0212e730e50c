#pragma once
// Test helpers of the integration core's plan routines (header only):
//   PlanFixture     a running planning program with one new plan, attached as the command's program
//   Installed menu  the integration's "&KovaProject" menu and its toolbar, as the template adds them
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/automation/Object.h"
#include "platform/forms/Form.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/TextFiles.h"

namespace Grantry::test {

namespace msp = platform::msproject;

// A command as the template's macros call it: late-bound, by name. A failure the command handled
// must not reach the macro, where it would end in the host's run-time error box.
inline void RunAsMacro(const char* command) {
    platform::automation::Call(platform::automation::MakeObject<KovaMSP>(), command);
    EXPECT_EQ(platform::automation::Err().Number, 0)
        << command << " handed the macro: " << platform::automation::Err().Description;
}

// The machine folder (KOVA_HOME) must exist before SetUp: a derived fixture holds it as a member.
class PlanFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ApplicationPathCache.clear();
        ResetLanguageState();
        app = msp::StartApplication(Options());
        ASSERT_TRUE(app);
        app->FileNew(false);
        MSProjectApplication = app;
        BOIConnector.clear();
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        platform::os::CloseAllFiles();
        ReleaseCommandObjects();
        msp::QuitApplication();
        platform::forms::DiscardAllForms();
        ApplicationPathCache.clear();
        ResetLanguageState();
        platform::automation::Err().Clear();
    }
    virtual msp::ApplicationOptions Options() { return {}; }

    msp::Project Plan() const { return app->ActiveProject(); }
    msp::CustomDocumentProperties Properties() const { return Plan().CustomDocumentProperties(); }
    bool HasProperty(const std::string& name) const {
        for (msp::DocumentProperty p : Properties())
            if (platform::automation::NamesEqual(p.Name(), name)) return true;
        return false;
    }
    // Saves the plan as `path` (its folder is created).
    void SaveAs(const std::filesystem::path& path) {
        if (path.string()[0] != '<') std::filesystem::create_directories(path.parent_path());
        app->FileSaveAs(path.string());
        ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
    }

    std::shared_ptr<msp::Application> app;
};

// A fresh project record as the command's, as a command creates it.
inline std::shared_ptr<KovaDataObjects::KovaProjectData> InstallProjectData() {
    CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
    return CurrentProjectData;
}

inline const std::vector<std::string>& MenuCaptions() {
    static const std::vector<std::string> captions = {"&Connect Project",
                                                      "Co&nnection Details",
                                                      "Synchronize &Master Data",
                                                      "Save &Baseline",
                                                      "&Synchronize ChBS/Budget/Schedule",
                                                      "&Disconnect Project",
                                                      "About..."};
    return captions;
}

// Adds the menu (unless `withMenu` is false) and the toolbar of six buttons; every control starts in
// the state `enabled`.
inline void InstallMenuAndToolbar(msp::Application& app, bool enabled, bool withMenu = true) {
    if (withMenu) {
        msp::CommandBarControl menu = app.CommandBars("File").Controls().Add(msp::msoControlPopup);
        menu.SetCaption("&KovaProject");
        for (const std::string& caption : MenuCaptions()) {
            msp::CommandBarControl item = menu.Controls().Add(msp::msoControlButton);
            item.SetCaption(caption);
            item.SetEnabled(enabled);
        }
    }
    msp::CommandBar bar = app.CommandBars().Add("KovaProjectToolBar");
    for (int i = 1; i <= 6; ++i)
        bar.Controls().Add(msp::msoControlButton).SetEnabled(enabled);
    ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
}

// "1111110" for the menu items, "111100" for the buttons: each control's enabled state.
inline std::string MenuState(msp::Application& app) {
    std::string out;
    for (msp::CommandBarControl c : app.CommandBars("File").Controls())
        if (c.Caption() == "&KovaProject")
            for (msp::CommandBarControl item : c.Controls())
                out += item.Enabled() ? '1' : '0';
    return out;
}
inline std::string ToolbarState(msp::Application& app) {
    std::string out;
    for (msp::CommandBarControl c : app.CommandBars("KovaProjectToolBar").Controls())
        out += c.Enabled() ? '1' : '0';
    return out;
}

} // namespace Grantry::test
