#include "support/error.h"
#include "support/text.h"

#include "tests/support/resource_builders.h"

#include <gtest/gtest.h>

namespace {

TEST(NativeErrorMessage, AStringCodeNamesARegisteredString)
{
    std::vector<std::wstring> entries(16);
    entries[5] = L"The payload is damaged.";
    // 0x0125 = 293 = 18 * 16 + 5: block 19.
    av::details::register_resource(av::rt_string, 19, av_test::string_block(entries));
    const std::wstring text = av::error_message(0x28000000u | 0x0125);
    const std::wstring empty_entry = av::error_message(0x28000000u | 0x0124);
    av::details::unregister_resource(av::rt_string, 19);
    EXPECT_EQ(text, L"The payload is damaged.");
    EXPECT_EQ(empty_entry, av::system_message(av::e_fail));
}

TEST(NativeSystemMessage, TheTableKnowsWindowsFacilityHresults)
{
    EXPECT_EQ(av::system_message(5), L"Access is denied.");
    EXPECT_EQ(av::system_message(0x80070005u), L"Access is denied.");
    EXPECT_EQ(av::system_message(av::e_fail), L"Unspecified error");
    EXPECT_EQ(av::system_message(0x8007FFFFu), L"Unspecified error");
}

}  // namespace
