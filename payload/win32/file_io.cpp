// Win32 half of the extraction's file operations: the kernel's file calls,
// so that the output is held without sharing and a read-back meets a sharing
// violation (32) while another process holds the file.
#include "payload/file_io.h"

#include <system_error>

#include <windows.h>

namespace av {
namespace {

[[noreturn]] void throw_last_error()
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
}

HANDLE as_handle(std::intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

struct handle_owner {
    HANDLE h;
    ~handle_owner()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

}  // namespace

exclusive_output_file::exclusive_output_file(const boost::filesystem::path& path)
{
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw_last_error();
    handle_ = reinterpret_cast<std::intptr_t>(h);
}

exclusive_output_file::~exclusive_output_file()
{
    if (as_handle(handle_) != INVALID_HANDLE_VALUE)
        CloseHandle(as_handle(handle_));
}

void exclusive_output_file::write(const char* data, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(as_handle(handle_), data, chunk, &written, nullptr))
            throw_last_error();
        data += written;
        size -= written;
    }
}

void exclusive_output_file::close()
{
    const HANDLE h = as_handle(handle_);
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h))
        throw_last_error();
}

void read_file_blocks(const boost::filesystem::path& path,
                      const std::function<void(const char*, std::size_t)>& sink)
{
    handle_owner file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        throw_last_error();
    char block[4096];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.h, block, sizeof block, &read, nullptr))
            throw_last_error();
        if (read == 0)
            return;
        sink(block, read);
    }
}

void clear_read_only(const boost::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw_last_error();
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0
        && !SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        throw_last_error();
}

}  // namespace av
