#include "integration/connect/LaborCostObjectsFile.h"

#include <memory>
#include <string>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/KovaResource.h"
#include "dataobjects/KovaResourceData.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/os/FileSystem.h"
#include "platform/os/RandomFile.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace os = platform::os;
using KovaDataObjects::KovaResource;
using KovaDataObjects::KovaResourceData;
using platform::automation::Err;

namespace {

// A log line; a log that is not open is no reason to stop.
void LogLine(const std::string& text) {
    os::PrintLine(os::LogFileNumber, text);
    Err().Clear();
}

void ShowStatus(const std::string* text) {
    frmIntegrationStatus& status = platform::forms::DefaultInstance<frmIntegrationStatus>();
    if (text) status.lblStatus.Caption = *text;
    status.lblStatus.Refresh();
    Err().Clear();
}

} // namespace

void WriteLaborCostObjectsFile(bool transferLabor, bool transferProjectLabor) {
    Err().Clear();
    std::string project = CurrentProjectData ? CurrentProjectData->ProjectCode : std::string();
    if (!transferLabor && !transferProjectLabor) return;

    std::string path = GetLcoFilePath();
    Err().Clear();
    if (!path.empty()) os::Kill(path);
    Err().Clear();

    auto resources = std::make_shared<KovaResourceData>();
    const std::string status = "Transferring Labor Cost Objects ...";
    ShowStatus(&status);
    if (transferLabor) LogLine("Transferring Labor Cost Object Information...");
    if (transferProjectLabor) LogLine("Transferring Project Labor");

    os::RandomFile file;
    if (!path.empty()) file.Open(path, LaborCostObjectRecord::kLength, os::RandomAccess::Write);
    Err().Clear();

    resources->TransferLaborCostObjects(BOIConnector, project, transferLabor, transferProjectLabor);
    const bool failed = Err().Number != 0;
    const std::string description = Err().Description;
    ShowStatus(nullptr);

    // The buffer is not cleared between records: the end record keeps the last description and unit.
    os::FixedRecord record(LaborCostObjectRecord::kLength);
    if (failed) {
        LogLine(description);
    } else if (resources->Labors) {
        for (const std::shared_ptr<KovaResource>& labor : *resources->Labors) {
            if (!labor) continue;
            record.SetText(LaborCostObjectRecord::Project, labor->Project);
            record.SetText(LaborCostObjectRecord::Code, labor->Code);
            record.SetText(LaborCostObjectRecord::Description, labor->Description);
            record.SetText(LaborCostObjectRecord::Unit, labor->Unit);
            if (file.IsOpen()) file.Put(record);
            Err().Clear();
        }
    }

    record.SetText(LaborCostObjectRecord::Code, "");
    record.SetText(LaborCostObjectRecord::Project, ".");
    if (file.IsOpen()) file.Put(record);
    file.Close();
    resources.reset();
    Err().Clear();
}

} // namespace Grantry
