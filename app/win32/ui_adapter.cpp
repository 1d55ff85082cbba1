// The interface hooks over plain Win32.
#include "app/ui_adapter.h"

#include <windows.h>

#include "app/framework.h"
#include "app/system.h"
#include "support/version_info.h"

namespace {

constexpr WORD kApplicationIconId = 128;

// The framework's safe owner of a modal box: the last active popup of the
// main window's (else the active window's) top-level window; that top-level
// window is disabled for the box's duration when the owner is another window.
av::modal_owner SafeOwner() {
    HWND window = nullptr;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr)
        window = static_cast<HWND>(app->m_pMainWnd);
    if (window == nullptr) window = GetActiveWindow();
    if (window == nullptr || !IsWindow(window)) return {};
    const HWND top = GetAncestor(window, GA_ROOT);
    const HWND owner = GetLastActivePopup(top != nullptr ? top : window);
    av::modal_owner result{owner, nullptr};
    if (top != nullptr && top != owner && IsWindowEnabled(top)) {
        EnableWindow(top, FALSE);
        result.disabled = top;
    }
    return result;
}

}  // namespace

av::icon_handle ApplicationIcon() {
    static const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIconId),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR);
    return icon;
}

void InstallInterfaceHooks() {
    av::ui_hooks& hooks = av::ui_hooks::instance();
    hooks.title = [] {
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pszAppName != nullptr)
            return std::wstring(app->m_pszAppName);
        std::wstring title = av::version_info::from_module().display_version();
        return title.empty() ? app_system::ExecutableBaseName() : title;
    };
    hooks.icon = []() -> av::icon_handle { return LoadIconW(nullptr, IDI_APPLICATION); };
    hooks.owner = [] { return SafeOwner(); };
}

void ExitIncompatibleProcessor(const wchar_t* text) {
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(1);
}
