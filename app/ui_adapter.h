// The framework's side of the support library's interface hooks (caption,
// icon, owner of a modal box), the installer's icon, and the one box shown
// before anything else exists (the processor message).
#pragma once

#include <string>

#include "support/ui_hooks.h"

// Installs the title, icon and owner hooks.
void InstallInterfaceHooks();

// Icon resource 128 of the executable at its stored size, loaded once; null
// when the executable has none.
av::icon_handle ApplicationIcon();

// Shows `text` with the error icon, no owner and no caption, and ends the
// process at once with exit code 1.
[[noreturn]] void ExitIncompatibleProcessor(const wchar_t* text);
