#include "platform/middleware/Backend.h"

#include <sys/stat.h>

#include <map>
#include <mutex>

#include "platform/middleware/Errors.h"
#include "platform/middleware/Schema.h"

namespace platform::middleware {

namespace {

// A client process keeps one connection to each backend database it uses open for its life, as a
// client of the real backend server keeps its connection: the managers' own connections then come
// and go without the last one's close checkpointing and removing the write-ahead log each time,
// which made a run of thousands of manager calls spend most of its time in the file system.
// A database file that is gone or replaced (the tests lay out a new one at each start) lets its
// connection go.
struct KeptConnection {
    std::unique_ptr<Database> db;
    dev_t device = 0;
    ino_t inode = 0;
};

bool FileIdentity(const std::filesystem::path& path, dev_t& device, ino_t& inode) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

void KeepConnectionTo(const std::filesystem::path& path) {
    static std::mutex lock;
    static std::map<std::filesystem::path, KeptConnection> kept;
    std::lock_guard<std::mutex> guard(lock);
    for (auto it = kept.begin(); it != kept.end();) {
        dev_t device = 0;
        ino_t inode = 0;
        const bool same = FileIdentity(it->first, device, inode) && device == it->second.device &&
                          inode == it->second.inode;
        it = same ? std::next(it) : kept.erase(it);
    }
    if (kept.count(path)) return;
    KeptConnection connection;
    if (!FileIdentity(path, connection.device, connection.inode)) return;
    try {
        connection.db = Database::Open(path, false);
    } catch (const DatabaseError&) {
        return; // the caller's own connection reports what is wrong
    }
    kept.emplace(path, std::move(connection));
}

} // namespace

std::optional<BackendConfig> MaintainedDefaultBackend() {
    auto config = FindBackend(DefaultBackendName());
    if (!config || !config->maintained) return std::nullopt;
    return config;
}

std::unique_ptr<Database> OpenBackendDatabase(const BackendConfig& config) {
    auto db = Database::Open(DatabasePath(config), false);
    EnsureSchema(*db);
    return db;
}

Session OpenDefaultBackend() {
    std::string name = TrimBlanks(DefaultBackendName());
    if (name.empty())
        throw Failure(failures::BackendNotAvailable,
                      "No default backend is maintained in the Meridane Adapter.");
    auto config = FindBackend(name);
    if (!config || !config->maintained)
        throw Failure(failures::BackendNotAvailable,
                      "The backend " + name + " is not maintained in the Meridane Adapter.");
    if (!config->started)
        throw Failure(failures::BackendNotAvailable,
                      "The business component " + name + " is not started in the backend server.");
    try {
        Session session{*config, OpenBackendDatabase(*config)};
        KeepConnectionTo(session.db->path());
        return session;
    } catch (const DatabaseError& e) {
        throw Failure(failures::BackendNotAvailable,
                      "The database of the backend " + name + " cannot be opened: " + e.what());
    }
}

} // namespace platform::middleware
