// Stand-in for the product's main program, honouring what the installer
// relies on:
//  - its version block carries the product's version (set by the build);
//  - while it runs it holds one count of the running-instance counter;
//  - started with "/Register /Background" (and, on an update,
//    "/update=<16 hex digits>") it registers its document type under
//    HKEY_CLASSES_ROOT, keeps the arguments it was given there, and ends
//    with exit code -10.
// Started otherwise it shows a small window until it is closed; "/wait=MS"
// makes it run without a window for MS milliseconds (for tests).
#include "product/product_identity.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct handle_closer {
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using unique_handle = std::unique_ptr<void, handle_closer>;

struct key_closer {
    void operator()(HKEY k) const noexcept { RegCloseKey(k); }
};
using unique_key = std::unique_ptr<std::remove_pointer_t<HKEY>, key_closer>;

// One count of the running-instance counter for the life of the process.
class running_instance {
public:
    running_instance()
        : semaphore_(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, product::kRunningCounterName))
    {
        held_ = semaphore_ && ReleaseSemaphore(semaphore_.get(), 1, nullptr);
    }
    ~running_instance()
    {
        if (held_)
            WaitForSingleObject(semaphore_.get(), 0);
    }
    running_instance(const running_instance&) = delete;
    running_instance& operator=(const running_instance&) = delete;

private:
    unique_handle semaphore_;
    bool held_ = false;
};

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

bool set_string(HKEY key, const wchar_t* name, const std::wstring& value)
{
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool create_key(HKEY parent, const std::wstring& name, unique_key& out)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    out.reset(key);
    return true;
}

// What a real product's registration does: its document type, opened by it.
bool register_document_type(const std::wstring& arguments)
{
    const std::wstring exe = module_path();
    unique_key extension, document, command, icon;
    const std::wstring cls = product::kDocumentClass;
    const bool ok = create_key(HKEY_CLASSES_ROOT, product::kDocumentExtension, extension) &&
        set_string(extension.get(), nullptr, cls) && create_key(HKEY_CLASSES_ROOT, cls, document) &&
        set_string(document.get(), nullptr, L"Korvane Document") &&
        set_string(document.get(), product::kRegisteredWithValue, arguments) &&
        create_key(HKEY_CLASSES_ROOT, cls + L"\\shell\\open\\command", command) &&
        set_string(command.get(), nullptr, L"\"" + exe + L"\" \"%1\"") &&
        create_key(HKEY_CLASSES_ROOT, cls + L"\\DefaultIcon", icon) && set_string(icon.get(), nullptr, exe + L",0");
    return ok;
}

struct options {
    bool register_run = false;
    bool background = false;
    bool update_valid = true;  // "/update=" must carry exactly 16 hex digits
    DWORD wait_ms = 0;
    bool wait = false;
};

options parse(int argc, wchar_t** argv)
{
    options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg == L"/Register")
            o.register_run = true;
        else if (arg == L"/Background")
            o.background = true;
        else if (arg.starts_with(L"/update=")) {
            const std::wstring_view digits = arg.substr(8);
            o.update_valid =
                digits.size() == 16 && digits.find_first_not_of(L"0123456789abcdef") == std::wstring_view::npos;
        } else if (arg.starts_with(L"/wait=")) {
            o.wait = true;
            o.wait_ms = static_cast<DWORD>(std::wcstoul(std::wstring(arg.substr(6)).c_str(), nullptr, 10));
        }
    }
    return o;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int show_window(HINSTANCE instance)
{
    WNDCLASSW wc {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KorvaneStandIn";
    if (!RegisterClassW(&wc))
        return 1;
    HWND window = CreateWindowW(wc.lpszClassName, L"Korvane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
        CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const running_instance counted;

    int argc = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    const options o = argv ? parse(argc, argv.get()) : options {};

    if (o.register_run) {
        // Everything after the program's own name, as the installer passed it.
        std::wstring arguments;
        for (int i = 1; i < argc; ++i)
            arguments += std::wstring(L" ") + argv.get()[i];
        if (!o.update_valid || !register_document_type(arguments))
            return 1;
        return product::kRegistrationSucceeded;
    }
    if (o.wait) {
        Sleep(o.wait_ms);
        return 0;
    }
    return show_window(instance);
}
