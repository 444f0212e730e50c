// Dremica: removes the integration's additions from the planning program's global template.
// Exit code 1 when a removal run left something behind.
#include <iostream>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/FileVersion.h"
#include "setup/Dremica.h"
#include "setup/basMsPComp.h"

KOVA_DEFINE_FILE_VERSION(5, 0, 0, 1);

int main() {
    namespace forms = platform::forms;
    forms::TerminalUser user(std::cin, std::cout);
    forms::ScopedUser installed(user);
    forms::SetProgramTitle("Dremica");
    basMsPComp::RegisterPlanningProgramLauncher();
    forms::RunUntilEnd([] { Dremica::Main(); });
    forms::DiscardAllForms();
    for (const auto& item : Dremica::LastRunLeftOver())
        std::cerr << "left in the global template: " << item << "\n";
    return Dremica::RemovalRan() && !Dremica::LastRunLeftOver().empty() ? 1 : 0;
}
