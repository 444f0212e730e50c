#include "integration/budget/KovaBudgetLineTasks.h"

#include "integration/budget/BudgetTestSupport.h"
#include "platform/os/Locale.h"
#include "platform/os/Registry.h"

namespace Grantry {
namespace {

namespace msp = platform::msproject;
using platform::automation::Err;

class BudgetLineFieldsTest : public test::BudgetFixture {};

TEST(BudgetLineKey, JoinsTheTrimmedPartsWithUnderscores) {
    EXPECT_EQ(BudgetLineKey("A100", "2", "15"), "A100_2_15");
    EXPECT_EQ(BudgetLineKey(" A100 ", " 1", "15 "), "A100_1_15");
    // Two lines that differ only in cost type have different keys.
    EXPECT_NE(BudgetLineKey("A100", "1", "15"), BudgetLineKey("A100", "2", "15"));
}

TEST(BudgetLineCostObject, OnlyProjectCostObjectsOtherThanMaterialGainTheirProject) {
    struct Case {
        bool projectSpecific;
        int costType;
        std::string expectedCode; // Text3 of the line
    } cases[] = {
        {false, 1, "MAT.CONCRETE"}, {true, 1, "MAT.CONCRETE"}, {false, 2, "LAB.CONCRETE"},
        {true, 2, "LAB.P1000.CONCRETE"}, {true, 3, "EQP.P1000.CONCRETE"}, {true, 4, "SUB.P1000.CONCRETE"},
        {true, 5, "SUN.P1000.CONCRETE"},
    };
    for (const Case& c : cases) {
        const std::string costObject = BudgetLineCostObject(c.projectSpecific, c.costType, "P1000", "CONCRETE");
        EXPECT_EQ(CostObjectResourceCode(std::to_string(c.costType), costObject), c.expectedCode)
            << c.costType << (c.projectSpecific ? " project" : " standard");
    }
}

TEST(BudgetCostTypes, NameAndPrefixOfEachCodeAndNothingForOthers) {
    const char* names[] = {"Material", "Labor", "Equipment", "Subcontracting", "Sundry"};
    const char* prefixes[] = {"MAT", "LAB", "EQP", "SUB", "SUN"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CostTypeName(std::to_string(i + 1)), names[i]);
        EXPECT_EQ(CostTypePrefix(" " + std::to_string(i + 1)), prefixes[i]);
    }
    for (const char* other : {"0", "6", "", "1.0", "MAT"}) {
        EXPECT_EQ(CostTypeName(other), "") << other;
        EXPECT_EQ(CostTypePrefix(other), "") << other;
    }
    EXPECT_EQ(LinkStateName("1"), "No Link");
    EXPECT_EQ(LinkStateName(" 2"), "Create");
    EXPECT_EQ(LinkStateName("3"), "Link Exists");
    EXPECT_EQ(LinkStateName("4"), "");
}

TEST_F(BudgetLineFieldsTest, NumbersAsTextTakeTheUsersDecimalSeparator) {
    EXPECT_EQ(BudgetNumberText(1234.5), "1234.5");
    EXPECT_EQ(BudgetNumberText(320), "320");
    EXPECT_EQ(BudgetNumberText(-0.25), "-0.25");
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER, platform::os::kInternationalKey,
                                                "sDecimal", ","));
    EXPECT_EQ(BudgetNumberText(1234.5), "1234,5");
}

// Numbers written as text are read back whole, in either locale: the exponent written out, the
// user's separator or a period taken.
TEST_F(BudgetLineFieldsTest, NumbersAsTextComeBackWhole) {
    for (const char* separator : {".", ","}) {
        SCOPED_TRACE(separator);
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER, platform::os::kInternationalKey,
                                                    "sDecimal", separator));
        const std::string sep = separator;
        struct Case {
            double value;
            std::string text;
        } cases[] = {
            {5E-05, "0" + sep + "00005"}, {1.5E-07, "0" + sep + "00000015"}, {1E+21, "1000000000000000000000"},
            {1E+15, "1000000000000000"}, {123456.789, "123456" + sep + "789"}, {6.227, "6" + sep + "227"},
            {-2.5E-05, "-0" + sep + "000025"}, {0, "0"},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(BudgetNumberText(c.value), c.text) << c.value;
            EXPECT_DOUBLE_EQ(BudgetNumberOfText(c.text), c.value) << c.text;
        }
        struct Read {
            std::string text;
            double value;
        } reads[] = {
            {" 59", 59}, {"7.5", 7.5}, {"5E-05", 5E-05}, {"1E+21", 1E+21}, {"12 kg", 12},
            {"2E", 2}, {"", 0}, {"abc", 0}, {".", 0}, {"-3", -3},
            // A comma is a decimal separator only where it is the user's.
            {"85,5", sep == "," ? 85.5 : 85},
        };
        for (const Read& r : reads) EXPECT_DOUBLE_EQ(BudgetNumberOfText(r.text), r.value) << r.text;
    }
}

TEST_F(BudgetLineFieldsTest, AQuantityTypedIsAPlainNumberTheErpCanHold) {
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER, platform::os::kInternationalKey,
                                                "sDecimal", ","));
    struct Case {
        std::string text;
        bool valid;
        double value;
    } cases[] = {
        {"7.5", true, 7.5}, {"12,5", true, 12.5}, {" 40 ", true, 40}, {"0", true, 0}, {",5", true, 0.5},
        {"999999999999999", true, 999999999999999.0},
        {"-5", false, 0}, {"1.2.3", false, 0}, {"1,2.3", false, 0}, {"--5", false, 0}, {".", false, 0},
        {"", false, 0}, {"5E3", false, 0}, {"1 000", false, 0}, {"1000000000000000", false, 0},
        {std::string(400, '9'), false, 0}, {"12kg", false, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(ParseBudgetQuantity(c.text, value), c.valid) << c.text;
        // A refused text leaves the value as it was.
        EXPECT_DOUBLE_EQ(value, c.valid ? c.value : -1) << c.text;
    }
}

TEST_F(BudgetLineFieldsTest, ABudgetLineIsMarkedByItsLinkStateAndDetachedByIt) {
    msp::Task ce = AddTask("Design", 1, "A100");
    msp::Task line = AddTask("Engineering hour", 2);
    EXPECT_FALSE(IsBudgetLine(line));
    line.SetText(8, "  ");
    EXPECT_FALSE(IsBudgetLine(line));
    line.SetText(8, "3");
    line.SetText(20, "A100_2_15");
    EXPECT_TRUE(IsBudgetLine(line));
    DetachBudgetLine(line);
    EXPECT_EQ(line.Text(8), "1");
    EXPECT_EQ(line.Text(20), "");
    EXPECT_TRUE(IsBudgetLine(line)); // a detached line still was one

    msp::Resource crane = AddResource("EQP.CRANE Mobile crane", "EQP.CRANE");
    msp::Assignment a = ce.Assignments().Add(crane.Id(), 0.0);
    EXPECT_FALSE(IsBudgetLine(a));
    a.SetText(8, "3");
    a.SetText(20, "A100_3_1");
    EXPECT_TRUE(IsBudgetLine(a));
    EXPECT_EQ(FindBudgetLineAssignment(ce, "A100_3_1"), a);
    DetachBudgetLine(a);
    EXPECT_EQ(a.Text(8), "1");
    EXPECT_FALSE(FindBudgetLineAssignment(ce, "A100_3_1"));
}

TEST_F(BudgetLineFieldsTest, AKeyIsFoundExactlyAndTheAlertsComeBackAsTheyWere) {
    AddTask("Design", 1, "A100");
    msp::Task lower = AddTask("lower case", 2);
    lower.SetText(20, "a100_2_15");
    msp::Task other = AddTask("other line", 2);
    other.SetText(20, "A100_2_150");
    msp::Task exact = AddTask("exact", 2);
    exact.SetText(20, "A100_2_15");

    for (bool shown : {true, false}) {
        app->Alerts(shown);
        msp::Task found = FindBudgetLineTask("A100_2_15");
        ASSERT_TRUE(found);
        EXPECT_EQ(found.Name(), "exact");
        EXPECT_EQ(app->ActiveCell().Task(), found);
        EXPECT_EQ(app->DisplayAlerts(), shown);
        EXPECT_EQ(Err().Number, 0);
    }
    EXPECT_FALSE(FindBudgetLineTask("A100_2_1"));
    EXPECT_FALSE(FindBudgetLineTask(""));
    EXPECT_FALSE(FindBudgetLineTask("A100_1_15"));
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(BudgetLineFieldsTest, ChargeElementTasksAreFoundByTheirExactCode) {
    AddTask("Lower", 1, "a100");
    msp::Task padded = AddTask("Padded", 1, "A100 ");
    msp::Task exact = AddTask("Exact", 1, "A100");
    EXPECT_EQ(FindChargeElementTask("A100"), exact);
    EXPECT_EQ(FindChargeElementTask("A100 "), padded);
    EXPECT_FALSE(FindChargeElementTask("A10"));
}

TEST_F(BudgetLineFieldsTest, AResourceIsFoundByItsWholeCodeOnly) {
    AddResource("EQP.CR200 Crane 200 t", "EQP.CR200");
    AddResource("Without a code", "");
    AddResource("EQP.CR20 Crane 20 t", " EQP.CR20 ");
    AddResource("eqp.cr2 lower", "eqp.cr2");

    std::string name = "unchanged";
    EXPECT_TRUE(FindResourceByCode("EQP.CR20", name));
    EXPECT_EQ(name, "EQP.CR20 Crane 20 t");
    name = "unchanged";
    EXPECT_TRUE(FindResourceByCode(" EQP.CR200", name));
    EXPECT_EQ(name, "EQP.CR200 Crane 200 t");
    name = "unchanged";
    EXPECT_FALSE(FindResourceByCode("EQP.CR2", name));
    EXPECT_FALSE(FindResourceByCode("EQP.CR", name));
    EXPECT_FALSE(FindResourceByCode("TRG.", name));
    EXPECT_EQ(name, "unchanged");
}

TEST_F(BudgetLineFieldsTest, LabourCostObjectsAreLookedUpInTheFile) {
    WriteLaborFile({{"", "W01", "Site hour", "h"},
                    {"P1", "W01", "Site hour of P1", "h"},
                    {"P1", "W02", "Night hour", "h"},
                    {".", "", "", ""},
                    {"", "W09", "After the end record", "h"}});
    struct Case {
        std::string code;
        bool found;
        std::string name;
    } cases[] = {
        {"W01", true, "LAB.W01 Site hour"},
        {" P1.W01 ", true, "LAB.P1.W01 Site hour of P1"},
        {"W02", false, ""}, // only a project record: it needs its project
        {"P1.W02", true, "LAB.P1.W02 Night hour"},
        {"w01", false, ""},
        {"W09", false, ""},
    };
    for (const Case& c : cases) {
        std::string name = "unchanged";
        EXPECT_EQ(FindLaborCostObjectInFile(c.code, name), c.found) << c.code;
        EXPECT_EQ(name, c.found ? c.name : "unchanged") << c.code;
    }
    std::filesystem::remove(GetLcoFilePath());
    std::string name;
    EXPECT_FALSE(FindLaborCostObjectInFile("W01", name));
    EXPECT_EQ(Err().Number, 0);
}

// A damaged record is left out and the log names the file; the records around it are still found, also
// one whose text uses the upper half of Windows-1252.
TEST_F(BudgetLineFieldsTest, ADamagedLabourFileIsNamedInTheLog) {
    WriteLaborFile({{"", "W01", "Site hour", "h"}, {"", "W02", "Night hour", "h"}, {"", "W03", "Kranstunde à 5 €", "h"}});
    DamageRecord(GetLcoFilePath(), LaborCostObjectRecord::kLength, 2);
    std::string name;
    EXPECT_TRUE(FindLaborCostObjectInFile("W03", name));
    EXPECT_EQ(name, "LAB.W03 Kranstunde à 5 €");
    EXPECT_FALSE(FindLaborCostObjectInFile("W02", name));
    EXPECT_NE(LogText().find("The file " + GetLcoFilePath() + " is damaged: record 2 is not text."), std::string::npos);
}

TEST_F(BudgetLineFieldsTest, ANewSubtaskGoesAfterTheLastTaskOfTheSubtree) {
    msp::Task bare = AddTask("Bare", 1, "A100");
    msp::Task full = AddTask("Full", 1, "A200");
    AddTask("Child", 2);
    AddTask("Last child", 2);
    msp::Task deepest = AddTask("Deepest", 3);
    AddTask("Next", 1, "A300");
    EXPECT_EQ(BudgetLineSubtaskPosition(bare), bare.Id() + 1);
    EXPECT_EQ(BudgetLineSubtaskPosition(full), deepest.Id() + 1);
}

} // namespace
} // namespace Grantry
