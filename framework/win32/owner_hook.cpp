// The support library's `owner` hook, answered by the framework's safe owner.
#include "framework/win32/framework.h"
#include "support/ui_hooks.h"

namespace afx {

void InstallOwnerHook()
{
    av::ui_hooks::instance().owner = [] {
        HWND disabled = nullptr;
        const HWND owner = GetSafeOwner(nullptr, &disabled);
        return av::modal_owner {owner, disabled};
    };
}

}  // namespace afx
