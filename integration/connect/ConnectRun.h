#pragma once
// The connect run: what the connect dialog's confirm button does once the chosen node passed the
// dialog's check. It hides the dialog, brings the ERP's master data into the plan (OBS elements,
// calendars, currency, resources and cost objects, standard charge elements), records the connection
// in the ERP, writes it into the plan's document properties, refreshes the menu and toolbar, sets the
// project calendar, builds or sends the structure, and unloads the dialog and the progress window.
//
// Every step resumes after a failure; the run tests the error state only after the recording in the
// ERP. It never clears the error state at its end: a failure left by its last steps is what
// connectProject finds when the dialog has closed.
#include <array>
#include <functional>
#include <string>

namespace Grantry {

class frmConnectProject;
struct ConnectChoices;

// Steps of the run that other units provide. An empty one is skipped and the run goes on, as it
// does after a failed master-data step.
struct ConnectRunSteps {
    // Resources and cost objects: the availability type and the transfer switches 0, 1, 2, 3, 5, 6, 8,
    // 9, 11 and 12 of the dialog's list, in this order.
    std::function<void(const std::string& availabilityType, const std::array<bool, 10>& switches)>
        transferResourcesAndCostObjects;
    // The labour cost-object file: switches 4 (Labor) and 10 (ProjectLabor).
    std::function<void(bool labor, bool projectLabor)> writeLaborCostObjectsFile;
    // The company's standard charge elements, given the company number as the dialog shows it; only
    // run when switch 7 is set.
    std::function<void(const std::string& company)> transferStandardChargeElements;
    // The structure step, only run when the dialog's create-structure box is ticked: it brings the
    // ERP's structure and budget lines into the plan or sends the plan's structure, by ownership.
    std::function<void(const ConnectChoices& choices)> buildStructure;
};

// The provided steps; the units that build them install themselves here.
ConnectRunSteps& ConnectRunHooks();

// The name of the availability calendar of `availabilityType` as the calendar transfer makes it:
// "C" + the trimmed type, "CAVAILABLE" for an empty one.
std::string AvailabilityCalendarName(const std::string& availabilityType);

// The run, on the dialog that is shown and whose node passed its check.
void RunConnect(frmConnectProject& dialog);

// Plugs the run into the dialog's confirm button.
void InstallConnectRun();

// Makes connectProject show the connect dialog modally, with the run plugged in, and ConnectionDetails
// its dialog. Called once at the program's start, by every program that serves the integration's
// commands.
void InstallConnectDialog();

} // namespace Grantry
