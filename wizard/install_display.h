// The replaceable entry point through which the wizard starts the
// installation run on its Install page. The run installs itself with
// SetInstallationRun; until one is installed, RunInstallation reports a
// failure on the display and returns false.
#pragma once

#include <functional>

#include "install/install_display.h"

namespace wizard {

using InstallationRun = std::function<bool(InstallDisplay&)>;

// Replaces the run (an empty function removes it).
void SetInstallationRun(InstallationRun run);

// Runs the installed run on `display`; true when the installation succeeded.
bool RunInstallation(InstallDisplay& display);

}  // namespace wizard
