// The application object's life: construction during static initialisation,
// the start-up steps of InitInstance with their refusals, and destruction at
// process exit.
#include <memory>

#include "app/install_app.h"
#include "app/process_init.h"
#include "app/system.h"
#include "app/ui_adapter.h"
#include "app/wizard_frame.h"
#include "lang/languages.h"
#include "platform/registry.h"
#include "support/error.h"
#include "uninstall/security.h"
#include "wizard/win_path.h"

namespace {

constexpr std::uint32_t kErrorBusy = 170;
constexpr int kNotAdministratorMessage = 1126;
constexpr int kCloseProductMessage = 1127;
constexpr int kEnglish = 1;

}  // namespace

CInstallApp::CInstallApp(const std::wstring& applicationId)
    : m_installerMutex(InstallerMutexName(applicationId)) {
    if (ApplicationIcon() != nullptr) av::ui_hooks::instance().icon = [] { return ApplicationIcon(); };
}

CInstallApp::~CInstallApp() = default;

bool CInstallApp::InitInstance() {
    // 1. The processor check of the process initialisation.
    if (!ProcessorCheckPassed()) return av::show_system_error(nullptr, av::e_unexpected);
    // 2. One installer of this product at a time.
    if (!m_installerMutex.TryLock()) return av::show_system_error(nullptr, kErrorBusy);
    // 3. The framework's own initialisation.
    CWinApp::InitInstance();
    // 4. Language; 5. the application name, caption of every box from now on.
    ChooseStartLanguage();
    SetAppName(GetApplicationTitle(true));
    // 6. Administrator rights.
    if (!IsAdministrator()) {
        AfxMessageBox(static_cast<unsigned>(LocalizedStringId(kNotAdministratorMessage)), kMbOk | kMbIconWarning);
        return false;
    }
    // 7. No copy of the product may run.
    if (!WaitUntilProductClosed()) return false;
    // 8. An installed version.
    DetectInstalledVersion();
    // 9 to 11. Defaults of the installation state.
    FillDefaultFolders();
    m_bStartMenuShortcut = true;
    m_bDesktopShortcut = true;
    m_bAdvancedMode = false;
    // 12. The wizard.
    RunWizardFrame(*this);
    return false;
}

void CInstallApp::ChooseStartLanguage() {
    SetLanguage(LanguageFromUserLocale(kSupportedLanguageMask));
    // The language the last run recorded, if it is one the product offers.
    auto machine = av::platform::system_registry().local_machine();
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

// Installed-version detection is not built yet: every run counts as a fresh
// installation and no previous uninstall log is loaded.
void CInstallApp::DetectInstalledVersion() {
    m_nUpdateState = FreshInstall;
    m_uninstallLog.Load(std::wstring());  // no file: the recorder starts empty
}

void CInstallApp::FillDefaultFolders() {
    if (m_strInstallFolder.empty()) {
        std::wstring programFiles;
        app_system::KnownFolder(app_system::kCsidlProgramFiles, programFiles);  // result ignored
        m_strInstallFolder = wizard::PathJoin(wizard::PathJoin(programFiles, kMakerName), GetProductFolderName());
    }
    if (m_strStartMenuFolder.empty()) {
        std::wstring programs;
        if (!app_system::KnownFolder(app_system::kCsidlCommonPrograms, programs))
            app_system::KnownFolder(app_system::kCsidlPrograms, programs);
        m_strStartMenuFolder = wizard::PathJoin(wizard::PathJoin(programs, kMakerName), GetProductFolderName());
    }
}
