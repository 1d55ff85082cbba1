// The wizard's view of the installer's application object: reads and
// writes the installation state of CInstallApp and forwards the language
// choice to it.
#pragma once

#include "wizard/wizard_app.h"

class CInstallApp;

namespace wizard {

class AppBinding : public WizardApp {
public:
    explicit AppBinding(CInstallApp& app) : m_app(app) {}

    int UpdateState() const override;
    std::wstring PreviousVersion() const override;
    std::wstring ProductLabel(bool nameOnly) const override;
    std::wstring ProductFolderName() const override;
    std::wstring ApplicationTitle(bool withProduct) const override;
    bool AdvancedMode() const override;
    void SetAdvancedMode(bool advanced) override;
    bool InstallationDone() const override;
    void SetInstallationDone(bool done) override;
    std::wstring InstallFolder() const override;
    void SetInstallFolder(const std::wstring& folder) override;
    std::wstring StartMenuFolder() const override;
    void SetStartMenuFolder(const std::wstring& folder) override;
    bool StartMenuShortcut() const override;
    void SetStartMenuShortcut(bool create) override;
    bool DesktopShortcut() const override;
    void SetDesktopShortcut(bool create) override;
    void LanguageSelected(int index) override;

private:
    CInstallApp& m_app;
};

}  // namespace wizard
