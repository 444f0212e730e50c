#include "integration/core/AboutUpdate.h"

#include <array>
#include <cstdint>
#include <optional>

#include "platform/os/Registry.h"

namespace Grantry {

std::string LoginUserName;
std::string LoginPassword;
std::string LoginDomain;
bool LoginConfirmed = false;

void ForgetLoginPassword() {
    // Through a volatile pointer, so that the overwrite is not optimised away.
    volatile char* p = LoginPassword.data();
    for (size_t i = 0; i < LoginPassword.size(); ++i)
        p[i] = '\0';
    LoginPassword.clear();
}

std::string UpdateServerAddress() {
    std::string value;
    if (!platform::os::RegistryGetString(platform::os::HKEY_CURRENT_USER, kUpdateServerKey,
                                         kUpdateServerValue, value))
        return kDefaultUpdateServer;
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return kDefaultUpdateServer;
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

namespace {

using Version = std::array<uint32_t, 4>;

// Four decimal numbers joined by "."; nothing else (no blanks, signs or further parts).
std::optional<Version> ParseVersion(const std::string& text) {
    Version version{};
    size_t at = 0;
    for (size_t field = 0; field < version.size(); ++field) {
        if (field > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        size_t digits = 0;
        uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (++digits > 9) return std::nullopt;
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        }
        if (digits == 0) return std::nullopt;
        version[field] = value;
    }
    if (at != text.size()) return std::nullopt;
    return version;
}

} // namespace

UpdateVerdict CompareWithLatestVersion(const std::string& latest, const std::string& current) {
    const auto l = ParseVersion(latest);
    const auto c = ParseVersion(current);
    if (!l || !c) return UpdateVerdict::Mismatch;
    if ((*l)[0] != (*c)[0] || (*l)[1] != (*c)[1] || (*l)[2] != (*c)[2]) return UpdateVerdict::Mismatch;
    return (*l)[3] > (*c)[3] ? UpdateVerdict::Available : UpdateVerdict::Current;
}

} // namespace Grantry
