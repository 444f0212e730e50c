#include "platform/middleware/Database.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using platform::automation::Variant;
using namespace platform::middleware;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kova-db-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        file_ = folder_ / "test.db";
        db_ = Database::Open(file_, true);
        db_->Exec("CREATE TABLE t (v INTEGER PRIMARY KEY)");
        for (int v : {1, 2, 3})
            db_->Run("INSERT INTO t (v) VALUES (?)", {Variant(v)});
    }
    void TearDown() override {
        db_.reset();
        std::filesystem::remove_all(folder_);
    }
    static int Count(Database& db) {
        Variant n = db.Scalar("SELECT count(*) FROM t");
        return n.Peek<int32_t>() ? *n.Peek<int32_t>() : -1;
    }

    std::filesystem::path folder_, file_;
    std::unique_ptr<Database> db_;
};

// A statement given up before its last row is used again from its first, and the connection does not
// keep reading the database as it was when that statement began.
TEST_F(DatabaseTest, AStatementLetGoHalfwayStartsAgainAndHoldsNoOldView) {
    const std::string sql = "SELECT v FROM t ORDER BY v";
    {
        Statement st = db_->Prepare(sql);
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Int(0), 1);
    }
    auto other = Database::Open(file_, false);
    other->Run("INSERT INTO t (v) VALUES (?)", {Variant(4)});
    EXPECT_EQ(Count(*db_), 4);

    Statement again = db_->Prepare(sql);
    std::vector<int64_t> seen;
    while (again.Step())
        seen.push_back(again.Int(0));
    EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3, 4}));
}

TEST_F(DatabaseTest, AStatementUsedAgainHasNoValuesLeftBound) {
    EXPECT_EQ(*db_->Scalar("SELECT ?", {Variant(7)}).Peek<int32_t>(), 7);
    Statement st = db_->Prepare("SELECT ?");
    ASSERT_TRUE(st.Step());
    EXPECT_TRUE(st.IsNull(0));
}

// The same text asked for while a statement of it is still stepping gets a statement of its own.
TEST_F(DatabaseTest, TheSameTextNestedStepsOnItsOwn) {
    const std::string sql = "SELECT v FROM t WHERE v > ? ORDER BY v";
    Statement outer = db_->Prepare(sql);
    outer.Bind(1, Variant(0));
    std::vector<std::pair<int64_t, int64_t>> pairs;
    while (outer.Step()) {
        Statement inner = db_->Prepare(sql);
        inner.Bind(1, Variant(static_cast<int32_t>(outer.Int(0))));
        pairs.emplace_back(outer.Int(0), inner.Step() ? inner.Int(0) : 0);
    }
    EXPECT_EQ(pairs, (std::vector<std::pair<int64_t, int64_t>>{{1, 2}, {2, 3}, {3, 0}}));
}

// A statement that failed is not handed out in its failed state, and one kept across a change of the
// table's layout reads the new table.
TEST_F(DatabaseTest, KeptStatementsSurviveAFailureAndATableMadeAnew) {
    try {
        db_->Prepare("SELECT v FROM nowhere");
        ADD_FAILURE() << "a statement on a missing table was prepared";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), "prepare: no such table: nowhere");
    }
    const std::string insert = "INSERT INTO t (v) VALUES (?)";
    EXPECT_THROW(db_->Run(insert, {Variant(2)}), DatabaseError);
    EXPECT_EQ(db_->Run(insert, {Variant(5)}), 1);
    EXPECT_EQ(Count(*db_), 4);

    db_->Exec("DROP TABLE t; CREATE TABLE t (v INTEGER PRIMARY KEY, w TEXT); INSERT INTO t VALUES (9, 'x')");
    EXPECT_EQ(Count(*db_), 1);
    EXPECT_EQ(db_->Run(insert, {Variant(10)}), 1);
    EXPECT_EQ(Count(*db_), 2);
}

} // namespace
