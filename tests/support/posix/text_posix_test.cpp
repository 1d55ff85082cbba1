#include "support/text.h"

#include "tests/support/resource_builders.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Sets the thread code page for one test and restores it.
class ThreadCodePage : public testing::Test {
protected:
    void TearDown() override { av::details::set_thread_code_page(1252); }
};

TEST_F(ThreadCodePage, InvalidInputGivesAnEmptyStringNotAPartialOne)
{
    av::details::set_thread_code_page(932);
    EXPECT_EQ(av::narrow_to_wide("\x93\xFA\x96\x7B"), L"日本");
    // A lead byte without its trail byte at the end.
    EXPECT_EQ(av::narrow_to_wide("\x93\xFA\x96"), L"");
    av::details::set_thread_code_page(1252);
    // 0x81 has no character in 1252.
    EXPECT_EQ(av::narrow_to_wide("abc\x81"), L"");
    EXPECT_EQ(av::wide_to_narrow(L"abc\x0101"), "") << "no best fit: ā is not turned into a";
    EXPECT_EQ(av::wide_to_narrow(L"Préparation"), "Pr\xE9paration");
}

TEST_F(ThreadCodePage, IsPerThreadAndResolvesCodePageThree)
{
    av::details::set_thread_code_page(1251);
    EXPECT_EQ(av::narrow_to_wide("\xCF\xF0\xE8\xE2\xE5\xF2"), L"Привет");
    std::wstring other;
    std::thread([&] { other = av::narrow_to_wide("\xE9"); }).join();
    EXPECT_EQ(other, L"é") << "a new thread starts with 1252";
    av::details::set_thread_code_page(54321);
    EXPECT_EQ(av::narrow_to_wide("abc"), L"") << "a code page without a converter";
}

class RegisteredStrings : public testing::Test {
protected:
    void TearDown() override
    {
        av::details::unregister_resource(av::rt_string, 3);
        av::details::unregister_resource(av::rt_string, 2007);
    }
};

TEST_F(RegisteredStrings, LoadStringWalksTheRegisteredBlocks)
{
    std::vector<std::wstring> entries(16);
    entries[0] = L"first of block 3";
    entries[15] = L"last of block 3";
    av::details::register_resource(av::rt_string, 3, av_test::string_block(entries));
    // 32102 = 2006 * 16 + 6: block 2007.
    std::vector<std::wstring> high(16);
    high[6] = L"message 32102";
    av::details::register_resource(av::rt_string, 2007, av_test::string_block(high));

    EXPECT_EQ(av::load_string(32), L"first of block 3");
    EXPECT_EQ(av::load_string(47), L"last of block 3");
    EXPECT_EQ(av::load_string(40), L"") << "empty entry";
    EXPECT_EQ(av::load_string(48), L"") << "missing block";
    EXPECT_EQ(av::load_string(32102), L"message 32102");

    av::details::unregister_resource(av::rt_string, 3);
    EXPECT_EQ(av::load_string(47), L"");
    EXPECT_EQ(av::find_resource_data(3, av::rt_string).data, nullptr);
}

TEST_F(RegisteredStrings, AnEmptyResourceIsNotFound)
{
    av::details::register_resource(av::rt_string, 3, {});
    EXPECT_EQ(av::find_resource_data(3, av::rt_string).data, nullptr);
    EXPECT_EQ(av::find_resource_data(3, av::rt_string).size, 0u);
}

}  // namespace
