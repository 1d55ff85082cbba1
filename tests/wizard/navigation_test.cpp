// The wizard's navigation: page skipping in quick mode, button texts and
// states, the exit confirmation, and the Install page's retry, driven
// through a host that stands in for the frame dialog.
#include "wizard/navigation.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/lang/message_table.h"
#include "tests/wizard/english_messages.h"

namespace {

using namespace wizard;

// A frame without windows: the Mode page's radio and the Folder page's edit
// are plain values, written back to the state when the page is saved.
class FakeHost : public WizardHost {
public:
    // Installation state.
    bool advancedMode = false;
    bool installationDone = false;
    int updateState = FreshInstall;
    std::wstring installFolder = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6";

    // What the pages show.
    bool modeRadioAdvanced = false;
    std::wstring folderEdit;
    bool folderValid = true;

    // What the frame shows.
    std::vector<int> visible;
    ButtonTexts texts;
    std::map<int, bool> enabled;
    int defaultId = 0;
    std::vector<int> loads;

    bool runResult = false;
    int runs = 0;
    bool confirmAnswer = false;
    int confirmations = 0;
    int endings = 0;
    bool endedOk = false;

    bool SavePage(int page) override
    {
        if (page == kPageMode)
            advancedMode = modeRadioAdvanced;
        if (page == kPageFolder) {
            if (!folderValid)
                return false;
            installFolder = folderEdit;
        }
        return true;
    }
    void LoadPage(int page) override
    {
        loads.push_back(page);
        if (page == kPageMode)
            modeRadioAdvanced = advancedMode;
        if (page == kPageFolder)
            folderEdit = installFolder;
    }
    void SetPageVisible(int page, bool show) override
    {
        if (show) {
            visible.push_back(page);
        } else {
            std::erase(visible, page);
        }
    }
    void SetButtonTexts(const ButtonTexts& t) override { texts = t; }
    void EnableButton(int id, bool on) override { enabled[id] = on; }
    void SetDefaultButton(int id) override { defaultId = id; }
    bool AdvancedMode() const override { return advancedMode; }
    bool InstallationDone() const override { return installationDone; }
    void SetInstallationDone(bool done) override { installationDone = done; }
    int UpdateState() const override { return updateState; }
    bool RunInstallation() override
    {
        ++runs;
        // The buttons are disabled while the run works.
        EXPECT_FALSE(enabled[kIdBack]);
        EXPECT_FALSE(enabled[kIdNext]);
        EXPECT_FALSE(enabled[kIdCancel]);
        return runResult;
    }
    bool ConfirmExit() override
    {
        ++confirmations;
        return confirmAnswer;
    }
    void EndWizard(bool ok) override
    {
        ++endings;
        endedOk = ok;
    }
};

class Navigation : public ::testing::Test {
protected:
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    FakeHost host;
    WizardNavigator nav {host};

    void Reach(int page)
    {
        nav.ShowPage(kPageStart);
        while (nav.CurrentPage() < page)
            nav.Next();
        ASSERT_EQ(nav.CurrentPage(), page);
    }
};

TEST(ResolveTargetPage, QuickModeSkipsFolderAndShortcut)
{
    struct Case {
        int current, target;
        bool advanced;
        int expected;
    };
    const Case cases[] = {
        {kPageMode, kPageFolder, false, kPageInstall},
        {kPageInstall, kPageShortcut, false, kPageMode},
        {kPageMode, kPageFolder, true, kPageFolder},
        {kPageInstall, kPageShortcut, true, kPageShortcut},
        {kPageNone, kPageStart, false, kPageStart},
        {kPageInstall, kPageEnd, false, kPageEnd},
        {kPageEnd, kPageInstall, false, kPageInstall},
        {kPageFolder, kPageFolder, false, kPageFolder},
        {kPageStart, kPageShortcut, false, kPageInstall},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveTargetPage(c.current, c.target, c.advanced), c.expected)
            << c.current << " -> " << c.target << (c.advanced ? " advanced" : " quick");
    }
}

TEST_F(Navigation, FirstPageIsStartWithBackDisabled)
{
    nav.ShowPage(kPageStart);
    EXPECT_EQ(host.visible, std::vector<int> {kPageStart});
    EXPECT_FALSE(host.enabled[kIdBack]);
    EXPECT_TRUE(host.enabled[kIdNext]);
    EXPECT_EQ(host.defaultId, kIdNext);
    EXPECT_EQ(host.texts.next, L"Next  >");
    EXPECT_EQ(host.texts.back, L"<  Back");
    EXPECT_EQ(host.texts.cancel, L"Cancel");
}

TEST_F(Navigation, QuickModeGoesFromModeToInstallAndBack)
{
    Reach(kPageMode);
    nav.Next();
    EXPECT_EQ(nav.CurrentPage(), kPageInstall);
    EXPECT_EQ(host.visible, std::vector<int> {kPageInstall});
    EXPECT_EQ(host.texts.next, L"Install");
    nav.Back();
    EXPECT_EQ(nav.CurrentPage(), kPageMode);
    EXPECT_EQ(host.visible, std::vector<int> {kPageMode});
    EXPECT_EQ(host.texts.next, L"Next  >");
}

TEST_F(Navigation, AdvancedThenQuickSkipsAgainAndKeepsTheFolder)
{
    Reach(kPageMode);
    host.modeRadioAdvanced = true;
    nav.Next();
    ASSERT_EQ(nav.CurrentPage(), kPageFolder);
    host.folderEdit = L"D:\\Apps\\Korvaline 6";
    nav.Next();
    EXPECT_EQ(nav.CurrentPage(), kPageShortcut);
    nav.Back();
    nav.Back();
    ASSERT_EQ(nav.CurrentPage(), kPageMode);
    EXPECT_TRUE(host.modeRadioAdvanced);  // the page reloads the stored mode
    host.modeRadioAdvanced = false;
    nav.Next();
    EXPECT_EQ(nav.CurrentPage(), kPageInstall);
    EXPECT_FALSE(host.advancedMode);
    EXPECT_EQ(host.installFolder, L"D:\\Apps\\Korvaline 6");
    nav.Back();
    EXPECT_EQ(nav.CurrentPage(), kPageMode);
}

TEST_F(Navigation, LeavingModeWithBackStoresTheChoice)
{
    Reach(kPageMode);
    host.modeRadioAdvanced = true;
    nav.Back();
    EXPECT_EQ(nav.CurrentPage(), kPageStart);
    EXPECT_TRUE(host.advancedMode);
}

TEST_F(Navigation, FailedValidationKeepsThePage)
{
    host.advancedMode = true;
    Reach(kPageFolder);
    host.folderValid = false;
    EXPECT_FALSE(nav.ShowPage(kPageShortcut));
    EXPECT_EQ(nav.CurrentPage(), kPageFolder);
    EXPECT_EQ(host.visible, std::vector<int> {kPageFolder});
    nav.Back();
    EXPECT_EQ(nav.CurrentPage(), kPageFolder);
}

TEST_F(Navigation, SuccessfulRunOffersEndAndExit)
{
    Reach(kPageInstall);
    host.runResult = true;
    nav.Next();
    EXPECT_EQ(host.runs, 1);
    EXPECT_TRUE(host.installationDone);
    EXPECT_EQ(nav.CurrentPage(), kPageInstall);
    EXPECT_EQ(host.texts.next, L"Next  >");
    EXPECT_EQ(host.texts.cancel, L"Exit");
    EXPECT_FALSE(host.enabled[kIdBack]);
    EXPECT_TRUE(host.enabled[kIdNext]);
    EXPECT_TRUE(host.enabled[kIdCancel]);

    nav.Next();
    EXPECT_EQ(host.runs, 1);  // no second run
    EXPECT_EQ(nav.CurrentPage(), kPageEnd);
    EXPECT_TRUE(host.enabled[kIdBack]);
    EXPECT_FALSE(host.enabled[kIdNext]);
    EXPECT_EQ(host.defaultId, kIdCancel);

    nav.Back();
    EXPECT_EQ(nav.CurrentPage(), kPageInstall);
    EXPECT_FALSE(host.enabled[kIdBack]);

    nav.Cancel();
    EXPECT_EQ(host.confirmations, 0);
    EXPECT_EQ(host.endings, 1);
    EXPECT_TRUE(host.endedOk);
}

TEST_F(Navigation, FailedRunOffersInstallAgain)
{
    Reach(kPageInstall);
    host.runResult = false;
    nav.Next();
    EXPECT_EQ(host.runs, 1);
    EXPECT_EQ(nav.CurrentPage(), kPageInstall);
    EXPECT_EQ(host.texts.next, L"Install");
    EXPECT_EQ(host.texts.cancel, L"Cancel");
    EXPECT_TRUE(host.enabled[kIdBack]);
    EXPECT_TRUE(host.enabled[kIdNext]);
    EXPECT_TRUE(host.enabled[kIdCancel]);

    nav.Cancel();
    EXPECT_EQ(host.confirmations, 1);
    EXPECT_EQ(host.endings, 0);  // No keeps the wizard open

    host.runResult = true;
    nav.Next();
    EXPECT_EQ(host.runs, 2);
    EXPECT_TRUE(host.installationDone);
}

TEST_F(Navigation, CancelConfirmation)
{
    struct Case {
        int updateState;
        int page;
        bool asks;
    };
    const Case cases[] = {
        {SameVersion, kPageStart, false},
        {SameVersion, kPageMode, true},
        {FreshInstall, kPageStart, true},
        {Upgrade, kPageStart, true},
        {NewerInstalled, kPageStart, false},
        {FreshInstall, kPageInstall, true},
    };
    for (const Case& c : cases) {
        FakeHost h;
        h.updateState = c.updateState;
        h.confirmAnswer = true;
        WizardNavigator n {h};
        n.ShowPage(kPageStart);
        while (n.CurrentPage() < c.page)
            n.Next();
        n.Cancel();
        EXPECT_EQ(h.confirmations, c.asks ? 1 : 0) << c.updateState << " page " << c.page;
        EXPECT_EQ(h.endings, 1);
        EXPECT_FALSE(h.endedOk);
    }
}

TEST_F(Navigation, NoAnswerStays)
{
    Reach(kPageMode);
    host.confirmAnswer = false;
    nav.Cancel();
    EXPECT_EQ(host.confirmations, 1);
    EXPECT_EQ(host.endings, 0);
    host.confirmAnswer = true;
    nav.Cancel();
    EXPECT_EQ(host.endings, 1);
}

TEST_F(Navigation, EveryEntryLoadsTheTargetOnce)
{
    host.advancedMode = true;
    Reach(kPageShortcut);
    EXPECT_EQ(host.loads, (std::vector<int> {kPageStart, kPageMode, kPageFolder, kPageShortcut}));
}

TEST(ButtonTexts, French)
{
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage french {0};
    const ButtonTexts t = MakeButtonTexts(kPageMode, false);
    EXPECT_EQ(t.next, L"Suivant  >");
    EXPECT_EQ(t.back, L"<  Pr\u00E9c\u00E9dent");
    EXPECT_EQ(t.cancel, L"Annuler");
    EXPECT_EQ(MakeButtonTexts(kPageInstall, false).next, L"Installer");
    EXPECT_EQ(MakeButtonTexts(kPageInstall, true).cancel, L"Quitter");
}

}  // namespace
