// The payload archive: its entries, their kinds, the notifications of the
// extraction pass, and the byte layout of the decompressed archive.
//
// Layout (little-endian, no padding): header_size (u64, bytes before the
// first data byte, its high 32 bits 0), entry_count (u32), entry_count
// records {source_length u32, source_path UTF-16LE, destination_length u32,
// destination_dir UTF-16LE, kind u32, size u64, crc32 u32}, ending exactly at
// header_size; then the data of every entry back to back in table order.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

#include <boost/filesystem/path.hpp>

namespace av {

enum class entry_kind : std::uint32_t {
    language_module = 0,
    main_program = 1,
    uninstaller = 2,
    data_file = 3,
    sample = 4,
    temporary_file = 5,
};

// One entry of the table, in memory. `destination` holds the destination_dir
// as read, then the file's final path once the header is parsed.
struct payload_entry {
    boost::filesystem::path source;
    boost::filesystem::path destination;
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
};

// One record of the table as it is stored.
struct archive_record {
    std::wstring source_path;
    std::wstring destination_dir;
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
};

// The table of an archive.
struct archive_table {
    std::uint64_t header_size = 0;
    std::vector<archive_record> records;
    // header_size + the sum of all sizes: the archive's length.
    std::uint64_t total = 0;
};

// Fixed sizes of the layout.
inline constexpr std::uint64_t archive_prefix_size = 12;  // header_size + entry_count
inline constexpr std::uint64_t entry_fixed_size = 24;  // the record without its texts

namespace notifications {
struct started {
    unsigned char unused = 0;
};
struct finished {
    std::uint64_t compressed_read;
    std::uint64_t total;
};
struct file_started {
    const payload_entry& entry;
};
struct file_done {
    const payload_entry& entry;
};
struct progress {
    std::uint64_t position;
    std::uint64_t total;
};
struct failed {
    std::error_code code;
    std::wstring path;
};
}  // namespace notifications

// What the extraction pass reports; the order of the alternatives is fixed.
struct notification : std::variant<notifications::started, notifications::finished, notifications::file_started,
                          notifications::file_done, notifications::progress, notifications::failed> {
    using variant::variant;

    using started = notifications::started;
    using finished = notifications::finished;
    using file_started = notifications::file_started;
    using file_done = notifications::file_done;
    using progress = notifications::progress;
    using failed = notifications::failed;

    // The callback's answer: abort after file_started, file_done or progress
    // raises `interrupted`; skip after file_started consumes the entry's bytes
    // without writing it.
    enum class result { proceed = 0, abort = 1, skip = 2 };
};

using notification_callback = std::function<notification::result(const notification&)>;

// Checks a header_size just read: its high 32 bits must be 0 and it must
// hold entry_count. Throws `unexpected` (7) otherwise.
void check_header_size(std::uint64_t header_size);

// Parses the records that follow header_size in `header` (positioned at
// entry_count) up to header_size. Throws `unexpected` (7) when the table is
// malformed: a count or text that cannot fit, a table that does not end
// exactly at header_size, a total beyond 64 bits.
archive_table parse_archive_table(std::istream& header, std::uint64_t header_size);

// Reads the table at the start of a bzip2-compressed archive, decompressing
// only as far as the header. Throws `unexpected` (7) for a malformed or short
// header and the bzip2 error for corrupt data.
archive_table read_archive_table(std::istream& compressed);

// UTF-16LE bytes of a wide string (natively wchar_t is UTF-32: characters
// above U+FFFF become surrogate pairs).
std::string encode_utf16le(std::wstring_view text);
// A wide string from `units` UTF-16LE code units (unpaired surrogates are
// kept as they are).
std::wstring decode_utf16le(const char* bytes, std::size_t units);

// Conversions between wide strings and paths that do not depend on the
// process's locale (natively the path's bytes are UTF-8).
boost::filesystem::path wide_to_path(const std::wstring& text);
std::wstring path_to_wide(const boost::filesystem::path& path);

// The last element of a path written with `\` or `/` separators.
std::wstring last_path_element(std::wstring_view path);

}  // namespace av
