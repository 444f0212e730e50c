// Dremica: removes the integration's additions from the planning program's global template.
// Exit code 1 when a removal run left something behind.
#include <iostream>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/FileVersion.h"
#include "platform/os/ProgramHelp.h"
#include "platform/os/Registry.h"
#include "setup/Dremica.h"
#include "setup/basMsPComp.h"

KOVA_DEFINE_FILE_VERSION(5, 0, 0, 1);

int main(int argc, char** argv) {
    namespace forms = platform::forms;
    if (platform::os::AsksForHelp(argc, argv)) {
        std::cout << "usage: dremica\n"
                     "Removes the Kova integration from the global template of the planning program of the\n"
                     "machine folder ($KOVA_HOME, else ~/.kova). It asks at the terminal, or runs without asking\n"
                     "while the setup wizard's window is open. Exit code 1 when something was left behind.\n";
        return 0;
    }
    if (const std::string damage = platform::os::RegistryDamage(); !damage.empty()) {
        std::cerr << "dremica: " << damage << "\n";
        return 1;
    }
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
