// Writes the template plan "KovaProject.mpp" to the path given, using the planning program of the
// machine folder in KOVA_HOME (a scratch folder at build time).
#include <iostream>

#include "platform/automation/Error.h"
#include "platform/msproject/Application.h"
#include "platform/os/ProgramHelp.h"
#include "setup/TemplatePlan.h"

int main(int argc, char** argv) {
    if (platform::os::AsksForHelp(argc, argv) || argc != 2) {
        (argc == 2 ? std::cout : std::cerr) << "usage: kova-template-plan <path of KovaProject.mpp>\n";
        return argc == 2 ? 0 : 2;
    }
    auto app = platform::msproject::StartApplication();
    bool written = basMsPComp::WriteTemplatePlan(*app, argv[1]);
    if (!written)
        std::cerr << "the template plan could not be written: " << platform::automation::Err().Description
                  << "\n";
    platform::msproject::QuitApplication();
    return written ? 0 : 1;
}
