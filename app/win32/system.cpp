// The process-level initialisation's answers on Windows.
#include "app/system.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

namespace app_system {

bool ProcessorHasSse2()
{
    return IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
}

void AddQuietErrorMode()
{
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

std::uint32_t CommonControlsVersion()
{
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    if (module == nullptr)
        module = LoadLibraryExW(L"comctl32.dll", nullptr, 0x1000 /* search default dirs */);
    if (module == nullptr)
        module = LoadLibraryW(L"comctl32.dll");
    if (module == nullptr)
        return 0;
    const FARPROC address = GetProcAddress(module, "DllGetVersion");
    if (address == nullptr)
        return 0;
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(address));
    DLLVERSIONINFO info {};
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info)))
        return 0;
    const std::uint32_t version = (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
    // Wine's common controls report 5.81 also when the version 6 assembly
    // serves them. Only that side-by-side assembly redirects comctl32.dll,
    // so a redirection in the process's activation context means version 6.
    if (version < 0x60000) {
        ACTCTX_SECTION_KEYED_DATA data {};
        data.cbSize = sizeof(data);
        if (FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data))
            return 0x60000;
    }
    return version;
}

bool InitCommonControls(std::uint32_t classes)
{
    INITCOMMONCONTROLSEX init {sizeof(init), classes};
    return InitCommonControlsEx(&init) != FALSE;
}

std::wstring UserLocaleName()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = LCIDToLocaleName(GetUserDefaultLCID(), name, LOCALE_NAME_MAX_LENGTH, 0);
    return length > 1 ? std::wstring(name, static_cast<std::size_t>(length - 1)) : std::wstring();
}

std::wstring ExecutableBaseName()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring name(PathFindFileNameW(path));
    const auto dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace app_system
