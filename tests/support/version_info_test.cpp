#include "support/version_info.h"

#include "lang/languages.h"
#include "tests/support/resource_builders.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using av_test::string_node;
using av_test::version_block;

constexpr std::uint64_t v6_3_7_1 = 0x0006000300070001ull;

// Blocks are read with the current language set by the test; the language
// state and the once-per-process "SpecialBuild" decision are put back after.
class VersionInfo : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved = GetLanguageSettings();
        av::details::reset_special_build_decision();
    }
    void TearDown() override
    {
        GetLanguageSettings() = m_saved;
        av::details::reset_special_build_decision();
    }
    static void use_language(int index, std::uint32_t lcid)
    {
        GetLanguageSettings().language = index;
        GetLanguageSettings().lcid = lcid;
    }
    static void french() { use_language(0, 1036); }
    static void english() { use_language(1, 1033); }
    static void german() { use_language(2, 1031); }

    static av::version_info view(const version_block& block)
    {
        return av::version_info::from_bytes(av_test::to_u8(block.build()));
    }

    // "Korvane" 6.3.7.1 with the given product version, flags and strings.
    static version_block product(
        const std::wstring& version, std::uint32_t flags = 0, std::vector<av_test::version_node> more = {})
    {
        version_block block;
        block.fixed = av_test::fixed_info {v6_3_7_1, v6_3_7_1, 0x3F, flags};
        block.translations = {{0x0400, 1200}};
        std::vector<av_test::version_node> strings = {string_node(L"ProductName", L"Korvane"),
            string_node(L"ProductVersion", version), string_node(L"LegalCopyright", L"© Arvell & Divizere")};
        strings.insert(strings.end(), more.begin(), more.end());
        block.tables = {{L"040004b0", strings}};
        return block;
    }

private:
    LanguageSettings m_saved;
};

TEST_F(VersionInfo, ReadsTheFixedPartAndTheStrings)
{
    const av::version_info info = view(product(L"6.03g"));
    EXPECT_TRUE(info.has_fixed_part());
    EXPECT_EQ(info.file_version(), v6_3_7_1);
    EXPECT_EQ(info.translation_keys(), std::vector<std::wstring> {L"040004b0"});
    EXPECT_EQ(info.product_name(), L"Korvane");
    EXPECT_EQ(info.product_version(), L"6.03g");
    EXPECT_EQ(info.legal_notice(), L"© Arvell & Divizere");
    EXPECT_EQ(info.string_value(L"productname"), L"Korvane") << "keys compare ignoring case";
    EXPECT_EQ(info.string_value(L"ApplicationId"), L"");
}

TEST_F(VersionInfo, OnlyUtf16TranslationsAnswerStringQueries)
{
    version_block block = product(L"6.03g");
    block.translations = {{0x0409, 1252}};
    block.tables = {{L"040904e4", {string_node(L"ProductName", L"Korvane")}}};
    const av::version_info latin = view(block);
    EXPECT_TRUE(latin.has_fixed_part());
    EXPECT_EQ(latin.file_version(), v6_3_7_1);
    EXPECT_TRUE(latin.translation_keys().empty());
    EXPECT_EQ(latin.product_name(), L"");

    // Of 0407/04B0 then 0409/04B0, every string comes from the first.
    block.translations = {{0x0407, 1252}, {0x0407, 1200}, {0x0409, 1200}};
    block.tables = {{L"040904b0", {string_node(L"ProductName", L"Korvane English")}},
        {L"040704b0", {string_node(L"ProductName", L"Korvane Deutsch")}}};
    const av::version_info two = view(block);
    EXPECT_EQ(two.translation_keys(), (std::vector<std::wstring> {L"040704b0", L"040904b0"}));
    EXPECT_EQ(two.product_name(), L"Korvane Deutsch");
}

TEST_F(VersionInfo, AValueWithAndWithoutItsNul)
{
    version_block block = product(L"unused");
    block.tables = {{L"040004b0",
        {string_node(L"ProductVersion", L"6.03g", true), string_node(L"FileVersion", L"6.3.7.1", false),
            string_node(L"Comments", L"", false), string_node(L"InternalName", L"", true)}}};
    const av::version_info info = view(block);
    EXPECT_EQ(info.product_version(), L"6.03g");
    EXPECT_EQ(info.string_value(L"FileVersion"), L"6.3.7.1");
    EXPECT_EQ(info.string_value(L"Comments"), L"");
    EXPECT_EQ(info.string_value(L"InternalName"), L"");
}

TEST_F(VersionInfo, EmptyViews)
{
    english();
    for (const av::version_info& info :
        {av::version_info(), av::version_info::from_bytes({}), av::version_info::from_file(L"no-such-file.exe")}) {
        EXPECT_FALSE(info.has_fixed_part());
        EXPECT_EQ(info.file_version(), 0u);
        EXPECT_EQ(info.product_name(), L"");
        EXPECT_EQ(info.display_version(), L"");
    }
}

TEST_F(VersionInfo, ABlockWithoutFixedPartStillHasItsStrings)
{
    version_block block = product(L"6.03g");
    block.fixed.reset();
    const av::version_info info = view(block);
    EXPECT_FALSE(info.has_fixed_part());
    EXPECT_EQ(info.file_version(), 0u);
    EXPECT_EQ(info.product_name(), L"Korvane");
}

struct DisplayCase {
    int language;
    std::uint32_t lcid;
    const wchar_t* name;
    const wchar_t* version;
};

TEST_F(VersionInfo, DisplayNameAndVersionFollowTheLanguage)
{
    const std::uint32_t prerelease = 0x2;
    const DisplayCase cases[] = {
        {0, 1036, L"Korvane", L"Korvane 6.03 bêta"},
        {1, 1033, L"Korvaline", L"Korvaline 6.03 beta"},
        {2, 1031, L"Korvaline", L"Korvaline 6.03 beta"},
        // Canadian French keeps the French spelling; its primary language is French.
        {1, 3084, L"Korvaline", L"Korvaline 6.03 bêta"},
    };
    for (const DisplayCase& c : cases) {
        use_language(c.language, c.lcid);
        const av::version_info info = view(product(L"6.03 bêta", prerelease));
        EXPECT_EQ(info.display_name(), c.name) << c.language << " " << c.lcid;
        EXPECT_EQ(info.display_version(), c.version) << c.language << " " << c.lcid;
    }

    // Without the pre-release flag the product version stays as written.
    english();
    EXPECT_EQ(view(product(L"6.03 bêta")).display_version(), L"Korvaline 6.03 bêta");
}

TEST_F(VersionInfo, OnlyTheLastKorvaneIsReplaced)
{
    english();
    version_block block = product(L"6.03g");
    block.tables = {{L"040004b0", {string_node(L"ProductName", L"Korvane for Korvane users")}}};
    EXPECT_EQ(view(block).display_name(), L"Korvane for Korvaline users");
    block.tables = {{L"040004b0", {string_node(L"ProductName", L"Install")}}};
    EXPECT_EQ(view(block).display_name(), L"Install");
}

TEST_F(VersionInfo, BuildFlagSuffixesInTheirOrder)
{
    french();
    struct FlagCase {
        std::uint32_t mask;
        std::uint32_t flags;
        const wchar_t* version;
    };
    const FlagCase cases[] = {
        {0x3F, 0x8 | 0x1, L"Korvane 6.03g \u2013 Private \u2013 Debug"}, {0x3F, 0x1, L"Korvane 6.03g \u2013 Debug"},
        {0x3F, 0x8, L"Korvane 6.03g \u2013 Private"},
        {0x3F, 0x4 | 0x20, L"Korvane 6.03g"},  // patched and special build add nothing
        {0x00, 0x8 | 0x1, L"Korvane 6.03g"},  // flags outside the mask do not count
    };
    for (const FlagCase& c : cases) {
        version_block block = product(L"6.03g");
        block.fixed->flags_mask = c.mask;
        block.fixed->flags = c.flags;
        EXPECT_EQ(view(block).display_version(), c.version) << c.mask << " " << c.flags;
    }
    version_block unversioned = product(L"");
    unversioned.fixed->flags = 0x1;
    EXPECT_EQ(view(unversioned).display_version(), L"Korvane \u2013 Debug");
}

TEST_F(VersionInfo, SpecialBuildIsDecidedOnceByTheFirstViewAsked)
{
    german();
    const av::version_info special = view(product(L"6.03g", 0, {string_node(L"SpecialBuild", L"Korvanix")}));
    const av::version_info plain = view(product(L"6.03g"));
    EXPECT_EQ(special.display_name(), L"Korvanix");
    EXPECT_EQ(plain.display_name(), L"Korvanix") << "the decision holds for every later view";
    english();
    EXPECT_EQ(special.display_name(), L"Korvaline");
    french();
    EXPECT_EQ(special.display_name(), L"Korvane");

    // A process whose first view is a plain block never names Korvanix.
    av::details::reset_special_build_decision();
    german();
    EXPECT_EQ(plain.display_name(), L"Korvaline");
    EXPECT_EQ(special.display_name(), L"Korvaline");

    // "korvanix" in another case is not the special build.
    av::details::reset_special_build_decision();
    const av::version_info other_case = view(product(L"6.03g", 0, {string_node(L"SpecialBuild", L"korvanix")}));
    EXPECT_EQ(other_case.display_name(), L"Korvaline");
    EXPECT_EQ(special.display_name(), L"Korvaline");
}

TEST(VersionBlockLayout, QueriesFollowTheSubBlockRules)
{
    version_block block;
    block.translations = {{0x0409, 1200}};
    block.tables = {{L"040904b0", {string_node(L"ProductName", L"Korvane")}}};
    const av_test::bytes raw = block.build();
    const auto* data = reinterpret_cast<const std::uint8_t*>(raw.data());

    const auto root = av::details::query_version_block(data, raw.size(), L"\\");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->length, 52u);
    EXPECT_FALSE(root->text);
    const auto name =
        av::details::query_version_block(data, raw.size(), L"\\\\StringFileInfo\\\\040904B0\\ProductName");
    ASSERT_TRUE(name) << "empty elements are skipped and keys compare ignoring case";
    EXPECT_TRUE(name->text);
    EXPECT_EQ(name->length, 8u);
    EXPECT_EQ(av::details::wide_from_utf16(raw.data() + name->offset, 7), L"Korvane");
    EXPECT_FALSE(av::details::query_version_block(data, raw.size(), L"\\StringFileInfo\\040904b0\\Product"));
    EXPECT_FALSE(av::details::query_version_block(data, raw.size(), L"\\VarFileInfo\\Translations"));
    EXPECT_FALSE(av::details::query_version_block(nullptr, 0, L"\\"));
}

TEST(VersionBlockLayout, DamagedBlocksAnswerEmptyAndAreNeverReadPastTheirEnd)
{
    version_block block;
    block.fixed = av_test::fixed_info {v6_3_7_1, v6_3_7_1, 0x3F, 0};
    block.translations = {{0x0409, 1200}};
    block.tables = {{L"040904b0", {string_node(L"ProductName", L"Korvane"), string_node(L"ProductVersion", L"6.03g")}}};
    const std::vector<std::uint8_t> whole = av_test::to_u8(block.build());

    // Every cut of the block: the root's length then claims more than there
    // is, so nothing is read at all.
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const av::version_info info = av::version_info::from_bytes({whole.begin(), whole.begin() + cut});
        EXPECT_FALSE(info.has_fixed_part()) << cut;
        EXPECT_EQ(info.product_name(), L"") << cut;
    }

    // A string whose value length runs past its node is not read.
    std::vector<std::uint8_t> damaged = whole;
    const std::u16string key = u"ProductVersion";
    const auto at = std::search(damaged.begin(), damaged.end(), reinterpret_cast<const std::uint8_t*>(key.data()),
        reinterpret_cast<const std::uint8_t*>(key.data() + key.size()));
    ASSERT_NE(at, damaged.end());
    const std::size_t node = static_cast<std::size_t>(at - damaged.begin()) - 6;
    damaged[node + 2] = 0xFF;  // wValueLength: 255 characters
    const av::version_info info = av::version_info::from_bytes(damaged);
    EXPECT_EQ(info.product_version(), L"");
    EXPECT_EQ(info.product_name(), L"Korvane");
    EXPECT_EQ(info.file_version(), v6_3_7_1);
}

TEST(VersionBlockLayout, AFixedPartWithoutItsSignatureIsNone)
{
    version_block block;
    block.translations = {{0x0409, 1200}};
    block.tables = {{L"040904b0", {string_node(L"ProductName", L"Korvane")}}};
    std::vector<std::uint8_t> raw = av_test::to_u8(block.build());
    const std::size_t fixed = 40;  // after the 6-byte header and the 16-unit key, aligned
    ASSERT_EQ(raw[fixed], 0xBD);
    raw[fixed] = 0x00;
    const av::version_info info = av::version_info::from_bytes(raw);
    EXPECT_FALSE(info.has_fixed_part());
    EXPECT_EQ(info.file_version(), 0u);
    EXPECT_EQ(info.product_name(), L"Korvane");
}

TEST(VersionImage, FindsTheVersionResourceOfAnImage)
{
    version_block block;
    block.translations = {{0x0409, 1200}};
    block.tables = {{L"040904b0", {string_node(L"ProductName", L"Korvane")}}};
    const av_test::bytes raw = block.build();
    const std::vector<std::uint8_t> image = av_test::to_u8(av_test::image_with_version(raw));
    const auto found = av::details::version_resource_of_image(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, av_test::to_u8(raw));

    // Cut images and images that are not images give nothing, safely.
    // (Past the block only the section's padding follows.)
    const std::size_t needed = 0x200 + 0x58 + raw.size();
    for (std::size_t cut = 0; cut < needed; cut += 7)
        EXPECT_FALSE(av::details::version_resource_of_image({image.begin(), image.begin() + cut})) << cut;
    std::vector<std::uint8_t> not_pe = image;
    not_pe[0x40] = 'N';
    EXPECT_FALSE(av::details::version_resource_of_image(not_pe));
}

}  // namespace
