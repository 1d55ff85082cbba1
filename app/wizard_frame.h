// The wizard frame as the start-up sees it: constructed, made the main
// window, run modally until it closes. The Linux build has no windows and
// returns at once.
#pragma once

class CInstallApp;

void RunWizardFrame(CInstallApp& app);
