// The known folders of Windows: SHGetFolderPathW, owned by the window a box
// of the installer would be owned by, and GetTempPathW.
#include "platform/known_folders.h"

#include "platform/file_system.h"
#include "platform/win_error.h"
#include "support/ui_hooks.h"

#include <windows.h>
#include <shlobj.h>

namespace av::platform {
namespace {

class win32_known_folders final : public known_folders {
public:
    std::error_code folder(int csidl, std::wstring& path) override
    {
        wchar_t buffer[MAX_PATH] = {};
        // Whatever the call answers, only an absolute text is a folder.
        ::SHGetFolderPathW(static_cast<HWND>(default_owner_window()), csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
        if (!is_absolute_path(buffer))
            return win_error::make(win_error::file_not_found);
        path = buffer;
        return {};
    }

    std::error_code temp_folder(std::wstring& path) override
    {
        wchar_t buffer[MAX_PATH] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
        if (length == 0) {
            const DWORD code = ::GetLastError();
            return win_error::make(code == 0 ? win_error::path_not_found : static_cast<int>(code));
        }
        if (length >= MAX_PATH)
            return win_error::make(win_error::filename_too_long);
        path.assign(buffer, length);
        return {};
    }
};

}  // namespace

known_folders& system_known_folders()
{
    static win32_known_folders instance;
    return instance;
}

}  // namespace av::platform
