#include "app/installed_version.h"

#include <unistd.h>

#include <string>

// The folder of /proc/self/exe, its bytes taken one to one as characters
// (the Linux build's tools and tests run from ASCII folders).
std::wstring ExecutableFolder()
{
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(n));
    const std::size_t separator = path.find_last_of('/');
    path.resize(separator == std::string::npos ? 0 : separator);
    return std::wstring(path.begin(), path.end());
}
