#include <iostream>

#include "tools/kova-setup/Setup.h"

int main(int argc, char** argv) {
    return kova_setup::RunProgram(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
