#include "payload/archive.h"

#include "support/error.h"

#include <cstdint>

namespace av {
namespace {

std::uint32_t read_u32(std::istream& in)
{
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4))
        throw_compress_error(compress_errc::unexpected);
    return b[0] | (std::uint32_t {b[1]} << 8) | (std::uint32_t {b[2]} << 16) | (std::uint32_t {b[3]} << 24);
}

std::uint64_t read_u64(std::istream& in)
{
    const std::uint64_t low = read_u32(in);
    return low | (std::uint64_t {read_u32(in)} << 32);
}

std::wstring read_text(std::istream& in, std::uint64_t& left)
{
    const std::uint32_t units = read_u32(in);
    if (units > left / 2)
        throw_compress_error(compress_errc::unexpected);
    left -= std::uint64_t {units} * 2;
    std::string bytes(std::size_t {units} * 2, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw_compress_error(compress_errc::unexpected);
    return decode_utf16le(bytes.data(), units);
}

}  // namespace

void check_header_size(std::uint64_t header_size)
{
    // Above 4 GiB it is corrupt: refused before anything is buffered for it.
    if ((header_size >> 32) != 0 || header_size < archive_prefix_size)
        throw_compress_error(compress_errc::unexpected);
}

archive_table parse_archive_table(std::istream& header, std::uint64_t header_size)
{
    check_header_size(header_size);
    archive_table table;
    table.header_size = header_size;
    std::uint64_t left = header_size - archive_prefix_size;
    const std::uint32_t count = read_u32(header);
    // Every record takes at least its fixed fields: a count that cannot fit
    // is refused before anything is reserved for it.
    if (count > left / entry_fixed_size)
        throw_compress_error(compress_errc::unexpected);
    table.records.reserve(count);
    std::uint64_t total = header_size;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (left < entry_fixed_size)
            throw_compress_error(compress_errc::unexpected);
        left -= entry_fixed_size;
        archive_record record;
        record.source_path = read_text(header, left);
        record.destination_dir = read_text(header, left);
        record.kind = read_u32(header);
        record.size = read_u64(header);
        record.crc32 = read_u32(header);
        if (record.size > UINT64_MAX - total)
            throw_compress_error(compress_errc::unexpected);
        total += record.size;
        table.records.push_back(std::move(record));
    }
    // The table must end exactly at header_size.
    if (left != 0)
        throw_compress_error(compress_errc::unexpected);
    table.total = total;
    return table;
}

std::string encode_utf16le(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    auto unit = [&out](std::uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFFu));
        out.push_back(static_cast<char>((u >> 8) & 0xFFu));
    };
    for (const wchar_t ch : text) {
        const auto c = static_cast<std::uint32_t>(ch);
        if (c > 0xFFFFu && c <= 0x10FFFFu) {
            unit(0xD800u + ((c - 0x10000u) >> 10));
            unit(0xDC00u + ((c - 0x10000u) & 0x3FFu));
        } else {
            unit(c & 0xFFFFu);
        }
    }
    return out;
}

std::wstring decode_utf16le(const char* bytes, std::size_t units)
{
    std::wstring out;
    out.reserve(units);
    auto at = [bytes](std::size_t i) -> std::uint32_t {
        return static_cast<unsigned char>(bytes[2 * i]) |
            (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = at(i);
        if constexpr (sizeof(wchar_t) >= 4) {
            if (u >= 0xD800u && u < 0xDC00u && i + 1 < units) {
                const std::uint32_t low = at(i + 1);
                if (low >= 0xDC00u && low < 0xE000u) {
                    out.push_back(static_cast<wchar_t>(0x10000u + ((u - 0xD800u) << 10) + (low - 0xDC00u)));
                    ++i;
                    continue;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

#ifdef _WIN32

boost::filesystem::path wide_to_path(const std::wstring& text)
{
    return boost::filesystem::path(text);
}

std::wstring path_to_wide(const boost::filesystem::path& path)
{
    return path.wstring();
}

#else

boost::filesystem::path wide_to_path(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (const wchar_t ch : text) {
        auto c = static_cast<std::uint32_t>(ch);
        if (c > 0x10FFFFu)
            c = 0xFFFDu;
        if (c < 0x80u) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800u) {
            out.push_back(static_cast<char>(0xC0u | (c >> 6)));
            out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
        } else if (c < 0x10000u) {
            out.push_back(static_cast<char>(0xE0u | (c >> 12)));
            out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
            out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
        } else {
            out.push_back(static_cast<char>(0xF0u | (c >> 18)));
            out.push_back(static_cast<char>(0x80u | ((c >> 12) & 0x3Fu)));
            out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
            out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
        }
    }
    return boost::filesystem::path(out);
}

std::wstring path_to_wide(const boost::filesystem::path& path)
{
    // UTF-8 to UTF-32; a byte that starts no valid sequence stands for itself.
    const std::string& s = path.native();
    std::wstring out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        std::uint32_t c = len == 1 ? b : len == 2 ? (b & 0x1Fu) : len == 3 ? (b & 0x0Fu) : (b & 0x07u);
        bool valid = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            valid = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3Fu);
        }
        if (!valid) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(c));
        i += len;
    }
    return out;
}

#endif

std::wstring last_path_element(std::wstring_view path)
{
    const auto separator = path.find_last_of(L"\\/");
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

}  // namespace av
