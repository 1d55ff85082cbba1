// The Windows half of the text utilities: code pages through
// MultiByteToWideChar/WideCharToMultiByte, resources of the executable's own
// module, and the shell's locale-aware case-insensitive comparison.
#include "support/text.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace av::details {

std::codecvt_base::result w2a_codecvt::do_out(state_type&, const wchar_t* from, const wchar_t* from_end,
    const wchar_t*& from_next, char* to, char* to_end, char*& to_next) const
{
    from_next = from;
    to_next = to;
    if (from == from_end)
        return ok;
    if (from_end - from > 0x7FFFFFFF)
        return error;
    const int written =
        ::WideCharToMultiByte(m_code_page, WC_NO_BEST_FIT_CHARS, from, static_cast<int>(from_end - from), to,
            static_cast<int>(std::min<std::ptrdiff_t>(to_end - to, 0x7FFFFFFF)), nullptr, nullptr);
    if (written <= 0)
        return error;
    from_next = from_end;
    to_next = to + written;
    return ok;
}

std::codecvt_base::result w2a_codecvt::do_in(state_type&, const char* from, const char* from_end,
    const char*& from_next, wchar_t* to, wchar_t* to_end, wchar_t*& to_next) const
{
    from_next = from;
    to_next = to;
    if (from == from_end)
        return ok;
    if (from_end - from > 0x7FFFFFFF)
        return error;
    const int written = ::MultiByteToWideChar(m_code_page, MB_PRECOMPOSED, from, static_cast<int>(from_end - from), to,
        static_cast<int>(std::min<std::ptrdiff_t>(to_end - to, 0x7FFFFFFF)));
    if (written <= 0)
        return error;
    from_next = from_end;
    to_next = to + written;
    return ok;
}

std::codecvt_base::result w2a_codecvt::do_unshift(state_type&, char* to, char*, char*& to_next) const
{
    to_next = to;
    return ok;
}

int w2a_codecvt::do_length(state_type&, const char* from, const char* from_end, std::size_t max) const
{
    if (from == from_end || from_end - from > 0x7FFFFFFF)
        return 0;
    const int count =
        ::MultiByteToWideChar(m_code_page, MB_PRECOMPOSED, from, static_cast<int>(from_end - from), nullptr, 0);
    if (count <= 0)
        return 0;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), max));
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b)
{
    // StrIsIntlEqualW compares a given number of characters; elements of
    // different lengths are different, and the count never reaches past
    // either one.
    if (a.size() != b.size())
        return false;
    if (a.empty())
        return true;
    const std::wstring sa(a);
    const std::wstring sb(b);
    return ::StrIsIntlEqualW(FALSE, sa.c_str(), sb.c_str(), static_cast<int>(sa.size())) != FALSE;
}

}  // namespace av::details

namespace av {

resource_data find_resource_data(std::uint16_t name, std::uint16_t type)
{
    // The executable's own module, never a language resource module.
    return details::find_resource_data_in(::GetModuleHandleW(nullptr), name, type);
}

resource_data details::find_resource_data_in(void* handle, std::uint16_t name, std::uint16_t type)
{
    const auto module = static_cast<HMODULE>(handle);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
    if (found == nullptr)
        return {};
    const DWORD size = ::SizeofResource(module, found);
    const HGLOBAL loaded = ::LoadResource(module, found);
    if (size == 0 || loaded == nullptr)
        return {};
    const void* locked = ::LockResource(loaded);
    if (locked == nullptr)
        return {};
    return {static_cast<const std::byte*>(locked), size};
}

}  // namespace av
