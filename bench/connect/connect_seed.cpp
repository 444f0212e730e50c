// Writes an ERP seed scaled up from the demo seed: the plan MAIN of project BRIDGE gets a generated
// charge structure, and the company a generated set of resources and cost objects of every kind.
//
//   connect-seed DEMO_SEED OUT_SEED [--elements N] [--resources M]
//
// --elements N: N charge elements under the top element BR, in a tree of depth 4 to 6 whose elements
// have 5 to 10 children, about one element in eleven a milestone, most of them following the sibling
// before them (0 or absent: the demo's structure).
// --resources M: M employees, trade groups, equipment and cost objects of every kind, a quarter of the
// cost objects owned by the project (0 or absent: the demo's). The output depends on N and M only.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

// A small generator of our own, so that the seed is the same wherever the benchmark is built.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % uint64_t(high - low + 1)); }

private:
    uint64_t state_;
};

// Day numbers from 1970-01-01, and back to "YYYY-MM-DD".
int64_t DayNumber(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string DayText(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    const int64_t y = yoe + era * 400 + (m <= 2);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", int(y), int(m), int(d));
    return text;
}

struct Element {
    std::string id, parent, linked; // linked: the element a milestone follows; none: it stands alone
    int depth = 1;
    bool milestone = false;
    int64_t first = 0, last = 0; // days
    std::vector<size_t> children;
};

// The average branching that fills a tree of `depth` levels with about `count` elements, where one
// element in eleven is a milestone without children.
double Branching(int depth, int count) {
    double low = 1, high = 100;
    for (int i = 0; i < 60; ++i) {
        double b = (low + high) / 2, total = 0, level = 1;
        for (int d = 0; d < depth; ++d, level *= b * 10 / 11)
            total += level;
        (total < count ? low : high) = b;
    }
    return low;
}

// Level by level, so that the budget of elements is spread over the whole tree; each element gets
// floor(b) or ceil(b) children (5 to 10), b on average. Fewer than `count` when the tree is full.
std::vector<Element> Grow(int count, int depth, double b) {
    Random random(static_cast<uint64_t>(count) * 7919 + 17);
    const int low = std::clamp(static_cast<int>(std::floor(b)), 5, 10);
    const int high = std::clamp(low + 1, 5, 10);
    const uint64_t upChance = static_cast<uint64_t>((b - low) * 1000);
    std::vector<Element> all;
    Element top;
    top.id = "BR";
    top.first = DayNumber(2024, 3, 1);
    top.last = DayNumber(2029, 12, 31);
    all.push_back(top);
    std::vector<size_t> level{0};
    for (int d = 2; d <= depth && static_cast<int>(all.size()) < count; ++d) {
        std::vector<size_t> next;
        for (size_t parent : level) {
            if (all[parent].milestone) continue;
            const int children = random.Next() % 1000 < upChance ? high : low;
            for (int c = 0; c < children && static_cast<int>(all.size()) < count; ++c) {
                Element e;
                e.id = "C" + std::to_string(all.size());
                e.parent = all[parent].id;
                e.depth = d;
                e.milestone = random.Between(1, 11) == 1;
                const int64_t span = all[parent].last - all[parent].first + 1;
                e.first = all[parent].first + span * c / children;
                e.last = std::max(e.first, all[parent].first + span * (c + 1) / children - 1);
                if (e.milestone) e.first = e.last;
                // A milestone follows the sibling before it, as "design approved" follows the design;
                // the first child of a parent stands alone.
                if (e.milestone && !all[parent].children.empty()) {
                    const Element& before = all[all[parent].children.back()];
                    if (!before.milestone) e.linked = before.id;
                }
                all[parent].children.push_back(all.size());
                next.push_back(all.size());
                all.push_back(e);
            }
        }
        level = std::move(next);
    }
    return all;
}

std::vector<Element> Structure(int count) {
    int depth = 4;
    while (depth < 6 && Branching(depth, count) > 10)
        ++depth;
    // A tree that falls short of the count is grown again a little bushier.
    for (double b = Branching(depth, count);; b += 0.05) {
        std::vector<Element> all = Grow(count, depth, std::min(b, 10.0));
        if (static_cast<int>(all.size()) >= count || b >= 10) return all;
    }
}

void AppendDepthFirst(const std::vector<Element>& all, size_t at, json& out) {
    static const char* const kObs[] = {"ORG", "ENG", "ENG-ST", "CONS", "CONS-N", "CONS-S"};
    const Element& e = all[at];
    json j = {{"id", e.id}};
    if (at == 0) {
        j["description"] = "Lasse river bridge";
        j["type"] = 1;
    } else {
        j["description"] = (e.milestone ? "Milestone " : "Element ") + e.id;
        j["type"] = e.milestone ? 5 : std::min(e.depth, 4);
        j["parent"] = e.parent;
        if (!e.linked.empty()) j["linked"] = e.linked;
    }
    if (!e.milestone) j["obs"] = kObs[at % 6];
    j["start"] = DayText(e.first) + (e.milestone ? " 17:00" : " 08:00");
    j["finish"] = DayText(e.last) + " 17:00";
    out.push_back(j);
    for (size_t child : e.children)
        AppendDepthFirst(all, child, out);
}

void Resources(json& seed, json& project, int count) {
    static const char* const kCalendars[] = {"STD", "STD5", "SITE"};
    json employees = json::array(), tradeGroups = json::array(), costObjects = json::array(),
         projectObjects = json::array();
    static const char* const kKinds[] = {"EMP", "TRG", "EQP", "MAT", "SUB", "SUN", "LAB"};
    for (int i = 0; i < count; ++i) {
        const std::string kind = kKinds[i % 7];
        const int n = i / 7 + 1;
        const std::string calendar = kCalendars[n % 3];
        if (kind == "EMP") {
            employees.push_back({{"code", "E" + std::to_string(n)},
                                 {"name", "Employee " + std::to_string(n)},
                                 {"department", n % 2 ? "ENG" : "CONS"},
                                 {"calendar", calendar},
                                 {"email", "employee" + std::to_string(n) + "@example.com"}});
        } else if (kind == "TRG") {
            tradeGroups.push_back({{"code", "G" + std::to_string(n)},
                                   {"description", "Trade group " + std::to_string(n)},
                                   {"calendar", calendar},
                                   {"costRate", 40 + n % 30},
                                   {"numberOfEmployees", 1 + n % 9}});
        } else {
            json o = {{"kind", kind},
                      {"code", kind.substr(0, 1) + std::to_string(n)},
                      {"description", kind + " cost object " + std::to_string(n)},
                      {"unit", kind == "EQP" || kind == "LAB" ? "h" : "LS"}};
            if (kind == "EQP" || kind == "LAB") {
                o["costRate"] = 50 + n % 100;
                if (kind == "EQP") {
                    o["calendar"] = calendar;
                    o["availableUnits"] = 1 + n % 4;
                }
            } else {
                o["costPrice"] = 100 + n % 1000;
            }
            // A quarter of the cost objects are the project's own (labour is the company's only).
            if (kind != "LAB" && n % 4 == 0) {
                o["code"] = "P" + o["code"].get<std::string>();
                projectObjects.push_back(o);
            } else {
                costObjects.push_back(o);
            }
        }
    }
    seed["employees"] = employees;
    seed["tradeGroups"] = tradeGroups;
    seed["costObjects"] = costObjects;
    project["costObjects"] = projectObjects;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: connect-seed DEMO_SEED OUT_SEED [--elements N] [--resources M]\n";
        return 2;
    }
    int elements = 0, resources = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--elements")
            elements = std::atoi(argv[i + 1]);
        else if (option == "--resources")
            resources = std::atoi(argv[i + 1]);
        else
            return std::cerr << "unknown option " << option << "\n", 2;
    }
    std::ifstream in(argv[1]);
    json seed = json::parse(in, nullptr, false);
    if (seed.is_discarded() || !seed.contains("projects")) {
        std::cerr << argv[1] << " is not an ERP seed\n";
        return 1;
    }
    for (json& project : seed["projects"]) {
        // Budget lines name the demo's elements and resources.
        for (json& plan : project["plans"])
            if (elements > 0 || resources > 0) plan.erase("budgetLines");
        if (project["id"] != "BRIDGE") continue;
        if (resources > 0) Resources(seed, project, resources);
        for (json& plan : project["plans"]) {
            if (plan["id"] != "MAIN" || elements <= 0) continue;
            json list = json::array();
            AppendDepthFirst(Structure(elements), 0, list);
            plan["chargeElements"] = list;
        }
    }
    std::ofstream out(argv[2]);
    out << seed.dump(1) << "\n";
    return out ? 0 : 1;
}
