#pragma once
// The programs' common answer to "--help" and "-h": their usage on standard output and exit code 0,
// before anything else is looked at.
#include <cstring>

namespace platform::os {

inline bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

} // namespace platform::os
