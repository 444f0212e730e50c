// The managers the connection, planning-parameter and item-code routines of the data library use.
#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"
#include "platform/middleware/Errors.h"
#include "platform/middleware/JavaDate.h"
#include "platform/middleware/ProgIds.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace platform::middleware;

namespace {

constexpr const char* kSeed = R"({
  "release": "tt7.2",
  "company": {"number": 7, "name": "Seven"},
  "planningParameters": {"transferEquipment": 1, "transferLabor": 2, "dateTypeForScheduling": 2,
                         "currency": " EUR ", "defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD", "description": "Standard"}, {"code": "NIGHT", "description": "Night"}],
  "standardChargeElements": [{"code": "WP", "description": "Work package", "type": "4"},
                             {"code": "MS", "description": "Milestone", "type": "5"},
                             {"code": "zzzzz", "description": "Beyond the range", "type": "1"}],
  "projects": [{"id": "P2", "description": "Second", "obs": "ORG", "leadingPlan": "L",
                "start": "2024-01-02 08:00", "budgetTypeProjectBudget": 2},
               {"id": "P1", "description": "First"}]
})";

Object ObjectOf(const Variant& v) {
    auto o = v.Peek<Object>();
    return o ? *o : Object();
}

std::vector<Object> ReadAll(const Object& enumeration) {
    std::vector<Object> out;
    while (CBool(Call(enumeration, "hasMoreElements")))
        out.push_back(ObjectOf(Call(enumeration, "nextelement")));
    return out;
}

} // namespace

class ManagersTest : public ::testing::Test {
protected:
    TestBackend erp{kSeed};
};

TEST_F(ManagersTest, PlanningParametersOfTheBackendsCompany) {
    Object manager = CreateObject(progids::PlanningParameterManager);
    Object record = ObjectOf(Call(manager, "Show"));
    ASSERT_EQ(Err().Number, 0) << Err().Description;
    EXPECT_EQ(Call(record, "getTransferEquipmentToESP"), Variant(int32_t(1)));
    EXPECT_EQ(Call(record, "getTransferLaborToESP"), Variant(int32_t(2)));
    EXPECT_TRUE(Call(record, "getTransferMaterialToESP").IsEmpty()) << "a switch the ERP does not hold";
    EXPECT_EQ(Call(record, "getDateTypeForSchedulingInESP"), Variant(int32_t(2)));
    EXPECT_EQ(CStr(Call(record, "getESPCurrency")), " EUR ");
    EXPECT_EQ(CStr(Call(record, "getDefaultAvailabilityType")), "STANDARD");

    erp.Config().companyNumber = 8;
    erp.Save();
    Call(CreateObject(progids::PlanningParameterManager), "Show");
    EXPECT_EQ(Err().Number, failures::NotFound);
}

TEST_F(ManagersTest, ShowFailsUnlessTheDefaultBackendIsMaintainedAndStarted) {
    struct Case {
        const char* name;
        std::function<void(TestBackend&)> change;
    } cases[] = {
        {"not started",
         [](TestBackend& e) {
             e.Config().started = false;
             e.Save();
         }},
        {"not maintained",
         [](TestBackend& e) {
             e.Config().maintained = false;
             e.Save();
         }},
        {"no default", [](TestBackend&) { SetDefaultBackendName(""); }},
        {"unknown default", [](TestBackend&) { SetDefaultBackendName("ELSEWHERE"); }},
    };
    for (const auto& c : cases) {
        TestBackend fresh{kSeed};
        c.change(fresh);
        Object manager = CreateObject(progids::PlanningParameterManager);
        ASSERT_FALSE(manager.IsNothing()) << "managers are created in any case: " << c.name;
        Call(manager, "Show");
        EXPECT_EQ(Err().Number, failures::BackendNotAvailable) << c.name;
        Err().Clear();
    }
}

TEST_F(ManagersTest, CompanyObjectExistsOnlyForAMaintainedDefaultBackend) {
    SetDefaultBackendName("  DEMO  ");
    Object company = CreateObject(progids::GetCompany);
    ASSERT_FALSE(company.IsNothing());
    Variant padded = "  DEMO  ";
    EXPECT_EQ(Call(company, "getCompanyNumberFromBusComponent", {ByRef(padded)}), Variant(int32_t(7)));
    Variant unknown = "OTHER";
    Call(company, "getCompanyNumberFromBusComponent", {ByRef(unknown)});
    EXPECT_EQ(Err().Number, failures::NotFound);
    Err().Clear();

    erp.Config().started = false;
    erp.Save();
    EXPECT_FALSE(CreateObject(progids::GetCompany).IsNothing())
        << "a backend that is not started still has a company";
    erp.Config().maintained = false;
    erp.Save();
    EXPECT_TRUE(CreateObject(progids::GetCompany).IsNothing());
    EXPECT_EQ(Err().Number, platform::automation::errors::CantCreateObject);
}

// The ERP client's application object answers whether the ERP is reachable: only a started default
// backend whose database opens makes it.
TEST_F(ManagersTest, ClientApplicationExistsOnlyWhileTheDefaultBackendCanBeOpened) {
    EXPECT_FALSE(CreateObject(progids::ClientApplication).IsNothing());
    EXPECT_EQ(Err().Number, 0);

    erp.Config().started = false;
    erp.Save();
    EXPECT_TRUE(CreateObject(progids::ClientApplication).IsNothing());
    EXPECT_EQ(Err().Number, platform::automation::errors::CantCreateObject);
    Err().Clear();

    erp.Config().started = true;
    erp.Config().database = (erp.home() / "no-such-folder" / "gone.db").string();
    erp.Save();
    EXPECT_TRUE(CreateObject(progids::ClientApplication).IsNothing()) << "its database cannot be opened";
    EXPECT_EQ(Err().Number, platform::automation::errors::CantCreateObject);
    Err().Clear();

    SetDefaultBackendName("");
    EXPECT_TRUE(CreateObject(progids::ClientApplication).IsNothing());
    Err().Clear();
}

TEST_F(ManagersTest, ReleaseIdComesThroughTheReleaseObject) {
    Object manager = CreateObject(progids::ReleaseIdManager);
    Object release = ObjectOf(Call(manager, "getKovaReleaseId"));
    EXPECT_EQ(CStr(Call(release, "getKovaReleaseId")), "tt7.2");
    TestBackend plain;
    Object other = ObjectOf(Call(CreateObject(progids::ReleaseIdManager), "getKovaReleaseId"));
    EXPECT_EQ(CStr(Call(other, "getKovaReleaseId")), "tt7.1_a") << "a new backend's release";
}

TEST_F(ManagersTest, StandardChargeElementsAndAvailabilityTypesInRangeAndOrder) {
    Object sce = CreateObject(progids::StandardChargeElementManager);
    std::vector<std::string> seen;
    for (const Object& e : ReadAll(ObjectOf(Call(sce, "List", {ByVal(""), ByVal("zzzz")}))))
        seen.push_back(CStr(Call(e, "getChargeElementID")) + "/" + CStr(Call(e, "getDescription")) + "/" +
                       CStr(Call(e, "getChargeElementType")));
    EXPECT_EQ(seen, (std::vector<std::string>{"WP/Work package/4", "MS/Milestone/5"}));

    Object types = CreateObject(progids::AvailabilityTypeManager);
    seen.clear();
    for (const Object& e : ReadAll(ObjectOf(Call(types, "List", {ByVal(""), ByVal("zzzz")}))))
        seen.push_back(CStr(Call(e, "getAvailabilityType")) + "/" + CStr(Call(e, "Description")));
    EXPECT_EQ(seen, (std::vector<std::string>{"STANDARD/Standard", "NIGHT/Night"}));
}

TEST_F(ManagersTest, ProjectsOfTheCompanyListedAndShown) {
    Object manager = CreateObject(progids::ProjectManager);
    auto i2 = [](int v) { return ByVal(Variant(int16_t(v))); };
    auto projects =
        ReadAll(ObjectOf(Call(manager, "List", {ByVal(""), ByVal("zzzz"), i2(0), i2(999), i2(0), i2(999)})));
    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(CStr(Call(projects[0], "getProjectID")), "P2") << "in the ERP's order";
    EXPECT_EQ(CStr(Call(projects[1], "getProjectDescription")), "First");

    Object p2 = ObjectOf(Call(manager, "Show", {ByVal("P2")}));
    EXPECT_EQ(CStr(Call(p2, "projectOBSID")), "ORG");
    EXPECT_EQ(CStr(Call(p2, "getLeadingPlanID")), "L");
    EXPECT_EQ(Call(p2, "getBudgetTypeForProjectBudget"), Variant(int32_t(2)));
    EXPECT_EQ(Call(p2, "getBudgetTypeForProjectControl"), Variant(int32_t(1)));
    EXPECT_EQ(JavaDateStamp(ObjectOf(Call(p2, "getStartTime"))), "20240102080000");
    Variant finish = Call(p2, "getFinishTime");
    EXPECT_TRUE(finish.IsObject() && finish.Peek<Object>()->IsNothing()) << "no date is Nothing";

    Call(manager, "Show", {ByVal("P9")});
    EXPECT_EQ(Err().Number, failures::NotFound);
    Err().Clear();

    erp.Config().companyNumber = 8;
    erp.Save();
    Object other = CreateObject(progids::ProjectManager);
    EXPECT_TRUE(ReadAll(ObjectOf(Call(other, "List", {ByVal(""), ByVal("zzzz")}))).empty())
        << "another company has none of them";
}

TEST_F(ManagersTest, ItemCodeObjectRoundTrip) {
    Object item = CreateObject(progids::KovaItem);
    Call(item, "Initialize", {ByVal("DEMO")});
    Call(item, "setKovaItemAll",
         {ByVal("STEEL"), ByVal("P1"), ByVal(""), ByVal(""), ByVal(""), ByVal(""), ByVal("")});
    Variant code = Call(item, "getKovaItem");
    Object back = CreateObject(progids::KovaItem);
    Call(back, "setKovaItem", {ByVal(code)});
    EXPECT_EQ(CStr(Call(back, "getproject")), "P1");
    EXPECT_EQ(CStr(Call(back, "getItem")), "STEEL");
    EXPECT_EQ(Err().Number, 0);
}
