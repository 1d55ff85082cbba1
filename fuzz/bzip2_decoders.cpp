// Differential fuzz target of the payload's two bzip2 decoders: the input is
// a compressed stream (random or mutated from sound multi-block streams),
// decoded by the stream filter and by the parallel decoder. Both must hand on
// the same chunks and end the same way (success with the same count of
// compressed bytes, or the same bzip2 error, or the same other failure).
//
// The first input byte chooses the parallel decoder's threads (2 to 5) and
// whether the bytes after it are also tried as block starts that are no
// boundaries. Output beyond 8 MiB is cut off by the sink in both decoders
// alike: a few bytes of input can stand for tens of megabytes.
#include "payload/bzip2_decoder.h"
#include "payload/membuf.h"

#include <boost/iostreams/filter/bzip2.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct result {
    std::vector<std::size_t> chunks;
    std::uint64_t checksum = 0;  // of the bytes, order-sensitive
    std::uint64_t size = 0;
    std::string outcome;
};

constexpr std::uint64_t output_limit = 8u << 20;

result decode(const char* data, std::size_t size, const av::bzip2_decoding& options)
{
    result r;
    av::imemstream stream(data, size);
    std::uint64_t read = 0;
    try {
        av::decode_bzip2(
            *stream.rdbuf(), read,
            [&r](const char* bytes, std::size_t count) {
                r.chunks.push_back(count);
                for (std::size_t i = 0; i < count; ++i)
                    r.checksum = r.checksum * 1099511628211u + static_cast<unsigned char>(bytes[i]);
                r.size += count;
                return r.size < output_limit;
            },
            options);
        r.outcome = "ok " + std::to_string(read);
    } catch (const boost::iostreams::bzip2_error& e) {
        r.outcome = "bzip2 " + std::to_string(e.error());
    } catch (const std::exception& e) {
        r.outcome = std::string("other ") + e.what();
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    const unsigned threads = 2 + data[0] % 4;
    const bool fake_boundaries = (data[0] & 0x80) != 0;
    const char* stream = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    av::bzip2_decoding filter_options;
    filter_options.threads = 1;
    const result filter = decode(stream, length, filter_options);

    av::bzip2_decoding parallel_options;
    parallel_options.threads = threads;
    if (fake_boundaries) {
        // Every 7919th bit (and one in the first block's header): inside
        // headers, tables and data alike.
        parallel_options.extra_candidates.push_back(33);
        for (std::uint64_t bit = 7919; bit < length * 8; bit += 7919)
            parallel_options.extra_candidates.push_back(bit);
    }
    const result parallel = decode(stream, length, parallel_options);

    if (parallel.outcome != filter.outcome || parallel.chunks != filter.chunks ||
        parallel.checksum != filter.checksum) {
        std::fprintf(stderr,
            "decoders differ: filter %s (%llu bytes, %zu chunks), parallel %s (%llu bytes, %zu chunks)\n",
            filter.outcome.c_str(), static_cast<unsigned long long>(filter.size), filter.chunks.size(),
            parallel.outcome.c_str(), static_cast<unsigned long long>(parallel.size), parallel.chunks.size());
        std::abort();
    }
    return 0;
}
