// The window of an installation without the wizard (/SILENT): the wizard
// frame's banner beside the Install page, which shows the option summary,
// the run's log and its progress. It has no button and asks nothing: the run
// starts as soon as the window is shown, and the window closes itself when
// the run returns.
#pragma once

#include <functional>

#include "framework/win32/framework.h"
#include "install/install_display.h"
#include "wizard/win32/pages.h"
#include "wizard/wizard_app.h"

namespace wizard {

class CProgressDlg : public afx::CDialog {
public:
    // `run` is called once with the Install page as its display.
    CProgressDlg(WizardApp& app, std::function<bool(InstallDisplay& page)> run);

    // Whether the run started, and what it returned.
    bool Started() const { return m_started; }
    bool Installed() const { return m_installed; }
    CDlgInstall& Page() { return m_page; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { }
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Run();

    WizardApp& m_app;
    CDlgInstall m_page;
    std::function<bool(InstallDisplay& page)> m_run;
    bool m_started = false;
    bool m_installed = false;
};

// Posted by the window to itself once it is shown: start the run.
inline constexpr UINT kStartRunMessage = WM_APP + 1;

}  // namespace wizard
