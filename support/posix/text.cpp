// The Linux half of the text utilities: code pages through iconv, the
// per-thread stand-in for the thread's ANSI code page, the in-memory
// resource table and a Unicode case-insensitive comparison.
#include "support/text.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace av::details {
namespace {

static_assert(
    sizeof(wchar_t) == 4 && std::endian::native == std::endian::little, "wide strings are UTF-32LE in the Linux build");
constexpr const char* wide_encoding = "UTF-32LE";

thread_local std::uint32_t t_code_page = 1252;

// The iconv name of a Windows code page; empty when it has none.
std::string iconv_name(std::uint32_t code_page)
{
    if (code_page == 0 || code_page == cp_thread_acp)
        code_page = thread_code_page();
    switch (code_page) {
    case 65001:
        return "UTF-8";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 437:
    case 850:
    case 852:
    case 866:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258: {
        char name[16];
        std::snprintf(name, sizeof name, "CP%u", static_cast<unsigned>(code_page));
        return name;
    }
    default:
        return {};
    }
}

class iconv_handle {
public:
    iconv_handle(const std::string& to, const std::string& from)
        : m_cd(to.empty() || from.empty() ? invalid() : ::iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~iconv_handle()
    {
        if (m_cd != invalid())
            ::iconv_close(m_cd);
    }
    iconv_handle(const iconv_handle&) = delete;
    iconv_handle& operator=(const iconv_handle&) = delete;

    // Converts the whole input into [out, out + out_size); the number of
    // bytes written, or nothing when any of the input cannot be converted
    // or the output does not fit.
    std::optional<std::size_t> convert(const char* in, std::size_t in_size, char* out, std::size_t out_size) const
    {
        if (m_cd == invalid())
            return std::nullopt;
        char* in_ptr = const_cast<char*>(in);
        char* out_ptr = out;
        std::size_t in_left = in_size;
        std::size_t out_left = out_size;
        if (::iconv(m_cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
            return std::nullopt;
        // Close any shift sequence of a stateful encoding.
        if (::iconv(m_cd, nullptr, nullptr, &out_ptr, &out_left) == static_cast<std::size_t>(-1))
            return std::nullopt;
        return static_cast<std::size_t>(out_ptr - out);
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t m_cd;
};

// The output bytes of a whole conversion, for counting only.
std::optional<std::size_t> converted_size(
    const iconv_handle& cd, const char* in, std::size_t in_size, std::size_t per_input_byte)
{
    std::vector<char> scratch(in_size * per_input_byte + 16);
    return cd.convert(in, in_size, scratch.data(), scratch.size());
}

struct resource_key {
    std::uint16_t type;
    std::uint16_t name;
    auto operator<=>(const resource_key&) const = default;
};

struct resource_table {
    std::mutex mutex;
    std::map<resource_key, std::vector<std::byte>> entries;
};

resource_table& resources()
{
    static resource_table table;
    return table;
}

}  // namespace

std::uint32_t thread_code_page() noexcept
{
    return t_code_page;
}

void set_thread_code_page(std::uint32_t code_page) noexcept
{
    t_code_page = code_page;
}

std::codecvt_base::result w2a_codecvt::do_out(state_type&, const wchar_t* from, const wchar_t* from_end,
    const wchar_t*& from_next, char* to, char* to_end, char*& to_next) const
{
    from_next = from;
    to_next = to;
    if (from == from_end)
        return ok;
    const iconv_handle cd(iconv_name(m_code_page), wide_encoding);
    const auto written = cd.convert(reinterpret_cast<const char*>(from),
        static_cast<std::size_t>(from_end - from) * sizeof(wchar_t), to, static_cast<std::size_t>(to_end - to));
    if (!written || *written == 0)
        return error;
    from_next = from_end;
    to_next = to + *written;
    return ok;
}

std::codecvt_base::result w2a_codecvt::do_in(state_type&, const char* from, const char* from_end,
    const char*& from_next, wchar_t* to, wchar_t* to_end, wchar_t*& to_next) const
{
    from_next = from;
    to_next = to;
    if (from == from_end)
        return ok;
    const iconv_handle cd(wide_encoding, iconv_name(m_code_page));
    const auto written = cd.convert(from, static_cast<std::size_t>(from_end - from), reinterpret_cast<char*>(to),
        static_cast<std::size_t>(to_end - to) * sizeof(wchar_t));
    if (!written || *written == 0)
        return error;
    from_next = from_end;
    to_next = to + *written / sizeof(wchar_t);
    return ok;
}

std::codecvt_base::result w2a_codecvt::do_unshift(state_type&, char* to, char*, char*& to_next) const
{
    to_next = to;
    return ok;
}

int w2a_codecvt::do_length(state_type&, const char* from, const char* from_end, std::size_t max) const
{
    if (from == from_end)
        return 0;
    const iconv_handle cd(wide_encoding, iconv_name(m_code_page));
    // No code page makes more than one wide character of one byte.
    const auto bytes = converted_size(cd, from, static_cast<std::size_t>(from_end - from), sizeof(wchar_t));
    if (!bytes)
        return 0;
    const std::size_t count = *bytes / sizeof(wchar_t);
    return static_cast<int>(std::min<std::size_t>({count, max, std::size_t {0x7FFFFFFF}}));
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    // Simple Unicode case folding from the C.UTF-8 locale when it exists;
    // ASCII only without it.
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        wint_t ca = static_cast<wint_t>(a[i]);
        wint_t cb = static_cast<wint_t>(b[i]);
        if (utf8 != static_cast<locale_t>(nullptr)) {
            ca = ::towlower_l(ca, utf8);
            cb = ::towlower_l(cb, utf8);
        } else {
            ca = (ca >= L'A' && ca <= L'Z') ? ca + 32 : ca;
            cb = (cb >= L'A' && cb <= L'Z') ? cb + 32 : cb;
        }
        if (ca != cb)
            return false;
    }
    return true;
}

void register_resource(std::uint16_t type, std::uint16_t name, std::span<const std::byte> bytes)
{
    resource_table& table = resources();
    const std::lock_guard lock(table.mutex);
    table.entries[resource_key {type, name}].assign(bytes.begin(), bytes.end());
}

void unregister_resource(std::uint16_t type, std::uint16_t name)
{
    resource_table& table = resources();
    const std::lock_guard lock(table.mutex);
    table.entries.erase(resource_key {type, name});
}

}  // namespace av::details

namespace av {

resource_data find_resource_data(std::uint16_t name, std::uint16_t type)
{
    details::resource_table& table = details::resources();
    const std::lock_guard lock(table.mutex);
    const auto found = table.entries.find(details::resource_key {type, name});
    if (found == table.entries.end() || found->second.empty())
        return {};
    return {found->second.data(), found->second.size()};
}

}  // namespace av
