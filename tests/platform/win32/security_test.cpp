// The security operations against Wine's real security functions. Wine keeps
// no access list that SetFileSecurityW writes on a file, so the new list is
// checked where it is built, in memory (security::BuildUsersGrant), and the
// file-level operation only for what Wine shows: its result, and no change
// on a missing path.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/security.h"
#include "platform/win32/security.h"

namespace {

using security::WellKnownGroup;
using security::WellKnownSid;

struct Entry {
    WellKnownGroup group;
    DWORD mask;
    BYTE flags;
};

// An absolute descriptor with a list of access-allowed entries (or none).
class Descriptor {
public:
    enum class List { Entries, Null, Absent };

    Descriptor(std::vector<Entry> entries, SECURITY_DESCRIPTOR_CONTROL control = 0, List list = List::Entries)
        : acl_(4096 / 8, 0)
    {
        EXPECT_TRUE(InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION));
        EXPECT_TRUE(InitializeAcl(Acl(), 4096, ACL_REVISION));
        for (const Entry& e : entries) {
            WellKnownSid sid(e.group);
            EXPECT_TRUE(AddAccessAllowedAceEx(Acl(), ACL_REVISION, e.flags, e.mask, sid.get()));
        }
        if (list == List::Entries) {
            EXPECT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, Acl(), FALSE));
        } else if (list == List::Null) {
            EXPECT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, nullptr, FALSE));
        }
        if (control != 0) {
            EXPECT_TRUE(SetSecurityDescriptorControl(&sd_, control, control));
        }
    }

    PSECURITY_DESCRIPTOR get() { return &sd_; }

    // The same descriptor in self-relative form, as GetFileSecurityW gives it.
    std::vector<BYTE> SelfRelative()
    {
        DWORD size = 0;
        MakeSelfRelativeSD(&sd_, nullptr, &size);
        std::vector<BYTE> bytes(size);
        EXPECT_TRUE(MakeSelfRelativeSD(&sd_, bytes.data(), &size));
        return bytes;
    }

private:
    PACL Acl() { return reinterpret_cast<PACL>(acl_.data()); }
    SECURITY_DESCRIPTOR sd_ {};
    std::vector<std::uint64_t> acl_;
};

struct Seen {
    WellKnownGroup group;
    DWORD mask;
    BYTE flags;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s)
{
    return os << "{group " << static_cast<int>(s.group) << ", mask " << std::hex << s.mask << ", flags "
              << static_cast<int>(s.flags) << std::dec << "}";
}

// The entries of a descriptor's list, each named by its well-known group.
std::vector<Seen> Entries(PSECURITY_DESCRIPTOR sd)
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    std::vector<Seen> seen;
    if (acl == nullptr)
        return seen;
    WellKnownSid everyone(WellKnownGroup::Everyone);
    WellKnownSid administrators(WellKnownGroup::Administrators);
    WellKnownSid users(WellKnownGroup::Users);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* raw = nullptr;
        EXPECT_TRUE(GetAce(acl, i, &raw));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        WellKnownGroup group = EqualSid(sid, everyone.get()) ? WellKnownGroup::Everyone
            : EqualSid(sid, administrators.get())            ? WellKnownGroup::Administrators
            : EqualSid(sid, users.get())                     ? WellKnownGroup::Users
                                                             : static_cast<WellKnownGroup>(-1);
        seen.push_back({group, ace->Mask, ace->Header.AceFlags});
    }
    return seen;
}

SECURITY_DESCRIPTOR_CONTROL Control(PSECURITY_DESCRIPTOR sd)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    EXPECT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision));
    return control;
}

constexpr auto Admins = WellKnownGroup::Administrators;
constexpr auto Users = WellKnownGroup::Users;
constexpr auto Everyone = WellKnownGroup::Everyone;
constexpr BYTE kInherited = INHERITED_ACE;

TEST(BuildUsersGrant, ExplicitUsersEntryIsReplacedInPlaceOfTheExplicitOnes)
{
    Descriptor old({{Users, 0x1200A9, 0}, {Admins, 0x1F01FF, 0}, {Everyone, 0x1200A9, kInherited}});
    const auto grant = security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
    const std::vector<Seen> expected = {
        {Admins, 0x1F01FF, 0}, {Users, kDataFileAccess, 0}, {Everyone, 0x1200A9, kInherited}};
    EXPECT_EQ(Entries(grant->get()), expected);
    EXPECT_TRUE(IsValidSecurityDescriptor(grant->get()));
}

TEST(BuildUsersGrant, InheritedUsersEntryLeavesExactlyOneUsersEntry)
{
    Descriptor old({{Admins, 0x1F01FF, 0}, {Users, 0x1200A9, kInherited}, {Admins, 0x1F01FF, kInherited},
        {Users, 0x100000, kInherited}});
    const auto grant = security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
    const std::vector<Seen> expected = {
        {Admins, 0x1F01FF, 0}, {Users, kDataFileAccess, 0}, {Admins, 0x1F01FF, kInherited}};
    EXPECT_EQ(Entries(grant->get()), expected);
}

TEST(BuildUsersGrant, FolderGrantCarriesItsInheritanceFlags)
{
    Descriptor old({{Admins, 0x1F01FF, 3}});
    const auto grant = security::BuildUsersGrant(old.get(), kDataFolderAccess, kDataFolderInheritance);
    const std::vector<Seen> expected = {{Admins, 0x1F01FF, 3}, {Users, kDataFolderAccess, 3}};
    EXPECT_EQ(Entries(grant->get()), expected);
}

TEST(BuildUsersGrant, ProtectedListStaysProtected)
{
    Descriptor old({{Admins, 0x1F01FF, 0}}, SE_DACL_PROTECTED);
    const auto grant = security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
    EXPECT_EQ(Control(grant->get()) & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ),
        SE_DACL_PROTECTED);
}

TEST(BuildUsersGrant, AutoInheritedListKeepsItsInheritedEntriesAfterUsers)
{
    Descriptor old({{Admins, 0x1F01FF, 0}, {Everyone, 0x1200A9, kInherited}, {Admins, 0x1F01FF, kInherited}},
        SE_DACL_AUTO_INHERITED);
    auto selfRelative = old.SelfRelative();
    const auto grant = security::BuildUsersGrant(selfRelative.data(), kDataFileAccess, 0);
    const std::vector<Seen> expected = {{Admins, 0x1F01FF, 0}, {Users, kDataFileAccess, 0},
        {Everyone, 0x1200A9, kInherited}, {Admins, 0x1F01FF, kInherited}};
    EXPECT_EQ(Entries(grant->get()), expected);
    EXPECT_EQ(Control(grant->get()) & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ),
        SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ);
}

TEST(BuildUsersGrant, PlainListGetsNoInheritanceBits)
{
    Descriptor old({{Admins, 0x1F01FF, 0}});
    const auto grant = security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
    EXPECT_EQ(Control(grant->get()) & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ), 0);
}

TEST(BuildUsersGrant, EmptyNullAndAbsentListsGiveUsersAlone)
{
    const std::vector<Seen> expected = {{Users, kDataFileAccess, 0}};
    Descriptor empty({});
    Descriptor null({}, 0, Descriptor::List::Null);
    Descriptor absent({}, 0, Descriptor::List::Absent);
    EXPECT_EQ(Entries(security::BuildUsersGrant(empty.get(), kDataFileAccess, 0)->get()), expected);
    EXPECT_EQ(Entries(security::BuildUsersGrant(null.get(), kDataFileAccess, 0)->get()), expected);
    EXPECT_EQ(Entries(security::BuildUsersGrant(absent.get(), kDataFileAccess, 0)->get()), expected);
}

class MissingFunction {
public:
    explicit MissingFunction(security::Function f)
        : f_(f)
    {
        security::SecurityLibrary::Instance().SimulateMissing(f_, true);
    }
    ~MissingFunction() { security::SecurityLibrary::Instance().SimulateMissing(f_, false); }

private:
    security::Function f_;
};

TEST(BuildUsersGrant, WithoutAddAccessAllowedAceExTheFlagsAreDropped)
{
    MissingFunction missing(security::Function::AddAccessAllowedAceEx);
    Descriptor old({});
    const auto grant = security::BuildUsersGrant(old.get(), kDataFolderAccess, kDataFolderInheritance);
    const std::vector<Seen> expected = {{Users, kDataFolderAccess, 0}};
    EXPECT_EQ(Entries(grant->get()), expected);
}

TEST(BuildUsersGrant, WithoutTheControlFunctionsTheInheritanceStepIsSkipped)
{
    MissingFunction missing(security::Function::SetSecurityDescriptorControl);
    Descriptor old({{Admins, 0x1F01FF, 0}}, SE_DACL_PROTECTED);
    const auto grant = security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
    EXPECT_EQ(Control(grant->get()) & SE_DACL_PROTECTED, 0);
    EXPECT_EQ(Entries(grant->get()).size(), 2u);
}

TEST(BuildUsersGrant, MissingFunctionRaisesNotImplemented)
{
    MissingFunction missing(security::Function::GetAclInformation);
    Descriptor old({{Admins, 0x1F01FF, 0}});
    try {
        security::BuildUsersGrant(old.get(), kDataFileAccess, 0);
        ADD_FAILURE() << "no error";
    } catch (const security::SecurityError& e) {
        EXPECT_EQ(static_cast<std::uint32_t>(e.hr()), 0x80004001u);
    }
}

std::wstring TempFile(const wchar_t* prefix)
{
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    EXPECT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    EXPECT_NE(GetTempFileNameW(folder, prefix, 0, path), 0u);
    return path;
}

TEST(GrantUsersAccess, ExistingFileAndFolderSucceed)
{
    const std::wstring file = TempFile(L"avg");
    EXPECT_TRUE(GrantUsersAccess(file, kDataFileAccess, 0));
    EXPECT_TRUE(DeleteFileW(file.c_str()));

    const std::wstring folder = TempFile(L"avf");
    ASSERT_TRUE(DeleteFileW(folder.c_str()));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_TRUE(GrantUsersAccess(folder, kDataFolderAccess, kDataFolderInheritance));
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

TEST(GrantUsersAccess, MissingPathFailsAndCreatesNothing)
{
    std::wstring path = TempFile(L"avm");
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_FALSE(GrantUsersAccess(path, kDataFileAccess, 0));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(EveryoneDescriptor, OneEntryForEveryoneNoOwnerNoGroup)
{
    const auto descriptor = security::EveryoneDescriptor(0x1F0003);
    EXPECT_TRUE(IsValidSecurityDescriptor(descriptor->get()));
    const std::vector<Seen> expected = {{Everyone, 0x1F0003, 0}};
    EXPECT_EQ(Entries(descriptor->get()), expected);
    PSID owner = nullptr;
    PSID group = nullptr;
    BOOL defaulted = FALSE;
    EXPECT_TRUE(GetSecurityDescriptorOwner(descriptor->get(), &owner, &defaulted));
    EXPECT_TRUE(GetSecurityDescriptorGroup(descriptor->get(), &group, &defaulted));
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(group, nullptr);
    ACL_SIZE_INFORMATION info {};
    BOOL present = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor->get(), &present, &acl, &defaulted));
    ASSERT_TRUE(GetAclInformation(acl, &info, sizeof(info), AclSizeInformation));
    EXPECT_EQ(info.AclBytesFree, 0u);  // sized for exactly one entry
}

TEST(IsAdministrator, BothMethodsAgreeUnderWine)
{
    // Wine's user is an administrator.
    EXPECT_TRUE(IsAdministrator());
    EXPECT_TRUE(security::IsAdministratorByAccessCheck());
    // After the fallback the thread no longer impersonates.
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
}

TEST(IsAdministrator, FallsBackWhenCheckTokenMembershipIsMissing)
{
    MissingFunction missing(security::Function::CheckTokenMembership);
    EXPECT_TRUE(IsAdministrator());
}

TEST(IsAdministrator, FalseWhenNeitherMethodCanRun)
{
    MissingFunction membership(security::Function::CheckTokenMembership);
    MissingFunction accessCheck(security::Function::AccessCheck);
    EXPECT_FALSE(IsAdministrator());
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
}

bool PrivilegeEnabled(const wchar_t* name)
{
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID luid {};
    EXPECT_TRUE(LookupPrivilegeValueW(nullptr, name, &luid));
    PRIVILEGE_SET set {};
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    set.Privilege[0].Luid = luid;
    BOOL result = FALSE;
    EXPECT_TRUE(PrivilegeCheck(token, &set, &result));
    CloseHandle(token);
    return result != FALSE;
}

TEST(SetPrivilege, SwitchesOnAndOff)
{
    ASSERT_TRUE(SetPrivilege(L"SeBackupPrivilege", true));
    EXPECT_TRUE(PrivilegeEnabled(L"SeBackupPrivilege"));
    ASSERT_TRUE(SetPrivilege(L"SeBackupPrivilege", true));  // already on
    EXPECT_TRUE(PrivilegeEnabled(L"SeBackupPrivilege"));
    ASSERT_TRUE(SetPrivilege(L"SeBackupPrivilege", false));
    EXPECT_FALSE(PrivilegeEnabled(L"SeBackupPrivilege"));
    ASSERT_TRUE(SetPrivilege(L"SeBackupPrivilege", false));  // already off
    EXPECT_FALSE(PrivilegeEnabled(L"SeBackupPrivilege"));
}

TEST(SetPrivilege, UnknownPrivilegeFails)
{
    EXPECT_FALSE(SetPrivilege(L"SeNoSuchPrivilege", true));
}

}  // namespace
