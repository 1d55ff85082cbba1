// The security questions and changes the installer puts to the machine: is
// the user an administrator, open a file or folder to the built-in Users
// group, switch a privilege of the process. None throws; each answers a bool,
// as the security operations do.
//
// `system_access_rights()` is the machine's: the security operations
// (IsAdministrator, GrantUsersAccess, SetPrivilege) of the Windows security
// library, or their Linux stand-ins. Tests give a machine their own answer
// (an ordinary user, a refused grant), and platform/fault_injection.h wraps
// any implementation to make a call fail.
#pragma once

#include <cstdint>
#include <string>

namespace av::platform {

class access_rights {
public:
    virtual ~access_rights() = default;

    // Whether the process token is a member of the local Administrators group.
    virtual bool is_administrator() = 0;
    // Gives the built-in Users group `mask` on `path` (one entry, replacing
    // any it had) with `ace_flags`; false, and nothing changed, on failure.
    // A path that is not absolute is refused.
    virtual bool grant_users_access(const std::wstring& path, std::uint32_t mask, std::uint32_t ace_flags) = 0;
    // Switches a privilege ("SeBackupPrivilege", "SeRestorePrivilege") of the
    // process on or off.
    virtual bool set_privilege(const std::wstring& name, bool enable) = 0;
};

// The machine's access rights (a process-wide object).
access_rights& system_access_rights();

}  // namespace av::platform
