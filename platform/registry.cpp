#include "platform/registry.h"

#include "platform/win_error.h"

#include <cstring>

namespace av::platform {

registry_value string_value(std::wstring_view text, std::uint32_t type)
{
    registry_value value;
    value.type = type;
    value.data.reserve((text.size() + 1) * 2);
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint16_t>(c);
        value.data.push_back(static_cast<std::byte>(unit & 0xFF));
        value.data.push_back(static_cast<std::byte>(unit >> 8));
    }
    value.data.push_back(std::byte {0});
    value.data.push_back(std::byte {0});
    return value;
}

registry_value dword_value(std::uint32_t number)
{
    registry_value value;
    value.type = reg_dword;
    for (int shift = 0; shift < 32; shift += 8)
        value.data.push_back(static_cast<std::byte>((number >> shift) & 0xFF));
    return value;
}

bool value_as_string(const registry_value& value, std::wstring& text)
{
    if (value.type != reg_sz && value.type != reg_expand_sz)
        return false;
    const std::size_t size = value.data.size();
    if (size < 2 || size % 2 != 0)
        return false;
    const auto unit_at = [&](std::size_t i) {
        return static_cast<std::uint16_t>(
            std::to_integer<unsigned>(value.data[2 * i]) | (std::to_integer<unsigned>(value.data[2 * i + 1]) << 8));
    };
    const std::size_t units = size / 2;
    if (unit_at(units - 1) != 0)
        return false;
    std::wstring result;
    for (std::size_t i = 0; i + 1 < units; ++i) {
        const std::uint16_t unit = unit_at(i);
        if (unit == 0)
            break;
        result.push_back(static_cast<wchar_t>(unit));
    }
    text = std::move(result);
    return true;
}

bool value_as_dword(const registry_value& value, std::uint32_t& number)
{
    if (value.type != reg_dword || value.data.size() != 4)
        return false;
    number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | std::to_integer<std::uint32_t>(value.data[i]);
    return true;
}

std::error_code open_key(registry& reg, const std::wstring& path, key_access access, std::unique_ptr<registry_key>& key)
{
    return reg.local_machine()->open_subkey(path, access, key);
}

std::error_code create_key(
    registry& reg, const std::wstring& path, key_access access, std::unique_ptr<registry_key>& key, bool& created)
{
    return reg.local_machine()->create_subkey(path, access, key, created);
}

std::error_code read_value(registry& reg, const std::wstring& path, const std::wstring& name, registry_value& value)
{
    std::unique_ptr<registry_key> key;
    if (const std::error_code ec = open_key(reg, path, key_access::read, key))
        return ec;
    return key->query_value(name, value);
}

}  // namespace av::platform
