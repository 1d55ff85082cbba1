// The portable half of the text utilities: whole-string conversions over the
// code-page facet, the string-table walk, UTF-16 decoding and the same-path
// rule. The platform halves supply the facet's conversions, the resource
// lookup and the case-insensitive element comparison.
#include "support/text.h"

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace av {
namespace {

// Conversion buffers of up to 511 bytes live on the stack; larger ones on
// the heap.
template <typename Char>
class conversion_buffer {
public:
    explicit conversion_buffer(std::size_t count)
    {
        if (count * sizeof(Char) > sizeof m_local) {
            m_heap.resize(count);
            m_data = m_heap.data();
        } else {
            m_data = reinterpret_cast<Char*>(m_local.data());
        }
        m_count = count;
    }
    Char* begin() { return m_data; }
    Char* end() { return m_data + m_count; }

private:
    alignas(Char) std::array<unsigned char, 511> m_local;
    std::vector<Char> m_heap;
    Char* m_data = nullptr;
    std::size_t m_count = 0;
};

std::uint16_t read_u16(const std::byte* p)
{
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) | (std::to_integer<unsigned>(p[1]) << 8));
}

}  // namespace

std::wstring narrow_to_wide(std::string_view text)
{
    if (text.empty())
        return {};
    const details::w2a_codecvt facet(details::cp_thread_acp);
    std::mbstate_t state {};
    const int count = facet.length(state, text.data(), text.data() + text.size(), 0x7FFFFFFE);
    if (count <= 0)
        return {};
    conversion_buffer<wchar_t> buffer(static_cast<std::size_t>(count));
    const char* from_next = nullptr;
    wchar_t* to_next = nullptr;
    state = std::mbstate_t {};
    if (facet.in(state, text.data(), text.data() + text.size(), from_next, buffer.begin(), buffer.end(), to_next) !=
        std::codecvt_base::ok)
        return {};
    return std::wstring(buffer.begin(), to_next);
}

std::string wide_to_narrow(std::wstring_view text)
{
    if (text.empty())
        return {};
    const details::w2a_codecvt facet(details::cp_thread_acp);
    const std::size_t per_char = static_cast<std::size_t>(facet.max_length());
    if (text.size() > 0x7FFFFFFFu / per_char)
        return {};
    conversion_buffer<char> buffer(text.size() * per_char);
    const wchar_t* from_next = nullptr;
    char* to_next = nullptr;
    std::mbstate_t state {};
    if (facet.out(state, text.data(), text.data() + text.size(), from_next, buffer.begin(), buffer.end(), to_next) !=
        std::codecvt_base::ok)
        return {};
    return std::string(buffer.begin(), to_next);
}

std::wstring load_string(std::uint16_t id)
{
    if (id == 0)
        return {};
    const resource_data block = find_resource_data(static_cast<std::uint16_t>(id / 16 + 1), rt_string);
    return details::string_table_entry(block, id % 16);
}

namespace details {

std::wstring string_table_entry(resource_data block, unsigned index)
{
    if (block.data == nullptr || index > 15)
        return {};
    // Each entry is a 16-bit length followed by that many UTF-16 units.
    std::size_t offset = 0;
    for (unsigned skipped = 0; skipped < index; ++skipped) {
        if (block.size - offset < 2)
            return {};
        offset += 2 + 2 * std::size_t {read_u16(block.data + offset)};
        if (offset > block.size)
            return {};
    }
    if (block.size - offset < 2)
        return {};
    const std::size_t length = read_u16(block.data + offset);
    // An entry whose characters run past the end of the block is damaged;
    // it counts as absent rather than being read beyond the resource.
    if (length == 0 || (block.size - offset - 2) / 2 < length)
        return {};
    return wide_from_utf16(block.data + offset + 2, length);
}

std::wstring wide_from_utf16(const std::byte* data, std::size_t units)
{
    std::wstring result;
    result.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = read_u16(data + 2 * i);
        if constexpr (sizeof(wchar_t) >= 4) {
            if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
                const char32_t low = read_u16(data + 2 * (i + 1));
                if (low >= 0xDC00 && low < 0xE000) {
                    result.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        result.push_back(static_cast<wchar_t>(unit));
    }
    return result;
}

std::u16string utf16_from_wide(std::wstring_view text)
{
    std::u16string result;
    result.reserve(text.size());
    for (const wchar_t c : text) {
        const auto value = static_cast<std::uint32_t>(c);
        if (value > 0xFFFF && value <= 0x10FFFF) {
            result.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(value));
        }
    }
    return result;
}

std::string utf8_from_wide(std::wstring_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t v = static_cast<std::uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (v >= 0xD800 && v < 0xDC00 && i + 1 < text.size()) {
                const auto low = static_cast<std::uint32_t>(text[i + 1]);
                if (low >= 0xDC00 && low < 0xE000) {
                    v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (v < 0x80) {
            utf8.push_back(static_cast<char>(v));
        } else if (v < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (v >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        } else if (v < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (v >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (v >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        }
    }
    return utf8;
}

std::wstring wide_from_utf8(std::string_view bytes)
{
    // A byte that is not part of a valid sequence stands for itself, so that
    // no two byte strings decode alike.
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6               ? 2
            : (lead >> 4) == 0xE               ? 3
            : (lead >> 3) == 0x1E              ? 4
                                               : 0;
        bool valid = length != 0 && i + length <= bytes.size();
        std::uint32_t value = length == 1 ? lead
            : length == 2                 ? (lead & 0x1Fu)
            : length == 3                 ? (lead & 0x0Fu)
                                          : (lead & 0x07u);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            text.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (value > 0xFFFF) {
                text.push_back(static_cast<wchar_t>(0xD800 + ((value - 0x10000) >> 10)));
                text.push_back(static_cast<wchar_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
                i += length;
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(value));
        i += length;
    }
    return text;
}

}  // namespace details
}  // namespace av

namespace {

namespace fs = boost::filesystem;

fs::path to_path(const std::wstring& text)
{
#if defined(_WIN32)
    return fs::path(text);
#else
    // Linux paths are bytes; the installer names them in UTF-8, whatever
    // the process locale says.
    return fs::path(av::details::utf8_from_wide(text));
#endif
}

std::wstring from_path(const fs::path& element)
{
#if defined(_WIN32)
    return element.wstring();
#else
    return av::details::wide_from_utf8(element.native());
#endif
}

// The elements of an absolute, lexically normalised path: "." dropped, an
// element followed by ".." folded away, the root directory as one marker
// whichever separator spelt it.
std::vector<std::wstring> normalised_elements(const fs::path& input)
{
    fs::path absolute = input;
    if (!absolute.is_absolute()) {
        try {
            absolute = fs::absolute(input);
        } catch (const std::exception&) {
            // Without a current folder the path is compared as written.
        }
    }
    std::vector<std::wstring> elements;
    if (absolute.has_root_name())
        elements.push_back(from_path(absolute.root_name()));
    if (absolute.has_root_directory())
        elements.emplace_back(L"\\");
    const std::size_t root_count = elements.size();
    for (const fs::path& element : absolute.relative_path()) {
        const fs::path::string_type& text = element.native();
        if (text.empty() || text == fs::path::string_type(1, '.'))
            continue;
        if (text == fs::path::string_type(2, '.')) {
            if (elements.size() > root_count)
                elements.pop_back();
            continue;
        }
        elements.push_back(from_path(element));
    }
    return elements;
}

}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    const fs::path pa = to_path(a);
    const fs::path pb = to_path(b);
    if (pa == pb)
        return true;

    boost::system::error_code ec;
    const bool a_exists = fs::exists(pa, ec);
    const bool b_exists = fs::exists(pb, ec);
    if (a_exists && b_exists) {
        const bool same = fs::equivalent(pa, pb, ec);
        return !ec && same;
    }
    if (a_exists != b_exists)
        return false;

    const std::vector<std::wstring> ea = normalised_elements(pa);
    const std::vector<std::wstring> eb = normalised_elements(pb);
    if (ea.size() != eb.size())
        return false;
    for (std::size_t i = 0; i < ea.size(); ++i) {
        if (!av::details::equal_ignoring_case(ea[i], eb[i]))
            return false;
    }
    return true;
}
