// Shortcuts through the shell link object: target and working folder only.
#include "install/shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace {

template <typename Interface>
struct com_ptr {
    Interface* p = nullptr;
    com_ptr() = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    ~com_ptr()
    {
        if (p)
            p->Release();
    }
};

// The component library, initialised for this thread while the link is made.
struct com_scope {
    HRESULT result = CoInitialize(nullptr);
    bool ok() const { return result == S_OK || result == S_FALSE; }
    com_scope() = default;
    com_scope(const com_scope&) = delete;
    com_scope& operator=(const com_scope&) = delete;
    ~com_scope()
    {
        if (ok())
            CoUninitialize();
    }
};

}  // namespace

bool save_shell_link(const std::wstring& linkPath, const std::wstring& target, const std::wstring& workingFolder)
{
    const com_scope com;
    if (!com.ok())
        return false;
    HRESULT result = S_OK;
    {
        com_ptr<IShellLinkW> link;
        result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link.p));
        if (SUCCEEDED(result)) {
            link.p->SetPath(target.c_str());
            link.p->SetWorkingDirectory(workingFolder.c_str());
            com_ptr<IPersistFile> file;
            result = link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
            if (SUCCEEDED(result))
                result = file.p->Save(linkPath.c_str(), TRUE);
        }
    }
    return SUCCEEDED(result);
}
