// No windows in the Linux build: the wizard returns at once, and the
// /SILENT run shows nothing but its log file.
#include "app/wizard_frame.h"

#include "wizard/install_display.h"

void RunWizardFrame(CInstallApp&)
{
}

bool RunProgressWindow(CInstallApp&, InstallDisplay& logFile)
{
    return wizard::RunInstallation(logFile);
}
