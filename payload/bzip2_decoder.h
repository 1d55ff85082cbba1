// Decompression of the payload's bzip2 stream, on one thread (the stream
// filter) or on several (a block decoder that gives exactly the same result).
//
// Both read the compressed bytes from a stream buffer to its end and hand the
// decompressed bytes on in order, in chunks of exactly 4096 bytes except the
// last one. A failure raises the stream filter's bzip2 error after the same
// chunks were handed on: the parallel decoder hands on only blocks whose
// checksums it verified, and wherever anything is uncertain (a damaged block,
// a wrong stream checksum, data after the stream, an unusual layout) it
// rewinds the input and lets the stream filter finish the work, skipping the
// bytes already handed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <streambuf>
#include <vector>

namespace av {

inline constexpr std::size_t decoded_chunk_size = 4096;

// Receives decompressed bytes; answers false to stop the decompression early.
// It runs on the calling thread only, never on a decoding thread.
using decoded_sink = std::function<bool(const char* bytes, std::size_t count)>;

// The number of decoding threads for `requested`: 0 means one per core; at
// least 1, at most 8 (each thread holds a decoder of about 4 MB).
unsigned decoding_threads(unsigned requested = 0) noexcept;

// The stream filter: Boost.Iostreams' bzip2 decompressor in its default
// mode, reading 4096 compressed bytes at a time. An empty buffer has nothing
// to decompress. Adds the compressed bytes read to `compressed_read`. The
// first `skip` decompressed bytes are decoded but not handed on.
void decode_bzip2_sequential(
    std::streambuf& in, std::uint64_t& compressed_read, const decoded_sink& sink, std::uint64_t skip = 0);

// What the parallel decoder did, for tests and the benchmark.
struct bzip2_decoding_report {
    std::size_t blocks = 0;  // blocks decoded and handed on in order
    std::size_t merges = 0;  // spans merged past a magic that was no boundary
    bool stream_filter = false;  // the stream filter decoded (all or the rest)
};

struct bzip2_decoding {
    // Decoding threads (see decoding_threads); 1 is the stream filter.
    unsigned threads = 0;
    // False when the output is thrown away (the sink is then never called):
    // decoded blocks are verified but not kept.
    bool keep_output = true;
    // Bit offsets that are treated as if a block magic had been found there
    // (for tests of boundaries that are not boundaries).
    std::vector<std::uint64_t> extra_candidates;
    // Filled in when given.
    bzip2_decoding_report* report = nullptr;
};

// Decompresses the stream `in` holds, with the same result as the stream
// filter: the same bytes in the same chunks, the same error after the same
// chunks, and `compressed_read` the same on success. Uses the stream filter
// when one thread is asked for, or the input cannot be rewound.
void decode_bzip2(
    std::streambuf& in, std::uint64_t& compressed_read, const decoded_sink& sink, const bzip2_decoding& options = {});

}  // namespace av
