// The wizard frame's stand-in: a plain top-level window titled with the
// application name and showing the installer's icon, made the main window
// and run modally until it is closed.
#include "app/wizard_frame.h"

#include <windows.h>

#include "app/install_app.h"
#include "support/ui_hooks.h"

namespace {

constexpr wchar_t kFrameClass[] = L"AvInstallFrame";

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RunWizardFrame(CInstallApp& app) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto& iconHook = av::ui_hooks::instance().icon;
    const HICON icon = iconHook ? static_cast<HICON>(iconHook()) : nullptr;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = FrameProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFrameClass;
    RegisterClassExW(&windowClass);

    const HWND frame = CreateWindowExW(0, kFrameClass, app.m_pszAppName != nullptr ? app.m_pszAppName : L"",
                                       WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, 560, 420, nullptr, nullptr, instance, nullptr);
    if (frame == nullptr) return;
    app.m_pMainWnd = frame;
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    app.m_pMainWnd = nullptr;
    UnregisterClassW(kFrameClass, instance);
}
