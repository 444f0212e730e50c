// kova-stamp-version <source> <destination> <major.minor.build.revision>
// Copies a program file and gives the copy the version (setup and tests use it).
#include "platform/automation/Error.h"
#include "platform/os/FileVersion.h"
#include "platform/os/ProgramHelp.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace {

bool ParseVersion(const std::string& text, uint16_t (&parts)[4]) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') return false;
            ++p;
        }
        unsigned value = 0;
        auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc{} || next == p || value > 0xFFFF) return false;
        parts[i] = static_cast<uint16_t>(value);
        p = next;
    }
    return p == end;
}

} // namespace

int main(int argc, char** argv) {
    uint16_t parts[4];
    const bool help = platform::os::AsksForHelp(argc, argv);
    if (help || argc != 4 || !ParseVersion(argv[3], parts)) {
        std::fprintf(help ? stdout : stderr,
                     "usage: kova-stamp-version <source> <destination> <major.minor.build.revision>\n");
        return help ? 0 : 2;
    }
    if (!platform::os::StampFileVersion(argv[1], argv[2], parts[0], parts[1], parts[2], parts[3])) {
        std::fprintf(stderr, "kova-stamp-version: %s: %s\n", argv[1],
                     platform::automation::Err().Description.c_str());
        return 1;
    }
    return 0;
}
