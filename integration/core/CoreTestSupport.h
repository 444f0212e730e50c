#pragma once
// Test helpers of the integration core (header only: no test code goes into the library).
//   ApplicationFolder  a private machine folder whose kova/ holds a Grantry.exe of a chosen version,
//                      registered under App Paths as an installation does
//   LoopbackFtpServer  a real FTP server on 127.0.0.1 (Debian's pyftpdlib under /usr/bin/python3)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "integration/core/GlobalDeclarations.h"
#include "integration/core/IntegrationFunctions.h"
#include "platform/automation/Error.h"
#include "platform/os/FileVersion.h"
#include "platform/os/Registry.h"
#include "platform/os/TestFtpServer.h"
#include "platform/os/TestSupport.h"

namespace Grantry::test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class ApplicationFolder {
public:
    ApplicationFolder() : folder_(home_.path() / "kova") {
        fs::create_directories(folder_);
        ApplicationPathCache.clear(); // each test is a fresh process as far as the program knows
    }
    ~ApplicationFolder() { ApplicationPathCache.clear(); }

    const fs::path& home() const { return home_.path(); }
    const fs::path& folder() const { return folder_; }
    fs::path program() const { return folder_ / "Grantry.exe"; }

    // Places a copy of a program file stamped with the version as kova/Grantry.exe.
    void InstallProgram(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision) {
        ASSERT_TRUE(platform::os::StampFileVersion(KOVA_STAMP_VERSION_COMMAND, program(), major, minor, build,
                                                   revision))
            << platform::automation::Err().Description;
    }
    // Writes the App Paths entry of the program with `path` as its "Path" value.
    void RegisterAppPath(const std::string& path) {
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_LOCAL_MACHINE, kApplicationPathKey, "",
                                                    program().string()));
        ASSERT_TRUE(platform::os::RegistrySetString(platform::os::HKEY_LOCAL_MACHINE, kApplicationPathKey,
                                                    "Path", path));
    }
    void RegisterAppPath() { RegisterAppPath(folder_.string()); }

private:
    platform::os::TempKovaHome home_;
    fs::path folder_;
};

// One account per user name; the server's log (commands, the password masked) is kept for the test.
using LoopbackFtpServer = platform::os::TestFtpServer;

} // namespace Grantry::test
