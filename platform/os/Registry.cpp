#include "platform/os/Registry.h"

#include "platform/os/KovaHome.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::os {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kHiveNames[3] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

struct Value {
    std::string name;
    uint32_t type = 0;
    std::string bytes;
};

struct Key {
    std::string name;
    std::vector<Key> keys;
    std::vector<Value> values;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

Key* FindKey(Key& parent, const std::string& name) {
    for (auto& k : parent.keys)
        if (SameName(k.name, name)) return &k;
    return nullptr;
}

Value* FindValue(Key& key, const std::string& name) {
    for (auto& v : key.values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        c = Lower(c);
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        throw std::runtime_error("invalid hexadecimal digit");
    };
    if (hex.size() % 2) throw std::runtime_error("odd number of hexadecimal digits");
    std::string bytes(hex.size() / 2, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    return bytes;
}

Json ToJson(const Key& key) {
    Json j = Json::object();
    if (!key.values.empty()) {
        Json values = Json::object();
        for (const auto& v : key.values)
            values[v.name] = Json{{"type", v.type}, {"data", ToHex(v.bytes)}};
        j["values"] = std::move(values);
    }
    if (!key.keys.empty()) {
        Json keys = Json::object();
        for (const auto& k : key.keys)
            keys[k.name] = ToJson(k);
        j["keys"] = std::move(keys);
    }
    return j;
}

// Throws on a malformed document, naming the key (its whole path, from the hive) and the value;
// names that repeat without regard to case keep their first entry.
void FromJson(const Json& j, Key& key, const std::string& path) {
    if (!j.is_object()) throw std::runtime_error("the key \"" + path + "\" is not an object");
    if (auto it = j.find("values"); it != j.end()) {
        if (!it->is_object()) throw std::runtime_error("the values of the key \"" + path + "\" are not an object");
        for (const auto& [name, v] : it->items()) {
            if (FindValue(key, name)) continue;
            const std::string where = "the value \"" + name + "\" of the key \"" + path + "\"";
            if (!v.is_object()) throw std::runtime_error(where + " is not an object");
            const auto type = v.find("type"), data = v.find("data");
            if (type == v.end() || !type->is_number_unsigned() || type->get<uint64_t>() > UINT32_MAX)
                throw std::runtime_error(where + " has no type (a whole number of 0 or more)");
            if (data == v.end() || !data->is_string())
                throw std::runtime_error(where + " has no data (a text of hexadecimal digits)");
            Value value{name, type->get<uint32_t>(), {}};
            try {
                value.bytes = FromHex(data->get<std::string>());
            } catch (const std::runtime_error& e) {
                throw std::runtime_error(where + " has an " + e.what() + " in its data");
            }
            if (value.type == REG_DWORD && value.bytes.size() != 4)
                throw std::runtime_error(where + " is a DWORD of " + std::to_string(value.bytes.size()) +
                                         " bytes instead of 4");
            key.values.push_back(std::move(value));
        }
    }
    if (auto it = j.find("keys"); it != j.end()) {
        if (!it->is_object()) throw std::runtime_error("the subkeys of the key \"" + path + "\" are not an object");
        for (const auto& [name, child] : it->items()) {
            if (FindKey(key, name)) continue;
            Key k;
            k.name = name;
            FromJson(child, k, path + "\\" + name);
            key.keys.push_back(std::move(k));
        }
    }
}

// What identifies one version of the file: every write replaces it by a rename.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long mtimeSec = 0, mtimeNsec = 0;

    static FileStamp Of(const struct stat& st) {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    }
    bool operator==(const FileStamp&) const = default;
};

struct Handle {
    int hive;
    std::vector<std::string> path;
};

class Store {
public:
    // Runs a read under the process lock with the tree as the file holds it now.
    template <class F> int32_t Read(F&& f) {
        std::lock_guard guard(mutex_);
        if (!Refresh()) return ERROR_REGISTRY_CORRUPT;
        return f();
    }

    // Runs a read-modify-write under the process lock and the machine-wide lock file; `f` sets
    // `changed` when the tree must be written back.
    template <class F> int32_t Modify(F&& f) {
        std::lock_guard guard(mutex_);
        auto file = KovaHome() / "registry.json";
        auto lockPath = file;
        lockPath += ".lock";
        int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            problem_ = "The registry lock \"" + lockPath.string() + "\" cannot be opened (" + std::strerror(errno) + ").";
            return ERROR_CANTWRITE;
        }
        if (!LockWithinBound(fd, lockPath)) {
            ::close(fd);
            return ERROR_TIMEOUT;
        }
        int32_t rc = ERROR_REGISTRY_CORRUPT;
        if (Refresh()) {
            bool changed = false;
            rc = f(changed);
            if (rc == ERROR_SUCCESS && changed) rc = Save();
        }
        ::close(fd);
        return rc;
    }

    // Handles of opened keys, valid until closed.
    Key* Resolve(HKEY h, int32_t& rc, Handle* info = nullptr) {
        Handle found;
        if (h >= HKEY_CLASSES_ROOT && h <= HKEY_LOCAL_MACHINE) {
            found.hive = static_cast<int>(h - HKEY_CLASSES_ROOT);
        } else if (auto it = handles_.find(h); it != handles_.end()) {
            found = it->second;
        } else {
            rc = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        Key* key = Walk(&hives_[found.hive], found.path, false);
        if (!key) {
            rc = ERROR_KEY_DELETED;
            return nullptr;
        }
        if (info) *info = std::move(found);
        rc = ERROR_SUCCESS;
        return key;
    }

    HKEY NewHandle(Handle info) {
        HKEY h = next_++;
        handles_[h] = std::move(info);
        return h;
    }

    bool CloseHandle(HKEY h) {
        if (h >= HKEY_CLASSES_ROOT && h <= HKEY_LOCAL_MACHINE) return true;
        return handles_.erase(h) > 0;
    }

    static Key* Walk(Key* key, const std::vector<std::string>& parts, bool create, bool* created = nullptr) {
        for (const auto& part : parts) {
            Key* child = FindKey(*key, part);
            if (!child) {
                if (!create) return nullptr;
                key->keys.push_back(Key{part, {}, {}});
                child = &key->keys.back();
                if (created) *created = true;
            }
            key = child;
        }
        return key;
    }

private:
    // Takes the machine-wide lock, waiting for another process that holds it: after a second the wait
    // is told on stderr, and after the bound ($KOVA_REGISTRY_LOCK_WAIT seconds, else 30) it is given up.
    bool LockWithinBound(int fd, const std::filesystem::path& lockPath) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        // A process that gave up once does not wait again: each later change tries the lock once.
        const double configured = RegistryLockWaitSeconds();
        const auto bound = std::chrono::duration<double>(gaveUp_ ? 0.0 : configured);
        bool told = false;
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) {
                problem_ = "The registry lock \"" + lockPath.string() + "\" cannot be taken (" + std::strerror(errno) + ").";
                return false;
            }
            const auto waited = Clock::now() - start;
            if (waited >= bound) {
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%g", configured);
                problem_ = "The registry lock \"" + lockPath.string() + "\" is still held by another program after " +
                           seconds + " s: the registry was not changed.";
                if (!gaveUp_)
                    std::fprintf(stderr, "%s This program no longer waits for it.\n", problem_.c_str());
                gaveUp_ = true;
                return false;
            }
            if (!told && waited >= std::chrono::seconds(1)) {
                std::fprintf(stderr, "Waiting for the registry lock \"%s\", held by another program ...\n",
                             lockPath.c_str());
                told = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        gaveUp_ = false;
        return true;
    }

    static double RegistryLockWaitSeconds() {
        if (const char* text = std::getenv("KOVA_REGISTRY_LOCK_WAIT"); text && *text) {
            char* end = nullptr;
            const double seconds = std::strtod(text, &end);
            if (*end == '\0' && seconds >= 0 && seconds <= 3600) return seconds;
        }
        return 30;
    }

    // Re-reads the file when another process (or a test) replaced it. False when it is unreadable.
    bool Refresh() {
        auto file = KovaHome() / "registry.json";
        struct stat st;
        FileStamp now = ::stat(file.c_str(), &st) == 0 ? FileStamp::Of(st) : FileStamp{};
        if (file == file_ && now == stamp_ && !corrupt_) return true;

        for (auto& hive : hives_)
            hive = Key{};
        file_ = file;
        stamp_ = FileStamp{};
        corrupt_ = false;
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) return true; // no file yet: an empty registry
            corrupt_ = true;
            problem_ = "The registry \"" + file.string() + "\" cannot be read (" + std::strerror(errno) + ").";
            return false;
        }
        std::string text;
        bool ok = ::fstat(fd, &st) == 0;
        if (ok) {
            stamp_ = FileStamp::Of(st);
            char chunk[65536];
            ssize_t n;
            while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
                text.append(chunk, static_cast<size_t>(n));
            ok = n == 0;
        }
        ::close(fd);
        // Every write leaves a whole document: anything else is damage, and the file is never written
        // over, so that what it holds can still be mended by hand.
        std::string reason = ok ? "" : "it cannot be read";
        if (ok) {
            try {
                if (text.empty()) throw std::runtime_error("it is empty");
                Json doc = Json::parse(text);
                if (!doc.is_object()) throw std::runtime_error("it does not hold the hives");
                for (int i = 0; i < 3; ++i) {
                    hives_[i].name = kHiveNames[i];
                    if (auto it = doc.find(kHiveNames[i]); it != doc.end()) FromJson(*it, hives_[i], kHiveNames[i]);
                }
            } catch (const std::exception& e) {
                ok = false;
                reason = e.what();
                if (!reason.empty() && reason.front() == '[' && reason.find("] ") != std::string::npos)
                    reason.erase(0, reason.find("] ") + 2);
            }
        }
        if (!ok) {
            for (auto& hive : hives_)
                hive = Key{};
            corrupt_ = true;
            problem_ = "The registry \"" + file.string() + "\" is damaged (" + reason +
                       "); it was left as it is.";
        }
        return ok;
    }

    int32_t Save() {
        Json doc = Json::object();
        for (int i = 0; i < 3; ++i)
            doc[kHiveNames[i]] = ToJson(hives_[i]);
        struct stat st;
        if (!WriteFileAtomically(file_, doc.dump(2) + "\n") || ::stat(file_.c_str(), &st) != 0) {
            problem_ = "The registry \"" + file_.string() + "\" could not be written (" + std::strerror(errno) + ").";
            file_.clear(); // the tree in memory no longer matches the file: read it again next time
            return ERROR_CANTWRITE;
        }
        stamp_ = FileStamp::Of(st);
        return ERROR_SUCCESS;
    }

public:
    std::string problem_; // why the last call that failed on the file failed

private:
    std::mutex mutex_;
    bool gaveUp_ = false; // the last wait for the lock was given up
    std::filesystem::path file_;
    FileStamp stamp_;
    bool corrupt_ = false;
    Key hives_[3];
    std::map<HKEY, Handle> handles_;
    HKEY next_ = 1;
};

Store& TheStore() {
    static Store* store = new Store; // never destroyed: handles may be closed during exit
    return *store;
}

int32_t OpenOrCreate(HKEY hkey, const std::string& subKey, HKEY* result, bool create) {
    if (!result) return ERROR_INVALID_PARAMETER;
    auto& store = TheStore();
    auto body = [&](bool& changed) {
        int32_t rc;
        Handle info;
        Key* base = store.Resolve(hkey, rc, &info);
        if (!base) return rc;
        auto parts = SplitPath(subKey);
        if (!Store::Walk(base, parts, create, &changed)) return ERROR_FILE_NOT_FOUND;
        info.path.insert(info.path.end(), parts.begin(), parts.end());
        *result = store.NewHandle(std::move(info));
        return ERROR_SUCCESS;
    };
    if (create) return store.Modify(body);
    return store.Read([&] {
        bool unused = false;
        return body(unused);
    });
}

} // namespace

int32_t RegOpenKey(HKEY hkey, const std::string& subKey, HKEY* result) {
    return OpenOrCreate(hkey, subKey, result, false);
}

int32_t RegCreateKey(HKEY hkey, const std::string& subKey, HKEY* result) {
    return OpenOrCreate(hkey, subKey, result, true);
}

int32_t RegQueryValueEx(HKEY hkey, const std::string& name, uint32_t* type, void* buffer, uint32_t* length) {
    if (buffer && !length) return ERROR_INVALID_PARAMETER;
    auto& store = TheStore();
    return store.Read([&] {
        int32_t rc;
        Key* key = store.Resolve(hkey, rc);
        if (!key) return rc;
        Value* value = FindValue(*key, name);
        if (!value) return ERROR_FILE_NOT_FOUND;
        if (type) *type = value->type;
        auto size = static_cast<uint32_t>(value->bytes.size());
        if (!buffer) {
            if (length) *length = size;
            return ERROR_SUCCESS;
        }
        if (*length < size) {
            *length = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(buffer, value->bytes.data(), size);
        *length = size;
        return ERROR_SUCCESS;
    });
}

int32_t RegSetValueEx(HKEY hkey, const std::string& name, uint32_t type, const void* data,
                      uint32_t byteCount) {
    if (!data && byteCount > 0) return ERROR_INVALID_PARAMETER;
    std::string bytes(static_cast<const char*>(data), byteCount);
    auto& store = TheStore();
    return store.Modify([&](bool& changed) {
        int32_t rc;
        Key* key = store.Resolve(hkey, rc);
        if (!key) return rc;
        Value* value = FindValue(*key, name);
        if (!value) {
            key->values.push_back(Value{name, type, std::move(bytes)});
        } else if (value->type != type || value->bytes != bytes) {
            value->type = type;
            value->bytes = std::move(bytes);
        } else {
            return ERROR_SUCCESS;
        }
        changed = true;
        return ERROR_SUCCESS;
    });
}

int32_t RegFlushKey(HKEY hkey) {
    // Every change is already on disk; flushing only checks the handle.
    auto& store = TheStore();
    return store.Read([&] {
        int32_t rc;
        store.Resolve(hkey, rc);
        return rc;
    });
}

int32_t RegCloseKey(HKEY hkey) {
    auto& store = TheStore();
    return store.Read([&] { return store.CloseHandle(hkey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; });
}

namespace {

// Removes the key at `path` below `hkey`; with `tree` its subkeys go too.
int32_t DeleteKey(HKEY hkey, const std::string& subKey, bool tree) {
    auto& store = TheStore();
    return store.Modify([&](bool& changed) {
        int32_t rc;
        Handle info;
        Key* base = store.Resolve(hkey, rc, &info);
        if (!base) return rc;
        auto parts = SplitPath(subKey);
        parts.insert(parts.begin(), info.path.begin(), info.path.end());
        if (parts.empty()) return ERROR_ACCESS_DENIED; // a hive itself cannot go
        auto target = parts.back();
        parts.pop_back();
        int32_t unused;
        Key* parent = Store::Walk(store.Resolve(HKEY_CLASSES_ROOT + info.hive, unused), parts, false);
        Key* key = parent ? FindKey(*parent, target) : nullptr;
        if (!key) return ERROR_FILE_NOT_FOUND;
        if (!tree && !key->keys.empty()) return ERROR_ACCESS_DENIED;
        parent->keys.erase(parent->keys.begin() + (key - parent->keys.data()));
        changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace

int32_t RegDeleteKey(HKEY hkey, const std::string& subKey) {
    return DeleteKey(hkey, subKey, false);
}

int32_t RegDeleteValue(HKEY hkey, const std::string& name) {
    auto& store = TheStore();
    return store.Modify([&](bool& changed) {
        int32_t rc;
        Key* key = store.Resolve(hkey, rc);
        if (!key) return rc;
        Value* value = FindValue(*key, name);
        if (!value) return ERROR_FILE_NOT_FOUND;
        key->values.erase(key->values.begin() + (value - key->values.data()));
        changed = true;
        return ERROR_SUCCESS;
    });
}

namespace {

bool GetValue(HKEY hive, const std::string& path, const std::string& name, Value& out) {
    auto& store = TheStore();
    return store.Read([&] {
        int32_t rc;
        Key* base = store.Resolve(hive, rc);
        Key* key = base ? Store::Walk(base, SplitPath(path), false) : nullptr;
        Value* value = key ? FindValue(*key, name) : nullptr;
        if (!value) return ERROR_FILE_NOT_FOUND;
        out = *value;
        return ERROR_SUCCESS;
    }) == ERROR_SUCCESS;
}

bool SetValue(HKEY hive, const std::string& path, const std::string& name, uint32_t type, std::string bytes) {
    auto& store = TheStore();
    return store.Modify([&](bool& changed) {
        int32_t rc;
        Key* base = store.Resolve(hive, rc);
        if (!base) return rc;
        Key* key = Store::Walk(base, SplitPath(path), true, &changed);
        Value* value = FindValue(*key, name);
        if (!value) {
            key->values.push_back(Value{name, type, std::move(bytes)});
        } else if (value->type != type || value->bytes != bytes) {
            value->type = type;
            value->bytes = std::move(bytes);
        } else {
            return ERROR_SUCCESS;
        }
        changed = true;
        return ERROR_SUCCESS;
    }) == ERROR_SUCCESS;
}

bool DecodeString(const Value& found, std::string& value) {
    if (found.type != REG_SZ) return false;
    value = found.bytes;
    if (!value.empty() && value.back() == '\0') value.pop_back();
    return true;
}

bool DecodeDword(const Value& found, uint32_t& value) {
    if (found.type != REG_DWORD || found.bytes.size() != 4) return false;
    value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(found.bytes[i]);
    return true;
}

} // namespace

bool RegistryGetString(HKEY hive, const std::string& path, const std::string& name, std::string& value) {
    Value found;
    return GetValue(hive, path, name, found) && DecodeString(found, value);
}

bool RegistrySetString(HKEY hive, const std::string& path, const std::string& name,
                       const std::string& value) {
    return SetValue(hive, path, name, REG_SZ, value + '\0');
}

bool RegistryGetDword(HKEY hive, const std::string& path, const std::string& name, uint32_t& value) {
    Value found;
    return GetValue(hive, path, name, found) && DecodeDword(found, value);
}

bool RegistryGetValues(HKEY hive, const std::string& path,
                       const std::vector<std::pair<std::string, std::string*>>& strings,
                       const std::vector<std::pair<std::string, std::optional<uint32_t>*>>& dwords) {
    auto& store = TheStore();
    return store.Read([&] {
        int32_t rc;
        Key* base = store.Resolve(hive, rc);
        if (!base) return rc;
        Key* key = Store::Walk(base, SplitPath(path), false);
        if (!key) return ERROR_FILE_NOT_FOUND;
        for (const auto& [name, out] : strings)
            if (const Value* v = FindValue(*key, name)) DecodeString(*v, *out);
        for (const auto& [name, out] : dwords) {
            uint32_t n = 0;
            if (const Value* v = FindValue(*key, name); v && DecodeDword(*v, n)) *out = n;
        }
        return ERROR_SUCCESS;
    }) == ERROR_SUCCESS;
}

bool RegistrySetDword(HKEY hive, const std::string& path, const std::string& name, uint32_t value) {
    std::string bytes(4, '\0'); // little-endian, as the registry keeps a DWORD
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return SetValue(hive, path, name, REG_DWORD, std::move(bytes));
}

bool RegistryKeyExists(HKEY hive, const std::string& path) {
    auto& store = TheStore();
    return store.Read([&] {
        int32_t rc;
        Key* base = store.Resolve(hive, rc);
        if (!base) return rc;
        return Store::Walk(base, SplitPath(path), false) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }) == ERROR_SUCCESS;
}

bool RegistryDeleteTree(HKEY hive, const std::string& path) {
    return DeleteKey(hive, path, true) == 0;
}

std::string RegistryDamage() {
    auto& store = TheStore();
    std::string problem;
    if (store.Read([] { return ERROR_SUCCESS; }) == ERROR_REGISTRY_CORRUPT) problem = store.problem_;
    return problem;
}

std::string RegistryLastProblem() {
    return TheStore().problem_;
}

} // namespace platform::os
