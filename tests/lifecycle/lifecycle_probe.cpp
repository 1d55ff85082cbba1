// Lifecycle test helper: reads back, inside a Wine prefix, what only Windows
// can tell, and prints it as UTF-8 lines for the shell driver.
//
//   lifecycle_probe link FILE.lnk...
//       file=<path>          for each shortcut file, in turn:
//       target=<path>        the shell link's target (IShellLinkW::GetPath)
//       workdir=<path>       its working folder
//       arguments=<text>     its arguments (the installer sets none)
//   lifecycle_probe registry KEY...
//       every KEY ("HKLM\..." or "HKCR\...") with all its values and subkeys,
//       depth first, subkeys and values in name order:
//         [KEY]              a key that exists
//         "name"=type:data   one value (REG_SZ as its stored text, control
//                            characters and the terminating null as \xNN;
//                            REG_DWORD as hex; anything else as hex bytes)
//         [KEY] absent       a key that does not exist
//   lifecycle_probe attributes FILE...
//       attributes=<8 hex digits> for each file, or "absent" when they
//       cannot be read
//   lifecycle_probe run COMMAND_LINE
//       starts COMMAND_LINE, waits for it to end and prints exit=<code> as a
//       signed decimal: a Unix exit status keeps only the low 8 bits of
//       codes like 1638 or -10
//   lifecycle_probe hold FILE COMMAND_LINE
//       the same while this process holds FILE open without sharing, as a
//       virus scanner or a running program may hold it
//   lifecycle_probe watch COMMAND_LINE
//       runs COMMAND_LINE like "run" and watches the program's top-level
//       windows meanwhile: window=<title> for each one that shows, and for
//       a message box box=<text> (line ends as \x0d\x0a), after which the
//       box is answered with OK as a person would; then exit=<code>
//   lifecycle_probe mutex NAME COMMAND_LINE
//       the same as run while this process owns the named mutex NAME, as
//       another installer of the product would
//   lifecycle_probe semaphore NAME COMMAND_LINE
//       the same as run while this process holds one count of the named
//       semaphore NAME, as a running program of the product does
//   lifecycle_probe restricted COMMAND_LINE
//       the same as run, the program started with this process's token
//       restricted so that the Administrators group only denies: the user
//       of an ordinary account
//   lifecycle_probe folder CSIDL...
//       folder=<path> for each shell folder (decimal CSIDL), as the
//       installer asks for it, or "absent"
//   lifecycle_probe set KEY NAME TEXT
//       writes the REG_SZ value NAME of KEY (created when missing), in this
//       32-bit program's view of the registry
//   lifecycle_probe codepage
//       acp=<the ANSI code page>
//   lifecycle_probe damage FILE TYPE NAME
//       flips one byte in the middle of the resource TYPE/NAME (decimal ids)
//       of the executable FILE, through the resource-update functions
//
// Exit codes: 0 done, 2 wrong usage, 3 the link cannot be read, 4 a key
// cannot be read or written, 5 the program cannot be started, 6 the file or
// object cannot be opened, 7 the resource cannot be read or written.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cwchar>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

void print(const std::wstring& line)
{
    const std::wstring text = line + L"\n";
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

// Control characters would break the line format of the listing; a REG_SZ
// value's terminating null shows as "\x00".
std::wstring escaped(const std::wstring& text)
{
    std::wstring out;
    for (const wchar_t c : text) {
        if (c < 0x20) {
            wchar_t code[8];
            swprintf(code, 8, L"\\x%02x", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

template <class Interface>
struct com_releaser {
    void operator()(Interface* p) const noexcept { p->Release(); }
};
template <class Interface>
using com_ptr = std::unique_ptr<Interface, com_releaser<Interface>>;

class com_library {
public:
    com_library()
        : ok_(SUCCEEDED(CoInitialize(nullptr)))
    {
    }
    ~com_library()
    {
        if (ok_)
            CoUninitialize();
    }
    com_library(const com_library&) = delete;
    com_library& operator=(const com_library&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// Prints file=, target=, workdir= and arguments= of one shortcut file.
int read_link(const wchar_t* file)
{
    com_ptr<IShellLinkW> link;
    {
        IShellLinkW* raw = nullptr;
        if (FAILED(CoCreateInstance(
                CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&raw))))
            return 3;
        link.reset(raw);
    }
    com_ptr<IPersistFile> persist;
    {
        IPersistFile* raw = nullptr;
        if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&raw))))
            return 3;
        persist.reset(raw);
    }
    if (FAILED(persist->Load(file, STGM_READ)))
        return 3;
    print(L"file=" + std::wstring(file));
    wchar_t text[MAX_PATH * 4] = {};
    // The target as the shell finds it: through the link's item id list,
    // which holds every letter of the path. The location text beside it
    // is, in the links Wine writes, in the ANSI code page only, so letters
    // outside it read back as "?" there; that text is the fallback for a
    // link without an id list (SLGP_RAWPATH: as stored, not resolved).
    PIDLIST_ABSOLUTE items = nullptr;
    const bool by_items = SUCCEEDED(link->GetIDList(&items)) && items && SHGetPathFromIDListW(items, text);
    CoTaskMemFree(items);
    if (!by_items && FAILED(link->GetPath(text, MAX_PATH * 4, nullptr, SLGP_RAWPATH)))
        return 3;
    print(L"target=" + std::wstring(text));
    text[0] = 0;
    if (FAILED(link->GetWorkingDirectory(text, MAX_PATH * 4)))
        return 3;
    print(L"workdir=" + std::wstring(text));
    text[0] = 0;
    if (FAILED(link->GetArguments(text, MAX_PATH * 4)))
        return 3;
    print(L"arguments=" + std::wstring(text));
    return 0;
}

int read_links(int count, wchar_t** files)
{
    const com_library com;
    if (!com.ok())
        return 3;
    for (int i = 0; i < count; ++i)
        if (const int result = read_link(files[i]); result != 0)
            return result;
    return 0;
}

struct key_closer {
    void operator()(HKEY k) const noexcept { RegCloseKey(k); }
};
using unique_key = std::unique_ptr<std::remove_pointer_t<HKEY>, key_closer>;

std::wstring value_text(DWORD type, const std::vector<BYTE>& data)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        // The whole stored data: a REG_SZ written with its terminating null
        // ends in "\x00", one written without it does not.
        return std::wstring(type == REG_SZ ? L"sz:" : L"expand_sz:") + escaped(text);
    }
    if (type == REG_DWORD && data.size() == 4) {
        DWORD v = 0;
        std::copy(data.begin(), data.end(), reinterpret_cast<BYTE*>(&v));
        wchar_t hex[16];
        swprintf(hex, 16, L"dword:%08lx", static_cast<unsigned long>(v));
        return hex;
    }
    std::wstring out = L"hex(" + std::to_wstring(type) + L"):";
    for (std::size_t i = 0; i < data.size(); ++i) {
        wchar_t b[4];
        swprintf(b, 4, i ? L",%02x" : L"%02x", data[i]);
        out += b;
    }
    return out;
}

bool dump_key(HKEY root, const std::wstring& display, const std::wstring& path)
{
    HKEY raw = nullptr;
    const LONG opened = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw);
    if (opened == ERROR_FILE_NOT_FOUND) {
        print(L"[" + display + L"] absent");
        return true;
    }
    if (opened != ERROR_SUCCESS)
        return false;
    const unique_key key(raw);
    print(L"[" + display + L"]");

    DWORD subkey_count = 0, max_subkey = 0, value_count = 0, max_name = 0, max_data = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkey_count, &max_subkey, nullptr, &value_count,
            &max_name, &max_data, nullptr, nullptr) != ERROR_SUCCESS)
        return false;

    std::vector<std::pair<std::wstring, std::wstring>> values;
    for (DWORD i = 0; i < value_count; ++i) {
        std::wstring name(max_name + 1, L'\0');
        DWORD name_size = max_name + 1;
        std::vector<BYTE> data(max_data + 2);
        DWORD data_size = max_data + 2;
        DWORD type = 0;
        if (RegEnumValueW(key.get(), i, name.data(), &name_size, nullptr, &type, data.data(), &data_size) !=
            ERROR_SUCCESS)
            return false;
        name.resize(name_size);
        data.resize(data_size);
        values.emplace_back(name, value_text(type, data));
    }
    std::sort(values.begin(), values.end());
    for (const auto& [name, text] : values)
        print((name.empty() ? std::wstring(L"@") : L"\"" + escaped(name) + L"\"") + L"=" + text);

    std::vector<std::wstring> subkeys;
    for (DWORD i = 0; i < subkey_count; ++i) {
        std::wstring name(max_subkey + 1, L'\0');
        DWORD size = max_subkey + 1;
        if (RegEnumKeyExW(key.get(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        name.resize(size);
        subkeys.push_back(name);
    }
    std::sort(subkeys.begin(), subkeys.end());
    for (const auto& name : subkeys)
        if (!dump_key(root, display + L"\\" + name, path + L"\\" + name))
            return false;
    return true;
}

int dump_registry(int count, wchar_t** keys)
{
    for (int i = 0; i < count; ++i) {
        const std::wstring key = keys[i];
        HKEY root = nullptr;
        std::wstring rest;
        if (key.rfind(L"HKLM\\", 0) == 0) {
            root = HKEY_LOCAL_MACHINE;
            rest = key.substr(5);
        } else if (key.rfind(L"HKCR\\", 0) == 0) {
            root = HKEY_CLASSES_ROOT;
            rest = key.substr(5);
        } else {
            return 2;
        }
        if (!dump_key(root, key, rest))
            return 4;
    }
    return 0;
}

int print_attributes(int count, wchar_t** files)
{
    for (int i = 0; i < count; ++i) {
        const DWORD attributes = GetFileAttributesW(files[i]);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            print(L"absent");
            continue;
        }
        wchar_t hex[32];
        swprintf(hex, 32, L"attributes=%08lx", static_cast<unsigned long>(attributes));
        print(hex);
    }
    return 0;
}

// Starts COMMAND_LINE (with TOKEN when given), waits for it and prints its
// exit code.
int run_program(const wchar_t* command_line, HANDLE token = nullptr)
{
    std::wstring command = command_line;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    const BOOL started = token
        ? CreateProcessAsUserW(
              token, nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)
        : CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    if (!started)
        return 5;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const BOOL got = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!got)
        return 5;
    print(L"exit=" + std::to_wstring(static_cast<long>(code)));
    return 0;
}

struct watched_windows {
    DWORD process = 0;
    std::vector<HWND> seen;
};

BOOL CALLBACK note_window(HWND window, LPARAM data)
{
    auto& watched = *reinterpret_cast<watched_windows*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watched.process || !IsWindowVisible(window))
        return TRUE;
    if (std::find(watched.seen.begin(), watched.seen.end(), window) != watched.seen.end())
        return TRUE;
    watched.seen.push_back(window);
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    print(L"window=" + escaped(title));
    // A message box's text is its static control 0xFFFF.
    constexpr int kMessageBoxText = 0xFFFF;
    if (const HWND text = GetDlgItem(window, kMessageBoxText)) {
        std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(text)) + 1);
        GetWindowTextW(text, buffer.data(), static_cast<int>(buffer.size()));
        print(L"box=" + escaped(buffer.data()));
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

int watch_program(const wchar_t* command_line)
{
    std::wstring command = command_line;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 5;
    CloseHandle(process.hThread);
    watched_windows watched;
    watched.process = process.dwProcessId;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT)
        EnumWindows(&note_window, reinterpret_cast<LPARAM>(&watched));
    DWORD code = 0;
    const BOOL got = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!got)
        return 5;
    print(L"exit=" + std::to_wstring(static_cast<long>(code)));
    return 0;
}

int hold_and_run(const wchar_t* file, const wchar_t* command_line)
{
    const HANDLE held = CreateFileW(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 6;
    const int result = run_program(command_line);
    CloseHandle(held);
    return result;
}

int run_restricted(const wchar_t* command_line)
{
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own))
        return 6;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid;
    SID_AND_ATTRIBUTES deny_only {};
    deny_only.Sid = sid;
    HANDLE restricted = nullptr;
    const bool made = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sid_size) &&
        CreateRestrictedToken(own, 0, 1, &deny_only, 0, nullptr, 0, nullptr, &restricted);
    CloseHandle(own);
    if (!made)
        return 6;
    const int result = run_program(command_line, restricted);
    CloseHandle(restricted);
    return result;
}

int own_mutex_and_run(const wchar_t* name, const wchar_t* command_line)
{
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
    if (!mutex)
        return 6;
    const bool owned = GetLastError() != ERROR_ALREADY_EXISTS || WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
    const int result = owned ? run_program(command_line) : 6;
    if (owned)
        ReleaseMutex(mutex);
    CloseHandle(mutex);
    return result;
}

int count_and_run(const wchar_t* name, const wchar_t* command_line)
{
    const HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, name);
    if (!semaphore)
        return 6;
    if (!ReleaseSemaphore(semaphore, 1, nullptr)) {
        CloseHandle(semaphore);
        return 6;
    }
    const int result = run_program(command_line);
    WaitForSingleObject(semaphore, 0);
    CloseHandle(semaphore);
    return result;
}

int set_value(const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    HKEY root = nullptr;
    if (key.rfind(L"HKLM\\", 0) == 0)
        root = HKEY_LOCAL_MACHINE;
    else if (key.rfind(L"HKCR\\", 0) == 0)
        root = HKEY_CLASSES_ROOT;
    else
        return 2;
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, key.substr(5).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return 4;
    const unique_key opened(raw);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
            ERROR_SUCCESS
        ? 0
        : 4;
}

BOOL CALLBACK first_language(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR out)
{
    *reinterpret_cast<WORD*>(out) = language;
    return FALSE;
}

struct module_freer {
    void operator()(HMODULE m) const noexcept { FreeLibrary(m); }
};

int damage_resource(const wchar_t* file, const wchar_t* type_text, const wchar_t* name_text)
{
    const auto type = MAKEINTRESOURCEW(std::wcstol(type_text, nullptr, 10));
    const auto name = MAKEINTRESOURCEW(std::wcstol(name_text, nullptr, 10));
    std::vector<BYTE> data;
    WORD language = 0;
    {
        const std::unique_ptr<std::remove_pointer_t<HMODULE>, module_freer> module(
            LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module)
            return 6;
        const HRSRC found = FindResourceW(module.get(), name, type);
        const HGLOBAL loaded = found ? LoadResource(module.get(), found) : nullptr;
        const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        if (!bytes || SizeofResource(module.get(), found) < 2)
            return 7;
        data.assign(bytes, bytes + SizeofResource(module.get(), found));
        // The resource's language, so that the update replaces it instead of
        // adding a second copy beside it.
        EnumResourceLanguagesW(module.get(), type, name, first_language, reinterpret_cast<LONG_PTR>(&language));
    }
    data[data.size() / 2] ^= 0xFF;
    const HANDLE update = BeginUpdateResourceW(file, FALSE);
    if (!update)
        return 7;
    if (!UpdateResourceW(update, type, name, language, data.data(), static_cast<DWORD>(data.size()))) {
        EndUpdateResourceW(update, TRUE);
        return 7;
    }
    return EndUpdateResourceW(update, FALSE) ? 0 : 7;
}

int print_folders(int count, wchar_t** csidls)
{
    for (int i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH] = {};
        const int csidl = static_cast<int>(std::wcstol(csidls[i], nullptr, 10));
        if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) || !path[0])
            print(L"absent");
        else
            print(L"folder=" + std::wstring(path));
    }
    return 0;
}

}  // namespace

int main()
{
    int argc = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    if (!argv || argc < 2)
        return 2;
    // Plain UTF-8 lines, without the run-time library's CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring command = argv.get()[1];
    int result = 2;
    if (command == L"codepage") {
        print(L"acp=" + std::to_wstring(GetACP()));
        result = 0;
    } else if (argc < 3) {
        result = 2;
    } else if (command == L"link")
        result = read_links(argc - 2, argv.get() + 2);
    else if (command == L"registry")
        result = dump_registry(argc - 2, argv.get() + 2);
    else if (command == L"attributes")
        result = print_attributes(argc - 2, argv.get() + 2);
    else if (command == L"run" && argc == 3)
        result = run_program(argv.get()[2]);
    else if (command == L"watch" && argc == 3)
        result = watch_program(argv.get()[2]);
    else if (command == L"hold" && argc == 4)
        result = hold_and_run(argv.get()[2], argv.get()[3]);
    else if (command == L"restricted" && argc == 3)
        result = run_restricted(argv.get()[2]);
    else if (command == L"mutex" && argc == 4)
        result = own_mutex_and_run(argv.get()[2], argv.get()[3]);
    else if (command == L"semaphore" && argc == 4)
        result = count_and_run(argv.get()[2], argv.get()[3]);
    else if (command == L"folder")
        result = print_folders(argc - 2, argv.get() + 2);
    else if (command == L"set" && argc == 5)
        result = set_value(argv.get()[2], argv.get()[3], argv.get()[4]);
    else if (command == L"damage" && argc == 5)
        result = damage_resource(argv.get()[2], argv.get()[3], argv.get()[4]);
    std::fflush(stdout);
    return result;
}
