#pragma once
// A list of rows that keeps a gap at the place it last changed. Inserting or removing rows moves only
// the rows between that place and the new one, so a run of inserts that walks down a long plan (below
// one summary after another) costs the distance walked, not the whole tail of the list at every insert.
// Read and written by slot as a vector is. Beside each row it keeps the row's outline level (T::level,
// as the row had it when it was put in or last releveled), so that a walk over the levels, such as the
// search for a task's outline parent, does not have to visit every row it passes; and the lowest level
// of each block of places, so that such a search skips the blocks that cannot hold what it looks for.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace platform::msproject::detail {

template <class T> class RowList {
    struct Slot {
        std::shared_ptr<T> row;
        int level = kBlankLevel;
    };

public:
    using value_type = std::shared_ptr<T>;
    // The level kept for an empty row: above every level, so that it is never a parent.
    static constexpr int kBlankLevel = INT_MAX;
    static constexpr size_t npos = static_cast<size_t>(-1);

    template <bool Const> class Iter {
    public:
        using List = std::conditional_t<Const, const RowList, RowList>;
        using iterator_category = std::random_access_iterator_tag;
        using value_type = RowList::value_type;
        using difference_type = std::ptrdiff_t;
        using reference = std::conditional_t<Const, const value_type&, value_type&>;
        using pointer = std::conditional_t<Const, const value_type*, value_type*>;

        Iter() = default;
        Iter(List* list, size_t slot) : list_(list), slot_(slot) {}
        reference operator*() const { return (*list_)[slot_]; }
        pointer operator->() const { return &(*list_)[slot_]; }
        reference operator[](difference_type n) const { return (*list_)[slot_ + n]; }
        Iter& operator++() { return ++slot_, *this; }
        Iter operator++(int) { return Iter(list_, slot_++); }
        Iter& operator--() { return --slot_, *this; }
        Iter operator--(int) { return Iter(list_, slot_--); }
        Iter& operator+=(difference_type n) { return slot_ += n, *this; }
        Iter& operator-=(difference_type n) { return slot_ -= n, *this; }
        friend Iter operator+(Iter i, difference_type n) { return i += n; }
        friend Iter operator+(difference_type n, Iter i) { return i += n; }
        friend Iter operator-(Iter i, difference_type n) { return i -= n; }
        friend difference_type operator-(const Iter& a, const Iter& b) {
            return static_cast<difference_type>(a.slot_) - static_cast<difference_type>(b.slot_);
        }
        friend bool operator==(const Iter& a, const Iter& b) { return a.slot_ == b.slot_; }
        friend auto operator<=>(const Iter& a, const Iter& b) { return a.slot_ <=> b.slot_; }
        size_t slot() const { return slot_; }

    private:
        List* list_ = nullptr;
        size_t slot_ = 0;
    };
    using iterator = Iter<false>;
    using const_iterator = Iter<true>;

    RowList() = default;
    RowList(std::vector<value_type> rows) { *this = std::move(rows); }
    RowList& operator=(std::vector<value_type> rows) {
        buf_.clear();
        buf_.reserve(rows.size());
        for (auto& r : rows)
            buf_.push_back(Made(std::move(r)));
        start_ = buf_.size();
        gap_ = 0;
        stale_.clear();
        return *this;
    }

    size_t size() const { return buf_.size() - gap_; }
    bool empty() const { return size() == 0; }
    // A row is put in or taken out through insert and erase; writing a row in place keeps the level its
    // place had (call Relevel after).
    value_type& operator[](size_t slot) { return At(slot).row; }
    const value_type& operator[](size_t slot) const { return At(slot).row; }
    // The level kept for the row at `slot` (kBlankLevel for an empty one).
    int LevelAt(size_t slot) const { return At(slot).level; }
    // Takes the levels of the rows in [from, to) again, after they changed in place.
    void Relevel(size_t from, size_t to) {
        for (size_t i = from; i < to && i < size(); ++i) {
            At(i).level = LevelOf(At(i).row);
            Touch(Place(i), Place(i) + 1);
        }
    }
    // The slot nearest before `slot` whose kept level is below `level`; npos when there is none.
    size_t LastBelow(size_t slot, int level) const {
        size_t place = Place(std::min(slot, size()));
        for (; place % kBlock != 0; --place)
            if (buf_[place - 1].level < level) return SlotAt(place - 1);
        for (; place > 0; place -= kBlock) {
            const size_t block = place / kBlock - 1;
            if (LowestIn(block) >= level) continue;
            for (size_t i = place; i-- > block * kBlock;)
                if (buf_[i].level < level) return SlotAt(i);
        }
        return npos;
    }

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, size()); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    // The rows in order, as a vector of their own.
    std::vector<value_type> Rows() const {
        std::vector<value_type> out;
        out.reserve(size());
        for (size_t i = 0; i < size(); ++i)
            out.push_back((*this)[i]);
        return out;
    }

    // Rows put at the end go behind the last row without moving the gap, so that a row appended and
    // then moved elsewhere costs only its move.
    void insert(size_t slot, value_type row) {
        if (slot == size()) {
            buf_.push_back(Made(std::move(row)));
            return Touch(buf_.size() - 1, buf_.size());
        }
        Open(slot, 1);
        Touch(start_, start_ + 1);
        buf_[start_++] = Made(std::move(row));
        --gap_;
    }
    template <class It> void insert(size_t slot, It first, It last) {
        if (slot == size()) {
            const size_t from = buf_.size();
            for (; first != last; ++first)
                buf_.push_back(Made(*first));
            return Touch(from, buf_.size());
        }
        const auto count = static_cast<size_t>(std::distance(first, last));
        Open(slot, count);
        Touch(start_, start_ + count);
        for (; first != last; ++first, --gap_)
            buf_[start_++] = Made(*first);
    }
    void push_back(value_type row) { insert(size(), std::move(row)); }

    // Takes out the rows of slots [from, to).
    void erase(size_t from, size_t to) {
        if (to <= from) return;
        if (to == size() && from >= start_) {
            Touch(from + gap_, buf_.size());
            buf_.resize(from + gap_); // the last rows, behind the gap
            return;
        }
        MoveGap(from);
        for (size_t i = start_ + gap_; i < start_ + gap_ + (to - from); ++i)
            buf_[i] = Slot{};
        Touch(start_ + gap_, start_ + gap_ + (to - from));
        gap_ += to - from;
    }
    void clear() {
        buf_.clear();
        start_ = gap_ = 0;
        stale_.clear();
    }

private:
    static int LevelOf(const value_type& row) { return row ? row->level : kBlankLevel; }
    static Slot Made(value_type row) {
        const int level = LevelOf(row);
        return Slot{std::move(row), level};
    }
    size_t Place(size_t slot) const { return slot < start_ ? slot : slot + gap_; }
    size_t SlotAt(size_t place) const { return place < start_ ? place : place - gap_; }
    Slot& At(size_t slot) { return buf_[Place(slot)]; }
    const Slot& At(size_t slot) const { return buf_[Place(slot)]; }

    // The lowest level of each block of kBlock places, worked out when asked after a place of the
    // block changed (the gap's places hold kBlankLevel). Every change of a place's level touches it.
    static constexpr size_t kBlock = 64;
    void Touch(size_t from, size_t to) const {
        if (from >= to) return;
        const size_t last = std::min((to - 1) / kBlock + 1, stale_.size());
        for (size_t b = from / kBlock; b < last; ++b)
            stale_[b] = 1;
    }
    int LowestIn(size_t block) const {
        const size_t blocks = (buf_.size() + kBlock - 1) / kBlock;
        if (stale_.size() != blocks) {
            stale_.resize(blocks, 1);
            lowest_.resize(blocks);
        }
        if (stale_[block]) {
            int lowest = kBlankLevel;
            for (size_t i = block * kBlock; i < std::min(buf_.size(), (block + 1) * kBlock); ++i)
                lowest = std::min(lowest, buf_[i].level);
            lowest_[block] = lowest;
            stale_[block] = 0;
        }
        return lowest_[block];
    }

    // Moves the gap to `slot`; the rows in the gap's place are moved across it, and the gap holds only
    // empty pointers.
    void MoveGap(size_t slot) {
        if (slot < start_) {
            std::move_backward(buf_.begin() + static_cast<std::ptrdiff_t>(slot),
                               buf_.begin() + static_cast<std::ptrdiff_t>(start_),
                               buf_.begin() + static_cast<std::ptrdiff_t>(start_ + gap_));
            for (size_t i = slot; i < std::min(start_, slot + gap_); ++i)
                buf_[i].level = kBlankLevel;
            Touch(slot, start_);
            Touch(slot + gap_, start_ + gap_);
        } else if (slot > start_) {
            std::move(buf_.begin() + static_cast<std::ptrdiff_t>(start_ + gap_),
                      buf_.begin() + static_cast<std::ptrdiff_t>(slot + gap_),
                      buf_.begin() + static_cast<std::ptrdiff_t>(start_));
            for (size_t i = std::max(start_ + gap_, slot); i < slot + gap_; ++i)
                buf_[i].level = kBlankLevel;
            Touch(start_, slot);
            Touch(start_ + gap_, slot + gap_);
        }
        start_ = slot;
    }
    // Moves the gap to `slot` with room for `count` rows in it; a gap too small is made anew, with room
    // to spare in proportion to the list, so that the list grows in amortised constant time per row.
    void Open(size_t slot, size_t count) {
        if (gap_ >= count) {
            MoveGap(slot);
            return;
        }
        const size_t rows = size();
        const size_t gap = count + std::max<size_t>(16, rows / 4);
        std::vector<Slot> grown;
        grown.reserve(rows + gap);
        for (size_t i = 0; i < slot; ++i)
            grown.push_back(std::move(At(i)));
        grown.resize(slot + gap);
        for (size_t i = slot; i < rows; ++i)
            grown.push_back(std::move(At(i)));
        buf_ = std::move(grown);
        start_ = slot;
        gap_ = gap;
        stale_.clear();
    }

    std::vector<Slot> buf_; // rows [0, start_), then gap_ empty places, then the rest
    size_t start_ = 0, gap_ = 0;
    mutable std::vector<uint8_t> stale_; // one per block; blocks past its end are stale too
    mutable std::vector<int> lowest_;
};

} // namespace platform::msproject::detail
