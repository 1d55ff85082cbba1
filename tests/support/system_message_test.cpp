#include "support/error.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A source of system texts that knows the given codes.
av::details::system_text_source source_of(std::map<std::uint32_t, std::wstring> texts)
{
    return [texts = std::move(texts)](std::uint32_t code, std::uint16_t) -> std::optional<std::wstring> {
        const auto found = texts.find(code);
        if (found == texts.end())
            return std::nullopt;
        return found->second;
    };
}

TEST(SystemMessage, TrailingLineBreaksAreRemovedInAnyMix)
{
    const auto source = source_of(
        {{5, L"Access is denied.\r\n"}, {6, L"Two lines.\r\nSecond.\n\r\n\r"}, {7, L"No break."}, {8, L"\r\n"}});
    EXPECT_EQ(av::details::system_message_from(source, 5, 0), L"Access is denied.");
    EXPECT_EQ(av::details::system_message_from(source, 6, 0), L"Two lines.\r\nSecond.");
    EXPECT_EQ(av::details::system_message_from(source, 7, 0), L"No break.");
    EXPECT_EQ(av::details::system_message_from(source, 8, 0), L"");
}

TEST(SystemMessage, ACodeWithoutTextGetsTheTextOfEFailThenError)
{
    const auto with_e_fail = source_of({{av::e_fail, L"Unspecified error\r\n"}});
    EXPECT_EQ(av::details::system_message_from(with_e_fail, 0x0000FFFF, 0), L"Unspecified error");
    EXPECT_EQ(av::details::system_message_from(with_e_fail, av::e_fail, 0), L"Unspecified error");
    const auto empty = source_of({});
    EXPECT_EQ(av::details::system_message_from(empty, 0x0000FFFF, 0), L"Error");
    EXPECT_EQ(av::details::system_message_from(empty, av::e_fail, 0), L"Error");

    // The fallback asks in the same language.
    std::vector<std::uint16_t> languages;
    const av::details::system_text_source recording = [&](std::uint32_t, std::uint16_t language) {
        languages.push_back(language);
        return std::optional<std::wstring>();
    };
    EXPECT_EQ(av::details::system_message_from(recording, 5, 0x0407), L"Error");
    EXPECT_EQ(languages, (std::vector<std::uint16_t> {0x0407, 0x0407}));
}

TEST(SystemMessage, TheSystemsTextsHaveNoTrailingBreaks)
{
    for (const std::uint32_t code : {5u, 2u, 170u, av::e_fail, av::e_unexpected, 0x80070005u}) {
        const std::wstring text = av::system_message(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_NE(text.back(), L'\n') << code;
        EXPECT_NE(text.back(), L'\r') << code;
        EXPECT_NE(text, L"Error") << code;
    }
    // A code the system has no text for gets E_FAIL's.
    EXPECT_EQ(av::system_message(0x0000FFFF), av::system_message(av::e_fail));
}

TEST(ErrorMessage, ApplicationDefinedCodes)
{
    const std::wstring e_fail_text = av::system_message(av::e_fail);
    // Customer bit with the string bit: a string identifier that has no string.
    EXPECT_EQ(av::error_message(0x28000000u | 32102), e_fail_text);
    // Customer bit alone: always E_FAIL's text.
    EXPECT_EQ(av::error_message(0x20000000u | 5), e_fail_text);
    // Any other code: the system's text of the code.
    EXPECT_EQ(av::error_message(5), av::system_message(5));
    EXPECT_EQ(av::error_message(170), av::system_message(170));
    EXPECT_NE(av::error_message(5), e_fail_text);
}

}  // namespace
