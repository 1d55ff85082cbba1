// The Windows file system behind the seam: the kernel's file functions and the
// shell's change notice, with the codes GetLastError gives. A path that is not
// absolute is refused before the kernel sees it: Windows would resolve it
// against the process's current folder.
#include "platform/file_system.h"

#include "platform/win_error.h"

#include <algorithm>

#include <windows.h>
#include <shlobj.h>

namespace av::platform {
namespace {

std::error_code last_error()
{
    const DWORD code = ::GetLastError();
    return win_error::make(code == 0 ? win_error::write_fault : static_cast<int>(code));
}

class handle_owner {
public:
    explicit handle_owner(HANDLE h)
        : h_(h)
    {
    }
    handle_owner(const handle_owner&) = delete;
    handle_owner& operator=(const handle_owner&) = delete;
    ~handle_owner() { reset(); }
    HANDLE get() const { return h_; }
    bool reset()
    {
        if (h_ == INVALID_HANDLE_VALUE)
            return true;
        const BOOL ok = ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE h_;
};

class win32_output_file final : public output_file {
public:
    explicit win32_output_file(HANDLE h)
        : handle_(h)
    {
    }

    std::error_code write(std::span<const std::byte> data) override
    {
        if (handle_.get() == INVALID_HANDLE_VALUE)
            return win_error::make(win_error::invalid_handle);
        std::size_t done = 0;
        while (done < data.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(handle_.get(), data.data() + done, chunk, &written, nullptr))
                return last_error();
            if (written == 0)
                return win_error::make(win_error::disk_full);
            done += written;
        }
        return {};
    }

    std::error_code close() override
    {
        if (handle_.get() == INVALID_HANDLE_VALUE)
            return {};
        return handle_.reset() ? std::error_code {} : last_error();
    }

private:
    handle_owner handle_;
};

class win32_input_file final : public input_file {
public:
    explicit win32_input_file(HANDLE h)
        : handle_(h)
    {
    }

    std::error_code read(std::span<std::byte> buffer, std::size_t& got) override
    {
        DWORD read = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (!::ReadFile(handle_.get(), buffer.data(), size, &read, nullptr)) {
            got = 0;
            return last_error();
        }
        got = read;
        return {};
    }

private:
    handle_owner handle_;
};

class win32_file_system final : public file_system {
public:
    std::error_code get_attributes(const std::wstring& path, std::uint32_t& attributes) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const DWORD value = ::GetFileAttributesW(path.c_str());
        if (value == INVALID_FILE_ATTRIBUTES)
            return last_error();
        attributes = value;
        return {};
    }

    std::error_code set_attributes(const std::wstring& path, std::uint32_t attributes) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        return ::SetFileAttributesW(path.c_str(), attributes) ? std::error_code {} : last_error();
    }

    std::error_code copy_file(const std::wstring& from, const std::wstring& to, bool overwrite) override
    {
        if (const std::error_code refused = check_absolute(from))
            return refused;
        if (const std::error_code refused = check_absolute(to))
            return refused;
        return ::CopyFileW(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) ? std::error_code {} : last_error();
    }

    std::error_code move_file(const std::wstring& from, const std::wstring& to) override
    {
        if (const std::error_code refused = check_absolute(from))
            return refused;
        if (const std::error_code refused = check_absolute(to))
            return refused;
        return ::MoveFileW(from.c_str(), to.c_str()) ? std::error_code {} : last_error();
    }

    std::error_code delete_file(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        return ::DeleteFileW(path.c_str()) ? std::error_code {} : last_error();
    }

    std::error_code create_folder(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        return ::CreateDirectoryW(path.c_str(), nullptr) ? std::error_code {} : last_error();
    }

    std::error_code remove_folder(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        return ::RemoveDirectoryW(path.c_str()) ? std::error_code {} : last_error();
    }

    void notify_folder_created(const std::wstring& path) override
    {
        ::SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, path.c_str(), nullptr);
    }

    std::error_code temp_file_name(const std::wstring& folder, const std::wstring& prefix, std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(folder))
            return refused;
        wchar_t buffer[MAX_PATH] = {};
        if (!::GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, buffer))
            return last_error();
        path = buffer;
        return {};
    }

    std::error_code create_file(const std::wstring& path, std::unique_ptr<output_file>& file) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const HANDLE h =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return last_error();
        file = std::make_unique<win32_output_file>(h);
        return {};
    }

    std::error_code open_file(const std::wstring& path, std::unique_ptr<input_file>& file) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const HANDLE h = ::CreateFileW(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return last_error();
        file = std::make_unique<win32_input_file>(h);
        return {};
    }
};

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

}  // namespace

bool is_absolute_path(std::wstring_view path) noexcept
{
    const bool drive = path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) && path[1] == L':' &&
        is_separator(path[2]);
    const bool share = path.size() >= 3 && is_separator(path[0]) && is_separator(path[1]) && !is_separator(path[2]);
    return drive || share;
}

file_system& system_file_system()
{
    static win32_file_system instance;
    return instance;
}

}  // namespace av::platform
