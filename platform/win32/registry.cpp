// The Windows registry behind the seam. Keys are opened in the view the
// process sees (no KEY_WOW64_* flag): a 32-bit installer on 64-bit Windows
// works in the 32-bit view, as the product's uninstaller and the program list
// expect.
#include "platform/registry.h"

#include "platform/win_error.h"

#include <windows.h>
#include <shlwapi.h>

namespace av::platform {
namespace {

std::error_code code(LSTATUS status)
{
    return status == ERROR_SUCCESS ? std::error_code {} : win_error::make(static_cast<int>(status));
}

REGSAM sam(key_access access)
{
    switch (access) {
    case key_access::read:
        return KEY_READ;
    case key_access::all:
        return KEY_ALL_ACCESS;
    case key_access::maximum_allowed:
    default:
        return MAXIMUM_ALLOWED;
    }
}

class win32_key final : public registry_key {
public:
    win32_key(HKEY key, bool owned)
        : key_(key)
        , owned_(owned)
    {
    }
    ~win32_key() override
    {
        if (owned_)
            ::RegCloseKey(key_);
    }
    win32_key(const win32_key&) = delete;
    win32_key& operator=(const win32_key&) = delete;

    std::error_code open_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key) override
    {
        HKEY opened = nullptr;
        if (const std::error_code ec = code(::RegOpenKeyExW(key_, name.c_str(), 0, sam(access), &opened)))
            return ec;
        key = std::make_unique<win32_key>(opened, true);
        return {};
    }

    std::error_code create_subkey(
        const std::wstring& name, key_access access, std::unique_ptr<registry_key>& key, bool& created) override
    {
        HKEY opened = nullptr;
        DWORD disposition = 0;
        if (const std::error_code ec = code(::RegCreateKeyExW(
                key_, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam(access), nullptr, &opened, &disposition)))
            return ec;
        created = disposition == REG_CREATED_NEW_KEY;
        key = std::make_unique<win32_key>(opened, true);
        return {};
    }

    std::error_code delete_subkey_tree(const std::wstring& name) override
    {
        return code(static_cast<LSTATUS>(::SHDeleteKeyW(key_, name.c_str())));
    }

    std::error_code query_value(const std::wstring& name, registry_value& value) override
    {
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = ::RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size);
        for (int attempt = 0; attempt < 8 && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
            std::vector<std::byte> data(size);
            DWORD got = size;
            status =
                ::RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &got);
            if (status == ERROR_SUCCESS) {
                data.resize(got);
                value.type = type;
                value.data = std::move(data);
                return {};
            }
            size = got;  // the value grew in between: try again with its new size
        }
        return code(status);
    }

    std::error_code set_value(const std::wstring& name, std::uint32_t type, std::span<const std::byte> data) override
    {
        return code(::RegSetValueExW(
            key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
    }

    std::error_code delete_value(const std::wstring& name) override
    {
        return code(::RegDeleteValueW(key_, name.c_str()));
    }

    std::error_code subkey_names(std::vector<std::wstring>& names) override
    {
        std::vector<std::wstring> result;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            const LSTATUS status = ::RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                return code(status);
            result.emplace_back(name, length);
        }
        names = std::move(result);
        return {};
    }

    std::error_code value_names(std::vector<std::wstring>& names) override
    {
        std::vector<std::wstring> result;
        for (DWORD index = 0;; ++index) {
            std::wstring name(16384, L'\0');
            DWORD length = static_cast<DWORD>(name.size());
            const LSTATUS status =
                ::RegEnumValueW(key_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                return code(status);
            name.resize(length);
            result.push_back(std::move(name));
        }
        names = std::move(result);
        return {};
    }

    std::error_code save(const std::wstring& hive_file) override
    {
        return code(::RegSaveKeyW(key_, hive_file.c_str(), nullptr));
    }

    std::error_code restore(const std::wstring& hive_file) override
    {
        return code(::RegRestoreKeyW(key_, hive_file.c_str(), 0));
    }

private:
    HKEY key_;
    bool owned_;
};

class win32_registry final : public registry {
public:
    std::unique_ptr<registry_key> local_machine() override
    {
        return std::make_unique<win32_key>(HKEY_LOCAL_MACHINE, false);
    }
};

}  // namespace

registry& system_registry()
{
    static win32_registry instance;
    return instance;
}

}  // namespace av::platform
