// Win32 half of the known folders: SHGetFolderPathW, owned by the window
// that owns what the installer shows (default_owner_window).
#include "payload/folders.h"

#include <windows.h>
#include <shlobj.h>

#include "support/ui_hooks.h"

namespace av {

void set_native_folder_root(const std::wstring&)
{
    // Windows asks the shell; there is no native root.
}

std::wstring shell_folder_path(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    // The call's result is not used: an empty text means "not available".
    SHGetFolderPathW(static_cast<HWND>(default_owner_window()), csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return buffer;
}

}  // namespace av
