// Builds payload archives: the table and the data of each entry, written
// decompressed or as one bzip2 stream (block size 9). The release engineer's
// avpack packs with it, and the tests build their small archives with it.
#pragma once

#include "payload/archive.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <boost/filesystem/path.hpp>

namespace av {

struct archive_item {
    std::wstring source_path;  // recorded as is; only its file name is used
    std::wstring destination_dir;  // may start with a placeholder
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::string data;  // the bytes, when held in memory
    boost::filesystem::path file;  // else the file they are read from
};

class archive_builder {
public:
    // An entry with its bytes in memory; size and CRC-32 are computed.
    archive_item& add_data(
        std::wstring source_path, std::wstring destination_dir, std::uint32_t kind, std::string data);
    // An entry read from a file when the archive is written; size and CRC-32
    // are taken from the file now. Throws std::system_error when it cannot be
    // read.
    archive_item& add_file(const boost::filesystem::path& file, std::wstring destination_dir, std::uint32_t kind);

    const std::vector<archive_item>& items() const noexcept { return items_; }
    std::vector<archive_item>& items() noexcept { return items_; }

    // The header: header_size, entry_count and the records.
    std::string header() const;
    // The decompressed archive (header, then every entry's data).
    void write(std::ostream& out) const;
    std::string bytes() const;
    // The archive as one bzip2 stream, block size 9.
    void write_compressed(std::ostream& out) const;

private:
    std::vector<archive_item> items_;
};

// One bzip2 stream (block size 9) of `bytes`.
std::string bzip2_compress(std::string_view bytes);

}  // namespace av
