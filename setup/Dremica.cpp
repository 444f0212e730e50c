#include "setup/Dremica.h"

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "setup/frmUnChgMsP.h"

namespace Dremica {

namespace msp = platform::msproject;
namespace forms = platform::forms;
using platform::automation::Err;

std::shared_ptr<msp::Application> ProjectApp;

namespace {

std::vector<std::string> gLeftOver;
bool gRan = false;

void Status(const std::string& mode, const std::string& text) {
    if (mode != kWithForm || !forms::IsFormLoaded<frmUnChgMsP>()) return;
    forms::DefaultInstance<frmUnChgMsP>().ShowStatus(text);
}

} // namespace

const std::vector<std::string>& LastRunLeftOver() {
    return gLeftOver;
}

bool RemovalRan() {
    return gRan;
}

void Main() {
    gRan = false;
    gLeftOver.clear();
    if (basMsPComp::NoInstallerWindow())
        forms::DefaultInstance<frmUnChgMsP>().Show(forms::vbModal);
    else
        RemoveFromGlobalTemplate(kWithoutForm);
}

void RemoveFromGlobalTemplate(const std::string& mode) {
    gRan = true;
    Err().Clear();
    ProjectApp = basMsPComp::CreateProjectApplication();
    Err().Clear();

    Status(mode, kStatusMenu);
    RemoveIntegrationMenu();
    Status(mode, kStatusItems);
    DeleteTemplateItems();
    Status(mode, kStatusEventCode);
    RemoveActivateEventCode();
    Status(mode, kStatusReference);
    RemoveServerReference();

    // Success is reported only when nothing of the additions is left; when the program did not
    // start, nothing could be removed at all.
    if (ProjectApp)
        gLeftOver = basMsPComp::RemainingAdditions(*ProjectApp);
    else
        gLeftOver = {"Microsoft Project"};
    if (mode == kWithForm) {
        if (gLeftOver.empty()) {
            forms::MsgBox(kRemovedMessage, forms::vbOKOnly, kTitle);
        } else if (!ProjectApp) {
            forms::MsgBox(kNotStartedMessage, forms::vbOKOnly | forms::vbExclamation, kTitle);
        } else {
            std::string text = kIncompleteMessage;
            for (const auto& item : gLeftOver)
                text += "\r\n" + item;
            forms::MsgBox(text, forms::vbOKOnly | forms::vbExclamation, kTitle);
        }
    }

    if (ProjectApp) ProjectApp->Quit(msp::pjDoNotSave);
    Err().Clear();
    ProjectApp.reset();
}

void RemoveIntegrationMenu() {
    if (!ProjectApp) return;
    ProjectApp->FileNew(false);
    ProjectApp->Alerts(false);
    for (msp::CommandBarControl c : ProjectApp->CommandBars(basMsPComp::kFileCommandBar).Controls())
        if (c.Caption() == basMsPComp::kMenuCaption) {
            c.Delete();
            break;
        }
    Err().Clear();
}

void DeleteTemplateItems() {
    if (!ProjectApp) return;
    basMsPComp::TemplateItemTable items;
    basMsPComp::CopyTemplateItems(items);
    for (int i = basMsPComp::kTemplateItemCount - 1; i >= 0; --i) {
        const auto& item = items[static_cast<size_t>(i)];
        ProjectApp->OrganizerDeleteItem(item.Type, basMsPComp::kGlobalTemplate, item.Name, item.Task);
        Err().Clear();
    }
}

void RemoveActivateEventCode() {
    if (!ProjectApp) return;
    msp::CodeModule code = ProjectApp->VBE().VBProjects(1).VBComponents().Item(1).CodeModule();
    int32_t start = code.ProcStartLine(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
    int32_t count = code.ProcCountLines(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
    code.DeleteLines(start, count);
    Err().Clear();
    ProjectApp->FileCloseAll(msp::pjDoNotSave);
    Err().Clear();
}

void RemoveServerReference() {
    if (!ProjectApp) return;
    msp::References references = ProjectApp->VBE().VBProjects(1).References();
    int32_t count = references.Count();
    for (int32_t i = 1; i <= count; ++i)
        if (references.Item(i).Name() == basMsPComp::kServerReferenceName) {
            references.Remove(references.Item(i));
            break;
        }
    Err().Clear();
}

} // namespace Dremica
