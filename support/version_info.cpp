// Version blocks: the layout reader, the parse of a view, the string queries
// and the display texts composed from them.
#include "support/version_info.h"

#include "support/display_language.h"
#include "support/product.h"
#include "support/text.h"

#include <boost/algorithm/string/replace.hpp>

#include <cstring>
#include <mutex>

namespace av {
namespace {

#if defined(_WIN32)
constexpr auto platform_reader_is_system = true;
#else
constexpr auto platform_reader_is_system = false;
#endif

constexpr std::uint32_t fixed_signature = 0xFEEF04BD;
constexpr std::size_t fixed_size = 52;

constexpr std::uint32_t vs_ff_debug = 0x1;
constexpr std::uint32_t vs_ff_prerelease = 0x2;
constexpr std::uint32_t vs_ff_privatebuild = 0x8;

constexpr int language_french = 0;
constexpr int language_german = 2;
constexpr std::uint32_t lang_french = 0x0C;

std::uint16_t u16_at(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t u32_at(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(u16_at(p)) | (static_cast<std::uint32_t>(u16_at(p + 2)) << 16);
}

std::size_t align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t {3};
}

wchar_t ascii_upper(std::uint32_t c)
{
    return static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
}

// One node of a block: [begin, end) with its key and value.
struct node {
    std::size_t begin;
    std::size_t end;
    std::size_t key;  // offset of the key's first unit
    std::size_t key_units;
    std::size_t value;  // offset of the value
    std::uint32_t value_length;
    bool text;
    std::size_t children;  // offset of the first child
};

std::optional<node> read_node(const std::uint8_t* block, std::size_t begin, std::size_t limit)
{
    if (limit < begin || limit - begin < 6)
        return std::nullopt;
    const std::size_t length = u16_at(block + begin);
    if (length < 6 || length > limit - begin)
        return std::nullopt;
    node n {};
    n.begin = begin;
    n.end = begin + length;
    n.value_length = u16_at(block + begin + 2);
    n.text = u16_at(block + begin + 4) == 1;
    n.key = begin + 6;
    std::size_t at = n.key;
    while (true) {
        if (n.end - at < 2)
            return std::nullopt;  // the key's NUL is missing
        if (u16_at(block + at) == 0)
            break;
        at += 2;
    }
    n.key_units = (at - n.key) / 2;
    n.value = align4(at + 2);
    const std::size_t value_bytes = n.text ? std::size_t {n.value_length} * 2 : n.value_length;
    if (n.value > n.end || n.end - n.value < value_bytes) {
        // A node without room for its value (a value of length 0 may sit
        // right at the end) is damaged.
        if (value_bytes != 0)
            return std::nullopt;
        n.value = std::min(n.value, n.end);
    }
    n.children = std::min(align4(n.value + value_bytes), n.end);
    return n;
}

bool key_matches(const std::uint8_t* block, const node& n, std::wstring_view key)
{
    if (n.key_units != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (ascii_upper(u16_at(block + n.key + 2 * i)) != ascii_upper(static_cast<std::uint32_t>(key[i])))
            return false;
    }
    return true;
}

std::wstring translation_key(std::uint16_t language)
{
    static constexpr wchar_t digits[] = L"0123456789abcdef";
    std::wstring key;
    for (const std::uint16_t part : {language, std::uint16_t {1200}}) {
        for (int shift = 12; shift >= 0; shift -= 4)
            key.push_back(digits[(part >> shift) & 0xF]);
    }
    return key;
}

// The once-per-process decision whether the product is the German special
// build: taken from the first view display_name is asked of.
struct special_build_state {
    std::mutex mutex;
    std::optional<bool> decision;
};

special_build_state& special_build()
{
    static special_build_state state;
    return state;
}

}  // namespace

namespace details {

std::optional<version_value> query_version_block(
    const std::uint8_t* block, std::size_t size, std::wstring_view sub_block)
{
    if (block == nullptr)
        return std::nullopt;
    std::optional<node> current = read_node(block, 0, size);
    if (!current)
        return std::nullopt;
    std::size_t at = 0;
    while (at < sub_block.size()) {
        const std::size_t slash = std::min(sub_block.find(L'\\', at), sub_block.size());
        if (slash == at) {
            ++at;  // empty elements are skipped
            continue;
        }
        const std::wstring_view key = sub_block.substr(at, slash - at);
        std::optional<node> found;
        for (std::size_t child = current->children; child < current->end;) {
            const std::optional<node> c = read_node(block, child, current->end);
            if (!c)
                break;
            if (key_matches(block, *c, key)) {
                found = c;
                break;
            }
            child = align4(c->end);
        }
        if (!found)
            return std::nullopt;
        current = found;
        at = slash;
    }
    return version_value {current->value, current->value_length, current->text};
}

void reset_special_build_decision()
{
    special_build_state& state = special_build();
    const std::lock_guard lock(state.mutex);
    state.decision.reset();
}

}  // namespace details

version_info::version_info(std::vector<std::uint8_t> owned, const std::uint8_t* data, std::uint32_t size, reader how)
    : m_owned(std::move(owned))
    , m_data(m_owned.empty() ? data : nullptr)
    , m_size(size)
    , m_reader(how)
{
    if (m_size != 0)
        parse();
}

version_info version_info::from_module()
{
    const details::module_version_block own = details::own_version_block();
    if (own.data == nullptr || own.size == 0)
        return {};
    return version_info({}, own.data, own.size, platform_reader_is_system ? reader::system : reader::layout);
}

version_info version_info::from_file(const std::wstring& path)
{
    std::vector<std::uint8_t> block = details::file_version_block(path);
    if (block.empty())
        return {};
    const auto size = static_cast<std::uint32_t>(block.size());
    return version_info(std::move(block), nullptr, size, platform_reader_is_system ? reader::system : reader::layout);
}

version_info version_info::from_bytes(std::vector<std::uint8_t> block)
{
    if (block.empty() || block.size() > 0xFFFFFFFFu)
        return {};
    const auto size = static_cast<std::uint32_t>(block.size());
    return version_info(std::move(block), nullptr, size, reader::layout);
}

std::optional<version_info::value_ref> version_info::query(const std::wstring& sub_block) const
{
    if (m_size == 0)
        return std::nullopt;
#if defined(_WIN32)
    if (m_reader == reader::system) {
        const auto found = details::system_query(bytes(), sub_block);
        if (!found)
            return std::nullopt;
        return value_ref {found->first, found->second};
    }
#endif
    const auto found = details::query_version_block(bytes(), m_size, sub_block);
    if (!found)
        return std::nullopt;
    return value_ref {bytes() + found->offset, found->length};
}

void version_info::parse()
{
    const std::optional<value_ref> root = query(L"\\");
    if (!root)
        return;
    // A fixed part too short for its fields, or without its signature, is
    // none: its fields are never read past the value.
    if (root->length >= fixed_size && u32_at(root->data) == fixed_signature) {
        m_has_fixed_part = true;
        m_file_version_ms = u32_at(root->data + 8);
        m_file_version_ls = u32_at(root->data + 12);
        m_file_flags_mask = u32_at(root->data + 24);
        m_file_flags = u32_at(root->data + 28);
    }
    const std::optional<value_ref> translations = query(L"\\VarFileInfo\\Translation");
    if (!translations)
        return;
    for (std::uint32_t i = 0; i + 4 <= translations->length; i += 4) {
        const std::uint16_t language = u16_at(translations->data + i);
        const std::uint16_t code_page = u16_at(translations->data + i + 2);
        if (code_page == 1200)
            m_keys.push_back(translation_key(language));
    }
}

std::wstring version_info::string_value(const std::wstring& key) const
{
    if (m_size == 0 || m_keys.empty())
        return {};
    const std::optional<value_ref> value = query(L"\\StringFileInfo\\" + m_keys.front() + L"\\" + key);
    if (!value || value->length == 0)
        return {};
    std::wstring text;
#if defined(_WIN32)
    if (m_reader == reader::system)
        text.assign(reinterpret_cast<const wchar_t*>(value->data), value->length);
    else
#endif
        text = details::wide_from_utf16(reinterpret_cast<const std::byte*>(value->data), value->length);
    if (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::uint64_t version_info::file_version() const
{
    if (!m_has_fixed_part)
        return 0;
    return (std::uint64_t {m_file_version_ms} << 32) | m_file_version_ls;
}

std::wstring version_info::display_name() const
{
    std::wstring name = product_name();
    // Only the product family of this installer's product (its code with the
    // low 8 bits cleared, 0x200) has names that follow the language.
    if ((static_cast<std::uint32_t>(kProductCode) & ~0xFFu) != 0x200)
        return name;

    bool special = false;
    {
        special_build_state& state = special_build();
        const std::lock_guard lock(state.mutex);
        if (!state.decision)
            state.decision = string_value(L"SpecialBuild") == L"Korvanix";
        special = *state.decision;
    }

    const int language = display_language();
    if (special && language == language_german)
        boost::algorithm::replace_last(name, L"Korvane", L"Korvanix");
    else if (language != language_french)
        boost::algorithm::replace_last(name, L"Korvane", L"Korvaline");
    return name;
}

std::wstring version_info::display_version() const
{
    std::wstring text = display_name();
    const std::wstring version = product_version();
    if (!version.empty())
        text += L" " + version;
    const std::uint32_t flags = m_has_fixed_part ? (m_file_flags & m_file_flags_mask) : 0;
    if ((flags & vs_ff_prerelease) != 0 && (display_lcid() & 0x3FF) != lang_french)
        boost::algorithm::replace_last(text, L"bêta", L"beta");
    if ((flags & vs_ff_privatebuild) != 0)
        text += L" \u2013 Private";
    if ((flags & vs_ff_debug) != 0)
        text += L" \u2013 Debug";
    return text;
}

}  // namespace av
