// What the start-up asks of the machine beyond the registry and the files:
// the processor's SSE2 support, the error mode, the common controls, the
// known folders, the user's temporary path and the executable's name. Windows
// asks the system; the Linux build answers with plain stand-ins. Tests replace
// the known folders and the temporary path to reach their edge cases.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace app_system {

// The known folders the start-up uses (CSIDL values).
inline constexpr int kCsidlPrograms = 0x02;
inline constexpr int kCsidlCommonPrograms = 0x17;
inline constexpr int kCsidlProgramFiles = 0x26;

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

// A known folder (SHGetFolderPathW, not created); false when the query fails.
bool KnownFolder(int csidl, std::wstring& path);

// GetTempPathW into a buffer of 260 characters: the length it returned
// (0 on failure), the path, and the system's last error after the call.
struct TempPathAnswer {
    std::uint32_t length = 0;
    std::wstring path;
    std::uint32_t lastError = 0;
};
TempPathAnswer TempPath();

// The executable's file name without folder and extension ("Install").
std::wstring ExecutableBaseName();

// Tests: replace the answers of KnownFolder and TempPath (an empty function
// restores the system's).
void SetKnownFolderSource(std::function<bool(int csidl, std::wstring& path)> source);
void SetTempPathSource(std::function<TempPathAnswer()> source);

namespace details {
bool SystemKnownFolder(int csidl, std::wstring& path);
TempPathAnswer SystemTempPath();
}  // namespace details

}  // namespace app_system
