#include "integration/connect/ResourcesAndCostObjects.h"

#include <map>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "integration/connect/Calendars.h"
#include "integration/connect/ConnectRun.h"
#include "integration/connect/ConnectTestSupport.h"
#include "integration/connect/frmConnectProject.h"
#include "platform/automation/Variant.h"
#include "platform/forms/Form.h"
#include "platform/middleware/TestControl.h"
#include "platform/os/Locale.h"
#include "platform/os/Registry.h"

namespace Grantry::test {
namespace {

using platform::automation::CStr;
using platform::automation::Err;
using platform::middleware::Fault;

// One object of every kind, standard and of project P100 (no project sundries or subcontracts);
// codes 12 and 123 share a leading part; the ";" texts meet a locale whose list separator is ";".
constexpr const char* kSeed = R"json({
  "company": {"number": 7},
  "planningParameters": {"defaultAvailabilityType": "STANDARD"},
  "availabilityTypes": [{"code": "STANDARD"}],
  "standardWeeks": [{"availabilityType": "STANDARD", "lines": [{"day": "2", "start": 800, "end": 1600}]}],
  "calendars": [{"code": "STD"}],
  "costObjects": [
    {"kind": "MAT", "code": "123", "description": "Bolts", "unit": " pc ", "costPrice": 2},
    {"kind": "MAT", "code": "12", "description": "Nuts; zinc", "unit": "pc", "costPrice": 1},
    {"kind": "LAB", "code": "L1", "description": "Fitter", "unit": "h", "costRate": 40},
    {"kind": "SUB", "code": "S;1", "description": "Paint", "unit": "LS", "costPrice": 100},
    {"kind": "SUN", "code": "N1", "description": "Fees", "unit": "LS", "costPrice": 7},
    {"kind": "EQP", "code": "Q1", "description": "Crane", "unit": " h ", "costRate": 180, "calendar": " STD ",
     "availableUnits": 2},
    {"kind": "EQP", "code": "Q2", "description": "Barge", "unit": "d", "costRate": 600, "availableUnits": 3}],
  "employees": [{"code": "E007", "name": "Jones", "department": "D10", "calendar": "STD", "email": " j@x.org "},
                {"code": "E008", "name": "Smith", "department": "D20"}],
  "tradeGroups": [{"code": "T1", "description": "Masons", "costRate": 52, "numberOfEmployees": 6}],
  "projects": [{"id": "P100", "costObjects": [
    {"kind": "MAT", "code": "M9", "description": "Beams", "unit": "t", "costPrice": 9},
    {"kind": "EQP", "code": "Q9", "description": "Own crane", "unit": "h", "costRate": 20, "availableUnits": 1}]}]
})json";

// What one resource of the plan carries, in one line: Name|Text1|Text3|MaxUnits|StandardRate|
// CostPerUse|AccrueAt|EMailAddress|BaseCalendar.
std::string Describe(msp::Resource r) {
    auto number = [&](const char* field) { return CStr(r.GetField(field)); };
    return r.Name() + "|" + r.Text(1) + "|" + r.Text(3) + "|" + number("MaxUnits") + "|" +
           number("StandardRate") + "|" + number("CostPerUse") + "|" + number("AccrueAt") + "|" +
           r.EMailAddress() + "|" + r.BaseCalendar();
}

struct Switches {
    bool equipment = false, tradegroup = false, employee = false, item = false, subcontracting = false,
         sundry = false, projectEquipment = false, projectItem = false, projectSubcontracting = false,
         projectSundry = false;
    static Switches All() { return {true, true, true, true, true, true, true, true, true, true}; }
};

class ResourceTransfer : public ConnectFixture {
protected:
    explicit ResourceTransfer(const char* seed = kSeed) : ConnectFixture(seed) {}
    void SetUp() override {
        ConnectFixture::SetUp();
        app->ViewEditSingle("Kova Proj Gantt", true, true, "Entry");
        app->ViewEditSingle("Kova Proj Resources", true, false, "Entry");
        CurrentProjectData = std::make_shared<KovaDataObjects::KovaProjectData>();
        CurrentProjectData->ProjectCode = "P100";
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER,
                                                    platform::os::kInternationalKey, "sList", ";"));
        TransferBaseCalendars("STANDARD", false);
        Err().Clear();
        OpenLog();
    }
    void TearDown() override {
        platform::forms::DiscardAllForms();
        ConnectFixture::TearDown();
    }

    void Transfer(const Switches& s, const std::string& type = "STANDARD") {
        TransferResourcesAndCostObjects(type, s.equipment, s.tradegroup, s.employee, s.item, s.subcontracting,
                                        s.sundry, s.projectEquipment, s.projectItem, s.projectSubcontracting,
                                        s.projectSundry);
    }
    // The plan's resources by their code.
    std::map<std::string, std::string> Sheet() {
        std::map<std::string, std::string> out;
        for (msp::Resource r : Plan().Resources())
            if (r) out[r.Text(2)] = Describe(r);
        return out;
    }
};

// A new resource accrues prorated (3) and has no base calendar of its own.
const std::map<std::string, std::string> kEverything = {
    {"EQP.Q1", "EQP.Q1 Crane|h|Crane|2|180|0|3||CSTANDARD.STD"},
    {"EQP.Q2", "EQP.Q2 Barge|d|Barge|3|600|0|3||CSTANDARD"},
    {"EQP.P100.Q9", "EQP.P100.Q9 Own crane|h|Own crane|1|20|0|3||CSTANDARD"},
    {"TRG.T1", "TRG.T1 Masons||Masons|6|52|0|3||CSTANDARD"},
    {"EMP.E007", "EMP.D10.E007 Jones||Jones|1|0|0|3|j@x.org|CSTANDARD.STD"},
    {"EMP.E008", "EMP.D20.E008 Smith||Smith|1|0|0|3||CSTANDARD"},
    {"MAT.123", "MAT.123 Bolts|pc|Bolts|1|0|2|1||"},
    {"MAT.12", "MAT.12 Nuts zinc|pc|Nuts zinc|1|0|1|1||"},
    {"MAT.P100.M9", "MAT.P100.M9 Beams|t|Beams|1|0|9|1||"},
    {"SUB.S1", "SUB.S1 Paint|LS|Paint|1|0|100|3||"},
    {"SUN.N1", "SUN.N1 Fees|LS|Fees|1|0|7|1||"},
};

TEST_F(ResourceTransfer, EveryKindWithItsCodeNameFieldsAndCalendar) {
    ASSERT_TRUE(app->DisplayAlerts());
    Transfer(Switches::All());
    EXPECT_EQ(Sheet(), kEverything);
    EXPECT_EQ(Plan().Resources().Count(), static_cast<int32_t>(kEverything.size()));
    EXPECT_EQ(Plan().CurrentView(), "Kova Proj Gantt");
    // The program's own prompts are off during the transfer only.
    EXPECT_TRUE(app->DisplayAlerts());
    EXPECT_EQ(LogText(),
              "Transferring Resources...\r\n"
              "   Standard Equipment...\r\n   Transferring Project Equipment\r\n"
              "   Trade Groups...\r\n   Employees...\r\n"
              "   Standard Material...\r\n   Transferring Project Materials\r\n"
              "   Standard Subcontracting...\r\n   Transferring Project Subcontracting\r\n"
              "     Note: no project subcontracting cost objects found\r\n"
              "   Standard Sundry Cost Object...\r\n   Transferring Project Sundry Cost Objects\r\n"
              "     Note: no project sundry cost objects found\r\n");
}

// A second run finds every resource by its code (employees by Text2, whatever their name says now)
// and only writes names and fields again; 12 is not taken for 123 although "contains" matches both.
TEST_F(ResourceTransfer, ASecondRunRewritesTheSameResources) {
    Transfer(Switches::All());
    for (msp::Resource r : Plan().Resources()) {
        if (!r) continue;
        // A changed description keeps the code in the name; an employee's name may lose it.
        const std::string code = r.Text(2);
        r.SetName(code.rfind("EMP.", 0) == 0 ? "renamed" + std::to_string(r.Id()) : code + " old");
        r.SetText(3, "stale");
    }
    Transfer(Switches::All());
    EXPECT_EQ(Sheet(), kEverything);
    EXPECT_EQ(Plan().Resources().Count(), static_cast<int32_t>(kEverything.size()));
}

TEST_F(ResourceTransfer, EachSwitchBringsItsOwnObjects) {
    auto with = [](bool Switches::*s) {
        Switches out;
        out.*s = true;
        return out;
    };
    struct Case {
        const char* name;
        Switches switches;
        std::vector<std::string> codes;
        const char* note; // expected in the log, or nullptr for none
    } cases[] = {
        {"none", {}, {}, nullptr},
        {"equipment", with(&Switches::equipment), {"EQP.Q1", "EQP.Q2"}, nullptr},
        {"project equipment", with(&Switches::projectEquipment), {"EQP.P100.Q9"}, nullptr},
        {"trade groups", with(&Switches::tradegroup), {"TRG.T1"}, nullptr},
        {"employees", with(&Switches::employee), {"EMP.E007", "EMP.E008"}, nullptr},
        {"material", with(&Switches::item), {"MAT.12", "MAT.123"}, nullptr},
        {"project material", with(&Switches::projectItem), {"MAT.P100.M9"}, nullptr},
        {"subcontracting", with(&Switches::subcontracting), {"SUB.S1"}, nullptr},
        {"project subcontracting",
         with(&Switches::projectSubcontracting),
         {},
         "     Note: no project subcontracting cost objects found"},
        {"sundry", with(&Switches::sundry), {"SUN.N1"}, nullptr},
        {"project sundry",
         with(&Switches::projectSundry),
         {},
         "     Note: no project sundry cost objects found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (msp::Resource r : Plan().Resources().Snapshot())
            if (r) r.Delete();
        platform::os::CloseFile(platform::os::LogFileNumber);
        OpenLog();
        Transfer(c.switches);
        std::vector<std::string> codes;
        for (const auto& [code, line] : Sheet())
            codes.push_back(code);
        EXPECT_EQ(codes, c.codes);
        std::string log = LogText();
        EXPECT_EQ(log.find("Note:") != std::string::npos, c.note != nullptr) << log;
        if (c.note) EXPECT_NE(log.find(c.note), std::string::npos) << log;
        if (c.codes.empty() && !c.note) EXPECT_EQ(log, "Transferring Resources...\r\n");
    }
}

TEST_F(ResourceTransfer, AnEmptyAvailabilityTypeGivesTheAvailableCalendar) {
    TransferBaseCalendars("", false);
    Err().Clear();
    Switches s;
    s.equipment = true;
    Transfer(s, "");
    EXPECT_EQ(Plan().Resources().Item("EQP.Q2 Barge").BaseCalendar(), "CAVAILABLE");
    EXPECT_EQ(Plan().Resources().Item("EQP.Q1 Crane").BaseCalendar(), "CAVAILABLE.STD");
}

TEST_F(ResourceTransfer, AKindTheErpCannotListIsLoggedAndTheOthersStillCome) {
    erp.Control().ArmFault(
        Fault::Error("Employees.Employee", "getDepartment", 70, 0, "Department unreadable"));
    Transfer(Switches::All());
    std::map<std::string, std::string> expected = kEverything;
    expected.erase("EMP.E007");
    expected.erase("EMP.E008");
    EXPECT_EQ(Sheet(), expected);
    const std::string log = LogText();
    EXPECT_NE(log.find("   Employees...\r\nDepartment unreadable\r\n   Standard Material..."),
              std::string::npos)
        << log;
    EXPECT_EQ(Err().Number, 0);
}

// The last material's cost price and the last equipment's units do not fit the plan's fields: those two
// records are left out and named in the log, and everything else comes.
class OverflowingRecords : public ResourceTransfer {
protected:
    OverflowingRecords() : ResourceTransfer(Seed().c_str()) {}
    static const std::string& Seed() {
        static const std::string seed = [] {
            std::string s = kSeed;
            auto replace = [&](const std::string& from, const std::string& to) {
                size_t at = s.find(from);
                if (at != std::string::npos) s.replace(at, from.size(), to);
            };
            replace("\"costPrice\": 1}", "\"costPrice\": 1e308}");
            replace("\"costRate\": 600, \"availableUnits\": 3}", "\"costRate\": 600, \"availableUnits\": 3e9}");
            return s;
        }();
        return seed;
    }
};

TEST_F(OverflowingRecords, ANumberThatDoesNotFitCostsItsRecordOnlyAndIsLogged) {
    Transfer(Switches::All());
    std::map<std::string, std::string> expected = kEverything;
    expected.erase("MAT.12");
    expected.erase("EQP.Q2");
    EXPECT_EQ(Sheet(), expected);
    const std::string log = LogText();
    EXPECT_NE(log.find("   Transferring Project Equipment\r\n"
                       "     Not transferred: EQP.Q2 Barge (the available units out of range)\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("     Not transferred: MAT.12 Nuts; zinc (the cost price out of range)\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Overflow"), std::string::npos) << log;
    EXPECT_EQ(Err().Number, 0);
}

TEST_F(ResourceTransfer, TheListSeparatorComesFromTheLocale) {
    EXPECT_EQ(GetListSeparator(), ";");
    ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_CURRENT_USER,
                                                platform::os::kInternationalKey, "sList", "||"));
    EXPECT_EQ(GetListSeparator(), "||");
}

TEST_F(ResourceTransfer, TheConnectRunCallsTheTransferWithItsSwitches) {
    InstallConnectRun();
    ConnectRunSteps& steps = ConnectRunHooks();
    ASSERT_TRUE(steps.transferResourcesAndCostObjects);
    // Trade groups alone, then project material alone: the order of the run's switches.
    steps.transferResourcesAndCostObjects(
        "STANDARD", {false, true, false, false, false, false, false, false, false, false});
    steps.transferResourcesAndCostObjects(
        "STANDARD", {false, false, false, false, false, false, false, true, false, false});
    ConnectRunHooks() = {};
    frmConnectProject::ConnectRun = nullptr;
    std::vector<std::string> codes;
    for (const auto& [code, line] : Sheet())
        codes.push_back(code);
    EXPECT_EQ(codes, (std::vector<std::string>{"MAT.P100.M9", "TRG.T1"}));
}

} // namespace
} // namespace Grantry::test
