// The installer's messages by name, in the current language, and the
// positional formatting of a message template. A message is named by its
// offset in a language block (the French block's id is 1000 + offset; see
// LocalizedStringId for the others); the names follow the English texts.
#pragma once

#include <string>
#include <vector>

namespace msg {

enum Offset : int {
    Installer = 0,  // "Installer"
    Ok = 1,  // "OK"
    Cancel = 2,  // "Cancel"
    About = 3,  // "About '%1'"
    Exit = 4,  // "Exit"
    Back = 5,  // "Back"
    Next = 6,  // "Next"
    Install = 7,  // "Install"
    Browse = 8,  // "Browse..."
    StartMenu = 9,  // "Start menu"
    FolderSelection = 10,  // "Installation Folder Selection"
    StepOk = 11,  // "OK" (the end of a log line)
    StepFailed = 12,  // "Failed" (the end of a log line)
    Uninstall = 13,  // "Uninstall %1"
    SelectLanguage = 14,  // "Select Installation Langage"
    InstallationMethod = 15,  // "Installation Method"
    QuickInstallation = 16,  // "Quick Installation (Recommended)"
    AdvancedInstallation = 17,  // "Advanced Installation"
    Examples = 18,  // "%1 Examples"
    InstallationOf = 100,  // "'%1' Installation."
    UpdateFromTo = 101,  // "Update from '%1' to '%2'."
    AlreadyInstalled = 102,  // "'%1' is already installed."
    NewerVersionInstalled = 103,  // "A more recent Version (%1) is already installed."
    ConfirmReinstallation = 104,  // "Do you confirm Reinstallation ?"
    ClickToContinueOrExit = 105,  // "Click on '%1' to continue or on '%2' to exit Installation."
    ClickToContinue = 106,  // "Click on '%1' to continue."
    ClickToExit = 107,  // "Click on '%1' to exit Installation."
    ClickToInstall = 108,  // "Click on '%1' to start Installation."
    Copyright = 109,  // "'%1' is protected by copyright law and international treaties."
    ConfirmExit = 110,  // "Installation is not complete. ... Do you still confirm exit Installation ?"
    SelectInstallationFolder = 111,  // "Select '%1' Installation Folder."
    StartMenuShortcut = 112,  // "Create a Shortcut in the following Menu:"
    DesktopShortcut = 113,  // "Create a Shortcut on the Desktop."
    PreparingInstallation = 114,  // "Preparing Installation..."
    CopyingFile = 115,  // "Copying File  %1..."
    CreatingShortcuts = 117,  // "Shortcuts Creation..."
    WritingRegistryData = 118,  // "Registry Data Writing..."
    WritingInstallationData = 119,  // "Installation Data Writing..."
    InstallationComplete = 120,  // "Installation is complete."
    InstallationFailed = 121,  // "Installation failed (Error Code %1)."
    InstallationOptions = 122,  // "Installation Options"
    InstallationFolder = 123,  // "Installation Folder: %1."
    StartMenuShortcutChosen = 124,  // "Creating a Shortcut in the Start Menu (Folder %1)."
    DesktopShortcutChosen = 125,  // "Creating a Shortcut on the Desktop."
    AdministratorRightsNeeded = 126,  // "You should have Administrator Rights in order to proceed to Installation."
    CloseProduct = 127,  // "You should close '%1' before continuing Installation."
    InstallerInEnglish =
        129,  // "'%1' will be installed in the selected Langage, but the Installer ... shall run in English."
    CommandLineHelp = 131,  // "Install.exe [switches] ..." (the switches and exit codes)
    UnknownSwitch = 132,  // "Unknown switch: %1"
    InvalidSwitch = 133,  // "Invalid switch: %1"
};

// The id callers pass to the language rules: the French block's.
constexpr int FrenchId(Offset offset)
{
    return 1000 + offset;
}

}  // namespace msg

// A message template with its positional inserts "%1" … "%9" replaced by
// `args` (an insert without argument is left out); any other "%" stays as
// written.
std::wstring FormatMessageString(const std::wstring& pattern, const std::vector<std::wstring>& args);

// Message `offset` in the current language (with the "#" fallbacks of
// LoadLocalizedString); empty when missing. With `args`, formatted.
std::wstring Message(msg::Offset offset);
std::wstring Message(msg::Offset offset, const std::vector<std::wstring>& args);
