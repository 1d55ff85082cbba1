// The process-level initialisation of the installer, run during static
// initialisation before the application object exists: the processor check,
// the error mode and locale, the common controls, the application id from the
// installer's own version block with the running-instance counter, and the
// interface hooks of the support library.
#pragma once

#include <string>

// Runs the initialisation once. Without SSE2 it shows the trilingual message
// and ends the process with exit code 1; a failing locale or common-controls
// step shows "Initialization Error" and ends it with exit code -11.
void InitializeProcess();

// Whether the processor check has passed in this process.
bool ProcessorCheckPassed();

// The application id: the "ApplicationId" string of the executable's version
// block, else its "ProductName", else the executable's name without
// extension. Determined once.
const std::wstring& ApplicationId();

// The text shown on a processor without SSE2.
extern const wchar_t kIncompatibleProcessorText[];
