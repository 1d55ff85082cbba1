// Links through the shell link object (target and working folder only), and
// the shell's association notice.
#include "platform/shell_links.h"

#include "platform/file_system.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace av::platform {
namespace {

template <typename Interface>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    ~com_ptr()
    {
        if (p_)
            p_->Release();
    }
    Interface* operator->() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    Interface* p_ = nullptr;
};

// The component library, initialised for this thread while a link is made.
class com_scope {
public:
    com_scope()
        : result_(::CoInitialize(nullptr))
    {
    }
    com_scope(const com_scope&) = delete;
    com_scope& operator=(const com_scope&) = delete;
    ~com_scope()
    {
        if (ok())
            ::CoUninitialize();
    }
    bool ok() const { return result_ == S_OK || result_ == S_FALSE; }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

std::error_code from_hresult(HRESULT hr)
{
    return {static_cast<int>(hr), std::system_category()};
}

class win32_shell_links final : public shell_links {
public:
    std::error_code save(
        const std::wstring& link_path, const std::wstring& target, const std::wstring& working_folder) override
    {
        if (const std::error_code refused = check_absolute(link_path))
            return refused;
        const com_scope com;
        if (!com.ok())
            return from_hresult(com.result());
        com_ptr<IShellLinkW> link;
        HRESULT result =
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out());
        if (FAILED(result))
            return from_hresult(result);
        // The results of these two are not looked at: the save decides.
        link->SetPath(target.c_str());
        link->SetWorkingDirectory(working_folder.c_str());
        com_ptr<IPersistFile> file;
        result = link->QueryInterface(IID_IPersistFile, file.out());
        if (SUCCEEDED(result))
            result = file->Save(link_path.c_str(), TRUE);
        return SUCCEEDED(result) ? std::error_code {} : from_hresult(result);
    }

    void announce_association_change() override { ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr); }
};

}  // namespace

shell_links& system_shell_links()
{
    static win32_shell_links instance;
    return instance;
}

}  // namespace av::platform
