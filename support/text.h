// Text conversion between UTF-16 and the thread's ANSI code page, string and
// resource lookup in place, and the rule by which two paths name the same
// file-system object.
//
// Windows does the conversions with MultiByteToWideChar/WideCharToMultiByte
// and finds resources in the executable's own module. The Linux build
// converts through iconv, takes the "thread code page" from a per-thread
// value (details::set_thread_code_page, 1252 until set), and finds resources
// in a small in-memory table that tests and tools fill
// (details::register_resource).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <locale>
#include <span>
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

inline constexpr std::uint16_t rt_string = 6;
inline constexpr std::uint16_t rt_version = 16;

namespace details {

inline constexpr std::uint32_t cp_thread_acp = 3;

// A codecvt between wide characters and 8-bit text in one Windows code page.
// Every conversion covers the whole input in one step: it either converts all
// of it or reports `error` and writes nothing usable.
class w2a_codecvt : public std::codecvt<wchar_t, char, std::mbstate_t> {
public:
    explicit w2a_codecvt(std::uint32_t code_page, std::size_t refs = 0)
        : std::codecvt<wchar_t, char, std::mbstate_t>(refs)
        , m_code_page(code_page)
    {
    }

    std::uint32_t code_page() const noexcept { return m_code_page; }

protected:
    result do_out(state_type& state, const wchar_t* from, const wchar_t* from_end, const wchar_t*& from_next, char* to,
        char* to_end, char*& to_next) const override;
    result do_in(state_type& state, const char* from, const char* from_end, const char*& from_next, wchar_t* to,
        wchar_t* to_end, wchar_t*& to_next) const override;
    result do_unshift(state_type& state, char* to, char* to_end, char*& to_next) const override;
    // The number of wide characters the whole input converts to, capped at
    // `max`; 0 when it cannot be converted.
    int do_length(state_type& state, const char* from, const char* from_end, std::size_t max) const override;
    int do_encoding() const noexcept override { return 0; }
    int do_max_length() const noexcept override { return 5; }
    bool do_always_noconv() const noexcept override { return false; }

private:
    std::uint32_t m_code_page;
};

// Entry `index` (0 to 15) of a raw string-table block; empty when the entry
// is absent (length 0) or lies outside the block.
std::wstring string_table_entry(resource_data block, unsigned index);

// UTF-16 code units (little-endian bytes, any alignment) to a wide string,
// and back. Where wchar_t is 32 bits wide, surrogate pairs are combined and
// split; an unpaired surrogate is kept as it is.
std::wstring wide_from_utf16(const std::byte* data, std::size_t units);
std::u16string utf16_from_wide(std::wstring_view text);

// Wide text to UTF-8 and back (how the Linux build names files). A byte
// that starts no valid sequence decodes to the character of its own value.
std::string utf8_from_wide(std::wstring_view text);
std::wstring wide_from_utf8(std::string_view bytes);

// Whether two path elements are equal ignoring case (locale-aware on Windows).
bool equal_ignoring_case(std::wstring_view a, std::wstring_view b);

#if defined(_WIN32)
// A resource's bytes in place in a given module (an HMODULE).
resource_data find_resource_data_in(void* module, std::uint16_t name, std::uint16_t type);
#else
// The Linux stand-in for the thread's ANSI code page: per thread, 1252 until
// set. Code page 3 (CP_THREAD_ACP) and 0 (CP_ACP) resolve to it.
std::uint32_t thread_code_page() noexcept;
void set_thread_code_page(std::uint32_t code_page) noexcept;

// The Linux stand-in for the executable's resources: a process-wide table of
// {type, name} → bytes. Registering replaces an earlier resource of the same
// type and name (pointers into the earlier bytes become invalid).
void register_resource(std::uint16_t type, std::uint16_t name, std::span<const std::byte> bytes);
void unregister_resource(std::uint16_t type, std::uint16_t name);
#endif

}  // namespace details
}  // namespace av

// Whether two paths denote the same file-system object: equal paths; else the
// file system's identity when both exist (different when only one does);
// else lexically normalised absolute paths compared element by element,
// ignoring case.
bool SamePath(const std::wstring& a, const std::wstring& b);
