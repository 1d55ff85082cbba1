// The folder picker under Wine: the shell's browser opened on a start path
// given as a bare drive, and the picker's error box.
#include "wizard/win32/folder_picker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error.h"
#include "support/ui_hooks.h"
#include "wizard/folder_rules.h"

namespace {

using namespace wizard;

// What the browser's edit box shows once it is open; the browser is then
// cancelled. Found from a timer of this thread, which the browser's modal
// loop dispatches.
struct BrowserWatch {
    static BrowserWatch* current;
    std::wstring editText;
    bool found = false;
    int ticks = 0;

    static BOOL CALLBACK FindEdit(HWND window, LPARAM data)
    {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (::lstrcmpiW(name, L"Edit") == 0) {
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindBrowser(HWND window, LPARAM data)
    {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        if (::lstrcmpW(name, L"#32770") == 0 && ::IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        BrowserWatch& watch = *current;
        HWND browser = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindBrowser, reinterpret_cast<LPARAM>(&browser));
        if (browser == nullptr && ++watch.ticks < 100)
            return;
        ::KillTimer(nullptr, id);
        if (browser == nullptr)
            return;
        HWND edit = nullptr;
        ::EnumChildWindows(browser, &FindEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit != nullptr) {
            wchar_t text[MAX_PATH] = {};
            ::GetWindowTextW(edit, text, MAX_PATH);
            watch.editText = text;
            watch.found = true;
        }
        ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    }
};
BrowserWatch* BrowserWatch::current = nullptr;

TEST(FolderPickerWindow, ABareDriveStartsAtItsRoot)
{
    BrowserWatch watch;
    BrowserWatch::current = &watch;
    ::SetTimer(nullptr, 0, 100, &BrowserWatch::Tick);
    FolderPicker picker;
    // "Z:" (Wine's drive of the host's root) is not a relative path: the
    // browser starts on "Z:\" and proposes the product's folder below it.
    EXPECT_FALSE(picker.Browse(L"Z:", L"Korvaline 6", L"Select", nullptr));  // cancelled
    BrowserWatch::current = nullptr;
    ASSERT_TRUE(watch.found) << "the browser did not open";
    EXPECT_EQ(watch.editText, L"Z:\\Korvaline 6");
}

TEST(FolderPickerWindow, ErrorBoxIsTheSystemErrorBox)
{
    struct Box {
        std::wstring text;
        bool captioned;
        std::uint32_t type;
    };
    std::vector<Box> boxes;
    av::details::set_message_box_function(
        [&boxes](av::window_handle, const wchar_t* text, const wchar_t* caption, std::uint32_t type) {
            boxes.push_back({text, caption != nullptr, type});
            return IDOK;
        });
    ShowPickerError(nullptr, kErrorBadPathname);
    ShowPickerError(nullptr, 0x20001234u);  // a code without a system text
    av::details::set_message_box_function({});
    ASSERT_EQ(boxes.size(), 2u);
    // The system's text without its line end, no caption of our own, the
    // warning icon.
    EXPECT_EQ(boxes[0].text, av::system_message(kErrorBadPathname));
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_NE(boxes[0].text.back(), L'\n');
    EXPECT_FALSE(boxes[0].captioned);
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<std::uint32_t>(MB_ICONWARNING));
    // The text of E_FAIL stands in for a code the system has no text for.
    EXPECT_EQ(boxes[1].text, av::system_message(av::e_fail));
}

}  // namespace
