// No windows in the Linux build: the wizard returns at once.
#include "app/wizard_frame.h"

void RunWizardFrame(CInstallApp&) {}
