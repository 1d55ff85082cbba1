// Win32 half of the known folders: SHGetFolderPathW, owned by the installer's
// current top-level window.
#include "payload/folders.h"

#include <windows.h>
#include <shlobj.h>

namespace av {
namespace {

BOOL CALLBACK first_window(HWND window, LPARAM found)
{
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The root owner of the thread's active window (else of its first window),
// taken at its last active pop-up; may be none.
HWND current_top_level_window()
{
    HWND window = GetActiveWindow();
    if (window == nullptr)
        EnumThreadWindows(GetCurrentThreadId(), first_window, reinterpret_cast<LPARAM>(&window));
    if (window == nullptr)
        return nullptr;
    HWND root = GetAncestor(window, GA_ROOTOWNER);
    if (root == nullptr)
        root = window;
    return GetLastActivePopup(root);
}

}  // namespace

void set_native_folder_root(const std::wstring&)
{
    // Windows asks the shell; there is no native root.
}

std::wstring shell_folder_path(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    // The call's result is not used: an empty text means "not available".
    SHGetFolderPathW(current_top_level_window(), csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return buffer;
}

}  // namespace av
