#include "platform/middleware/Entity.h"

#include "platform/middleware/Errors.h"
#include "platform/middleware/JavaDate.h"

namespace platform::middleware {

using namespace platform::automation;

int EntityKind::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (NamesEqual(fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string EntityKind::ColumnList() const {
    std::string list;
    for (const auto& f : fields) {
        if (f.column.empty()) continue;
        if (!list.empty()) list += ", ";
        list += f.column;
    }
    return list;
}

Entity::Entity(const EntityKind& kind, std::string origin)
    : StandInObject(kind.className, std::move(origin)), kind_(&kind), values_(kind.fields.size()),
      touched_(kind.fields.size(), false) {}

size_t Entity::IndexOf(std::string_view name) const {
    int i = kind_->FieldIndex(name);
    if (i < 0) throw std::logic_error(kind_->className + " has no field " + std::string(name));
    return static_cast<size_t>(i);
}

const Variant& Entity::Value(std::string_view field) const {
    return values_[IndexOf(field)];
}

std::string Entity::Text(std::string_view field) const {
    const Variant& v = Value(field);
    return v.IsEmpty() ? std::string() : strict::ToString(v);
}

void Entity::SetValue(std::string_view field, Variant value) {
    SetValueAt(IndexOf(field), std::move(value));
}

void Entity::SetValueAt(size_t fieldIndex, Variant value) {
    values_.at(fieldIndex) = std::move(value);
    touched_[fieldIndex] = true;
}

bool Entity::Touched(std::string_view field) const {
    return touched_[IndexOf(field)];
}

bool Entity::AnyTouched() const {
    for (size_t i = 0; i < touched_.size(); ++i)
        if (touched_[i] && !kind_->fields[i].column.empty()) return true;
    return false;
}

void Entity::ClearTouched() {
    std::fill(touched_.begin(), touched_.end(), false);
}

void Entity::RememberKey() {
    loadedKey_.clear();
    for (size_t i = 0; i < kind_->fields.size(); ++i)
        if (kind_->fields[i].key) loadedKey_.push_back(values_[i]);
}

namespace {

Variant Answered(const Field& f, const Variant& stored) {
    if (f.type == FieldType::Stamp) {
        if (stored.IsEmpty()) return Variant(Object());
        return Variant(MakeJavaDate(strict::ToString(stored)));
    }
    if (stored.IsEmpty()) return stored;
    switch (f.type) {
    case FieldType::Text: return Variant(strict::ToString(stored));
    case FieldType::Integer: return Variant(strict::ToInteger(stored));
    case FieldType::Long: return Variant(strict::ToLong(stored));
    case FieldType::Single: return Variant(strict::ToSingle(stored));
    case FieldType::Double: return Variant(strict::ToDouble(stored));
    case FieldType::Boolean: return Variant(strict::ToBoolean(stored));
    case FieldType::Stamp: break;
    }
    return stored;
}

Variant Stored(const Field& f, const Variant& given) {
    switch (f.type) {
    case FieldType::Stamp: {
        Object date = strict::ToObject(given);
        if (date.IsNothing()) return Variant();
        std::string stamp = JavaDateStamp(date);
        if (stamp.empty()) throw AutomationError(platform::automation::errors::TypeMismatch);
        return Variant(stamp);
    }
    case FieldType::Text: return Variant(strict::ToString(given));
    case FieldType::Integer: return Variant(int32_t(strict::ToInteger(given)));
    case FieldType::Long: return Variant(strict::ToLong(given));
    case FieldType::Single: return Variant(double(strict::ToSingle(given)));
    case FieldType::Double: return Variant(strict::ToDouble(given));
    case FieldType::Boolean: return Variant(int32_t(strict::ToBoolean(given) ? 1 : 0));
    }
    return given;
}

} // namespace

Variant Entity::Answer(std::string_view name, CallKind, std::span<Arg> args) {
    for (size_t i = 0; i < kind_->fields.size(); ++i) {
        const Field& f = kind_->fields[i];
        for (const auto& g : f.getters)
            if (NamesEqual(g, name)) return Answered(f, values_[i]);
        for (const auto& s : f.setters)
            if (NamesEqual(s, name)) {
                if (args.empty()) throw AutomationError(platform::automation::errors::ArgumentNotOptional);
                values_[i] = Stored(f, args[0].value);
                touched_[i] = true;
                return Variant();
            }
    }
    if (extra_) {
        CallArgs call(args, name);
        Variant result;
        if (extra_(*this, name, call, result)) return result;
    }
    throw AutomationError(platform::automation::errors::NotSupported);
}

std::vector<EntityPtr> QueryEntities(Database& db, const EntityKind& kind, const std::string& sql,
                                     const std::vector<Variant>& values, const std::string& origin) {
    Statement st = db.Prepare(sql);
    st.BindAll(values);
    std::vector<int> fieldOfColumn;
    const int columns = st.ColumnCount();
    for (int c = 0; c < columns; ++c) {
        const std::string name = st.ColumnName(c);
        int found = -1;
        for (size_t i = 0; i < kind.fields.size(); ++i)
            if (!kind.fields[i].column.empty() && NamesEqual(kind.fields[i].column, name))
                found = static_cast<int>(i);
        fieldOfColumn.push_back(found);
    }
    std::vector<EntityPtr> out;
    while (st.Step()) {
        auto e = std::make_shared<Entity>(kind, origin);
        for (int c = 0; c < columns; ++c)
            if (fieldOfColumn[c] >= 0)
                e->SetValueAt(static_cast<size_t>(fieldOfColumn[c]), st.Value(c));
        e->ClearTouched();
        e->RememberKey();
        e->setState(Entity::State::Loaded);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<EntityPtr> LoadEntities(Database& db, const EntityKind& kind, const std::string& where,
                                    const std::vector<Variant>& values, const std::string& orderBy,
                                    const std::string& origin) {
    std::string sql = "SELECT " + kind.ColumnList() + " FROM " + kind.table;
    if (!where.empty()) sql += " WHERE " + where;
    if (!orderBy.empty()) sql += " ORDER BY " + orderBy;
    return QueryEntities(db, kind, sql, values, origin);
}

void InsertEntity(Database& db, const Entity& entity) {
    const EntityKind& kind = entity.kind();
    std::string columns, marks;
    std::vector<Variant> values;
    for (const auto& f : kind.fields) {
        if (f.column.empty()) continue;
        const Variant& v = entity.Value(f.name);
        if (v.IsEmpty() && !entity.Touched(f.name)) continue; // the column's default applies
        if (!columns.empty()) {
            columns += ", ";
            marks += ", ";
        }
        columns += f.column;
        marks += "?";
        values.push_back(v);
    }
    db.Run("INSERT INTO " + kind.table + "(" + columns + ") VALUES (" + marks + ")", values);
}

namespace {
std::string KeyCondition(const EntityKind& kind) {
    std::string where;
    for (const auto& f : kind.fields) {
        if (!f.key) continue;
        if (!where.empty()) where += " AND ";
        where += f.column + " = ?";
    }
    if (where.empty()) throw std::logic_error(kind.className + " has no key");
    return where;
}
} // namespace

void UpdateEntity(Database& db, const Entity& entity) {
    const EntityKind& kind = entity.kind();
    std::string sets;
    std::vector<Variant> values;
    for (const auto& f : kind.fields) {
        if (f.column.empty() || !entity.Touched(f.name)) continue;
        if (!sets.empty()) sets += ", ";
        sets += f.column + " = ?";
        values.push_back(entity.Value(f.name));
    }
    if (sets.empty()) return;
    for (const auto& k : entity.LoadedKey())
        values.push_back(k);
    db.Run("UPDATE " + kind.table + " SET " + sets + " WHERE " + KeyCondition(kind), values);
}

void DeleteEntity(Database& db, const Entity& entity) {
    db.Run("DELETE FROM " + entity.kind().table + " WHERE " + KeyCondition(entity.kind()),
           entity.LoadedKey());
}

std::vector<Object> AsObjects(const std::vector<EntityPtr>& entities) {
    std::vector<Object> out;
    out.reserve(entities.size());
    for (const auto& e : entities)
        out.emplace_back(e);
    return out;
}

} // namespace platform::middleware
