#include "bzip2_streams.h"

#include "payload/bzip2_decoder.h"
#include "payload/membuf.h"

#include <boost/iostreams/filter/bzip2.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Everything a decoder shows of a run: the chunks it handed on, how it
// ended, and the compressed bytes it counted.
struct decoding {
    std::vector<std::size_t> chunk_sizes;
    std::string bytes;
    std::string outcome;
    av::bzip2_decoding_report report;

    bool operator==(const decoding& o) const
    {
        return chunk_sizes == o.chunk_sizes && bytes == o.bytes && outcome == o.outcome;
    }
};

decoding decode(const std::string& compressed, unsigned threads, std::vector<std::uint64_t> extra = {})
{
    decoding d;
    av::imemstream stream(compressed.data(), compressed.size());
    std::uint64_t read = 0;
    av::bzip2_decoding options;
    options.threads = threads;
    options.extra_candidates = std::move(extra);
    options.report = &d.report;
    try {
        av::decode_bzip2(
            *stream.rdbuf(), read,
            [&d](const char* bytes, std::size_t count) {
                d.chunk_sizes.push_back(count);
                d.bytes.append(bytes, count);
                return true;
            },
            options);
        d.outcome = "ok, read " + std::to_string(read);
        // The input is read to its end, as the validation pass requires.
        if (stream.rdbuf()->sgetc() != std::char_traits<char>::eof())
            d.outcome += ", not at the end";
    } catch (const boost::iostreams::bzip2_error& e) {
        d.outcome = "bzip2 error " + std::to_string(e.error());
    } catch (const std::exception& e) {
        d.outcome = std::string("other error: ") + e.what();
    }
    return d;
}

std::string describe(const decoding& d)
{
    std::ostringstream s;
    s << d.outcome << ", " << d.bytes.size() << " bytes in " << d.chunk_sizes.size() << " chunks";
    return s.str();
}

TEST(Bzip2Decoder, MultiBlockStreamGivesTheStreamFiltersChunks)
{
    // Blocks of 100 k: 700 kB of data make eight of them, at every alignment.
    const std::string data = av_test::mixed_data(700 * 1000, 1);
    const std::string compressed = av_test::compress_bzip2(data, 1);
    const std::size_t blocks = av_test::block_offsets(compressed).size();
    ASSERT_GE(blocks, 7u);

    const decoding filter = decode(compressed, 1);
    ASSERT_EQ(filter.bytes, data);
    EXPECT_EQ(filter.outcome, "ok, read " + std::to_string(compressed.size()));
    EXPECT_TRUE(filter.report.stream_filter);
    for (const unsigned threads : {2u, 3u, 8u}) {
        const decoding parallel = decode(compressed, threads);
        EXPECT_TRUE(parallel == filter) << threads << ": " << describe(parallel);
        EXPECT_FALSE(parallel.report.stream_filter) << threads;
        EXPECT_EQ(parallel.report.blocks, blocks) << threads;
        EXPECT_EQ(parallel.report.merges, 0u) << threads;
    }
    // Chunks of exactly 4096 bytes but the last.
    for (std::size_t i = 0; i + 1 < filter.chunk_sizes.size(); ++i)
        ASSERT_EQ(filter.chunk_sizes[i], 4096u) << i;
}

TEST(Bzip2Decoder, MagicsThatAreNoBoundariesAreMergedAway)
{
    const std::string data = av_test::mixed_data(600 * 1000, 2);
    const std::string compressed = av_test::compress_bzip2(data, 1);
    const auto blocks = av_test::block_offsets(compressed);
    ASSERT_GE(blocks.size(), 5u);
    // Candidates inside every block's data (and in its header, right after
    // the magic), as a magic occurring by chance in compressed bits would be.
    std::vector<std::uint64_t> fake;
    const std::uint64_t end = av_test::end_offset(compressed);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::uint64_t next = i + 1 < blocks.size() ? blocks[i + 1] : end;
        fake.push_back(blocks[i] + 1);
        fake.push_back(blocks[i] + 200);
        fake.push_back(blocks[i] + (next - blocks[i]) / 3);
        fake.push_back(blocks[i] + (next - blocks[i]) / 2 + 3);
        fake.push_back(next - 300);
    }
    const decoding filter = decode(compressed, 1);
    ASSERT_EQ(filter.bytes, data);
    for (const unsigned threads : {2u, 4u}) {
        const decoding parallel = decode(compressed, threads, fake);
        EXPECT_TRUE(parallel == filter) << threads << ": " << describe(parallel);
        EXPECT_FALSE(parallel.report.stream_filter) << threads;
        EXPECT_EQ(parallel.report.blocks, blocks.size()) << threads;
        EXPECT_EQ(parallel.report.merges, fake.size()) << threads;
    }
}

TEST(Bzip2Decoder, DamagedStreamsFailLikeTheStreamFilterAfterTheSameChunks)
{
    const std::string data = av_test::mixed_data(500 * 1000, 3);
    const std::string good = av_test::compress_bzip2(data, 1);
    for (const auto& [name, bytes] : av_test::damaged_variants(good)) {
        const decoding filter = decode(bytes, 1);
        for (const unsigned threads : {2u, 4u}) {
            const decoding parallel = decode(bytes, threads);
            EXPECT_TRUE(parallel == filter)
                << name << ", " << threads << " threads: " << describe(parallel) << " / filter: " << describe(filter);
        }
    }
}

TEST(Bzip2Decoder, ConcatenatedStreamIsHandedToTheStreamFilter)
{
    // The stream filter goes on into a second stream; so must the decoder.
    const std::string first = av_test::mixed_data(250 * 1000, 4);
    const std::string second = av_test::mixed_data(150 * 1000, 5);
    const std::string both = av_test::compress_bzip2(first, 1) + av_test::compress_bzip2(second, 2);
    const decoding parallel = decode(both, 2);
    EXPECT_EQ(parallel.bytes, first + second);
    EXPECT_EQ(parallel.outcome, "ok, read " + std::to_string(both.size()));
    EXPECT_TRUE(parallel.report.stream_filter);
    EXPECT_TRUE(parallel == decode(both, 1));
}

TEST(Bzip2Decoder, BlockOfLongRunsLargerThanItsBufferIsDecodedAgainInOrder)
{
    // Runs expand a block's 900 k to megabytes: more than a decoding thread
    // keeps, so the block is verified there and streamed here.
    std::string data = av_test::mixed_data(300 * 1000, 6);
    data += std::string(9 * 1024 * 1024, '\0');
    data += av_test::mixed_data(300 * 1000, 7);
    const std::string compressed = av_test::compress_bzip2(data, 9);
    const decoding filter = decode(compressed, 1);
    ASSERT_EQ(filter.bytes, data);
    const decoding parallel = decode(compressed, 2);
    EXPECT_TRUE(parallel == filter) << describe(parallel);
    EXPECT_FALSE(parallel.report.stream_filter);
}

TEST(Bzip2Decoder, SinkThatStopsEndsTheDecoding)
{
    const std::string data = av_test::mixed_data(400 * 1000, 8);
    const std::string compressed = av_test::compress_bzip2(data, 1);
    for (const unsigned threads : {1u, 2u}) {
        av::imemstream stream(compressed.data(), compressed.size());
        std::uint64_t read = 0;
        std::string got;
        av::bzip2_decoding options;
        options.threads = threads;
        av::decode_bzip2(
            *stream.rdbuf(), read,
            [&got](const char* bytes, std::size_t count) {
                got.append(bytes, count);
                return got.size() < 10000;
            },
            options);
        EXPECT_EQ(got, data.substr(0, 12288)) << threads;
    }
}

TEST(Bzip2Decoder, ValidationWithoutOutputChecksEveryBlock)
{
    const std::string data = av_test::mixed_data(500 * 1000, 9);
    const std::string good = av_test::compress_bzip2(data, 1);
    auto outcome = [](const std::string& compressed, unsigned threads) {
        av::imemstream stream(compressed.data(), compressed.size());
        std::uint64_t read = 0;
        av::bzip2_decoding options;
        options.threads = threads;
        options.keep_output = false;
        try {
            av::decode_bzip2(*stream.rdbuf(), read, nullptr, options);
            return std::string("ok");
        } catch (const boost::iostreams::bzip2_error& e) {
            return "bzip2 error " + std::to_string(e.error());
        }
    };
    EXPECT_EQ(outcome(good, 2), "ok");
    for (const auto& [name, bytes] : av_test::damaged_variants(good))
        EXPECT_EQ(outcome(bytes, 2), outcome(bytes, 1)) << name;
}

TEST(Bzip2Decoder, ThreadCountIsOnePerCoreWithinLimits)
{
    EXPECT_GE(av::decoding_threads(0), 1u);
    EXPECT_LE(av::decoding_threads(0), 8u);
    EXPECT_EQ(av::decoding_threads(1), 1u);
    EXPECT_EQ(av::decoding_threads(3), 3u);
    EXPECT_EQ(av::decoding_threads(64), 8u);
}

}  // namespace
