#include <iostream>

#include "tools/kova-erp/Commands.h"

int main(int argc, char** argv) {
    return kova_erp::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
