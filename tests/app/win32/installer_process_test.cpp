// The installer as a process under Wine: it starts, passes its checks and
// opens its window titled for the user's language; a second copy ends with
// the system's text for ERROR_BUSY; a running product holds it at message
// 127 until the product ends. Install.exe lies next to the test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "tests/app/win32/child_process.h"

namespace {

// The wizard frame is a dialog holding its pages (child dialogs); a
// message box is a dialog without any.
enum class Kind { Frame, Box };

struct WindowSearch {
    DWORD process;
    Kind kind;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770")
        return TRUE;
    const bool hasPages = FindWindowExW(window, nullptr, L"#32770", nullptr) != nullptr;
    if (hasPages != (search->kind == Kind::Frame))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible top-level window of `process` of that kind, waited for.
HWND WaitForWindow(test::ChildProcess& process, Kind kind, DWORD milliseconds = 30000)
{
    for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
        WindowSearch search {process.id(), kind, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        if (WaitForSingleObject(process.handle(), 100) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// The text of a message box: its static control.
std::wstring BoxText(HWND box)
{
    HWND control = GetDlgItem(box, 0xFFFF);
    return control != nullptr ? WindowText(control) : std::wstring();
}

std::wstring SystemText(DWORD code)
{
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = buffer != nullptr ? buffer : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

bool FrenchUser()
{
    return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_FRENCH;
}

std::wstring CloseProductText()
{
    return FrenchUser() ? L"Vous devez fermer 'Korvane' avant de poursuivre l'installation."
                        : L"You should close 'Korvaline' before continuing Installation.";
}

std::wstring Title()
{
    return FrenchUser() ? L"Installeur \u2013 Korvane 6.03g" : L"Installer \u2013 Korvaline 6.03g";
}

// Presses a button of a message box, and waits until the box is gone.
void Press(HWND box, int button)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(100);
}

// Closes the wizard: the frame asks for confirmation (message 110) before a
// fresh installation is left; the answer is Yes.
void CloseWizard(test::ChildProcess& installer, HWND frame)
{
    PostMessageW(frame, WM_CLOSE, 0, 0);
    const HWND confirmation = WaitForWindow(installer, Kind::Box);
    ASSERT_NE(confirmation, nullptr);
    Press(confirmation, IDYES);
}

// Wine takes the user's locale from LC_ALL or LANG when the program starts;
// the test program's children get the same. The build runs this test once
// with the locale it was given and once with LC_ALL=fr_FR.UTF-8.
TEST(InstallerProcess, TitleFollowsTheUsersLanguage)
{
    // Started for a French user, the system must say so (else nothing here
    // would test the French title).
    const char* requested = std::getenv("LC_ALL");
    if (requested != nullptr && std::string(requested).rfind("fr_", 0) == 0) {
        ASSERT_TRUE(FrenchUser());
    }
    test::ChildProcess installer(L"Install.exe", L"");
    const HWND frame = WaitForWindow(installer, Kind::Frame);
    ASSERT_NE(frame, nullptr) << "exit code " << installer.Wait(0);
    EXPECT_EQ(WindowText(frame), Title());
    CloseWizard(installer, frame);
    EXPECT_EQ(installer.Wait(), 0u);
}

// The language recorded by a previous run, in the product's uninstall key.
class StoredLanguage {
public:
    explicit StoredLanguage(DWORD language)
    {
        DWORD disposition = 0;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, &disposition);
        created_ = disposition == REG_CREATED_NEW_KEY;
        RegSetValueExW(key_, L"AvLanguage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&language), sizeof(language));
    }
    ~StoredLanguage()
    {
        RegDeleteValueW(key_, L"AvLanguage");
        RegCloseKey(key_);
        if (created_)
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
    }
    StoredLanguage(const StoredLanguage&) = delete;
    StoredLanguage& operator=(const StoredLanguage&) = delete;
    bool stored() const { return key_ != nullptr; }

private:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane 6";
    HKEY key_ = nullptr;
    bool created_ = false;
};

TEST(InstallerProcess, StoredLanguageOfTheLastRun)
{
    if (FrenchUser())
        GTEST_SKIP() << "written for a user whose language is not French";
    struct Case {
        DWORD stored;
        const wchar_t* title;
    } cases[] = {
        {11, L"Programma di installazione \u2013 Korvaline 6.03g"},  // Italian
        {0, L"Installeur \u2013 Korvane 6.03g"},  // French
        {5, L"Installer \u2013 Korvaline 6.03g"},  // Dutch: no texts, English
        {18, L"Installer \u2013 Korvaline 6.03g"},  // Japanese: ignored
    };
    for (const Case& c : cases) {
        StoredLanguage language(c.stored);
        ASSERT_TRUE(language.stored());
        test::ChildProcess installer(L"Install.exe", L"");
        const HWND frame = WaitForWindow(installer, Kind::Frame);
        ASSERT_NE(frame, nullptr) << c.stored;
        EXPECT_EQ(WindowText(frame), c.title) << c.stored;
        CloseWizard(installer, frame);
        EXPECT_EQ(installer.Wait(), 0u);
    }
}

TEST(InstallerProcess, SecondCopyEndsWithTheBusyTextAndChangesNothing)
{
    test::ChildProcess first(L"Install.exe", L"");
    const HWND frame = WaitForWindow(first, Kind::Frame);
    ASSERT_NE(frame, nullptr);

    test::ChildProcess second(L"Install.exe", L"");
    const HWND box = WaitForWindow(second, Kind::Box);
    ASSERT_NE(box, nullptr) << "exit code " << second.Wait(0);
    EXPECT_EQ(BoxText(box), SystemText(ERROR_BUSY));
    EXPECT_EQ(WaitForWindow(second, Kind::Frame, 0), nullptr);
    Press(box, IDOK);
    EXPECT_EQ(second.Wait(), 0u);

    // The first installer still runs with its window and its mutex.
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));
    test::ChildProcess third(L"hold_named_object.exe", L"trylock " + InstallerMutexName(L"Korvane6"));
    EXPECT_EQ(third.Wait(), 1u);
    CloseWizard(first, frame);
    EXPECT_EQ(first.Wait(), 0u);
}

TEST(InstallerProcess, RunningProductHoldsTheInstallerAtMessage127)
{
    auto product = std::make_unique<test::HeldObject>(L"counter", RunningCounterName(L"Korvane6"));
    ASSERT_TRUE(product->Ready());

    test::ChildProcess installer(L"Install.exe", L"");
    HWND box = WaitForWindow(installer, Kind::Box);
    ASSERT_NE(box, nullptr) << "exit code " << installer.Wait(0);
    EXPECT_EQ(BoxText(box), CloseProductText());
    EXPECT_EQ(WindowText(box), Title());
    EXPECT_NE(GetDlgItem(box, IDRETRY), nullptr);
    EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);

    // Retry while the product runs: asked again.
    Press(box, IDRETRY);
    box = WaitForWindow(installer, Kind::Box);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), CloseProductText());

    // Retry after the product ended: the installer goes on to its window.
    EXPECT_EQ(product->Finish(), 0u);
    product.reset();
    Press(box, IDRETRY);
    const HWND frame = WaitForWindow(installer, Kind::Frame);
    ASSERT_NE(frame, nullptr);
    CloseWizard(installer, frame);
    EXPECT_EQ(installer.Wait(), 0u);
}

TEST(InstallerProcess, CancelWhileTheProductRunsEndsTheInstaller)
{
    test::HeldObject product(L"counter", RunningCounterName(L"Korvane6"));
    ASSERT_TRUE(product.Ready());
    test::ChildProcess installer(L"Install.exe", L"");
    const HWND box = WaitForWindow(installer, Kind::Box);
    ASSERT_NE(box, nullptr);
    Press(box, IDCANCEL);
    EXPECT_EQ(installer.Wait(), 0u);
    // It gave back its own count: only the product's remains.
    RunningInstanceCounter counter(RunningCounterName(L"Korvane6"));
    EXPECT_EQ(counter.Holders(), 2u);
}

}  // namespace
