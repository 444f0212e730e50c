#include "integration/chargestructure/ChargeElementFile.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"

namespace Grantry {

namespace os = platform::os;
using KovaDataObjects::KovaCE;
using KovaDataObjects::Trim;
using platform::automation::Err;

namespace {

void SetCommonFields(KovaCE& ce, os::FixedRecord& record) {
    record.SetText(ChargeElementRecord::Code, Trim(ce.CECode));
    record.SetText(ChargeElementRecord::Description, Trim(ce.CEDescription));
    record.SetText(ChargeElementRecord::Start, DateToTimeStamp(ce.StartDate));
    record.SetText(ChargeElementRecord::Finish, DateToTimeStamp(ce.FinishDate));
    record.SetText(ChargeElementRecord::Duration, std::to_string(ce.Duration));
}

// The codes the table's records carry, for the look-up below, and what they were worked out
// from: the count of code changes and the records' storage then. It holds while both are the same
// (empty records put in or taken out change no code).
struct CodeIndex {
    std::unordered_set<std::string> codes;
    uint64_t changes = 0;
    const void* storage = nullptr;
    bool built = false;
};
CodeIndex& Index() {
    static CodeIndex index;
    return index;
}

} // namespace

ChargeElementTable& ChargeElements() {
    static ChargeElementTable table;
    return table;
}

void WriteChargeElementFile() {
    Err().Clear();
    ChargeElementTable& table = ChargeElements();
    table.recordCount = 0;
    table.written = false;
    const std::string path = GetBceFilePath();
    if (Err().Number != 0 || path.empty()) return Err().Clear();
    os::Kill(path);
    Err().Clear();
    os::RandomFile file;
    bool complete = file.Open(path, ChargeElementRecord::kLength, os::RandomAccess::Write);
    Err().Clear();

    const auto* list = CurrentProjectData && CurrentProjectData->ChargeElements
                           ? &*CurrentProjectData->ChargeElements
                           : nullptr;
    os::FixedRecord record(ChargeElementRecord::kLength);
    size_t written = 0;
    if (list) {
        const size_t count = list->size();
        // Stand-alone milestones first: they head the plan's task list.
        for (size_t i = 0; i < count; ++i) {
            const std::shared_ptr<KovaCE>& ce = (*list)[i];
            if (!ce || !ce->StandAlone) continue;
            SetCommonFields(*ce, record);
            record.SetInteger(ChargeElementRecord::Connectable, 0);
            record.SetInteger(ChargeElementRecord::Milestone, -1);
            record.SetText(ChargeElementRecord::Parent, "");
            record.SetText(ChargeElementRecord::CEType, "5");
            complete = file.IsOpen() && file.Put(record) && complete;
            ++written;
        }
        for (size_t i = 0; i < count; ++i) {
            const std::shared_ptr<KovaCE>& ce = (*list)[i];
            if (!ce || ce->StandAlone) continue;
            SetCommonFields(*ce, record);
            record.SetInteger(ChargeElementRecord::Connectable, ce->Connectable ? -1 : 0);
            record.SetInteger(ChargeElementRecord::Milestone, ce->Milestone ? -1 : 0);
            record.SetText(ChargeElementRecord::Parent, Trim(ce->CEParent));
            record.SetText(ChargeElementRecord::OBSelement, Trim(ce->OBSelement));
            record.SetText(ChargeElementRecord::CEType, std::to_string(ce->CEType));
            complete = file.IsOpen() && file.Put(record) && complete;
            ++written;
        }
    }
    table.recordCount = static_cast<int32_t>(written);
    file.Close();
    table.written = complete && Err().Number == 0;
    Err().Clear();
}

void LoadChargeElementFile() {
    Err().Clear();
    ChargeElementTable& table = ChargeElements();
    const size_t count = table.recordCount > 0 ? static_cast<size_t>(table.recordCount) : 0;
    table.records.assign(count, std::nullopt);
    table.changed.assign(count, false);
    Index().built = false;
    table.loaded = false;
    const std::string path = GetBceFilePath();
    os::RandomFile file;
    if (Err().Number != 0 || path.empty() ||
        !file.Open(path, ChargeElementRecord::kLength, os::RandomAccess::Read))
        return Err().Clear();
    bool complete = file.Lof() == static_cast<int64_t>(count * ChargeElementRecord::kLength);
    Err().Clear();
    os::FixedRecord record(ChargeElementRecord::kLength);
    for (size_t i = 1; i <= count; ++i) {
        if (!file.Get(static_cast<int32_t>(i), record)) {
            Err().Clear();
            complete = false;
            continue;
        }
        ChargeElementEntry entry;
        entry.code = Trim(record.Text(ChargeElementRecord::Code));
        if (entry.code.empty()) continue;
        entry.description = record.Text(ChargeElementRecord::Description);
        entry.connectable = record.Integer(ChargeElementRecord::Connectable);
        entry.milestone = record.Integer(ChargeElementRecord::Milestone);
        entry.parent = record.Text(ChargeElementRecord::Parent);
        entry.obsElement = record.Text(ChargeElementRecord::OBSelement);
        entry.ceType = record.Text(ChargeElementRecord::CEType);
        entry.start = record.Text(ChargeElementRecord::Start);
        entry.finish = record.Text(ChargeElementRecord::Finish);
        table.records[i - 1] = std::move(entry);
    }
    file.Close();
    table.loaded = complete;
    Err().Clear();
}

bool IsChargeElementDeletedInKova(const std::string& code) {
    const ChargeElementTable& table = ChargeElements();
    CodeIndex& index = Index();
    if (!index.built || index.changes != RecordCode::Changes() || index.storage != table.records.data()) {
        index.codes.clear();
        for (const std::optional<ChargeElementEntry>& record : table.records)
            if (record) index.codes.insert(record->code);
        index.changes = RecordCode::Changes();
        index.storage = table.records.data();
        index.built = true;
    }
    return !index.codes.contains(Trim(code));
}

void FillChargeElementRecord(const KovaCE& ce, os::FixedRecord& record) {
    record.SetText(ChargeElementRecord::Code, Trim(ce.CECode));
    record.SetText(ChargeElementRecord::Description, Trim(ce.CEDescription));
    record.SetInteger(ChargeElementRecord::Connectable, ce.Connectable ? -1 : 0);
    record.SetInteger(ChargeElementRecord::Milestone, ce.CEType == 5 ? -1 : 0);
    record.SetText(ChargeElementRecord::Parent, Trim(ce.CEParent));
    record.SetText(ChargeElementRecord::CEType, std::to_string(ce.CEType).substr(0, 1));
}

} // namespace Grantry
