#include "install/shortcuts.h"

#include "payload/folders.h"
#include "support/win_path.h"
#include "uninstall/uninstall_log.h"

namespace {

constexpr std::size_t kMaxPath = 260;  // the shell's path buffers, terminator included

// The all-users desktop, else the user's (whatever the shell says of it).
std::wstring DesktopFolder()
{
    try {
        return av::known_folder_path(av::csidl::common_desktop, av::csidl::desktop_directory, true);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

bool create_shortcut(const std::wstring& target, const std::wstring& folder, const std::wstring* name,
                     std::wstring* linkPath)
{
    const std::size_t separator = target.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator + 1 == target.size())
        return false;
    // "C:\Korvane.exe" works in "C:\", as the shell's removal of a file name does.
    const bool at_root = separator == 2 && target[1] == L':';
    const std::wstring working_folder = target.substr(0, at_root ? separator + 1 : separator);

    std::wstring link_name;
    if (name != nullptr) {
        link_name = *name;
    } else {
        link_name = target.substr(separator + 1);
        const std::size_t dot = link_name.find_last_of(L'.');
        if (dot != std::wstring::npos && dot != 0)
            link_name.erase(dot);
    }
    if (link_name.empty())
        return false;

    const std::wstring link = winpath::PathJoin(folder, link_name) + L".lnk";
    if (link.size() >= kMaxPath)
        return false;
    if (!save_shell_link(link, target, working_folder))
        return false;
    if (linkPath != nullptr)
        *linkPath = link;
    return true;
}

bool create_shortcuts(UninstallLog& log, const ShortcutRequest& request)
{
    bool all_well = true;
    const auto make = [&](int selector, const std::wstring& folder, const std::wstring& target,
                          const std::wstring& name) {
        log.RecordShortcut(selector, folder);
        std::wstring link;
        if (create_shortcut(target, folder, &name, &link)) {
            log.Complete(true, link);
        } else {
            all_well = false;
            log.Complete(false);
        }
    };
    if (request.startMenu) {
        make(0, request.startMenuFolder, request.mainProgramPath, request.programName);
        make(1, request.startMenuFolder, request.uninstallerPath, request.uninstallName);
    }
    if (request.desktop) {
        make(2, DesktopFolder(), request.mainProgramPath, request.programName);
    }
    return all_well;
}
