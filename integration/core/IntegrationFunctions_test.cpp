#include "integration/core/IntegrationFunctions.h"

#include <gtest/gtest.h>

#include "integration/core/CoreTestSupport.h"
#include "integration/core/GlobalDeclarations.h"
#include "integration/core/KovaMSP.h"
#include "platform/os/Registry.h"

namespace Grantry {
namespace {

namespace os = platform::os;
namespace fs = std::filesystem;
using test::ApplicationFolder;

// Control bytes and the bytes Windows-1252 leaves undefined are damage; every other byte is text.
TEST(SideFileRecords, OnlyTextAsTheWritersLeaveItIsText) {
    for (unsigned char b : {0x00, 0x09, 0x0A, 0x1F, 0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_FALSE(IsTextRecord(std::string("ab ") + static_cast<char>(b) + "cd")) << int(b);
    for (unsigned char b : {0x20, 0x41, 0x7E, 0x80, 0x8E, 0x9F, 0xA0, 0xE9, 0xFF})
        EXPECT_TRUE(IsTextRecord(std::string("ab ") + static_cast<char>(b) + "cd")) << int(b);
}

TEST(ApplicationPath, TheRegisteredPathIsTakenAsItStands) {
    for (std::string stored : {"/opt/kova", "/opt/kova/", "/srv/Kova Project/app"}) {
        ApplicationFolder app;
        app.RegisterAppPath(stored);
        EXPECT_EQ(GetApplicationPath(), stored);
    }
}

// Without a usable "Path" value the program's start folder is the folder of the Grantry.exe
// registered for the command class.
TEST(ApplicationPath, WithoutTheValueTheProgramsFolderIsUsed) {
    enum class Entry { NoKey, NoValue, EmptyValue, TooLong };
    for (Entry entry : {Entry::NoKey, Entry::NoValue, Entry::EmptyValue, Entry::TooLong}) {
        SCOPED_TRACE(static_cast<int>(entry));
        ApplicationFolder app;
        if (entry != Entry::NoKey) {
            ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kApplicationPathKey, "",
                                              app.program().string()));
        }
        if (entry == Entry::EmptyValue) {
            ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kApplicationPathKey, "Path", ""));
        }
        if (entry == Entry::TooLong) {
            // More than the 2048 characters the lookup takes.
            ASSERT_TRUE(os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kApplicationPathKey, "Path",
                                              "/" + std::string(2100, 'x')));
        }
        RegisterKovaMSP(app.program().string());
        EXPECT_EQ(GetApplicationPath(), app.folder().string());
        UnregisterKovaMSP();
    }
}

TEST(ApplicationPath, NothingRegisteredGivesTheRunningProgramsFolder) {
    ApplicationFolder app;
    EXPECT_EQ(GetApplicationPath(), fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST(ApplicationPath, TheRegistryIsReadOncePerProcess) {
    ApplicationFolder app;
    app.RegisterAppPath("/first");
    EXPECT_EQ(GetApplicationPath(), "/first");
    app.RegisterAppPath("/second");
    EXPECT_EQ(GetApplicationPath(), "/first");
    EXPECT_EQ(ApplicationPathCache, "/first");
}

} // namespace
} // namespace Grantry
