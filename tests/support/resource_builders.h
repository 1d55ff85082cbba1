// Handmade resource bytes for the support tests: raw string-table blocks and
// version blocks (VS_VERSIONINFO) laid out as the resource compiler does.
#pragma once

#include "support/text.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace av_test {

using bytes = std::vector<std::byte>;

inline void put_u16(bytes& out, std::uint16_t v)
{
    out.push_back(std::byte(v & 0xFF));
    out.push_back(std::byte(v >> 8));
}

inline void put_u32(bytes& out, std::uint32_t v)
{
    put_u16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put_u16(out, static_cast<std::uint16_t>(v >> 16));
}

inline void put_utf16(bytes& out, const std::wstring& text)
{
    for (const char16_t unit : av::details::utf16_from_wide(text))
        put_u16(out, unit);
}

// A string-table block of 16 entries; entries past the list are absent.
inline bytes string_block(const std::vector<std::wstring>& entries)
{
    bytes out;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::wstring text = i < entries.size() ? entries[i] : std::wstring();
        put_u16(out, static_cast<std::uint16_t>(av::details::utf16_from_wide(text).size()));
        put_utf16(out, text);
    }
    return out;
}

// A node of a version block: key, value (text or binary) and children.
struct version_node {
    std::wstring key;
    bool text = false;
    bytes value;  // binary value, or the text's UTF-16 bytes
    std::uint16_t value_length = 0;  // as stored: bytes (binary) or characters (text)
    std::vector<version_node> children;
};

inline void pad4(bytes& out)
{
    while (out.size() % 4 != 0)
        out.push_back(std::byte {0});
}

inline bytes serialise(const version_node& node)
{
    bytes out;
    put_u16(out, 0);  // length, filled in below
    put_u16(out, node.value_length);
    put_u16(out, node.text ? 1 : 0);
    put_utf16(out, node.key);
    put_u16(out, 0);
    pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const version_node& child : node.children) {
        pad4(out);
        const bytes c = serialise(child);
        out.insert(out.end(), c.begin(), c.end());
    }
    out[0] = std::byte(out.size() & 0xFF);
    out[1] = std::byte(out.size() >> 8);
    return out;
}

// A "String" node; with_nul stores the terminating NUL and counts it.
inline version_node string_node(const std::wstring& key, const std::wstring& value, bool with_nul = true)
{
    version_node node {key, true, {}, 0, {}};
    put_utf16(node.value, value);
    std::size_t count = av::details::utf16_from_wide(value).size();
    if (with_nul) {
        put_u16(node.value, 0);
        ++count;
    }
    node.value_length = static_cast<std::uint16_t>(count);
    return node;
}

struct fixed_info {
    std::uint64_t file_version = 0;
    std::uint64_t product_version = 0;
    std::uint32_t flags_mask = 0x3F;
    std::uint32_t flags = 0;
};

// A complete version block.
struct version_block {
    std::optional<fixed_info> fixed = fixed_info {};
    // Translations: {language, code page}, in order.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
    // String tables: key ("040904b0") and its strings.
    std::vector<std::pair<std::wstring, std::vector<version_node>>> tables;

    bytes build() const
    {
        version_node root {L"VS_VERSION_INFO", false, {}, 0, {}};
        if (fixed) {
            put_u32(root.value, 0xFEEF04BD);
            put_u32(root.value, 0x00010000);
            put_u32(root.value, static_cast<std::uint32_t>(fixed->file_version >> 32));
            put_u32(root.value, static_cast<std::uint32_t>(fixed->file_version));
            put_u32(root.value, static_cast<std::uint32_t>(fixed->product_version >> 32));
            put_u32(root.value, static_cast<std::uint32_t>(fixed->product_version));
            put_u32(root.value, fixed->flags_mask);
            put_u32(root.value, fixed->flags);
            put_u32(root.value, 0x00040004);  // VOS_NT_WINDOWS32
            put_u32(root.value, 1);  // VFT_APP
            put_u32(root.value, 0);
            put_u32(root.value, 0);
            put_u32(root.value, 0);
            root.value_length = static_cast<std::uint16_t>(root.value.size());
        }
        version_node strings {L"StringFileInfo", true, {}, 0, {}};
        for (const auto& [key, values] : tables)
            strings.children.push_back(version_node {key, true, {}, 0, values});
        if (!strings.children.empty())
            root.children.push_back(strings);
        if (!translations.empty()) {
            version_node var {L"Translation", false, {}, 0, {}};
            for (const auto& [language, code_page] : translations) {
                put_u16(var.value, language);
                put_u16(var.value, code_page);
            }
            var.value_length = static_cast<std::uint16_t>(var.value.size());
            root.children.push_back(version_node {L"VarFileInfo", true, {}, 0, {var}});
        }
        return serialise(root);
    }
};

// A minimal 32-bit Windows image whose only section holds a resource
// directory with one resource: RT_VERSION 1, language neutral.
inline bytes image_with_version(const bytes& block)
{
    bytes out(0x40, std::byte {0});
    out[0] = std::byte {'M'};
    out[1] = std::byte {'Z'};
    out[0x3C] = std::byte {0x40};
    put_u32(out, 0x00004550);  // "PE\0\0"
    put_u16(out, 0x014C);  // i386
    put_u16(out, 1);  // one section
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    put_u16(out, 224);  // optional header size
    put_u16(out, 0x0102);
    const std::size_t optional_header = out.size();
    out.resize(optional_header + 224, std::byte {0});
    out[optional_header] = std::byte {0x0B};
    out[optional_header + 1] = std::byte {0x01};
    const std::size_t resources_size = 0x58 + block.size();
    {
        bytes tail;
        put_u32(tail, 16);  // NumberOfRvaAndSizes
        std::copy(tail.begin(), tail.end(), out.begin() + static_cast<std::ptrdiff_t>(optional_header + 92));
        bytes dir;
        put_u32(dir, 0x1000);
        put_u32(dir, static_cast<std::uint32_t>(resources_size));
        std::copy(dir.begin(), dir.end(), out.begin() + static_cast<std::ptrdiff_t>(optional_header + 96 + 2 * 8));
    }
    // The section table.
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (const char c : name)
        out.push_back(std::byte(c));
    put_u32(out, static_cast<std::uint32_t>(resources_size));  // virtual size
    put_u32(out, 0x1000);  // virtual address
    put_u32(out, static_cast<std::uint32_t>((resources_size + 0x1FF) & ~0x1FFu));
    put_u32(out, 0x200);  // raw data
    out.resize(0x200, std::byte {0});
    // Three directory levels of one entry each, then the data entry.
    const auto directory = [&](std::uint32_t id, std::uint32_t target) {
        put_u32(out, 0);
        put_u32(out, 0);
        put_u32(out, 0);
        put_u16(out, 0);
        put_u16(out, 1);
        put_u32(out, id);
        put_u32(out, target);
    };
    directory(16, 0x80000000u | 0x18);
    directory(1, 0x80000000u | 0x30);
    directory(0, 0x48);
    put_u32(out, 0x1000 + 0x58);
    put_u32(out, static_cast<std::uint32_t>(block.size()));
    put_u32(out, 0);
    put_u32(out, 0);
    out.resize(0x200 + 0x58, std::byte {0});
    out.insert(out.end(), block.begin(), block.end());
    out.resize(0x200 + ((resources_size + 0x1FF) & ~std::size_t {0x1FF}), std::byte {0});
    return out;
}

inline std::vector<std::uint8_t> to_u8(const bytes& b)
{
    std::vector<std::uint8_t> out(b.size());
    for (std::size_t i = 0; i < b.size(); ++i)
        out[i] = std::to_integer<std::uint8_t>(b[i]);
    return out;
}

}  // namespace av_test
