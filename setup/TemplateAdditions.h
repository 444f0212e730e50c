#pragma once
// The three additions to the global template that the installer builds in code: the "&KovaProject"
// menu in the File menu, the activation procedure of the global macro project, and the reference to
// the integration's program. They work on Tolvane::ProjectApp.
#include <string>

namespace Tolvane {

// Adds the menu unless the File menu has it already.
void AddIntegrationMenu();
// Adds the reference to ServerPath + "Grantry.exe" unless one named "Grantry" exists; a file that
// cannot be loaded is reported to the user.
void AddServerReference();
// The body of the activation procedure: a leading line break, then its lines joined by CR LF.
std::string EventCodeText();
// Replaces any "Project_Activate" of the global project by a new one with EventCodeText.
void InsertActivateEventCode();

inline constexpr char kReferenceFailed[] =
    "Unable to add a reference to the Kova Project Integration Application at this moment\r\n\r\nCheck if "
    "the "
    "Kova Project Integration application is installed properly\r\nThis reference can also be added to the "
    "Microsoft \"Global Project Template\" manually";

} // namespace Tolvane
