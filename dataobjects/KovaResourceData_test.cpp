#include "dataobjects/KovaResourceData.h"

#include <functional>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "dataobjects/ClassRegistration.h"
#include "dataobjects/Main.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using platform::middleware::Fault;
using platform::middleware::TestBackend;

namespace {

constexpr const char* kStandardManager = "StandardCostObject.StandardCostObjectManager";
constexpr const char* kProjectManager = "ProjectCostObject.ProjectCostObjectManager";
constexpr const char* kNoStandardManager = "StandardCostObject Manager Object could not be created";
constexpr const char* kNoProjectManager = "ProjectCostObject Manager Object could not be created";

constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "costObjects": [
    {"kind": "MAT", "code": "A100", "description": "Steel, plate (5mm)", "unit": " t ", "costPrice": 12.5},
    {"kind": "MAT", "code": " [X] ", "description": "", "unit": "kg", "costPrice": 3},
    {"kind": "LAB", "code": "L1", "description": "Fitter", "unit": "h", "costRate": 40},
    {"kind": "SUB", "code": "S1", "description": "Paint (outer)", "unit": "LS", "costPrice": 100},
    {"kind": "SUN", "code": "N1", "description": "Fees", "unit": "LS", "costPrice": 7},
    {"kind": "EQP", "code": "Q1", "description": "Crane", "unit": "h", "costRate": 180, "calendar": " STD ",
     "availableUnits": 2.5},
    {"kind": "EQP", "code": "Q2", "description": "Barge", "unit": "d", "costRate": 600, "availableUnits": 3.5}],
  "employees": [{"code": "E007", "name": "Jones", "department": " D10 ", "calendar": "STD", "email": " j@x.org "}],
  "tradeGroups": [{"code": "T1", "description": "Masons", "calendar": "SITE", "costRate": 52,
                   "numberOfEmployees": 6}],
  "projects": [
    {"id": "P100", "costObjects": [{"kind": "LAB", "code": "L01", "description": "Welder", "unit": "h"},
                                   {"kind": "MAT", "code": "M9", "description": "Beams", "unit": "t",
                                    "costPrice": 9},
                                   {"kind": "EQP", "code": "Q9", "description": "Own crane", "unit": "h",
                                    "costRate": 20, "calendar": "STD", "availableUnits": 1}]},
    {"id": "P200", "costObjects": [{"kind": "LAB", "code": "L99", "description": "Elsewhere"}]}]
})json";

// Everything a record carries, in one line for comparisons.
std::string Describe(const KovaResource& r) {
    return r.ResourceCodeInMsP + "|" + r.ResourceNameInMsP + "|" + r.Code + "|" + r.Description + "|" +
           r.Unit + "|" + NumberText(r.StandardRate) + "|" + std::to_string(r.AvailableUnits) + "|" +
           r.Calendar + "|" + r.Email + "|" + r.Project;
}

std::vector<std::string> Describe(const OptionalCollection<KovaResource>& records) {
    std::vector<std::string> out;
    if (records)
        for (const auto& r : *records)
            out.push_back(Describe(*r));
    return out;
}

std::vector<std::string> Codes(const OptionalCollection<KovaResource>& records) {
    std::vector<std::string> out;
    if (records)
        for (const auto& r : *records)
            out.push_back(r->ResourceCodeInMsP);
    return out;
}

} // namespace

class KovaResourceDataTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
    std::string connector = "DEMO";
    KovaResourceData data;
    void SetUp() override { erp.Control().StartCallLog(); }
    size_t CallsTo(const char* member) { return erp.Control().CallsTo(member).size(); }
};

TEST_F(KovaResourceDataTest, EveryKindWithItsCodesNamesAndValues) {
    struct Case {
        const char* kind;
        std::function<void(KovaResourceData&, std::string&)> transfer;
        OptionalCollection<KovaResource> KovaResourceData::*collection;
        std::vector<std::string> expected;
    } cases[] = {
        {"material",
         [](KovaResourceData& d, std::string& c) {
             d.TransferMaterialCostObjects(c, "P100", "T", true, true);
         },
         &KovaResourceData::Materials,
         {"MAT.A100|MAT.A100 Steel  plate  5mm|A100|Steel  plate  5mm|t|12.5|0|||",
          "MAT.X|MAT.X |X||kg|3|0|||", "MAT.P100.M9|MAT.P100.M9 Beams|M9|Beams|t|9|0|||P100"}},
        {"labour",
         [](KovaResourceData& d, std::string& c) { d.TransferLaborCostObjects(c, "P100", true, true); },
         &KovaResourceData::Labors,
         {"LAB.L1|LAB.L1 Fitter|L1|Fitter|h|0|0|||",
          "LAB.P100.L01|LAB.P100.L01 Welder|L01|Welder|h|0|0|||P100"}},
        {"subcontracting",
         [](KovaResourceData& d, std::string& c) {
             d.TransferSubContractCostObjects(c, "P100", "", true, false);
         },
         &KovaResourceData::Subcontracts,
         {"SUB.S1|SUB.S1 Paint  outer|S1|Paint  outer|LS|100|0|||"}},
        {"sundry",
         [](KovaResourceData& d, std::string& c) { d.TransferSundryCostObjects(c, "P100", "", true, true); },
         &KovaResourceData::Sundries,
         {"SUN.N1|SUN.N1 Fees|N1|Fees|LS|7|0|||"}},
        {"equipment (units rounded half to even)",
         [](KovaResourceData& d, std::string& c) { d.TransferEquipments(c, "P100", "", true, true); },
         &KovaResourceData::Equipments,
         {"EQP.Q1|EQP.Q1 Crane|Q1|Crane|h|180|2|STD||", "EQP.Q2|EQP.Q2 Barge|Q2|Barge|d|600|4|||",
          "EQP.P100.Q9|EQP.P100.Q9 Own crane|Q9|Own crane|h|20|1|STD||P100"}},
        {"employee (department in the name only)",
         [](KovaResourceData& d, std::string& c) { d.TransferEmployees(c, ""); },
         &KovaResourceData::Employees,
         {"EMP.E007|EMP.D10.E007 Jones|E007|Jones||0|0|STD|j@x.org|"}},
        {"trade group",
         [](KovaResourceData& d, std::string& c) { d.TransferTradeGroups(c, "P100", ""); },
         &KovaResourceData::TradeGroups,
         {"TRG.T1|TRG.T1 Masons|T1|Masons||52|6|SITE||"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        KovaResourceData fresh;
        c.transfer(fresh, connector);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        EXPECT_EQ(Describe(fresh.*c.collection), c.expected);
        EXPECT_TRUE(CurrentManager.IsNothing());
        EXPECT_TRUE(CurrentList.IsNothing());
        // Only the kind's own collection is filled.
        int filled = 0;
        for (auto member :
             {&KovaResourceData::Materials, &KovaResourceData::Labors, &KovaResourceData::Subcontracts,
              &KovaResourceData::Sundries, &KovaResourceData::Equipments, &KovaResourceData::Employees,
              &KovaResourceData::TradeGroups})
            filled += (fresh.*member).has_value();
        EXPECT_EQ(filled, 1);
    }
}

TEST_F(KovaResourceDataTest, ListRequestsCarryTheRangePageSizeAndProject) {
    data.TransferLaborCostObjects(connector, "P100", true, true);
    auto standard = erp.Control().CallsTo("listLaborCostObject");
    auto project = erp.Control().CallsTo("listProjectLaborCostObject");
    ASSERT_EQ(standard.size(), 1u);
    ASSERT_EQ(project.size(), 1u);
    ASSERT_EQ(standard[0].args.size(), 5u);
    ASSERT_EQ(project[0].args.size(), 6u);
    EXPECT_EQ(CStr(project[0].args[0].value), "P100");
    EXPECT_TRUE(project[0].args[0].byRef);
    const auto& page = standard[0].args;
    EXPECT_EQ(CStr(page[0].value), "");
    EXPECT_EQ(CStr(page[1].value), "zzzz");
    EXPECT_EQ(page[2].type, VarType::Integer);
    EXPECT_EQ(CLng(page[2].value), 500);
    EXPECT_EQ(page[3].type, VarType::Long);
    EXPECT_TRUE(page[3].byRef && page[4].byRef);
    // One releaseAll per section.
    EXPECT_EQ(CallsTo("releaseAll"), 2u);
}

TEST_F(KovaResourceDataTest, NoFlagsNoRecordsAndNoMiddleware) {
    data.Materials = Collection<KovaResource>{std::make_shared<KovaResource>()};
    Err().Raise(5);
    data.TransferMaterialCostObjects(connector, "P100", "", false, false);
    EXPECT_FALSE(data.Materials.has_value());
    EXPECT_EQ(Err().Number, 0);
    EXPECT_TRUE(erp.Control().Calls().empty());
}

TEST_F(KovaResourceDataTest, AnEmptyListReadsAsNothing) {
    data.TransferSundryCostObjects(connector, "P200", "", false, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_FALSE(data.Sundries.has_value());
    EXPECT_EQ(CallsTo("listProjectSundryCostObject"), 1u);
}

TEST_F(KovaResourceDataTest, ManyPagesInOrderEachRequestCarryingThePreviousCallId) {
    nlohmann::json seed = {{"company", {{"number", 7}}}, {"costObjects", nlohmann::json::array()}};
    for (int i = 0; i < 1200; ++i)
        seed["costObjects"].push_back({{"kind", "MAT"}, {"code", "M" + std::to_string(10000 + i)}});
    TestBackend big{seed.dump()};
    big.Control().StartCallLog();
    data.TransferMaterialCostObjects(connector, "", "", true, false);
    ASSERT_TRUE(data.Materials.has_value());
    ASSERT_EQ(data.Materials->size(), 1200u);
    for (int i = 0; i < 1200; ++i)
        ASSERT_EQ((*data.Materials)[i]->Code, "M" + std::to_string(10000 + i));
    auto requests = big.Control().CallsTo("listMaterialCostObject");
    auto answers = big.Control().CallsTo("getCallId");
    ASSERT_EQ(requests.size(), 3u);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(CLng(requests[0].args[3].value), 0);
    // The id each later request carries is the one the page before it gave (not 0).
    EXPECT_NE(CLng(requests[1].args[3].value), 0);
    EXPECT_EQ(CLng(requests[1].args[3].value), CLng(requests[2].args[3].value));
    EXPECT_EQ(CStr(requests[2].args[4].value), "N");
}

TEST_F(KovaResourceDataTest, OnlyAnUpperCaseYTrimmedEndsTheList) {
    // Blanks around the flag are trimmed: one request.
    erp.Control().SetCompletionFlags(" Y ", "N");
    data.TransferTradeGroups(connector, "", "");
    EXPECT_EQ(CallsTo("listTradeGroup"), 1u);
    ASSERT_TRUE(data.TradeGroups.has_value());
    EXPECT_EQ(data.TradeGroups->size(), 1u);

    // A lower-case y does not end it: the next request is made (here it fails, which ends the listing
    // with the records read before and leaves the request's own error).
    erp.Control().ClearCallLog();
    erp.Control().SetCompletionFlags("y", "N");
    erp.Control().ArmFault(
        Fault::Error("TradeGroup.TradeGroupManager", "listTradeGroup", 1004, 2, "no more"));
    data.TransferTradeGroups(connector, "", "");
    EXPECT_EQ(CallsTo("listTradeGroup"), 2u);
    ASSERT_TRUE(data.TradeGroups.has_value());
    EXPECT_EQ(data.TradeGroups->size(), 1u);
    EXPECT_EQ(Err().Number, 1004);
    EXPECT_EQ(Err().Description, "no more");
}

TEST_F(KovaResourceDataTest, ManagerFailuresAndTheCascadeIntoTheProjectSection) {
    struct Case {
        const char* name;
        const char* unregister;
        bool general, project;
        int32_t number;
        const char* description;
        std::vector<std::string> codes;
    } cases[] = {
        {"standard manager missing, general only",
         kStandardManager,
         true,
         false,
         429 + 100,
         kNoStandardManager,
         {}},
        // The project manager is made, but the error left by the general section makes it report too.
        {"standard manager missing, both", kStandardManager, true, true, 429 + 200, kNoProjectManager, {}},
        {"project manager missing", kProjectManager, true, true, 429 + 100, kNoProjectManager, {"LAB.L1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        erp.Control().RestoreProgIds();
        erp.Control().UnregisterProgId(c.unregister);
        KovaResourceData fresh;
        fresh.TransferLaborCostObjects(connector, "P100", c.general, c.project);
        EXPECT_EQ(Err().Number, c.number);
        EXPECT_EQ(Err().Source, "Kova Data Access Objects");
        EXPECT_EQ(Err().Description, c.description);
        EXPECT_EQ(Codes(fresh.Labors), c.codes);
        EXPECT_EQ(fresh.Labors.has_value(), !c.codes.empty());
        EXPECT_TRUE(CurrentManager.IsNothing());
    }
    erp.Control().RestoreProgIds();
    erp.Control().UnregisterProgId("Employees.EmployeesManager");
    data.TransferEmployees(connector, "");
    EXPECT_EQ(Err().Number, 529);
    EXPECT_EQ(Err().Description, "Employees Manager Object could not be created");
    EXPECT_FALSE(data.Employees.has_value());
}

TEST_F(KovaResourceDataTest, AFailingGetterLeavesItsFieldEmptyAndTheRecordIsStillAdded) {
    // The first material's code read fails: the code is empty and the code in the plan is "MAT." alone.
    erp.Control().ArmFault(Fault::Error("StandardCostObject.MaterialCostObject", "getItem", 70, 1));
    data.TransferMaterialCostObjects(connector, "", "", true, false);
    ASSERT_EQ(Codes(data.Materials), (std::vector<std::string>{"MAT.", "MAT.X"}));
    EXPECT_EQ((*data.Materials)[0]->ResourceNameInMsP, "MAT. Steel  plate  5mm");
    EXPECT_EQ((*data.Materials)[0]->Unit, "t");
    // The next record's build cleared the failure.
    EXPECT_EQ(Err().Number, 0);

    // A failure in the last general record is still pending when the project section starts, which then
    // reports it and is skipped.
    erp.Control().ClearFaults();
    erp.Control().ArmFault(Fault::Error("StandardCostObject.MaterialCostObject", "getItemCostPrice", 70, 2));
    data.TransferMaterialCostObjects(connector, "P100", "", true, true);
    EXPECT_EQ(Codes(data.Materials), (std::vector<std::string>{"MAT.A100", "MAT.X"}));
    EXPECT_EQ((*data.Materials)[1]->StandardRate, 0.0f);
    EXPECT_EQ(Err().Number, 170);
    EXPECT_EQ(Err().Description, kNoProjectManager);

    // An employee whose department cannot be read gets no name; the rest is read.
    erp.Control().ClearFaults();
    erp.Control().ArmFault(Fault::Error("Employees.Employee", "getDepartment", 70));
    data.TransferEmployees(connector, "");
    ASSERT_TRUE(data.Employees.has_value());
    EXPECT_EQ((*data.Employees)[0]->ResourceNameInMsP, "");
    EXPECT_EQ((*data.Employees)[0]->ResourceCodeInMsP, "EMP.E007");
    EXPECT_EQ((*data.Employees)[0]->Email, "j@x.org");
    EXPECT_EQ(Err().Number, 70);
}

TEST_F(KovaResourceDataTest, ATransferReplacesItsKindOnly) {
    data.TransferEquipments(connector, "P100", "", true, true);
    data.TransferTradeGroups(connector, "", "");
    data.TransferEquipments(connector, "P100", "", false, true);
    EXPECT_EQ(Codes(data.Equipments), (std::vector<std::string>{"EQP.P100.Q9"}));
    EXPECT_EQ(Codes(data.TradeGroups), (std::vector<std::string>{"TRG.T1"}));
    // Trade groups belong to no project, whatever project is named.
    KovaResourceData other;
    other.TransferTradeGroups(connector, "P200", "");
    EXPECT_EQ(Describe(other.TradeGroups), Describe(data.TradeGroups));
    EXPECT_EQ((*other.TradeGroups)[0]->Project, "");
}

TEST_F(KovaResourceDataTest, AnUnknownProjectLeavesTheMiddlewaresError) {
    data.TransferLaborCostObjects(connector, "NOPE", true, true);
    EXPECT_EQ(Codes(data.Labors), (std::vector<std::string>{"LAB.L1"}));
    EXPECT_EQ(Err().Number, platform::middleware::failures::NotFound);
}

TEST_F(KovaResourceDataTest, CreatableAndTransfersByName) {
    RegisterKovaDataObjects();
    Object made = CreateObject("KovaDataObjects.KovaResourceData");
    ASSERT_FALSE(made.IsNothing());
    Variant c = std::string("DEMO");
    Call(made, "TransferEmployees", {ByRef(c), ByVal("")});
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(CallsTo("listForProjectScheduling"), 1u);
}

TEST_F(KovaResourceDataTest, APageWhoseCallIdOrFlagCannotBeReadGoesOnWithTheMiddlewaresAnswers) {
    // Seven materials, three a page: the pages are only told apart through the by-reference answers.
    nlohmann::json seed = {{"company", {{"number", 7}}}, {"costObjects", nlohmann::json::array()}};
    for (int i = 0; i < 7; ++i)
        seed["costObjects"].push_back({{"kind", "MAT"}, {"code", "M" + std::to_string(i)}});
    TestBackend small{seed.dump()};
    for (const char* getter : {"getCallId", "getSetComplete"}) {
        SCOPED_TRACE(getter);
        small.Control().Reset();
        small.Control().SetPageSizeCap(3);
        small.Control().StartCallLog();
        small.Control().ArmFault(Fault::Error("*", getter, 13));
        data.TransferMaterialCostObjects(connector, "", "", true, false);
        EXPECT_EQ(Codes(data.Materials), (std::vector<std::string>{"MAT.M0", "MAT.M1", "MAT.M2", "MAT.M3",
                                                                   "MAT.M4", "MAT.M5", "MAT.M6"}));
        EXPECT_EQ(small.Control().CallsTo("listMaterialCostObject").size(), 3u);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
    }
}

TEST_F(KovaResourceDataTest, AListWhoseFlagNeverEndsItIsLeftWithAnError) {
    erp.Control().SetCompletionFlags("y", "N");
    data.TransferTradeGroups(connector, "", "");
    EXPECT_EQ(CallsTo("listTradeGroup"), 2u);
    EXPECT_EQ(Err().Number, 100);
    EXPECT_EQ(Err().Description, "listTradeGroup could not be read to its end");
    EXPECT_EQ(Err().Source, "Kova Data Access Objects");
}

// What the ERP sees of the listings: arguments, types, by-reference flags and page size.
TEST_F(KovaResourceDataTest, TheCallLogShowsWhatTheErpIsSent) {
    data.TransferLaborCostObjects(connector, "P100", true, true);
    data.TransferEmployees(connector, "");
    std::vector<std::string> seen;
    for (const auto& call : erp.Control().Calls())
        if (call.member.rfind("list", 0) == 0 || call.member.find("At") == call.member.size() - 2)
            seen.push_back(call.Describe());
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  R"(StandardCostObject.StandardCostObjectManager.listLaborCostObject("" String, "zzzz" String, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(StandardCostObject.LaborCostObjectList.getLaborCostObjectAt(ByRef 0 Long))",
                  R"(ProjectCostObject.ProjectCostObjectManager.listProjectLaborCostObject(ByRef "P100" String, "" String, "zzzz" String, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(ProjectCostObject.ProjectLaborCostObjectList.getProjectLaborCostObjectAt(ByRef 0 Long))",
                  R"(Employees.EmployeesManager.listForProjectScheduling("" String, "zzzz" String, 500 Integer, ByRef 0 Long, ByRef "N" String))",
                  R"(Employees.EmployeeWrapper.getEmployeesAt(ByRef 0 Long))"}));
}
