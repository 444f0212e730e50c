#pragma once
// Test helpers of the budget-line units (header only): a seeded ERP, a saved plan with the
// integration's properties and an open log, and helpers that lay out charge-element tasks,
// resources and the labour cost-object file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "integration/connect/ConnectTestSupport.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/os/FixedRecord.h"
#include "platform/os/RandomFile.h"

namespace Grantry::test {

struct LaborRecord {
    std::string project, code, description, unit;
};

class BudgetFixture : public ConnectFixture {
protected:
    explicit BudgetFixture(const std::string& seed = "{}") : ConnectFixture(seed) {}
    void SetUp() override {
        ResetLanguageState();
        ConnectFixture::SetUp();
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Plan.mpp").string());
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        OpenLog();
        platform::automation::Err().Clear();
    }
    void TearDown() override {
        ConnectFixture::TearDown();
        ResetLanguageState();
    }

    // Appends a task at `level`; a charge-element task when `code` is given.
    msp::Task AddTask(const std::string& name, int level, const std::string& code = "") {
        msp::Task t = Plan().Tasks().Add(name);
        t.SetOutlineLevel(level);
        if (!code.empty()) {
            t.SetText(1, code);
            t.SetFlag(3, true);
        }
        EXPECT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
        return t;
    }
    msp::Resource AddResource(const std::string& name, const std::string& code) {
        msp::Resource r = Plan().Resources().Add(name);
        r.SetText(2, code);
        return r;
    }
    // The plan's labour cost-object file with these records and the end record.
    void WriteLaborFile(const std::vector<LaborRecord>& records) {
        platform::os::RandomFile file;
        ASSERT_TRUE(file.Open(GetLcoFilePath(), LaborCostObjectRecord::kLength, platform::os::RandomAccess::Write));
        platform::os::FixedRecord record(LaborCostObjectRecord::kLength);
        for (const LaborRecord& r : records) {
            record.SetText(LaborCostObjectRecord::Project, r.project);
            record.SetText(LaborCostObjectRecord::Code, r.code);
            record.SetText(LaborCostObjectRecord::Description, r.description);
            record.SetText(LaborCostObjectRecord::Unit, r.unit);
            ASSERT_TRUE(file.Put(record));
        }
        record.SetText(LaborCostObjectRecord::Project, ".");
        record.SetText(LaborCostObjectRecord::Code, "");
        ASSERT_TRUE(file.Put(record));
    }
    // "Name:level" of every row, blank rows as "-".
    std::string Outline() const {
        std::string out;
        for (const msp::Task& t : Plan().Tasks().Snapshot()) {
            if (!out.empty()) out += ' ';
            out += t ? t.Name() + ":" + std::to_string(t.OutlineLevel()) : "-";
        }
        return out;
    }
};

} // namespace Grantry::test
