// The wizard frame and its pages as real windows (under Wine): the layout,
// the first page, a language switch relabelling every page, a language
// without installer texts, quick-mode navigation, the option summary, a
// failed and a successful run, and the End page.
#include "wizard/win32/install_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <system_error>

#include "framework/application.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "support/error.h"
#include "support/ui_hooks.h"
#include "tests/lang/message_table.h"
#include "tests/wizard/english_messages.h"
#include "wizard/win32/progress_dlg.h"

namespace {

using namespace wizard;

class FakeApp : public WizardApp {
public:
    int updateState = FreshInstall;
    std::wstring previous;
    bool advanced = false;
    bool done = false;
    std::wstring installFolder = L"C:\\Program Files\\Arvell & Divizere\\Korvaline 6";
    std::wstring startMenuFolder =
        L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Arvell & Divizere\\Korvaline 6";
    bool startMenu = true;
    bool desktop = true;
    int untranslatedNotices = 0;
    // Failures to raise from the installation state, for the exception
    // firewall: 0 raises nothing.
    mutable int failInstallFolder = 0;
    int failLanguageSelected = 0;
    // The installation run behind the Install button; a test that starts a
    // run sets it.
    std::function<bool(InstallDisplay&)> run;

    int UpdateState() const override { return updateState; }
    std::wstring PreviousVersion() const override { return previous; }
    std::wstring ProductLabel(bool nameOnly) const override
    {
        const std::wstring name = GetLanguageSettings().language == 0 ? L"Korvane" : L"Korvaline";
        return nameOnly ? name : name + L" 6.03g";
    }
    std::wstring ProductFolderName() const override { return ProductLabel(true) + L" 6"; }
    std::wstring ApplicationTitle(bool withProduct) const override
    {
        const std::wstring title = Message(msg::Installer);
        return withProduct ? title + L" \u2013 " + ProductLabel(false) : title;
    }
    bool AdvancedMode() const override { return advanced; }
    void SetAdvancedMode(bool a) override { advanced = a; }
    bool InstallationDone() const override { return done; }
    void SetInstallationDone(bool d) override { done = d; }
    std::wstring InstallFolder() const override
    {
        if (failInstallFolder != 0)
            throw std::system_error(failInstallFolder, std::system_category());
        return installFolder;
    }
    void SetInstallFolder(const std::wstring& f) override { installFolder = f; }
    std::wstring StartMenuFolder() const override { return startMenuFolder; }
    void SetStartMenuFolder(const std::wstring& f) override { startMenuFolder = f; }
    bool StartMenuShortcut() const override { return startMenu; }
    void SetStartMenuShortcut(bool c) override { startMenu = c; }
    bool DesktopShortcut() const override { return desktop; }
    void SetDesktopShortcut(bool c) override { desktop = c; }
    void LanguageSelected(int index) override
    {
        if (failLanguageSelected != 0)
            throw std::system_error(failLanguageSelected, std::system_category());
        SetLanguage(index);
        if (!IsInstallerLanguage(index)) {
            ++untranslatedNotices;  // message 129 in the program
            SetLanguage(1);
        }
    }
    bool RunInstallation(InstallDisplay& page) override
    {
        if (!run) {
            ADD_FAILURE() << "an installation run was started without one set";
            return false;
        }
        return run(page);
    }
};

std::wstring TextOf(HWND window)
{
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(window, buffer, 1024);
    return buffer;
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(nullptr));
        ASSERT_NE(frame.m_hWnd, nullptr);
    }
    std::wstring Item(int page, int id) const { return TextOf(::GetDlgItem(frame.Page(page)->m_hWnd, id)); }
    std::wstring Button(int id) const { return TextOf(::GetDlgItem(frame.m_hWnd, id)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(frame.m_hWnd, id)) != FALSE; }
    void Click(int id) const
    {
        ::SendMessageW(frame.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
            reinterpret_cast<LPARAM>(::GetDlgItem(frame.m_hWnd, id)));
    }
    void ChooseLanguage(int index) const
    {
        const HWND page = frame.Page(kPageStart)->m_hWnd;
        const HWND list = ::GetDlgItem(page, 1023);
        const int count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int position = 0; position < count; ++position) {
            COMBOBOXEXITEMW item {};
            item.mask = CBEIF_LPARAM;
            item.iItem = position;
            ::SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            if (item.lParam == index) {
                ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
                ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1023, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
                return;
            }
        }
        ADD_FAILURE() << "language " << index << " not listed";
    }
    int SelectedLanguage() const
    {
        const HWND list = ::GetDlgItem(frame.Page(kPageStart)->m_hWnd, 1023);
        const int position = static_cast<int>(::SendMessageW(list, CB_GETCURSEL, 0, 0));
        COMBOBOXEXITEMW item {};
        item.mask = CBEIF_LPARAM;
        item.iItem = position;
        if (position < 0 || !::SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
            return -1;
        return static_cast<int>(item.lParam);
    }

    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    FakeApp app;
    CInstallDlg frame {app};
};

TEST_F(Frame, EveryPageFillsTheSamePlaceAndTheFrameGrows)
{
    RECT first {};
    for (int page = 0; page < kPageCount; ++page) {
        RECT r {};
        ::GetWindowRect(frame.Page(page)->m_hWnd, &r);
        if (page == 0) {
            first = r;
        } else {
            EXPECT_TRUE(::EqualRect(&r, &first)) << "page " << page;
        }
    }
    // The widest page (Mode, 279 units) is wider than the template's page
    // area (209 units): the buttons sit at its right edge, below it.
    RECT next {};
    ::GetWindowRect(::GetDlgItem(frame.m_hWnd, kIdNext), &next);
    RECT cancel {};
    ::GetWindowRect(::GetDlgItem(frame.m_hWnd, wizard::kIdCancel), &cancel);
    EXPECT_GE(cancel.left, next.right);
    EXPECT_GE(next.top, first.bottom);
    RECT banner {};
    ::GetWindowRect(::GetDlgItem(frame.m_hWnd, 1005), &banner);
    EXPECT_EQ(banner.right, first.left);
    RECT client {};
    ::GetClientRect(frame.m_hWnd, &client);
    ::MapWindowPoints(frame.m_hWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(client.right, first.right);
    EXPECT_EQ(client.top, first.top);
}

TEST_F(Frame, StartsOnTheStartPageInEnglish)
{
    EXPECT_EQ(frame.CurrentPage(), kPageStart);
    EXPECT_TRUE(::IsWindowVisible(frame.Page(kPageStart)->m_hWnd) || !::IsWindowVisible(frame.m_hWnd));
    EXPECT_EQ(TextOf(frame.m_hWnd), L"Installer \u2013 Korvaline 6.03g");
    EXPECT_EQ(Item(kPageStart, 1016), L"'Korvaline 6.03g' Installation.");
    EXPECT_EQ(Item(kPageStart, 1003), L"Click on 'Next' to continue.");
    EXPECT_EQ(Item(kPageStart, 1020), L"'Korvaline 6.03g' is protected by law.");
    EXPECT_EQ(Item(kPageStart, 1022), L"Select Installation Langage");
    EXPECT_EQ(Button(kIdNext), L"Next  >");
    EXPECT_EQ(Button(kIdBack), L"<  Back");
    EXPECT_EQ(Button(wizard::kIdCancel), L"Cancel");
    EXPECT_FALSE(Enabled(kIdBack));
    EXPECT_TRUE(Enabled(kIdNext));

    const HWND list = ::GetDlgItem(frame.Page(kPageStart)->m_hWnd, 1023);
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(SelectedLanguage(), 1);

    // The About entry of the system menu.
    wchar_t about[128] = {};
    ::GetMenuStringW(::GetSystemMenu(frame.m_hWnd, FALSE), kIdmAboutBox, about, 128, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"&About 'Installer'...");
}

TEST_F(Frame, FrenchRelabelsEveryPageAtOnce)
{
    ChooseLanguage(0);
    EXPECT_EQ(GetLanguageSettings().language, 0);
    EXPECT_EQ(TextOf(frame.m_hWnd), L"Installeur \u2013 Korvane 6.03g");
    EXPECT_EQ(Item(kPageStart, 1016), L"Installation de 'Korvane 6.03g'.");
    EXPECT_EQ(Item(kPageStart, 1003), L"Cliquez sur 'Suivant' pour continuer.");
    EXPECT_EQ(Item(kPageMode, 1018), L"Installation rapide (recommand\u00E9e)");
    EXPECT_EQ(Item(kPageFolder, 1009), L"S\u00E9lectionnez le dossier de 'Korvane'.");
    EXPECT_EQ(Item(kPageShortcut, 1010), L"Cr\u00E9er un raccourci sur le bureau.");
    EXPECT_EQ(Item(kPageInstall, 1003), L"Cliquez sur 'Installer' pour d\u00E9marrer l'installation.");
    EXPECT_EQ(Item(kPageEnd, 1003), L"Cliquez sur 'Quitter' pour quitter l'installeur.");
    EXPECT_EQ(Button(kIdNext), L"Suivant  >");
    EXPECT_EQ(Button(wizard::kIdCancel), L"Annuler");
    wchar_t about[128] = {};
    ::GetMenuStringW(::GetSystemMenu(frame.m_hWnd, FALSE), kIdmAboutBox, about, 128, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"&\u00C0 propos de 'Installeur'...");
}

TEST_F(Frame, GreekKeepsEnglishTextsAndTheChoice)
{
    ChooseLanguage(14);
    EXPECT_EQ(app.untranslatedNotices, 1);
    EXPECT_EQ(GetLanguageSettings().language, 1);
    EXPECT_EQ(SelectedLanguage(), 14);
    EXPECT_EQ(Item(kPageStart, 1016), L"'Korvaline 6.03g' Installation.");
    EXPECT_EQ(Button(kIdNext), L"Next  >");
}

TEST_F(Frame, QuickInstallationWithFailedThenSuccessfulRun)
{
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageMode);
    EXPECT_EQ(::IsDlgButtonChecked(frame.Page(kPageMode)->m_hWnd, 1018), BST_CHECKED);
    Click(kIdNext);
    ASSERT_EQ(frame.CurrentPage(), kPageInstall);
    EXPECT_EQ(Button(kIdNext), L"Install");

    auto* install = static_cast<CDlgInstall*>(frame.Page(kPageInstall));
    const std::wstring log = install->LogText();
    EXPECT_EQ(log.rfind(L"'Korvaline 6.03g' Installation.\r\n-", 0), 0u) << std::string(log.begin(), log.end());
    EXPECT_NE(log.find(L"- Installation Options -"), std::wstring::npos);
    EXPECT_NE(log.find(L"Installation Folder: \"C:\\Program Files\\Arvell & Divizere\\Korvaline 6\".\r\n"),
        std::wstring::npos);
    EXPECT_NE(log.find(L"Creating a Shortcut on the Desktop.\r\n"), std::wstring::npos);

    // A failed run: its status stays, and Install is offered again.
    messages.table()[2121] = L"Installation failed (Error Code %1).";
    app.run = [](InstallDisplay& display) {
        display.SetStatus(Message(msg::InstallationFailed, {L"7"}));
        return false;
    };
    Click(kIdNext);
    EXPECT_FALSE(app.done);
    EXPECT_EQ(Item(kPageInstall, 1003), L"Installation failed (Error Code 7).");
    EXPECT_EQ(Button(kIdNext), L"Install");
    EXPECT_TRUE(Enabled(kIdBack));
    EXPECT_TRUE(Enabled(wizard::kIdCancel));

    bool buttonsWereDisabled = false;
    app.run = [&](InstallDisplay& display) {
        buttonsWereDisabled = !Enabled(kIdBack) && !Enabled(kIdNext) && !Enabled(wizard::kIdCancel);
        display.ShowProgress(true);
        display.SetProgress(999'999, 1'000'000);
        display.AppendLogLine(L"", true);
        display.AppendLogLine(L"Copying File  Korvane.exe...OK\r\n", false);
        display.PumpMessages();
        return true;
    };
    Click(kIdNext);
    EXPECT_TRUE(buttonsWereDisabled);
    EXPECT_TRUE(app.done);
    EXPECT_EQ(install->ProgressPos(), 99);
    EXPECT_NE(install->LogText().find(L"Copying File  Korvane.exe...OK\r\n"), std::wstring::npos);
    EXPECT_EQ(Button(kIdNext), L"Next  >");
    EXPECT_EQ(Button(wizard::kIdCancel), L"Exit");
    EXPECT_FALSE(Enabled(kIdBack));

    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageEnd);
    EXPECT_EQ(Item(kPageEnd, 1016), L"Installation is complete.");
    EXPECT_TRUE(Enabled(kIdBack));
    EXPECT_FALSE(Enabled(kIdNext));
    Click(kIdBack);
    EXPECT_EQ(frame.CurrentPage(), kPageInstall);
    EXPECT_NE(install->LogText().find(L"Copying File"), std::wstring::npos);  // the run's log stays
}

TEST_F(Frame, AdvancedModeShowsFolderAndShortcutPages)
{
    Click(kIdNext);
    ::CheckRadioButton(frame.Page(kPageMode)->m_hWnd, 1018, 1019, 1019);
    Click(kIdNext);
    ASSERT_EQ(frame.CurrentPage(), kPageFolder);
    const HWND edit = ::GetDlgItem(frame.Page(kPageFolder)->m_hWnd, 1007);
    EXPECT_EQ(TextOf(edit), app.installFolder);
    ::SetWindowTextW(edit, L"D:\\Apps\\Korvaline 6");
    Click(kIdNext);
    ASSERT_EQ(frame.CurrentPage(), kPageShortcut);
    EXPECT_EQ(app.installFolder, L"D:\\Apps\\Korvaline 6");
    const HWND page = frame.Page(kPageShortcut)->m_hWnd;
    EXPECT_EQ(::IsDlgButtonChecked(page, 1011), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(page, 1010), BST_CHECKED);
    // Clearing the start-menu box disables its folder and Browse button.
    ::CheckDlgButton(page, 1011, BST_UNCHECKED);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, 1011)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, 1007)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, 1006)));
    const std::wstring folderBefore = app.startMenuFolder;
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageInstall);
    EXPECT_FALSE(app.startMenu);
    EXPECT_EQ(app.startMenuFolder, folderBefore);
    // Back to quick mode: the Folder page is skipped, its value stays.
    Click(kIdBack);
    Click(kIdBack);
    Click(kIdBack);
    ASSERT_EQ(frame.CurrentPage(), kPageMode);
    ::CheckRadioButton(frame.Page(kPageMode)->m_hWnd, 1018, 1019, 1018);
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageInstall);
    EXPECT_EQ(app.installFolder, L"D:\\Apps\\Korvaline 6");
}

// Message boxes answered for the user, and recorded.
class AnsweredBoxes {
public:
    explicit AnsweredBoxes(int answer)
    {
        SetMessageBoxFunction([this, answer](const std::wstring& text, std::uint32_t type) {
            texts.push_back(text);
            types.push_back(type);
            return answer;
        });
    }
    ~AnsweredBoxes() { SetMessageBoxFunction({}); }
    std::vector<std::wstring> texts;
    std::vector<std::uint32_t> types;
};

TEST_F(Frame, FolderLongerThan260CharactersKeepsThePage)
{
    AnsweredBoxes boxes(IDOK);
    app.advanced = true;
    Click(kIdNext);
    Click(kIdNext);
    ASSERT_EQ(frame.CurrentPage(), kPageFolder);
    const HWND edit = ::GetDlgItem(frame.Page(kPageFolder)->m_hWnd, 1007);
    // The edit itself takes no more than 260 characters from the keyboard.
    EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 260);
    ::SendMessageW(edit, EM_SETLIMITTEXT, 1000, 0);
    const std::wstring tooLong = L"D:\\" + std::wstring(258, L'a');
    ::SetWindowTextW(edit, tooLong.c_str());
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageFolder);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find(L"260"), std::wstring::npos);
    EXPECT_NE(app.installFolder, tooLong);

    const std::wstring longest = tooLong.substr(0, 260);
    ::SetWindowTextW(edit, longest.c_str());
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageShortcut);
    EXPECT_EQ(app.installFolder, longest);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(Frame, CancelAsksAndNoStays)
{
    Click(kIdNext);
    {
        AnsweredBoxes no(IDNO);
        Click(wizard::kIdCancel);
        ASSERT_EQ(no.texts.size(), 1u);
        EXPECT_EQ(no.texts[0], L"Installation is not complete.\r\n\r\nDo you still confirm exit Installation ?");
        EXPECT_EQ(no.types[0], static_cast<std::uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(frame.CurrentPage(), kPageMode);
    }
    AnsweredBoxes yes(IDYES);
    ::ShowWindow(frame.m_hWnd, SW_SHOW);
    Click(wizard::kIdCancel);
    EXPECT_EQ(yes.texts.size(), 1u);
    EXPECT_FALSE(::IsWindowVisible(frame.m_hWnd));  // ended (a window without modal loop hides)
}

TEST_F(Frame, MaximizingKeepsTheGeometry)
{
    RECT window {};
    ::GetWindowRect(frame.m_hWnd, &window);
    MINMAXINFO info {};
    info.ptMaxSize = {5000, 5000};
    ::SendMessageW(frame.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, window.right - window.left);
    EXPECT_EQ(info.ptMaxSize.y, window.bottom - window.top);
    EXPECT_EQ(info.ptMaxPosition.x, window.left);
    EXPECT_EQ(info.ptMaxPosition.y, window.top);
    // Neither Maximize nor Size is offered.
    const HMENU menu = ::GetSystemMenu(frame.m_hWnd, FALSE);
    EXPECT_EQ(::GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(Frame, AboutBoxTexts)
{
    // Opened without its modal loop, to read it.
    CAboutDlg about(app);
    ASSERT_TRUE(about.Create(frame.m_hWnd));
    EXPECT_EQ(TextOf(about.m_hWnd), L"About 'Installer'");
    EXPECT_EQ(TextOf(::GetDlgItem(about.m_hWnd, IDOK)), L"OK");
    // The test program has no version block: the template's texts stay.
    EXPECT_EQ(TextOf(::GetDlgItem(about.m_hWnd, 1019)), L"Install");
    EXPECT_FALSE(TextOf(::GetDlgItem(about.m_hWnd, 1020)).empty());
}

TEST_F(Frame, NewerVersionOffersOnlyCancel)
{
    FakeApp newer;
    newer.updateState = NewerInstalled;
    newer.previous = L"Korvaline 6.10";
    CInstallDlg other(newer);
    ASSERT_TRUE(other.Create(nullptr));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(other.m_hWnd, kIdNext)));
    EXPECT_EQ(TextOf(::GetDlgItem(other.Page(kPageStart)->m_hWnd, 1003)), L"Click on 'Cancel' to exit Installation.");
}

// Boxes as the support library shows them, recorded at the system box and
// answered with OK.
class SystemBoxes {
public:
    SystemBoxes()
    {
        av::details::set_message_box_function(
            [this](av::window_handle, const wchar_t* text, const wchar_t* caption, std::uint32_t type) {
                texts.push_back(text);
                captions.push_back(caption != nullptr ? caption : L"<none>");
                types.push_back(type);
                return IDOK;
            });
    }
    ~SystemBoxes() { av::details::set_message_box_function({}); }
    SystemBoxes(const SystemBoxes&) = delete;
    SystemBoxes& operator=(const SystemBoxes&) = delete;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;
    std::vector<std::uint32_t> types;
};

TEST_F(Frame, AnExceptionInAHandlerBecomesTheErrorBoxAndTheWizardGoesOn)
{
    SystemBoxes boxes;
    app.failLanguageSelected = ERROR_ACCESS_DENIED;
    ChooseLanguage(0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], av::system_message(ERROR_ACCESS_DENIED));
    EXPECT_EQ(boxes.types[0] & MB_ICONMASK, static_cast<std::uint32_t>(MB_ICONEXCLAMATION));
    // The frame is still there and answers.
    ASSERT_TRUE(::IsWindow(frame.m_hWnd));
    EXPECT_EQ(frame.CurrentPage(), kPageStart);
    app.failLanguageSelected = 0;
    Click(kIdNext);
    EXPECT_EQ(frame.CurrentPage(), kPageMode);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(Frame, AHandlerFailingWhileTheRunPumpsIsToldAndTheRunGoesOn)
{
    SystemBoxes boxes;
    // A handler reached through the run's message pump fails: it is told,
    // and the run goes on.
    const HWND page = frame.Page(kPageStart)->m_hWnd;
    app.run = [&](InstallDisplay& display) {
        ::PostMessageW(
            page, WM_COMMAND, MAKEWPARAM(1023, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(page, 1023)));
        app.failLanguageSelected = ERROR_NOT_ENOUGH_MEMORY;
        display.PumpMessages();
        app.failLanguageSelected = 0;
        return true;
    };
    Click(kIdNext);
    Click(kIdNext);
    ASSERT_EQ(frame.CurrentPage(), kPageInstall);
    Click(kIdNext);
    EXPECT_TRUE(app.done);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], av::system_message(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(FramePages, APageThatCannotBeCreatedEndsTheWizardWithItsReason)
{
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    SystemBoxes boxes;
    FakeApp broken;
    broken.failInstallFolder = ERROR_FILE_NOT_FOUND;  // the Folder page cannot load its folder
    CInstallDlg modal(broken);
    EXPECT_EQ(modal.DoModal(), -1);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], av::system_message(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(modal.m_hWnd, nullptr);

    // Created without its modal loop, it tells its creator instead.
    CInstallDlg modeless(broken);
    EXPECT_FALSE(modeless.Create(nullptr));
    EXPECT_EQ(modeless.m_hWnd, nullptr);
    EXPECT_EQ(modeless.LastCreateError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(FramePages, ADialogWithoutTemplateIsNotCreated)
{
    afx::CDialog missing(4321);
    EXPECT_FALSE(missing.Create(nullptr));
    EXPECT_EQ(missing.m_hWnd, nullptr);
    EXPECT_NE(missing.LastCreateError(), 0u);
}

TEST_F(Frame, DestroyedWindowsAreForgotten)
{
    const HWND folderPage = frame.Page(kPageFolder)->m_hWnd;
    ASSERT_NE(folderPage, nullptr);
    ::DestroyWindow(frame.m_hWnd);
    EXPECT_FALSE(::IsWindow(folderPage));
    EXPECT_EQ(frame.m_hWnd, nullptr);
    for (int page = 0; page < kPageCount; ++page)
        EXPECT_EQ(frame.Page(page)->m_hWnd, nullptr) << page;
}

// What the mouse over the log box would make of the cursor.
HCURSOR CursorOverLogOf(const CDlgInstall& page)
{
    const HWND log = ::GetDlgItem(page.m_hWnd, 1015);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::SendMessageW(log, WM_SETCURSOR, reinterpret_cast<WPARAM>(log), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}
HCURSOR CursorOverLog(const CInstallDlg& frame)
{
    return CursorOverLogOf(*static_cast<const CDlgInstall*>(frame.Page(kPageInstall)));
}

TEST_F(Frame, TheWaitCursorStaysUntilTheRunReturns)
{
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    EXPECT_NE(CursorOverLog(frame), wait);
    HCURSOR duringRun = nullptr;
    app.run = [&](InstallDisplay& display) {
        display.PumpMessages();
        duringRun = CursorOverLog(frame);  // the mouse moved over the log
        return true;
    };
    Click(kIdNext);
    Click(kIdNext);
    Click(kIdNext);
    EXPECT_TRUE(app.done);
    EXPECT_EQ(duringRun, wait);
    EXPECT_NE(CursorOverLog(frame), wait);
}

// Sets the work area for the test's life and puts the old one back.
class ScopedWorkArea {
public:
    explicit ScopedWorkArea(const RECT& area)
    {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_old, 0);
        RECT wanted = area;
        m_set = ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &wanted, 0) != FALSE;
    }
    ~ScopedWorkArea()
    {
        if (m_set)
            ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &m_old, 0);
    }
    ScopedWorkArea(const ScopedWorkArea&) = delete;
    ScopedWorkArea& operator=(const ScopedWorkArea&) = delete;
    bool Set() const { return m_set; }

private:
    RECT m_old {};
    bool m_set = false;
};

TEST_F(Frame, MaximizingKeepsTheGeometryWithATaskBarAtTheTopLeft)
{
    // A task bar 40 pixels high at the top and 60 wide at the left.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const ScopedWorkArea area(RECT {60, 40, width, height});
    ASSERT_TRUE(area.Set());
    RECT work {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_EQ(work.left, 60);
    ASSERT_EQ(work.top, 40);

    ::SetWindowPos(frame.m_hWnd, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT before {};
    ::GetWindowRect(frame.m_hWnd, &before);
    ASSERT_EQ(before.left, 150);

    // Minimized, the frame knows its normal place only from its placement.
    // (Wine keeps that placement in screen coordinates and its monitors'
    // work areas do not follow SPI_SETWORKAREA, so here both readings agree;
    // the FrameGeometry tests hold the work-area rule of Windows itself.)
    ::ShowWindow(frame.m_hWnd, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(frame.m_hWnd));
    MINMAXINFO info {};
    ::SendMessageW(frame.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxPosition.x, before.left);
    EXPECT_EQ(info.ptMaxPosition.y, before.top);
    EXPECT_EQ(info.ptMaxSize.x, before.right - before.left);
    EXPECT_EQ(info.ptMaxSize.y, before.bottom - before.top);

    ::ShowWindow(frame.m_hWnd, SW_MAXIMIZE);
    RECT after {};
    ::GetWindowRect(frame.m_hWnd, &after);
    EXPECT_TRUE(::EqualRect(&before, &after))
        << after.left << "," << after.top << " instead of " << before.left << "," << before.top;
    ::ShowWindow(frame.m_hWnd, SW_HIDE);
}

TEST(ProgressWindow, ShowsTheRunAndClosesItselfAtTheEnd)
{
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    FakeApp app;
    bool shown = false;
    std::wstring summary;
    HCURSOR cursor = nullptr;
    CProgressDlg* window = nullptr;
    CProgressDlg progress(app, [&](InstallDisplay& display) {
        shown = ::IsWindowVisible(window->m_hWnd) != FALSE;
        summary = window->Page().LogText();
        display.ShowProgress(true);
        display.SetProgress(1, 2);
        display.AppendLogLine(L"Copying File  Korvane.exe...OK\r\n", false);
        display.PumpMessages();
        cursor = CursorOverLogOf(window->Page());
        return true;
    });
    window = &progress;
    EXPECT_EQ(progress.DoModal(), IDOK);
    EXPECT_TRUE(progress.Started());
    EXPECT_TRUE(progress.Installed());
    EXPECT_TRUE(app.done);
    EXPECT_TRUE(shown);
    // The Install page's option summary comes first, as in the wizard.
    EXPECT_EQ(summary.rfind(L"'Korvaline 6.03g' Installation.\r\n", 0), 0u);
    EXPECT_EQ(cursor, ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(progress.m_hWnd, nullptr);  // closed by itself
}

TEST(ProgressWindow, AFailedRunClosesItToo)
{
    test::ScopedMessageTable messages {test::WizardMessages()};
    test::ScopedLanguage english {1};
    FakeApp app;
    CProgressDlg progress(app, [](InstallDisplay& display) {
        display.SetStatus(L"Installation failed (Error Code 7).");
        return false;
    });
    EXPECT_EQ(progress.DoModal(), IDCANCEL);
    EXPECT_TRUE(progress.Started());
    EXPECT_FALSE(progress.Installed());
    EXPECT_FALSE(app.done);
}

}  // namespace
