// Test helper: a second process that meets the installer's named objects.
//   hold_named_object mutex   NAME READY QUIT  locks the mutex NAME, signals
//                                              the event READY, waits for QUIT
//   hold_named_object counter NAME READY QUIT  holds one count of the counter
//   hold_named_object trylock NAME             exit code 0 when the mutex
//                                              could be locked, 1 otherwise
// NAME is given without "Global\"; exit code 2 for bad arguments, 3 when the
// mutex to hold was taken, 4 when an event cannot be opened.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/single_instance.h"

namespace {

int WaitForQuit(const wchar_t* ready, const wchar_t* quit)
{
    const HANDLE readyEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
    const HANDLE quitEvent = OpenEventW(SYNCHRONIZE, FALSE, quit);
    if (readyEvent == nullptr || quitEvent == nullptr)
        return 4;
    SetEvent(readyEvent);
    WaitForSingleObject(quitEvent, 120000);
    CloseHandle(readyEvent);
    CloseHandle(quitEvent);
    return 0;
}

}  // namespace

int main()
{
    int argc = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    if (!argv || argc < 3)
        return 2;
    const std::wstring mode = argv.get()[1];
    const std::wstring name = argv.get()[2];
    if (mode == L"trylock") {
        NamedMutex mutex(name);
        return mutex.TryLock() ? 0 : 1;
    }
    if (argc < 5)
        return 2;
    if (mode == L"mutex") {
        NamedMutex mutex(name);
        if (!mutex.TryLock())
            return 3;
        return WaitForQuit(argv.get()[3], argv.get()[4]);
    }
    if (mode == L"counter") {
        RunningInstanceCounter counter(name);
        return WaitForQuit(argv.get()[3], argv.get()[4]);
    }
    return 2;
}
