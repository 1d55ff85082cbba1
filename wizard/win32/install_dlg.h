// The wizard frame: a modal dialog hosting the six pages in one place,
// with the Back / Next / Cancel buttons, the side banner, the About entry
// of the system menu, and a layout that grows with the largest page.
#pragma once

#include <array>

#include "framework/win32/framework.h"
#include "wizard/navigation.h"
#include "wizard/win32/pages.h"
#include "wizard/wizard_app.h"

namespace wizard {

class CInstallDlg : public afx::CDialog, private WizardHost {
public:
    explicit CInstallDlg(WizardApp& app);

    // Reloads every text for the current language (title, system menu,
    // buttons, pages).
    void UpdateTexts();
    bool ShowPage(int target) { return m_navigator.ShowPage(target); }
    int CurrentPage() const { return m_navigator.CurrentPage(); }
    CWizardPage* Page(int index) const { return m_pages[static_cast<std::size_t>(index)]; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void LayOut();
    void UpdateSystemMenu(bool create);

    // WizardHost
    bool SavePage(int page) override;
    void LoadPage(int page) override;
    void SetPageVisible(int page, bool visible) override;
    void SetButtonTexts(const ButtonTexts& texts) override;
    void EnableButton(int id, bool enabled) override;
    void SetDefaultButton(int id) override;
    bool AdvancedMode() const override { return m_app.AdvancedMode(); }
    bool InstallationDone() const override { return m_app.InstallationDone(); }
    void SetInstallationDone(bool done) override { m_app.SetInstallationDone(done); }
    int UpdateState() const override { return m_app.UpdateState(); }
    bool RunInstallation() override;
    bool ConfirmExit() override;
    void EndWizard(bool ok) override;

    WizardApp& m_app;
    CDlgStart m_dlgStart;
    CDlgMode m_dlgMode;
    CDlgPath m_dlgPath;
    CDlgShortcut m_dlgShortcut;
    CDlgInstall m_dlgInstall;
    CDlgEnd m_dlgEnd;
    std::array<CWizardPage*, kPageCount> m_pages {};
    WizardNavigator m_navigator;
    bool m_running = false;  // the installation runs: Next and Cancel wait
};

// The command id of the About entry in the system menu.
inline constexpr UINT kIdmAboutBox = 16;

}  // namespace wizard
