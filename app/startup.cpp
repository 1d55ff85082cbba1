// The application object's life: construction during static initialisation,
// the start-up steps of InitInstance with their refusals, and destruction at
// process exit.
#include <memory>

#include "app/install_app.h"
#include "app/process_init.h"
#include "app/ui_adapter.h"
#include "app/wizard_frame.h"
#include "install/installation_run.h"
#include "install/unattended.h"
#include "lang/languages.h"
#include "platform/registry.h"
#include "support/error.h"
#include "support/win_path.h"
#include "wizard/install_display.h"

namespace {

constexpr std::uint32_t kErrorBusy = 170;
constexpr int kNotAdministratorMessage = 1126;
constexpr int kCloseProductMessage = 1127;
constexpr int kEnglish = 1;

}  // namespace

CInstallApp::CInstallApp(const std::wstring& applicationId, const av::platform::machine& machine)
    : m_machine(machine), m_installerMutex(InstallerMutexName(applicationId)) {
    if (ApplicationIcon() != nullptr) av::ui_hooks::instance().icon = [] { return ApplicationIcon(); };
}

// The installation run installed by InitInstance refers to this object.
CInstallApp::~CInstallApp() { wizard::SetInstallationRun({}); }

bool CInstallApp::InitInstance() {
    // 0. The switches of an unattended installation. A line that does not
    // parse ends the run; it is reported by a box unless silence was asked.
    const std::wstring arguments = ArgumentsOf(ProcessCommandLine());
    std::wstring error;
    if (!ParseInstallerOptions(arguments, m_options, error)) {
        m_options.silent = m_options.silent || MentionsSilentSwitch(arguments);
        if (!m_options.silent) AfxMessageBox(error, kMbOk | kMbIconError);
        return EndUnattended(kExitInvalidCommandLine, error);
    }
    const bool silent = m_options.silent;
    // 1. The processor check of the process initialisation.
    if (!ProcessorCheckPassed()) {
        if (silent) return EndUnattended(kExitFailed, L"the processor check did not pass");
        return av::show_system_error(nullptr, av::e_unexpected);
    }
    // 2. One installer of this product at a time.
    if (!m_installerMutex.TryLock()) {
        if (silent) return EndUnattended(kExitAnotherInstaller, L"another installer of the product is running");
        return av::show_system_error(nullptr, kErrorBusy);
    }
    // 3. The framework's own initialisation.
    CWinApp::InitInstance();
    // 4. Language; 5. the application name, caption of every box from now on.
    ChooseStartLanguage();
    if (m_options.language) SetLanguage(*m_options.language);
    SetAppName(GetApplicationTitle(true));
    // 6. Administrator rights.
    if (!m_machine.rights.is_administrator()) {
        if (silent) return EndUnattended(kExitNotAdministrator, LoadLocalizedString(kNotAdministratorMessage));
        AfxMessageBox(static_cast<unsigned>(LocalizedStringId(kNotAdministratorMessage)), kMbOk | kMbIconWarning);
        return false;
    }
    // 7. No copy of the product may run; unattended, nobody can close it.
    if (silent) {
        RunningInstanceCounter* counter = RunningInstanceCounter::Current();
        if (counter != nullptr && counter->Holders() > 1)
            return EndUnattended(kExitProductRunning, FormatMessageString(LoadLocalizedString(kCloseProductMessage),
                                                                          {GetProductLabel(true)}));
    } else if (!WaitUntilProductClosed()) {
        return false;
    }
    // 8. An installed version.
    DetectInstalledVersion();
    // 9 to 11. Defaults of the installation state; a folder given on the
    // command line is taken only where the wizard would let the user choose.
    if (m_options.installFolder && m_nUpdateState == FreshInstall) m_strInstallFolder = *m_options.installFolder;
    FillDefaultFolders();
    m_bStartMenuShortcut = !m_options.noIcons;
    m_bDesktopShortcut = !m_options.noIcons;
    m_bAdvancedMode = false;
    wizard::SetInstallationRun([this](InstallDisplay& page) { return run_installation(*this, page, m_machine); });
    // 12. The wizard, or the run without it.
    if (silent) return RunUnattended();
    RunWizardFrame(*this);
    return false;
}

bool CInstallApp::EndUnattended(int exitCode, const std::wstring& reason) {
    m_nExitCode = exitCode;
    if (m_options.logFile) {
        LogFileDisplay log(*m_options.logFile);
        log.WriteLine(reason);
        log.WriteLine(L"Result: " + std::to_wstring(exitCode));
    }
    return false;
}

bool CInstallApp::RunUnattended() {
    if (m_nUpdateState == NewerInstalled)
        return EndUnattended(kExitNewerInstalled, FormatMessageString(LoadLocalizedString(1103), {m_strPreviousVersion}));
    LogFileDisplay log(m_options.logFile.value_or(std::wstring()));
    const bool installed = run_installation(*this, log, m_machine);
    m_bInstallationDone = installed;
    m_nExitCode = installed ? kExitSuccess : kExitFailed;
    log.WriteLine(log.Status());
    log.WriteLine(L"Installation folder: " + m_strInstallFolder);
    log.WriteLine(L"Result: " + std::to_wstring(m_nExitCode));
    return false;
}

void CInstallApp::ChooseStartLanguage() {
    SetLanguage(LanguageFromUserLocale(kSupportedLanguageMask));
    // The language the last run recorded, if it is one the product offers.
    auto machine = m_machine.registry.local_machine();
    std::unique_ptr<av::platform::registry_key> key;
    av::platform::registry_value value;
    std::uint32_t language = 0;
    if (!machine->open_subkey(UninstallKeyPath(), av::platform::key_access::read, key) &&
        !key->query_value(kLanguageValue, value) && av::platform::value_as_dword(value, language) &&
        IsProductLanguage(static_cast<int>(language)))
        SetLanguage(static_cast<int>(language));
    if (!IsInstallerLanguage(GetLanguageSettings().language)) SetLanguage(kEnglish);
}

bool CInstallApp::WaitUntilProductClosed() {
    RunningInstanceCounter* counter = RunningInstanceCounter::Current();
    while (counter != nullptr && counter->Holders() > 1) {
        const std::wstring text =
            FormatMessageString(LoadLocalizedString(kCloseProductMessage), {GetProductLabel(true)});
        if (AfxMessageBox(text, kMbRetryCancel | kMbIconWarning) == kIdCancel) return false;
    }
    return true;
}

void CInstallApp::FillDefaultFolders() {
    // A folder the machine cannot name leaves its default empty (the Folder
    // page then shows it empty): a path joined to nothing would be relative.
    auto& folders = m_machine.folders;
    if (m_strInstallFolder.empty()) {
        std::wstring programFiles;
        if (!folders.folder(av::platform::csidl::program_files, programFiles))
            m_strInstallFolder =
                winpath::PathJoin(winpath::PathJoin(programFiles, kMakerName), GetProductFolderName());
    }
    if (m_strStartMenuFolder.empty()) {
        std::wstring programs;
        if (!folders.folder(av::platform::csidl::common_programs, programs) ||
            !folders.folder(av::platform::csidl::programs, programs))
            m_strStartMenuFolder =
                winpath::PathJoin(winpath::PathJoin(programs, kMakerName), GetProductFolderName());
    }
}
