// The security operations in the Linux build, where the portable tests and
// tools run. There are no access lists: GrantUsersAccess maps the access
// mask onto the group and other permission bits of the file (FILE_READ_DATA
// adds read, FILE_WRITE_DATA write, FILE_EXECUTE execute, for group and
// others; nothing is taken away); SetPrivilege has nothing to switch and
// answers true; IsAdministrator asks whether the effective user is root.
#include "platform/security.h"
#include "support/text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

constexpr std::uint32_t kFileReadData = 0x1;
constexpr std::uint32_t kFileWriteData = 0x2;
constexpr std::uint32_t kFileExecute = 0x20;

std::string Utf8(const std::wstring& text)
{
    return av::details::utf8_from_wide(text);
}

}  // namespace

bool IsAdministrator()
{
    return geteuid() == 0;
}

bool GrantUsersAccess(const std::wstring& path, std::uint32_t mask, std::uint32_t)
{
    const std::string name = Utf8(path);
    struct stat status { };
    if (name.empty() || stat(name.c_str(), &status) != 0)
        return false;
    mode_t mode = status.st_mode & 07777;
    if (mask & kFileReadData)
        mode |= S_IRGRP | S_IROTH;
    if (mask & kFileWriteData)
        mode |= S_IWGRP | S_IWOTH;
    if (mask & kFileExecute)
        mode |= S_IXGRP | S_IXOTH;
    return chmod(name.c_str(), mode) == 0;
}

bool SetPrivilege(const wchar_t*, bool)
{
    return true;
}
