// The interface hooks over plain Win32.
#include "app/ui_adapter.h"

#include <windows.h>

#include "app/system.h"
#include "framework/application.h"
#include "framework/win32/framework.h"
#include "support/version_info.h"

namespace {

constexpr WORD kApplicationIconId = 128;

}  // namespace

av::icon_handle ApplicationIcon()
{
    static const HANDLE icon =
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIconId), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR);
    return icon;
}

void InstallInterfaceHooks()
{
    av::ui_hooks& hooks = av::ui_hooks::instance();
    hooks.title = [] {
        // The wizard frame renames the application through the framework too.
        if (const std::wstring& name = afx::GetAppName(); !name.empty())
            return name;
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pszAppName != nullptr)
            return std::wstring(app->m_pszAppName);
        std::wstring title = av::version_info::from_module().display_version();
        return title.empty() ? app_system::ExecutableBaseName() : title;
    };
    hooks.icon = []() -> av::icon_handle { return LoadIconW(nullptr, IDI_APPLICATION); };
    afx::InstallOwnerHook();  // the framework's safe owner
}

void ExitIncompatibleProcessor(const wchar_t* text)
{
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(1);
}
