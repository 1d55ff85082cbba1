// The security operations on Windows, over the functions of "advapi32.dll"
// bound by name (see platform/win32/security.h).
#include "platform/win32/security.h"

#include <new>
#include <string>

#include "platform/security.h"

namespace security {
namespace {

constexpr const char* kFunctionNames[] = {
    "OpenProcessToken",
    "OpenThreadToken",
    "LookupPrivilegeValueW",
    "AdjustTokenPrivileges",
    "AllocateAndInitializeSid",
    "IsValidSid",
    "GetLengthSid",
    "EqualSid",
    "FreeSid",
    "GetAce",
    "AddAce",
    "AddAccessAllowedAce",
    "AddAccessAllowedAceEx",
    "InitializeSecurityDescriptor",
    "InitializeAcl",
    "GetAclInformation",
    "GetSecurityDescriptorDacl",
    "SetSecurityDescriptorDacl",
    "SetSecurityDescriptorGroup",
    "SetSecurityDescriptorOwner",
    "GetSecurityDescriptorControl",
    "SetSecurityDescriptorControl",
    "IsValidSecurityDescriptor",
    "CheckTokenMembership",
    "AccessCheck",
    "GetFileSecurityW",
    "SetFileSecurityW",
    "ImpersonateSelf",
    "RevertToSelf",
};
static_assert(std::size(kFunctionNames) == static_cast<std::size_t>(Function::Count));

constexpr DWORD kLoadLibrarySearchDefaultDirs = 0x1000;

HRESULT HresultFromWin32(DWORD code)
{
    const auto value = static_cast<HRESULT>(code);
    return value <= 0 ? value : static_cast<HRESULT>((code & 0xFFFF) | 0x80070000u);
}

[[noreturn]] void RaiseLastError()
{
    throw SecurityError(HresultFromWin32(GetLastError()));
}

// The bound function with its own signature.
template <class F>
F Bound(Function function)
{
    const FARPROC address = SecurityLibrary::Instance().Bind(function);
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
}

#define AV_SECURITY_CALL(name) Bound<decltype(&::name)>(Function::name)

// Calls a bound function and raises its last error when it returns false.
#define AV_SECURITY_CHECKED(name, ...)                                                                                 \
    do {                                                                                                               \
        if (!AV_SECURITY_CALL(name)(__VA_ARGS__))                                                                      \
            RaiseLastError();                                                                                          \
    } while (false)

class Handle {
public:
    Handle() = default;
    ~Handle()
    {
        if (handle_ != nullptr)
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* put() { return &handle_; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

// The calling thread's token for querying, or the process token when the
// thread has none.
void OpenThreadTokenForQuery(Handle& token)
{
    if (AV_SECURITY_CALL(OpenThreadToken)(GetCurrentThread(), TOKEN_QUERY, FALSE, token.put()))
        return;
    if (GetLastError() != ERROR_NO_TOKEN)
        RaiseLastError();
    AV_SECURITY_CHECKED(OpenProcessToken, GetCurrentProcess(), TOKEN_QUERY, token.put());
}

void AddAllowedEntry(PACL acl, DWORD mask, DWORD aceFlags, PSID sid)
{
    SecurityLibrary& library = SecurityLibrary::Instance();
    if (aceFlags != 0 && library.Has(Function::AddAccessAllowedAceEx))
        AV_SECURITY_CHECKED(AddAccessAllowedAceEx, acl, ACL_REVISION, aceFlags, mask, sid);
    else
        AV_SECURITY_CHECKED(AddAccessAllowedAce, acl, ACL_REVISION, mask, sid);
}

// The identifier of an entry, for the entry types that carry one where the
// system puts it; null for types this code does not know.
PSID EntrySid(const ACE_HEADER* header)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(header);
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
        return header->AceSize >= 8 + 8 ? const_cast<BYTE*>(bytes + 8) : nullptr;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
    case SYSTEM_ALARM_OBJECT_ACE_TYPE: {
        const auto* object = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(header);
        std::size_t offset = 12;
        if (object->Flags & ACE_OBJECT_TYPE_PRESENT)
            offset += sizeof(GUID);
        if (object->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT)
            offset += sizeof(GUID);
        return header->AceSize >= offset + 8 ? const_cast<BYTE*>(bytes + offset) : nullptr;
    }
    default:
        return nullptr;
    }
}

bool IsEntryFor(const ACE_HEADER* header, PSID sid)
{
    const PSID entrySid = EntrySid(header);
    return entrySid != nullptr && AV_SECURITY_CALL(IsValidSid)(entrySid) && AV_SECURITY_CALL(EqualSid)(entrySid, sid);
}

bool IsAdministratorByMembership(bool& member)
{
    try {
        WellKnownSid administrators(WellKnownGroup::Administrators);
        BOOL isMember = FALSE;
        if (!AV_SECURITY_CALL(CheckTokenMembership)(nullptr, administrators.get(), &isMember))
            return false;
        member = isMember != FALSE;
        return true;
    } catch (const SecurityError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

SecurityError::SecurityError(HRESULT hr)
    : std::runtime_error("security function failed")
    , hr_(hr)
{
}

SecurityLibrary& SecurityLibrary::Instance()
{
    static SecurityLibrary library;
    return library;
}

FARPROC SecurityLibrary::Bind(Function function)
{
    const auto slot = static_cast<std::size_t>(function);
    if (missing_[slot])
        throw SecurityError(E_NOTIMPL);
    if (slots_[slot] != nullptr)
        return slots_[slot];
    if (module_ == nullptr) {
        module_ = GetModuleHandleW(L"advapi32.dll");
        if (module_ == nullptr)
            module_ = LoadLibraryExW(L"advapi32.dll", nullptr, kLoadLibrarySearchDefaultDirs);
        if (module_ == nullptr)
            module_ = LoadLibraryExW(L"advapi32.dll", nullptr, 0);
        if (module_ == nullptr)
            throw SecurityError(E_UNEXPECTED);
    }
    const FARPROC address = GetProcAddress(module_, kFunctionNames[slot]);
    if (address == nullptr)
        throw SecurityError(E_NOTIMPL);
    slots_[slot] = address;
    return address;
}

bool SecurityLibrary::Has(Function function)
{
    try {
        Bind(function);
        return true;
    } catch (const SecurityError&) {
        return false;
    }
}

void SecurityLibrary::SimulateMissing(Function function, bool missing)
{
    missing_[static_cast<std::size_t>(function)] = missing;
}

WellKnownSid::WellKnownSid(WellKnownGroup group)
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    const auto allocate = AV_SECURITY_CALL(AllocateAndInitializeSid);
    BOOL ok = FALSE;
    switch (group) {
    case WellKnownGroup::Everyone:
        ok = allocate(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid_);
        break;
    case WellKnownGroup::Administrators:
        ok = allocate(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid_);
        break;
    case WellKnownGroup::Users:
        ok = allocate(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &sid_);
        break;
    }
    if (!ok) {
        sid_ = nullptr;
        RaiseLastError();
    }
    if (!AV_SECURITY_CALL(IsValidSid)(sid_)) {
        if (SecurityLibrary::Instance().Has(Function::FreeSid))
            AV_SECURITY_CALL(FreeSid)(sid_);
        sid_ = nullptr;
        throw SecurityError(E_INVALIDARG);
    }
}

WellKnownSid::~WellKnownSid()
{
    if (sid_ == nullptr)
        return;
    if (SecurityLibrary::Instance().Has(Function::FreeSid))
        AV_SECURITY_CALL(FreeSid)(sid_);
    sid_ = nullptr;
}

std::unique_ptr<AbsoluteDescriptor> EveryoneDescriptor(DWORD mask)
{
    try {
        auto result = std::make_unique<AbsoluteDescriptor>();
        WellKnownSid everyone(WellKnownGroup::Everyone);
        const DWORD size = 8 + 8 + AV_SECURITY_CALL(GetLengthSid)(everyone.get());
        result->aclStorage.assign((size + 7) / 8, 0);
        AV_SECURITY_CHECKED(InitializeAcl, result->acl(), size, ACL_REVISION);
        AV_SECURITY_CHECKED(AddAccessAllowedAce, result->acl(), ACL_REVISION, mask, everyone.get());
        AV_SECURITY_CHECKED(InitializeSecurityDescriptor, result->get(), SECURITY_DESCRIPTOR_REVISION);
        AV_SECURITY_CHECKED(SetSecurityDescriptorDacl, result->get(), TRUE, result->acl(), FALSE);
        return result;
    } catch (const std::bad_alloc&) {
        throw SecurityError(E_OUTOFMEMORY);
    }
}

std::unique_ptr<AbsoluteDescriptor> BuildUsersGrant(PSECURITY_DESCRIPTOR oldDescriptor, DWORD mask, DWORD aceFlags)
{
    try {
        WellKnownSid users(WellKnownGroup::Users);

        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL oldAcl = nullptr;
        AV_SECURITY_CHECKED(GetSecurityDescriptorDacl, oldDescriptor, &present, &oldAcl, &defaulted);
        if (!present)
            oldAcl = nullptr;  // an absent or null list counts as empty

        DWORD count = 0;
        DWORD bytesInUse = sizeof(ACL);
        if (oldAcl != nullptr) {
            ACL_SIZE_INFORMATION info {};
            AV_SECURITY_CHECKED(GetAclInformation, oldAcl, &info, sizeof(info), AclSizeInformation);
            count = info.AceCount;
            bytesInUse = info.AclBytesInUse;
        }

        auto result = std::make_unique<AbsoluteDescriptor>();
        const DWORD size = bytesInUse + AV_SECURITY_CALL(GetLengthSid)(users.get()) + 8;
        result->aclStorage.assign((size + 7) / 8, 0);
        PACL newAcl = result->acl();
        AV_SECURITY_CHECKED(InitializeAcl, newAcl, size, ACL_REVISION);

        // Explicit entries of the others first, then the new Users entry, then
        // the inherited entries of the others: the order the system keeps.
        auto copyEntries = [&](DWORD& index, bool stopAtInherited) {
            for (; index < count; ++index) {
                void* entry = nullptr;
                AV_SECURITY_CHECKED(GetAce, oldAcl, index, &entry);
                const auto* header = static_cast<const ACE_HEADER*>(entry);
                if (stopAtInherited && (header->AceFlags & INHERITED_ACE) != 0)
                    return;
                if (IsEntryFor(header, users.get()))
                    continue;
                AV_SECURITY_CHECKED(AddAce, newAcl, ACL_REVISION, MAXDWORD, entry, header->AceSize);
            }
        };
        DWORD index = 0;
        copyEntries(index, true);
        AddAllowedEntry(newAcl, mask, aceFlags, users.get());
        copyEntries(index, false);

        AV_SECURITY_CHECKED(InitializeSecurityDescriptor, result->get(), SECURITY_DESCRIPTOR_REVISION);
        AV_SECURITY_CHECKED(SetSecurityDescriptorDacl, result->get(), TRUE, newAcl, FALSE);

        SecurityLibrary& library = SecurityLibrary::Instance();
        if (library.Has(Function::GetSecurityDescriptorControl) &&
            library.Has(Function::SetSecurityDescriptorControl)) {
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            AV_SECURITY_CHECKED(GetSecurityDescriptorControl, oldDescriptor, &control, &revision);
            if (control & SE_DACL_AUTO_INHERITED) {
                const SECURITY_DESCRIPTOR_CONTROL bits = SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ;
                AV_SECURITY_CHECKED(SetSecurityDescriptorControl, result->get(), bits, bits);
            } else if (control & SE_DACL_PROTECTED) {
                AV_SECURITY_CHECKED(SetSecurityDescriptorControl, result->get(), SE_DACL_PROTECTED, SE_DACL_PROTECTED);
            }
        }
        return result;
    } catch (const std::bad_alloc&) {
        throw SecurityError(E_OUTOFMEMORY);
    }
}

bool IsAdministratorByAccessCheck()
{
    bool impersonating = false;
    bool result = false;
    try {
        Handle token;
        try {
            AV_SECURITY_CHECKED(ImpersonateSelf, SecurityImpersonation);
            impersonating = true;
            OpenThreadTokenForQuery(token);

            WellKnownSid administrators(WellKnownGroup::Administrators);
            const DWORD size = 8 + 8 + AV_SECURITY_CALL(GetLengthSid)(administrators.get());
            std::vector<std::uint64_t> aclStorage((size + 7) / 8, 0);
            const auto acl = reinterpret_cast<PACL>(aclStorage.data());
            AV_SECURITY_CHECKED(InitializeAcl, acl, size, ACL_REVISION);
            AV_SECURITY_CHECKED(AddAccessAllowedAce, acl, ACL_REVISION, 3, administrators.get());

            SECURITY_DESCRIPTOR descriptor {};
            AV_SECURITY_CHECKED(InitializeSecurityDescriptor, &descriptor, SECURITY_DESCRIPTOR_REVISION);
            AV_SECURITY_CHECKED(SetSecurityDescriptorDacl, &descriptor, TRUE, acl, FALSE);
            AV_SECURITY_CHECKED(SetSecurityDescriptorOwner, &descriptor, administrators.get(), FALSE);
            AV_SECURITY_CHECKED(SetSecurityDescriptorGroup, &descriptor, administrators.get(), FALSE);
            if (!AV_SECURITY_CALL(IsValidSecurityDescriptor)(&descriptor))
                throw SecurityError(E_UNEXPECTED);

            GENERIC_MAPPING mapping {1, 2, 0, 3};
            std::uint64_t privilegeStorage[3] = {};  // a 20-byte PRIVILEGE_SET, aligned
            DWORD privilegeSize = 20;
            DWORD granted = 0;
            BOOL status = FALSE;
            AV_SECURITY_CHECKED(AccessCheck, &descriptor, token.get(), 1, &mapping,
                reinterpret_cast<PPRIVILEGE_SET>(privilegeStorage), &privilegeSize, &granted, &status);
            result = status != FALSE;
        } catch (...) {
            if (impersonating && SecurityLibrary::Instance().Has(Function::RevertToSelf))
                AV_SECURITY_CALL(RevertToSelf)();
            throw;
        }
        if (impersonating && SecurityLibrary::Instance().Has(Function::RevertToSelf))
            AV_SECURITY_CALL(RevertToSelf)();
    } catch (const SecurityError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return result;
}

}  // namespace security

bool IsAdministrator()
{
    bool member = false;
    if (security::IsAdministratorByMembership(member))
        return member;
    return security::IsAdministratorByAccessCheck();
}

bool GrantUsersAccess(const std::wstring& path, std::uint32_t mask, std::uint32_t aceFlags)
{
    using namespace security;
    try {
        DWORD needed = 0;
        if (!AV_SECURITY_CALL(GetFileSecurityW)(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed) &&
            GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            RaiseLastError();
        std::vector<std::uint64_t> buffer((needed + 7) / 8 + 1, 0);
        const auto descriptor = static_cast<PSECURITY_DESCRIPTOR>(buffer.data());
        AV_SECURITY_CHECKED(GetFileSecurityW, path.c_str(), DACL_SECURITY_INFORMATION, descriptor,
            static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)), &needed);
        const auto grant = BuildUsersGrant(descriptor, mask, aceFlags);
        AV_SECURITY_CHECKED(SetFileSecurityW, path.c_str(), DACL_SECURITY_INFORMATION, grant->get());
        return true;
    } catch (const SecurityError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SetPrivilege(const wchar_t* name, bool enable)
{
    using namespace security;
    try {
        Handle token;
        AV_SECURITY_CHECKED(OpenProcessToken, GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put());
        LUID luid {};
        AV_SECURITY_CHECKED(LookupPrivilegeValueW, nullptr, name, &luid);

        // AdjustTokenPrivileges reports ERROR_NOT_ALL_ASSIGNED through the last
        // error with a true result: that is a failure here.
        const auto adjust = [&](PTOKEN_PRIVILEGES privileges, DWORD size, PTOKEN_PRIVILEGES previous,
                                PDWORD previousSize) {
            SetLastError(ERROR_SUCCESS);
            if (!AV_SECURITY_CALL(AdjustTokenPrivileges)(
                    token.get(), FALSE, privileges, size, previous, previousSize) ||
                GetLastError() != ERROR_SUCCESS)
                RaiseLastError();
        };

        TOKEN_PRIVILEGES query {};
        query.PrivilegeCount = 1;
        query.Privileges[0].Luid = luid;
        query.Privileges[0].Attributes = 0;
        TOKEN_PRIVILEGES previous {};
        DWORD previousSize = sizeof(previous);
        adjust(&query, sizeof(query), &previous, &previousSize);

        // When nothing changed the previous state is empty: the privilege was
        // off, with no other attribute.
        previous.PrivilegeCount = 1;
        previous.Privileges[0].Luid = luid;
        if (enable)
            previous.Privileges[0].Attributes |= SE_PRIVILEGE_ENABLED;
        else
            previous.Privileges[0].Attributes &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
        adjust(&previous, sizeof(previous), nullptr, nullptr);
        return true;
    } catch (const SecurityError&) {
        return false;
    }
}
