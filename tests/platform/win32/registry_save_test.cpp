// Saving a key to a hive file with the real registry (under Wine): it needs
// SeBackupPrivilege enabled, and the hive file exists afterwards.
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/win_error.h"
#include "tests/platform/scratch.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace av::platform {
namespace {

// Switches a privilege of the process for the test alone.
bool switch_privilege(const wchar_t* name, bool enable)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    bool ok = ::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
        ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && ::GetLastError() == ERROR_SUCCESS;
    ::CloseHandle(token);
    return ok;
}

TEST(Win32RegistrySaveTest, SaveNeedsTheBackupPrivilege)
{
    test::scratch_folder dir;
    std::unique_ptr<registry_key> key;
    bool created = false;
    ASSERT_FALSE(create_key(system_registry(), L"Software\\AvSeamSave", key_access::all, key, created));
    ASSERT_FALSE(key->set_value(L"A", string_value(L"x")));

    const std::wstring hive = dir / L"hive";
    ASSERT_TRUE(switch_privilege(L"SeBackupPrivilege", false));
    EXPECT_EQ(key->save(hive), win_error::make(win_error::privilege_not_held));
    ASSERT_TRUE(switch_privilege(L"SeBackupPrivilege", true));
    EXPECT_FALSE(key->save(hive));
    EXPECT_TRUE(switch_privilege(L"SeBackupPrivilege", false));
    EXPECT_TRUE(is_file(system_file_system(), hive));
    key.reset();
    EXPECT_FALSE(system_registry().local_machine()->delete_subkey_tree(L"Software\\AvSeamSave"));
}

}  // namespace
}  // namespace av::platform
