#pragma once
// The adapter configuration: which backend is the default and, per backend, whether it is maintained
// and started, its company number and its database file. Kept in the registry stand-in:
//
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kova\Meridane             DefaultBackend (REG_SZ, kept as written,
//                                                         blanks around the name included)
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kova\Meridane\Backends\<name>
//                                                         Database (REG_SZ; relative = under KOVA_HOME/erp)
//                                                         Maintained, Started, CompanyNumber (REG_DWORD)
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform::middleware {

inline constexpr const char* kAdapterKey = "SOFTWARE\\Kova\\Meridane";

struct BackendConfig {
    BackendConfig() = default;
    explicit BackendConfig(std::string backendName) : name(std::move(backendName)) {}

    std::string name;     // trimmed
    std::string database; // as configured; empty = "<name>.db"
    bool maintained = true;
    bool started = true;
    int32_t companyNumber = 0;
};

// The default backend's name exactly as configured (possibly padded); empty when none is set.
std::string DefaultBackendName();
void SetDefaultBackendName(const std::string& rawName);

// The configuration of a backend by name (blanks around it ignored), or nothing when there is none.
std::optional<BackendConfig> FindBackend(const std::string& name);
void SaveBackend(const BackendConfig& config);
bool RemoveBackend(const std::string& name);

// The backend's database file.
std::filesystem::path DatabasePath(const BackendConfig& config);

std::string TrimBlanks(const std::string& text);

} // namespace platform::middleware
