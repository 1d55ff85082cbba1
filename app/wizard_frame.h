// The wizard frame as the start-up sees it: constructed, made the main
// window, run modally until it closes. Until the wizard's pages exist the
// frame is a plain window titled with the application name; closing it ends
// the run. The Linux build has no windows and returns at once.
#pragma once

class CInstallApp;

void RunWizardFrame(CInstallApp& app);
