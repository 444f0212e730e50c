#include "integration/budgetdialogs/CostObjectLists.h"

#include "dataobjects/LibrarySupport.h"
#include "integration/budget/KovaBudgetLineTasks.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/Language.h"
#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/RandomFile.h"

namespace Grantry {

namespace msp = platform::msproject;
namespace os = platform::os;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::Variant;

namespace {

constexpr int32_t kLabor = 2;

bool IsEndRecord(const os::FixedRecord& record) {
    return record.Text(LaborCostObjectRecord::Project).find('.') != std::string::npos;
}

std::string LaborCode(const std::string& project, const std::string& code) {
    return project.empty() ? "LAB." + code : "LAB." + project + "." + code;
}

void ListLaborCostObjects(platform::forms::ComboBox& costObjects, LaborRecordNumbers& laborRecords) {
    const std::string path = GetLcoFilePath();
    Err().Clear();
    os::RandomFile file;
    if (path.empty() || !file.Open(path, LaborCostObjectRecord::kLength, os::RandomAccess::Read))
        return Err().Clear();
    os::FixedRecord record(LaborCostObjectRecord::kLength);
    int32_t damaged = 0;
    for (int32_t number = 1; !file.Eof(); ++number) {
        if (!file.Get(record) || IsEndRecord(record)) break;
        if (!IsTextRecord(record.Bytes())) {
            if (damaged == 0) damaged = number;
            continue;
        }
        const std::string code = Trim(record.Text(LaborCostObjectRecord::Code));
        if (code.empty()) continue;
        costObjects.AddItem(LaborCode(Trim(record.Text(LaborCostObjectRecord::Project)), code) + " " +
                            Trim(record.Text(LaborCostObjectRecord::Description)));
        laborRecords.push_back(number);
    }
    file.Close();
    Err().Clear();
    if (damaged != 0)
        platform::forms::MsgBox(DamagedSideFileText(path, damaged), platform::forms::vbOKOnly + platform::forms::vbExclamation,
                                kMessageTitle);
}

void ListResources(platform::forms::ComboBox& list, const std::vector<std::string>& marks) {
    if (!MSProjectApplication) return;
    msp::Resources resources = MSProjectApplication->ActiveProject().Resources();
    const int32_t count = resources.Count();
    for (int32_t i = 1; i <= count; ++i) {
        msp::Resource resource = resources.Item(i);
        if (!resource) continue; // a blank row of the resource sheet
        const std::string name = resource.Name();
        for (const std::string& mark : marks)
            if (name.find(mark) != std::string::npos) {
                list.AddItem(name);
                break;
            }
    }
    Err().Clear();
}

} // namespace

void ListCostObjects(int32_t costType, platform::forms::ComboBox& costObjects,
                     platform::forms::ComboBox& employees, LaborRecordNumbers& laborRecords) {
    costObjects.Clear();
    laborRecords.clear();
    if (costType == kLabor) {
        ListLaborCostObjects(costObjects, laborRecords);
        ListResources(employees, {kEmployeePrefix, kTradeGroupPrefix});
    } else if (const std::string mark = CostTypePrefix(std::to_string(costType)); !mark.empty()) {
        // The resource names of a cost type's cost objects carry its code prefix.
        ListResources(costObjects, {mark});
    }
    Err().Clear();
}

CostObjectDetails LookUpCostObject(int32_t costType, int listIndex, const std::string& entryText,
                                   const LaborRecordNumbers& laborRecords) {
    CostObjectDetails details;
    if (listIndex < 0 || !MSProjectApplication) return details;
    msp::Application& app = *MSProjectApplication;
    if (costType == kLabor) {
        if (static_cast<size_t>(listIndex) >= laborRecords.size()) return details;
        os::RandomFile file;
        os::FixedRecord record(LaborCostObjectRecord::kLength);
        const std::string path = GetLcoFilePath();
        if (!path.empty() && file.Open(path, LaborCostObjectRecord::kLength, os::RandomAccess::Read) &&
            file.Get(laborRecords[static_cast<size_t>(listIndex)], record)) {
            details.Project = Trim(record.Text(LaborCostObjectRecord::Project));
            details.Code = LaborCode(details.Project, Trim(record.Text(LaborCostObjectRecord::Code)));
            details.Description = Trim(record.Text(LaborCostObjectRecord::Description));
        }
        Err().Clear();
        return details;
    }
    app.ViewApply("Kova Proj Resources", true);
    AlertsOffScope alertsOff;
    Err().Clear();
    // The entry is a whole resource name: only that resource will do, not the first one whose name
    // merely contains it.
    if (app.Find("Name", GetFilterTestText(1), Variant(entryText)) && Err().Number == 0) {
        msp::Resource resource = app.ActiveCell().Resource();
        if (resource && Trim(resource.Name()) == Trim(entryText)) {
            details.Code = Trim(resource.Text2());
            details.Description = Trim(resource.Text3());
            details.Unit = Trim(resource.Text1());
        }
    }
    Err().Clear();
    return details;
}

} // namespace Grantry
