#include "setup/basMsPComp.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Error.h"
#include "platform/msproject/MSProject.h"
#include "platform/os/FileVersion.h"
#include "platform/os/KovaHome.h"
#include "platform/os/Registry.h"
#include "platform/os/WindowSearch.h"

namespace basMsPComp {

namespace fs = std::filesystem;
namespace msp = platform::msproject;
using platform::automation::Err;

bool SetTemplateItem(TemplateItemTable& items, int index, int16_t type, const std::string& name, bool task) {
    if (index < 0 || index >= kTemplateItemCount) return false;
    items[static_cast<size_t>(index)] = {type, name, task};
    return true;
}

void CopyTemplateItems(TemplateItemTable& items) {
    SetTemplateItem(items, 0, msp::pjModules, "KovaProjectIntegration", true);
    SetTemplateItem(items, 1, msp::pjTables, "KovaProjectIntegration", true);
    SetTemplateItem(items, 2, msp::pjTables, "KovaProjectBudget", true);
    SetTemplateItem(items, 3, msp::pjTables, "KovaProjectResources", false);
    SetTemplateItem(items, 4, msp::pjFilters, "AllKovaProjectTasks", true);
    SetTemplateItem(items, 5, msp::pjFilters, "AllKovaProjectResources", false);
    SetTemplateItem(items, 6, msp::pjViews, "Kova Proj Gantt", true);
    // The resource view carries Task True: views are found by name alone.
    SetTemplateItem(items, 7, msp::pjViews, "Kova Proj Resources", true);
    SetTemplateItem(items, 8, msp::pjViews, "Kova Proj Budget", true);
    SetTemplateItem(items, 9, msp::pjToolbars, "KovaProjectToolBar", true);
}

bool NoInstallerWindow() {
    return !platform::os::FindWindow(kInstallerWindowTitle);
}

namespace {

std::function<void(msp::ApplicationOptions&)>& LauncherConfiguration() {
    static std::function<void(msp::ApplicationOptions&)> configure;
    return configure;
}

// The user-interface language whose global template exists: the program keeps one folder per
// language, and an installation has one of them.
int32_t InstalledLanguage(const fs::path& programFolder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(programFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() ||
            !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        if (fs::is_regular_file(entry.path() / kGlobalTemplate, ec)) return std::stoi(name);
    }
    return 1033;
}

platform::automation::Object Launch();

void RegisterLauncherClass() {
    platform::automation::ClassInfo info;
    info.progId = msp::kApplicationProgID;
    info.classId = "{5B1C7E2A-3D94-4F0B-A6E1-7C2D9B40E513}";
    info.interfaceId = "{5B1C7E2B-3D94-4F0B-A6E1-7C2D9B40E513}";
    info.factory = Launch;
    info.serverPath = (platform::os::KovaHome() / "msproject" / kPlanningProgramFile).string();
    platform::automation::RegisterClass(std::move(info));
}

platform::automation::Object Launch() {
    auto app = msp::RunningApplication();
    if (!app) {
        fs::path program = platform::os::KovaHome() / "msproject" / kPlanningProgramFile;
        std::error_code ec;
        if (!fs::is_regular_file(program, ec)) return {};
        // The language and version the planning program's installation recorded; else the language
        // whose template folder exists and the program file's version.
        msp::ApplicationOptions options;
        platform::os::FileVersion version;
        if (platform::os::ReadFileVersion(program, version))
            options.version = std::to_string(version.major) + "." + std::to_string(version.minor);
        std::string recordedVersion;
        if (platform::os::RegistryGetString(platform::os::HKEY_LOCAL_MACHINE, kPlanningProgramSettingsKey,
                                            "Version", recordedVersion) &&
            !recordedVersion.empty())
            options.version = recordedVersion;
        uint32_t language = 0;
        if (platform::os::RegistryGetDword(platform::os::HKEY_LOCAL_MACHINE, kPlanningProgramSettingsKey,
                                           "UILanguage", language) &&
            language > 0)
            options.uiLanguage = static_cast<int32_t>(language);
        else
            options.uiLanguage = InstalledLanguage(program.parent_path());
        if (LauncherConfiguration()) LauncherConfiguration()(options);
        app = msp::StartApplication(options);
        // Starting registers the plain class again; keep starting on demand after a Quit.
        RegisterLauncherClass();
    }
    return platform::automation::Object(std::static_pointer_cast<platform::automation::Dispatch>(app));
}

} // namespace

void RegisterPlanningProgramLauncher(std::function<void(msp::ApplicationOptions&)> configure) {
    LauncherConfiguration() = std::move(configure);
    RegisterLauncherClass();
}

std::shared_ptr<msp::Application> CreateProjectApplication() {
    platform::automation::Object created = platform::automation::CreateObject(msp::kApplicationProgID);
    return created.As<msp::Application>();
}

std::vector<std::string> RemainingAdditions(msp::Application& app) {
    std::vector<std::string> left;
    auto quoted = [](const std::string& kind, const std::string& name) {
        return "the " + kind + " \"" + name + "\"";
    };
    Err().Clear();
    for (msp::CommandBarControl c : app.CommandBars(kFileCommandBar).Controls())
        if (c.Caption() == kMenuCaption) left.push_back("the \"" + std::string(kMenuCaption) + "\" menu");
    if (Err().Number != 0) left.push_back("the \"" + std::string(kMenuCaption) + "\" menu (not readable)");
    Err().Clear();

    app.FileNew(false);
    msp::Project blank = app.ActiveProject();
    auto has = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    TemplateItemTable items;
    CopyTemplateItems(items);
    msp::VBProject global = app.VBE().VBProjects(1);
    for (const TemplateItem& item : items) {
        bool present = false;
        std::string kind;
        switch (item.Type) {
        case msp::pjViews:
            kind = "view";
            present = has(blank.ViewList(), item.Name);
            break;
        case msp::pjTables:
            kind = "table";
            present = has(item.Task ? blank.TaskTableList() : blank.ResourceTableList(), item.Name);
            break;
        case msp::pjFilters:
            kind = "filter";
            present = has(item.Task ? blank.TaskFilterList() : blank.ResourceFilterList(), item.Name);
            break;
        case msp::pjModules:
            kind = "macro module";
            for (msp::VBComponent c : global.VBComponents())
                if (c.Name() == item.Name) present = true;
            break;
        case msp::pjToolbars:
            kind = "toolbar";
            for (msp::CommandBar b : app.CommandBars())
                if (b.Name() == item.Name) present = true;
            break;
        }
        if (present) left.push_back(quoted(kind, item.Name));
    }
    app.FileClose(msp::pjDoNotSave);
    Err().Clear();

    msp::CodeModule code = global.VBComponents().Item(1).CodeModule();
    int32_t count = code.ProcCountLines(kActivateProcName, msp::vbext_pk_Proc);
    if (Err().Number == 0 && count > 0)
        left.push_back("the \"" + std::string(kActivateProcName) + "\" event procedure");
    Err().Clear();
    for (msp::Reference r : global.References())
        if (r.Name() == kServerReferenceName)
            left.push_back("the reference to \"" + std::string(kServerReferenceName) + "\"");
    Err().Clear();
    return left;
}

} // namespace basMsPComp
