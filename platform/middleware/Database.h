#pragma once
// A thin layer over one SQLite database file: statements with bound values, and transactions.
// Failures throw DatabaseError; stand-in objects turn it into a middleware failure.
// A connection keeps the statements it compiled: a statement let go is reset, its values unbound, and
// handed out again for the same text, so that the many calls of a long run do not each compile their SQL.
// A statement must not outlive the connection that prepared it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/automation/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::middleware {

struct DatabaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Database;

class Statement {
public:
    // `idle`: where the statement goes back when let go; null finalises it.
    Statement(sqlite3* db, sqlite3_stmt* stmt, std::vector<sqlite3_stmt*>* idle = nullptr)
        : db_(db), stmt_(stmt), idle_(idle) {}
    Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_), idle_(other.idle_) {
        other.stmt_ = nullptr;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // 1-based; Empty and Null bind SQL NULL, Boolean binds 0/1, a Date binds its serial number.
    Statement& Bind(int index, const platform::automation::Variant& value);
    Statement& BindAll(const std::vector<platform::automation::Variant>& values);
    // True while a row is there; false when done.
    bool Step();
    void Reset();

    int ColumnCount() const;
    std::string ColumnName(int i) const;
    bool IsNull(int i) const;
    int64_t Int(int i) const;
    double Real(int i) const;
    std::string Text(int i) const;
    // NULL gives Empty, INTEGER a Long (a Double when it does not fit), REAL a Double, TEXT a String.
    platform::automation::Variant Value(int i) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
    std::vector<sqlite3_stmt*>* idle_;
};

class Database {
public:
    // Opens the file; with `create` a missing file is created, else a missing file is an error.
    static std::unique_ptr<Database> Open(const std::filesystem::path& path, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Runs one or more statements without values.
    void Exec(const std::string& sql);
    Statement Prepare(const std::string& sql);
    // Runs one statement with values; returns the number of rows it changed.
    int64_t Run(const std::string& sql, const std::vector<platform::automation::Variant>& values = {});
    // The first column of the first row, or Empty when there is no row.
    platform::automation::Variant Scalar(const std::string& sql,
                                         const std::vector<platform::automation::Variant>& values = {});

    // One write transaction; rolled back unless committed.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

    private:
        Database& db_;
        bool done_ = false;
    };

private:
    Database(sqlite3* db, std::filesystem::path path) : db_(db), path_(std::move(path)) {}
    // Texts beyond this many are compiled for each use (a text built with values in it is never asked
    // for again); a text keeps at most kIdlePerText statements of it for reuse.
    static constexpr size_t kKeptTexts = 512;
    static constexpr size_t kIdlePerText = 4;
    friend class Statement;
    sqlite3* db_;
    std::filesystem::path path_;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle_;
};

} // namespace platform::middleware
