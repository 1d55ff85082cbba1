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
#include "lang/messages.h"
#include "platform/registry.h"
#include "support/error.h"
#include "support/ui_hooks.h"
#include "support/win_path.h"

namespace {

constexpr std::uint32_t kErrorBusy = 170;
constexpr int kEnglish = 1;

// Answers every box with its default button, without showing it, for the
// life of the scope (when asked to).
class ScopedDefaultAnswers {
public:
    explicit ScopedDefaultAnswers(bool on)
        : m_on(on)
    {
        if (m_on)
            av::details::set_box_answerer(&DefaultBoxAnswer);
    }
    ~ScopedDefaultAnswers()
    {
        if (m_on)
            av::details::set_box_answerer(nullptr);
    }
    ScopedDefaultAnswers(const ScopedDefaultAnswers&) = delete;
    ScopedDefaultAnswers& operator=(const ScopedDefaultAnswers&) = delete;

private:
    bool m_on;
};

}  // namespace

CInstallApp::CInstallApp(const std::wstring& applicationId, const av::platform::machine& machine)
    : m_strCommandLine(ArgumentsOf(ProcessCommandLine()))
    , m_machine(machine)
    , m_installerMutex(InstallerMutexName(applicationId))
{
    if (ApplicationIcon() != nullptr)
        av::ui_hooks::instance().icon = [] { return ApplicationIcon(); };
}

CInstallApp::~CInstallApp() = default;

bool CInstallApp::InitInstance()
{
    // 0. The switches. What they say is reported only once the language is
    // chosen (below), so that the help and the refusal read in it.
    CommandLineError commandLineError;
    const bool commandLineAccepted = ParseInstallerOptions(m_strCommandLine, m_options, commandLineError);
    const bool silent = m_options.Unattended();
    // Under /VERYSILENT, and under /SILENT with /SUPPRESSMSGBOXES, every box
    // is answered with its default button without being shown.
    const ScopedDefaultAnswers defaultAnswers(m_options.AnswersBoxesByDefault());
    if (!commandLineAccepted || m_options.help) {
        ChooseStartLanguage();
        if (m_options.language)
            SetLanguage(*m_options.language);
        SetAppName(GetApplicationTitle(true));
        return ReportCommandLine(commandLineError);
    }
    // 1. The processor check of the process initialisation.
    if (!ProcessorCheckPassed()) {
        if (!m_options.ShowsNothing())
            av::show_error(av::e_unexpected);
        if (silent)
            return EndUnattended(kExitFailed, L"the processor check did not pass");
        return false;
    }
    // 2. One installer of this product at a time.
    if (!m_installerMutex.TryLock()) {
        if (!m_options.ShowsNothing())
            av::show_error(kErrorBusy);
        if (silent)
            return EndUnattended(kExitAnotherInstaller, L"another installer of the product is running");
        return false;
    }
    // 3. The framework's own initialisation.
    CWinApp::InitInstance();
    // 4. Language; 5. the application name, caption of every box from now on.
    ChooseStartLanguage();
    if (m_options.language)
        SetLanguage(*m_options.language);
    SetAppName(GetApplicationTitle(true));
    // 6. Administrator rights.
    if (!m_machine.rights.is_administrator()) {
        if (!m_options.ShowsNothing())
            AfxMessageBox(static_cast<unsigned>(LocalizedStringId(msg::FrenchId(msg::AdministratorRightsNeeded))),
                kMbOk | kMbIconWarning);
        if (silent)
            return EndUnattended(kExitNotAdministrator, Message(msg::AdministratorRightsNeeded));
        return false;
    }
    // 7. No copy of the product may run; unattended, nobody is asked to
    // close it: the run ends.
    if (silent) {
        RunningInstanceCounter* counter = RunningInstanceCounter::Current();
        if (counter != nullptr && counter->Holders() > 1) {
            const std::wstring text = Message(msg::CloseProduct, {GetProductLabel(true)});
            if (!m_options.ShowsNothing())
                AfxMessageBox(text, kMbOk | kMbIconWarning);
            return EndUnattended(kExitProductRunning, text);
        }
    } else if (!WaitUntilProductClosed()) {
        return false;
    }
    // 8. An installed version.
    DetectInstalledVersion();
    // 9 to 11. Defaults of the installation state; a folder given on the
    // command line is taken only where the wizard would let the user choose.
    if (m_options.installFolder && m_nUpdateState == FreshInstall)
        m_strInstallFolder = *m_options.installFolder;
    FillDefaultFolders();
    m_bStartMenuShortcut = !m_options.noIcons;
    m_bDesktopShortcut = !m_options.noIcons;
    m_bAdvancedMode = false;
    // 12. The wizard, or the run without it.
    if (silent)
        return RunUnattended();
    RunWizardFrame(*this);
    return false;
}

bool CInstallApp::ReportCommandLine(const CommandLineError& error)
{
    const bool refused = error.kind != CommandLineError::kNone;
    if (!m_options.ShowsNothing()) {
        std::wstring text = Message(msg::CommandLineHelp);
        if (refused) {
            const msg::Offset first =
                error.kind == CommandLineError::kUnknownSwitch ? msg::UnknownSwitch : msg::InvalidSwitch;
            text = Message(first, {error.argument}) + L"\r\n\r\n" + text;
        }
        AfxMessageBox(text, kMbOk | (refused ? kMbIconError : kMbIconInformation));
    }
    if (refused)
        return EndUnattended(kExitInvalidCommandLine, error.reason);
    m_nExitCode = kExitSuccess;
    return false;
}

bool CInstallApp::RunInstallationGuarded(InstallDisplay& page)
{
    // Whatever the run throws ends it like a failed step: everything it did
    // is undone (the recorder's backups go back and are deleted), the page
    // says why, and the error box tells the person at the machine.
    std::error_code failure;
    std::uint32_t boxCode = av::e_unexpected;
    try {
        return run_installation(*this, page, m_machine);
    } catch (const std::exception& e) {
        failure = av::error_from_exception(e);
        boxCode = av::current_exception_box_code();
    } catch (...) {
        failure = av::make_error_code(av::compress_errc::unexpected);
    }
    m_uninstallLog.RollBack();
    page.AppendLogLine(Message(msg::StepFailed) + L"\r\n", false);
    page.SetStatus(Message(msg::InstallationFailed, {av::error_code_text(failure)}));
    av::show_error(boxCode);
    return false;
}

bool CInstallApp::EndUnattended(int exitCode, const std::wstring& reason)
{
    m_nExitCode = exitCode;
    if (m_options.logFile) {
        LogFileDisplay log(*m_options.logFile);
        log.WriteLine(reason);
        log.WriteLine(L"Result: " + std::to_wstring(exitCode));
    }
    return false;
}

bool CInstallApp::RunUnattended()
{
    if (m_nUpdateState == NewerInstalled) {
        const std::wstring text = Message(msg::NewerVersionInstalled, {m_strPreviousVersion});
        if (!m_options.ShowsNothing())
            AfxMessageBox(text, kMbOk | kMbIconWarning);
        return EndUnattended(kExitNewerInstalled, text);
    }
    LogFileDisplay log(m_options.logFile.value_or(std::wstring()));
    // /SILENT shows the run in its progress window (and copies it to the log
    // file); /VERYSILENT only writes the log file.
    const bool installed = m_options.ShowsNothing() ? RunInstallationGuarded(log) : RunProgressWindow(*this, log);
    m_bInstallationDone = installed;
    m_nExitCode = installed ? kExitSuccess : kExitFailed;
    // The progress window has closed: the person at the machine learns of a
    // failure from a box (answered by itself under /SUPPRESSMSGBOXES).
    if (!installed && !m_options.ShowsNothing())
        AfxMessageBox(log.Status(), kMbOk | kMbIconError);
    log.WriteLine(log.Status());
    log.WriteLine(L"Installation folder: " + m_strInstallFolder);
    log.WriteLine(L"Result: " + std::to_wstring(m_nExitCode));
    return false;
}

void CInstallApp::ChooseStartLanguage()
{
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
    if (!IsInstallerLanguage(GetLanguageSettings().language))
        SetLanguage(kEnglish);
}

bool CInstallApp::WaitUntilProductClosed()
{
    RunningInstanceCounter* counter = RunningInstanceCounter::Current();
    while (counter != nullptr && counter->Holders() > 1) {
        const std::wstring text = Message(msg::CloseProduct, {GetProductLabel(true)});
        // Only Retry asks again: Cancel, and a box that could not be shown
        // (0), end the start-up.
        if (AfxMessageBox(text, kMbRetryCancel | kMbIconWarning) != kIdRetry)
            return false;
    }
    return true;
}

void CInstallApp::FillDefaultFolders()
{
    // A folder the machine cannot name leaves its default empty (the Folder
    // page then shows it empty): a path joined to nothing would be relative.
    auto& folders = m_machine.folders;
    if (m_strInstallFolder.empty()) {
        std::wstring programFiles;
        if (!folders.folder(av::platform::csidl::program_files, programFiles))
            m_strInstallFolder = winpath::PathJoin(winpath::PathJoin(programFiles, kMakerName), GetProductFolderName());
    }
    if (m_strStartMenuFolder.empty()) {
        std::wstring programs;
        if (!folders.folder(av::platform::csidl::common_programs, programs) ||
            !folders.folder(av::platform::csidl::programs, programs))
            m_strStartMenuFolder = winpath::PathJoin(winpath::PathJoin(programs, kMakerName), GetProductFolderName());
    }
}
