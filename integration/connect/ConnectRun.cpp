#include "integration/connect/ConnectRun.h"

#include <cmath>
#include <optional>

#include "dataobjects/KovaProjectData.h"
#include "dataobjects/LibrarySupport.h"
#include "integration/chargestructure/ConnectStructureStep.h"
#include "integration/chargestructure/SendChargeStructure.h"
#include "integration/chargestructure/SortOnChargeElementCode.h"
#include "integration/chargestructure/StandardChargeElements.h"
#include "integration/chargestructure/frmChargeElement.h"
#include "integration/connect/Calendars.h"
#include "integration/connect/LaborCostObjectsFile.h"
#include "integration/connect/ProjectDetails.h"
#include "integration/connect/ResourcesAndCostObjects.h"
#include "integration/connect/frmConnectProject.h"
#include "integration/connect/frmConnectionDetail.h"
#include "integration/core/CommandFrame.h"
#include "integration/core/ConnectionDetailsCommand.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "integration/core/StandardCECommand.h"
#include "integration/core/SynchronizeMasterData.h"
#include "integration/core/frmIntegrationStatus.h"
#include "platform/automation/Error.h"
#include "platform/automation/Variant.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/msproject/Model.h"
#include "platform/os/TextFiles.h"

namespace Grantry {

using namespace platform::forms;
using KovaDataObjects::Trim;
using platform::automation::Err;
using platform::automation::ErrObject;
using platform::automation::Variant;

namespace {

constexpr char kCRLF[] = "\r\n";

// The progress window's label, repainted, and the same text in the log.
void Progress(const std::string& text) {
    ErrObject before = Err();
    frmIntegrationStatus& status = DefaultInstance<frmIntegrationStatus>();
    status.lblStatus.Caption = text;
    status.lblStatus.Refresh();
    Err() = before;
    PrintLog(text);
}

platform::msproject::Application* App() {
    if (!MSProjectApplication) {
        Err().Raise(platform::automation::errors::ObjectNotSet);
        return nullptr;
    }
    return MSProjectApplication.get();
}

// The company the dialog shows into the plan's company property; a text that is no number is
// refused by the property and ignored, as the connection properties write the company again.
void WriteCompanyProperty(const std::string& company) {
    if (platform::msproject::Application* app = App()) {
        app->ActiveProject().CustomDocumentProperties().Item("KovaCompany").SetValue(Variant(company));
    }
}

void WriteProperties(ConnectChoices& c) {
    std::array<bool, 13>& t = c.transfer;
    Variant unused1, unused2, unused3;
    WriteConnectionProperties(t[0], t[1], t[2], t[3], t[4], t[5], t[6], c.matSubTask, c.labSubTask,
                              c.eqpSubTask, c.subSubTask, c.sunSubTask, c.scheduleBase, c.availabilityType,
                              c.createStructure, t[7], unused1, unused2, unused3, c.sort, t[8], t[9], t[10],
                              t[11], t[12]);
}

// The windows of the run go; the failure state stays as the run left it.
void CloseRunWindows(frmConnectProject& dialog) {
    ErrObject before = Err();
    // The node chooser goes first.
    UnloadForm<frmChargeElement>();
    dialog.Unload();
    UnloadForm<frmIntegrationStatus>();
    Err() = before;
}

// The plan is scheduled from the ERP project's start, as the planning program schedules a project
// from its start date: the tasks that bring no dates of their own take it, and the plan's start
// agrees with its tasks instead of staying the day the plan was made. A start without a time of day
// (the data library reads midnight as 00:00:01) begins at 08:00, as a new plan's does. Nothing when
// the ERP has no start, and a logged line when the plan cannot be scheduled from it (a start of 1900,
// which the data library reads as no start, too).
std::optional<platform::automation::Date> ScheduleStart() {
    if (!CurrentProjectData) return std::nullopt;
    const platform::automation::Date given = CurrentProjectData->StartDate.IsZero()
                                                 ? CurrentProjectData->StartDateReadAsNone
                                                 : CurrentProjectData->StartDate;
    if (given.IsZero()) return std::nullopt;
    platform::automation::Date start = given;
    if (start.TimePart() * 86400.0 < 59.5)
        start = platform::automation::Date(std::floor(start.Serial()) + 8.0 / 24.0);
    if (!platform::msproject::detail::IsScheduleDate(start)) {
        PrintLog("The start " + platform::msproject::detail::ShownDate(given) + " of Kova Project " +
                 CurrentProjectData->ProjectCode + " is outside the dates Microsoft Project schedules " +
                 platform::msproject::detail::kScheduleDatesText + "; the plan keeps its own start.");
        return std::nullopt;
    }
    return start;
}

} // namespace

ConnectRunSteps& ConnectRunHooks() {
    static ConnectRunSteps steps;
    return steps;
}

std::string AvailabilityCalendarName(const std::string& availabilityType) {
    // The calendar transfer names the calendar of an empty type "CAVAILABLE"; "C" alone would name
    // a calendar that never exists, and setting it would fail the whole connection.
    const std::string type = Trim(availabilityType);
    return "C" + (type.empty() ? std::string("AVAILABLE") : type);
}

void RunConnect(frmConnectProject& dialog) {
    Err().Clear();
    ConnectChoices choices = dialog.GatherChoices();
    const ConnectRunSteps& steps = ConnectRunHooks();

    dialog.Hide();
    DefaultInstance<frmIntegrationStatus>().Show(vbModeless);
    Progress("Establishing Connection between Kova and Microsoft Project ...");

    Progress("Transferring OBS Elements ...");
    WriteObsElementsFile();

    Progress("Transferring Base Calendars ...");
    TransferBaseCalendars(choices.availabilityType, false);

    if (platform::msproject::Application* app = App())
        app->ActiveProject().SetCurrencySymbol(choices.currency);

    Progress("Transferring Resources/Cost Objects...");
    const std::array<bool, 13>& t = choices.transfer;
    if (steps.transferResourcesAndCostObjects)
        steps.transferResourcesAndCostObjects(choices.availabilityType,
                                              {t[0], t[1], t[2], t[3], t[5], t[6], t[8], t[9], t[11], t[12]});
    if (steps.writeLaborCostObjectsFile) steps.writeLaborCostObjectsFile(t[4], t[10]);

    WriteCompanyProperty(choices.company);

    if (t[7]) {
        Progress("Transferring Standard Charge Elements ...");
        if (steps.transferStandardChargeElements) steps.transferStandardChargeElements(choices.company);
    }

    std::string node = choices.node;
    RecordConnectionInKova(node);
    if (Err().Number != 0) {
        PrintLog(FormatErrorForLog(Err().Description));
        ErrObject failure = Err();
        MsgBox("Connection not established with Kova Project", vbOKOnly + vbCritical, kMessageTitle);
        MsgBox("A Connection can not be made to the selected Charge Element : " + node + kCRLF + kCRLF +
                   "Please check if any External Schedule links already exist for this project",
               vbOKOnly + vbCritical, kMessageTitle);
        Err() = failure;
        return CloseRunWindows(dialog);
    }

    WriteProperties(choices);
    UpdateCommandBarState();

    if (platform::msproject::Application* app = App()) {
        platform::msproject::ProjectSummaryInfoArgs args;
        args.Calendar = AvailabilityCalendarName(choices.availabilityType);
        args.Start = ScheduleStart();
        app->ProjectSummaryInfo(args);
    }

    if (choices.createStructure && steps.buildStructure) steps.buildStructure(choices);

    CloseRunWindows(dialog);
}

void InstallConnectRun() {
    frmConnectProject::ConnectRun = [](frmConnectProject& dialog) { RunConnect(dialog); };
    ConnectRunHooks().writeLaborCostObjectsFile = WriteLaborCostObjectsFile;
    ConnectRunHooks().transferStandardChargeElements = TransferStandardChargeElements;
    ConnectRunHooks().buildStructure = [](const ConnectChoices& c) {
        BuildChargeStructureOnConnect(
            {c.ownershipText,
             c.defaultKovaStructure,
             c.node,
             {c.matSubTask, c.labSubTask, c.eqpSubTask, c.subSubTask, c.sunSubTask}});
    };
    InstallResourcesAndCostObjectsStep();
    InstallSortTasksOnChargeElementCode();
    ConnectStructureHooks().sendChargeStructureToKova = SendChargeStructureToKova;
}

void InstallConnectDialog() {
    InstallConnectRun();
    TransferStandardCEFile = TransferStandardChargeElements;
    TransferBaseCalendarsStep = TransferBaseCalendars;
    TransferResourcesAndCostObjectsStep = TransferResourcesAndCostObjects;
    WriteLaborCostObjectsFileStep = WriteLaborCostObjectsFile;
    ShowConnectionDetailsDialog = [] {
        DefaultInstance<frmConnectionDetail>().Show(vbModal);
        if (IsFormLoaded<frmConnectionDetail>()) UnloadForm<frmConnectionDetail>();
    };
    ShowConnectDialog = [] {
        DefaultInstance<frmConnectProject>().Show(vbModal);
        // A run that ended early (a task the structure step could not delete) leaves its windows
        // hidden or open; they go with the dialog's end, and its failure stays for connectProject.
        ErrObject before = Err();
        if (IsFormLoaded<frmConnectProject>()) UnloadForm<frmConnectProject>();
        UnloadForm<frmIntegrationStatus>();
        Err() = before;
    };
}

} // namespace Grantry
