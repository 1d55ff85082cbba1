// The shortcuts the user asked for: the program and its uninstaller in the
// start-menu folder, the program on the desktop. Each is recorded before it
// is made, so that a rollback or the uninstaller removes it and puts back the
// shortcut of an earlier installation. A shortcut holds exactly two
// properties: its target and its working folder (the target's folder).
#pragma once

#include "platform/machine.h"

#include <string>

class UninstallLog;

// Makes "<folder>\<name>.lnk" pointing at `target`, working in the target's
// folder. Without a name, the target's file name without its extension is
// used. False when the target has no folder part, the folder is not an
// absolute one, the link path does not fit in 260 characters, or `shell`
// cannot save the link; `linkPath` (when given) receives the link's path on
// success.
bool create_shortcut(av::platform::shell_links& shell, const std::wstring& target, const std::wstring& folder,
    const std::wstring* name, std::wstring* linkPath);

struct ShortcutRequest {
    bool startMenu = false;
    bool desktop = false;
    std::wstring startMenuFolder;
    std::wstring mainProgramPath;
    std::wstring uninstallerPath;
    std::wstring programName;  // product label, also the desktop shortcut's name
    std::wstring uninstallName;  // message 13 with the short product name
};

// Creates and records the requested shortcuts on `machine` (the desktop
// shortcut in its all-users desktop, else the user's); true when all were
// made. A shortcut whose desktop folder cannot be found, or whose earlier
// shortcut could not be moved aside, is not made and is recorded as failed.
bool create_shortcuts(const av::platform::machine& machine, UninstallLog& log, const ShortcutRequest& request);
