// The interface hooks of the Linux build: a caption from the application
// name, no icon and no owner windows.
#include <cstdlib>
#include <cstdio>

#include "app/system.h"
#include "app/ui_adapter.h"
#include "framework/application.h"

av::icon_handle ApplicationIcon()
{
    return nullptr;
}

void InstallInterfaceHooks()
{
    av::ui_hooks& hooks = av::ui_hooks::instance();
    hooks.title = [] {
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pszAppName != nullptr)
            return std::wstring(app->m_pszAppName);
        return app_system::ExecutableBaseName();
    };
    hooks.icon = []() -> av::icon_handle { return nullptr; };
    hooks.owner = [] { return av::modal_owner {}; };
}

void ExitIncompatibleProcessor(const wchar_t* text)
{
    std::fprintf(stderr, "%ls\n", text);
    std::_Exit(1);
}
