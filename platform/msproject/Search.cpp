// The indexes that let Find touch only the rows that can match: for an "equals" test the rows whose
// field folds to the wanted value, for "contains" the rows whose folded field holds the rarest
// three-byte piece of the wanted value. An index is built on the first search of its field and then
// learns every value written to that field and every row put into its list.
#include <algorithm>

#include "platform/msproject/Model.h"

namespace platform::msproject::detail {

namespace {

constexpr size_t kPiece = 3;

// The keys under which a folded value is filed.
template <class F> void EachKey(const std::string& folded, bool pieces, F&& add) {
    if (!pieces) {
        if (!folded.empty()) add(folded);
        return;
    }
    if (folded.size() < kPiece) return;
    std::vector<std::string_view> seen;
    for (size_t i = 0; i + kPiece <= folded.size(); ++i) {
        std::string_view piece(folded.data() + i, kPiece);
        if (std::find(seen.begin(), seen.end(), piece) != seen.end()) continue;
        seen.push_back(piece);
        add(std::string(piece));
    }
}

std::shared_ptr<void> RowAt(const PlanData& plan, bool taskRows, size_t slot) {
    if (taskRows) return slot < plan.tasks.size() ? plan.tasks[slot] : nullptr;
    return slot < plan.resources.size() ? plan.resources[slot] : nullptr;
}

void File(const PlanData& plan, const FieldIndexKey& key, FieldIndex& index, size_t slot) {
    std::shared_ptr<void> row = RowAt(plan, key.taskRows, slot);
    if (!row) return;
    const FieldRef f{key.taskRows ? FieldRef::TaskField : FieldRef::ResourceField, key.code, key.index,
                     FieldType::Text};
    const std::string* text = TextOf(plan, key.taskRows, static_cast<int>(slot), f);
    if (!text) return;
    static thread_local std::string folded;
    FoldInto(*text, folded);
    EachKey(folded, key.pieces, [&](std::string k) {
        index.rows[std::move(k)].push_back(row);
        ++index.entries;
    });
}

void Build(const PlanData& plan, const FieldIndexKey& key, FieldIndex& index) {
    index = FieldIndex{};
    const size_t count = key.taskRows ? plan.tasks.size() : plan.resources.size();
    for (size_t slot = 0; slot < count; ++slot)
        File(plan, key, index, slot);
    index.built = index.entries;
}

// The slot of a row that stands in its list now; -1 for one that was cut, deleted or never listed.
template <class D> int ListedSlot(const std::vector<std::shared_ptr<D>>& list, const std::shared_ptr<void>& row) {
    const D* d = static_cast<const D*>(row.get());
    const int slot = d->id - 1;
    if (d->deleted || slot < 0 || static_cast<size_t>(slot) >= list.size() || list[slot].get() != d) return -1;
    return slot;
}

void Learn(const PlanData& plan, bool taskRows, int code, int fieldIndex, int slot) {
    for (auto& [key, index] : plan.fieldIndexes)
        if (key.taskRows == taskRows && key.code == code && key.index == fieldIndex) File(plan, key, index, slot);
}

template <class D> int SlotOfRow(const std::vector<std::shared_ptr<D>>& list, const D& d) {
    const int slot = d.id - 1;
    return slot >= 0 && static_cast<size_t>(slot) < list.size() && list[slot].get() == &d ? slot : -1;
}

} // namespace

std::optional<std::vector<int>> CandidateSlots(const PlanData& plan, bool taskRows, const std::string& field,
                                               const std::string& test, const Variant& value, bool matchCase,
                                               int32_t lcid) {
    auto ref = LookupField(taskRows ? FieldRef::TaskField : FieldRef::ResourceField, field);
    if (!ref || !HeldAsText(taskRows, *ref)) return std::nullopt;
    const int t = TestIndex(test, lcid);
    // Case-sensitive pieces could cut a letter of two bytes apart: such a search tries every row.
    const bool pieces = t == 9;
    if (t != 1 && !(pieces && !matchCase)) return std::nullopt;
    const auto* text = value.Peek<std::string>();
    if (!text) return std::nullopt;
    const std::string wanted = Fold(*text);
    if (wanted.empty() || (pieces && wanted.size() < kPiece)) return std::nullopt;
    const FieldIndexKey key{taskRows, ref->code, ref->index, pieces};

    auto [found, fresh] = plan.fieldIndexes.try_emplace(key);
    FieldIndex& index = found->second;
    // Old values pile up where a field is rewritten often: once the entries have grown to three
    // times what a fresh index held, it is built again (so that the rebuilds cost linear time).
    if (fresh || index.entries > 3 * index.built + 4096) Build(plan, key, index);

    const std::vector<std::weak_ptr<void>>* rows = nullptr;
    bool none = false;
    EachKey(wanted, pieces, [&](const std::string& k) {
        auto it = index.rows.find(k);
        if (it == index.rows.end()) {
            none = true;
            return;
        }
        if (!rows || it->second.size() < rows->size()) rows = &it->second;
    });
    std::vector<int> out;
    if (none || !rows) return out;
    out.reserve(rows->size());
    for (const auto& w : *rows) {
        std::shared_ptr<void> row = w.lock();
        if (!row) continue;
        const int slot = taskRows ? NumberedSlot(plan, *static_cast<const TaskData*>(row.get()))
                                  : ListedSlot(plan.resources, row);
        if (slot >= 0) out.push_back(slot);
    }
    return out;
}

void FieldWritten(const PlanData& plan, const TaskData& t, const FieldRef& f) {
    if (plan.fieldIndexes.empty()) return;
    if (int slot = NumberedSlot(plan, t); slot >= 0) Learn(plan, true, f.code, f.index, slot);
}

void FieldWritten(const PlanData& plan, const ResourceData& r, const FieldRef& f) {
    if (plan.fieldIndexes.empty()) return;
    if (int slot = SlotOfRow(plan.resources, r); slot >= 0) Learn(plan, false, f.code, f.index, slot);
}

void RowsEntered(const PlanData& plan, bool taskRows, size_t from, size_t count) {
    for (auto& [key, index] : plan.fieldIndexes)
        if (key.taskRows == taskRows)
            for (size_t slot = from; slot < from + count; ++slot)
                File(plan, key, index, slot);
}

} // namespace platform::msproject::detail
