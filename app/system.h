// What the process-level initialisation asks of the system: the processor's
// SSE2 support, the error mode, the common controls, the user's locale and
// the executable's name. Windows asks the system; the Linux build answers
// with plain stand-ins. (Known folders and the temporary path are the
// machine's: platform/known_folders.h.)
#pragma once

#include <cstdint>
#include <string>

namespace app_system {

// IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE).
bool ProcessorHasSse2();

// Adds SEM_FAILCRITICALERRORS and SEM_NOOPENFILEERRORBOX to the error mode.
void AddQuietErrorMode();

// The version of Comctl32.dll (major << 16 | minor) from its DllGetVersion;
// 0 when the export is missing or fails. Then InitCommonControlsEx with
// `classes`; false when that fails.
std::uint32_t CommonControlsVersion();
bool InitCommonControls(std::uint32_t classes);

// The name of the user's default locale (LCIDToLocaleName of
// GetUserDefaultLCID); empty when unknown.
std::wstring UserLocaleName();

// The executable's file name without folder and extension ("Install").
std::wstring ExecutableBaseName();

}  // namespace app_system
