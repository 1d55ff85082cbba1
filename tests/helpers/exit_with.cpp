// Test helper: a program that the process tests start.
//   exit_with CODE FILE  writes its current folder to FILE (UTF-16, no mark)
//                        and ends with the exit code CODE (decimal, may be
//                        negative)
// Exit code 2 for bad arguments, 3 when FILE cannot be written.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>

int main()
{
    int argc = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    if (!argv || argc != 3)
        return 2;
    const int code = static_cast<int>(std::wcstol(argv.get()[1], nullptr, 10));
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    const HANDLE file =
        CreateFileW(argv.get()[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, folder, length * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return ok ? code : 3;
}
