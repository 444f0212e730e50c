#include "setup/TemplateAdditions.h"

#include <array>

#include "platform/automation/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "setup/Tolvane.h"
#include "setup/basMsPComp.h"

namespace Tolvane {

namespace msp = platform::msproject;
namespace forms = platform::forms;
using platform::automation::Err;

namespace {

struct MenuItem {
    const char* caption;
    const char* onAction;
    bool enabled;
    bool beginGroup;
};

// The order is fixed: the integration enables and disables the items by position.
constexpr std::array<MenuItem, 7> kMenuItems = {{
    {"&Connect Project", "ConnectProject", true, false},
    {"Co&nnection Details", "ConnectionDetails", false, false},
    {"Synchronize &Master Data", "SynchronizeMasterData", false, false},
    {"Save &Baseline", "SaveBaseline", false, false},
    {"&Synchronize ChBS/Budget/Schedule", "SynchronizeBudgetSchedule", false, false},
    {"&Disconnect Project", "DisconnectProject", false, false},
    {"About...", "OrbelAbout", true, true},
}};

constexpr std::array<const char*, 17> kEventCodeLines = {
    "   On Error GoTo ContinueSearch",
    "   ' First check if the reference to Integration Object exists",
    "   Dim GlobalProject As Object",
    "   Dim Counter As Integer",
    "   Dim IntegrationReferenceExists As Boolean",
    "   Set GlobalProject = ActiveProject.Application.VBE.VBProjects(1)",
    "   For Counter = 1 to GlobalProject.References.Count",
    "       If GlobalProject.References(Counter).Name = \"Grantry\" then ",
    "           IntegrationReferenceExists = True",
    "       endif",
    "ContinueSearch:",
    "   Next Counter",
    "   If IntegrationReferenceExists then",
    "       ' When the reference to Integration Object exists then",
    "       ' do all the actions necessary when a project is Opened or Actuated",
    "       KovaProjectOpen",
    "   End If",
};

} // namespace

void AddIntegrationMenu() {
    if (!ProjectApp) return;
    msp::CommandBar file = ProjectApp->CommandBars(basMsPComp::kFileCommandBar);
    for (msp::CommandBarControl c : file.Controls())
        if (c.Caption() == basMsPComp::kMenuCaption) return;
    msp::CommandBarControl menu = file.Controls().Add(msp::msoControlPopup, 5);
    menu.SetCaption(basMsPComp::kMenuCaption);
    menu.SetBeginGroup(true);
    for (const MenuItem& item : kMenuItems) {
        msp::CommandBarControl button = menu.Controls().Add(msp::msoControlButton);
        button.SetCaption(item.caption);
        if (item.beginGroup) button.SetBeginGroup(true);
        button.SetEnabled(item.enabled);
        button.SetOnAction(item.onAction);
    }
    menu.SetVisible(true);
}

void AddServerReference() {
    if (!ProjectApp) return;
    msp::References references = ProjectApp->VBE().VBProjects(1).References();
    int32_t count = references.Count();
    for (int32_t i = 1; i <= count; ++i) {
        std::string name = references.Item(i).Name();
        if (Err().Number != 0) {
            Err().Clear(); // a reference whose name cannot be read is passed over
            continue;
        }
        if (name == basMsPComp::kServerReferenceName) return;
    }
    Err().Clear();
    references.AddFromFile(ServerPath + basMsPComp::kServerProgramName);
    if (Err().Number == 48) {
        forms::MsgBox(kReferenceFailed, forms::vbOKOnly | forms::vbExclamation, kProgramTitle);
        Err().Clear();
    }
}

std::string EventCodeText() {
    std::string text;
    for (const char* line : kEventCodeLines)
        text += std::string("\r\n") + line;
    return text;
}

void InsertActivateEventCode() {
    if (!ProjectApp) return;
    msp::CodeModule code = ProjectApp->VBE().VBProjects("ProjectGlobal").VBComponents().Item(1).CodeModule();
    int32_t count = code.ProcCountLines(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
    Err().Clear();
    if (count > 0) {
        int32_t start = code.ProcStartLine(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
        code.DeleteLines(start, count);
    }
    int32_t line = code.CreateEventProc("Activate", "Project");
    code.InsertLines(line + 1, EventCodeText());
    msp::VBEWindow window = ProjectApp->VBE().MainWindow();
    window.SetVisible(false);
}

} // namespace Tolvane
