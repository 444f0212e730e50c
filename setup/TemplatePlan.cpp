#include "setup/TemplatePlan.h"

#include <array>
#include <utility>

#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "setup/basMsPComp.h"

namespace basMsPComp {

namespace msp = platform::msproject;
using platform::automation::Err;

namespace {

// Macro name, and the command object's method it calls.
constexpr std::array<std::pair<const char*, const char*>, 14> kMacros = {{
    {"ConnectProject", "connectProject"},
    {"ConnectionDetails", "ConnectionDetails"},
    {"SynchronizeMasterData", "SynchronizeMasterData"},
    {"SaveBaseline", "SaveBaseline"},
    {"SynchronizeBudgetSchedule", "SynchronizeBudgetSchedule"},
    {"DisconnectProject", "disconnectProject"},
    {"OrbelAbout", "OrbelAbout"},
    {"KovaProjectOpen", "KovaProjectOpen"},
    {"InsertChargeElement", "InsertChargeElement"},
    {"ModifyChargeElementDetails", "ModifyChargeElementDetails"},
    {"DeleteChargeElement", "DeleteChargeElement"},
    {"TransferStandardCE", "TransferStandardCE"},
    {"BudgetLineDetails", "BudgetLineDetails"},
    {"ConvertAssignmentsToTask", "ConvertAssignmentsToTask"},
}};

// The toolbar's buttons: 1 to 4 work on a structure the plan owns, 5 and 6 on a connected plan.
constexpr std::array<std::pair<const char*, const char*>, 6> kToolbarButtons = {{
    {"Insert Charge Element", "InsertChargeElement"},
    {"Modify Charge Element", "ModifyChargeElementDetails"},
    {"Delete Charge Element", "DeleteChargeElement"},
    {"Transfer Standard Charge Elements", "TransferStandardCE"},
    {"Budget Line Details", "BudgetLineDetails"},
    {"Convert Assignments to Tasks", "ConvertAssignmentsToTask"},
}};

constexpr char kToolbarName[] = "KovaProjectToolBar";
constexpr char kModuleName[] = "KovaProjectIntegration";

} // namespace

std::string TemplateModuleCode() {
    std::string code = "Option Explicit\r\n";
    for (const auto& [macro, method] : kMacros) {
        code += "\r\nPublic Sub " + std::string(macro) + "()\r\n";
        code += "    Dim KovaIntegration As Object\r\n";
        code += "    Set KovaIntegration = CreateObject(\"Grantry.KovaMSP\")\r\n";
        code += "    KovaIntegration." + std::string(method) + "\r\n";
        code += "    Set KovaIntegration = Nothing\r\n";
        code += "End Sub\r\n";
    }
    return code;
}

bool WriteTemplatePlan(msp::Application& app, const std::string& path) {
    Err().Clear();
    app.FileNew(false);
    if (Err().Number != 0) return false;
    const std::string plan = app.ActiveProject().Name();

    app.TableEdit("KovaProjectIntegration", true, true,
                  {"ID", "Name", "Text1", "Text15", "Duration", "Start", "Finish"});
    app.TableEdit("KovaProjectBudget", true, true,
                  {"ID", "Name", "Text1", "Text8", "Text20", "Work", "Start"});
    app.TableEdit("KovaProjectResources", false, true, {"ID", "Name", "Text2", "MaxUnits", "StandardRate"});
    // No criteria: every non-blank row.
    app.FilterEdit("AllKovaProjectTasks", true, true);
    app.FilterEdit("AllKovaProjectResources", false, true);
    app.ViewEditSingle("Kova Proj Gantt", true, true, "KovaProjectIntegration");
    app.ViewEditSingle("Kova Proj Resources", true, false, "KovaProjectResources");
    app.ViewEditSingle("Kova Proj Budget", true, true, "KovaProjectBudget");
    if (Err().Number != 0) return false;

    // The plan's own macro project is the newest one.
    msp::VBProjects projects = app.VBE().VBProjects();
    msp::VBComponent module = projects.Item(projects.Count()).VBComponents().Add(msp::vbext_ct_StdModule);
    module.SetName(kModuleName);
    module.CodeModule().AddFromString(TemplateModuleCode());
    if (Err().Number != 0) return false;

    // Toolbars are made in the global template; the organizer moves this one into the plan.
    msp::CommandBar bar = app.CommandBars().Add(kToolbarName);
    for (const auto& [caption, macro] : kToolbarButtons) {
        msp::CommandBarControl button = bar.Controls().Add(msp::msoControlButton);
        button.SetCaption(caption);
        button.SetOnAction(macro);
    }
    app.OrganizerMoveItem(msp::pjToolbars, kGlobalTemplate, plan, kToolbarName, true);
    bool moved = Err().Number == 0;
    Err().Clear();
    app.OrganizerDeleteItem(msp::pjToolbars, kGlobalTemplate, kToolbarName, true);
    Err().Clear();
    if (!moved) return false;

    app.FileSaveAs(path, "MSProject.MPP");
    bool saved = Err().Number == 0;
    platform::automation::ErrObject failure = Err();
    app.FileClose(msp::pjDoNotSave);
    Err() = failure;
    return saved;
}

} // namespace basMsPComp
