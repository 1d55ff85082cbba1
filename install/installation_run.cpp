#include "install/installation_run.h"

#include "install/install_display.h"
#include "install/installation_state.h"
#include "install/process.h"
#include "install/registration.h"
#include "install/shortcuts.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "payload/payload.h"
#include "platform/file_system.h"
#include "platform/security.h"
#include "support/error.h"
#include "support/product.h"
#include "support/win_path.h"
#include "uninstall/uninstall_log.h"

#include <boost/format.hpp>

#include <variant>

namespace {

using av::notification;

constexpr std::uint32_t kErrorCannotMake = 82;  // ERROR_CANNOT_MAKE

std::wstring WithLineEnd(const std::wstring& text)
{
    return text + L"\r\n";
}

bool Exists(av::platform::file_system& files, const std::wstring& path)
{
    std::uint32_t attributes = 0;
    return !files.get_attributes(path, attributes);
}

// Adds the read-only attribute, keeping the others; a file whose attributes
// cannot be read is left alone.
void MakeReadOnly(av::platform::file_system& files, const std::wstring& path)
{
    if (path.empty())
        return;
    std::uint32_t attributes = 0;
    if (files.get_attributes(path, attributes))
        return;
    attributes &= ~av::platform::attr_normal;
    files.set_attributes(path, attributes | av::platform::attr_readonly);
}

}  // namespace

TemporaryFiles::TemporaryFiles(av::platform::file_system& files, std::wstring folder)
    : m_fs(files)
    , m_folder(std::move(folder))
{
}

TemporaryFiles::~TemporaryFiles()
{
    for (const auto& file : m_files) {
        m_fs.set_attributes(file.path, av::platform::attr_normal);
        m_fs.delete_file(file.path);
        // The file that was there before comes back, attributes and all; if
        // it cannot, it stays under its backup name.
        if (!file.backup.empty())
            m_fs.move_file(file.backup, file.path);
    }
    if (!m_folder.empty())
        m_fs.remove_folder(m_folder);  // stays when something else is in it
}

std::vector<std::wstring> TemporaryFiles::Files() const
{
    std::vector<std::wstring> paths;
    for (const auto& file : m_files)
        paths.push_back(file.path);
    return paths;
}

InstallationPageHandlers::InstallationPageHandlers(InstallationState& state, const av::platform::machine& machine,
    InstallDisplay& page, std::istream& payload, TemporaryFiles& temporaryFiles)
    : m_state(state)
    , m_machine(machine)
    , m_page(page)
    , m_payload(payload)
    , m_temporaryFiles(temporaryFiles)
{
}

notification::result InstallationPageHandlers::operator()(const notification& n)
{
    struct dispatch {
        InstallationPageHandlers& self;
        notification::result operator()(const notification::started&) { return self.Started(); }
        notification::result operator()(const notification::file_started& s) { return self.FileStarted(s.entry); }
        notification::result operator()(const notification::file_done& d) { return self.FileDone(d.entry); }
        notification::result operator()(const notification::progress& p) { return self.Progress(p.position, p.total); }
        notification::result operator()(const notification::finished&) { return notification::result::proceed; }
        notification::result operator()(const notification::failed& f) { return self.Failed(f.code); }
    };
    const notification::result answer = std::visit(dispatch {*this}, static_cast<const notification::variant&>(n));
    m_page.PumpMessages();
    return answer;
}

notification::result InstallationPageHandlers::Started()
{
    m_page.SetStatus(Message(msg::PreparingInstallation));
    m_page.AppendLogLine(Message(msg::PreparingInstallation), false);
    if (!av::validate_payload(m_payload))
        av::throw_compress_error(av::compress_errc::validation_failed);
    m_payload.clear();
    m_payload.seekg(0);
    m_page.AppendLogLine(WithLineEnd(Message(msg::StepOk)), false);
    return notification::result::proceed;
}

void InstallationPageHandlers::Install(std::uint32_t kind, const std::wstring& destination, bool copyBackup)
{
    const std::wstring text = Message(msg::CopyingFile, {winpath::QuoteSpaces(destination)});
    const bool recorded = kind == static_cast<std::uint32_t>(av::entry_kind::temporary_file) ||
        m_state.Recorder().RecordFile(destination, static_cast<std::int32_t>(kind), copyBackup);
    m_page.SetStatusPath(text);
    m_page.AppendLogLine(text, false);
    // A file already there that could not be backed up is never overwritten:
    // the run fails instead, and the rollback leaves that file as it was.
    if (!recorded) {
        const std::error_code why = m_state.Recorder().lastBackupError;
        throw std::system_error(why ? why : std::error_code(kErrorCannotMake, std::system_category()));
    }
}

notification::result InstallationPageHandlers::FileStarted(const av::payload_entry& entry)
{
    using av::entry_kind;
    const std::wstring destination = av::path_to_wide(entry.destination);
    if (static_cast<entry_kind>(entry.kind) != entry_kind::temporary_file)
        m_productBytes += entry.size;
    switch (static_cast<entry_kind>(entry.kind)) {
    case entry_kind::main_program:
        m_page.MainProgramPath() = destination;
        break;
    case entry_kind::uninstaller:
        m_page.UninstallerPath() = destination;
        break;
    case entry_kind::data_file:
        // Shared data is the users' own once it exists: never overwritten.
        // One an earlier installation wrote stays in the merged log through
        // its old entry; one that was there before the product is the user's
        // and is not recorded, so that no uninstall deletes it.
        if ((m_state.UpdateState() != FreshInstall && m_state.Recorder().WasInstalled(destination)) ||
            Exists(m_machine.files, destination)) {
            m_machine.rights.grant_users_access(destination, kDataFileAccess, 0);
            return notification::result::skip;
        }
        Install(entry.kind, destination, true);
        return notification::result::proceed;
    case entry_kind::sample:
        if (m_state.UpdateState() == Upgrade)
            return notification::result::skip;
        break;
    case entry_kind::temporary_file: {
        // A file already there is moved aside first and comes back when the
        // run ends; without that backup it is not overwritten at all.
        std::wstring backup;
        if (Exists(m_machine.files, destination)) {
            backup = m_state.Recorder().MakeBackup(&destination, false);
            if (backup.empty()) {
                Install(entry.kind, destination, false);
                throw std::system_error(std::error_code(kErrorCannotMake, std::system_category()));
            }
        }
        m_temporaryFiles.Add(destination, backup);
        break;
    }
    default:
        break;
    }
    Install(entry.kind, destination, false);
    return notification::result::proceed;
}

notification::result InstallationPageHandlers::FileDone(const av::payload_entry& entry)
{
    const std::wstring destination = av::path_to_wide(entry.destination);
    if (entry.kind == static_cast<std::uint32_t>(av::entry_kind::data_file))
        m_machine.rights.grant_users_access(destination, kDataFileAccess, 0);
    if (entry.kind != static_cast<std::uint32_t>(av::entry_kind::temporary_file))
        m_state.Recorder().Complete(true);
    m_page.AppendLogLine(WithLineEnd(Message(msg::StepOk)), false);
    return notification::result::proceed;
}

notification::result InstallationPageHandlers::Progress(std::uint64_t position, std::uint64_t total)
{
    m_page.SetProgress(position, total);
    return notification::result::proceed;
}

notification::result InstallationPageHandlers::Failed(const std::error_code& code)
{
    m_state.Recorder().Complete(false);
    m_page.AppendLogLine(WithLineEnd(Message(msg::StepFailed)), false);
    m_page.SetStatus(Message(msg::InstallationFailed, {av::error_code_text(code)}));
    return notification::result::abort;
}

std::wstring RegistrationCommandLine(const std::wstring& mainProgramPath, std::uint64_t previousVersion)
{
    std::wstring command = winpath::QuoteSpaces(mainProgramPath) + L" /Register /Background";
    if (previousVersion != 0)
        command += (boost::wformat(L" /update=%|1$016x|") % previousVersion).str();
    return command;
}

bool run_installation(InstallationState& state, InstallDisplay& page, const av::platform::machine& machine)
{
    av::imemstream payload = av::open_payload();
    return run_installation(state, page, machine, payload);
}

bool run_installation(
    InstallationState& state, InstallDisplay& page, const av::platform::machine& machine, std::istream& payload)
{
    // 1-2. A new section of the log.
    page.MainProgramPath().clear();
    page.UninstallerPath().clear();
    page.AppendLogLine(std::wstring(), true);
    const WaitCursor waiting;
    page.SetStatus(Message(msg::PreparingInstallation));

    // 3. The run's temporary folder (not created yet).
    std::wstring error;
    if (!state.MakeTemporaryFolder(machine.folders, error)) {
        const std::wstring status = Message(msg::InstallationFailed, {error});
        page.SetStatus(status);
        page.AppendLogLine(WithLineEnd(status), false);
        return false;
    }

    // 4.
    const std::wstring sampleFolder = Message(msg::Examples, {state.ProductLabel(true)});
    TemporaryFiles temporaryFiles(machine.files, state.TemporaryFolder());
    state.Recorder().SetProduct(state.ProductLabel(false), ProductCatalogue(kProductCode));
    page.SetProgress(0, 1);
    page.ShowProgress(true);

    // 5-6. Every payload file, written and verified.
    InstallationPageHandlers handlers(state, machine, page, payload, temporaryFiles);
    if (!av::extract_payload(payload, machine, state.InstallFolder(), sampleFolder, state.TemporaryFolder(),
            [&handlers](const av::notification& n) { return handlers(n); })) {
        state.Recorder().RollBack();
        return false;
    }
    const std::wstring mainProgram = page.MainProgramPath();
    const std::wstring uninstaller = page.UninstallerPath();

    // 7.
    MakeReadOnly(machine.files, mainProgram);
    MakeReadOnly(machine.files, uninstaller);

    // 8. Shortcuts.
    if (state.StartMenuShortcut() || state.DesktopShortcut()) {
        page.SetStatus(Message(msg::CreatingShortcuts));
        page.AppendLogLine(Message(msg::CreatingShortcuts), false);
        ShortcutRequest request;
        request.startMenu = state.StartMenuShortcut();
        request.desktop = state.DesktopShortcut();
        request.startMenuFolder = state.StartMenuFolder();
        request.mainProgramPath = mainProgram;
        request.uninstallerPath = uninstaller;
        request.programName = state.ProductLabel(false);
        request.uninstallName = Message(msg::Uninstall, {state.ProductLabel(true)});
        const bool made = create_shortcuts(machine, state.Recorder(), request);
        page.AppendLogLine(WithLineEnd(Message(made ? msg::StepOk : msg::StepFailed)), false);
    }

    // 9. The program list's entry.
    page.SetStatus(Message(msg::WritingRegistryData));
    page.AppendLogLine(Message(msg::WritingRegistryData), false);
    auto& registry = machine.registry;
    UninstallRegistration values;
    values.productKey = ProductCatalogue(kProductCode);
    values.displayName = state.ProductLabel(false);
    values.uninstallerPath = uninstaller;
    values.mainProgramPath = mainProgram;
    values.displayVersion = VersionText(kProductVersion);
    values.publisher = kMakerName;
    values.language = static_cast<std::uint32_t>(GetLanguageSettings().language);
    values.installFolder = state.InstallFolder();
    values.sizeKiB = SizeInKiB(handlers.ProductBytes());
    const bool registered = register_uninstall(registry, state.Recorder(), values);

    // 10. Without the product path value no later installer finds this one.
    if (!register_product_path(registry, kMakerName, values.productKey, mainProgram)) {
        state.Recorder().RollBack();
        page.AppendLogLine(WithLineEnd(Message(msg::StepFailed)), false);
        page.SetStatus(Message(msg::InstallationFailed, {L"-1"}));
        return false;
    }

    // 11. The product registers itself; the installer's mutex is given up
    // meanwhile, as the product may look for it.
    state.Recorder().RecordProductRegistration();
    state.ReleaseInstallerLock();
    std::uint32_t exitCode = 0;
    const bool started =
        !machine.processes.run_and_wait(RegistrationCommandLine(mainProgram, state.PreviousVersionNumber()),
            winpath::PathParent(mainProgram), exitCode);
    state.RetakeInstallerLock();
    constexpr std::uint32_t kRegistered = 0xFFFFFFF6u;  // exit code -10
    const bool productRegistered = started && exitCode == kRegistered;
    state.Recorder().Complete(productRegistered);
    if (productRegistered)
        machine.shell.announce_association_change();
    page.AppendLogLine(WithLineEnd(Message(registered && productRegistered ? msg::StepOk : msg::StepFailed)), false);

    // 12. The record the uninstaller reads.
    page.SetStatus(Message(msg::WritingInstallationData));
    page.AppendLogLine(Message(msg::WritingInstallationData), false);
    const std::wstring uninstallerFolder = winpath::PathParent(uninstaller);
    bool written = false;
    if (!uninstallerFolder.empty() && uninstallerFolder.size() < winpath::kMaxPath) {
        const std::wstring logPath = winpath::PathJoin(uninstallerFolder, L"Uninstall.ulog");
        written = logPath.size() < winpath::kMaxPath &&
            state.Recorder().Write(logPath, state.InstallFolder(), state.StartMenuFolder());
    }
    page.AppendLogLine(WithLineEnd(Message(written ? msg::StepOk : msg::StepFailed)), false);

    // 13-14.
    page.SetStatus(Message(msg::ClickToContinue, {Message(msg::Next)}));
    return true;
}
