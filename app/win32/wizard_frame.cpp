// The wizard frame (dialog 102 with its six pages), made the application's
// main window and run modally until it closes; and the progress window of
// /SILENT.
#include "app/wizard_frame.h"

#include "app/install_app.h"
#include "install/unattended.h"
#include "wizard/win32/install_dlg.h"
#include "wizard/win32/progress_dlg.h"

void RunWizardFrame(CInstallApp& app)
{
    wizard::CInstallDlg frame(app);
    app.m_pMainWnd = &frame;
    // A wizard that could not be shown (a page missing, no desktop) has
    // installed nothing.
    if (frame.DoModal() == -1)
        app.m_nExitCode = kExitFailed;
    app.m_pMainWnd = nullptr;
}

bool RunProgressWindow(CInstallApp& app, InstallDisplay& logFile)
{
    const auto run = [&app, &logFile](InstallDisplay& page) {
        MirroredDisplay both(page, logFile);
        return app.RunInstallationGuarded(both);
    };
    wizard::CProgressDlg window(app, run);
    app.m_pMainWnd = &window;
    window.DoModal();
    app.m_pMainWnd = nullptr;
    // Without a desktop to show the window on, the run goes ahead unseen.
    if (!window.Started())
        return app.RunInstallationGuarded(logFile);
    return window.Installed();
}
