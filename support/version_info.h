// A read-only view of one Windows version block (VS_VERSIONINFO): the
// executable's own, or a file's; with the product's display name and display
// version in the current language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace av {

class version_info {
public:
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
    bool has_fixed_part() const;
    std::uint64_t file_version() const;
    std::wstring display_name() const;
    std::wstring display_version() const;

    // (Representation left to the implementation.)
};

}  // namespace av
