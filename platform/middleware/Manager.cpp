#include "platform/middleware/Manager.h"

#include "platform/middleware/AdapterConfig.h"
#include "platform/middleware/ConnectionPool.h"
#include "platform/middleware/Errors.h"

namespace platform::middleware {

using namespace platform::automation;

Manager::~Manager() {
    if (session_) GiveBackConnection(std::move(session_->db));
}

Database& Manager::Db() {
    if (!session_) session_ = OpenDefaultBackend();
    return *session_->db;
}

const BackendConfig& Manager::Backend() {
    Db();
    return session_->config;
}

void Manager::Track(const EntityPtr& entity) {
    for (const auto& t : tracked_)
        if (t == entity) return;
    tracked_.push_back(entity);
}

void Manager::Track(const std::vector<EntityPtr>& entities) {
    for (const auto& e : entities)
        Track(e);
}

void Manager::StageAdd(EntityPtr entity) {
    staged_.push_back({std::move(entity), false});
}

void Manager::StageRemove(EntityPtr entity) {
    staged_.push_back({std::move(entity), true});
}

void Manager::Defer(std::function<void(Database&)> write) {
    deferred_.push_back(std::move(write));
}

void Manager::Synchronize() {
    auto staged = std::move(staged_);
    auto deferred = std::move(deferred_);
    staged_.clear();
    deferred_.clear();
    Database& db = Db();
    std::vector<EntityPtr> written;
    try {
        Database::Transaction tx(db);
        for (auto& s : staged) {
            if (s.remove) {
                ApplyDelete(db, *s.entity);
            } else {
                ApplyInsert(db, *s.entity);
            }
            written.push_back(s.entity);
        }
        for (auto& t : tracked_)
            if (t->state() == Entity::State::Loaded && t->AnyTouched()) {
                ApplyUpdate(db, *t);
                written.push_back(t);
            }
        for (auto& write : deferred)
            write(db);
        tx.Commit();
    } catch (...) {
        // The unit of work is rolled back and forgotten; tracked records keep their values.
        for (auto& t : tracked_)
            t->ClearTouched();
        throw;
    }
    for (auto& s : staged)
        s.entity->setState(s.remove ? Entity::State::Removed : Entity::State::Loaded);
    for (auto& e : written) {
        e->ClearTouched();
        if (e->state() == Entity::State::Loaded) e->RememberKey();
    }
    for (auto& s : staged)
        if (!s.remove) Track(s.entity);
}

void Manager::ReleaseAll() {
    tracked_.clear();
    staged_.clear();
    deferred_.clear();
}

Variant Manager::Answer(std::string_view name, CallKind kind, std::span<Arg> args) {
    Variant result;
    if (AnswerOwn(name, kind, args, result)) return result;
    CallArgs call(args, name);
    if (NamesEqual(name, "getCurrentBackend")) return DefaultBackendName();
    if (NamesEqual(name, "synchronize")) {
        Synchronize();
        return Variant();
    }
    if (NamesEqual(name, "releaseAll")) {
        ReleaseAll();
        return Variant();
    }
    if (NamesEqual(name, "Add") || NamesEqual(name, "Remove")) {
        bool remove = NamesEqual(name, "Remove");
        auto entity = call.ObjectAt(0).As<Entity>();
        if (!entity || !Accepts(entity->kind()))
            throw Failure(failures::NotSupported, progId() + " does not take this object.");
        if (remove && entity->state() != Entity::State::Loaded)
            throw Failure(failures::NotFound, "The record to be removed is not in the backend.");
        if (remove)
            StageRemove(entity);
        else
            StageAdd(entity);
        return Variant();
    }
    throw AutomationError(platform::automation::errors::NotSupported);
}

RangeFilter CodeRange(const std::string& column, const std::string& from, const std::string& to) {
    return {column + " >= ? AND (? = '' OR " + column + " <= ?)", {from, to, to}};
}

} // namespace platform::middleware
