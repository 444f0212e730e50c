// The demo backend's master data read back through the resource and calendar classes: every cost
// object, employee, trade group, availability type, calendar and exception date arrives.
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "dataobjects/KovaCalendarData.h"
#include "dataobjects/KovaResourceData.h"
#include "platform/middleware/TestBackend.h"

using namespace platform::automation;
using namespace KovaDataObjects;
using nlohmann::json;

namespace {

std::string DemoSeedText() {
    auto file = std::filesystem::path(KOVA_DEMO_SEED);
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Codes(const OptionalCollection<KovaResource>& records) {
    std::vector<std::string> out;
    if (records)
        for (const auto& r : *records)
            out.push_back(r->ResourceCodeInMsP);
    return out;
}

} // namespace

class DemoMasterDataTest : public ::testing::Test {
protected:
    std::string text = DemoSeedText();
    json seed = json::parse(text);
    platform::middleware::TestBackend erp{text};
    std::string connector = "DEMO";
};

TEST_F(DemoMasterDataTest, EveryResourceAndCostObjectOfAProject) {
    ASSERT_FALSE(seed["costObjects"].empty());
    const std::string project = seed["projects"][0]["id"];
    KovaResourceData data;
    data.TransferMaterialCostObjects(connector, project, "", true, true);
    data.TransferLaborCostObjects(connector, project, true, true);
    data.TransferSubContractCostObjects(connector, project, "", true, true);
    data.TransferSundryCostObjects(connector, project, "", true, true);
    data.TransferEquipments(connector, project, "", true, true);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    std::map<std::string, std::vector<std::string>> expected;
    for (const auto& c : seed["costObjects"])
        expected[c["kind"]].push_back(c["kind"].get<std::string>() + "." + c["code"].get<std::string>());
    for (const auto& c : seed["projects"][0]["costObjects"])
        expected[c["kind"]].push_back(c["kind"].get<std::string>() + "." + project + "." +
                                      c["code"].get<std::string>());
    EXPECT_EQ(Codes(data.Materials), expected["MAT"]);
    EXPECT_EQ(Codes(data.Labors), expected["LAB"]);
    EXPECT_EQ(Codes(data.Subcontracts), expected["SUB"]);
    EXPECT_EQ(Codes(data.Sundries), expected["SUN"]);
    EXPECT_EQ(Codes(data.Equipments), expected["EQP"]);

    data.TransferEmployees(connector, "");
    data.TransferTradeGroups(connector, project, "");
    std::vector<std::string> employees, names, groups;
    for (const auto& e : seed["employees"]) {
        employees.push_back("EMP." + e["code"].get<std::string>());
        names.push_back("EMP." + e["department"].get<std::string>() + "." + e["code"].get<std::string>() +
                        " " + e["name"].get<std::string>());
    }
    for (const auto& t : seed["tradeGroups"])
        groups.push_back("TRG." + t["code"].get<std::string>());
    EXPECT_EQ(Codes(data.Employees), employees);
    ASSERT_TRUE(data.Employees.has_value());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ((*data.Employees)[i]->ResourceNameInMsP, names[i]);
        EXPECT_EQ((*data.Employees)[i]->Email, seed["employees"][i]["email"]);
    }
    EXPECT_EQ(Codes(data.TradeGroups), groups);
}

TEST_F(DemoMasterDataTest, EveryCalendarWithItsWeekAndExceptions) {
    KovaCalendarData data;
    auto types = data.getAvailabilityType(connector);
    ASSERT_TRUE(types.has_value());
    EXPECT_EQ(types->size(), seed["availabilityTypes"].size());
    for (const auto& week : seed["standardWeeks"]) {
        std::set<std::string> days;
        for (const auto& line : week["lines"])
            days.insert(line["day"].get<std::string>());
        auto details = data.getStandardCalendarDetails(connector, week["availabilityType"]);
        ASSERT_TRUE(details.has_value());
        EXPECT_EQ(details->size(), 7u);
        size_t working = 0;
        for (const auto& d : *details)
            working += d->Working;
        EXPECT_EQ(working, days.size());
    }

    data.getCalendarList(connector);
    EXPECT_EQ(Err().Number, 0) << Err().Description;
    ASSERT_TRUE(data.Calendars.has_value());
    ASSERT_EQ(data.Calendars->size(), seed["calendars"].size());
    std::set<std::string> names;
    for (size_t i = 0; i < data.Calendars->size(); ++i) {
        KovaCalendar& calendar = *(*data.Calendars)[i];
        const auto& written = seed["calendars"][i];
        EXPECT_EQ(calendar.Code, written["code"]);
        // Parents come first, so a derived calendar's parent already has its name.
        if (written.contains("parent")) EXPECT_TRUE(names.count(calendar.ParentCalendar)) << calendar.Code;
        names.insert(calendar.CalendarCodeInMsP);

        std::set<std::string> dates;
        if (written.contains("exceptions"))
            for (const auto& e : written["exceptions"])
                dates.insert(e["date"].get<std::string>());
        auto exceptions = calendar.getCalendarExceptions(connector, calendar);
        EXPECT_EQ(Err().Number, 0) << Err().Description;
        ASSERT_TRUE(exceptions.has_value());
        EXPECT_EQ(exceptions->size(), dates.size()) << calendar.Code;
    }
}
