// The wizard frame, run modally as the application's main window.
#include "app/wizard_frame.h"

#include "app/install_app.h"
#include "wizard/app_binding.h"
#include "wizard/win32/install_dlg.h"

void RunWizardFrame(CInstallApp& app) {
    wizard::AppBinding binding(app);
    wizard::CInstallDlg frame(binding);
    frame.DoModal();
    app.m_pMainWnd = nullptr;
}
