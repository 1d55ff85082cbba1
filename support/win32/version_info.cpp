// The Windows half of version blocks: the executable's own RT_VERSION 1 in
// place, a file's block through GetFileVersionInfoW, queries through
// VerQueryValueW.
#include "support/version_info.h"

#include "support/text.h"

#include <windows.h>

namespace av::details {

module_version_block own_version_block()
{
    // Located once per process; the bytes stay where the loader mapped them.
    static const module_version_block own = [] {
        const resource_data found = find_resource_data(1, rt_version);
        if (found.data == nullptr || found.size > 0xFFFFFFFFu)
            return module_version_block {};
        return module_version_block {
            reinterpret_cast<const std::uint8_t*>(found.data), static_cast<std::uint32_t>(found.size)};
    }();
    return own;
}

std::vector<std::uint8_t> file_version_block(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<std::uint8_t> block(size, 0);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};
    return block;
}

std::optional<std::pair<const std::uint8_t*, std::uint32_t>> system_query(
    const std::uint8_t* block, const std::wstring& sub_block)
{
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block, sub_block.c_str(), &value, &length) || value == nullptr)
        return std::nullopt;
    return std::make_pair(static_cast<const std::uint8_t*>(value), static_cast<std::uint32_t>(length));
}

}  // namespace av::details
