#include "dataobjects/KovaConnection.h"

#include <gtest/gtest.h>

#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kPpp = "ProjectPlanningParameter.ProjectPlanningParameterManager";
constexpr const char* kObs = "OrganizationBreakdownStructure.OrganizationBreakdownStructureManager";
constexpr const char* kObsElements = "getOrganizationBreakdownStructureElements";

constexpr const char* kSeed = R"({
  "release": " tt7.1_a ",
  "company": {"number": 4711},
  "planningParameters": {"currency": "EUR"},
  "obs": [{"id": "ORG", "description": "Company"}, {"id": "ENG", "parent": "ORG", "description": "Engineering"},
          {"id": "CONS", "parent": "ORG"}, {"id": "CONS-N", "parent": "CONS"}, {"id": "CONS-S", "parent": "CONS"}],
  "standardChargeElements": [{"code": " WP ", "description": " Work package ", "type": " 4 "},
                             {"code": "MS", "description": "Milestone", "type": "5"}],
  "projects": [{"id": "BRIDGE ", "description": "  Lasse river bridge ", "obs": "ORG"},
               {"id": "DEPOT", "description": "Depot"}]
})";

std::vector<std::string> ObsIds(const std::optional<std::vector<Object>>& elements) {
    std::vector<std::string> ids;
    if (elements)
        for (const auto& e : *elements)
            ids.push_back(CStr(Call(e, "organizationBreakdownStructureElementID")));
    return ids;
}

} // namespace

class KovaConnectionTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    void SetUp() override { erp.Control().StartCallLog(); }
    size_t CallsTo(const char* member) { return erp.Control().CallsTo(member).size(); }
};

TEST_F(KovaConnectionTest, StartUpGivesTheTrimmedBackendName) {
    platform::middleware::SetDefaultBackendName("  DEMO  ");
    KovaConnection connection;
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(connection.Connector, "DEMO");
    EXPECT_EQ(CallsTo("Show"), 1u);
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
    EXPECT_TRUE(CurrentManager.IsNothing());
}

TEST_F(KovaConnectionTest, StartUpFailuresLeaveTheConnectorEmpty) {
    struct Case {
        const char* name;
        std::function<void(TestBackend&)> arrange;
        int32_t number;
        const char* description;
        bool showCalled;
    } cases[] = {
        {"no default backend", [](TestBackend&) { platform::middleware::SetDefaultBackendName(""); }, 777,
         "BusComponent/Default Backend not maintained.", false},
        {"not maintained",
         [](TestBackend& e) {
             e.Config().maintained = false;
             e.Save();
         },
         777, "BusComponent/Default Backend not maintained.", false},
        {"no planning-parameter manager", [](TestBackend& e) { e.Control().UnregisterProgId(kPpp); }, 777,
         "BusComponent/Default Backend not maintained.", false},
        {"getCurrentBackend fails",
         [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kPpp, "getCurrentBackend", 70, 1)); }, 777,
         "BusComponent/Default Backend not maintained.", false},
        {"not started",
         [](TestBackend& e) {
             e.Config().started = false;
             e.Save();
         },
         888, "BusComponent not started in the Backend Server.", true},
        {"Show fails", [](TestBackend& e) { e.Control().ArmFault(Fault::Error(kPpp, "Show", 5, 1)); }, 888,
         "BusComponent not started in the Backend Server.", true},
    };
    for (const auto& c : cases) {
        TestBackend fresh{kSeed};
        fresh.Control().StartCallLog();
        c.arrange(fresh);
        Err().Raise(3, "earlier", "an earlier error is cleared");
        KovaConnection connection;
        EXPECT_EQ(Err().Number, c.number) << c.name;
        EXPECT_EQ(Err().Source, "KovaDataObjects") << c.name;
        EXPECT_EQ(Err().Description, c.description) << c.name;
        EXPECT_EQ(connection.Connector, "") << c.name;
        EXPECT_EQ(fresh.Control().WasCalled("Show"), c.showCalled) << c.name;
        EXPECT_TRUE(CurrentManager.IsNothing()) << c.name;
        Err().Clear();
    }
}

TEST_F(KovaConnectionTest, ConnectorPropertiesPassTheUntrimmedBackendName) {
    platform::middleware::SetDefaultBackendName(" DEMO ");
    KovaConnection connection;
    erp.Control().ClearCallLog();
    connection.getConnectorProperties(connection.Connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(connection.CompanyNumber, 4711);
    EXPECT_EQ(connection.Hostname(), "");
    auto calls = erp.Control().CallsTo("getCompanyNumberFromBusComponent");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args.at(0).value, Variant(" DEMO "));
    EXPECT_TRUE(calls[0].args.at(0).byRef);
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
    EXPECT_FALSE(CurrentManager.IsNothing()) << "the manager stays until the next method";
    EXPECT_EQ(CurrentManager.get()->TypeName(), "AvailabilityType.AvailabilityTypeManager");
}

TEST_F(KovaConnectionTest, ConnectorPropertiesFailuresKeepTheCompanyNumber) {
    KovaConnection connection;
    connection.CompanyNumber = 12;

    erp.Control().UnregisterProgId("AvailabilityType.AvailabilityTypeManager");
    connection.getConnectorProperties("");
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(Err().Source, "Kova Data Access Objects");
    EXPECT_EQ(Err().Description, "Connection with the MiddleWare could not be Achieved");
    EXPECT_EQ(connection.CompanyNumber, 12);
    erp.Control().RestoreProgIds();

    erp.Config().maintained = false;
    erp.Save();
    connection.getConnectorProperties("");
    EXPECT_EQ(Err().Number, 629) << "429 for the company object, +100 by GetCompanyObject, +100 here";
    EXPECT_EQ(
        Err().Description,
        "Connection properties cannot be retreived for the Default Backend set in the Meridane Adapter.");
    EXPECT_EQ(connection.CompanyNumber, 12);
    erp.Config().maintained = true;
    erp.Save();

    erp.Control().ArmFault(
        Fault::Error("GetCompany.GetCompany", "getCompanyNumberFromBusComponent", 1234, 1));
    connection.getConnectorProperties("");
    EXPECT_EQ(Err().Number, 1234) << "the untested call leaves its own error";
    EXPECT_EQ(connection.CompanyNumber, 12);
}

TEST_F(KovaConnectionTest, StandardChargeElementListTrimsAndReleases) {
    KovaConnection connection;
    std::string connector = connection.Connector;
    auto list = connection.getKovaSCEList(connector);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0]->Code, "WP");
    EXPECT_EQ((*list)[0]->Description, "Work package");
    EXPECT_EQ((*list)[0]->SCEType, "4");
    EXPECT_EQ((*list)[1]->Code, "MS");
    auto listCalls = erp.Control().CallsTo("List");
    ASSERT_EQ(listCalls.size(), 1u);
    EXPECT_EQ(listCalls[0].args.at(1).value, Variant("zzzz"));
    EXPECT_EQ(CallsTo("releaseAll"), 1u);
    EXPECT_TRUE(CurrentManager.IsNothing());
    EXPECT_TRUE(CurrentList.IsNothing());
}

TEST_F(KovaConnectionTest, ListsThatAreEmptyOrFailedGiveNothing) {
    KovaConnection connection;
    std::string connector = connection.Connector;
    erp.Open()->Exec("DELETE FROM standard_charge_element; DELETE FROM project;");
    EXPECT_FALSE(connection.getKovaSCEList(connector));
    EXPECT_FALSE(connection.getKovaProjectList(connector));
    EXPECT_EQ(Err().Number, 0) << "an empty list is no error";
    erp.Control().ArmFault(Fault::Nothing("Project.ProjectManager", "List"));
    EXPECT_FALSE(connection.getKovaProjectList(connector));
    EXPECT_EQ(Err().Number, 0) << "nor is a list call that gives no enumeration";
    erp.Control().ClearFaults();

    struct Case {
        std::function<bool()> run;
        const char* progId;
        const char* managerText;
        const char* listText;
    } cases[] = {
        {[&] { return connection.getKovaSCEList(connector).has_value(); },
         "StandardChargeElement.StandardChargeElementManager",
         "StandardChargeElement Manager Object could not be created", "SCE List could not be created"},
        {[&] { return connection.getKovaProjectList(connector).has_value(); }, "Project.ProjectManager",
         "ProjectManager Object could not be created", "ProjectList could not be created"},
    };
    for (const auto& c : cases) {
        erp.Control().ClearCallLog();
        int fault = erp.Control().ArmFault(Fault::Error(c.progId, "List", 17));
        EXPECT_FALSE(c.run());
        EXPECT_EQ(Err().Number, 117);
        EXPECT_EQ(Err().Source, "Kova Data Access Objects");
        EXPECT_EQ(Err().Description, c.listText);
        EXPECT_EQ(CallsTo("releaseAll"), 1u) << "releaseAll runs after a failed List";
        erp.Control().DisarmFault(fault);

        erp.Control().ClearCallLog();
        erp.Control().UnregisterProgId(c.progId);
        EXPECT_FALSE(c.run());
        EXPECT_EQ(Err().Number, 529);
        EXPECT_EQ(Err().Description, c.managerText);
        EXPECT_EQ(CallsTo("releaseAll"), 0u);
        erp.Control().RestoreProgIds();
        EXPECT_TRUE(CurrentManager.IsNothing());
        EXPECT_TRUE(CurrentList.IsNothing());
    }
}

TEST_F(KovaConnectionTest, ProjectListAsksForTheWholeRange) {
    KovaConnection connection;
    std::string connector = connection.Connector;
    auto projects = connection.getKovaProjectList(connector);
    ASSERT_TRUE(projects);
    ASSERT_EQ(projects->size(), 2u);
    EXPECT_EQ((*projects)[0]->Code, "BRIDGE");
    EXPECT_EQ((*projects)[0]->Description, "Lasse river bridge");
    EXPECT_EQ((*projects)[0]->Number, 0);
    auto list = erp.Control().CallsTo("List").at(0);
    ASSERT_EQ(list.args.size(), 6u);
    const int16_t numbers[] = {0, 999, 0, 999};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list.args[i + 2].type, VarType::Integer);
        EXPECT_EQ(list.args[i + 2].value, Variant(numbers[i]));
    }
    EXPECT_EQ(CallsTo("releaseAll"), 1u);
}

TEST_F(KovaConnectionTest, ReleaseIdIsTrimmedAndKeptWhenItCannotBeRead) {
    KovaConnection connection;
    connection.getReleaseId();
    EXPECT_EQ(connection.KovaRelease, "tt7.1_a");
    EXPECT_EQ(CallsTo("releaseAll"), 0u);
    erp.Control().ArmFault(Fault::Error("KovaReleaseId.KovaReleaseId", "getKovaReleaseId", 9));
    connection.getReleaseId();
    EXPECT_EQ(connection.KovaRelease, "tt7.1_a");
    EXPECT_EQ(Err().Number, 9) << "raises nothing of its own";
    EXPECT_TRUE(CurrentManager.IsNothing());
}

TEST_F(KovaConnectionTest, ObsElementsOverSeveralPagesOutliveTheirManager) {
    erp.Control().SetPageSizeCap(2);
    KovaConnection connection;
    Object before = CurrentManager = CreateObject("KovaItem.KovaItem");
    Err().Clear();
    erp.Control().ClearCallLog();
    std::string project = " BRIDGE ", obs = " ORG ";
    auto elements = connection.getOBSElements(project, obs);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(ObsIds(elements), (std::vector<std::string>{"ORG", "ENG", "CONS", "CONS-N", "CONS-S"}));
    EXPECT_EQ(CStr(Call(elements->at(1), "organizationBreakdownStructureElementDescription")), "Engineering");
    auto requests = erp.Control().CallsTo(kObsElements);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].args[0].value, Variant("BRIDGE"));
    EXPECT_EQ(requests[0].args[1].value, Variant("ORG"));
    EXPECT_EQ(requests[0].args[2].value, Variant(int16_t(500)));
    EXPECT_EQ(requests[0].args[3].value, Variant(int16_t(0)));
    EXPECT_EQ(requests[0].args[3].type, VarType::Integer);
    EXPECT_TRUE(requests[0].args[3].byRef && requests[0].args[4].byRef);
    EXPECT_EQ(requests[1].args[3].type, VarType::Integer) << "the call id stays a 16-bit integer";
    EXPECT_EQ(CallsTo("releaseAll"), 1u);
    EXPECT_EQ(CurrentManager, before) << "the OBS manager is a local reference";
    CurrentManager.Release();
}

TEST_F(KovaConnectionTest, ObsPagingEndsWhenALaterPageFails) {
    erp.Control().SetPageSizeCap(2);
    erp.Control().ArmFault(Fault::Error(kObs, kObsElements, 4000, 2, "page lost"));
    KovaConnection connection;
    std::string project = "BRIDGE", obs = "ORG";
    auto elements = connection.getOBSElements(project, obs);
    EXPECT_EQ(ObsIds(elements), (std::vector<std::string>{"ORG", "ENG"})) << "the first page, once";
    EXPECT_EQ(erp.Control().CallsTo(kObsElements).size(), 2u);
    EXPECT_EQ(Err().Number, 4000) << "the failure is left as the call left it";
    EXPECT_EQ(CallsTo("releaseAll"), 1u);
}

TEST_F(KovaConnectionTest, ObsElementsNothingCases) {
    KovaConnection connection;
    std::string project = "BRIDGE", obs = "ORG";
    erp.Control().ArmFault(Fault::Nothing(kObs, kObsElements, 1));
    EXPECT_FALSE(connection.getOBSElements(project, obs)) << "a first call that returns no set";
    EXPECT_EQ(Err().Number, 0);

    std::string unknown = "NOPE";
    EXPECT_FALSE(connection.getOBSElements(project, unknown)) << "an empty list";

    erp.Control().UnregisterProgId(kObs);
    EXPECT_FALSE(connection.getOBSElements(project, obs));
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(Err().Description, "OBS Manager Object could not be created");
}

TEST_F(KovaConnectionTest, AnswersByName) {
    KovaConnection connection;
    Object byName(std::shared_ptr<KovaConnection>(&connection, [](KovaConnection*) {}));
    Let(byName, "Connector", "X");
    EXPECT_EQ(connection.Connector, "X");
    Let(byName, "KovaRelease", "r");
    EXPECT_EQ(CStr(Get(byName, "kovarelease")), "r");
    Call(byName, "getConnectorProperties", {ByVal("")});
    EXPECT_EQ(CLng(Get(byName, "CompanyNumber")), 4711);
    EXPECT_EQ(CStr(Get(byName, "Hostname")), "");
    Let(byName, "Hostname", "h");
    EXPECT_NE(Err().Number, 0) << "Hostname is read only";
}
