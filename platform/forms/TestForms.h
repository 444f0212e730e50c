#pragma once
// Forms and fixtures shared by the form-layer tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/forms/UserDriver.h"

namespace platform::forms::test {

// Every test starts without forms and with a clean error record, and leaves no forms behind.
class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::automation::Err().Clear(); }
    void TearDown() override {
        DiscardAllForms();
        SetProgramTitle("");
    }
    // A user whose failures fail the test.
    static void Strict(ScriptedUser& user) {
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << "script failure: " << message; });
    }
};

// A form with one control of each kind; every event it is wired for lands in `log`.
class frmEvents : public Form {
public:
    frmEvents() : Form("frmEvents", "Events") {
        for (const char* plan : {"A", "B", "C"})
            cboPlan.AddItem(plan);
        for (const char* project : {"P1", "P2", "P3"})
            lstProjects.AddItem(project);
        for (const char* kind : {"Equipment", "Trade Groups", "Employees"})
            lstResources.AddItem(kind);
        lstResources.MultiSelect = vbMultiSelectExtended;
        tsrConnect.Tabs().Add("&Connection");
        tsrConnect.Tabs().Add("&Resources");
        optSubTask.SetValue(true);
        cmdClose.Caption = "Close";

        txtName.Change = [this] { log.push_back("txtName_Change"); };
        cboPlan.Click = [this] { log.push_back("cboPlan_Click"); };
        cboPlan.Change = [this] { log.push_back("cboPlan_Change"); };
        lstProjects.Click = [this] { log.push_back("lstProjects_Click"); };
        lstProjects.MouseDown = [this](int16_t, int16_t, float, float) {
            log.push_back("lstProjects_MouseDown");
        };
        lstResources.Click = [this] { log.push_back("lstResources_Click"); };
        chkSort.Click = [this] { log.push_back("chkSort_Click"); };
        optSubTask.Click = [this] { log.push_back("optSubTask_Click"); };
        optResAssgn.Click = [this] { log.push_back("optResAssgn_Click"); };
        tsrConnect.Click = [this] { log.push_back("tsrConnect_Click"); };
        cmdClose.Click = [this] { Unload(); };
    }

    TextBox txtName{*this, "txtName"};
    ComboBox cboPlan{*this, "cboPlan"};
    ListBox lstProjects{*this, "lstProjects"};
    ListBox lstResources{*this, "lstResources"};
    CheckBox chkSort{*this, "chkSort"};
    OptionButton optSubTask{*this, "optSubTask"};
    OptionButton optResAssgn{*this, "optResAssgn"};
    TabStrip tsrConnect{*this, "tsrConnect"};
    CommandButton cmdClose{*this, "cmdClose"};
    std::vector<std::string> log;
};

} // namespace platform::forms::test
