#include "platform/middleware/Admin.h"

#include "platform/middleware/Backend.h"
#include "platform/middleware/Schema.h"
#include "platform/middleware/Seed.h"

namespace platform::middleware {

BackendConfig CreateBackend(BackendConfig config, bool makeDefault, const FillBackend& fill) {
    config.name = TrimBlanks(config.name);
    if (config.name.empty()) throw DatabaseError("a backend needs a name");
    auto path = DatabasePath(config);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    // The new database is built and filled beside the old one, and replaces it only when all of it
    // worked: a create that fails leaves the machine as it was.
    auto fresh = path;
    fresh += ".new";
    std::filesystem::remove(fresh, ec);
    auto discard = [&] {
        std::error_code ignored;
        std::filesystem::remove(fresh, ignored);
    };
    try {
        auto db = Database::Open(fresh, true);
        CreateSchema(*db);
        if (fill) fill(config, *db);
    } catch (...) {
        discard();
        throw;
    }
    const std::optional<BackendConfig> before = FindBackend(config.name);
    const std::string defaultBefore = DefaultBackendName();
    try {
        SaveBackend(config);
        if (makeDefault) SetDefaultBackendName(config.name);
        std::filesystem::rename(fresh, path, ec);
        if (ec) throw DatabaseError("the database " + path.string() + " cannot be written: " + ec.message());
    } catch (...) {
        discard();
        try {
            if (before)
                SaveBackend(*before);
            else
                RemoveBackend(config.name);
            if (DefaultBackendName() != defaultBefore) SetDefaultBackendName(defaultBefore);
        } catch (const std::exception&) {
            // The registry refused the change itself: there is nothing of it to take back.
        }
        throw;
    }
    return config;
}

BackendConfig SeedBackend(BackendConfig config, const nlohmann::json& seed) {
    auto db = OpenBackendDatabase(config);
    SeedResult result = LoadSeed(*db, seed);
    if (config.companyNumber == 0 && result.companyNumber != 0) {
        config.companyNumber = result.companyNumber;
        SaveBackend(config);
    }
    return config;
}

BackendConfig SeedBackendFromFile(BackendConfig config, const std::filesystem::path& file) {
    auto db = OpenBackendDatabase(config);
    SeedResult result = LoadSeedFile(*db, file);
    if (config.companyNumber == 0 && result.companyNumber != 0) {
        config.companyNumber = result.companyNumber;
        SaveBackend(config);
    }
    return config;
}

std::vector<std::pair<std::string, int64_t>> TableCounts(Database& db) {
    std::vector<std::string> tables;
    {
        Statement st = db.Prepare("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid");
        while (st.Step())
            tables.push_back(st.Text(0));
    }
    std::vector<std::pair<std::string, int64_t>> counts;
    for (const auto& t : tables)
        counts.emplace_back(t, platform::automation::CLng(db.Scalar("SELECT COUNT(*) FROM " + t)));
    return counts;
}

} // namespace platform::middleware
