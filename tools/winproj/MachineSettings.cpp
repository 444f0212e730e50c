#include "tools/winproj/MachineSettings.h"

#include "platform/os/Registry.h"

namespace winproj {

namespace os = platform::os;

MachineSettings ReadMachineSettings() {
    MachineSettings settings;
    uint32_t language = 0;
    if (os::RegistryGetDword(os::HKEY_LOCAL_MACHINE, kSettingsKey, "UILanguage", language) && language != 0)
        settings.uiLanguage = static_cast<int32_t>(language);
    std::string version;
    if (os::RegistryGetString(os::HKEY_LOCAL_MACHINE, kSettingsKey, "Version", version) && !version.empty())
        settings.version = version;
    return settings;
}

bool WriteMachineSettings(const MachineSettings& settings) {
    return os::RegistrySetDword(os::HKEY_LOCAL_MACHINE, kSettingsKey, "UILanguage",
                                static_cast<uint32_t>(settings.uiLanguage)) &&
           os::RegistrySetString(os::HKEY_LOCAL_MACHINE, kSettingsKey, "Version", settings.version);
}

bool MachineIsLaidOut() {
    std::string program;
    return os::RegistryGetString(os::HKEY_LOCAL_MACHINE, kProgramAppPathKey, "", program) && !program.empty();
}

} // namespace winproj
