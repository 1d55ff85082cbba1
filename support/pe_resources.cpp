// The version block of a Windows executable image read from its resource
// directory, for the build that has no version functions. Every offset is
// checked against the image before it is read.
#include "support/version_info.h"

#include <algorithm>

namespace av::details {
namespace {

class image_reader {
public:
    explicit image_reader(const std::vector<std::uint8_t>& image)
        : m_image(image)
    {
    }

    bool has(std::size_t offset, std::size_t count) const
    {
        return offset <= m_image.size() && m_image.size() - offset >= count;
    }
    std::uint16_t u16(std::size_t offset) const
    {
        return static_cast<std::uint16_t>(m_image[offset] | (m_image[offset + 1] << 8));
    }
    std::uint32_t u32(std::size_t offset) const
    {
        return static_cast<std::uint32_t>(u16(offset)) | (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
    }

private:
    const std::vector<std::uint8_t>& m_image;
};

struct section {
    std::uint32_t virtual_address;
    std::uint32_t virtual_size;
    std::uint32_t raw_size;
    std::uint32_t raw_offset;
};

constexpr std::uint32_t subdirectory_bit = 0x80000000u;

// The entry of a resource directory with a given numeric id, or, with
// `first`, its first entry; the entry's data offset (relative to the
// resource section).
std::optional<std::uint32_t> find_entry(
    const image_reader& image, std::size_t directory, std::optional<std::uint16_t> id)
{
    if (!image.has(directory, 16))
        return std::nullopt;
    const std::size_t named = image.u16(directory + 12);
    const std::size_t numbered = image.u16(directory + 14);
    for (std::size_t i = 0; i < named + numbered; ++i) {
        const std::size_t entry = directory + 16 + 8 * i;
        if (!image.has(entry, 8))
            return std::nullopt;
        const std::uint32_t name = image.u32(entry);
        const bool is_numbered = (name & subdirectory_bit) == 0;
        if (!id || (is_numbered && name == *id))
            return image.u32(entry + 4);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> version_resource_of_image(const std::vector<std::uint8_t>& bytes)
{
    const image_reader image(bytes);
    if (!image.has(0, 0x40) || image.u16(0) != 0x5A4D)  // "MZ"
        return std::nullopt;
    const std::size_t pe = image.u32(0x3C);
    if (!image.has(pe, 24) || image.u32(pe) != 0x00004550)  // "PE\0\0"
        return std::nullopt;
    const std::size_t section_count = image.u16(pe + 6);
    const std::size_t optional_size = image.u16(pe + 20);
    const std::size_t optional_header = pe + 24;
    if (!image.has(optional_header, optional_size) || optional_size < 2)
        return std::nullopt;
    const std::uint16_t magic = image.u16(optional_header);
    std::size_t directories = 0;
    if (magic == 0x10B)
        directories = optional_header + 96;
    else if (magic == 0x20B)
        directories = optional_header + 112;
    else
        return std::nullopt;
    // Directory 2 is the resource directory.
    const std::size_t count_at = directories - 4;
    if (count_at + 4 > optional_header + optional_size || image.u32(count_at) < 3 ||
        directories + 3 * 8 > optional_header + optional_size)
        return std::nullopt;
    const std::uint32_t resource_rva = image.u32(directories + 2 * 8);
    if (resource_rva == 0)
        return std::nullopt;

    std::vector<section> sections;
    const std::size_t table = optional_header + optional_size;
    for (std::size_t i = 0; i < section_count; ++i) {
        const std::size_t at = table + 40 * i;
        if (!image.has(at, 40))
            return std::nullopt;
        sections.push_back({image.u32(at + 12), image.u32(at + 8), image.u32(at + 16), image.u32(at + 20)});
    }
    // The file offset of `count` bytes at an address, when they lie in the
    // raw data of one section.
    const auto file_offset = [&](std::uint32_t rva, std::size_t count) -> std::optional<std::size_t> {
        for (const section& s : sections) {
            const std::uint32_t extent = std::max(s.virtual_size, s.raw_size);
            if (rva < s.virtual_address || rva - s.virtual_address >= extent)
                continue;
            const std::size_t within = rva - s.virtual_address;
            if (within > s.raw_size || s.raw_size - within < count)
                return std::nullopt;
            const std::size_t offset = std::size_t {s.raw_offset} + within;
            if (!image.has(offset, count))
                return std::nullopt;
            return offset;
        }
        return std::nullopt;
    };

    const std::optional<std::size_t> base = file_offset(resource_rva, 16);
    if (!base)
        return std::nullopt;
    // Type 16 (RT_VERSION), name 1, the first language.
    const auto type = find_entry(image, *base, std::uint16_t {16});
    if (!type || (*type & subdirectory_bit) == 0)
        return std::nullopt;
    const auto name = find_entry(image, *base + (*type & ~subdirectory_bit), std::uint16_t {1});
    if (!name || (*name & subdirectory_bit) == 0)
        return std::nullopt;
    const auto language = find_entry(image, *base + (*name & ~subdirectory_bit), std::nullopt);
    if (!language || (*language & subdirectory_bit) != 0)
        return std::nullopt;
    const std::size_t data_entry = *base + *language;
    if (!image.has(data_entry, 16))
        return std::nullopt;
    const std::uint32_t data_rva = image.u32(data_entry);
    const std::uint32_t data_size = image.u32(data_entry + 4);
    if (data_size == 0)
        return std::nullopt;
    const std::optional<std::size_t> data = file_offset(data_rva, data_size);
    if (!data)
        return std::nullopt;
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(*data),
        bytes.begin() + static_cast<std::ptrdiff_t>(*data + data_size));
}

}  // namespace av::details
