// What the wizard reads and writes of the application object: the
// installation state, the product's names, the reaction to a language
// choice and the installation run. The application implements it; the pages
// exchange data only through it.
#pragma once

#include <string>

#include "install/install_display.h"

namespace wizard {

class WizardApp {
public:
    virtual ~WizardApp() = default;

    virtual int UpdateState() const = 0;  // m_nUpdateState
    virtual std::wstring PreviousVersion() const = 0;  // m_strPreviousVersion
    virtual std::wstring ProductLabel(bool nameOnly) const = 0;
    virtual std::wstring ProductFolderName() const = 0;
    virtual std::wstring ApplicationTitle(bool withProduct) const = 0;

    virtual bool AdvancedMode() const = 0;
    virtual void SetAdvancedMode(bool advanced) = 0;
    virtual bool InstallationDone() const = 0;
    virtual void SetInstallationDone(bool done) = 0;
    virtual std::wstring InstallFolder() const = 0;
    virtual void SetInstallFolder(const std::wstring& folder) = 0;
    virtual std::wstring StartMenuFolder() const = 0;
    virtual void SetStartMenuFolder(const std::wstring& folder) = 0;
    virtual bool StartMenuShortcut() const = 0;
    virtual void SetStartMenuShortcut(bool create) = 0;
    virtual bool DesktopShortcut() const = 0;
    virtual void SetDesktopShortcut(bool create) = 0;

    // The user chose a language in the Start page's list (the language
    // switch, message 129 for a language without installer texts, the new
    // application title). The wizard reloads its texts afterwards.
    virtual void LanguageSelected(int index) = 0;

    // The installation run behind the Install button, shown on `page`; true
    // when the installation succeeded.
    virtual bool RunInstallation(InstallDisplay& page) = 0;
};

}  // namespace wizard
