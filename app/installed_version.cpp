#include "app/installed_version.h"

#include "app/install_app.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "support/version_info.h"
#include "support/win_path.h"

#include <memory>

namespace {

constexpr wchar_t kLogName[] = L"Uninstall.ulog";

std::wstring ExistingLogIn(av::platform::file_system& files, const std::wstring& folder)
{
    if (folder.empty())
        return {};
    const std::wstring candidate = winpath::PathJoin(folder, kLogName);
    std::uint32_t attributes = 0;
    if (files.get_attributes(candidate, attributes))
        return {};
    return candidate;
}

}  // namespace

int DecideUpdateState(bool hasVersion, std::uint64_t installedVersion, std::uint64_t productVersion)
{
    if (!hasVersion || installedVersion == productVersion)
        return SameVersion;
    return installedVersion > productVersion ? NewerInstalled : Upgrade;
}

std::wstring CInstallApp::FindUninstallLog()
{
    // 1. Next to the uninstaller the program list names. A value that cannot
    // be read (missing, not a terminated string, access denied) is passed over.
    {
        std::unique_ptr<av::platform::registry_key> key;
        av::platform::registry_value value;
        std::wstring uninstaller;
        if (!av::platform::open_key(
                m_machine.registry, UninstallKeyPath(), av::platform::key_access::maximum_allowed, key) &&
            !key->query_value(L"UninstallString", value) && av::platform::value_as_string(value, uninstaller)) {
            if (std::wstring log = ExistingLogIn(m_machine.files, winpath::PathParent(uninstaller)); !log.empty())
                return log;
        }
    }
    // 2. Next to this installer, when it is started from the installation folder.
    if (std::wstring log = ExistingLogIn(m_machine.files, ExecutableFolder()); !log.empty())
        return log;
    // 3. Next to the installed main program.
    return ExistingLogIn(m_machine.files, winpath::PathParent(GetInstalledProgramPath()));
}

void CInstallApp::DetectInstalledVersion()
{
    const std::wstring program = GetInstalledProgramPath();
    if (program.empty()) {
        m_nUpdateState = FreshInstall;
        m_uninstallLog.Load(std::wstring());
        return;
    }
    const av::version_info version = av::version_info::from_file(program);
    m_nUpdateState = DecideUpdateState(version.has_fixed_part(), version.file_version(), kProductVersion);
    if (m_nUpdateState == NewerInstalled || m_nUpdateState == Upgrade)
        m_strPreviousVersion = version.display_version();
    if (m_nUpdateState == Upgrade)
        m_nPreviousVersion = version.file_version();
    if (m_nUpdateState == NewerInstalled) {
        m_uninstallLog.Load(std::wstring());
        return;
    }
    if (const std::wstring log = FindUninstallLog(); !log.empty()) {
        m_uninstallLog.Load(log);
        m_strInstallFolder = m_uninstallLog.installPath;
        m_strStartMenuFolder = m_uninstallLog.shortcutPath;
    }
}
