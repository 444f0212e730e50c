#pragma once
// ERP records as late-bound objects. An EntityKind says which table a kind of record lives in and which
// getter and setter names map to which column; an Entity is one record, answering its getters, taking
// its setters (remembering which were called), and written back by the manager at synchronize.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Variant.h"
#include "platform/middleware/Database.h"
#include "platform/middleware/StandInObject.h"

namespace platform::middleware {

enum class FieldType {
    Text,    // String
    Integer, // 16-bit
    Long,    // 32-bit
    Single,
    Double,
    Boolean,
    Stamp, // kept as a 14-digit stamp, answered and taken as a date object (Nothing = no date)
};

struct Field {
    std::string name;   // the name stand-in code uses ("ProjectID")
    std::string column; // its column; empty for a value that is not stored
    FieldType type = FieldType::Text;
    std::vector<std::string> getters;
    std::vector<std::string> setters;
    bool key = false;
};

struct EntityKind {
    std::string className; // "Project.Project"
    std::string table;
    std::vector<Field> fields;

    // -1 when there is no such field.
    int FieldIndex(std::string_view name) const;
    // "a, b, c" of the stored columns, in field order.
    std::string ColumnList() const;
};

class Entity : public StandInObject {
public:
    enum class State { Detached, Loaded, New, Removed };

    Entity(const EntityKind& kind, std::string origin);

    const EntityKind& kind() const { return *kind_; }
    State state() const { return state_; }
    void setState(State s) { state_ = s; }

    // The stored form of a field: text, a number, or a stamp as text; Empty = no value (NULL).
    const platform::automation::Variant& Value(std::string_view field) const;
    std::string Text(std::string_view field) const;
    void SetValue(std::string_view field, platform::automation::Variant value);
    // The same by the field's place in the kind's list.
    void SetValueAt(size_t fieldIndex, platform::automation::Variant value);
    bool Touched(std::string_view field) const;
    bool AnyTouched() const;
    void ClearTouched();
    // The key values the record had when it was read (so that an update may change a key field).
    const std::vector<platform::automation::Variant>& LoadedKey() const { return loadedKey_; }
    void RememberKey();

    // Extra members a kind needs beyond its field getters and setters; tried after them.
    using Extra = std::function<bool(Entity&, std::string_view name, platform::automation::CallArgs& args,
                                     platform::automation::Variant& result)>;
    void setExtra(Extra extra) { extra_ = std::move(extra); }

protected:
    platform::automation::Variant Answer(std::string_view name, platform::automation::CallKind kind,
                                         std::span<platform::automation::Arg> args) override;

private:
    size_t IndexOf(std::string_view name) const;
    const EntityKind* kind_;
    std::vector<platform::automation::Variant> values_;
    std::vector<bool> touched_;
    std::vector<platform::automation::Variant> loadedKey_;
    State state_ = State::Detached;
    Extra extra_;
};

using EntityPtr = std::shared_ptr<Entity>;

// Reads records of a kind: "SELECT <columns> FROM <table> [WHERE ...] [ORDER BY ...]".
std::vector<EntityPtr> LoadEntities(Database& db, const EntityKind& kind, const std::string& where,
                                    const std::vector<platform::automation::Variant>& values,
                                    const std::string& orderBy, const std::string& origin);
// Reads records from any query whose result columns carry the kind's column names.
std::vector<EntityPtr> QueryEntities(Database& db, const EntityKind& kind, const std::string& sql,
                                     const std::vector<platform::automation::Variant>& values,
                                     const std::string& origin);

// Writes one record: every stored field, the touched ones, or its removal (by the key it was read with).
void InsertEntity(Database& db, const Entity& entity);
void UpdateEntity(Database& db, const Entity& entity);
void DeleteEntity(Database& db, const Entity& entity);

// Objects for a list of records.
std::vector<platform::automation::Object> AsObjects(const std::vector<EntityPtr>& entities);

} // namespace platform::middleware
