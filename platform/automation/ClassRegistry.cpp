#include "platform/automation/ClassRegistry.h"

#include <cctype>
#include <map>
#include <mutex>

#include "platform/automation/Error.h"
#include "platform/automation/Object.h"

namespace platform::automation {
namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Tables {
    std::mutex lock;
    std::map<std::string, ClassInfo> classes; // by lower-case ProgID
    std::vector<std::pair<std::string, std::function<Object(const std::string&)>>> monikers;
    std::map<std::string, Object> running;
};

Tables& tables() {
    static Tables t;
    return t;
}

} // namespace

void RegisterClass(ClassInfo info) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    std::string key = Lower(info.progId);
    t.classes[key] = std::move(info);
}

void UnregisterClass(const std::string& progId) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    t.classes.erase(Lower(progId));
}

bool IsClassRegistered(const std::string& progId) {
    return FindClass(progId).has_value();
}

std::optional<ClassInfo> FindClass(const std::string& progId) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    auto it = t.classes.find(Lower(progId));
    if (it == t.classes.end()) return std::nullopt;
    return it->second;
}

std::optional<ClassInfo> FindClassById(const std::string& classId) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    for (const auto& [key, info] : t.classes)
        if (NamesEqual(info.classId, classId)) return info;
    return std::nullopt;
}

std::vector<ClassInfo> RegisteredClasses() {
    auto& t = tables();
    std::lock_guard g(t.lock);
    std::vector<ClassInfo> out;
    for (const auto& [key, info] : t.classes)
        out.push_back(info);
    return out;
}

Object CreateObject(const std::string& progId) {
    auto info = FindClass(progId);
    if (!info || !info->factory) {
        Err().Raise(errors::CantCreateObject);
        return Object();
    }
    Object created;
    try {
        created = info->factory();
    } catch (...) {
        created = Object();
    }
    if (created.IsNothing()) {
        Err().Raise(errors::CantCreateObject);
        return Object();
    }
    return created;
}

void RegisterMoniker(const std::string& prefix, std::function<Object(const std::string&)> handler) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    for (auto& entry : t.monikers)
        if (NamesEqual(entry.first, prefix)) {
            entry.second = std::move(handler);
            return;
        }
    t.monikers.emplace_back(prefix, std::move(handler));
}

void UnregisterMoniker(const std::string& prefix) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    std::erase_if(t.monikers, [&](const auto& e) { return NamesEqual(e.first, prefix); });
}

void RegisterActiveObject(const std::string& name, Object object) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    t.running[Lower(name)] = std::move(object);
}

void RevokeActiveObject(const std::string& name) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    t.running.erase(Lower(name));
}

Object GetObject(const std::string& moniker) {
    std::function<Object(const std::string&)> handler;
    {
        auto& t = tables();
        std::lock_guard g(t.lock);
        for (const auto& [prefix, h] : t.monikers)
            if (moniker.size() >= prefix.size() && NamesEqual(moniker.substr(0, prefix.size()), prefix)) {
                handler = h;
                break;
            }
        if (!handler) {
            auto it = t.running.find(Lower(moniker));
            if (it != t.running.end()) return it->second;
        }
    }
    if (!handler) {
        Err().Raise(errors::ClassNotFound);
        return Object();
    }
    Object found;
    try {
        found = handler(moniker);
    } catch (const AutomationError& e) {
        Err().Raise(e.number, e.source, e.description);
        return Object();
    }
    if (found.IsNothing()) Err().Raise(errors::CantCreateObject);
    return found;
}

} // namespace platform::automation
