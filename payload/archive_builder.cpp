#include "payload/archive_builder.h"

#include "payload/crc32.h"
#include "platform/file_system.h"

#include <boost/filesystem/operations.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filtering_stream.hpp>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace av {
namespace {

void put_u32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

void put_u64(std::string& out, std::uint64_t v)
{
    put_u32(out, static_cast<std::uint32_t>(v));
    put_u32(out, static_cast<std::uint32_t>(v >> 32));
}

void put_text(std::string& out, const std::wstring& text)
{
    const std::string units = encode_utf16le(text);
    if (units.size() / 2 > UINT32_MAX)
        throw std::length_error("path too long for the archive table");
    put_u32(out, static_cast<std::uint32_t>(units.size() / 2));
    out += units;
}

// Reads a source file of the release engineer's machine from start to end in
// blocks of 4096 bytes; throws std::system_error on a failed open or read.
void read_file_blocks(const boost::filesystem::path& file, const std::function<void(const char*, std::size_t)>& sink)
{
    platform::file_system& files = platform::system_file_system();
    std::unique_ptr<platform::input_file> in;
    if (const std::error_code ec = files.open_file(path_to_wide(boost::filesystem::absolute(file)), in))
        throw std::system_error(ec);
    char block[4096];
    for (;;) {
        std::size_t got = 0;
        if (const std::error_code ec = in->read(std::as_writable_bytes(std::span<char>(block)), got))
            throw std::system_error(ec);
        if (got == 0)
            return;
        sink(block, got);
    }
}

}  // namespace

archive_item& archive_builder::add_data(
    std::wstring source_path, std::wstring destination_dir, std::uint32_t kind, std::string data)
{
    archive_item item;
    item.source_path = std::move(source_path);
    item.destination_dir = std::move(destination_dir);
    item.kind = kind;
    item.size = data.size();
    item.crc32 = compute_crc32(data);
    item.data = std::move(data);
    return items_.emplace_back(std::move(item));
}

archive_item& archive_builder::add_file(
    const boost::filesystem::path& file, std::wstring destination_dir, std::uint32_t kind)
{
    archive_item item;
    item.source_path = path_to_wide(file);
    item.destination_dir = std::move(destination_dir);
    item.kind = kind;
    crc32 crc;
    read_file_blocks(file, [&](const char* data, std::size_t size) {
        crc.update(data, size);
        item.size += size;
    });
    item.crc32 = crc.value();
    item.file = file;
    return items_.emplace_back(std::move(item));
}

std::string archive_builder::header() const
{
    std::string records;
    for (const auto& item : items_) {
        put_text(records, item.source_path);
        put_text(records, item.destination_dir);
        put_u32(records, item.kind);
        put_u64(records, item.size);
        put_u32(records, item.crc32);
    }
    if (items_.size() > UINT32_MAX)
        throw std::length_error("too many entries for the archive table");
    std::string out;
    put_u64(out, archive_prefix_size + records.size());
    put_u32(out, static_cast<std::uint32_t>(items_.size()));
    out += records;
    return out;
}

void archive_builder::write(std::ostream& out) const
{
    const std::string table = header();
    out.write(table.data(), static_cast<std::streamsize>(table.size()));
    for (const auto& item : items_) {
        if (item.file.empty()) {
            out.write(item.data.data(), static_cast<std::streamsize>(item.data.size()));
            continue;
        }
        std::uint64_t written = 0;
        read_file_blocks(item.file, [&](const char* data, std::size_t size) {
            out.write(data, static_cast<std::streamsize>(size));
            written += size;
        });
        // The table already promised this size.
        if (written != item.size)
            throw std::runtime_error("file changed while packing: " + item.file.string());
    }
    if (!out)
        throw std::runtime_error("archive write failed");
}

std::string archive_builder::bytes() const
{
    std::ostringstream out;
    write(out);
    return std::move(out).str();
}

void archive_builder::write_compressed(std::ostream& out) const
{
    boost::iostreams::filtering_ostream compressed;
    compressed.push(boost::iostreams::bzip2_compressor(boost::iostreams::bzip2_params(9)));
    compressed.push(out);
    write(compressed);
    boost::iostreams::close(compressed);
    if (!out)
        throw std::runtime_error("archive write failed");
}

std::string bzip2_compress(std::string_view bytes)
{
    std::ostringstream result;
    {
        boost::iostreams::filtering_ostream compressed;
        compressed.push(boost::iostreams::bzip2_compressor(boost::iostreams::bzip2_params(9)));
        compressed.push(result);
        compressed.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        boost::iostreams::close(compressed);
    }
    return std::move(result).str();
}

}  // namespace av
