// No windows in the Linux build: the wizard returns at once, and the
// /SILENT run shows nothing but its log file.
#include "app/wizard_frame.h"

#include "app/install_app.h"

void RunWizardFrame(CInstallApp&)
{
}

bool RunProgressWindow(CInstallApp& app, InstallDisplay& logFile)
{
    return app.RunInstallationGuarded(logFile);
}
