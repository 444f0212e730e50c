#include "integration/chargestructure/StandardChargeElements.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "dataobjects/KovaConnection.h"
#include "dataobjects/KovaSCE.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace os = platform::os;
using KovaDataObjects::KovaSCE;
using KovaDataObjects::Trim;
using platform::automation::Err;

namespace {

constexpr size_t kMaxEntries = INT16_MAX; // the catalogue is walked with a 16-bit counter

std::string Abbreviation(const std::string& type, const std::string& previous) {
    if (type == "1") return "WBS";
    if (type == "2") return "PCA";
    if (type == "3") return "PP";
    if (type == "4") return "WP";
    if (type == "5") return "Mil";
    return previous;
}

} // namespace

std::string GetStandardChargeElementsFilePath(const std::string& company) {
    return GetApplicationPath() + "/Data/" + company + ".sce";
}

void TransferStandardChargeElements(const std::string& company) {
    Err().Clear();
    // A company text that is no number names no file; the catalogue is still asked for, and its
    // failure still logged, as every other step goes on.
    std::string path;
    int32_t number = platform::automation::CLng(platform::automation::Variant(company));
    if (Err().Number == 0) path = GetStandardChargeElementsFilePath(std::to_string(number));
    Err().Clear();

    os::RandomFile file;
    if (!path.empty()) {
        os::Kill(path);
        Err().Clear();
        file.Open(path, StandardChargeElementRecord::kLength, os::RandomAccess::Write);
        Err().Clear();
    }

    KovaDataObjects::OptionalCollection<KovaSCE> list;
    if (CurrentConnection)
        list = CurrentConnection->getKovaSCEList(BOIConnector);
    else
        Err().Raise(platform::automation::errors::ObjectNotSet);

    // The buffer is not cleared between records: the end record keeps the last description.
    os::FixedRecord record(StandardChargeElementRecord::kLength);
    if (Err().Number != 0) {
        os::PrintLine(os::LogFileNumber, "Standard Charge Elements not transferred from." + company);
        Err().Clear();
    } else if (list) {
        const size_t count = std::min(list->size(), kMaxEntries);
        for (size_t i = 0; i < count; ++i) {
            const std::shared_ptr<KovaSCE>& sce = (*list)[i];
            if (!sce) continue;
            record.SetText(StandardChargeElementRecord::Code, Trim(sce->Code));
            record.SetText(StandardChargeElementRecord::Description, Trim(sce->Description));
            record.SetText(StandardChargeElementRecord::SCEType, Trim(sce->SCEType));
            if (file.IsOpen()) file.Put(record);
            Err().Clear();
        }
    }

    record.SetText(StandardChargeElementRecord::Code, "");
    record.SetText(StandardChargeElementRecord::SCEType, ".");
    if (file.IsOpen()) file.Put(record);
    file.Close();
    Err().Clear();
}

std::vector<std::string> ReadStandardChargeElementEntries(const std::string& path) {
    std::vector<std::string> entries;
    os::RandomFile file;
    if (!file.Open(path, StandardChargeElementRecord::kLength, os::RandomAccess::Read)) {
        Err().Clear();
        return entries;
    }
    os::FixedRecord record(StandardChargeElementRecord::kLength);
    std::string abbreviation;
    while (!file.Eof()) {
        if (!file.Get(record)) break;
        std::string type = Trim(record.Text(StandardChargeElementRecord::SCEType));
        if (type.find('.') != std::string::npos) break;
        std::string code = Trim(record.Text(StandardChargeElementRecord::Code));
        std::string description = Trim(record.Text(StandardChargeElementRecord::Description));
        abbreviation = Abbreviation(type, abbreviation);
        if (!code.empty() && code.find('.') == std::string::npos)
            entries.push_back(abbreviation + "." + code + " . " + description);
    }
    file.Close();
    Err().Clear();
    return entries;
}

} // namespace Grantry
