#pragma once
// The base of every manager: the members all managers share (`getCurrentBackend`, `Add`, `Remove`,
// `synchronize`, `releaseAll`), the backend session, and the working set. Records read through a
// manager and tracked, records given to `Add` or `Remove`, and deferred writes make up the working set;
// `synchronize` writes all of it in one transaction (all or nothing), `releaseAll` forgets it. Open
// paged lists are not part of the working set and survive both.
//
// A manager class derives from ManagerOf<T> and lists its own members in `static const
// MemberTable<T>& Members()`; they are tried before the shared ones.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/middleware/Backend.h"
#include "platform/middleware/Entity.h"
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

class Manager : public StandInObject {
public:
    explicit Manager(std::string progId) : StandInObject(progId, progId) {}
    ~Manager() override; // gives the session's connection back to the pool

    // The default backend, opened on first use (a failure when it cannot be used).
    Database& Db();
    const BackendConfig& Backend();

    // Working set.
    void Track(const EntityPtr& entity);
    void Track(const std::vector<EntityPtr>& entities);
    void StageAdd(EntityPtr entity);
    void StageRemove(EntityPtr entity);
    void Defer(std::function<void(Database&)> write);
    void Synchronize();
    void ReleaseAll();

    const std::string& progId() const { return className(); }

protected:
    platform::automation::Variant Answer(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) override;
    virtual bool AnswerOwn(std::string_view name, platform::automation::CallKind kind,
                           std::span<platform::automation::Arg> args,
                           platform::automation::Variant& result) = 0;

    // The kinds of record that `Add` and `Remove` take (none by default).
    virtual bool Accepts(const EntityKind&) const { return false; }
    // How a change reaches the database; override to validate or to fill generated values.
    virtual void ApplyInsert(Database& db, Entity& entity) { InsertEntity(db, entity); }
    virtual void ApplyUpdate(Database& db, Entity& entity) { UpdateEntity(db, entity); }
    virtual void ApplyDelete(Database& db, Entity& entity) { DeleteEntity(db, entity); }

private:
    struct Staged {
        EntityPtr entity;
        bool remove;
    };
    std::optional<Session> session_;
    std::vector<EntityPtr> tracked_;
    std::vector<Staged> staged_;
    std::vector<std::function<void(Database&)>> deferred_;
};

template <class T> class ManagerOf : public Manager {
public:
    using Manager::Manager;

protected:
    bool AnswerOwn(std::string_view name, platform::automation::CallKind kind,
                   std::span<platform::automation::Arg> args,
                   platform::automation::Variant& result) override {
        const auto& table = T::Members();
        if (!table.Contains(name)) return false;
        result = table.Dispatch(static_cast<T&>(*this), name, kind, args);
        return true;
    }
};

// "col >= ? AND (? = '' OR col <= ?)" with its values: the from/to range of the list calls ("" to "zzzz").
struct RangeFilter {
    std::string condition;
    std::vector<platform::automation::Variant> values;
};
RangeFilter CodeRange(const std::string& column, const std::string& from, const std::string& to);

} // namespace platform::middleware
