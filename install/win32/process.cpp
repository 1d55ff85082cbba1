#include "install/process.h"

#include <windows.h>
#include <shlobj.h>

ProcessOutcome run_and_wait(const std::wstring& commandLine, const std::wstring& workingFolder)
{
    std::wstring command = commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION process{};
    ProcessOutcome outcome;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, HIGH_PRIORITY_CLASS, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process))
        return outcome;
    outcome.started = true;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code))
        outcome.exitCode = code;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

void announce_association_change()
{
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
}

WaitCursor::WaitCursor()
    : previous_(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT))))
{
}

WaitCursor::~WaitCursor()
{
    SetCursor(static_cast<HCURSOR>(previous_));
}
