#pragma once
// What the installer and the uninstaller of the global-template additions share: the table of the
// organizer items both copy and delete by name, the names of the other additions, the search for the
// setup wizard's window, and how either program reaches the planning program.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/msproject/Application.h"

namespace basMsPComp {

// One organizer item: its kind (0 view, 1 table, 2 filter, 3 module, 6 toolbar), its name and
// whether it is a task item (false: a resource item).
struct TemplateItem {
    int16_t Type = 0;
    std::string Name;
    bool Task = true;
};

inline constexpr int kTemplateItemCount = 10;
using TemplateItemTable = std::array<TemplateItem, kTemplateItemCount>;

// Stores one entry; an index outside 0..9 is refused (false, nothing stored).
bool SetTemplateItem(TemplateItemTable& items, int index, int16_t type, const std::string& name, bool task);
// Fills the table with the ten items, in the order in which they are copied.
void CopyTemplateItems(TemplateItemTable& items);

inline constexpr char kMenuCaption[] = "&KovaProject";
inline constexpr char kFileCommandBar[] = "File";
inline constexpr char kGlobalTemplate[] = "GLOBAL.MPT";
inline constexpr char kTemplatePlanName[] = "KovaProject.mpp";
inline constexpr char kServerReferenceName[] = "Grantry";
inline constexpr char kServerProgramName[] = "Grantry.exe";
inline constexpr char kActivateProcName[] = "Project_Activate";
inline constexpr char kInstallerWindowTitle[] = "InstallShield Wizard";
// The planning program's file in its program folder.
inline constexpr char kPlanningProgramFile[] = "WinProj.exe";
// Where the planning program's installation records its user-interface language ("UILanguage",
// REG_DWORD) and version ("Version", "11.0"), under HKEY_LOCAL_MACHINE.
inline constexpr char kPlanningProgramSettingsKey[] = "SOFTWARE\\Microsoft\\Office\\MS Project\\Install";

// True when no program shows a window titled "InstallShield Wizard" (the program was started by hand).
bool NoInstallerWindow();

// Makes CreateObject("MSProject.Application") start the planning program when none runs in this
// process and the program is installed (its program file lies in its program folder under the
// machine folder), as the operating system starts an automation server on demand; a running one is
// returned as it is. It starts with the language and version the installation recorded. When it is
// not installed, the creation fails. `configure` may adjust the options
// of an instance started this way (tests watch the instance through it).
void RegisterPlanningProgramLauncher(
    std::function<void(platform::msproject::ApplicationOptions&)> configure = {});

// The running planning program as CreateObject gives it; nullptr (with the failure in Err()) when it
// cannot be created.
std::shared_ptr<platform::msproject::Application> CreateProjectApplication();

// What of the integration's additions the global template of the running program still holds, one
// description each ("the view \"Kova Proj Gantt\""): the menu, the organizer items of the table, the
// activation procedure and the reference. Opens a blank plan to look at views, tables and filters and
// closes it again; the error record is left clear.
std::vector<std::string> RemainingAdditions(platform::msproject::Application& app);

} // namespace basMsPComp
