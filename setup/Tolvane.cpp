#include "setup/Tolvane.h"

#include <vector>

#include "platform/automation/Error.h"
#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"
#include "setup/TemplateAdditions.h"
#include "setup/WinprojVersion.h"
#include "setup/frmStatus.h"
#include "setup/frmTolvane.h"

namespace Tolvane {

namespace msp = platform::msproject;
namespace forms = platform::forms;
namespace os = platform::os;
using platform::automation::Err;

std::shared_ptr<msp::Application> ProjectApp;
int16_t ProjectVersion = 0;
std::string ServerPath;
basMsPComp::TemplateItemTable TemplateItems;

namespace {

bool gInstalled = false;

constexpr int32_t kErrorBox = forms::vbOKOnly | forms::vbCritical | forms::vbMsgBoxSetForeground;

// Sets the progress bar and repaints the status window, when it is shown.
void Progress(int value) {
    if (!forms::IsFormLoaded<frmStatus>()) return;
    frmStatus& status = forms::DefaultInstance<frmStatus>();
    status.ProgressBar1.SetValue(static_cast<float>(value));
    status.ProgressBar1.Refresh();
}

bool Fails(const std::string& message) {
    forms::MsgBox(message, kErrorBox, kErrorTitle);
    return false;
}

} // namespace

bool LastInstallSucceeded() {
    return gInstalled;
}

void Main() {
    gInstalled = false;
    if (!IsSupportedProjectVersion()) return;
    if (NoInstallerWindow()) {
        forms::DefaultInstance<frmTolvane>().Show(forms::vbModal);
        return;
    }
    forms::DefaultInstance<frmStatus>().Show(forms::vbModeless);
    InstallIntoGlobalTemplate();
    forms::UnloadForm<frmStatus>();
}

bool InstallIntoGlobalTemplate() {
    gInstalled = false;
    Err().Clear();
    // 1. The integration's folder.
    Progress(0);
    ServerPath = GetServerPath();
    Progress(5);
    if (ServerPath.empty()) return Fails(kNotInstalledProperly);

    // 2. The planning program.
    ProjectApp = basMsPComp::CreateProjectApplication();
    if (!ProjectApp) {
        Err().Clear();
        return Fails(kProjectNotInstalled);
    }
    Progress(10);

    // 3. Earlier additions go first.
    RemoveIntegrationMenu();
    Progress(15);
    DeleteTemplateItems();
    Progress(20);
    RemoveActivateEventCode();
    Progress(25);
    RemoveServerReference();
    Progress(30);

    // 4. The template plan and a fresh "Data" folder (one that holds files stays as it is).
    const std::string templatePath = ServerPath + basMsPComp::kTemplatePlanName;
    const std::string dataFolder = ServerPath + "Data";
    if (!os::MkDir(dataFolder)) {
        Err().Clear();
        os::RmDir(dataFolder);
        Err().Clear();
        os::MkDir(dataFolder);
    }
    Err().Clear();
    Progress(35);

    // 5. A blank plan (the event code is built where it is inserted, in step 10).
    ProjectApp->FileNew(false);
    Err().Clear();

    // 6. Macro security down for the template's macros.
    bool previousProtection = false;
    int32_t previousLevel = 0;
    if (ProjectVersion == 8) {
        previousProtection = ProjectApp->MacroVirusProtection();
        ProjectApp->SetMacroVirusProtection(false);
        ProjectApp->SetVisible(true);
    } else if (ProjectVersion >= 9 && ProjectVersion <= 11) {
        previousLevel = GetMacroSecurityLevel(ProjectVersion);
        ProjectApp->SetVisible(false);
    } else {
        forms::MsgBox(kVersionNotSupported, kErrorBox, kErrorTitle);
        ProjectApp->FileCloseAll(msp::pjDoNotSave);
        Err().Clear();
        ProjectApp.reset();
        return false;
    }
    Err().Clear();
    Progress(40);
    auto restoreSecurity = [&] {
        if (ProjectVersion == 8)
            ProjectApp->SetMacroVirusProtection(previousProtection);
        else if (previousLevel > 0)
            SetMacroSecurityLevel(ProjectVersion, previousLevel);
    };

    // 7. The template plan. Without it there is nothing to install: the run ends before the global
    // template is saved, so the earlier additions stay as they were.
    ProjectApp->Alerts(false);
    ProjectApp->FileOpen(templatePath);
    if (Err().Number != 0) {
        Err().Clear();
        restoreSecurity();
        ProjectApp->FileCloseAll(msp::pjDoNotSave);
        Err().Clear();
        ProjectApp.reset();
        return Fails(kNotInstalledProperly);
    }
    ProjectApp->Alerts(false);
    CopyTemplateItems();
    Progress(50);

    // 8. The organizer items.
    for (const basMsPComp::TemplateItem& item : TemplateItems) {
        ProjectApp->OrganizerMoveItem(item.Type, basMsPComp::kTemplatePlanName, basMsPComp::kGlobalTemplate,
                                      item.Name, item.Task);
        Err().Clear(); // an item missing in the template is passed over
    }
    Progress(60);

    // 9. Macro security back; the template closes unsaved.
    restoreSecurity();
    Err().Clear();
    Progress(65);
    ProjectApp->WindowActivate(ProjectVersion == 8 ? "kovaproject" : "kovaproject.mpp");
    ProjectApp->FileClose(msp::pjDoNotSave);
    Err().Clear();

    // 10. The additions built in code.
    Progress(70);
    AddIntegrationMenu();
    Err().Clear();
    Progress(75);
    AddServerReference();
    Err().Clear();
    Progress(80);
    InsertActivateEventCode();
    Err().Clear();
    Progress(85);

    // 11. Saving the blank plan makes the program write the global template.
    const std::string scratch = ServerPath + kScratchPlanName;
    ProjectApp->FileSaveAs(scratch, "MSProject.MPP");
    // When the template could not be written nothing was installed, whatever is in memory.
    const std::string saveFailure = Err().Number != 0 ? Err().Description : std::string();
    Err().Clear();
    Progress(90);
    ProjectApp->FileClose(saveFailure.empty() ? msp::pjPromptSave : msp::pjDoNotSave);
    Err().Clear();
    if (!saveFailure.empty()) {
        ProjectApp->Quit(msp::pjDoNotSave);
        Err().Clear();
        ProjectApp.reset();
        os::DeleteFile(scratch);
        Err().Clear();
        return Fails(std::string(kNotInstalledTemplate) + "\r\n\r\n" + saveFailure);
    }
    ProjectApp.reset();
    os::DeleteFile(scratch);
    Progress(100);
    gInstalled = true;
    return true;
}

void CopyTemplateItems() {
    basMsPComp::CopyTemplateItems(TemplateItems);
}

bool SetTemplateItem(int index, int16_t type, const std::string& name, bool task) {
    return basMsPComp::SetTemplateItem(TemplateItems, index, type, name, task);
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
    CopyTemplateItems();
    for (int i = basMsPComp::kTemplateItemCount - 1; i >= 0; --i) {
        const auto& item = TemplateItems[static_cast<size_t>(i)];
        ProjectApp->OrganizerDeleteItem(item.Type, basMsPComp::kGlobalTemplate, item.Name, item.Task);
        Err().Clear();
    }
    // Views of these names came with older installations.
    for (const char* name : {"KovaProjectIntegration", "KovaProjectResources", "KovaProjectBudget"}) {
        ProjectApp->OrganizerDeleteItem(msp::pjViews, basMsPComp::kGlobalTemplate, name, true);
        Err().Clear();
    }
}

void RemoveActivateEventCode() {
    if (!ProjectApp) return;
    msp::CodeModule code = ProjectApp->VBE().VBProjects(1).VBComponents().Item(1).CodeModule();
    int32_t start = code.ProcStartLine(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
    int32_t count = code.ProcCountLines(basMsPComp::kActivateProcName, msp::vbext_pk_Proc);
    if (Err().Number == 0) code.DeleteLines(start, count);
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

std::string GetServerPath() {
    os::HKEY hkey = 0;
    std::string path;
    if (os::RegOpenKey(os::HKEY_LOCAL_MACHINE, kServerAppPathKey, &hkey) == os::ERROR_SUCCESS) {
        std::vector<char> buffer(2048, '\0');
        uint32_t length = static_cast<uint32_t>(buffer.size());
        if (os::RegQueryValueEx(hkey, "Path", nullptr, buffer.data(), &length) == os::ERROR_SUCCESS &&
            length > 0)
            path.assign(buffer.data(), length - 1);
        os::RegCloseKey(hkey);
    }
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

bool NoInstallerWindow() {
    return basMsPComp::NoInstallerWindow();
}

bool IsSupportedProjectVersion() {
    ProjectVersion = GetWinprojVersion();
    Err().Clear();
    return ProjectVersion >= 8 && ProjectVersion <= 11;
}

std::string MacroSecurityKey(int16_t version) {
    return "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0\\MS Project\\Security\\";
}

int32_t GetMacroSecurityLevel(int16_t version) {
    os::HKEY hkey = 0;
    if (os::RegOpenKey(os::HKEY_CURRENT_USER, MacroSecurityKey(version), &hkey) != os::ERROR_SUCCESS) {
        SetMacroSecurityLevel(version, 1);
        return 2;
    }
    int32_t level = 0;
    uint32_t length = sizeof level;
    if (os::RegQueryValueEx(hkey, "Level", nullptr, &level, &length) != os::ERROR_SUCCESS ||
        length != sizeof level)
        level = 0;
    os::RegCloseKey(hkey);
    if (level > 1) SetMacroSecurityLevel(version, 1);
    return level;
}

void SetMacroSecurityLevel(int16_t version, int32_t level) {
    os::HKEY hkey = 0;
    if (os::RegCreateKey(os::HKEY_CURRENT_USER, MacroSecurityKey(version), &hkey) != os::ERROR_SUCCESS)
        return;
    os::RegSetValueEx(hkey, "Level", os::REG_DWORD, &level, sizeof level);
    os::RegFlushKey(hkey);
    os::RegCloseKey(hkey);
}

} // namespace Tolvane
