// The validation and extraction passes: the compressed bytes are read in
// place from the stream's buffer and decompressed on every core (the
// decoder of bzip2_decoder.h), handed on in steps of at most 4096 bytes;
// nothing is ever held whole.
#include "payload/payload.h"

#include "support/error.h"

#include "payload/bzip2_decoder.h"

#include <boost/filesystem/exception.hpp>

#include <algorithm>
#include <exception>
#include <optional>

namespace av {
namespace {

// Hands the decompressed chunks of `buffer` to `sink` until it answers false
// or the stream ends. An empty buffer has nothing to decompress.
template <class Sink>
void decompress(std::streambuf& buffer, std::uint64_t& compressed_read, unsigned threads, Sink&& sink)
{
    bzip2_decoding options;
    options.threads = threads;
    decode_bzip2(
        buffer, compressed_read,
        [&sink](const char* bytes, std::size_t count) { return sink(bytes, static_cast<std::streamsize>(count)); },
        options);
}

}  // namespace

bool validate_payload(std::istream& stream, unsigned threads)
{
    std::streambuf* buffer = stream.rdbuf();
    if (buffer == nullptr)
        return false;
    try {
        std::uint64_t read = 0;
        bzip2_decoding options;
        options.threads = threads;
        options.keep_output = false;
        decode_bzip2(*buffer, read, nullptr, options);
    } catch (...) {
        return false;
    }
    return stream.rdstate() == std::ios_base::goodbit &&
        std::char_traits<char>::eq_int_type(buffer->sgetc(), std::char_traits<char>::eof());
}

archive_table read_archive_table(std::istream& compressed)
{
    std::streambuf* buffer = compressed.rdbuf();
    if (buffer == nullptr)
        throw_compress_error(compress_errc::unexpected);
    memstream header;
    std::uint64_t wanted = 8;
    std::uint64_t have = 0;
    bool sized = false;
    std::uint64_t read = 0;
    // Only the header is wanted: the stream filter stops right after it.
    decode_bzip2_sequential(*buffer, read, [&](const char* bytes, std::size_t count) {
        while (count > 0 && have < wanted) {
            const auto n = std::min<std::uint64_t>(wanted - have, static_cast<std::uint64_t>(count));
            header.write(bytes, static_cast<std::streamsize>(n));
            have += n;
            bytes += n;
            count -= static_cast<std::streamsize>(n);
            if (!sized && have == 8) {
                unsigned char size[8];
                header.seekg(0);
                header.read(reinterpret_cast<char*>(size), 8);
                wanted = 0;
                for (int i = 7; i >= 0; --i)
                    wanted = (wanted << 8) | size[i];
                check_header_size(wanted);
                sized = true;
            }
        }
        return have < wanted;
    });
    if (!sized || have < wanted)
        throw_compress_error(compress_errc::unexpected);
    header.seekg(8);
    return parse_archive_table(header, wanted);
}

bool extract_payload(std::istream& stream, const platform::machine& machine, const std::wstring& install_folder,
    const std::wstring& sample_folder, const std::wstring& temporary_folder,
    const notification_callback& on_notification, const extraction_hooks& hooks, unsigned threads)
{
    std::error_code code;
    std::wstring failed_path;
    std::optional<payload_writer> writer;
    try {
        if (on_notification)
            on_notification(notification::started {});
        writer.emplace(machine, install_folder, sample_folder, temporary_folder, on_notification, hooks);
        std::streambuf* buffer = stream.rdbuf();
        if (buffer == nullptr)
            throw_compress_error(compress_errc::unexpected);
        std::uint64_t compressed_read = 0;
        auto offer = [&writer](const char* bytes, std::streamsize count) {
            // The writer takes at most what its current step needs; the rest
            // is offered again until the chunk is gone. Every call either
            // takes bytes or moves to another entry.
            while (count > 0) {
                const std::size_t before = writer->entry_index();
                const std::streamsize taken = writer->write(bytes, count);
                if (taken == 0 && writer->entry_index() == before)
                    throw_compress_error(compress_errc::unexpected);
                bytes += taken;
                count -= taken;
            }
            return true;
        };
        try {
            decompress(*buffer, compressed_read, threads, offer);
            // Entries of size 0 at the very end are created by empty chunks.
            for (;;) {
                const std::size_t before = writer->entry_index();
                writer->write(nullptr, 0);
                if (writer->entry_index() == before)
                    break;
            }
            // The stream ended before the declared data, or no header came.
            if (!writer->complete())
                throw_compress_error(compress_errc::unexpected);
        } catch (...) {
            if (const auto path = writer->file_in_progress())
                failed_path = path_to_wide(*path);
            throw;
        }
        if (on_notification)
            on_notification(notification::finished {compressed_read, writer->total()});
        return true;
    } catch (const std::exception& e) {
        code = error_from_exception(e);
        if (failed_path.empty()) {
            if (const auto* fe = dynamic_cast<const boost::filesystem::filesystem_error*>(&e))
                failed_path = path_to_wide(fe->path1());
        }
    }
    // The file in progress (if any) is closed before the failure is reported.
    writer.reset();
    if (on_notification)
        on_notification(notification::failed {code, failed_path});
    return false;
}

}  // namespace av
