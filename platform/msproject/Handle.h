#pragma once
// The base of every handle of the planning program's object model. A handle is a shared reference
// that may be Nothing; a Nothing handle returned by a failed call remembers why, so that a member
// called on it reports that failure again (as a chained automation statement would), and any other
// Nothing handle reports 91.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::msproject {

namespace detail {
struct Access;
struct CarriedError {
    int32_t number = 0;
    std::string description;
};
} // namespace detail

template <class D> class Handle {
public:
    Handle() = default;
    explicit operator bool() const { return static_cast<bool>(d_); }
    bool IsNothing() const { return !d_; }
    friend bool operator==(const Handle& a, const Handle& b) { return a.d_ == b.d_; }

protected:
    friend struct detail::Access;
    std::shared_ptr<D> d_;
    std::shared_ptr<const detail::CarriedError> error_;
};

// A collection fixed at the time it was asked for (outline children, a task's resources, ...).
// Items are numbered from 1; a number out of range records 9 and gives Nothing.
template <class T> class List {
public:
    List() = default;
    explicit List(std::vector<T> items) : items_(std::move(items)) {}
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    T Item(int32_t index) const;
    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }
    const std::vector<T>& Snapshot() const { return items_; }

private:
    std::vector<T> items_;
};

// Record a failure in the error record: defined in Model.cpp so that List needs nothing else.
void RecordSubscriptError();

template <class T> T List<T>::Item(int32_t index) const {
    if (index < 1 || index > Count()) {
        RecordSubscriptError();
        return T();
    }
    return items_[static_cast<size_t>(index - 1)];
}

// A live walk over a collection whose Count() and Item(i) are re-read at every step, as the automation
// collections are walked: deleting while walking skips the item that moves into the deleted one's place.
// Walks that delete use Snapshot() instead.
template <class C, class T> class LiveIterator {
public:
    LiveIterator(const C* c, int32_t i) : c_(c), i_(i) {}
    T operator*() const { return c_->Item(i_); }
    LiveIterator& operator++() {
        ++i_;
        return *this;
    }
    bool operator!=(const LiveIterator&) const { return i_ <= c_->Count(); }

private:
    const C* c_;
    int32_t i_;
};

} // namespace platform::msproject
