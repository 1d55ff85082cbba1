// The wizard frame as the start-up sees it: constructed, made the main
// window, run modally until it closes; and the progress window of /SILENT.
// The Linux build has no windows: the wizard returns at once, and the
// /SILENT run goes to the log file alone.
#pragma once

class CInstallApp;
class InstallDisplay;

void RunWizardFrame(CInstallApp& app);

// Runs the installation in the /SILENT progress window, which closes itself
// when the run ends; the log lines go to `logFile` as well. True when the
// product is installed.
bool RunProgressWindow(CInstallApp& app, InstallDisplay& logFile);
