#include "support/error.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The system's own text for a code, as FormatMessageW gives it.
std::wstring raw_system_text(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
            nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    return text;
}

TEST(WindowsSystemMessage, TheSystemTextWithoutItsTrailingLineBreak)
{
    const std::wstring raw = raw_system_text(ERROR_ACCESS_DENIED);
    ASSERT_GE(raw.size(), 2u);
    ASSERT_EQ(raw.substr(raw.size() - 2), L"\r\n") << "the system ends its texts with CR LF";
    EXPECT_EQ(av::system_message(ERROR_ACCESS_DENIED), raw.substr(0, raw.size() - 2));
}

TEST(WindowsSystemMessage, ACodeWithoutTextGetsTheSystemsTextOfEFail)
{
    ASSERT_TRUE(raw_system_text(0x0000FFFF).empty()) << "the system has a text for 0xFFFF after all";
    const std::wstring e_fail = raw_system_text(av::e_fail);
    ASSERT_FALSE(e_fail.empty());
    std::wstring trimmed = e_fail;
    while (!trimmed.empty() && (trimmed.back() == L'\r' || trimmed.back() == L'\n'))
        trimmed.pop_back();
    EXPECT_EQ(av::system_message(0x0000FFFF), trimmed);
    EXPECT_EQ(av::error_message(0x28000000u | 32102), trimmed);
}

TEST(WindowsSystemMessage, ALanguageWithoutMessagesFallsBackToTheDefaultSearch)
{
    // Whether the system reports 1815 for Japanese or finds a text itself,
    // the result is a text, never the E_FAIL fallback.
    const std::wstring text = av::system_message(ERROR_ACCESS_DENIED, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, av::system_message(av::e_fail));
}

}  // namespace
