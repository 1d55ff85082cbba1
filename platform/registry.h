// The registry half of the platform seam: keys under HKEY_LOCAL_MACHINE in the
// registry view the installer's own process sees (a 32-bit process on 64-bit
// Windows sees the 32-bit view; no other view is ever asked for), values with
// their raw type and bytes, deletion of a key with everything below it, and
// saving and restoring a key through a hive file.
//
// `system_registry()` is the machine's: the Windows registry on Windows, a
// process-wide in-memory registry (platform/memory_registry.h) on Linux.
// platform/fault_injection.h wraps any registry to make a chosen operation
// fail.
//
// Values are handed over raw, as the registry stores them: a REG_SZ is its
// UTF-16 bytes, normally with a terminating null character, but nothing
// guarantees it. `value_as_string` and `value_as_dword` accept only well-formed
// data, so a reader can reject a REG_DWORD where it wants a string or a string
// stored without its terminator.
//
// Errors are Windows codes in the system category (platform/win_error.h), also
// on Linux. No operation throws. Key and value names are case-insensitive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace av::platform {

// Value types, with their Windows numbers.
inline constexpr std::uint32_t reg_none = 0;
inline constexpr std::uint32_t reg_sz = 1;
inline constexpr std::uint32_t reg_expand_sz = 2;
inline constexpr std::uint32_t reg_binary = 3;
inline constexpr std::uint32_t reg_dword = 4;
inline constexpr std::uint32_t reg_multi_sz = 7;

// One value as stored: its type and its bytes.
struct registry_value {
    std::uint32_t type = reg_none;
    std::vector<std::byte> data;

    friend bool operator==(const registry_value&, const registry_value&) = default;
};

// A REG_SZ holding `text` and its terminating null character.
registry_value string_value(std::wstring_view text, std::uint32_t type = reg_sz);
// A REG_DWORD (4 bytes, little-endian).
registry_value dword_value(std::uint32_t number);
// The text of a REG_SZ or REG_EXPAND_SZ whose data is a whole number of UTF-16
// characters ending with a null character (the text ends at the first null).
// False for any other type, an odd size or a missing terminator.
bool value_as_string(const registry_value& value, std::wstring& text);
// The number of a REG_DWORD of exactly 4 bytes; false otherwise.
bool value_as_dword(const registry_value& value, std::uint32_t& number);

// What an opened key may be used for: `read` (KEY_READ), `all`
// (KEY_ALL_ACCESS), `maximum_allowed` (MAXIMUM_ALLOWED: whatever the caller's
// rights permit).
enum class key_access { read, all, maximum_allowed };

// An open key; closed on destruction. `name` arguments of the subkey
// operations may be paths of several levels separated by "\".
class registry_key {
public:
    virtual ~registry_key() = default;

    // Opens an existing subkey (RegOpenKeyExW); file_not_found when missing.
    virtual std::error_code open_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key) = 0;
    // Opens or creates a subkey, non-volatile, default security
    // (RegCreateKeyExW); `created` tells whether it was new.
    virtual std::error_code create_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key, bool& created) = 0;
    // Deletes a subkey with all its values and subkeys (SHDeleteKeyW).
    virtual std::error_code delete_subkey_tree(const std::wstring& name) = 0;

    // A value's type and bytes (RegQueryValueExW); file_not_found when missing.
    // The empty name is the key's default value.
    virtual std::error_code query_value(const std::wstring& name, registry_value& value) = 0;
    // Writes a value with this type and these bytes (RegSetValueExW).
    virtual std::error_code set_value(
        const std::wstring& name, std::uint32_t type, std::span<const std::byte> data) = 0;
    // Deletes a value (RegDeleteValueW).
    virtual std::error_code delete_value(const std::wstring& name) = 0;

    // The names of the direct subkeys / of the values, in the registry's order.
    virtual std::error_code subkey_names(std::vector<std::wstring>& names) = 0;
    virtual std::error_code value_names(std::vector<std::wstring>& names) = 0;

    // Saves the key with all its values and subkeys to a new hive file
    // (RegSaveKeyW, no security attributes). The file must not exist. On
    // Windows the process needs SeBackupPrivilege enabled (else
    // privilege_not_held).
    virtual std::error_code save(const std::wstring& hive_file) = 0;
    // Replaces the key's values and subkeys with those of a hive file
    // (RegRestoreKeyW, flags 0). On Windows the process needs
    // SeRestorePrivilege enabled.
    virtual std::error_code restore(const std::wstring& hive_file) = 0;

    // Writes a value given as a registry_value.
    std::error_code set_value(const std::wstring& name, const registry_value& value)
    {
        return set_value(name, value.type, value.data);
    }
};

class registry {
public:
    virtual ~registry() = default;
    // HKEY_LOCAL_MACHINE itself; its close does nothing.
    virtual std::unique_ptr<registry_key> local_machine() = 0;
};

// The machine's registry (a process-wide object).
registry& system_registry();

// Opens HKEY_LOCAL_MACHINE\<path>.
std::error_code open_key(
    registry& reg, const std::wstring& path, key_access access, std::unique_ptr<registry_key>& key);
// Opens or creates HKEY_LOCAL_MACHINE\<path>.
std::error_code create_key(
    registry& reg, const std::wstring& path, key_access access, std::unique_ptr<registry_key>& key, bool& created);
// Reads HKEY_LOCAL_MACHINE\<path>, value `name`, with its raw type and bytes
// (opened for reading only, so that it works without administrator rights).
std::error_code read_value(registry& reg, const std::wstring& path, const std::wstring& name, registry_value& value);

}  // namespace av::platform
