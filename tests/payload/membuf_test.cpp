#include "payload/membuf.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

std::string read_rest(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Imemstream, ReadsTheRangeInPlaceAndRewinds)
{
    const std::string bytes = "0123456789";
    av::imemstream in(bytes.data(), bytes.size());
    EXPECT_EQ(in.rdbuf()->data(), bytes.data());  // no copy
    EXPECT_EQ(read_rest(in), bytes);
    EXPECT_EQ(in.get(), std::char_traits<char>::eof());
    EXPECT_TRUE(in.eof());
    // The payload is read twice: clear the end state and seek to 0.
    in.clear();
    in.seekg(0);
    char first[4] = {};
    in.read(first, 4);
    EXPECT_EQ(std::string(first, 4), "0123");
}

TEST(Imemstream, SeeksBothWaysAndRefusesPositionsOutsideTheRange)
{
    const std::string bytes = "abcdefghij";
    av::imemstream in(bytes.data(), bytes.size());
    EXPECT_EQ(in.seekg(7).tellg(), 7);
    EXPECT_EQ(in.get(), 'h');
    EXPECT_EQ(in.seekg(-5, std::ios::cur).tellg(), 3);
    EXPECT_EQ(in.get(), 'd');
    EXPECT_EQ(in.seekg(-1, std::ios::end).tellg(), 9);
    EXPECT_EQ(in.get(), 'j');
    EXPECT_EQ(in.seekg(0, std::ios::end).tellg(), 10);  // the end itself is a position
    in.seekg(11);
    EXPECT_TRUE(in.fail());
    in.clear();
    in.seekg(-1, std::ios::beg);
    EXPECT_TRUE(in.fail());
    in.clear();
    EXPECT_EQ(in.tellg(), 10);  // a refused seek leaves the position
}

TEST(Imemstream, IsReadOnlyAndMayBeEmpty)
{
    const std::string bytes = "abc";
    av::imemstream in(bytes.data(), bytes.size());
    EXPECT_EQ(in.rdbuf()->sputc('x'), std::char_traits<char>::eof());
    EXPECT_EQ(in.rdbuf()->pubseekoff(0, std::ios::beg, std::ios::out), std::streampos(-1));
    EXPECT_EQ(bytes, "abc");

    av::imemstream empty;
    EXPECT_EQ(empty.rdbuf()->size(), 0u);
    EXPECT_EQ(empty.get(), std::char_traits<char>::eof());
    EXPECT_TRUE(empty.eof());
}

TEST(Memstream, GrowsWhileWrittenAndReadsBackFieldByField)
{
    av::memstream s;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        const std::string piece = std::to_string(i) + ",";
        s.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        expected += piece;
    }
    s.put('!');
    expected += '!';
    EXPECT_EQ(s.rdbuf()->size(), expected.size());
    EXPECT_EQ(read_rest(s), expected);
    s.clear();
    s.seekg(4);
    char field[4] = {};
    s.read(field, 4);
    EXPECT_EQ(std::string(field, 4), expected.substr(4, 4));
    // Reading and writing keep separate positions; later writes become
    // readable.
    s.write("tail", 4);
    s.seekg(-4, std::ios::end);
    EXPECT_EQ(read_rest(s), "tail");
}

TEST(Memstream, OverwritesAfterSeekingTheWritePositionBack)
{
    av::memstream s;
    s << "hello world";
    s.seekp(6);
    s << "there";
    s.seekp(0, std::ios::end);
    s << "!";
    EXPECT_EQ(read_rest(s), "hello there!");
    EXPECT_EQ(s.rdbuf()->size(), 12u);
    s.clear();
    s.seekp(13);
    EXPECT_TRUE(s.fail());
}

}  // namespace
