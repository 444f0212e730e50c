#pragma once
// The template plan "KovaProject.mpp" that ships beside the integration's program: the ten organizer
// items the installer copies into the global template by name and kind, with what the integration
// needs of them (task and resource views on their tables, filters that show every non-blank row, the
// macro module whose macros run the integration's commands, and a toolbar of six buttons).
#include <string>

#include "platform/msproject/Application.h"

namespace basMsPComp {

// Creates the template plan in the running program and saves it as `path`; the plan is closed again
// and the program's global template is left as it was. False, with the failure in Err(), when it
// cannot be saved.
bool WriteTemplatePlan(platform::msproject::Application& app, const std::string& path);

// The macro module's code: one macro per menu item and toolbar button, each creating the
// integration's command object and calling its method of the same name, and KovaProjectOpen.
std::string TemplateModuleCode();

} // namespace basMsPComp
