// The plan's integration properties: creating the missing ones, removing them, and the bulk and
// option readers and writers.
#include <gtest/gtest.h>

#include "integration/core/IntegrationFunctions.h"
#include "integration/core/KovaMSP.h"
#include "integration/core/PlanTestSupport.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/os/TestSupport.h"

namespace Grantry {

struct KovaMSPTestAccess {
    static void EnsureDocumentProperties(KovaMSP& command) { command.EnsureDocumentProperties(); }
};

namespace {

namespace automation = platform::automation;
using automation::Date;
using automation::Err;
using automation::Variant;
namespace msp = platform::msproject;
using msp::DocumentProperty;

class DocumentPropertiesTest : public test::PlanFixture {
protected:
    void Ensure() {
        KovaMSP command;
        KovaMSPTestAccess::EnsureDocumentProperties(command);
    }
    Variant Value(const char* name) const { return Properties().Item(name).Value(); }
    platform::os::TempKovaHome home;
};

TEST_F(DocumentPropertiesTest, EnsureCreatesTheSchemaInOrderWithItsInitialValues) {
    Ensure();
    EXPECT_EQ(Err().Number, 0);
    const auto& schema = IntegrationDocumentProperties();
    ASSERT_EQ(Properties().Count(), 39);
    for (int32_t i = 1; i <= 39; ++i) {
        DocumentProperty p = Properties().Item(i);
        const auto& expected = schema[static_cast<size_t>(i - 1)];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(p.Name(), expected.name);
        EXPECT_EQ(p.Type(), expected.type);
    }
    EXPECT_EQ(automation::CLng(Value("KovaScheduleBase")), 1);
    EXPECT_EQ(Value("SortTasksOnCECode"), Variant(true));
    EXPECT_EQ(Value("StandaloneMilestoneOnTop"), Variant(true));
    EXPECT_EQ(Value("MilestoneAsSubtask"), Variant(false));
    EXPECT_EQ(automation::CDate(Value("KovaProjectStartDate")), Date::Zero());
    // Created as a number from the Yes/No value false.
    EXPECT_EQ(Properties().Item("OwnershipChBSAndBudgQty").Type(), kPropertyNumber);
    EXPECT_EQ(automation::CLng(Value("OwnershipChBSAndBudgQty")), 0);
}

TEST_F(DocumentPropertiesTest, EnsureAddsOnlyTheMissingOnesAndKeepsValues) {
    Properties().Add("KovaProject", false, kPropertyText, "BRIDGE");
    Properties().Add("KovaScheduleBase", false, kPropertyNumber, int32_t(2));
    // An existing property of another type keeps its type.
    Properties().Add("KovaCompany", false, kPropertyText, "4711");
    Ensure();
    Ensure(); // again, as every connection attempt does
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(Properties().Count(), 39);
    EXPECT_EQ(automation::CStr(Value("KovaProject")), "BRIDGE");
    EXPECT_EQ(automation::CLng(Value("KovaScheduleBase")), 2);
    EXPECT_EQ(Properties().Item("KovaCompany").Type(), kPropertyText);
    EXPECT_EQ(automation::CStr(Value("KovaCompany")), "4711");
    EXPECT_EQ(automation::CStr(Value("KovaProjectPlan")), "");
}

TEST_F(DocumentPropertiesTest, TheOtherLetterCaseReachesTheSameProperty) {
    Ensure();
    auto record = test::InstallProjectData();
    record->OBSCode = "ORG";
    bool f = false;
    int32_t base = 1;
    std::string type;
    Variant unused;
    WriteConnectionProperties(f, f, f, f, f, f, f, f, f, f, f, f, base, type, f, f, unused, unused, unused, f,
                              f, f, f, f, f);
    EXPECT_EQ(Properties().Count(), 39);
    EXPECT_EQ(automation::CStr(Value("OBSCode")), "ORG");
    EXPECT_EQ(Properties().Item(5).Name(), "OBSCode");
}

TEST_F(DocumentPropertiesTest, RemoveDeletesAllInOrderAndStopsAtTheFirstMissing) {
    struct Case {
        const char* missing; // nullptr: the plan has all
        int32_t left;        // properties left afterwards
        bool fails;
    } cases[] = {{nullptr, 0, false}, {"KovaTransferChargeStructure", 29, true}, {"KovaCompany", 38, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing ? c.missing : "all present");
        app->FileNew(false);
        Ensure();
        if (c.missing) Properties().Item(c.missing).Delete();
        ASSERT_EQ(Err().Number, 0);

        RegisterKovaMSP("/opt/kova/Grantry.exe");
        automation::Object command = automation::CreateObject(kKovaMSPProgId);
        automation::Call(command, "RemoveCustomDocumentProperties");
        EXPECT_EQ(Err().Number != 0, c.fails) << Err().Description;
        EXPECT_EQ(Properties().Count(), c.left);
        if (c.missing && c.left == 29) {
            EXPECT_FALSE(HasProperty("KovaConnectionNode"));
            EXPECT_TRUE(HasProperty("KovaScheduleBase"));
        }
        Err().Clear();
        UnregisterKovaMSP();
    }
}

TEST_F(DocumentPropertiesTest, RemoveWithoutAnAttachedProgramFails) {
    Ensure();
    MSProjectApplication.reset();
    KovaMSP command;
    command.RemoveCustomDocumentProperties();
    EXPECT_EQ(Err().Number, automation::errors::ObjectNotSet);
    EXPECT_EQ(Properties().Count(), 39);
}

TEST_F(DocumentPropertiesTest, ReadConnectionPropertiesConvertsAndSkipsWhatIsMissing) {
    Ensure();
    const Date start = Date::FromParts(2004, 3, 1), finish = Date::FromParts(2005, 6, 30);
    Properties().Item("KovaCompany").SetValue(int32_t(4711));
    Properties().Item("KovaProject").SetValue("BRIDGE");
    Properties().Item("KovaProjectPlan").SetValue("P1");
    Properties().Item("KovaProjectDescription").SetValue("Lasse river bridge");
    Properties().Item("KovaProjectBudgetCombination").SetValue(int32_t(2));
    Properties().Item("KovaProjectStartDate").SetValue(start);
    Properties().Item("KovaProjectFinishDate").SetValue(finish);
    Properties().Item("KovaScheduleBase").SetValue(int32_t(2));
    Properties().Item("KovaConnectionNode").SetValue("N1");
    Properties().Item("DeleteKovaBudgetLine").SetValue(true);
    Properties().Item("KovaLabBudgLnAsSubTask").SetValue(true);
    Properties().Item("KovaSunBudgLnAsSubTask").SetValue(true);
    Properties().Item("OwnershipChBSAndBudgQty").SetValue(int32_t(4));
    Properties().Item("KovaAvailabilityType").SetValue("AVAILABLE");
    Properties().Item("KovaTransferChargeStructure").SetValue(true);
    Properties().Item("KovaBaseline").SetValue(int32_t(3));
    // Two are missing: their arguments keep what the caller had.
    Properties().Item("DeleteKovaMSPTask").Delete();
    Properties().Item("KovaMatBudgLnAsSubTask").Delete();
    ASSERT_EQ(Err().Number, 0);

    int32_t company = 0, combination = 0, scheduleBase = 0, ownership = 0, baseline = 0;
    std::string project, plan, description, node, availability;
    Date s, f;
    bool deleteLine = false, deleteTask = true, mat = true, lab = false, eqp = true, sub = true, sun = false,
         structure = false;
    ReadConnectionProperties(company, project, plan, description, combination, s, f, scheduleBase, node,
                             deleteLine, deleteTask, mat, lab, eqp, sub, sun, ownership, availability,
                             structure, baseline);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(company, 4711);
    EXPECT_EQ(project, "BRIDGE");
    EXPECT_EQ(plan, "P1");
    EXPECT_EQ(description, "Lasse river bridge");
    EXPECT_EQ(combination, 2);
    EXPECT_EQ(s, start);
    EXPECT_EQ(f, finish);
    EXPECT_EQ(scheduleBase, 2);
    EXPECT_EQ(node, "N1");
    EXPECT_TRUE(deleteLine);
    EXPECT_TRUE(deleteTask); // missing: unchanged
    EXPECT_TRUE(mat);        // missing: unchanged
    EXPECT_TRUE(lab);
    EXPECT_FALSE(eqp);
    EXPECT_FALSE(sub);
    EXPECT_TRUE(sun);
    EXPECT_EQ(ownership, 4);
    EXPECT_EQ(availability, "AVAILABLE");
    EXPECT_TRUE(structure);
    EXPECT_EQ(baseline, 3);
}

TEST_F(DocumentPropertiesTest, LoadProjectDataCopiesTheHeaderAndLeavesUnreadableFields) {
    Ensure();
    auto record = test::InstallProjectData();
    record->Plan = "KEEP";
    Properties().Item("KovaProject").SetValue("BRIDGE");
    Properties().Item("KovaProjectDescription").SetValue("Bridge");
    Properties().Item("KovaProjectBudgetCombination").SetValue(int32_t(3));
    Properties().Item("KovaProjectStartDate").SetValue(Date::FromParts(2004, 3, 1));
    Properties().Item("KovaConnectionNode").SetValue("TOP");
    Properties().Item("KovaProjectPlan").Delete();
    LoadProjectDataFromProperties();
    EXPECT_EQ(Err().Number, 0);
    EXPECT_EQ(record->ProjectCode, "BRIDGE");
    EXPECT_EQ(record->Description, "Bridge");
    EXPECT_EQ(record->BudgetCombination, 3);
    EXPECT_EQ(record->StartDate, Date::FromParts(2004, 3, 1));
    EXPECT_EQ(record->FinishDate, Date::Zero());
    EXPECT_EQ(record->Plan, "KEEP");
    EXPECT_EQ(record->ConnectedCE, "TOP");
}

TEST_F(DocumentPropertiesTest, WriteConnectionPropertiesWritesTheConnectionAndOptionsOnly) {
    Ensure();
    Properties().Item("KovaBaseline").SetValue(int32_t(7));
    Properties().Item("MilestoneAsSubtask").SetValue(true);
    Properties().Item("KovaTransferLabor").Delete(); // a property that is gone is not created again
    auto record = test::InstallProjectData();
    record->ProjectCode = "BRIDGE";
    record->Description = "Bridge";
    record->BudgetCombination = 2;
    record->OBSCode = "ORG";
    record->Plan = "P1";
    record->ConnectedCE = "TOP";
    record->Ownership = 3;
    record->StartDate = Date::FromParts(2004, 3, 1);
    record->FinishDate = Date::FromParts(2005, 1, 1);
    bool equipment = true, tradegroup = false, employee = true, item = false, labor = true, sub = true,
         sundry = false, sce = true, mat = true, lab = false, eqp = true, subTask = false, sun = true,
         structure = true, sort = false, pEqp = true, pItem = false, pLab = true, pSub = false, pSun = true;
    int32_t base = 2;
    std::string availability = "AVAILABLE";
    Variant zero = int32_t(0);
    WriteConnectionProperties(equipment, tradegroup, employee, item, labor, sub, sundry, mat, lab, eqp,
                              subTask, sun, base, availability, structure, sce, zero, zero, zero, sort, pEqp,
                              pItem, pLab, pSub, pSun);
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(HasProperty("KovaTransferLabor"));
    const std::pair<const char*, Variant> expected[] = {
        {"KovaProject", "BRIDGE"},
        {"KovaProjectDescription", "Bridge"},
        {"KovaProjectBudgetCombination", int32_t(2)},
        {"OBSCode", "ORG"},
        {"KovaProjectPlan", "P1"},
        {"KovaConnectionNode", "TOP"},
        {"OwnershipChBSAndBudgQty", int32_t(3)},
        {"KovaProjectStartDate", Date::FromParts(2004, 3, 1)},
        {"KovaProjectFinishDate", Date::FromParts(2005, 1, 1)},
        {"KovaTransferEquipment", true},
        {"KovaTransferTradegroup", false},
        {"KovaTransferEmployee", true},
        {"KovaTransferSubContracting", true},
        {"KovaTransferStandardChargeElement", true},
        {"KovaMatBudgLnAsSubTask", true},
        {"KovaEqpBudgLnAsSubTask", true},
        {"KovaSunBudgLnAsSubTask", true},
        {"KovaScheduleBase", int32_t(2)},
        {"KovaAvailabilityType", "AVAILABLE"},
        {"KovaTransferChargeStructure", true},
        {"SortTasksOnCECode", false},
        {"KovaTransferProjectEquipment", true},
        {"KovaTransferProjectLabor", true},
        {"KovaTransferProjectSundry", true},
        // Not written here.
        {"KovaBaseline", int32_t(7)},
        {"MilestoneAsSubtask", true},
        {"KovaCompany", int32_t(0)},
    };
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(name);
        Variant actual = Value(name);
        if (value.Peek<int32_t>())
            EXPECT_EQ(automation::CLng(actual), *value.Peek<int32_t>());
        else
            EXPECT_EQ(actual, value);
    }
}

TEST_F(DocumentPropertiesTest, OptionReadersAddAMissingPropertyWithItsDefault) {
    struct Case {
        const char* name;
        bool (*reader)();
        bool initial;
    } cases[] = {{"SortTasksOnCECode", GetSortTasksOnCECode, true},
                 {"MilestoneAsSubtask", GetMilestoneAsSubtask, false},
                 {"StandaloneMilestoneOnTop", GetStandaloneMilestoneOnTop, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->FileNew(false);
        ASSERT_FALSE(HasProperty(c.name));
        EXPECT_EQ(c.reader(), c.initial);
        ASSERT_TRUE(HasProperty(c.name));
        EXPECT_EQ(Properties().Item(c.name).Type(), kPropertyYesNo);
        EXPECT_EQ(Err().Number, 0);
        // A later change stays.
        Properties().Item(c.name).SetValue(!c.initial);
        EXPECT_EQ(c.reader(), !c.initial);
        EXPECT_EQ(Properties().Count(), 1);
    }
}

TEST_F(DocumentPropertiesTest, OptionReaderWithoutAPlanGivesFalse) {
    app->FileCloseAll(msp::pjDoNotSave);
    EXPECT_FALSE(GetSortTasksOnCECode());
    EXPECT_FALSE(GetStandaloneMilestoneOnTop());
}

} // namespace
} // namespace Grantry
