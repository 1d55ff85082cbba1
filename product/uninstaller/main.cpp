// Stand-in for the product's uninstaller. Started by Windows through the
// uninstall key's "UninstallString" (its path, no argument), it reads
// "Uninstall.ulog" from its own folder and undoes the installation, newest
// entry first: files and shortcuts are deleted, folders removed when empty,
// the uninstall key deleted, the product's registration (its document type)
// removed, and so is the product path value, which the log does not name.
//
// It asks for confirmation unless started with "/S". A running program
// cannot delete its own file, so, as uninstallers do, it leaves a small
// batch file in the temporary folder that waits for it to end, then deletes
// the uninstaller, the folders that were waiting for it, and itself.
//
// Exit codes: 0 removed, 1 cancelled by the user, 2 no readable log.
#include "product/product_identity.h"
#include "support/text.h"
#include "uninstall/uninstall_log.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

std::wstring module_path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring parent_folder(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool delete_file(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

// The registration run registered the product's document type.
void remove_product_registration()
{
    SHDeleteKeyW(HKEY_CLASSES_ROOT, product::kDocumentExtension);
    SHDeleteKeyW(HKEY_CLASSES_ROOT, product::kDocumentClass);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// The installer records the main program's path under the maker's key; the
// key goes too when nothing else of the maker is left in it.
void remove_product_path_value()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, product::kMakerKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, product::kProductPathValue);
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr) == ERROR_SUCCESS
        && subkeys == 0 && values == 0;
    RegCloseKey(key);
    if (empty)
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, product::kMakerKey);
}

// Writes and starts the batch file that finishes what a running program
// cannot do itself: delete its own file, then the folders that held it.
void finish_after_exit(const std::wstring& self, const std::vector<std::wstring>& folders)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH)
        return;
    wchar_t script[MAX_PATH];
    if (!GetTempFileNameW(temp, L"av", 0, script))
        return;
    const std::wstring batch = std::wstring(script) + L".bat";
    DeleteFileW(script);

    std::string text = "@echo off\r\n:retry\r\n";
    const auto quoted = [](const std::wstring& path) { return "\"" + av::wide_to_narrow(path) + "\""; };
    text += "del /f /q " + quoted(self) + " >nul 2>&1\r\n";
    text += "if exist " + quoted(self) + " goto retry\r\n";
    for (const auto& folder : folders)
        text += "rmdir " + quoted(folder) + " >nul 2>&1\r\n";
    text += "del /f /q \"%~f0\"\r\n";

    HANDLE file = CreateFileW(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
        && written == text.size();
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(batch.c_str());
        return;
    }

    std::wstring command = L"cmd.exe /d /c \"" + batch + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr,
                       temp, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        DeleteFileW(batch.c_str());
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    bool silent = false;
    for (int i = 1; argv && i < argc; ++i)
        silent = silent || lstrcmpiW(argv.get()[i], L"/S") == 0;

    const std::wstring self = module_path();
    const std::wstring folder = parent_folder(self);
    const std::wstring log_path = folder + L"\\Uninstall.ulog";

    UninstallLog log;
    log.Load(log_path);
    if (log.previousEntries.empty()) {
        if (!silent)
            MessageBoxW(nullptr, (L"The uninstall log \"" + log_path + L"\" cannot be read.").c_str(),
                        L"Uninstall", MB_OK | MB_ICONERROR);
        return 2;
    }
    if (!silent) {
        const std::wstring question = L"Remove " + log.previousVersion + L" and all of its components?";
        if (MessageBoxW(nullptr, question.c_str(), L"Uninstall", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 1;
    }

    // Newest first: what was put into a folder goes before the folder.
    std::vector<std::wstring> folders_left;
    for (auto it = log.previousEntries.rbegin(); it != log.previousEntries.rend(); ++it) {
        const UninstallLogEntry& entry = *it;
        switch (entry.kind) {
        case UninstallLogEntry::CreatedFolder:
            if (!RemoveDirectoryW(entry.path.c_str()) && PathIsDirectoryW(entry.path.c_str()))
                folders_left.push_back(entry.path);
            break;
        case UninstallLogEntry::InstalledFile:
            if (entry.succeeded && !SamePath(entry.path, self))
                delete_file(entry.path);
            break;
        case UninstallLogEntry::MenuShortcut:
        case UninstallLogEntry::MenuUninstallShortcut:
        case UninstallLogEntry::DesktopShortcut:
            if (!entry.path.empty())
                delete_file(entry.path);
            break;
        case UninstallLogEntry::UninstallKey:
            SHDeleteKeyW(HKEY_LOCAL_MACHINE, product::kUninstallKey);
            break;
        case UninstallLogEntry::ProductRegistration:
            remove_product_registration();
            break;
        default:
            break;
        }
    }
    remove_product_path_value();
    delete_file(log_path);

    // Folders that still hold something wait for the uninstaller's own file;
    // the batch file tries them again, innermost first, once it is gone.
    SetFileAttributesW(self.c_str(), FILE_ATTRIBUTE_NORMAL);
    finish_after_exit(self, folders_left);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, folder.c_str(), nullptr);
    return 0;
}
