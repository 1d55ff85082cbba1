// The wizard's texts: the Start page in every situation, the About entry,
// the Install page's option summary, the dash rule and the progress rule.
#include "wizard/page_texts.h"

#include <gtest/gtest.h>

#include "tests/lang/message_table.h"
#include "tests/wizard/english_messages.h"
#include "wizard/navigation.h"

namespace {

using namespace wizard;

class Texts : public ::testing::Test {
protected:
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
};

std::wstring TextOf(const ControlTexts& texts, int id)
{
    for (const auto& [control, text] : texts) {
        if (control == id)
            return text;
    }
    ADD_FAILURE() << "no text for control " << id;
    return {};
}

TEST_F(Texts, StartPageSituations)
{
    struct Case {
        int state;
        std::wstring info;
        std::wstring status;
    };
    const Case cases[] = {
        {FreshInstall, L"'Korvaline 6.03g' Installation.", L"Click on 'Next' to continue."},
        {SameVersion, L"'Korvaline 6.03g' is already installed.\r\nDo you confirm Reinstallation ?",
            L"Click on 'Next' to continue or on 'Cancel' to exit Installation."},
        {Upgrade, L"Update from 'Korvaline 6.02' to 'Korvaline 6.03g'.", L"Click on 'Next' to continue."},
        {NewerInstalled,
            L"'Korvaline 6.03g' Installation.\r\nA more recent Version (Korvaline 6.02) is already installed.",
            L"Click on 'Cancel' to exit Installation."},
    };
    for (const Case& c : cases) {
        const ControlTexts t = StartPageTexts(c.state, L"Korvaline 6.03g", L"Korvaline 6.02");
        EXPECT_EQ(TextOf(t, 1016), c.info) << c.state;
        EXPECT_EQ(TextOf(t, 1003), c.status) << c.state;
        EXPECT_EQ(TextOf(t, 1020), L"'Korvaline 6.03g' is protected by law.");
        EXPECT_EQ(TextOf(t, 1022), L"Select Installation Langage");
    }
}

TEST_F(Texts, FrenchStartPage)
{
    test::ScopedLanguage french {0};
    const ControlTexts t = StartPageTexts(FreshInstall, L"Korvane 6.03g", L"");
    EXPECT_EQ(TextOf(t, 1016), L"Installation de 'Korvane 6.03g'.");
    EXPECT_EQ(TextOf(t, 1003), L"Cliquez sur 'Suivant' pour continuer.");
}

TEST_F(Texts, OtherPages)
{
    EXPECT_EQ(TextOf(ModePageTexts(), 1018), L"Quick Installation (Recommended)");
    EXPECT_EQ(TextOf(FolderPageTexts(L"Korvaline"), 1009), L"Select 'Korvaline' Installation Folder.");
    EXPECT_EQ(TextOf(ShortcutPageTexts(), 1010), L"Create a Shortcut on the Desktop.");
    EXPECT_EQ(TextOf(InstallPageTexts(), 1003), L"Click on 'Install' to start Installation.");
    EXPECT_EQ(TextOf(EndPageTexts(), 1003), L"Click on 'Exit' to exit Installation.");
    EXPECT_EQ(TextOf(EndPageTexts(), 1016), L"");
    EXPECT_EQ(EndPageResultText(), L"Installation is complete.");
}

TEST_F(Texts, AboutEntryByReadingOrder)
{
    EXPECT_EQ(AboutMenuText(L"Installer", false), L"&About 'Installer'...");
    EXPECT_EQ(AboutMenuText(L"Installer", true), L"...About 'Installer'");
    EXPECT_EQ(AboutCaption(L"Installer", L"About '%1'"), L"About 'Installer'");
    messages.table()[2003] = L"";
    EXPECT_EQ(AboutMenuText(L"Installer", false), L"");
    EXPECT_EQ(AboutCaption(L"Installer", L"Template '%1'"), L"Template 'Installer'");
}

TEST_F(Texts, SummaryForTheDefaultFolders)
{
    SummaryOptions o;
    o.productLabel = L"Korvaline 6.03g";
    o.installFolder = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6";
    o.startMenuFolder = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Arvell & Divizere\\Korvaline 6";
    o.startMenuShortcut = true;
    o.desktopShortcut = true;
    const std::vector<LogLine> expected = {
        {L"'Korvaline 6.03g' Installation.\r\n", false},
        {L"Installation Options", true},
        {L"Installation Folder: \"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\".\r\n", false},
        {L"Creating a Shortcut in the Start Menu (Folder \"C:\\ProgramData\\Microsoft\\Windows\\Start "
         L"Menu\\Programs\\Arvell & Divizere\\Korvaline 6\").\r\n",
            false},
        {L"Creating a Shortcut on the Desktop.\r\n", false},
    };
    EXPECT_EQ(OptionSummary(o), expected);
}

TEST_F(Texts, SummaryWithoutShortcutsOrSpaces)
{
    SummaryOptions o;
    o.productLabel = L"Korvaline 6.03g";
    o.installFolder = L"D:\\Apps\\Korvaline";
    o.startMenuFolder = L"C:\\Start Menu";
    const std::vector<LogLine> expected = {
        {L"'Korvaline 6.03g' Installation.\r\n", false},
        {L"Installation Options", true},
        {L"Installation Folder: D:\\Apps\\Korvaline.\r\n", false},
    };
    EXPECT_EQ(OptionSummary(o), expected);
}

// A font where every character is 3 pixels wide and a dash 2.
int Measure(const std::wstring& text)
{
    int width = 0;
    for (wchar_t c : text)
        width += c == L'-' ? 2 : 3;
    return width;
}

TEST(ComposeLogLine, DashRule)
{
    // " abc " is 15 pixels: (40 - 15) / 2 = 12 dashes, 6 before and 6 after.
    EXPECT_EQ(ComposeLogLine(L"abc", true, 40, Measure), L"------ abc ------\r\n");
    // 13 dashes: the odd one goes after the text.
    EXPECT_EQ(ComposeLogLine(L"abc", true, 41, Measure), L"------ abc -------\r\n");
    EXPECT_EQ(ComposeLogLine(L"abc", true, 43, Measure), L"------- abc -------\r\n");
    EXPECT_EQ(ComposeLogLine(L"", false, 11, Measure), L"-----\r\n");
    EXPECT_EQ(ComposeLogLine(L"", true, 10, Measure), L"-----\r\n");
    // Too narrow: the text alone between its spaces.
    EXPECT_EQ(ComposeLogLine(L"abc", true, 16, Measure), L" abc \r\n");
    EXPECT_EQ(ComposeLogLine(L"abc", true, 5, Measure), L" abc \r\n");
    EXPECT_EQ(ComposeLogLine(L"", false, -4, Measure), L"\r\n");
    // Plain lines pass unchanged.
    EXPECT_EQ(ComposeLogLine(L"Copying\r\n", false, 40, Measure), L"Copying\r\n");
    // A font that measures nothing cannot divide.
    EXPECT_EQ(ComposeLogLine(L"x", true, 40, [](const std::wstring&) { return 0; }), L" x \r\n");
}

TEST(ProgressPosition, Rule)
{
    struct Case {
        std::uint64_t done, total;
        int position;
    };
    const Case cases[] = {
        {999'999, 1'000'000, 99},
        {1'000'000, 1'000'000, 100},
        {5, 1'000, 1},
        {4, 1'000, 0},
        {0, 1'000, 0},
        {995, 1'000, 99},
        {994, 1'000, 99},
        {1, 3, 33},
        {2, 3, 67},
        {0, 0, 100},
        {7, 5, 100},
        {0xFFFF'FFFF'FFFFull, 0x1'0000'0000'0000ull, 100 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressPosition(c.done, c.total), c.position) << c.done << "/" << c.total;
    }
}

}  // namespace
