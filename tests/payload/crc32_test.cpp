#include "payload/crc32.h"
#include "payload/archive.h"
#include "platform/file_system.h"

#include "scratch_folder.h"

#include <system_error>

namespace {

TEST(Crc32, CheckValueAndEmptyInput)
{
    EXPECT_EQ(av::compute_crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(av::compute_crc32(""), 0u);
    EXPECT_EQ(av::compute_crc32(std::string(1, '\0')), 0xD202EF8Du);
    EXPECT_EQ(av::compute_crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(Crc32, PiecesGiveTheSameValueAsTheWhole)
{
    std::string data;
    for (int i = 0; i < 10000; ++i)
        data.push_back(static_cast<char>((i * 7919) & 0xFF));
    const std::uint32_t whole = av::compute_crc32(data);
    for (const std::size_t piece : {std::size_t {1}, std::size_t {3}, std::size_t {4096}, std::size_t {4097}}) {
        av::crc32 crc;
        for (std::size_t at = 0; at < data.size(); at += piece)
            crc.update(data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(crc.value(), whole) << piece;
    }
}

using FileCrc32 = av_test::ScratchFolder;

TEST_F(FileCrc32, ReadsTheFileAcrossBlockBoundaries)
{
    for (const std::size_t size : {std::size_t {0}, std::size_t {4096}, std::size_t {4096 * 3 + 17}}) {
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>(i * 31 + 5);
        const auto file = m_root / "file.bin";
        av_test::write_all(file, data);
        EXPECT_EQ(av::file_crc32(av::platform::system_file_system(), av::path_to_wide(file)), av::compute_crc32(data))
            << size;
    }
}

TEST_F(FileCrc32, MissingFileRaisesTheSystemsError)
{
    try {
        av::file_crc32(av::platform::system_file_system(), av::path_to_wide(m_root / "absent.bin"));
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::error_code(2, std::system_category()));
    }
}

}  // namespace
