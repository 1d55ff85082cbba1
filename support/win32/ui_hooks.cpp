// The Windows half of the message box: MessageBoxW, window styles and
// enabling, the default owner of a modal box and the executable's name.
#include "support/ui_hooks.h"

#include <windows.h>

namespace av::details {
namespace {

BOOL CALLBACK first_captioned_root(HWND window, LPARAM found)
{
    const HWND root = ::GetAncestor(window, GA_ROOTOWNER);
    if (root != nullptr && (::GetWindowLongW(root, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        *reinterpret_cast<HWND*>(found) = root;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int system_message_box(window_handle owner, const wchar_t* text, const wchar_t* caption, std::uint32_t type)
{
    return ::MessageBoxW(static_cast<HWND>(owner), text, caption, type);
}

bool has_layout_rtl(window_handle window)
{
    return (static_cast<DWORD>(::GetWindowLongW(static_cast<HWND>(window), GWL_EXSTYLE)) & WS_EX_LAYOUTRTL) != 0;
}

void enable_window(window_handle window)
{
    ::EnableWindow(static_cast<HWND>(window), TRUE);
}

std::wstring module_file_stem()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot != 0)
        name.resize(dot);
    return name;
}

}  // namespace av::details

namespace av {

window_handle default_owner_window()
{
    HWND owner = nullptr;
    if (const HWND active = ::GetActiveWindow(); active != nullptr)
        owner = ::GetAncestor(active, GA_ROOTOWNER);
    else
        ::EnumThreadWindows(::GetCurrentThreadId(), details::first_captioned_root, reinterpret_cast<LPARAM>(&owner));
    return owner != nullptr ? ::GetLastActivePopup(owner) : nullptr;
}

}  // namespace av
