// The plan's row list against a plain vector: inserts (single rows and blocks), removals, appends and
// replacing the whole list, at random places and in runs that walk down or up the list, so that the
// gap is moved both ways, grown, and left at either end.
#include <gtest/gtest.h>

#include <random>

#include "platform/msproject/RowList.h"

namespace platform::msproject::detail {
namespace {

struct Row {
    int n;
    int level = 1;
};
using Ptr = std::shared_ptr<Row>;

void ExpectSame(const RowList<Row>& list, const std::vector<Ptr>& want, const std::string& after) {
    ASSERT_EQ(list.size(), want.size()) << after;
    ASSERT_EQ(list.empty(), want.empty()) << after;
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(list[i], want[i]) << "slot " << i << " after " << after;
        ASSERT_EQ(list.LevelAt(i), want[i] ? want[i]->level : RowList<Row>::kBlankLevel)
            << "slot " << i << " after " << after;
    }
    // The nearest slot above with a lower level, from a few places and levels against a walk up.
    for (size_t slot :
         {size_t{0}, want.size() / 3, want.size() / 2, want.size() - want.size() / 5, want.size()})
        for (int level : {0, 1, 2, 4, 6}) {
            size_t above = RowList<Row>::npos;
            for (size_t j = slot; j-- > 0;)
                if (want[j] && want[j]->level < level) {
                    above = j;
                    break;
                }
            ASSERT_EQ(list.LastBelow(slot, level), above)
                << "from slot " << slot << " below level " << level << " after " << after;
        }
    size_t i = 0;
    for (const Ptr& p : list)
        ASSERT_EQ(p, want[i++]) << "iterating, after " << after;
    ASSERT_EQ(list.Rows(), want) << after;
}

TEST(RowList, FollowsAVectorThroughRandomChanges) {
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        RowList<Row> list;
        std::vector<Ptr> want;
        int next = 0;
        size_t walk = 0; // where a run of changes near one another goes on
        for (int step = 0; step < 4000; ++step) {
            auto pick = [&](size_t n) { return static_cast<size_t>(rng() % (n + 1)); };
            const size_t at = rng() % 3 == 0 ? pick(want.size()) : std::min(walk, want.size());
            std::string what;
            switch (rng() % 7) {
            case 0:
            case 1: {
                Ptr p = rng() % 5 == 0 ? nullptr
                                       : std::make_shared<Row>(Row{next++, static_cast<int>(rng() % 6)});
                list.insert(at, p);
                want.insert(want.begin() + static_cast<std::ptrdiff_t>(at), p);
                walk = at + 1 + rng() % 3;
                what = "insert at " + std::to_string(at);
                break;
            }
            case 2: {
                std::vector<Ptr> block(rng() % 40);
                for (Ptr& p : block)
                    p = std::make_shared<Row>(Row{next++});
                list.insert(at, block.begin(), block.end());
                want.insert(want.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
                walk = at + block.size();
                what = "block of " + std::to_string(block.size()) + " at " + std::to_string(at);
                break;
            }
            case 3: {
                const size_t to = std::min(want.size(), at + rng() % 6);
                list.erase(at, to);
                want.erase(want.begin() + static_cast<std::ptrdiff_t>(at),
                           want.begin() + static_cast<std::ptrdiff_t>(to));
                walk = at > 0 ? at - 1 : 0;
                what = "erase " + std::to_string(at) + ".." + std::to_string(to);
                break;
            }
            case 4: {
                Ptr p = std::make_shared<Row>(Row{next++});
                list.push_back(p);
                want.push_back(p);
                what = "append";
                break;
            }
            case 5:
                if (!want.empty()) {
                    // A row written in place, or a run of rows given other levels, then releveled.
                    const size_t slot = pick(want.size() - 1),
                                 to = std::min(want.size(), slot + 1 + rng() % 8);
                    if (rng() % 2)
                        list[slot] = want[slot] =
                            std::make_shared<Row>(Row{next++, static_cast<int>(rng() % 6)});
                    for (size_t i = slot; i < to; ++i)
                        if (want[i]) want[i]->level = static_cast<int>(rng() % 6);
                    list.Relevel(slot, to);
                    what = "relevel " + std::to_string(slot) + ".." + std::to_string(to);
                }
                break;
            default:
                if (rng() % 50 == 0) {
                    std::shuffle(want.begin(), want.end(), rng);
                    list = want;
                    what = "replaced";
                } else {
                    walk = pick(want.size());
                }
                break;
            }
            ASSERT_NO_FATAL_FAILURE(ExpectSame(list, want, what + " (seed " + std::to_string(seed) + ")"));
        }
        list.clear();
        want.clear();
        ASSERT_NO_FATAL_FAILURE(ExpectSame(list, want, "clear"));
    }
}

TEST(RowList, RowsTakenOutAreLetGo) {
    RowList<Row> list;
    auto kept = std::make_shared<Row>(Row{1});
    std::weak_ptr<Row> gone;
    {
        auto p = std::make_shared<Row>(Row{2});
        gone = p;
        list.push_back(kept);
        list.push_back(std::move(p));
        list.push_back(std::make_shared<Row>(Row{3}));
    }
    list.erase(1, 2);
    EXPECT_TRUE(gone.expired());
    // Rows taken off the end, behind the gap, are let go too.
    std::weak_ptr<Row> last = list[1];
    list.erase(1, 2);
    EXPECT_TRUE(last.expired());
    ASSERT_EQ(list.size(), 1u);
    // The gap is moved over the row kept, and the list grown past it, without holding a second copy.
    list.insert(0, std::make_shared<Row>(Row{4}));
    for (int i = 0; i < 100; ++i)
        list.insert(list.size(), std::make_shared<Row>(Row{5}));
    list.insert(1, std::make_shared<Row>(Row{6}));
    EXPECT_EQ(kept.use_count(), 2);
}

} // namespace
} // namespace platform::msproject::detail
