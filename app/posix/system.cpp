// The machine seam of the start-up in the Linux build: a machine with SSE2
// and current common controls, Windows-like known folders and the process's
// temporary folder with a trailing backslash, as GetTempPathW gives it.
#include <cstdlib>

#include "app/system.h"
#include "lang/locale.h"

namespace app_system {

bool ProcessorHasSse2() { return true; }
void AddQuietErrorMode() {}
std::uint32_t CommonControlsVersion() { return 0x6000A; }
bool InitCommonControls(std::uint32_t) { return true; }
std::wstring UserLocaleName() { return av::locale::locale_name(av::locale::user_default_lcid()); }
std::wstring ExecutableBaseName() { return L"Install"; }

namespace details {

bool SystemKnownFolder(int csidl, std::wstring& path) {
    switch (csidl) {
        case kCsidlProgramFiles: path = L"C:\\Program Files"; return true;
        case kCsidlCommonPrograms: path = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"; return true;
        case kCsidlPrograms:
            path = L"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
            return true;
        default: return false;
    }
}

TempPathAnswer SystemTempPath() {
    TempPathAnswer answer;
    answer.path = L"C:\\Users\\user\\AppData\\Local\\Temp\\";
    answer.length = static_cast<std::uint32_t>(answer.path.size());
    return answer;
}

}  // namespace details
}  // namespace app_system
