// The Linux half of version blocks: the registered RT_VERSION 1 stands for
// the executable's own block; a file's block is read from the resource
// directory of the Windows image the file holds.
#include "support/version_info.h"

#include "support/text.h"

#include <fstream>
#include <iterator>

namespace av::details {
module_version_block own_version_block()
{
    // The table may change under the tests, so it is asked each time.
    const resource_data found = find_resource_data(1, rt_version);
    if (found.data == nullptr || found.size > 0xFFFFFFFFu)
        return {};
    return {reinterpret_cast<const std::uint8_t*>(found.data), static_cast<std::uint32_t>(found.size)};
}

std::vector<std::uint8_t> file_version_block(const std::wstring& path)
{
    std::ifstream file(utf8_from_wide(path), std::ios::binary);
    if (!file)
        return {};
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return {};
    return version_resource_of_image(image).value_or(std::vector<std::uint8_t> {});
}

}  // namespace av::details
