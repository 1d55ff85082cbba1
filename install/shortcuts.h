// The shortcuts the user asked for: the program and its uninstaller in the
// start-menu folder, the program on the desktop. Each is recorded before it
// is made, so that a rollback or the uninstaller removes it and puts back the
// shortcut of an earlier installation. A shortcut holds exactly two
// properties: its target and its working folder (the target's folder).
#pragma once

#include <string>

class UninstallLog;

// Makes "<folder>\<name>.lnk" pointing at `target`, working in the target's
// folder. Without a name, the target's file name without its extension is
// used. False when the target has no folder part, the link path does not fit
// in 260 characters, or the link cannot be saved; `linkPath` (when given)
// receives the link's path on success.
bool create_shortcut(const std::wstring& target, const std::wstring& folder, const std::wstring* name,
                     std::wstring* linkPath);

struct ShortcutRequest {
    bool startMenu = false;
    bool desktop = false;
    std::wstring startMenuFolder;
    std::wstring mainProgramPath;
    std::wstring uninstallerPath;
    std::wstring programName;    // product label, also the desktop shortcut's name
    std::wstring uninstallName;  // message 13 with the short product name
};

// Creates and records the requested shortcuts; true when all were made.
bool create_shortcuts(UninstallLog& log, const ShortcutRequest& request);

// Saves a shell link (platform half): target path and working folder only.
bool save_shell_link(const std::wstring& linkPath, const std::wstring& target, const std::wstring& workingFolder);
