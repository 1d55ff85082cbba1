#include "support/text.h"

#include "tests/support/win32/module_copy.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleStringTable, FindsEntriesOfARealModuleThroughTheResourceFunctions)
{
    std::vector<std::wstring> entries(16);
    entries[0] = L"first of block 3";
    entries[15] = L"last of block 3";
    // Identifiers 32 to 47 live in block 3.
    const av_test::module_copy copy({{av::rt_string, 3, av_test::string_block(entries)}});
    ASSERT_NE(copy.module(), nullptr);

    const auto entry = [&](std::uint16_t id) {
        return av::details::string_table_entry(
            av::details::find_resource_data_in(copy.module(), static_cast<std::uint16_t>(id / 16 + 1), av::rt_string),
            id % 16);
    };
    EXPECT_EQ(entry(32), L"first of block 3");
    EXPECT_EQ(entry(47), L"last of block 3");
    EXPECT_EQ(entry(40), L"") << "empty entry";
    EXPECT_EQ(entry(48), L"") << "missing block";
    EXPECT_EQ(av::details::find_resource_data_in(copy.module(), 4, av::rt_string).data, nullptr);
}

TEST(ThreadCodePage, NarrowTextFollowsTheThreadLocale)
{
    const LCID previous = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)));
    const std::wstring russian = av::narrow_to_wide("\xCF\xF0\xE8\xE2\xE5\xF2");
    const std::string back = av::wide_to_narrow(L"Привет");
    ::SetThreadLocale(previous);
    EXPECT_EQ(russian, L"Привет");
    EXPECT_EQ(back, "\xCF\xF0\xE8\xE2\xE5\xF2");
}

}  // namespace
