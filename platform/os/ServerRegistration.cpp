#include "platform/os/ServerRegistration.h"

#include "platform/os/Registry.h"

namespace platform::os {

void RegisterServerClass(platform::automation::ClassInfo info, bool inProcess) {
    const std::string progId = info.progId;
    const std::string clsidKey = "CLSID\\" + info.classId;
    RegistrySetString(HKEY_CLASSES_ROOT, progId, "", progId);
    RegistrySetString(HKEY_CLASSES_ROOT, progId + "\\CLSID", "", info.classId);
    RegistrySetString(HKEY_CLASSES_ROOT, clsidKey, "", progId);
    RegistrySetString(HKEY_CLASSES_ROOT, clsidKey + "\\ProgID", "", progId);
    RegistrySetString(HKEY_CLASSES_ROOT, clsidKey + (inProcess ? "\\InprocServer32" : "\\LocalServer32"), "",
                      info.serverPath);
    if (!info.interfaceId.empty())
        RegistrySetString(HKEY_CLASSES_ROOT, "Interface\\" + info.interfaceId, "", progId);
    platform::automation::RegisterClass(std::move(info));
}

void UnregisterServerClass(const std::string& progId) {
    std::string classId;
    if (RegistryGetString(HKEY_CLASSES_ROOT, progId + "\\CLSID", "", classId)) {
        RegistryDeleteTree(HKEY_CLASSES_ROOT, "CLSID\\" + classId);
    }
    if (auto info = platform::automation::FindClass(progId); info && !info->interfaceId.empty())
        RegistryDeleteTree(HKEY_CLASSES_ROOT, "Interface\\" + info->interfaceId);
    RegistryDeleteTree(HKEY_CLASSES_ROOT, progId);
    platform::automation::UnregisterClass(progId);
}

std::string RegisteredServerPath(const std::string& progId) {
    std::string classId, path;
    if (!RegistryGetString(HKEY_CLASSES_ROOT, progId + "\\CLSID", "", classId)) return {};
    if (RegistryGetString(HKEY_CLASSES_ROOT, "CLSID\\" + classId + "\\LocalServer32", "", path)) return path;
    if (RegistryGetString(HKEY_CLASSES_ROOT, "CLSID\\" + classId + "\\InprocServer32", "", path)) return path;
    return {};
}

} // namespace platform::os
