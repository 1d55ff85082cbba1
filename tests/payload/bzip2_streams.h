// bzip2 streams for the decoder tests: data of mixed kinds, compressed at a
// chosen block size, the bit offsets of the block magics, and damaged
// variants of a stream.
#pragma once

#include <bzlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace av_test {

// One bzip2 stream of `data` with blocks of level x 100 k.
inline std::string compress_bzip2(std::string_view data, int level)
{
    std::string out(data.size() + data.size() / 100 + 1024, '\0');
    auto size = static_cast<unsigned>(out.size());
    if (BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(data.data()), static_cast<unsigned>(data.size()),
            level, 0, 30) != BZ_OK)
        throw std::runtime_error("bzip2 compression failed");
    out.resize(size);
    return out;
}

// Text-like lines, pseudo-random bytes and runs of one byte, in turns, so
// that blocks differ in size and end at every bit position.
inline std::string mixed_data(std::size_t size, unsigned seed)
{
    std::string s;
    s.reserve(size);
    std::uint32_t x = seed * 2654435761u + 7;
    auto next = [&x] {
        x = x * 1103515245u + 12345u;
        return x >> 8;
    };
    static const char* const words[] = {"beam ", "load ", "span ", "node ", "truss ", "plate ", "weld ", "\n"};
    while (s.size() < size) {
        const std::uint32_t kind = next() % 3;
        const std::size_t n = 200 + next() % 3000;
        for (std::size_t i = 0; i < n && s.size() < size; ++i) {
            if (kind == 0)
                s += words[next() % 8];
            else if (kind == 1)
                s.push_back(static_cast<char>(next()));
            else
                s.push_back(static_cast<char>('0' + (n % 7)));
        }
    }
    s.resize(size);
    return s;
}

// Bit offsets of every occurrence of a 48-bit magic, most significant bit
// first (0x314159265359 blocks, 0x177245385090 the end of the stream).
inline std::vector<std::uint64_t> magic_offsets(const std::string& stream, std::uint64_t magic)
{
    std::vector<std::uint64_t> found;
    std::uint64_t window = 0;
    const std::uint64_t mask = (std::uint64_t {1} << 48) - 1;
    for (std::uint64_t bit = 0; bit < stream.size() * 8; ++bit) {
        const unsigned value = (static_cast<unsigned char>(stream[bit / 8]) >> (7 - bit % 8)) & 1u;
        window = ((window << 1) | value) & mask;
        if (bit >= 47 && window == magic)
            found.push_back(bit - 47);
    }
    return found;
}

inline std::vector<std::uint64_t> block_offsets(const std::string& stream)
{
    return magic_offsets(stream, 0x314159265359);
}

inline std::uint64_t end_offset(const std::string& stream)
{
    const auto ends = magic_offsets(stream, 0x177245385090);
    if (ends.empty())
        throw std::runtime_error("no end of stream");
    return ends.back();
}

inline std::string flip_bit(std::string s, std::uint64_t bit)
{
    s[bit / 8] = static_cast<char>(s[bit / 8] ^ (0x80 >> (bit % 8)));
    return s;
}

// Damaged and extended variants of a sound stream of several blocks, named.
inline std::vector<std::pair<std::string, std::string>> damaged_variants(const std::string& good)
{
    const auto blocks = block_offsets(good);
    if (blocks.size() < 4)
        throw std::runtime_error("the stream needs at least 4 blocks");
    const std::uint64_t end = end_offset(good);
    const std::uint64_t middle_of_3 = (blocks[2] + blocks[3]) / 2;
    return {
        {"data of the third block", flip_bit(good, middle_of_3)},
        {"stored CRC of the second block", flip_bit(good, blocks[1] + 48 + 5)},
        {"magic of the third block", flip_bit(good, blocks[2] + 20)},
        {"start of the first block's data", flip_bit(good, blocks[0] + 80 + 3)},
        {"combined CRC", flip_bit(good, end + 48 + 31)},
        {"end-of-stream magic", flip_bit(good, end + 10)},
        {"cut in the fourth block", good.substr(0, static_cast<std::size_t>((blocks[3] + 4000) / 8))},
        {"cut in the combined CRC", good.substr(0, good.size() - 2)},
        {"cut before the end magic", good.substr(0, static_cast<std::size_t>(end / 8))},
        {"trailing text", good + "trailing"},
        {"trailing zero byte", good + std::string(1, '\0')},
        {"trailing start of a header", good + "BZ"},
        {"a second stream after it", good + good},
        {"block size digit 0",
            [&] {
                std::string s = good;
                s[3] = '0';
                return s;
            }()},
        {"no stream header", good.substr(4)},
        {"header only", good.substr(0, 4)},
    };
}

}  // namespace av_test
