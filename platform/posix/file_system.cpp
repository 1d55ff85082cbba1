// The Linux file system behind the seam: plain POSIX files. Windows rules that
// the installer depends on are kept: a read-only file (no owner write bit)
// cannot be deleted or replaced, even by root; a move does not replace an
// existing target; errno values are reported as the matching Windows codes.
// Only absolute paths ("/...") are taken, so that a path the installer failed
// to complete cannot land in the current folder of a test or a tool.
#include "platform/file_system.h"
#include "support/text.h"

#include "platform/win_error.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace av::platform {
namespace {

std::error_code from_errno(int error, int not_found = win_error::file_not_found)
{
    switch (error) {
    case 0:
        return {};
    case ENOENT:
        return win_error::make(not_found);
    case ENOTDIR:
        return win_error::make(win_error::path_not_found);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return win_error::make(win_error::access_denied);
    case EEXIST:
        return win_error::make(win_error::already_exists);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return win_error::make(win_error::disk_full);
    case ENOTEMPTY:
        return win_error::make(win_error::dir_not_empty);
    case EBUSY:
    case ETXTBSY:
        return win_error::make(win_error::sharing_violation);
    case ENAMETOOLONG:
        return win_error::make(win_error::filename_too_long);
    case EINVAL:
        return win_error::make(win_error::invalid_parameter);
    case ENOMEM:
        return win_error::make(win_error::not_enough_memory);
    case EBADF:
        return win_error::make(win_error::invalid_handle);
    default:
        return win_error::make(win_error::write_fault);
    }
}

// File names are UTF-8 of the wide text on Linux.
std::string to_native(const std::wstring& path)
{
    return av::details::utf8_from_wide(path);
}

std::error_code check_absolute_pair(const std::wstring& from, const std::wstring& to)
{
    if (const std::error_code refused = check_absolute(from))
        return refused;
    return check_absolute(to);
}

bool read_only(const struct stat& st)
{
    return (st.st_mode & S_IWUSR) == 0;
}

class posix_output_file final : public output_file {
public:
    explicit posix_output_file(int fd)
        : fd_(fd)
    {
    }
    ~posix_output_file() override { close(); }

    std::error_code write(std::span<const std::byte> data) override
    {
        if (fd_ < 0)
            return win_error::make(win_error::invalid_handle);
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return from_errno(errno);
            }
            if (n == 0)
                return win_error::make(win_error::disk_full);
            done += static_cast<std::size_t>(n);
        }
        return {};
    }

    std::error_code close() override
    {
        if (fd_ < 0)
            return {};
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? std::error_code {} : from_errno(errno);
    }

private:
    int fd_;
};

class posix_input_file final : public input_file {
public:
    explicit posix_input_file(int fd)
        : fd_(fd)
    {
    }
    ~posix_input_file() override { ::close(fd_); }

    std::error_code read(std::span<std::byte> buffer, std::size_t& got) override
    {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                got = 0;
                return from_errno(errno);
            }
            got = static_cast<std::size_t>(n);
            return {};
        }
    }

private:
    int fd_;
};

class posix_file_system final : public file_system {
public:
    std::error_code get_attributes(const std::wstring& path, std::uint32_t& attributes) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        struct stat st { };
        if (::stat(to_native(path).c_str(), &st) != 0)
            return from_errno(errno);
        if (S_ISDIR(st.st_mode))
            attributes = attr_directory;
        else
            attributes = read_only(st) ? attr_readonly : attr_normal;
        return {};
    }

    std::error_code set_attributes(const std::wstring& path, std::uint32_t attributes) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const std::string native = to_native(path);
        struct stat st { };
        if (::stat(native.c_str(), &st) != 0)
            return from_errno(errno);
        mode_t mode = st.st_mode & 07777;
        if (S_ISDIR(st.st_mode))
            return {};  // folders keep their permissions, as Windows ignores read-only on them
        if (attributes & attr_readonly)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        else
            mode |= S_IWUSR;
        if (::chmod(native.c_str(), mode) != 0)
            return from_errno(errno);
        return {};
    }

    std::error_code copy_file(const std::wstring& from, const std::wstring& to, bool overwrite) override
    {
        if (const std::error_code refused = check_absolute_pair(from, to))
            return refused;
        const std::string source = to_native(from);
        const std::string target = to_native(to);
        struct stat st { };
        if (::stat(source.c_str(), &st) != 0)
            return from_errno(errno);
        if (S_ISDIR(st.st_mode))
            return win_error::make(win_error::access_denied);
        struct stat existing { };
        if (::stat(target.c_str(), &existing) == 0) {
            if (!overwrite)
                return win_error::make(win_error::file_exists);
            if (S_ISDIR(existing.st_mode) || read_only(existing))
                return win_error::make(win_error::access_denied);
        }
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0)
            return from_errno(errno);
        const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0) {
            const int error = errno;
            ::close(in);
            return from_errno(error, win_error::path_not_found);
        }
        posix_output_file writer(out);
        std::error_code ec;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ec = from_errno(errno);
                break;
            }
            if (n == 0)
                break;
            ec = writer.write(std::as_bytes(std::span<const char>(buffer, static_cast<std::size_t>(n))));
            if (ec)
                break;
        }
        ::close(in);
        const std::error_code closed = writer.close();
        if (!ec)
            ec = closed;
        if (!ec && ::chmod(target.c_str(), st.st_mode & 07777) != 0)
            ec = from_errno(errno);
        if (ec)
            ::unlink(target.c_str());
        return ec;
    }

    std::error_code move_file(const std::wstring& from, const std::wstring& to) override
    {
        if (const std::error_code refused = check_absolute_pair(from, to))
            return refused;
        const std::string source = to_native(from);
        const std::string target = to_native(to);
        struct stat st { };
        if (::lstat(source.c_str(), &st) != 0)
            return from_errno(errno);
        if (::lstat(target.c_str(), &st) == 0)
            return win_error::make(win_error::already_exists);
        if (::rename(source.c_str(), target.c_str()) == 0)
            return {};
        if (errno != EXDEV)
            return from_errno(errno, win_error::path_not_found);
        // Another volume: copy, then delete the source, as MoveFileW does.
        if (const std::error_code ec = copy_file(from, to, false))
            return ec;
        if (::unlink(source.c_str()) != 0) {
            const int error = errno;
            ::unlink(target.c_str());
            return from_errno(error);
        }
        return {};
    }

    std::error_code delete_file(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const std::string native = to_native(path);
        struct stat st { };
        if (::lstat(native.c_str(), &st) != 0)
            return from_errno(errno);
        if (S_ISDIR(st.st_mode) || read_only(st))
            return win_error::make(win_error::access_denied);
        if (::unlink(native.c_str()) != 0)
            return from_errno(errno);
        return {};
    }

    std::error_code create_folder(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        if (::mkdir(to_native(path).c_str(), 0755) != 0)
            return from_errno(errno, win_error::path_not_found);
        return {};
    }

    std::error_code remove_folder(const std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        if (::rmdir(to_native(path).c_str()) != 0)
            return errno == ENOTDIR ? win_error::make(win_error::directory) : from_errno(errno);
        return {};
    }

    void notify_folder_created(const std::wstring&) override { }

    std::error_code temp_file_name(const std::wstring& folder, const std::wstring& prefix, std::wstring& path) override
    {
        if (const std::error_code refused = check_absolute(folder))
            return refused;
        // As GetTempFileNameW: up to three characters of the prefix, four hex
        // digits, ".tmp"; the first free number from a varying start.
        std::wstring base = folder;
        if (!base.empty() && base.back() != L'/' && base.back() != L'\\')
            base.push_back(L'/');
        base += prefix.substr(0, 3);
        struct timespec now { };
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const unsigned start = static_cast<unsigned>(now.tv_nsec ^ ::getpid());
        for (unsigned i = 0; i < 0x10000; ++i) {
            unsigned unique = (start + i) & 0xFFFF;
            if (unique == 0)
                continue;
            wchar_t hex[8];
            std::swprintf(hex, 8, L"%X", unique);
            const std::wstring candidate = base + hex + L".tmp";
            const int fd = ::open(to_native(candidate).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) {
                ::close(fd);
                path = candidate;
                return {};
            }
            if (errno != EEXIST)
                return from_errno(errno, win_error::directory);
        }
        return win_error::make(win_error::file_exists);
    }

    std::error_code create_file(const std::wstring& path, std::unique_ptr<output_file>& file) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const std::string native = to_native(path);
        struct stat st { };
        if (::stat(native.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || read_only(st)))
            return win_error::make(win_error::access_denied);
        const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return from_errno(errno, win_error::path_not_found);
        file = std::make_unique<posix_output_file>(fd);
        return {};
    }

    std::error_code open_file(const std::wstring& path, std::unique_ptr<input_file>& file) override
    {
        if (const std::error_code refused = check_absolute(path))
            return refused;
        const std::string native = to_native(path);
        const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return from_errno(errno);
        struct stat st { };
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return win_error::make(win_error::access_denied);
        }
        file = std::make_unique<posix_input_file>(fd);
        return {};
    }
};

}  // namespace

bool is_absolute_path(std::wstring_view path) noexcept
{
    return !path.empty() && path.front() == L'/';
}

file_system& system_file_system()
{
    static posix_file_system instance;
    return instance;
}

}  // namespace av::platform
