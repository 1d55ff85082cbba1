// What the installation run reads and writes of the installation state: the
// update situation, the product's label, the folders and shortcut options
// the user chose, the run's temporary folder, the uninstall recorder, and the
// installer's single-instance lock, which the run gives up while the product
// registers itself. The application object implements it; the run reaches
// the state only through it.
#pragma once

#include "platform/known_folders.h"

#include <cstdint>
#include <string>

class UninstallLog;

// The installed version compared with this installer's.
enum UpdateState {
    NewerInstalled = -1,
    FreshInstall = 0,
    SameVersion = 1,
    Upgrade = 2,
};

class InstallationState {
public:
    virtual ~InstallationState() = default;

    virtual int UpdateState() const = 0;  // an UpdateState value
    virtual std::uint64_t PreviousVersionNumber() const = 0;  // the installed file version; 0 when none
    // "Korvane 6.03g" in French, "Korvaline 6.03g" otherwise; the name alone
    // with nameOnly.
    virtual std::wstring ProductLabel(bool nameOnly) const = 0;
    virtual std::wstring InstallFolder() const = 0;
    virtual std::wstring StartMenuFolder() const = 0;
    virtual bool StartMenuShortcut() const = 0;
    virtual bool DesktopShortcut() const = 0;

    // Chooses the run's temporary folder (not created) below the temporary
    // folder of `folders`. On failure `error` holds the reason, and
    // TemporaryFolder is unchanged.
    virtual bool MakeTemporaryFolder(av::platform::known_folders& folders, std::wstring& error) = 0;
    virtual std::wstring TemporaryFolder() const = 0;

    // The recorder of everything the run creates or replaces.
    virtual UninstallLog& Recorder() = 0;

    // Gives the installer's single-instance lock up, and takes it back.
    virtual void ReleaseInstallerLock() = 0;
    virtual void RetakeInstallerLock() = 0;
};
