#pragma once
// A thin layer over one SQLite database file: statements with bound values, and transactions.
// Failures throw DatabaseError; stand-in objects turn it into a middleware failure.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/automation/Variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::middleware {

struct DatabaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) { other.stmt_ = nullptr; }
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
    sqlite3* db_;
    std::filesystem::path path_;
};

} // namespace platform::middleware
