// The wizard's view of CInstallApp.
#include "wizard/app_binding.h"

#include "app/install_app.h"

namespace wizard {

int AppBinding::UpdateState() const { return m_app.m_nUpdateState; }

std::wstring AppBinding::PreviousVersion() const {
    std::wstring previous;
    m_app.GetUpdateState(&previous);
    return previous;
}

std::wstring AppBinding::ProductLabel(bool nameOnly) const { return m_app.GetProductLabel(nameOnly); }
std::wstring AppBinding::ProductFolderName() const { return m_app.GetProductFolderName(); }
std::wstring AppBinding::ApplicationTitle(bool withProduct) const { return m_app.GetApplicationTitle(withProduct); }
bool AppBinding::AdvancedMode() const { return m_app.m_bAdvancedMode; }
void AppBinding::SetAdvancedMode(bool advanced) { m_app.m_bAdvancedMode = advanced; }
bool AppBinding::InstallationDone() const { return m_app.m_bInstallationDone; }
void AppBinding::SetInstallationDone(bool done) { m_app.m_bInstallationDone = done; }
std::wstring AppBinding::InstallFolder() const { return m_app.m_strInstallFolder; }
void AppBinding::SetInstallFolder(const std::wstring& folder) { m_app.m_strInstallFolder = folder; }
std::wstring AppBinding::StartMenuFolder() const { return m_app.m_strStartMenuFolder; }
void AppBinding::SetStartMenuFolder(const std::wstring& folder) { m_app.m_strStartMenuFolder = folder; }
bool AppBinding::StartMenuShortcut() const { return m_app.m_bStartMenuShortcut; }
void AppBinding::SetStartMenuShortcut(bool create) { m_app.m_bStartMenuShortcut = create; }
bool AppBinding::DesktopShortcut() const { return m_app.m_bDesktopShortcut; }
void AppBinding::SetDesktopShortcut(bool create) { m_app.m_bDesktopShortcut = create; }
void AppBinding::LanguageSelected(int index) { m_app.OnLanguageSelected(index); }

}  // namespace wizard
