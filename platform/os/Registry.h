#pragma once
// The registry stand-in: one tree of keys and values per hive, kept in `registry.json` under the
// machine folder and shared with every other process of the machine.
//
// The Reg* calls behave as their Win32 namesakes do for the system's callers: they report through
// their result code (never through Err()), key and value names match without regard to case and keep
// the case first given, and values keep their exact bytes, so the length a query reports is the
// length that was written, terminating zero or not. Every change is written to the file at once, under
// a machine-wide lock (`registry.json.lock`): a change waits while another process holds it, says so on
// stderr after a second, and fails with ERROR_TIMEOUT after $KOVA_REGISTRY_LOCK_WAIT seconds (default
// 30), naming the lock file there and in RegistryLastProblem(); having given up, the process does not
// wait again (each later change tries the lock once) until a change goes through.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::os {

using HKEY = uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_MORE_DATA = 234;
inline constexpr int32_t ERROR_CANTWRITE = 1013;
inline constexpr int32_t ERROR_TIMEOUT = 1460; // another process held the registry too long
inline constexpr int32_t ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr int32_t ERROR_KEY_DELETED = 1018;

// Opens an existing key below `hkey` ("\"-separated path; empty opens `hkey` itself again).
int32_t RegOpenKey(HKEY hkey, const std::string& subKey, HKEY* result);
// Opens a key, creating it and every missing key on its path.
int32_t RegCreateKey(HKEY hkey, const std::string& subKey, HKEY* result);
// Reads a value (empty name = the key's default value). `type` may be null. With a null `buffer` it
// only reports the length; when `*length` is smaller than the data it reports the needed length and
// returns ERROR_MORE_DATA without copying.
int32_t RegQueryValueEx(HKEY hkey, const std::string& name, uint32_t* type, void* buffer, uint32_t* length);
// Stores `byteCount` bytes of `data` exactly as given.
int32_t RegSetValueEx(HKEY hkey, const std::string& name, uint32_t type, const void* data,
                      uint32_t byteCount);
int32_t RegFlushKey(HKEY hkey);
int32_t RegCloseKey(HKEY hkey);
// Deletes a key without subkeys (ERROR_ACCESS_DENIED when it has some).
int32_t RegDeleteKey(HKEY hkey, const std::string& subKey);
int32_t RegDeleteValue(HKEY hkey, const std::string& name);

// Helpers for stand-in code, on the same store. `hive` is a hive or any open key; `path` is "\"-separated.
// A string is read as REG_SZ less one terminating zero, and written with its terminating zero.
bool RegistryGetString(HKEY hive, const std::string& path, const std::string& name, std::string& value);
bool RegistrySetString(HKEY hive, const std::string& path, const std::string& name, const std::string& value);
bool RegistryGetDword(HKEY hive, const std::string& path, const std::string& name, uint32_t& value);
bool RegistrySetDword(HKEY hive, const std::string& path, const std::string& name, uint32_t value);
bool RegistryKeyExists(HKEY hive, const std::string& path);
// Several values of one key at one look at the file (each call above looks at it again): each string
// and number named is set where the key holds it as one; false when the key does not exist.
bool RegistryGetValues(HKEY hive, const std::string& path,
                       const std::vector<std::pair<std::string, std::string*>>& strings,
                       const std::vector<std::pair<std::string, std::optional<uint32_t>*>>& dwords);
// Deletes a key with everything below it; false when it did not exist.
bool RegistryDeleteTree(HKEY hive, const std::string& path);

// A damaged or unreadable registry file is never written over and every call on it fails. Programs
// check it when they start: the message naming the file and what is wrong, empty when it is sound.
std::string RegistryDamage();
// The message of the last call that failed on the file (damaged, unreadable or not writable).
std::string RegistryLastProblem();

} // namespace platform::os
