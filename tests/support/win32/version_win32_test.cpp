#include "support/version_info.h"

#include "lang/languages.h"
#include "tests/support/win32/module_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using av_test::string_node;

av_test::version_block korvane_block()
{
    av_test::version_block block;
    block.fixed = av_test::fixed_info {0x0006000300070001ull, 0x0006000300070001ull, 0x3F, 0x2 | 0x8};
    block.translations = {{0x0409, 1252}, {0x0407, 1200}, {0x0409, 1200}};
    block.tables = {{L"040704b0",
                        {string_node(L"ProductName", L"Korvane"), string_node(L"ProductVersion", L"6.03 bêta"),
                            string_node(L"Comments", L"no NUL", false)}},
        {L"040904b0", {string_node(L"ProductName", L"Korvane (English table)")}}};
    return block;
}

class WindowsVersionInfo : public testing::Test {
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

private:
    LanguageSettings m_saved;
};

// The same block, read by the version functions from a real file and by the
// layout reader from its bytes, answers alike.
TEST_F(WindowsVersionInfo, TheVersionFunctionsAndTheLayoutReaderAgree)
{
    const av_test::bytes raw = korvane_block().build();
    const av_test::module_copy copy({{av::rt_version, 1, raw}});
    ASSERT_NE(copy.module(), nullptr);

    GetLanguageSettings().language = 1;
    GetLanguageSettings().lcid = 1033;
    const av::version_info from_file = av::version_info::from_file(copy.path());
    const av::version_info from_bytes = av::version_info::from_bytes(av_test::to_u8(raw));
    for (const av::version_info* info : {&from_file, &from_bytes}) {
        EXPECT_TRUE(info->has_fixed_part());
        EXPECT_EQ(info->file_version(), 0x0006000300070001ull);
        EXPECT_EQ(info->translation_keys(), (std::vector<std::wstring> {L"040704b0", L"040904b0"}));
        EXPECT_EQ(info->product_name(), L"Korvane");
        EXPECT_EQ(info->string_value(L"Comments"), L"no NUL");
        EXPECT_EQ(info->string_value(L"CompanyName"), L"");
        EXPECT_EQ(info->display_version(), L"Korvaline 6.03 beta \u2013 Private");
    }

    // The image reader of the Linux build finds the block UpdateResourceW wrote.
    std::ifstream file(std::filesystem::path(copy.path()), std::ios::binary);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto found = av::details::version_resource_of_image(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, av_test::to_u8(raw));
}

TEST_F(WindowsVersionInfo, FilesWithoutABlock)
{
    const av_test::module_copy plain({});
    ASSERT_FALSE(plain.path().empty());
    const av::version_info none = av::version_info::from_file(plain.path());
    EXPECT_FALSE(none.has_fixed_part());
    EXPECT_EQ(none.display_version(), L"");
    EXPECT_EQ(av::version_info::from_file(L"C:\\no\\such\\file.exe").file_version(), 0u);
    // The test program itself carries no version resource.
    EXPECT_FALSE(av::version_info::from_module().has_fixed_part());
}

}  // namespace
