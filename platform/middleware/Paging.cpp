#include "platform/middleware/Paging.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/middleware/Errors.h"
#include "platform/middleware/TestControl.h"

namespace platform::middleware {

using namespace platform::automation;

namespace {

// At most this many lists stay open; a caller that never finishes one cannot exhaust the server.
constexpr size_t kMaxOpenCursors = 256;
// Call ids fit a 16-bit integer, as some callers keep them in one.
constexpr int32_t kMaxCallId = 32767;

struct Cursor {
    std::string listMember;
    std::vector<Object> rows;
    size_t offset = 0;
    uint64_t opened = 0;
};

struct CursorStore {
    std::mutex lock;
    std::map<int32_t, Cursor> open;
    int32_t lastId = 0;
    uint64_t counter = 0;

    int32_t Add(Cursor cursor) {
        if (open.size() >= kMaxOpenCursors) {
            auto oldest = std::min_element(open.begin(), open.end(), [](const auto& a, const auto& b) {
                return a.second.opened < b.second.opened;
            });
            open.erase(oldest);
        }
        int32_t id = lastId;
        do {
            id = id >= kMaxCallId ? 1 : id + 1;
        } while (open.count(id));
        lastId = id;
        cursor.opened = ++counter;
        open[id] = std::move(cursor);
        return id;
    }
};

CursorStore& Store() {
    static CursorStore store;
    return store;
}

class PagedPage : public StandInObject {
public:
    PagedPage(const PagedListNames& names, std::string origin, std::vector<Object> elements, Variant sizeType)
        : StandInObject(names.pageClass, std::move(origin)), names_(names), elements_(std::move(elements)),
          sizeType_(std::move(sizeType)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg> args) override {
        if (NamesEqual(name, names_.sizeGetter))
            return SameIntegerType(sizeType_, static_cast<int32_t>(elements_.size()));
        if (NamesEqual(name, names_.elementGetter)) {
            CallArgs call(args, name);
            int32_t i = call.Long(0);
            if (i < 0 || static_cast<size_t>(i) >= elements_.size())
                throw Failure(failures::NoSuchElement,
                              "There is no element " + std::to_string(i) + " in this list.");
            return Variant(elements_[static_cast<size_t>(i)]);
        }
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    PagedListNames names_;
    std::vector<Object> elements_;
    Variant sizeType_;
};

class PagedSet : public StandInObject {
public:
    PagedSet(const PagedListNames& names, std::string origin, Variant callId, std::string flag, Object page)
        : StandInObject(names.setClass, std::move(origin)), names_(names), callId_(std::move(callId)),
          flag_(std::move(flag)), page_(std::move(page)) {}

protected:
    Variant Answer(std::string_view name, CallKind, std::span<Arg>) override {
        if (NamesEqual(name, "getCallId")) return callId_;
        if (NamesEqual(name, "getSetComplete")) return flag_;
        if (NamesEqual(name, names_.referenceGetter)) return Variant(page_);
        throw AutomationError(platform::automation::errors::NotSupported);
    }

private:
    PagedListNames names_;
    Variant callId_;
    std::string flag_;
    Object page_;
};

} // namespace

Variant ServePage(const PagedListNames& names, std::string_view listMember, CallArgs& args,
                  const std::function<std::vector<Object>()>& query, const std::string& origin) {
    if (args.size() < 3) throw AutomationError(platform::automation::errors::ArgumentNotOptional);
    const size_t batchAt = args.size() - 3, callIdAt = args.size() - 2, flagAt = args.size() - 1;
    int32_t batch = args.Long(batchAt);
    const Variant callIdGiven = args[callIdAt];
    int32_t callId = args.Long(callIdAt);
    int32_t cap = TestControl::Instance().PageSizeCap();
    if (cap > 0 && (batch <= 0 || batch > cap)) batch = cap;

    auto& store = Store();
    int32_t id = callId;
    if (callId == 0) {
        // The query runs outside the store's lock: it may read the database.
        Cursor cursor{std::string(listMember), query()};
        std::lock_guard g(store.lock);
        id = store.Add(std::move(cursor));
    }
    std::vector<Object> page;
    bool complete;
    {
        std::lock_guard g(store.lock);
        auto it = store.open.find(id);
        if (it == store.open.end() || !NamesEqual(it->second.listMember, listMember))
            throw Failure(failures::InvalidCallId,
                          "No open list has the call id " + std::to_string(callId) + ".");
        Cursor& cursor = it->second;
        size_t remaining = cursor.rows.size() - cursor.offset;
        size_t take = batch <= 0 ? remaining : std::min(remaining, static_cast<size_t>(batch));
        page.assign(cursor.rows.begin() + static_cast<ptrdiff_t>(cursor.offset),
                    cursor.rows.begin() + static_cast<ptrdiff_t>(cursor.offset + take));
        cursor.offset += take;
        complete = cursor.offset >= cursor.rows.size();
        if (complete) store.open.erase(it);
    }
    const auto& control = TestControl::Instance();
    std::string flag = complete ? control.CompleteFlag() : control.IncompleteFlag();
    Variant nextId = SameIntegerType(callIdGiven, complete ? 0 : id);
    args.Set(callIdAt, nextId);
    args.Set(flagAt, flag);
    Object pageObject(std::make_shared<PagedPage>(names, origin, std::move(page), callIdGiven));
    return Variant(Object(std::make_shared<PagedSet>(names, origin, nextId, flag, pageObject)));
}

void CloseAllCursors() {
    auto& store = Store();
    std::lock_guard g(store.lock);
    store.open.clear();
}

size_t OpenCursorCount() {
    auto& store = Store();
    std::lock_guard g(store.lock);
    return store.open.size();
}

const MemberTable<Enumeration>& Enumeration::Members() {
    static const MemberTable<Enumeration> table = {
        {"hasMoreElements",
         [](Enumeration& e, CallArgs&) -> Variant { return e.next_ < e.elements_.size(); }},
        {"nextElement",
         [](Enumeration& e, CallArgs&) -> Variant {
             if (e.next_ >= e.elements_.size())
                 throw Failure(failures::NoSuchElement, "The enumeration has no more elements.");
             return Variant(e.elements_[e.next_++]);
         }},
    };
    return table;
}

Object MakeEnumeration(std::string className, std::string origin, std::vector<Object> elements) {
    return Object(
        std::make_shared<Enumeration>(std::move(className), std::move(origin), std::move(elements)));
}

} // namespace platform::middleware
