// A read-only view of one Windows version block (VS_VERSIONINFO): the
// executable's own, or a file's; with the product's display name and display
// version in the current language.
//
// Windows reads blocks of modules and files through the version functions
// (VerQueryValueW). Blocks handed in as bytes, and every block in the Linux
// build, are read by a reader of the documented block layout that answers
// the same queries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace av {

class version_info {
public:
    // An empty view: every query answers empty, file version 0.
    version_info() = default;

    // The executable's own block, located once per process and read in place.
    static version_info from_module();
    // A file's block; an empty view when it has none or cannot be read.
    static version_info from_file(const std::wstring& path);
    // A block held in memory (the Linux build and the tests use this).
    static version_info from_bytes(std::vector<std::uint8_t> block);

    std::wstring string_value(const std::wstring& key) const;
    std::wstring product_name() const { return string_value(L"ProductName"); }
    std::wstring product_version() const { return string_value(L"ProductVersion"); }
    std::wstring legal_notice() const { return string_value(L"LegalCopyright"); }
    bool has_fixed_part() const { return m_has_fixed_part; }
    std::uint64_t file_version() const;
    std::wstring display_name() const;
    std::wstring display_version() const;

    // The usable translation keys ("040904b0"), in the block's order.
    const std::vector<std::wstring>& translation_keys() const { return m_keys; }

private:
    enum class reader { layout, system };
    struct value_ref {
        const std::uint8_t* data;
        std::uint32_t length;  // characters for text values, bytes otherwise
    };

    version_info(std::vector<std::uint8_t> owned, const std::uint8_t* data, std::uint32_t size, reader how);
    const std::uint8_t* bytes() const { return m_owned.empty() ? m_data : m_owned.data(); }
    std::optional<value_ref> query(const std::wstring& sub_block) const;
    void parse();

    std::vector<std::uint8_t> m_owned;  // a file's block, or one handed in
    const std::uint8_t* m_data = nullptr;  // the module's block in place (when nothing is owned)
    std::uint32_t m_size = 0;  // 0: no block
    [[maybe_unused]] reader m_reader = reader::layout;  // read only where the system reader exists
    bool m_has_fixed_part = false;
    std::uint32_t m_file_version_ms = 0;
    std::uint32_t m_file_version_ls = 0;
    std::uint32_t m_file_flags = 0;
    std::uint32_t m_file_flags_mask = 0;
    std::vector<std::wstring> m_keys;
};

namespace details {

// A value located in a version block: where it starts and its stored length.
struct version_value {
    std::size_t offset;
    std::uint32_t length;  // wValueLength: characters for text, bytes otherwise
    bool text;
};

// The layout reader: the value of a sub-block path ("\\" for the root,
// "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904b0\\ProductName"),
// with VerQueryValueW's rules (empty path elements skipped, keys compared
// ignoring case). Nothing when the path is not in the block or the block is
// damaged on the way; a value never reaches past its node.
std::optional<version_value> query_version_block(
    const std::uint8_t* block, std::size_t size, std::wstring_view sub_block);

// Forgets the once-per-process "SpecialBuild" decision of display_name
// (tests only).
void reset_special_build_decision();

// The RT_VERSION block of a Windows executable image in memory (the Linux
// build reads files this way); nothing when the image has none or is not a
// valid image.
std::optional<std::vector<std::uint8_t>> version_resource_of_image(const std::vector<std::uint8_t>& image);

// The platform halves: the executable's own block in place (located once
// per process on Windows; the registered RT_VERSION 1 natively), and a
// file's block (empty when it has none).
struct module_version_block {
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};
module_version_block own_version_block();
std::vector<std::uint8_t> file_version_block(const std::wstring& path);

#if defined(_WIN32)
// VerQueryValueW: the value's address and length; nothing when it fails.
std::optional<std::pair<const std::uint8_t*, std::uint32_t>> system_query(
    const std::uint8_t* block, const std::wstring& sub_block);
#endif

}  // namespace details
}  // namespace av
