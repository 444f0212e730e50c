#pragma once
// Test helpers of the charge-element editing units (header only): an ERP of company 7 with two
// standard charge elements, a saved plan with the integration's properties, the program's Data
// folder, the charge-element dialog installed as the host installs it, and a scripted user.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dataobjects/ClassRegistration.h"
#include "integration/chargestructure/frmKovaChargeElements.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/ChargeElementCommands.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/ObsElementRecord.h"
#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedUser.h"
#include "platform/os/RandomFile.h"

namespace Grantry::test {

inline constexpr char kEditingSeed[] = R"json({
  "release": "tt7.1_a", "company": {"number": 7}, "planningParameters": {"currency": "NOK"},
  "standardChargeElements": [{"code": "ACC", "description": "Cost account", "type": "2"},
                             {"code": "DES", "description": "Design", "type": "4"}]
})json";

class EditingFixture : public ConnectFixture {
protected:
    EditingFixture() : ConnectFixture(kEditingSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        KovaDataObjects::RegisterKovaDataObjects();
        user.OnFailure([](const std::string& message) { ADD_FAILURE() << message; });
        ApplicationPathCache = (erp.home() / "kova").string();
        std::filesystem::create_directories(erp.home() / "kova" / "Data");
        std::filesystem::create_directories(erp.home() / "plans");
        AddIntegrationItems();
        app->FileSaveAs((erp.home() / "plans" / "Plan.mpp").string());
        InstallChargeElementDialog();
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        ChargeElementEditing() = {};
        ApplicationPathCache.clear();
        platform::forms::DiscardAllForms();
        ConnectFixture::TearDown();
    }

    // The integration's properties, view and filter in the active plan, as a connected plan has them.
    void AddIntegrationItems() {
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        app->TableEdit("KovaProjectIntegration", true, true, {"ID", "Name", "Text1", "Text15"});
        app->FilterEdit(kAllKovaProjectTasksFilter, true, true);
        app->ViewEditSingle("Kova Proj Gantt", true, true, "KovaProjectIntegration");
        ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
    }
    // A new plan in place of the active one, not saved.
    void NewPlan() {
        app->FileNew(false);
        AddIntegrationItems();
    }

    // A charge-element task at the end of the plan.
    msp::Task AddElement(const std::string& name, const std::string& code, const std::string& type, int level,
                         bool inKova = false, const std::string& parent = {}) {
        msp::Task task = Plan().Tasks().Add(name);
        task.SetOutlineLevel(level);
        task.SetText1(code);
        task.SetText10(type);
        task.SetText15(parent);
        task.SetFlag3(true);
        task.SetFlag2(inKova);
        if (type == "Milestone") {
            task.SetDuration(platform::automation::Variant(0.0));
            task.SetMilestone(true);
        }
        EXPECT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
        return task;
    }
    void Select(const msp::Task& task) { app->SelectRow(task.Id(), false); }
    void SetProperty(const std::string& name, const platform::automation::Variant& value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(value);
        ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
    }
    void Connect() { SetProperty("KovaProject", platform::automation::Variant(std::string("P1"))); }
    // The plan's OBS file with these code/description pairs.
    void WriteObsFile(const std::vector<std::pair<std::string, std::string>>& elements) {
        platform::os::RandomFile file;
        ASSERT_TRUE(file.Open(GetObsFilePath(), ObsElementRecord::kLength, platform::os::RandomAccess::Write));
        platform::os::FixedRecord record(ObsElementRecord::kLength);
        for (const auto& [code, description] : elements) {
            record.SetText(ObsElementRecord::Code, code);
            record.SetText(ObsElementRecord::Description, description);
            file.Put(record);
        }
    }
    std::string Names() {
        std::string out;
        for (msp::Task t : Plan().Tasks())
            out += t ? std::to_string(t.OutlineLevel()) + ":" + t.Name() + " " : std::string("- ");
        return out;
    }
    bool Finish() { return user.Finish(); }
    std::string Shown() const { return user.transcript().Text(); }

    platform::forms::ScriptedUser user;
    platform::forms::ScopedUser on{user};
};

} // namespace Grantry::test
