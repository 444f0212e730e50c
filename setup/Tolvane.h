#pragma once
// The installer of the integration's additions to the planning program's global template: the
// organizer items copied from the template plan beside the integration's program, the menu, the
// activation procedure and the reference to the integration's program (TemplateAdditions.h).
// It removes earlier additions first, so that running it twice leaves one copy.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/msproject/Application.h"
#include "setup/basMsPComp.h"

namespace Tolvane {

// ---- program-wide values
extern std::shared_ptr<platform::msproject::Application> ProjectApp; // the application of the install run
extern int16_t ProjectVersion;                                       // major version of the program file
extern std::string ServerPath; // the integration's folder, with a final "/"
extern basMsPComp::TemplateItemTable TemplateItems;

// ---- texts
inline constexpr char kProgramTitle[] = "Tolvane";
inline constexpr char kErrorTitle[] = "Orbel installation error";
inline constexpr char kInstalledTitle[] = "Kova Project - MS Project Integration";
inline constexpr char kInstalledMessage[] =
    "The Kova Integration Components have been installed succesfully.";
inline constexpr char kNotInstalledTemplate[] =
    "The Kova Integration Components could not be installed: the global template was not saved.";
inline constexpr char kNotInstalledProperly[] =
    "The Integration is not installed properly. Please reinstall.";
inline constexpr char kProjectNotInstalled[] = "Microsoft Project is not installed. Please install Microsoft "
                                               "Project first\r\nand then run \"Tolvane.exe\" "
                                               "to install the integration components.";
inline constexpr char kVersionNotSupported[] =
    "It seems that your version of Microsoft Project is not supported. Please contact Kova Support.";
inline constexpr char kServerAppPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Grantry.exe";
inline constexpr char kScratchPlanName[] = "ThisFileIsSafeToDelete.mpp";

// The program's entry (no command line is read).
void Main();
// The install run; true on success.
bool InstallIntoGlobalTemplate();

// Fills TemplateItems.
void CopyTemplateItems();
// Stores one entry of TemplateItems; refuses an index outside 0..9.
bool SetTemplateItem(int index, int16_t type, const std::string& name, bool task);

// Removal of earlier additions, on ProjectApp.
void RemoveIntegrationMenu();
void DeleteTemplateItems();
void RemoveActivateEventCode();
void RemoveServerReference();

// The integration's folder from its App Paths entry, with a final "/"; empty when not registered.
std::string GetServerPath();
bool NoInstallerWindow();
// Sets ProjectVersion; true for 8 to 11.
bool IsSupportedProjectVersion();
// The macro security level of the version (lowered to 1 on the way when it is higher; a missing key
// is created with 1 and reads as 2).
int32_t GetMacroSecurityLevel(int16_t version);
void SetMacroSecurityLevel(int16_t version, int32_t level);
// "Software\Microsoft\Office\<version>.0\MS Project\Security\".
std::string MacroSecurityKey(int16_t version);

// Whether the last InstallIntoGlobalTemplate run of the process succeeded (the program's exit code).
bool LastInstallSucceeded();

} // namespace Tolvane
