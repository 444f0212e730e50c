#pragma once
// What a benchmark run produced, as short digests that a later run of other code can be held to: the
// plan as the host's dump shows it, a file's bytes (the plan's log), and the rows of every table of the
// ERP's database. A benchmark lists its digests and, given the file of digests an earlier run wrote,
// fails when one differs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/middleware/Database.h"
#include "platform/msproject/Project.h"
#include "tools/winproj/PlanDump.h"

namespace bench {

class Digest {
public:
    void Add(std::string_view bytes) {
        for (unsigned char c : bytes) {
            value_ ^= c;
            value_ *= 1099511628211ull;
        }
    }
    std::string Hex() const {
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(value_));
        return out;
    }

private:
    uint64_t value_ = 14695981039346656037ull;
};

inline std::string PlanDigest(const platform::msproject::Project& plan) {
    std::ostringstream dump;
    winproj::DumpPlan(plan, dump);
    Digest d;
    d.Add(dump.str());
    return d.Hex();
}

inline std::string FileDigest(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Digest d;
    d.Add(bytes);
    return d.Hex();
}

// Every table's rows in the order of their keys, each value with its column's name.
inline std::string ErpDigest(platform::middleware::Database& db) {
    std::vector<std::string> tables;
    auto list = db.Prepare("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    while (list.Step())
        tables.push_back(list.Text(0));
    Digest d;
    for (const std::string& table : tables) {
        d.Add("\x1Ftable " + table);
        auto rows = db.Prepare("SELECT * FROM \"" + table + "\" ORDER BY rowid");
        while (rows.Step()) {
            d.Add("\x1E");
            for (int i = 0; i < rows.ColumnCount(); ++i) {
                d.Add(rows.ColumnName(i));
                d.Add(rows.IsNull(i) ? std::string("\x01NULL") : "=" + rows.Text(i));
                d.Add("\x1F");
            }
        }
    }
    return d.Hex();
}

// The digests of one run by name ("2000 plan", ...), printed as "digest NAME VALUE" lines.
class Outputs {
public:
    void Set(const std::string& name, const std::string& value) {
        values_[name] = value;
        std::printf("digest %s %s\n", name.c_str(), value.c_str());
    }
    // Held to the "digest NAME VALUE" lines of `file` that name a digest of this run: false, with the
    // differing ones printed, when one differs. Names the file does not hold are not checked.
    bool Matches(const std::filesystem::path& file) const {
        std::ifstream in(file);
        if (!in) {
            std::fprintf(stderr, "no digests in %s\n", file.c_str());
            return false;
        }
        bool same = true;
        int checked = 0;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string word, name, size, value;
            if (!(fields >> word >> size >> name >> value) || word != "digest") continue;
            auto it = values_.find(size + " " + name);
            if (it == values_.end()) continue;
            ++checked;
            if (it->second != value) {
                std::fprintf(stderr, "%s %s: %s here, %s before\n", size.c_str(), name.c_str(),
                             it->second.c_str(), value.c_str());
                same = false;
            }
        }
        std::printf("%d digests compared with %s: %s\n", checked, file.c_str(), same ? "the same" : "DIFFERENT");
        return same && checked > 0;
    }

private:
    std::map<std::string, std::string> values_;
};

} // namespace bench
