#include <iostream>

#include "platform/os/FileVersion.h"
#include "tools/winproj/Program.h"

// The planning program's file version; kova-setup stamps its copy WinProj.exe with the version chosen
// for the machine.
KOVA_DEFINE_FILE_VERSION(11, 0, 0, 0);

int main(int argc, char** argv) {
    return winproj::RunProgram(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout,
                               std::cerr);
}
