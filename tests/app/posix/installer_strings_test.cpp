// The message tables the installer carries: every offset in each of the
// twenty blocks; the eight languages with texts of their own have them for
// every message of the wizard, the help of the command line is written out
// in English and French only, and "#" marks everything else.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>

#include "tests/app/installer_strings.h"

namespace {

constexpr int kOffsets[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 100, 101, 102, 103, 104,
    105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 129};
constexpr int kBlocks[] = {1, 2, 3, 4, 5, 6, 9, 12};  // fr en de es pt it tr ro
constexpr int kUntranslatedBlocks[] = {7, 8, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20};
// The help of the command line: its text, an unknown switch, a refused one.
constexpr int kHelpOffsets[] = {131, 132, 133};

bool IsTranslated(int block, int offset)
{
    const bool help = std::find(std::begin(kHelpOffsets), std::end(kHelpOffsets), offset) != std::end(kHelpOffsets);
    if (help)
        return block == 1 || block == 2;
    return std::find(std::begin(kBlocks), std::end(kBlocks), block) != std::end(kBlocks);
}

TEST(InstallerStrings, EveryOffsetInEveryBlockAndNothingElse)
{
    const auto table = test::InstallerStrings();
    std::set<int> expected;
    for (int block = 1; block <= 20; ++block) {
        for (int offset : kOffsets)
            expected.insert(block * 1000 + offset);
        for (int offset : kHelpOffsets)
            expected.insert(block * 1000 + offset);
    }
    std::set<int> present;
    for (const auto& entry : table)
        present.insert(entry.first);
    EXPECT_EQ(present, expected);
    for (const auto& [id, text] : table) {
        const int block = id / 1000;
        const int offset = id % 1000;
        if (IsTranslated(block, offset)) {
            EXPECT_FALSE(text.empty()) << id;
            EXPECT_EQ(text.find(L'#'), std::wstring::npos) << id;
        } else {
            EXPECT_EQ(text, L"#") << id;
        }
    }
}

TEST(InstallerStrings, FrenchPutsANoBreakSpaceBeforeAColon)
{
    const auto table = test::InstallerStrings();
    EXPECT_EQ(table.at(1112), L"Cr\u00E9er un raccourci dans le menu suivant\u00A0:");
    EXPECT_EQ(table.at(1123), L"Dossier d'installation\u00A0: %1.");
    for (int offset : {112, 123, 131, 132, 133}) {
        const std::wstring& text = table.at(1000 + offset);
        EXPECT_EQ(text.find(L" :"), std::wstring::npos) << offset;
        EXPECT_NE(text.find(L"\u00A0:"), std::wstring::npos) << offset;
    }
}

TEST(InstallerStrings, HelpNamesEverySwitchAndExitCode)
{
    const auto table = test::InstallerStrings();
    for (int block : {1, 2}) {
        const std::wstring& help = table.at(block * 1000 + 131);
        for (const wchar_t* item :
            {L"/SILENT", L"/VERYSILENT", L"/S\t", L"/SUPPRESSMSGBOXES", L"/DIR=", L"/D=", L"/LANG=", L"/NOICONS",
                L"/LOG=", L"/?", L"/HELP", L"\n0\t", L"1602", L"1603", L"1618", L"1638", L"1639", L"1925", L"2000"})
            EXPECT_NE(help.find(item), std::wstring::npos)
                << block << ": " << testing::PrintToString(std::wstring(item));
        EXPECT_NE(table.at(block * 1000 + 132).find(L"%1"), std::wstring::npos);
        EXPECT_NE(table.at(block * 1000 + 133).find(L"%1"), std::wstring::npos);
    }
    EXPECT_EQ(table.at(2132), L"Unknown switch: %1");
}

TEST(InstallerStrings, InsertsMatchTheEnglishTemplate)
{
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

TEST(InstallerStrings, EnglishAndFrenchAsShown)
{
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
