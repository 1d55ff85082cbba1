// Test helper: holds a file open without sharing for a while, as a virus
// scanner may hold a freshly written file.
//   payload_hold_file PATH MILLISECONDS READY
// opens PATH with no sharing, signals the event READY, keeps the file for
// MILLISECONDS and closes it. Exit code 2 for bad arguments, 3 when the file
// cannot be opened, 4 when the event cannot be opened.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int main()
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 4)
        return 2;
    const DWORD milliseconds = std::wcstoul(args[2], nullptr, 10);
    const HANDLE file = CreateFileW(args[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, args[3]);
    LocalFree(args);
    if (ready == nullptr) {
        CloseHandle(file);
        return 4;
    }
    SetEvent(ready);
    CloseHandle(ready);
    Sleep(milliseconds);
    CloseHandle(file);
    return 0;
}
