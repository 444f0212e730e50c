#pragma once
// Test helpers of the structure units (header only): a seeded ERP whose plan MAIN of project BRIDGE
// has the demo's shape (a top element, two cost accounts, work packages, a milestone linked to a work
// package and a stand-alone milestone), a saved plan with the integration's properties, an open log,
// and the command's project data holding the structure below BR.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "dataobjects/KovaProjectData.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"

namespace Grantry::test {

inline constexpr char kStructureSeed[] = R"json({
  "release": "tt7.1_a",
  "company": {"number": 7},
  "projects": [
    {"id": "BRIDGE", "description": "Lasse bridge", "start": "2024-03-01", "finish": "2025-06-30",
     "leadingPlan": "MAIN",
     "plans": [
       {"id": "MAIN", "topChargeElement": "BR",
        "chargeElements": [
          {"id": "BR", "description": "Lasse river bridge", "type": 1, "obs": "ORG",
           "start": "2024-03-04 08:00", "finish": "2024-12-20 17:00"},
          {"id": "BR10", "description": "Design", "type": 2, "parent": "BR", "obs": "ENG",
           "start": "2024-03-04 08:00", "finish": "2024-05-31 17:00"},
          {"id": "BR11", "description": "Structural design", "type": 4, "parent": "BR10",
           "start": "2024-03-04 08:00", "finish": "2024-04-26 17:00"},
          {"id": "BRM1", "description": "Design approved", "type": 5, "parent": "BR10", "linked": "BR11",
           "start": "2024-04-26 17:00", "finish": "2024-04-26 17:00"},
          {"id": "BR12", "description": "Permits", "type": 4, "parent": "BR10", "obs": "ENG",
           "start": "2024-04-01 08:00", "finish": "2024-05-31 17:00"},
          {"id": "BR20", "description": "Construction", "type": 2, "parent": "BR", "obs": "CONS",
           "start": "2024-06-03 08:00", "finish": "2024-12-20 17:00"},
          {"id": "BR21", "description": "Foundations", "type": 4, "parent": "BR20", "connectable": 2,
           "start": "2024-06-03 08:00", "finish": "2024-08-30 17:00"},
          {"id": "BRM2", "description": "Bridge opened", "type": 5, "parent": "BR",
           "start": "2024-12-20 17:00", "finish": "2024-12-20 17:00"}]}]}]
})json";

class StructureFixture : public ConnectFixture {
protected:
    StructureFixture() : ConnectFixture(kStructureSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        std::filesystem::create_directories(erp.home() / "plans");
        app->FileSaveAs((erp.home() / "plans" / "Bridge.mpp").string());
        for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
            Plan().CustomDocumentProperties().Add(d.name, false, d.type, d.initial);
        CurrentConnection = std::make_shared<KovaDataObjects::KovaConnection>();
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "BRIDGE";
        CurrentProjectData->Plan = "MAIN";
        CurrentProjectData->ConnectedCE = "BR";
        CurrentProjectData->getChBSFromKova(BOIConnector, "BR");
        ASSERT_EQ(platform::automation::Err().Number, 0) << platform::automation::Err().Description;
        OpenLog();
    }
    void SetOption(const std::string& name, bool value) {
        Plan().CustomDocumentProperties().Item(name).SetValue(platform::automation::Variant(value));
    }
    std::filesystem::path BcePath() const { return erp.home() / "plans" / "Bridge.bce"; }
};

} // namespace Grantry::test
