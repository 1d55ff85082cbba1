// The machine's access rights are the security operations themselves, on
// both builds (their Linux stand-ins natively).
#include "platform/access_rights.h"

#include "platform/file_system.h"
#include "platform/security.h"

namespace av::platform {
namespace {

class security_operations final : public access_rights {
public:
    bool is_administrator() override { return ::IsAdministrator(); }

    bool grant_users_access(const std::wstring& path, std::uint32_t mask, std::uint32_t ace_flags) override
    {
        return is_absolute_path(path) && ::GrantUsersAccess(path, mask, ace_flags);
    }

    bool set_privilege(const std::wstring& name, bool enable) override { return ::SetPrivilege(name.c_str(), enable); }
};

}  // namespace

access_rights& system_access_rights()
{
    static security_operations instance;
    return instance;
}

}  // namespace av::platform
