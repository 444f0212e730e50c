// The large ERP plan the benches build their plans from: a top element, then cost accounts of 49 work
// packages each (and one milestone), until the count asked for.
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

namespace bench {

constexpr int kPerAccount = 50; // work packages and one milestone per cost account

inline std::string Numbered(const char* format, int a, int b = 0) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}
inline std::string Account(int a) {
    return Numbered("A%03d", a);
}
inline std::string Package(int a, int p) {
    return Numbered("P%03d%02d", a, p);
}

inline nlohmann::json Element(const std::string& id, const std::string& description, int type, const std::string& parent) {
    nlohmann::json e = {{"id", id}, {"description", description}, {"type", type},
              {"start", "2025-01-06 08:00"}, {"finish", "2025-03-28 17:00"}};
    if (!parent.empty()) e["parent"] = parent;
    return e;
}

// A top element, then cost accounts with their work packages, until `count` elements.
inline nlohmann::json Seed(int count) {
    nlohmann::json elements = nlohmann::json::array();
    elements.push_back(Element("TOP", "Large project", 1, ""));
    for (int a = 1; static_cast<int>(elements.size()) < count; ++a) {
        elements.push_back(Element(Account(a), "Cost account " + std::to_string(a), 2, "TOP"));
        for (int p = 1; p < kPerAccount && static_cast<int>(elements.size()) < count; ++p)
            elements.push_back(Element(Package(a, p), "Work package " + std::to_string(p), 4, Account(a)));
    }
    return {{"release", "tt7.1_a"},
            {"company", {{"number", 7}}},
            {"projects",
             {{{"id", "LARGE"},
               {"description", "Large"},
               {"leadingPlan", "MAIN"},
               {"plans", {{{"id", "MAIN"}, {"topChargeElement", "TOP"}, {"chargeElements", elements}}}}}}}};
}

} // namespace bench
