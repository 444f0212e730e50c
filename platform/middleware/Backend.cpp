#include "platform/middleware/Backend.h"
#include "platform/middleware/ConnectionPool.h"

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

// Connections that ended sessions gave back, by database file: a manager takes one instead of opening
// its own (and reading the database's schema again), as the middleware's pooled objects do. A file
// that is gone, replaced or changed outside the connections' log since lets its connections go: a new
// file may take the inode of a removed one, never its change time as well.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed{};
    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};
bool StampOf(const std::filesystem::path& path, FileStamp& stamp) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    stamp = {info.st_dev, info.st_ino, info.st_ctim};
    return true;
}
struct PooledConnection {
    std::unique_ptr<Database> db;
    FileStamp stamp;
};
// Managers held in the program's globals go at its exit, after the pool: they close their connections
// themselves then.
bool& PoolGone() {
    static bool gone = false;
    return gone;
}
struct ConnectionPool {
    std::mutex lock;
    std::multimap<std::filesystem::path, PooledConnection> idle;
    static constexpr size_t kMostPerFile = 4;
    ~ConnectionPool() { PoolGone() = true; }
};
ConnectionPool& Pool() {
    static ConnectionPool pool;
    return pool;
}

} // namespace

std::unique_ptr<Database> TakePooledConnection(const std::filesystem::path& path) {
    FileStamp now;
    if (PoolGone() || !StampOf(path, now)) return nullptr;
    ConnectionPool& pool = Pool();
    std::lock_guard<std::mutex> guard(pool.lock);
    auto [from, to] = pool.idle.equal_range(path);
    for (auto it = from; it != to;) {
        if (!(it->second.stamp == now)) {
            it = pool.idle.erase(it);
            continue;
        }
        std::unique_ptr<Database> db = std::move(it->second.db);
        pool.idle.erase(it);
        return db;
    }
    return nullptr;
}

void GiveBackConnection(std::unique_ptr<Database> db) {
    PooledConnection pooled;
    if (!db || PoolGone() || !StampOf(db->path(), pooled.stamp)) return;
    // A transaction left open by a failed call is not handed on to the next manager.
    try {
        db->Exec("ROLLBACK");
    } catch (const DatabaseError&) {
        // none was open
    }
    const std::filesystem::path path = db->path();
    ConnectionPool& pool = Pool();
    std::lock_guard<std::mutex> guard(pool.lock);
    // Connections to files that are gone or replaced are let go, whichever file they belong to.
    for (auto it = pool.idle.begin(); it != pool.idle.end();) {
        FileStamp now;
        it = StampOf(it->first, now) && now == it->second.stamp ? std::next(it) : pool.idle.erase(it);
    }
    if (pool.idle.count(path) >= ConnectionPool::kMostPerFile) return;
    pooled.db = std::move(db);
    pool.idle.emplace(path, std::move(pooled));
}

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
        std::unique_ptr<Database> db = TakePooledConnection(DatabasePath(*config));
        if (!db) db = OpenBackendDatabase(*config);
        Session session{*config, std::move(db)};
        KeepConnectionTo(session.db->path());
        return session;
    } catch (const DatabaseError& e) {
        throw Failure(failures::BackendNotAvailable,
                      "The database of the backend " + name + " cannot be opened: " + e.what());
    }
}

} // namespace platform::middleware
