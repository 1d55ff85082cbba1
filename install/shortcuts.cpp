#include "install/shortcuts.h"

#include "support/win_path.h"
#include "uninstall/uninstall_log.h"

namespace {

using winpath::kMaxPath;

// The all-users desktop, else the user's; empty when the machine has neither.
std::wstring DesktopFolder(av::platform::known_folders& folders)
{
    std::wstring path;
    if (!folders.folder(av::platform::csidl::common_desktop, path))
        return path;
    if (!folders.folder(av::platform::csidl::desktop_directory, path))
        return path;
    return {};
}

}  // namespace

bool create_shortcut(av::platform::shell_links& shell, const std::wstring& target, const std::wstring& folder,
    const std::wstring* name, std::wstring* linkPath)
{
    if (!av::platform::is_absolute_path(folder))
        return false;
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
    if (shell.save(link, target, working_folder))
        return false;
    if (linkPath != nullptr)
        *linkPath = link;
    return true;
}

bool create_shortcuts(const av::platform::machine& machine, UninstallLog& log, const ShortcutRequest& request)
{
    bool all_well = true;
    const auto make = [&](int selector, const std::wstring& folder, const std::wstring& target,
                          const std::wstring& name) {
        // A shortcut of an earlier installation that is still in the way is
        // never overwritten: a rollback could not bring it back.
        const bool clear = log.RecordShortcut(selector, folder);
        std::wstring link;
        if (clear && create_shortcut(machine.shell, target, folder, &name, &link)) {
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
        make(2, DesktopFolder(machine.folders), request.mainProgramPath, request.programName);
    }
    return all_well;
}
