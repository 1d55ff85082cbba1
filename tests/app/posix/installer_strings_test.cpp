// The message tables the installer carries: every offset in each of the
// eight blocks, the English and French texts the user sees, no "#" anywhere.
#include <gtest/gtest.h>

#include "tests/app/installer_strings.h"

namespace {

constexpr int kOffsets[] = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,
                            16,  17,  18,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112,
                            113, 114, 115, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 129};
constexpr int kBlocks[] = {1, 2, 3, 4, 5, 6, 9, 12};  // fr en de es pt it tr ro

TEST(InstallerStrings, EveryOffsetInEveryBlockAndNothingElse) {
    const auto table = test::InstallerStrings();
    ASSERT_EQ(table.size(), std::size(kOffsets) * std::size(kBlocks));
    for (int block : kBlocks)
        for (int offset : kOffsets) {
            const auto it = table.find(block * 1000 + offset);
            ASSERT_NE(it, table.end()) << block * 1000 + offset;
            EXPECT_FALSE(it->second.empty()) << it->first;
            EXPECT_EQ(it->second.find(L'#'), std::wstring::npos) << it->first;
        }
}

TEST(InstallerStrings, InsertsMatchTheEnglishTemplate) {
    const auto table = test::InstallerStrings();
    for (int offset : kOffsets) {
        const std::wstring& english = table.at(2000 + offset);
        for (int block : kBlocks) {
            const std::wstring& text = table.at(block * 1000 + offset);
            for (const wchar_t* insert : {L"%1", L"%2"})
                EXPECT_EQ(english.find(insert) != std::wstring::npos, text.find(insert) != std::wstring::npos)
                    << block * 1000 + offset;
        }
    }
}

TEST(InstallerStrings, EnglishAndFrenchAsShown) {
    const auto table = test::InstallerStrings();
    EXPECT_EQ(table.at(2000), L"Installer");
    EXPECT_EQ(table.at(1000), L"Installeur");
    EXPECT_EQ(table.at(1003), L"\u00C0 propos de '%1'");
    EXPECT_EQ(table.at(2014), L"Select Installation Langage");
    EXPECT_EQ(table.at(2110), L"Installation is not complete.\r\n\r\nDo you still confirm exit Installation ?");
    EXPECT_EQ(table.at(1110),
              L"L'installation n'est pas achev\u00E9e.\r\n\r\n\u00CAtes-vous certain de vouloir quitter l'installeur ?");
    EXPECT_EQ(table.at(2115), L"Copying File  %1...");
    EXPECT_EQ(table.at(2126), L"You should have Administrator Rights in order to proceed to Installation.");
    EXPECT_EQ(table.at(2127), L"You should close '%1' before continuing Installation.");
    EXPECT_EQ(table.at(2129),
              L"'%1' will be installed in the selected Langage, but the Installer, still under translation,  shall run "
              L"in English.");
    EXPECT_EQ(table.at(1126),
              L"Vous devez disposer de privil\u00E8ges d'administrateur sur cet ordinateur pour pouvoir effectuer "
              L"l'installation.");
    EXPECT_EQ(table.at(1012), L"\u00C9chec");
}

}  // namespace
