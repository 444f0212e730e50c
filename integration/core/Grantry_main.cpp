// The integration server's program file. Its classes run inside the process that creates them; the
// program itself only answers the operating system's start for a client, and refuses a start by hand.
#include <iostream>
#include <string>
#include <vector>

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TerminalUser.h"
#include "platform/os/FileVersion.h"
#include "platform/os/ProgramHelp.h"

KOVA_DEFINE_FILE_VERSION(5, 0, 0, 1);

int main(int argc, char** argv) {
    if (platform::os::AsksForHelp(argc, argv)) {
        std::cout << "usage: grantry\n"
                     "The integration server's program file. The planning program starts its classes; started\n"
                     "by hand it only says so.\n";
        return 0;
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    platform::forms::TerminalUser user(std::cin, std::cout);
    platform::forms::ScopedUser on(user);
    platform::forms::SetProgramTitle(Grantry::kProgramTitle);
    Grantry::Main(arguments);
    return 0;
}
