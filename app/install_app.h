// The application object of the installer: every decision of one run
// (language, update situation, folders, shortcut options, mode, outcome),
// the uninstall recorder and the installer's single-instance mutex, for the
// product named in support/product.h. Pages and the installation run
// exchange data only through it, each through the interface its own layer
// owns (wizard::WizardApp, InstallationState).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/single_instance.h"
#include "framework/application.h"
#include "install/installation_state.h"
#include "install/unattended.h"
#include "platform/machine.h"
#include "support/product.h"
#include "uninstall/uninstall_log.h"
#include "wizard/wizard_app.h"

class CInstallApp : public CWinApp, public wizard::WizardApp, public InstallationState {
public:
    // Creates the single-instance mutex of `applicationId` (not owned) and
    // puts the installer's icon in the icon hook.
    // Everything the start-up and the installation touch is on `machine`,
    // which must outlive the object.
    explicit CInstallApp(
        const std::wstring& applicationId, const av::platform::machine& machine = av::platform::system_machine());
    ~CInstallApp() override;

    // The start-up: checks, language, defaults, then the wizard. Always false.
    bool InitInstance() override;

    // "Korvane 6.03g" in French, "Korvaline 6.03g" otherwise; the name alone
    // with nameOnly.
    std::wstring GetProductLabel(bool nameOnly) const;
    // The product key, localized: "Korvane 6" / "Korvaline 6".
    std::wstring GetProductFolderName() const;
    // Message 0 ("Installer"), then " – " and the product label.
    std::wstring GetApplicationTitle(bool withProduct) const;
    // Full path of the installed main program, from the product path value,
    // if it names an existing object; empty otherwise. Read once.
    std::wstring GetInstalledProgramPath();
    // Fills m_strTempFolder with "<temporary path>\arvell_{<random uuid>}"
    // (not created), the temporary path being that of `folders`. On failure `error` is "%08x (GetTempPath)" with the
    // system error and m_strTempFolder is unchanged.
    bool MakeTempFolderPath(av::platform::known_folders& folders, std::wstring& error);
    // m_nUpdateState; the previous version into `previousVersion` (if given)
    // for NewerInstalled and Upgrade.
    int GetUpdateState(std::wstring* previousVersion = nullptr) const;
    // The previous installation's "Uninstall.ulog": next to the uninstaller
    // the program list names, next to this installer, or next to the
    // installed main program; empty when none exists.
    std::wstring FindUninstallLog();

    // The installation run behind the wizard's Install button and the
    // unattended modes: an exception thrown out of the run is turned into a
    // failed run (rolled back, status message 121, the error box).
    bool RunInstallationGuarded(InstallDisplay& page);

    // The user picked language `index` in the language list.
    void OnLanguageSelected(int index);
    // Reloads every text of the wizard after a language change, for a frame
    // that does not do so by itself (the wizard frame does).
    std::function<void()> m_updateTexts;

    // --- What the wizard reads and writes (wizard::WizardApp) ---
    int UpdateState() const override { return m_nUpdateState; }
    std::wstring PreviousVersion() const override { return m_strPreviousVersion; }
    std::wstring ProductLabel(bool nameOnly) const override { return GetProductLabel(nameOnly); }
    std::wstring ProductFolderName() const override { return GetProductFolderName(); }
    std::wstring ApplicationTitle(bool withProduct) const override { return GetApplicationTitle(withProduct); }
    bool AdvancedMode() const override { return m_bAdvancedMode; }
    void SetAdvancedMode(bool advanced) override { m_bAdvancedMode = advanced; }
    bool InstallationDone() const override { return m_bInstallationDone; }
    void SetInstallationDone(bool done) override { m_bInstallationDone = done; }
    std::wstring InstallFolder() const override { return m_strInstallFolder; }
    void SetInstallFolder(const std::wstring& folder) override { m_strInstallFolder = folder; }
    std::wstring StartMenuFolder() const override { return m_strStartMenuFolder; }
    void SetStartMenuFolder(const std::wstring& folder) override { m_strStartMenuFolder = folder; }
    bool StartMenuShortcut() const override { return m_bStartMenuShortcut; }
    void SetStartMenuShortcut(bool create) override { m_bStartMenuShortcut = create; }
    bool DesktopShortcut() const override { return m_bDesktopShortcut; }
    void SetDesktopShortcut(bool create) override { m_bDesktopShortcut = create; }
    void LanguageSelected(int index) override { OnLanguageSelected(index); }
    bool RunInstallation(InstallDisplay& page) override { return RunInstallationGuarded(page); }

    // --- What the installation run reads and writes (InstallationState;
    // the members it shares with the wizard's view are above) ---
    std::uint64_t PreviousVersionNumber() const override { return m_nPreviousVersion; }
    bool MakeTemporaryFolder(av::platform::known_folders& folders, std::wstring& error) override
    {
        return MakeTempFolderPath(folders, error);
    }
    std::wstring TemporaryFolder() const override { return m_strTempFolder; }
    UninstallLog& Recorder() override { return m_uninstallLog; }
    void ReleaseInstallerLock() override { m_installerMutex.Release(); }
    void RetakeInstallerLock() override { m_installerMutex.TryLock(); }

    // The product's uninstall key below HKEY_LOCAL_MACHINE.
    std::wstring UninstallKeyPath() const;

    // The command line after the program's name (tests put theirs here
    // before InitInstance), and the switches read from it.
    std::wstring m_strCommandLine;
    InstallerOptions m_options;

    // The machine this installer works on.
    const av::platform::machine& m_machine;

    // --- Installation state, in declaration order ---
    int m_nUpdateState = FreshInstall;
    std::wstring m_strPreviousVersion;
    NamedMutex m_installerMutex;
    std::wstring m_strInstallFolder;
    std::wstring m_strStartMenuFolder;
    std::wstring m_strTempFolder;
    bool m_bStartMenuShortcut = false;
    bool m_bDesktopShortcut = false;
    bool m_bAdvancedMode = false;
    UninstallLog m_uninstallLog {m_machine};
    bool m_bInstallationDone = false;
    std::uint64_t m_nPreviousVersion = 0;

private:
    // Start-up steps of InitInstance (app/startup.cpp).
    void ChooseStartLanguage();
    bool WaitUntilProductClosed();
    void DetectInstalledVersion();
    void FillDefaultFolders();
    // Ends an unattended start-up or run: the exit code, and a line in the
    // log file when one was asked for. Returns false (InitInstance's answer).
    bool EndUnattended(int exitCode, const std::wstring& reason);
    bool RunUnattended();
    // The help box (/? and /HELP), or the refusal of a wrong switch named
    // before the help; ends with 0 or 1639. Returns false.
    bool ReportCommandLine(const CommandLineError& error);

    int m_nProductCode = kProductCode;
    bool m_bInstalledPathKnown = false;
    std::wstring m_strInstalledProgramPath;
};

// The process's application object, or null.
CInstallApp* GetInstallApp();
