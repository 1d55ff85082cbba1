// Text conversion between UTF-16 and the thread's ANSI code page, string and
// resource lookup in place, and the rule by which two paths name the same
// file-system object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace av {

// 8-bit text in the thread's ANSI code page to UTF-16; empty when the whole
// input cannot be converted (never a partial result).
std::wstring narrow_to_wide(std::string_view text);

// UTF-16 to the thread's ANSI code page, without best-fit characters; empty
// when the whole input cannot be converted.
std::string wide_to_narrow(std::wstring_view text);

// One string of the raw string tables (RT_STRING) of the executable's own
// module, by identifier, without any language offset; empty when absent.
std::wstring load_string(std::uint16_t id);

// A resource's bytes in place; {nullptr, 0} when missing, empty or unlockable.
struct resource_data {
    const std::byte* data = nullptr;
    std::size_t size = 0;
};
// `name` and `type` are numeric identifiers (MAKEINTRESOURCE values).
resource_data find_resource_data(std::uint16_t name, std::uint16_t type);

}  // namespace av

// Whether two paths denote the same file-system object: equal paths; else the
// file system's identity when both exist (different when only one does);
// else lexically normalised absolute paths compared element by element,
// ignoring case.
bool SamePath(const std::wstring& a, const std::wstring& b);
