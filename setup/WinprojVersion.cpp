#include "setup/WinprojVersion.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/automation/Error.h"
#include "platform/msproject/Application.h"
#include "platform/os/FileVersion.h"
#include "platform/os/Registry.h"
#include "setup/basMsPComp.h"

namespace Tolvane {

namespace os = platform::os;
using platform::automation::Err;

namespace {

// The "Path" value of a key, less its terminating zero; empty when it cannot be read.
std::string ReadPathValue(os::HKEY hive, const std::string& key) {
    os::HKEY hkey = 0;
    std::string folder;
    if (os::RegOpenKey(hive, key, &hkey) != os::ERROR_SUCCESS) return folder;
    std::vector<char> buffer(2048, '\0');
    uint32_t length = static_cast<uint32_t>(buffer.size());
    uint32_t type = 0;
    if (os::RegQueryValueEx(hkey, "Path", &type, buffer.data(), &length) == os::ERROR_SUCCESS && length > 0)
        folder.assign(buffer.data(), length - 1);
    os::RegCloseKey(hkey);
    return folder;
}

// The digits of a 32-bit value as eight hexadecimal characters; a group of four read back as a
// 16-bit number, so that groups from 8000 upwards are negative.
int32_t HexGroup(int32_t dwValue, int offset) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(dwValue));
    std::string digits(hex + offset, 4);
    return static_cast<int16_t>(std::strtol(digits.c_str(), nullptr, 16));
}

} // namespace

int32_t HiWord(int32_t dwValue) {
    return HexGroup(dwValue, 0);
}

int32_t LoWord(int32_t dwValue) {
    return HexGroup(dwValue, 4);
}

int16_t GetWinprojVersion() {
    std::string path = GetWinprojPathForInstall();
    uint32_t size = os::GetFileVersionInfoSize(path);
    if (size == 0) return 0;
    std::vector<unsigned char> buffer(size);
    if (!os::GetFileVersionInfo(path, size, buffer.data())) return 0;
    void* block = nullptr;
    uint32_t length = 0;
    os::VS_FIXEDFILEINFO info{};
    if (!os::VerQueryValue(buffer.data(), "\\", &block, &length) || !block) return 0;
    std::memcpy(&info, block, std::min<size_t>(length, sizeof info));
    int32_t ms = static_cast<int32_t>(info.dwFileVersionMS), ls = static_cast<int32_t>(info.dwFileVersionLS);
    std::string text = std::to_string(HiWord(ms)) + "." + std::to_string(LoWord(ms)) + "." +
                       std::to_string(HiWord(ls)) + "." + std::to_string(LoWord(ls));
    return static_cast<int16_t>(std::atoi(text.substr(0, text.find('.')).c_str()));
}

std::string GetWinprojPathForInstall() {
    std::string folder = ReadPathValue(os::HKEY_LOCAL_MACHINE, kWinprojAppPathKey);
    if (folder.empty()) folder = ReadPathValue(os::HKEY_CURRENT_USER, kWinprojOwnKey);
    if (folder.empty()) folder = GetWinprojPathFromApplication();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + basMsPComp::kPlanningProgramFile;
}

std::string GetWinprojPathFromApplication() {
    auto app = basMsPComp::CreateProjectApplication();
    std::string folder = app ? app->Path() : std::string();
    Err().Clear();
    // A program that cannot be asked leaves nothing to remember.
    if (folder.empty()) return folder;
    if (folder.back() != '/') folder += '/';
    os::HKEY hkey = 0;
    if (os::RegCreateKey(os::HKEY_CURRENT_USER, kWinprojOwnKey, &hkey) == os::ERROR_SUCCESS) {
        os::RegSetValueEx(hkey, "Path", os::REG_SZ, folder.data(), static_cast<uint32_t>(folder.size()));
        os::RegFlushKey(hkey);
        os::RegCloseKey(hkey);
    }
    Err().Clear();
    return folder;
}

} // namespace Tolvane
