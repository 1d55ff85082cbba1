// The language rules that depend on the user's Windows language, answered by
// the Linux build's stand-in user locale.
#include <gtest/gtest.h>

#include "lang/languages.h"
#include "lang/locale.h"
#include "lang/posix/stand_in_locale.h"
#include "tests/lang/message_table.h"

namespace {

class UserLocale : public testing::Test {
protected:
    void TearDown() override
    {
        av::locale::set_stand_in_user_locale(1033);
        av::locale::set_stand_in_font_signature_fails(false);
        SetLanguage(0);
    }
};

struct LocaleCase {
    std::uint32_t userLcid;
    std::uint32_t mask;
    int index;
};

TEST_F(UserLocale, LanguageFromUserLocale)
{
    const LocaleCase cases[] = {
        {1043, kSupportedLanguageMask, 5},  // Dutch
        {1041, kSupportedLanguageMask, 1},  // Japanese: not in the mask, English
        {1041, 0xFFFFF, 18},  // Japanese where the mask allows it
        {1028, kSupportedLanguageMask, 1},  // Traditional Chinese (Taiwan): unlisted
        {3076, kSupportedLanguageMask, 1},  // Chinese (Hong Kong): unlisted
        {2052, kSupportedLanguageMask, 10},  // Simplified Chinese (PRC)
        {4100, kSupportedLanguageMask, 10},  // Chinese (Singapore)
        {3084, kSupportedLanguageMask, 0},  // Canadian French
        {2057, kSupportedLanguageMask, 1},  // British English
        {1046, kSupportedLanguageMask, 4},  // Brazilian Portuguese
        {1030, kSupportedLanguageMask, 1},  // Danish: bit clear, English
        {1037, kSupportedLanguageMask, 1},  // Hebrew: bit clear
        {1049, kSupportedLanguageMask, 1},  // Russian: unlisted
        {1049, 0x1, 0},  // without bit 1: French
        {1031, 0x1, 0},  // German not allowed, no English: French
        {1031, 0x3, 1},  // German not allowed: English
        {1031, 0x0, 0},  // mask 0: supportedMask (French only)
    };
    for (const LocaleCase& c : cases) {
        av::locale::set_stand_in_user_locale(c.userLcid);
        EXPECT_EQ(LanguageFromUserLocale(c.mask), c.index) << c.userLcid << " mask " << c.mask;
    }
}

TEST_F(UserLocale, CanadianFrenchKeepsItsLocaleNameButFrenchLcid)
{
    av::locale::set_stand_in_user_locale(3084);
    SetLanguage(1);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"en-US");
    SetLanguage(LanguageFromUserLocale(kSupportedLanguageMask));
    EXPECT_EQ(GetLanguageSettings().language, 0);
    EXPECT_EQ(GetLanguageSettings().lcid, 1036u);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"fr-CA");
    EXPECT_EQ(GetLanguageSettings().codePage, 1252u);
}

TEST_F(UserLocale, SameLanguageIdKeepsTheUsersLcid)
{
    av::locale::set_stand_in_user_locale(1031);
    SetLanguage(2);
    EXPECT_EQ(GetLanguageSettings().lcid, 1031u);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"de-DE");
    SetLanguage(9);
    EXPECT_EQ(GetLanguageSettings().lcid, 1048u);
    EXPECT_EQ(GetLanguageSettings().codePage, 1250u);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"ro-RO");
}

TEST_F(UserLocale, SameIndexDoesNotSwitchTheRuntimeLocale)
{
    SetLanguage(2);
    ASSERT_EQ(av::locale::runtime_locale_name(), L"de-DE");
    av::locale::set_stand_in_user_locale(3079);  // Austrian German, unknown to the stand-in
    SetLanguage(2);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"de-DE");
    EXPECT_EQ(GetLanguageSettings().lcid, 1031u);
}

TEST_F(UserLocale, RejectedNameLeavesThePreviousLocaleButTheIndexChanges)
{
    SetLanguage(1);
    ASSERT_EQ(av::locale::runtime_locale_name(), L"en-US");
    av::locale::set_stand_in_user_locale(0x1C0C);  // French (Caribbean): no name the run-time knows
    SetLanguage(0);
    EXPECT_EQ(GetLanguageSettings().language, 0);
    EXPECT_EQ(av::locale::runtime_locale_name(), L"en-US");
    EXPECT_EQ(GetLanguageSettings().lcid, 1036u);
}

TEST_F(UserLocale, RightToLeft)
{
    for (int index = 0; index < 20; ++index)
        EXPECT_EQ(IsRightToLeftLanguage(index), index == 16) << index;
    SetLanguage(16);
    EXPECT_TRUE(GetLanguageSettings().rightToLeft);
    EXPECT_EQ(GetLanguageSettings().codePage, 1255u);
}

TEST_F(UserLocale, RightToLeftWhenTheFontSignatureIsUnknown)
{
    av::locale::set_stand_in_font_signature_fails(true);
    EXPECT_TRUE(IsRightToLeftLanguage(16));
    EXPECT_FALSE(IsRightToLeftLanguage(1));
    EXPECT_FALSE(IsRightToLeftLanguage(40));
}

TEST_F(UserLocale, NativeNamesStartUpperCase)
{
    EXPECT_EQ(NativeLanguageName(0), L"Français");
    EXPECT_EQ(NativeLanguageName(2), L"Deutsch");
    EXPECT_EQ(NativeLanguageName(12), L"Čeština");
    EXPECT_EQ(NativeLanguageName(14), L"Ελληνικά");
    EXPECT_EQ(NativeLanguageName(40), L"Français");  // outside the table: French's LCID
    av::locale::set_stand_in_user_locale(0x0813);  // Belgian Dutch: unknown here
    EXPECT_EQ(NativeLanguageName(5), L"Nederlands");  // Dutch's own LCID is used
}

}  // namespace
