#pragma once
// Seeds: a backend's contents as a JSON document of our own format (see testdata/demo-erp.json).
//
//   { "seed": "kova-erp", "version": 1,
//     "release": "tt7.1_a",
//     "company": {"number": 100, "name": "..."},
//     "planningParameters": {"transferEquipment": 1, "transferTradeGroups": 1, "transferEmployees": 1,
//        "transferLabor": 1, "transferSubcontracting": 1, "transferSundry": 1, "transferMaterial": 1,
//        "dateTypeForScheduling": 1, "currency": "EUR", "defaultAvailabilityType": "STANDARD"},
//     "availabilityTypes": [{"code", "description"}],
//     "obs": [{"id", "parent", "description"}],                       parents first
//     "standardChargeElements": [{"code", "description", "type"}],    type "1".."5"
//     "costObjects": [{"kind", "code", "description", "unit", "costPrice", "costRate", "calendar",
//        "availableUnits"}],                                         kind MAT LAB SUB SUN EQP; standard ones
//     "employees": [{"code", "name", "department", "calendar", "email"}],
//     "tradeGroups": [{"code", "description", "calendar", "costRate", "numberOfEmployees"}],
//     "standardWeeks": [{"availabilityType", "lines": [{"day", "start", "end"}]}],   day "1" (Sunday).."7"
//     "calendars": [{"code", "availabilityType", "start", "end", "parent",            parents first
//        "exceptions": [{"date", "working", "start", "end"}],
//        "actualLines": [{"availabilityType", "start", "end", "startTime", "endTime"}]}],
//     "projects": [{"id", "description", "start", "finish", "leadingPlan", "obs",
//        "budgetTypeProjectBudget", "budgetTypeProjectControl",
//        "costObjects": [...],                                          the project's own cost objects
//        "baselines": [{"id", "description", "status", "derivedFrom", "changed"}],
//        "plans": [{"id", "description", "topChargeElement",
//           "chargeElements": [{"id", "description", "type", "parent", "linked", "obs", "connectable",
//              "start", "finish", "actualStart", "actualFinish", "percentComplete", "derivedFrom",
//              "evAsMilestone", "hasCosts"}],                          parents first
//           "budgetLines": [{"chargeElement", "costType", "seq", "costObject", "costObjectProject",
//              "employee", "tradeGroup", "unit", "quantity", "requiredQuantity", "netQuantity",
//              "duration", "requiredDuration", "costAmount", "start", "finish", "scheduleLink",
//              "externalSchedule", "refuseMessage"}],                 costType 1..5
//           "links": [{"node", "ownership", "externalSchedule"}]}]}] }
//
// Times are "YYYY-MM-DD" or "YYYY-MM-DD hh:mm[:ss]", calendar dates "YYYY-MM-DD", times of day HHMM
// numbers. Every section is optional; texts are stored as written (padding included). The order of a
// list is the ERP's order. Unknown keys are refused, so that a typing error does not go unnoticed.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/middleware/Database.h"

namespace platform::middleware {

struct SeedError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SeedResult {
    int32_t companyNumber = 0; // 0 when the seed has no company
    int projects = 0;
};

// The largest quantity, duration or amount of a budget line the ERP holds is below this; quantities and
// durations are not negative, percentages run from 0 to 100. Seeds and change sets refuse others.
inline constexpr double kLargestQuantity = 1e15;

// Loads a seed into an opened backend in one transaction; nothing is kept when it fails. Throws
// SeedError naming the file it came from (`source`, when given) and the place
// ("demo.json: projects[0].plans[1].chargeElements[2]: ...").
SeedResult LoadSeed(Database& db, const nlohmann::json& seed, const std::string& source = {});
SeedResult LoadSeedFile(Database& db, const std::filesystem::path& file);

// A change set: changes to one plan's charge structure and schedule links, applied in order in one
// transaction (nothing is kept when one fails; SeedError names it, "changes[2]: ...").
//
//   { "project": "BRIDGE", "plan": "MAIN",
//     "changes": [
//       {"op": "add", "id", "description", "type", "parent", "linked", "obs", "connectable",
//        "start", "finish", "actualStart", "actualFinish", "percentComplete"},   after its siblings
//       {"op": "remove", "id"},                     with the elements below it and their budget lines
//       {"op": "change", "id", and any of "description", "type", "parent", "linked", "obs",
//        "connectable", "start", "finish", "actualStart", "actualFinish", "percentComplete"},
//       {"op": "ownership", "node", "ownership"}]}  the schedule link's ownership (0 to 4)
//
// Returns one line per change applied ("removed BR12 (2 elements)").
std::vector<std::string> ApplyChangeSet(Database& db, const nlohmann::json& changes, const std::string& source = {});
std::vector<std::string> ApplyChangeSetFile(Database& db, const std::filesystem::path& file);

} // namespace platform::middleware
