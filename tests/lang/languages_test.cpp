// The language table and the choice of the message block, in both builds
// (the messages come from a table handed to the seam).
#include "lang/languages.h"

#include <gtest/gtest.h>

#include "tests/lang/message_table.h"

namespace {

struct Row {
    int index;
    std::uint32_t lcid;
    bool texts;
    bool product;
    bool locale;
};

constexpr Row kRows[] = {
    {0, 1036, true, true, true},
    {1, 1033, true, true, true},
    {2, 1031, true, true, true},
    {3, 3082, true, true, true},
    {4, 2070, true, true, true},
    {5, 1043, false, true, true},
    {6, 1030, false, false, false},
    {7, 1055, true, true, true},
    {8, 1026, false, true, true},
    {9, 1048, true, true, true},
    {10, 2052, false, true, true},
    {11, 1040, true, true, true},
    {12, 1029, false, false, false},
    {13, 1044, false, false, false},
    {14, 1032, false, true, true},
    {15, 1045, false, true, true},
    {16, 1037, false, false, false},
    {17, 1066, false, false, false},
    {18, 1041, false, false, false},
    {19, 1038, false, true, true},
};

// Column locale: the bits of kSupportedLanguageMask 0x8cfbf. Japanese (18)
// is not among them, so a Japanese user gets English.
TEST(LanguageTable, EveryRow)
{
    for (const Row& r : kRows) {
        EXPECT_EQ(LanguageToLcid(r.index), r.lcid) << r.index;
        EXPECT_EQ(IsInstallerLanguage(r.index), r.texts) << r.index;
        EXPECT_EQ(IsProductLanguage(r.index), r.product) << r.index;
        EXPECT_EQ((kSupportedLanguageMask >> r.index) & 1u, r.locale ? 1u : 0u) << r.index;
    }
}

TEST(LanguageTable, OutsideTheTable)
{
    for (int index : {-1, 20, 25, 1000}) {
        EXPECT_EQ(LanguageToLcid(index), 1036u) << index;
        EXPECT_FALSE(IsProductLanguage(index)) << index;
    }
    EXPECT_FALSE(IsInstallerLanguage(-1));
    EXPECT_TRUE(IsInstallerLanguage(20));
    EXPECT_TRUE(IsInstallerLanguage(25));
}

// Message 14 in the blocks of French (1), English (2), German (3), Dutch (7),
// Italian (6), Romanian (12).
std::map<int, std::wstring> Blocks()
{
    return {
        {1014, L"fr"},
        {2014, L"en"},
        {3014, L"de"},
        {7014, L"nl"},
        {6014, L"it"},
        {12014, L"ro"},
        {1100, L"fr100"},
        {2100, L"#"},
        {3100, L"#"},
        {1101, L"fr101"},
        {2101, L"en101"},
        {3101, L"#"},
        {1102, L"#"},
        {2102, L"#"},
        {12102, L"#"},
    };
}

struct IdCase {
    int language;
    int baseId;
    int id;
    const wchar_t* text;
};

TEST(LocalizedStringId, BlocksAndFallbacks)
{
    test::ScopedMessageTable table(Blocks());
    const IdCase cases[] = {
        {0, 1014, 1014, L"fr"}, {1, 1014, 2014, L"en"}, {2, 1014, 3014, L"de"}, {11, 1014, 6014, L"it"},
        {9, 1014, 12014, L"ro"}, {3, 1014, 4014, L""},  // missing resource: empty, no fallback
        {5, 1014, 2014, L"en"},  // Dutch has no texts: English although block 7 exists
        {10, 1014, 2014, L"en"},  // Chinese: English
        {2, 1101, 2101, L"en101"},  // "#" in German: English
        {2, 1100, 1100, L"fr100"},  // "#" in German and English: French
        {1, 1100, 1100, L"fr100"},  // "#" in English: French
        {9, 1102, 1102, L"#"},  // "#" everywhere: the French text as it is
        {0, 1102, 1102, L"#"},  // French never falls back
        {25, 1014, 2014, L"en"},  // an index above the table reads English
    };
    for (const IdCase& c : cases) {
        test::ScopedLanguage language(c.language);
        EXPECT_EQ(LocalizedStringId(c.baseId), c.id) << c.language << " " << c.baseId;
        EXPECT_EQ(LoadLocalizedString(c.baseId), c.text) << c.language << " " << c.baseId;
    }
}

TEST(SetLanguage, IndexAndLcidFollow)
{
    test::ScopedLanguage language(11);
    EXPECT_EQ(GetLanguageSettings().language, 11);
    EXPECT_NE(GetLanguageSettings().codePage, 0u);
    SetLanguage(1);
    EXPECT_EQ(GetLanguageSettings().language, 1);
    EXPECT_FALSE(GetLanguageSettings().rightToLeft);
}

TEST(LanguageSettings, InitialMaskIsFrenchOnly)
{
    EXPECT_EQ(GetLanguageSettings().supportedMask, 1u);
}

}  // namespace
