// POSIX half of the extraction's file operations.
#include "payload/file_io.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace av {
namespace {

[[noreturn]] void throw_errno()
{
    throw std::system_error(errno, std::generic_category());
}

struct fd_owner {
    int fd;
    ~fd_owner()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

exclusive_output_file::exclusive_output_file(const boost::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw_errno();
    handle_ = fd;
}

exclusive_output_file::~exclusive_output_file()
{
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

void exclusive_output_file::write(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw_errno();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void exclusive_output_file::close()
{
    const int fd = static_cast<int>(handle_);
    handle_ = -1;
    if (fd >= 0 && ::close(fd) != 0)
        throw_errno();
}

void read_file_blocks(const boost::filesystem::path& path,
                      const std::function<void(const char*, std::size_t)>& sink)
{
    fd_owner file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        throw_errno();
    char block[4096];
    for (;;) {
        const ssize_t n = ::read(file.fd, block, sizeof block);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw_errno();
        }
        if (n == 0)
            return;
        sink(block, static_cast<std::size_t>(n));
    }
}

void clear_read_only(const boost::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw_errno();
    if ((st.st_mode & S_IWUSR) == 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
        throw_errno();
}

}  // namespace av
