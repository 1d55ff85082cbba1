// The language rules against the system's own locale data.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "lang/languages.h"
#include "lang/locale.h"

namespace {

TEST(SystemLocale, NativeNamesAndReadingOrder)
{
    EXPECT_EQ(NativeLanguageName(0), L"Français");
    EXPECT_EQ(NativeLanguageName(2), L"Deutsch");
    EXPECT_TRUE(IsRightToLeftLanguage(16));
    EXPECT_FALSE(IsRightToLeftLanguage(0));
    EXPECT_FALSE(IsRightToLeftLanguage(18));
}

TEST(SystemLocale, UserLanguageComesFromTheSystem)
{
    EXPECT_EQ(av::locale::user_default_lang_id(), GetUserDefaultLangID());
    EXPECT_EQ(av::locale::locale_name(1036), L"fr-FR");
    EXPECT_EQ(av::locale::default_ansi_code_page(1049), 1251u);
}

TEST(SystemLocale, OwnStringTableMissingGivesEmpty)
{
    // The test program carries no string tables.
    EXPECT_EQ(av::locale::load_message(1114), L"");
}

TEST(SystemLocale, RejectedRuntimeLocaleLeavesThePreviousOne)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const std::wstring recorded = av::locale::runtime_locale_name();
    EXPECT_FALSE(av::locale::set_runtime_locale(L"xx-no-such-locale"));
    EXPECT_FALSE(av::locale::set_runtime_locale_all(L"xx-no-such-locale"));
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
    EXPECT_EQ(av::locale::runtime_locale_name(), recorded);
}

TEST(SystemLocale, AcceptedRuntimeLocaleIsInForce)
{
    ASSERT_TRUE(av::locale::set_runtime_locale(L"C"));
    EXPECT_EQ(av::locale::runtime_locale_name(), L"C");
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    SetLanguage(2);
    EXPECT_EQ(GetLanguageSettings().language, 2);
    SetLanguage(0);
}

}  // namespace
