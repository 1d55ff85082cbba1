// The wizard frame (dialog 102 with its six pages), made the application's
// main window and run modally until it closes.
#include "app/wizard_frame.h"

#include "app/install_app.h"
#include "wizard/win32/install_dlg.h"

void RunWizardFrame(CInstallApp& app) {
    wizard::CInstallDlg frame(app);
    app.m_pMainWnd = &frame;
    frame.DoModal();
    app.m_pMainWnd = nullptr;
}
