// The wizard reads and writes the installation state of the application
// object, and its language choice goes through the application.
#include "wizard/app_binding.h"

#include <gtest/gtest.h>

#include "app/install_app.h"
#include "tests/lang/message_table.h"
#include "tests/wizard/english_messages.h"

namespace {

TEST(AppBinding, ReadsAndWritesTheInstallationState) {
    test::ScopedMessageTable messages{test::WizardMessages()};
    test::ScopedLanguage english{1};
    CInstallApp app(L"AvWizardBindingTest");
    app.m_nUpdateState = Upgrade;
    app.m_strPreviousVersion = L"Korvaline 6.02";
    app.m_strInstallFolder = L"C:\\A";
    app.m_strStartMenuFolder = L"C:\\M";
    app.m_bStartMenuShortcut = true;
    wizard::AppBinding binding(app);

    EXPECT_EQ(binding.UpdateState(), Upgrade);
    EXPECT_EQ(binding.PreviousVersion(), L"Korvaline 6.02");
    EXPECT_EQ(binding.ProductLabel(false), L"Korvaline 6.03g");
    EXPECT_EQ(binding.ProductLabel(true), L"Korvaline");
    EXPECT_EQ(binding.ProductFolderName(), L"Korvaline 6");
    EXPECT_EQ(binding.ApplicationTitle(true), L"Installer \u2013 Korvaline 6.03g");
    EXPECT_EQ(binding.InstallFolder(), L"C:\\A");
    EXPECT_EQ(binding.StartMenuFolder(), L"C:\\M");
    EXPECT_TRUE(binding.StartMenuShortcut());
    EXPECT_FALSE(binding.DesktopShortcut());

    binding.SetAdvancedMode(true);
    binding.SetInstallationDone(true);
    binding.SetInstallFolder(L"D:\\Apps\\Korvaline 6");
    binding.SetStartMenuFolder(L"C:\\Menu");
    binding.SetStartMenuShortcut(false);
    binding.SetDesktopShortcut(true);
    EXPECT_TRUE(app.m_bAdvancedMode);
    EXPECT_TRUE(app.m_bInstallationDone);
    EXPECT_EQ(app.m_strInstallFolder, L"D:\\Apps\\Korvaline 6");
    EXPECT_EQ(app.m_strStartMenuFolder, L"C:\\Menu");
    EXPECT_FALSE(app.m_bStartMenuShortcut);
    EXPECT_TRUE(app.m_bDesktopShortcut);

    // The previous version is given only for an update or a newer version.
    app.m_nUpdateState = FreshInstall;
    EXPECT_EQ(binding.PreviousVersion(), L"");
}

TEST(AppBinding, LanguageChoiceGoesThroughTheApplication) {
    test::ScopedMessageTable messages{test::WizardMessages()};
    test::ScopedLanguage english{1};
    CInstallApp app(L"AvWizardBindingTest");
    int reloads = 0;
    app.m_updateTexts = [&] { ++reloads; };
    wizard::AppBinding binding(app);
    binding.LanguageSelected(0);
    EXPECT_EQ(GetLanguageSettings().language, 0);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(std::wstring(app.m_pszAppName), L"Installeur \u2013 Korvane 6.03g");
}

}  // namespace
