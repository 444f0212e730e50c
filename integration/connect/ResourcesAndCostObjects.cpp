#include "integration/connect/ResourcesAndCostObjects.h"
#include "integration/core/CommandFrame.h"

#include <memory>
#include <vector>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/KovaResource.h"
#include "dataobjects/KovaResourceData.h"
#include "integration/connect/Calendars.h"
#include "integration/connect/ConnectRun.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/Language.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/Locale.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

namespace msp = platform::msproject;
using KovaDataObjects::KovaResource;
using KovaDataObjects::KovaResourceData;
using KovaDataObjects::OptionalCollection;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::ErrObject;
using platform::automation::Variant;
using platform::forms::DefaultInstance;

namespace {

enum class Kind { Equipment, TradeGroup, Employee, Material, Subcontracting, Sundry };

// What differs between the kinds: their texts and which of the per-kind rules apply.
struct KindTexts {
    Kind kind;
    const char* standardLog; // logged when the standard switch is set
    const char* projectLog;  // logged when the project switch is set; nullptr: no project objects
    const char* status;      // the progress window's text
    const char* note;        // project switch set, yet no project object came
    bool statusBeforeLog;    // trade groups and employees show the status before their log line
};

constexpr KindTexts kKinds[] = {
    {Kind::Equipment, "Standard Equipment...", "Transferring Project Equipment",
     "Transferring Equipment Resources ...", "Note: no project equipment cost objects found", false},
    {Kind::TradeGroup, "Trade Groups...", nullptr, "Transferring Trade Group Resources ...", nullptr, true},
    {Kind::Employee, "Employees...", nullptr, "Transferring Employee Resources ...", nullptr, true},
    {Kind::Material, "Standard Material...", "Transferring Project Materials",
     "Transferring Material Cost Objects ...", "Note: no project item cost objects found", false},
    {Kind::Subcontracting, "Standard Subcontracting...", "Transferring Project Subcontracting",
     "Transferring Subcontracting Cost Objects ...", "Note: no project subcontracting cost objects found",
     false},
    {Kind::Sundry, "Standard Sundry Cost Object...", "Transferring Project Sundry Cost Objects",
     "Transferring Sundry Cost Objects ...", "Note: no project sundry cost objects found", false},
};

void ShowStatus(const std::string& text) {
    ErrObject before = Err();
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
    Err() = before;
}

void RefreshStatus() {
    ErrObject before = Err();
    DefaultInstance<frmIntegrationStatus>().lblStatus.Refresh();
    Err() = before;
}

void RemoveAll(std::string& text, const std::string& separator) {
    if (separator.empty() || text.find(separator) == std::string::npos) return;
    std::string shortened;
    for (size_t at = 0; at < text.size();) {
        size_t hit = text.find(separator, at);
        if (hit == std::string::npos) hit = text.size();
        shortened.append(text, at, hit - at);
        at = hit == text.size() ? hit : hit + separator.size();
    }
    text = shortened;
}

// The resource whose code is `code`. The search tests "contains", so its first hit may be another
// resource whose code only begins with this one (12 in 123); the hits are followed until one carries
// exactly this code, otherwise a transfer would rename and rewrite the wrong resource.
msp::Resource FindResource(msp::Application& app, bool byCode, const std::string& code) {
    Err().Clear();
    bool found = app.Find(byCode ? "text2" : "Name", GetFilterTestText(9), Variant(code));
    if (Err().Number != 0 || !found) return Err().Clear(), msp::Resource{};
    const std::string wanted = Trim(code);
    msp::Resource first = app.ActiveCell().Resource();
    if (Err().Number != 0 || !first) return Err().Clear(), msp::Resource{};
    msp::Resource hit = first;
    const int32_t rows = app.ActiveProject().Resources().Count();
    for (int32_t tries = 0; tries <= rows; ++tries) {
        if (Trim(hit.Text(2)) == wanted) return Err().Clear(), hit;
        if (!app.FindNext() || Err().Number != 0) break;
        hit = app.ActiveCell().Resource();
        if (Err().Number != 0 || !hit || hit.Id() == first.Id()) break;
    }
    Err().Clear();
    return {};
}

// Writes one field; a failure leaves it as the planning program has it.
void Put(msp::Resource& resource, const char* field, const Variant& value) {
    resource.SetField(field, value);
    Err().Clear();
}

void TransferOne(msp::Application& app, Kind kind, KovaResource& record, const std::string& separator,
                 const std::string& availabilityType) {
    RemoveAll(record.Description, separator);
    RemoveAll(record.ResourceNameInMsP, separator);
    RemoveAll(record.ResourceCodeInMsP, separator);

    msp::Resource resource = FindResource(app, kind == Kind::Employee, record.ResourceCodeInMsP);
    if (resource) {
        Put(resource, "Name", Variant(record.ResourceNameInMsP));
    } else {
        resource = app.ActiveProject().Resources().Add(record.ResourceNameInMsP);
        if (Err().Number != 0 || !resource) return Err().Clear();
    }

    const bool costObject = kind == Kind::Material || kind == Kind::Subcontracting || kind == Kind::Sundry;
    if (kind == Kind::Equipment) Put(resource, "Text1", Variant(Trim(record.Unit)));
    if (costObject) Put(resource, "Text1", Variant(record.Unit));
    Put(resource, "Text2", Variant(record.ResourceCodeInMsP));
    Put(resource, "Text3", Variant(record.Description));
    if (kind == Kind::Equipment || kind == Kind::TradeGroup)
        Put(resource, "MaxUnits", Variant(record.AvailableUnits));
    if (!costObject) Put(resource, "StandardRate", Variant(record.StandardRate));
    if (costObject) {
        Put(resource, "CostPerUse", Variant(record.StandardRate));
        Put(resource, "AccrueAt", Variant(int32_t{kind == Kind::Subcontracting ? 3 : 1}));
    }
    if (kind == Kind::Employee) Put(resource, "EMailAddress", Variant(Trim(record.Email)));
    if (!costObject) {
        const std::string calendar = Trim(record.Calendar);
        if (!calendar.empty()) {
            AssignResourceCalendar(resource, calendar, availabilityType);
        } else {
            resource.SetBaseCalendar(AvailabilityCalendarName(availabilityType));
        }
        Err().Clear();
    }
}

} // namespace

std::string GetListSeparator() {
    const uint32_t lcid = platform::os::GetUserDefaultLCID();
    const int32_t length = platform::os::GetLocaleInfo(lcid, platform::os::LOCALE_SLIST, nullptr, 0);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length));
    if (platform::os::GetLocaleInfo(lcid, platform::os::LOCALE_SLIST, buffer.data(), length) <= 0) return {};
    std::string text(buffer.data(), buffer.size());
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

void TransferResourcesAndCostObjects(const std::string& availabilityType, bool transferEquipment,
                                     bool transferTradegroup, bool transferEmployee, bool transferItem,
                                     bool transferSubContracting, bool transferSundry,
                                     bool transferProjectEquipment, bool transferProjectItem,
                                     bool transferProjectSubContracting, bool transferProjectSundry) {
    Err().Clear();
    PrintLog("Transferring Resources...");
    if (!MSProjectApplication) return Err().Raise(platform::automation::errors::ObjectNotSet);
    msp::Application& app = *MSProjectApplication;

    app.ViewApply("Kova Proj Resources", true);
    Err().Clear();
    // The program's own prompts stay off while resources are added; the user's setting comes back at
    // the end, so that closing a changed plan still asks.
    const bool alertsWereShown = app.DisplayAlerts();
    app.Alerts(false);
    Err().Clear();

    const std::string project = CurrentProjectData ? CurrentProjectData->ProjectCode : std::string();
    const std::string type = availabilityType.empty() ? std::string("AVAILABLE") : availabilityType;
    auto data = std::make_shared<KovaResourceData>();
    const std::string separator = GetListSeparator();

    for (const KindTexts& texts : kKinds) {
        bool standard = false, projectOwn = false;
        OptionalCollection<KovaResource>* records = nullptr;
        switch (texts.kind) {
        case Kind::Equipment:
            standard = transferEquipment, projectOwn = transferProjectEquipment, records = &data->Equipments;
            break;
        case Kind::TradeGroup: standard = transferTradegroup, records = &data->TradeGroups; break;
        case Kind::Employee: standard = transferEmployee, records = &data->Employees; break;
        case Kind::Material:
            standard = transferItem, projectOwn = transferProjectItem, records = &data->Materials;
            break;
        case Kind::Subcontracting:
            standard = transferSubContracting, projectOwn = transferProjectSubContracting,
            records = &data->Subcontracts;
            break;
        case Kind::Sundry:
            standard = transferSundry, projectOwn = transferProjectSundry, records = &data->Sundries;
            break;
        }
        if (!standard && !projectOwn) continue;

        if (texts.statusBeforeLog) {
            ShowStatus(texts.status);
            PrintLog(std::string("   ") + texts.standardLog);
        } else {
            if (standard) PrintLog(std::string("   ") + texts.standardLog);
            if (projectOwn) PrintLog(std::string("   ") + texts.projectLog);
            ShowStatus(texts.status);
        }

        std::string connector = BOIConnector;
        switch (texts.kind) {
        case Kind::Equipment: data->TransferEquipments(connector, project, type, standard, projectOwn); break;
        case Kind::TradeGroup: data->TransferTradeGroups(connector, project, type); break;
        case Kind::Employee: data->TransferEmployees(connector, type); break;
        case Kind::Material:
            data->TransferMaterialCostObjects(connector, project, type, standard, projectOwn);
            break;
        case Kind::Subcontracting:
            data->TransferSubContractCostObjects(connector, project, type, standard, projectOwn);
            break;
        case Kind::Sundry:
            data->TransferSundryCostObjects(connector, project, type, standard, projectOwn);
            break;
        }
        RefreshStatus();
        if (Err().Number != 0) {
            PrintLog(Err().Description);
            Err().Clear();
            continue;
        }

        bool projectObjectSeen = false;
        if (*records) {
            for (const std::shared_ptr<KovaResource>& record : **records) {
                if (!record) continue;
                TransferOne(app, texts.kind, *record, separator, type);
                if (!record->Project.empty()) projectObjectSeen = true;
            }
        }
        if (texts.note && projectOwn && !projectObjectSeen) PrintLog(std::string("     ") + texts.note);
        for (const std::string& refused : data->RefusedRecords)
            PrintLog("     Not transferred: " + refused);
    }

    app.Alerts(alertsWereShown);
    Err().Clear();
    app.ViewApply("Kova Proj Gantt", true);
}

void InstallResourcesAndCostObjectsStep() {
    ConnectRunHooks().transferResourcesAndCostObjects = [](const std::string& availabilityType,
                                                           const std::array<bool, 10>& s) {
        TransferResourcesAndCostObjects(availabilityType, s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7],
                                        s[8], s[9]);
    };
}

} // namespace Grantry
