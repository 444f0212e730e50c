#include "integration/connect/ProjectDetails.h"

#include <functional>
#include <string>
#include <vector>

#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaProjectData.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestControl.h"

namespace Grantry::test {
namespace {

using platform::automation::Err;
using platform::middleware::Fault;

constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "planningParameters": {"transferEquipment": 1, "transferLabor": 1, "transferMaterial": 0,
                         "dateTypeForScheduling": 2, "currency": "EUR", "defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD", "description": "Day shift"}, {"code": "T2"}],
  "projects": [
    {"id": "BRIDGE", "description": " Lasse bridge ", "start": "2024-03-01", "finish": "2024-12-20",
     "leadingPlan": "MAIN", "obs": "ENG", "budgetTypeProjectBudget": 1, "budgetTypeProjectControl": 2,
     "baselines": [{"id": 1, "description": "First", "status": 2}, {"id": 2, "description": "Second", "status": 1}],
     "plans": [
       {"id": "MAIN", "description": "Main plan", "topChargeElement": "TOP",
        "chargeElements": [{"id": "TOP", "description": "Bridge", "type": 1},
                           {"id": "DES", "description": "Design", "type": 4, "parent": "TOP"}]},
       {"id": "ALT", "description": "Alternative"}]},
    {"id": "EMPTY", "description": "Nothing yet"}]
})json";

std::vector<std::string> CodesOf(const KovaDataList& list) {
    std::vector<std::string> codes;
    if (list)
        for (const auto& item : *list)
            codes.push_back(item->Code);
    return codes;
}

class ProjectDetailsTest : public ConnectFixture {
protected:
    ProjectDetailsTest() : ConnectFixture(kSeed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        CurrentConnection = std::make_shared<KovaDataObjects::KovaConnection>();
        ASSERT_EQ(Err().Number, 0) << Err().Description;
        BOIConnector = CurrentConnection->Connector;
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "BRIDGE";
        Err().Clear();
    }
    // Adds a task carrying the charge-element fields.
    void AddTask(const std::string& name, bool mark, const std::string& type, const std::string& code) {
        msp::Task task = Plan().Tasks().Add(name);
        task.SetFlag3(mark);
        task.SetText10(type);
        task.SetText1(code);
        ASSERT_EQ(Err().Number, 0) << Err().Description;
    }
    // The ownership the ERP's link records for the plan file `name`; 0 for none.
    int32_t LinkOwnership(const std::string& plan, const std::string& node, const std::string& name) {
        KovaDataObjects::KovaProjectData check;
        check.ProjectCode = "BRIDGE";
        check.Plan = plan;
        check.ConnectedCE = node;
        check.ESProject = name;
        return check.determineCHBSOwnership(BOIConnector);
    }
};

TEST_F(ProjectDetailsTest, ListsOfTheCurrentBackend) {
    int32_t company = 0;
    std::string host = "old";
    FetchConnectorProperties(company, host);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(company, 7);
    EXPECT_EQ(host, "");

    EXPECT_EQ(CodesOf(FetchProjectList()), (std::vector<std::string>{"BRIDGE", "EMPTY"}));
    EXPECT_EQ(CodesOf(FetchAvailabilityTypes()), (std::vector<std::string>{"STANDARD", "T2"}));
    EXPECT_EQ(CodesOf(FetchProjectPlans()), (std::vector<std::string>{"MAIN", "ALT"}));
    KovaDataList baselines = FetchBaselines(1);
    ASSERT_TRUE(baselines);
    ASSERT_EQ(baselines->size(), 2u);
    EXPECT_EQ((*baselines)[1]->Number, 2);
    EXPECT_EQ((*baselines)[1]->Code, "1");
    EXPECT_EQ((*baselines)[1]->Description, "Second");
    EXPECT_EQ(Err().Number, 0) << Err().Description;

    auto parameters = FetchPlanningParameters();
    ASSERT_TRUE(parameters);
    EXPECT_EQ(parameters->DefaultAvailabilityType(), "STANDARD");
    EXPECT_EQ(parameters->ESPCurrency, "EUR");
    EXPECT_TRUE(parameters->EquipSelected());
    EXPECT_TRUE(parameters->LaborSelected());
    EXPECT_FALSE(parameters->MaterialSelected());
    EXPECT_EQ(parameters->DateTypeForSchedule(), 2);
    EXPECT_EQ(parameters.use_count(), 1) << "the wrapper keeps no reference";
}

TEST_F(ProjectDetailsTest, AProjectWithoutPlansOrBaselinesGivesNothingWithoutAFailure) {
    CurrentProjectData->ProjectCode = "EMPTY";
    EXPECT_FALSE(FetchProjectPlans());
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(FetchBaselines(2));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ProjectDetailsTest, FailedFetchesGiveNothingAndLeaveTheFailure) {
    struct Case {
        const char* title;
        const char* progId;          // unregistered for the case
        std::function<bool()> fetch; // true when the result is the neutral one
    } cases[] = {
        {"projects", "Project.ProjectManager", [] { return !FetchProjectList(); }},
        {"plans", "Plan.PlanManager", [] { return !FetchProjectPlans(); }},
        {"availability types", "AvailabilityType.AvailabilityTypeManager",
         [] { return !FetchAvailabilityTypes(); }},
        {"baselines", "Baseline.BaselineManager", [] { return !FetchBaselines(1); }},
        {"leading plan", "Project.ProjectManager",
         [] {
             CurrentProjectData->Plan = "MAIN";
             return !FetchPlanIsLeading();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        erp.Control().Reset();
        erp.Control().UnregisterProgId(c.progId);
        Err().Raise(5, "stale"); // the wrappers start clean
        EXPECT_TRUE(c.fetch());
        EXPECT_NE(Err().Number, 0);
        EXPECT_NE(Err().Description, "stale");
        Err().Clear();
    }
}

TEST_F(ProjectDetailsTest, ConnectorPropertiesAreCopiedEvenWhenTheReadFails) {
    CurrentConnection->CompanyNumber = 12;
    erp.Control().UnregisterProgId("AvailabilityType.AvailabilityTypeManager");
    int32_t company = 0;
    std::string host = "old";
    FetchConnectorProperties(company, host);
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(company, 12);
    EXPECT_EQ(host, "");
}

TEST_F(ProjectDetailsTest, WithoutTheCommandsObjectsTheCallsFailCleanly) {
    CurrentConnection.reset();
    CurrentProjectData.reset();
    int32_t company = 3;
    std::string host = "h";
    FetchConnectorProperties(company, host);
    EXPECT_EQ(Err().Number, 91);
    EXPECT_EQ(company, 3);
    EXPECT_FALSE(FetchProjectList());
    EXPECT_EQ(Err().Number, 91);
    EXPECT_FALSE(FetchProjectPlans());
    EXPECT_EQ(Err().Number, 91);
    std::string node;
    RecordConnectionInKova(node);
    EXPECT_EQ(Err().Number, 91);
}

TEST_F(ProjectDetailsTest, ProjectInfoAndTheLeadingPlan) {
    FetchProjectInfo();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CurrentProjectData->Description, "Lasse bridge");
    EXPECT_EQ(CurrentProjectData->Plan, "MAIN");
    EXPECT_EQ(CurrentProjectData->TopCE, "TOP");
    EXPECT_EQ(CurrentProjectData->OBSCode, "ENG");
    EXPECT_EQ(CurrentProjectData->BudgetCombination, 2);
    EXPECT_TRUE(FetchPlanIsLeading());
    CurrentProjectData->Plan = "ALT";
    EXPECT_FALSE(FetchPlanIsLeading());
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ProjectDetailsTest, TopElementOfARefusedPlanIsEmptyWithOneLogLineAndNoFailure) {
    CurrentProjectData->Plan = "MAIN";
    EXPECT_EQ(FetchTopCEForPlan(), "TOP");
    EXPECT_EQ(Err().Number, 0);

    OpenLog();
    CurrentProjectData->Plan = "NOPE";
    EXPECT_EQ(FetchTopCEForPlan(), "");
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(LogText(), "   Error Retrieving the Top CE for the Plan\r\n");
    // With no log open the answer is the same.
    EXPECT_EQ(FetchTopCEForPlan(), "");
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ProjectDetailsTest, RecordingWithANodeLinksThePlanFile) {
    CurrentProjectData->Plan = "MAIN";
    CurrentProjectData->Ownership = 1;
    std::string node = "TOP";
    RecordConnectionInKova(node);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(node, "TOP");
    EXPECT_EQ(CurrentProjectData->ConnectedCE, "TOP");
    EXPECT_EQ(LinkOwnership("MAIN", "TOP", Plan().Name()), 1);
}

TEST_F(ProjectDetailsTest, RecordingWithoutANodeTakesTheFirstElementTaskThatIsNoMilestone) {
    app->SelectRow(1, false);
    app->EditInsert(); // a blank first row
    AddTask("Opening", true, "Milestone", "MS1");
    AddTask("Preparation", false, "", "PREP");
    AddTask("Structure", true, "WBS Element", " WBS1 ");
    AddTask("Design", true, "Work Package", "WP1");
    CurrentProjectData->Plan = "ALT";
    CurrentProjectData->Ownership = 2;
    std::string node;
    RecordConnectionInKova(node);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(node, "");
    EXPECT_EQ(CurrentProjectData->ConnectedCE, "WBS1");
    EXPECT_EQ(LinkOwnership("ALT", "", Plan().Name()), 2);

    // Recording it again is refused: the code is still taken, and the caller sees the refusal.
    CurrentProjectData->ConnectedCE = "";
    RecordConnectionInKova(node);
    EXPECT_EQ(Err().Number, platform::middleware::failures::Refused + 100);
    EXPECT_EQ(Err().Description, "Connection Could not be established for the ESP Project.");
    EXPECT_EQ(CurrentProjectData->ConnectedCE, "WBS1");
}

TEST_F(ProjectDetailsTest, RecordingWithoutANodeOrAnElementTaskKeepsOtherRowsOut) {
    AddTask("Plain", false, "", "OTHER");
    AddTask("Opening", true, "Milestone", "MS1");
    app->SelectRow(1, false);
    CurrentProjectData->Plan = "ALT";
    CurrentProjectData->Ownership = 2;
    std::string node;
    RecordConnectionInKova(node);
    EXPECT_NE(Err().Number, 0) << "no top task to select";
    EXPECT_EQ(CurrentProjectData->ConnectedCE, "") << "the active row's code is not taken";
    // The link made before the failure is taken back, so that the plan can be connected later.
    EXPECT_EQ(LinkOwnership("ALT", "", Plan().Name()), 0) << "no link stays behind";
    AddTask("Structure", true, "WBS Element", "WBS1");
    RecordConnectionInKova(node);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(LinkOwnership("ALT", "", Plan().Name()), 2);
}

TEST_F(ProjectDetailsTest, DeletingTheConnectionPropertiesKeepsThreeAndAnyOthers) {
    msp::CustomDocumentProperties properties = Plan().CustomDocumentProperties();
    for (const DocumentPropertyDefinition& d : IntegrationDocumentProperties())
        properties.Add(d.name, false, d.type, d.initial);
    properties.Add("Customer", false, kPropertyText, "Lasse");
    ASSERT_EQ(Err().Number, 0) << Err().Description;

    DeleteConnectionProperties();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    std::vector<std::string> left;
    for (msp::DocumentProperty p : Plan().CustomDocumentProperties())
        left.push_back(p.Name());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Customer", "DeleteMSPCETask", "OBSCode", "SendActualDates"}));

    // A plan holding only some of them (names in other letter cases too) loses those, silently.
    app->FileNew(false);
    properties = Plan().CustomDocumentProperties();
    properties.Add("kovaproject", false, kPropertyText, "BRIDGE");
    properties.Add("KovaTransferProjectSundry", false, kPropertyYesNo, true);
    properties.Add("OBScode", false, kPropertyText, "ENG");
    DeleteConnectionProperties();
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    left.clear();
    for (msp::DocumentProperty p : Plan().CustomDocumentProperties())
        left.push_back(p.Name());
    EXPECT_EQ(left, (std::vector<std::string>{"OBScode"}));
}

} // namespace
} // namespace Grantry::test
