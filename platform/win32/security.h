// The Windows side of the security operations: the security functions of
// "advapi32.dll" bound by name at first use (so that a function missing from
// the system's library is handled instead of stopping the installer), the
// well-known groups, the Everyone descriptor of the global named objects, and
// the in-memory step of GrantUsersAccess that builds a file's new access list
// from its old descriptor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace security {

// A failure inside the security operations, carrying an HRESULT: the failing
// function's last error (HRESULT_FROM_WIN32), or E_UNEXPECTED (no library,
// invalid descriptor), E_NOTIMPL (function missing), E_OUTOFMEMORY,
// E_INVALIDARG (invalid identifier).
class SecurityError : public std::runtime_error {
public:
    explicit SecurityError(HRESULT hr);
    HRESULT hr() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// The functions bound by name, in the order of the loader's slots.
enum class Function {
    OpenProcessToken,
    OpenThreadToken,
    LookupPrivilegeValueW,
    AdjustTokenPrivileges,
    AllocateAndInitializeSid,
    IsValidSid,
    GetLengthSid,
    EqualSid,
    FreeSid,
    GetAce,
    AddAce,
    AddAccessAllowedAce,
    AddAccessAllowedAceEx,
    InitializeSecurityDescriptor,
    InitializeAcl,
    GetAclInformation,
    GetSecurityDescriptorDacl,
    SetSecurityDescriptorDacl,
    SetSecurityDescriptorGroup,
    SetSecurityDescriptorOwner,
    GetSecurityDescriptorControl,
    SetSecurityDescriptorControl,
    IsValidSecurityDescriptor,
    CheckTokenMembership,
    AccessCheck,
    GetFileSecurityW,
    SetFileSecurityW,
    ImpersonateSelf,
    RevertToSelf,
    Count
};

// One handle of "advapi32.dll" (never unloaded) and one slot per function.
class SecurityLibrary {
public:
    static SecurityLibrary& Instance();

    // The function's address; raises E_UNEXPECTED without a library and
    // E_NOTIMPL when the library lacks the function.
    FARPROC Bind(Function function);
    // Whether the function can be bound.
    bool Has(Function function);

    // Tests only: behave as if the library lacked `function`.
    void SimulateMissing(Function function, bool missing);

private:
    SecurityLibrary() = default;
    HMODULE module_ = nullptr;
    FARPROC slots_[static_cast<int>(Function::Count)] = {};
    bool missing_[static_cast<int>(Function::Count)] = {};
};

// The access-check method of IsAdministrator: the thread's own token checked
// against a descriptor that grants access only to Administrators. False on
// any error. (IsAdministrator uses it where CheckTokenMembership is missing
// or fails.)
bool IsAdministratorByAccessCheck();

// The well-known groups.
enum class WellKnownGroup { Everyone = 0, Administrators = 1, Users = 2 };

// A security identifier of a well-known group, released with FreeSid.
class WellKnownSid {
public:
    explicit WellKnownSid(WellKnownGroup group);
    ~WellKnownSid();
    WellKnownSid(const WellKnownSid&) = delete;
    WellKnownSid& operator=(const WellKnownSid&) = delete;
    PSID get() const noexcept { return sid_; }

private:
    PSID sid_ = nullptr;
};

// An absolute security descriptor with the access list it points at; the
// two live and die together.
struct AbsoluteDescriptor {
    SECURITY_DESCRIPTOR descriptor {};
    std::vector<std::uint64_t> aclStorage;  // 8-byte aligned room for the ACL
    PSECURITY_DESCRIPTOR get() { return &descriptor; }
    PACL acl() { return reinterpret_cast<PACL>(aclStorage.data()); }
};

// Everyone allowed `mask` (no owner, no group); raises SecurityError.
std::unique_ptr<AbsoluteDescriptor> EveryoneDescriptor(DWORD mask);

// The new descriptor of GrantUsersAccess, built from a file's current one
// (absolute or self-relative; its list may be absent or null): the explicit
// entries of the others, one entry allowing Users `mask` with `aceFlags`, the
// inherited entries of the others; auto-inherited or protected as the old
// list was. Raises SecurityError.
std::unique_ptr<AbsoluteDescriptor> BuildUsersGrant(PSECURITY_DESCRIPTOR oldDescriptor, DWORD mask, DWORD aceFlags);

}  // namespace security
