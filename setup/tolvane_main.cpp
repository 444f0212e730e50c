// Tolvane: installs the integration's additions into the planning program's global template.
// Exit code 0 when the additions were installed.
#include <iostream>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/FileVersion.h"
#include "setup/Tolvane.h"
#include "setup/basMsPComp.h"

KOVA_DEFINE_FILE_VERSION(5, 0, 0, 1);

int main() {
    namespace forms = platform::forms;
    forms::TerminalUser user(std::cin, std::cout);
    forms::ScopedUser installed(user);
    forms::SetProgramTitle(Tolvane::kProgramTitle);
    basMsPComp::RegisterPlanningProgramLauncher();
    forms::RunUntilEnd([] { Tolvane::Main(); });
    forms::DiscardAllForms();
    return Tolvane::LastInstallSucceeded() ? 0 : 1;
}
