// Tolvane: installs the integration's additions into the planning program's global template.
// Exit code 0 when the additions were installed.
#include <iostream>

#include "platform/forms/Form.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/FileVersion.h"
#include "platform/os/KovaHome.h"
#include "platform/os/ProgramHelp.h"
#include "platform/os/Registry.h"
#include "setup/Tolvane.h"
#include "setup/basMsPComp.h"

KOVA_DEFINE_FILE_VERSION(5, 0, 0, 1);

int main(int argc, char** argv) {
    namespace forms = platform::forms;
    namespace os = platform::os;
    if (os::AsksForHelp(argc, argv)) {
        std::cout << "usage: tolvane\n"
                     "Installs the Kova integration into the global template of the planning program of the\n"
                     "machine folder ($KOVA_HOME, else ~/.kova). It asks at the terminal, or runs without asking\n"
                     "while the setup wizard's window is open. Exit code 0 when the integration was installed.\n";
        return 0;
    }
    if (const std::string damage = os::RegistryDamage(); !damage.empty()) {
        std::cerr << "tolvane: " << damage << "\n";
        return 1;
    }
    forms::TerminalUser user(std::cin, std::cout);
    forms::ScopedUser installed(user);
    forms::SetProgramTitle(Tolvane::kProgramTitle);
    basMsPComp::RegisterPlanningProgramLauncher();
    forms::RunUntilEnd([] { Tolvane::Main(); });
    forms::DiscardAllForms();
    // The program itself ends without a word when it finds no planning program it supports.
    if (Tolvane::ProjectVersion < 8 || Tolvane::ProjectVersion > 11)
        std::cerr << "tolvane: the machine folder " << os::KovaHome().string()
                  << " has no supported planning program (versions 8 to 11); lay it out with: kova-setup --home "
                  << os::KovaHome().string() << "\n";
    return Tolvane::LastInstallSucceeded() ? 0 : 1;
}
