// Stand-in for the product's uninstaller. Started by Windows through the
// uninstall key's "UninstallString" (its path, no argument), it reads
// "Uninstall.ulog" from its own folder and undoes the installation, newest
// entry first: files and shortcuts are deleted, folders removed when empty,
// the uninstall key deleted, the product's registration (its document type)
// removed, and so is the product path value, which the log does not name.
//
// It asks for confirmation unless started with "/S". A running program
// cannot delete its own file, so it leaves that last step to a copy of itself
// in the temporary folder, started with "/RemoveAfter": the copy waits for
// this process to end, deletes the uninstaller and the folders that were
// waiting for it, and disappears with its own end (it runs from a file opened
// for deletion on close). Paths travel as UTF-16 command-line arguments, so
// any folder name Windows allows is removed whatever the code page.
//
// Exit codes: 0 removed, 1 cancelled by the user, 2 no readable log,
// 3 something could not be removed (it stays; the rest is gone).
#include "product/product_identity.h"
#include "support/text.h"
#include "uninstall/uninstall_log.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdint>
#include <cstdlib>
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
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
        GetLastError() == ERROR_PATH_NOT_FOUND;
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
                           nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0;
    RegCloseKey(key);
    if (empty)
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, product::kMakerKey);
}

struct handle_closer {
    void operator()(HANDLE h) const noexcept
    {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using unique_handle = std::unique_ptr<void, handle_closer>;

// One argument as CommandLineToArgvW reads it back: quoted, with the
// backslashes before a quotation mark (and before the closing one) doubled.
std::wstring quoted_argument(const std::wstring& text)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring temp_folder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(temp, n);
}

// Copies this program to the temporary folder and starts the copy, which
// deletes `self` and then `folders` (innermost first) once this process has
// ended. The copy is opened for deletion on close and that handle is
// inherited: the file goes when the copy ends. False when it could not be
// started (nothing is left behind then).
bool hand_over_removal(const std::wstring& self, const std::vector<std::wstring>& folders)
{
    const std::wstring temp = temp_folder();
    wchar_t name[MAX_PATH];
    if (temp.empty() || !GetTempFileNameW(temp.c_str(), L"avu", 0, name))
        return false;
    const std::wstring copy = name;
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) {
        DeleteFileW(copy.c_str());
        return false;
    }
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);

    SECURITY_ATTRIBUTES inherited {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const unique_handle copy_file(CreateFileW(copy.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        &inherited, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (copy_file.get() == INVALID_HANDLE_VALUE) {
        DeleteFileW(copy.c_str());
        return false;
    }
    HANDLE raw = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &raw, SYNCHRONIZE, TRUE, 0))
        return false;  // closing copy_file deletes the copy
    const unique_handle self_process(raw);

    std::wstring command = quoted_argument(copy) + L" /RemoveAfter " +
        std::to_wstring(reinterpret_cast<std::uintptr_t>(self_process.get())) + L" " + quoted_argument(self);
    for (const auto& folder : folders)
        command += L" " + quoted_argument(folder);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, temp.c_str(),
            &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The copy's part: waits for the uninstaller (the inherited handle) to end,
// then deletes its file and the folders that held it. A program that has
// just ended may keep its file busy for a moment, hence the retries.
int remove_after(HANDLE uninstaller, const std::wstring& self, const std::vector<std::wstring>& folders)
{
    WaitForSingleObject(uninstaller, 60000);
    CloseHandle(uninstaller);
    bool removed = false;
    for (int attempt = 0; attempt < 100 && !removed; ++attempt) {
        SetFileAttributesW(self.c_str(), FILE_ATTRIBUTE_NORMAL);
        removed = DeleteFileW(self.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
        if (!removed)
            Sleep(100);
    }
    bool all = removed;
    for (const auto& folder : folders) {
        if (RemoveDirectoryW(folder.c_str()))
            SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, folder.c_str(), nullptr);
        else
            all = false;
    }
    return all ? 0 : 3;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    if (argv && argc >= 4 && lstrcmpiW(argv.get()[1], L"/RemoveAfter") == 0) {
        const auto handle =
            reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(argv.get()[2], nullptr, 10)));
        return remove_after(handle, argv.get()[3], std::vector<std::wstring>(argv.get() + 4, argv.get() + argc));
    }
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
            MessageBoxW(nullptr, (L"The uninstall log \"" + log_path + L"\" cannot be read.").c_str(), L"Uninstall",
                MB_OK | MB_ICONERROR);
        return 2;
    }
    if (!silent) {
        const std::wstring question = L"Remove " + log.previousVersion + L" and all of its components?";
        if (MessageBoxW(nullptr, question.c_str(), L"Uninstall", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 1;
    }

    // Newest first: what was put into a folder goes before the folder.
    bool all_removed = true;
    std::vector<std::wstring> folders_left;
    for (auto it = log.previousEntries.rbegin(); it != log.previousEntries.rend(); ++it) {
        const UninstallLogEntry& entry = *it;
        switch (entry.kind) {
        case UninstallLogEntry::CreatedFolder:
            // A folder that still holds this program waits for the copy; one
            // that holds a file of the user's stays, as it should.
            if (!RemoveDirectoryW(entry.path.c_str()) && PathIsDirectoryW(entry.path.c_str())) {
                const std::size_t n = entry.path.size();
                if (self.size() > n && self[n] == L'\\' && SamePath(self.substr(0, n), entry.path))
                    folders_left.push_back(entry.path);
            }
            break;
        case UninstallLogEntry::InstalledFile:
            if (entry.succeeded && !SamePath(entry.path, self))
                all_removed = delete_file(entry.path) && all_removed;
            break;
        case UninstallLogEntry::MenuShortcut:
        case UninstallLogEntry::MenuUninstallShortcut:
        case UninstallLogEntry::DesktopShortcut:
            if (!entry.path.empty())
                all_removed = delete_file(entry.path) && all_removed;
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
    all_removed = delete_file(log_path) && all_removed;

    SetFileAttributesW(self.c_str(), FILE_ATTRIBUTE_NORMAL);
    all_removed = hand_over_removal(self, folders_left) && all_removed;
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, folder.c_str(), nullptr);
    return all_removed ? 0 : 3;
}
