#include "platform/middleware/Database.h"

#include <limits>
#include <sqlite3.h>

namespace platform::middleware {

using platform::automation::Variant;
using platform::automation::VarType;

namespace {
[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw DatabaseError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}
} // namespace

Statement::~Statement() {
    if (!stmt_) return;
    // Reset ends the read the statement may still hold open, so that a statement kept idle never pins
    // an old view of the database.
    // (Its result only repeats a failure of the last step; the statement is reset all the same.)
    if (idle_ && idle_->size() < Database::kIdlePerText) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        idle_->push_back(stmt_);
        return;
    }
    sqlite3_finalize(stmt_);
}

Statement& Statement::Bind(int index, const Variant& value) {
    int rc = SQLITE_OK;
    switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null: rc = sqlite3_bind_null(stmt_, index); break;
    case VarType::Boolean: rc = sqlite3_bind_int(stmt_, index, *value.Peek<bool>() ? 1 : 0); break;
    case VarType::Integer: rc = sqlite3_bind_int(stmt_, index, *value.Peek<int16_t>()); break;
    case VarType::Long: rc = sqlite3_bind_int(stmt_, index, *value.Peek<int32_t>()); break;
    case VarType::Single: rc = sqlite3_bind_double(stmt_, index, *value.Peek<float>()); break;
    case VarType::Double: rc = sqlite3_bind_double(stmt_, index, *value.Peek<double>()); break;
    case VarType::Currency:
        rc = sqlite3_bind_double(stmt_, index, value.Peek<platform::automation::Currency>()->ToDouble());
        break;
    case VarType::Date:
        rc = sqlite3_bind_double(stmt_, index, value.Peek<platform::automation::Date>()->Serial());
        break;
    case VarType::String: {
        const std::string& s = *value.Peek<std::string>();
        rc = sqlite3_bind_text(stmt_, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
    }
    case VarType::Object: throw DatabaseError("an object cannot be stored");
    }
    if (rc != SQLITE_OK) Fail(db_, "bind");
    return *this;
}

Statement& Statement::BindAll(const std::vector<Variant>& values) {
    for (size_t i = 0; i < values.size(); ++i)
        Bind(static_cast<int>(i + 1), values[i]);
    return *this;
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, "step");
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const {
    return sqlite3_column_count(stmt_);
}
std::string Statement::ColumnName(int i) const {
    const char* name = sqlite3_column_name(stmt_, i);
    return name ? name : "";
}
bool Statement::IsNull(int i) const {
    return sqlite3_column_type(stmt_, i) == SQLITE_NULL;
}
int64_t Statement::Int(int i) const {
    return sqlite3_column_int64(stmt_, i);
}
double Statement::Real(int i) const {
    return sqlite3_column_double(stmt_, i);
}
std::string Statement::Text(int i) const {
    const unsigned char* text = sqlite3_column_text(stmt_, i);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, i)));
}

Variant Statement::Value(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_NULL: return Variant();
    case SQLITE_INTEGER: {
        int64_t v = Int(i);
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            return Variant(static_cast<double>(v));
        return Variant(static_cast<int32_t>(v));
    }
    case SQLITE_FLOAT: return Variant(Real(i));
    default: return Variant(Text(i));
    }
}

std::unique_ptr<Database> Database::Open(const std::filesystem::path& path, bool create) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw DatabaseError("cannot open " + path.string() + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
    std::unique_ptr<Database> opened(new Database(db, path));
    opened->Exec("PRAGMA foreign_keys = ON");
    // A write-ahead log with normal syncing: every commit is safe from a crash of the program, and the
    // many small commits of a large budget-line listing do not each wait for the disk.
    opened->Exec("PRAGMA journal_mode = WAL");
    opened->Exec("PRAGMA synchronous = NORMAL");
    return opened;
}

Database::~Database() {
    for (auto& [text, statements] : idle_)
        for (sqlite3_stmt* stmt : statements)
            sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

void Database::Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw DatabaseError(text);
    }
}

Statement Database::Prepare(const std::string& sql) {
    std::vector<sqlite3_stmt*>* idle = nullptr;
    if (auto found = idle_.find(sql); found != idle_.end())
        idle = &found->second;
    else if (idle_.size() < kKeptTexts)
        idle = &idle_[sql];
    if (idle && !idle->empty()) {
        sqlite3_stmt* stmt = idle->back();
        idle->pop_back();
        return Statement(db_, stmt, idle);
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        Fail(db_, "prepare");
    }
    return Statement(db_, stmt, idle);
}

int64_t Database::Run(const std::string& sql, const std::vector<Variant>& values) {
    Statement st = Prepare(sql);
    st.BindAll(values);
    while (st.Step()) {
    }
    return sqlite3_changes64(db_);
}

Variant Database::Scalar(const std::string& sql, const std::vector<Variant>& values) {
    Statement st = Prepare(sql);
    st.BindAll(values);
    if (!st.Step()) return Variant();
    return st.Value(0);
}

Database::Transaction::Transaction(Database& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

Database::Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.Exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void Database::Transaction::Commit() {
    db_.Exec("COMMIT");
    done_ = true;
}

} // namespace platform::middleware
