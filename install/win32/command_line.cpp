#include "install/unattended.h"

#include <windows.h>

std::wstring ProcessCommandLine()
{
    const wchar_t* line = GetCommandLineW();
    return line != nullptr ? line : L"";
}
