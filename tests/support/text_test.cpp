#include "support/text.h"

#include "tests/support/resource_builders.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

namespace fs = boost::filesystem;
using av_test::string_block;

av::resource_data view(const av_test::bytes& b)
{
    return {b.data(), b.size()};
}

TEST(StringTableEntry, FindsEveryEntryOfABlock)
{
    std::vector<std::wstring> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back(L"entry " + std::to_wstring(i));
    entries[3].clear();
    entries[15] = L"Préparation de l'installation...";
    const av_test::bytes block = string_block(entries);

    EXPECT_EQ(av::details::string_table_entry(view(block), 0), L"entry 0");
    EXPECT_EQ(av::details::string_table_entry(view(block), 4), L"entry 4");
    EXPECT_EQ(av::details::string_table_entry(view(block), 15), L"Préparation de l'installation...");
    EXPECT_EQ(av::details::string_table_entry(view(block), 3), L"") << "a length of 0 is an absent string";
    EXPECT_EQ(av::details::string_table_entry({}, 2), L"") << "a missing block";
}

TEST(StringTableEntry, ADamagedBlockNeverReadsPastItsEnd)
{
    av_test::bytes block = string_block({L"first", L"second entry"});
    // Cut the block inside the second entry's characters: the first entry
    // still reads, the second and every later one are absent.
    block.resize(2 + 2 * 5 + 2 + 4);
    EXPECT_EQ(av::details::string_table_entry(view(block), 0), L"first");
    EXPECT_EQ(av::details::string_table_entry(view(block), 1), L"");
    EXPECT_EQ(av::details::string_table_entry(view(block), 15), L"");

    // A block that ends before the walk reaches entry 15.
    const av_test::bytes short_block(block.begin(), block.begin() + 12);
    EXPECT_EQ(av::details::string_table_entry(view(short_block), 15), L"");
    // An odd byte count: the length prefix itself is cut.
    const av_test::bytes one_byte(1, std::byte {5});
    EXPECT_EQ(av::details::string_table_entry(view(one_byte), 0), L"");
}

TEST(StringTableEntry, SurrogatePairsSurviveTheRoundTrip)
{
    const std::wstring text = av::details::wide_from_utf16(reinterpret_cast<const std::byte*>("\x3D\xD8\x00\xDE"
                                                                                              "A\0"),
        3);
    const std::u16string units = av::details::utf16_from_wide(text);
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0], u'\xD83D');
    EXPECT_EQ(units[1], u'\xDE00');
    EXPECT_EQ(units[2], u'A');
    EXPECT_EQ(text.back(), L'A');
}

TEST(StringResource, IdentifierWithoutAnyTableIsEmpty)
{
    EXPECT_EQ(av::load_string(32102), L"");
    EXPECT_EQ(av::load_string(0), L"");
}

TEST(CodePageFacet, ConvertsBothWaysInAGivenCodePage)
{
    struct Case {
        std::uint32_t code_page;
        std::string narrow;
        std::wstring wide;
    };
    const Case cases[] = {
        {1252, "Pr\xE9paration \x80", L"Préparation €"},
        {1250, "\x8F\xF3\xB3w", L"Źółw"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", L"Привет"},
        {1253, "\xC1\xE8\xDE\xED\xE1", L"Αθήνα"},
        {1254, "\xDE\xFE\xDD", L"Şşİ"},
        {932, "\x93\xFA\x96\x7B", L"日本"},
        {936, "\xD6\xD0\xCE\xC4", L"中文"},
    };
    for (const Case& c : cases) {
        const av::details::w2a_codecvt facet(c.code_page);
        std::mbstate_t state {};
        EXPECT_EQ(facet.length(state, c.narrow.data(), c.narrow.data() + c.narrow.size(), 100),
            static_cast<int>(c.wide.size()))
            << c.code_page;
        EXPECT_EQ(facet.length(state, c.narrow.data(), c.narrow.data() + c.narrow.size(), 1), 1) << "capped";

        wchar_t wide[32];
        const char* from_next = nullptr;
        wchar_t* wide_next = nullptr;
        ASSERT_EQ(
            facet.in(state, c.narrow.data(), c.narrow.data() + c.narrow.size(), from_next, wide, wide + 32, wide_next),
            std::codecvt_base::ok)
            << c.code_page;
        EXPECT_EQ(from_next, c.narrow.data() + c.narrow.size());
        EXPECT_EQ(std::wstring(wide, wide_next), c.wide) << c.code_page;

        char narrow[64];
        const wchar_t* wide_from_next = nullptr;
        char* narrow_next = nullptr;
        ASSERT_EQ(facet.out(state, c.wide.data(), c.wide.data() + c.wide.size(), wide_from_next, narrow, narrow + 64,
                      narrow_next),
            std::codecvt_base::ok)
            << c.code_page;
        EXPECT_EQ(std::string(narrow, narrow_next), c.narrow) << c.code_page;
    }
}

TEST(CodePageFacet, FailsWholeOnAnUnknownCodePageOrAShortBuffer)
{
    const av::details::w2a_codecvt unknown(12345);
    std::mbstate_t state {};
    const std::string narrow = "abc";
    wchar_t wide[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', L'x'};
    const char* from_next = nullptr;
    wchar_t* to_next = nullptr;
    EXPECT_EQ(unknown.in(state, narrow.data(), narrow.data() + 3, from_next, wide, wide + 8, to_next),
        std::codecvt_base::error);
    EXPECT_EQ(to_next, wide);
    EXPECT_EQ(unknown.length(state, narrow.data(), narrow.data() + 3, 100), 0);

    // Two characters of room for three: nothing, not two of them.
    const av::details::w2a_codecvt latin(1252);
    EXPECT_EQ(latin.in(state, narrow.data(), narrow.data() + 3, from_next, wide, wide + 2, to_next),
        std::codecvt_base::error);
    EXPECT_EQ(to_next, wide);

    EXPECT_EQ(latin.max_length(), 5);
    EXPECT_EQ(latin.encoding(), 0);
    EXPECT_FALSE(latin.always_noconv());
    char out[4];
    char* out_next = nullptr;
    EXPECT_EQ(latin.unshift(state, out, out + 4, out_next), std::codecvt_base::ok);
    EXPECT_EQ(out_next, out);
}

TEST(NarrowToWide, EmptyAndAsciiTextInTheThreadCodePage)
{
    EXPECT_EQ(av::narrow_to_wide(""), L"");
    EXPECT_EQ(av::wide_to_narrow(L""), "");
    EXPECT_EQ(av::narrow_to_wide("Uninstall.ulog"), L"Uninstall.ulog");
    EXPECT_EQ(av::wide_to_narrow(L"Software\\Arvell & Divizere"), "Software\\Arvell & Divizere");

    // Longer than the stack buffer: the heap buffer gives the same result.
    const std::string long_text(3000, 'k');
    EXPECT_EQ(av::narrow_to_wide(long_text), std::wstring(3000, L'k'));
    EXPECT_EQ(av::wide_to_narrow(std::wstring(3000, L'k')), long_text);
}

// A scratch folder removed at the end of the test.
class SamePathTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / fs::unique_path("av-samepath-%%%%%%%%");
        fs::create_directories(m_root / "dir" / "sub");
        std::ofstream(path(m_root / "dir" / "a.txt").c_str()) << "a";
    }
    void TearDown() override
    {
        boost::system::error_code ec;
        fs::remove_all(m_root, ec);
    }
    static std::string path(const fs::path& p) { return p.string(); }
    std::wstring w(const fs::path& p) const { return p.wstring(); }

    fs::path m_root;
};

TEST_F(SamePathTest, EqualPaths)
{
    EXPECT_TRUE(SamePath(w(m_root / "dir" / "a.txt"), w(m_root / "dir" / "a.txt")));
    EXPECT_TRUE(SamePath(L"no/such/thing", L"no/such/thing"));
}

TEST_F(SamePathTest, EquivalentSpellingsOfAnExistingFile)
{
    const fs::path file = m_root / "dir" / "a.txt";
    EXPECT_TRUE(SamePath(w(file), w(m_root / "dir" / "." / "sub" / ".." / "a.txt")));
    EXPECT_TRUE(SamePath(w(m_root / "dir"), w(m_root / "dir" / "sub" / "..")));

    const fs::path link = m_root / "dir" / "b.txt";
    boost::system::error_code ec;
    fs::create_hard_link(file, link, ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_TRUE(SamePath(w(file), w(link)));
    EXPECT_FALSE(SamePath(w(file), w(m_root / "dir" / "sub")));
}

TEST_F(SamePathTest, CaseDifferentSpellingsOfAnExistingFile)
{
    const bool same = SamePath(w(m_root / "dir" / "a.txt"), w(m_root / "DIR" / "A.TXT"));
#if defined(_WIN32)
    // The file system ignores case: both name the existing file.
    EXPECT_TRUE(same);
#else
    // Case matters here: the second does not exist, so they differ.
    EXPECT_FALSE(same);
#endif
}

TEST_F(SamePathTest, ExactlyOneExisting)
{
    EXPECT_FALSE(SamePath(w(m_root / "dir" / "a.txt"), w(m_root / "dir" / "missing.txt")));
    EXPECT_FALSE(SamePath(w(m_root / "dir" / "missing.txt"), w(m_root / "dir" / "a.txt")));
}

TEST_F(SamePathTest, NeitherExistingComparesNormalisedElementsIgnoringCase)
{
    const fs::path missing = m_root / "Gone" / "Korvane" / "Uninstall.ulog";
    EXPECT_TRUE(SamePath(w(missing), w(m_root / "gone" / "KORVANE" / "uninstall.ULOG")));
    EXPECT_TRUE(SamePath(w(missing), w(m_root / "Gone" / "." / "x" / ".." / "Korvane" / "Uninstall.ulog")));
    EXPECT_TRUE(SamePath(L"Élan/Été", L"élan/ÉTÉ"));
    EXPECT_FALSE(SamePath(w(missing), w(m_root / "Gone" / "Korvane")));
    EXPECT_FALSE(SamePath(w(missing), w(m_root / "Gone" / "Korvane" / "Uninstall.log")));

    // A relative path is made absolute against the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(m_root);
    const bool relative_same = SamePath(L"Gone/Korvane/Uninstall.ulog", w(missing));
    const bool relative_other = SamePath(L"Other/Korvane/Uninstall.ulog", w(missing));
    fs::current_path(previous);
    EXPECT_TRUE(relative_same);
    EXPECT_FALSE(relative_other);
}

}  // namespace
